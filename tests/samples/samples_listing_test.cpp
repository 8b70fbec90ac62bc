#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "samples/sample_moves.h"
#include "samples/sample_sides.h"
#include "samples/sample_views.h"
#include "samples/samples_command.h"
#include "samples/side_samples.h"
#include "sim/sample_generator.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string prefix = "USD.OLD_100_1_";

std::vector<std::uint8_t> generated(std::uint32_t pass, SampleKind kind = SampleKind::usual) {
    const SampleBuffer buffer = generate_sample(3, pass, kind);
    return {buffer.begin(), buffer.end()};
}

void store(const TempFolder& folder, int number, const std::vector<std::uint8_t>& bytes) {
    folder.write(sample_file_name(prefix, number), bytes);
}

// The lines "USD.OLD_100_1_N.bin 0" of first..last.
std::string zero_lines(int first, int last) {
    std::string lines;
    for (int number = first; number <= last; ++number)
        lines += sample_file_name(prefix, number) + " 0\n";
    return lines;
}

struct Listing {
    int result = -1;
    std::string lines;
    std::string notes;
};

Listing list_side(const std::string& folder, const std::string& side_prefix = prefix) {
    std::ostringstream out, errors;
    const int result = write_side_list(folder, side_prefix, false, out, errors);
    return {result, out.str(), errors.str()};
}

std::string fields_text(const std::string& side_prefix) {
    const PrefixFields fields = prefix_fields(side_prefix);
    return fields.name + "|" + fields.ext + "|" + fields.nominal + "|" + fields.side;
}

} // namespace

TEST(SampleSides, GroupsFilesByExactPrefixInNumberOrder) {
    const std::vector<std::string> names = {"USD.OLD_100_1_10.bin",  "USD.OLD_100_1_9.bin",
                                            "USD.OLD_100_1_2.bin",   "EUR_50_2_1.bin",
                                            "USD.OLD_100_1_2_3.bin", "USD.OLD_100_1_x.bin",
                                            "USD.OLD_100_1_.bin",    "7.bin",
                                            "USD.OLD_100_1_4.BIN",   "notes.txt"};
    const std::vector<SampleSide> sides = sample_sides_of(names);
    ASSERT_EQ(sides.size(), 3u);
    EXPECT_EQ(sides[0].prefix, "EUR_50_2_");
    EXPECT_EQ(sides[1].file_names,
              (std::vector<std::string>{"USD.OLD_100_1_2.bin", "USD.OLD_100_1_9.bin",
                                        "USD.OLD_100_1_10.bin"}));
    EXPECT_EQ(sides[2].prefix, "USD.OLD_100_1_2_");
    EXPECT_EQ(side_file_names("USD.OLD_100_", names), std::vector<std::string>{});

    EXPECT_EQ(fields_text(prefix), "USD|OLD|100|1");
    EXPECT_EQ(fields_text("EUR_50_2_"), "EUR||50|2");
    EXPECT_EQ(fields_text("_1_"), "_1_|||");
}

TEST(SampleReading, KeepsWhatAFileHasAndNamesWhatIsWrong) {
    EXPECT_EQ(sample_file_note(sample_file_of(generated(1))), "");
    const SampleFile short_file = sample_file_of(std::vector<std::uint8_t>(100, 7));
    EXPECT_EQ(short_file.data, std::vector<std::uint8_t>(100, 7));
    EXPECT_EQ(sample_file_note(short_file), "short: 100 of 1566 bytes");
    const SampleFile long_file = sample_file_of(std::vector<std::uint8_t>(5000, 1));
    EXPECT_EQ(long_file.data.size(), sample_data_size);
    EXPECT_EQ(sample_file_note(long_file), "not a sample: longer than 1566 bytes");
    EXPECT_EQ(sample_file_note(sample_file_of(generated(1, SampleKind::wrong_sum))),
              "sum does not match the data");
    EXPECT_EQ(sample_file_note(read_sample_file("/nonexistent/1.bin")), "cannot be read");
}

