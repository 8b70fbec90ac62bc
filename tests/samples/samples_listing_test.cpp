#include "database/sample_names.h"
#include "files/folder_files.h"
#include "samples/sample_sides.h"
#include "samples/samples_command.h"
#include "samples/side_samples.h"
#include "sim/sample_generator.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>

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
    const int result = write_side_list(folder, side_prefix, out, errors);
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
    const std::vector<PositionRange> band = envelope_ranges(side.envelope);
    ASSERT_EQ(band.size(), 1u);
    EXPECT_EQ(band[0].first, 0u);
    EXPECT_EQ(band[0].end, 100u);
    const Listing listing = list_side(folder.path());
    EXPECT_EQ(listing.result, 0);
    EXPECT_EQ(listing.lines, zero_lines(1, 10) + sample_file_name(prefix, 11) + " " +
                                 std::to_string(1462 * 255 * 255) + "\n");
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
        const std::vector<PositionRange> band = envelope_ranges(side.envelope);
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

    EXPECT_EQ(parse_samples_command({"--list"}).error, "--list needs PREFIX");
    EXPECT_EQ(parse_samples_command({"--png", "out.png"}).error, "--png needs FILE and PREFIX");
    EXPECT_EQ(parse_samples_command({"--help", "a"}).error, "too many arguments");
    EXPECT_EQ(parse_samples_command({"-x"}).error, "unknown option -x");
}