TEST(SideList, ZeroBelowTenFilesThenTheDistancesOfTheControlProgram) {
    TempFolder folder;
    for (int number = 1; number <= 9; ++number)
        store(folder, number, generated(static_cast<std::uint32_t>(number)));
    const std::vector<std::uint8_t> far = generated(11, SampleKind::far);
    store(folder, 11, far);
    store(folder, 1000, far); // above 999: never part of the envelope
    const std::string far_lines =
        sample_file_name(prefix, 11) + " 0\n" + sample_file_name(prefix, 1000) + " 0\n";
    EXPECT_EQ(list_side(folder.path()).lines, zero_lines(1, 9) + far_lines);

    store(folder, 10, generated(10));
    // Sample 5 with its first byte 20 above the envelope's maximum there: 20 squared.
    const SideSamples before = load_side(folder.path(), prefix, list_folder(folder.path()));
    ASSERT_TRUE(before.has_envelope);
    std::vector<std::uint8_t> raised = generated(5);
    ASSERT_LE(before.envelope.maximum[0], 235);
    raised[0] = static_cast<std::uint8_t>(before.envelope.maximum[0] + 20);
    store(folder, 12, raised);
    // Three zero bytes: short, listed as far as they go, below the minimum of their positions.
    store(folder, 20, std::vector<std::uint8_t>(3));
    int short_distance = 0;
    for (std::size_t i = 0; i < 3; ++i)
        short_distance += before.envelope.minimum[i] * before.envelope.minimum[i];

    const std::int32_t far_distance =
        envelope_distance(far, prefix, folder.path(), list_folder(folder.path()));
    EXPECT_TRUE(beyond_limit(far_distance));
    EXPECT_FALSE(beyond_limit(wrong_image_distance));
    const std::string far_line = " " + std::to_string(far_distance) + "\n";
    const Listing listing = list_side(folder.path());
    EXPECT_EQ(listing.result, 0);
    EXPECT_EQ(listing.lines, zero_lines(1, 10) + sample_file_name(prefix, 11) + far_line +
                                 sample_file_name(prefix, 12) + " 400\n" +
                                 sample_file_name(prefix, 20) + " " +
                                 std::to_string(short_distance) + "\n" +
                                 sample_file_name(prefix, 1000) + far_line);
    EXPECT_EQ(listing.notes, "varden_samples: " + sample_file_name(prefix, 12) +
                                 ": sum does not match the data\nvarden_samples: " +
                                 sample_file_name(prefix, 20) + ": short: 3 of 1566 bytes\n");
}

TEST(SideList, EnvelopeFilesShorterThanASample) {
    TempFolder folder;
    for (int number = 1; number <= 10; ++number)
        store(folder, number,
              std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(90 + number)));
    // Inside the envelope where the files reach; 0 beyond, where no file gave a value, so
    // that every one of the other 1462 positions is 255 below the untouched minimum.
    std::vector<std::uint8_t> full(sample_buffer_size, 0);
    std::fill(full.begin(), full.begin() + 100, 95);
    store(folder, 11, full);

    const SideSamples side = load_side(folder.path(), prefix, list_folder(folder.path()));
    const std::vector<PositionRange> band =
        envelope_ranges(side.envelope, view_panels(SampleView::file_order)[0].bytes);
    ASSERT_EQ(band.size(), 1u);
    EXPECT_EQ(band[0].first, 0u);
    EXPECT_EQ(band[0].end, 100u);
    const Listing listing = list_side(folder.path());
    EXPECT_EQ(listing.result, 0);
    EXPECT_EQ(listing.lines, zero_lines(1, 10) + sample_file_name(prefix, 11) + " " +
                                 std::to_string(1462 * 255 * 255) + "\n");
}

// The envelope is made once per side: every distance must still be the one the control program
// computes for that sample arriving, whatever files come first by name or by number.
TEST(SideList, EachDistanceIsTheControlProgramsForThatSampleArriving) {
    TempFolder folder;
    store(folder, 0, generated(40, SampleKind::far)); // number 0: never in the envelope
    folder.write(prefix + "05.bin", generated(41, SampleKind::far)); // not the name of 5
    for (int number = 1; number <= 40; ++number)
        if (number != 4)
            store(folder, number,
                  generated(static_cast<std::uint32_t>(number),
                            number % 9 == 0 ? SampleKind::far : SampleKind::usual));
    store(folder, 1000, generated(42));
    const std::vector<std::string> names = list_folder(folder.path());
    const SideSamples side = load_side(folder.path(), prefix, names);
    ASSERT_EQ(side.samples.size(), 42u);
    int beyond = 0;
    for (const SideSample& sample : side.samples) {
        EXPECT_EQ(sample.distance,
                  envelope_distance(sample.file.data, prefix, folder.path(), names))
            << sample.file_name;
        beyond += beyond_limit(sample.distance) ? 1 : 0;
    }
    EXPECT_EQ(beyond, 5); // 0, 05, 18, 27 and 36: 9 is in the envelope (1..11 without 4)
}

std::vector<std::uint8_t> content_of(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    read_file_bytes(path, 1 << 20, bytes);
    return bytes;
}

// Setting aside the far sample 3 of the first ten: the side's envelope is then the one the
// control program makes for an arriving sample (files 1, 2, 4..11), and so is each distance.
// Putting it back after a new sample took its number gives it the next free one; undo returns
// it; and every refusal leaves every file where and as it was.
TEST(SampleMoves, SetAsideAndPutBackLoseNothingAndTheEnvelopeFollows) {
    TempFolder folder;
    for (int number = 1; number <= 12; ++number)
        store(folder, number,
              generated(static_cast<std::uint32_t>(number),
                        number == 3 ? SampleKind::far : SampleKind::usual));
    const std::string three = sample_file_name(prefix, 3);
    const std::vector<std::uint8_t> far = content_of(folder.file(three));
    const SampleMove aside = set_aside_sample(folder.path(), three);
    ASSERT_EQ(aside.result, 1) << aside.message;
    EXPECT_EQ(aside.message, three + " -> set_aside/" + three);
    EXPECT_EQ(content_of(folder.file("set_aside/" + three)), far);
    EXPECT_FALSE(file_exists(folder.file(three)));

    const std::vector<std::string> names = list_folder(folder.path());
    const SideSamples side = load_side(folder.path(), prefix, names);
    Envelope arriving;
    ASSERT_EQ(side_envelope(arriving, prefix, folder.path(), names), 1);
    EXPECT_EQ(side.envelope.minimum, arriving.minimum);
    EXPECT_EQ(side.envelope.maximum, arriving.maximum);
    const SideSamples set_aside = load_set_aside(folder.path(), prefix, names);
    ASSERT_EQ(set_aside.samples.size(), 1u);
    EXPECT_EQ(set_aside.samples[0].distance, envelope_distance(far, prefix, folder.path(), names));
    EXPECT_TRUE(beyond_limit(set_aside.samples[0].distance));

    // Its name is taken again by other content: refused in both directions, nothing changes.
    store(folder, 3, generated(30));
    const std::vector<std::uint8_t> new_three = content_of(folder.file(three));
    const SampleMove taken = set_aside_sample(folder.path(), three);
    EXPECT_EQ(taken.result, 0);
    EXPECT_EQ(taken.message, "cannot set aside " + three + ": set_aside/" + three +
                                 " exists already with other content");
    const SampleMove back = put_back_sample(folder.path(), three);
    ASSERT_EQ(back.result, 1) << back.message;
    const std::string thirteen = sample_file_name(prefix, 13);
    EXPECT_EQ(back.message, "set_aside/" + three + " -> " + thirteen + " (" + three + " is taken)");
    EXPECT_EQ(content_of(folder.file(thirteen)), far);
    EXPECT_EQ(content_of(folder.file(three)), new_three);

    // Undo sets it aside again under the name it had there.
    const SampleMove undone = undo_sample_move(back);
    ASSERT_EQ(undone.result, 1) << undone.message;
    EXPECT_EQ(content_of(folder.file("set_aside/" + three)), far);
    EXPECT_EQ(undo_sample_move(back).result, 0); // done already: the file is gone
    EXPECT_EQ(set_aside_names(folder.path(), prefix), std::vector<std::string>{three});

    EXPECT_EQ(set_aside_sample(folder.path(), sample_file_name(prefix, 99)).message,
              "cannot set aside " + sample_file_name(prefix, 99) + ": no such file");
    EXPECT_EQ(set_aside_sample(folder.path(), "../" + three).result, 0);
    EXPECT_EQ(put_back_sample(folder.path(), "notes.txt").result, 0);
    std::ostringstream lines, notes;
    EXPECT_EQ(write_side_list(folder.path(), prefix, true, lines, notes), 0);
    // Its distance as it would arrive now, the new sample 3 being among the first ten.
    EXPECT_EQ(lines.str(), three + " " +
                               std::to_string(envelope_distance(far, prefix, folder.path(),
                                                                list_folder(folder.path()))) +
                               "\n");
}

TEST(SampleMoves, AReadOnlyFolderRefusesAndKeepsEverything) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempFolder folder;
    store(folder, 1, generated(1));
    ASSERT_EQ(set_aside_sample(folder.path(), sample_file_name(prefix, 1)).result, 1);
    store(folder, 2, generated(2));
    ::chmod(folder.path().c_str(), 0555);
    const SampleMove refused = set_aside_sample(folder.path(), sample_file_name(prefix, 2));
    const SampleMove not_back = put_back_sample(folder.path(), sample_file_name(prefix, 1));
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(refused.result, 0);
    EXPECT_NE(refused.message.find("the folder cannot be changed"), std::string::npos)
        << refused.message;
    EXPECT_EQ(not_back.result, 0);
    EXPECT_TRUE(file_exists(folder.file(sample_file_name(prefix, 2))));
    EXPECT_TRUE(file_exists(folder.file("set_aside/" + sample_file_name(prefix, 1))));
}

TEST(SampleViews, ChannelsApartAndTheExcursionsThatMakeTheDistance) {
    const std::vector<ViewPanel> channels = view_panels(SampleView::channels);
    ASSERT_EQ(channels.size(), 6u);
    EXPECT_EQ(channels[2].bytes.size(), 312u);
    EXPECT_EQ(channels[2].bytes[1], 7u); // byte 5 * i + ch
    EXPECT_EQ(channels[4].bytes.back(), 1559u);
    EXPECT_EQ(channels[5].bytes, (std::vector<std::size_t>{1560, 1561}));
    EXPECT_EQ(view_panels(SampleView::channel_3)[0].bytes, channels[3].bytes);
    EXPECT_EQ(view_panels(SampleView::file_order)[0].bytes.size(), 1562u);

    Envelope envelope;
    reset_envelope(envelope);
    const std::vector<std::uint8_t> a(1562, 100), b(1562, 120);
    add_to_envelope(envelope, a);
    add_to_envelope(envelope, b);
    std::vector<std::uint8_t> sample(1562, 110);
    sample[7] = 130;   // 10 above
    sample[1561] = 97; // 3 below
    const std::vector<Excursion> excursions = sample_excursions(sample, envelope);
    ASSERT_EQ(excursions.size(), 2u);
    std::int32_t squares = 0;
    for (const Excursion& excursion : excursions)
        squares += (excursion.value - excursion.edge) * (excursion.value - excursion.edge);
    EXPECT_EQ(squares, distance_from_envelope(sample, envelope));
    EXPECT_EQ(excursions[0].index, 7u);
    EXPECT_EQ(excursions[1].edge, 100);

    // A click between positions 0 and 1 of channel 2 (bytes 2 and 7) reads the lines between.
    const std::vector<const std::vector<std::uint8_t>*> lines = {&a, &sample, &b};
    EXPECT_EQ(sample_near(lines, channels[2], 0.75, 126, 2), 1); // 110 / 4 + 130 * 3 / 4
    EXPECT_EQ(sample_near(lines, channels[2], 0.75, 131, 2), -1);
    EXPECT_EQ(sample_near(lines, channels[2], 312, 110, 2), -1);
    // The chart of channel 2 shows 90..140: 100..130 with room, on multiples of ten.
    const ValueRange range = panel_value_range(lines, channels[2]);
    EXPECT_EQ(std::to_string(range.low) + ".." + std::to_string(range.high), "90..140");
}

// Where the ten files agree (minimum equal to maximum) the band is there, without a gap.
TEST(SideList, TheBandGoesOnWhereTheEnvelopeFilesAgree) {
    TempFolder differing, identical;
    for (int number = 1; number <= 10; ++number) {
        std::vector<std::uint8_t> bytes(100, static_cast<std::uint8_t>(90 + number));
        bytes[50] = 95;
        store(differing, number, bytes);
        store(identical, number, generated(1));
    }
    for (const auto& [folder, end] :
         {std::pair{&differing, std::size_t{100}}, std::pair{&identical, sample_data_size}}) {
        const SideSamples side = load_side(folder->path(), prefix, list_folder(folder->path()));
        ASSERT_TRUE(side.has_envelope);
        const std::vector<PositionRange> band =
            envelope_ranges(side.envelope, view_panels(SampleView::file_order)[0].bytes);
        ASSERT_EQ(band.size(), 1u) << end;
        EXPECT_EQ(band[0].first, 0u);
        EXPECT_EQ(band[0].end, end);
    }
}

TEST(SideList, NothingToListIsAFailure) {
    TempFolder folder;
    store(folder, 1, generated(1));
    const Listing other_side = list_side(folder.path(), "EUR_50_2_");
    EXPECT_EQ(other_side.result, 1);
    EXPECT_EQ(other_side.notes,
              "varden_samples: no sample files EUR_50_2_N.bin in " + folder.path() + "\n");
    EXPECT_EQ(list_side(folder.file("missing")).result, 1);
}

TEST(SamplesCommand, ModesOperandsAndFolder) {
    EXPECT_EQ(parse_samples_command({}).folder, ".");
    EXPECT_EQ(parse_samples_command({"/data"}).folder, "/data");
    const SamplesCommand list = parse_samples_command({"--list", prefix, "/data"});
    EXPECT_EQ(list.prefix + " " + list.folder, prefix + " /data");
    const SamplesCommand png = parse_samples_command({"--png", "out.png", prefix});
    EXPECT_EQ(png.png_file + " " + png.prefix + " " + png.folder, "out.png " + prefix + " .");

    const SamplesCommand aside = parse_samples_command({"--list", "--set-aside", prefix});
    EXPECT_TRUE(aside.set_aside);
    EXPECT_EQ(aside.prefix + " " + aside.folder, prefix + " .");
    EXPECT_EQ(parse_samples_command({"--put-back", "a", "b"}).files,
              (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(parse_samples_command({"--set-aside"}).error, "--set-aside needs FILE");

    EXPECT_EQ(parse_samples_command({"--list"}).error, "--list needs PREFIX");
    EXPECT_EQ(parse_samples_command({"--png", "out.png"}).error, "--png needs FILE and PREFIX");
    EXPECT_EQ(parse_samples_command({"--help", "a"}).error, "too many arguments");
    EXPECT_EQ(parse_samples_command({"-x"}).error, "unknown option -x");
}
