// A made database goes down to a simulated device and comes back up as a ".UPL" file.
#include "database/download_sender.h"
#include "database/image_data.h"
#include "formats/made_file.h"
#include "sim/device_database.h"
#include "sim/sample_generator.h"
#include "tests/database/fake_exchange.h"
#include "traffic/upload_flow.h"

#include <gtest/gtest.h>
#include <map>

namespace {

std::string side_block(const std::string& prefix, std::uint32_t note_seed, int files,
                       int mc_percent) {
    Envelope envelope;
    reset_envelope(envelope);
    for (int k = 1; k <= files; ++k) {
        const SampleBuffer sample = generate_sample(note_seed, static_cast<std::uint32_t>(k));
        add_to_envelope(envelope, sample);
    }
    return side_image_text(prefix, files, envelope, mc_percent);
}

// The made file of two banknotes: USD.OLD with four sides, A with Side1 only.
std::string made_database() {
    std::string text = "COR=10\r\n";
    for (int side = 1; side <= 4; ++side)
        text += side_block("USD.OLD_100_" + std::to_string(side) + "_", 40 + side, 5 + side, 10);
    return text + side_block("A_5_1_", 77, 12, 10);
}

struct MadeSide {
    std::string header;
    std::vector<std::vector<std::uint8_t>> lines; // every ".PWORD" line's bytes
};

std::vector<MadeSide> read_sides(const std::string& text, std::string& first_token) {
    std::vector<MadeSide> sides;
    TokenReader reader{text};
    std::string_view token;
    next_token(reader, token);
    first_token = std::string(token);
    while (next_token(reader, token)) {
        if (token.starts_with(';')) {
            sides.push_back({std::string(token), {}});
            continue;
        }
        EXPECT_EQ(token, ".PWORD");
        next_token(reader, token);
        std::vector<std::uint8_t> bytes(24);
        bytes.resize(3 * static_cast<std::size_t>(decode_word_list(token, bytes.data())));
        sides.back().lines.push_back(bytes);
    }
    return sides;
}

// Halved distances lose their lowest bit: an uploaded value is the made one or one below.
void expect_close(const std::vector<std::uint8_t>& made, const std::vector<std::uint8_t>& back,
                  const std::string& where) {
    ASSERT_EQ(made.size(), back.size()) << where;
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_LE(back[i], made[i]) << where << " byte " << i;
        EXPECT_LE(made[i] - back[i], 1) << where << " byte " << i;
    }
}

} // namespace

TEST(TransferRoundTrip, UploadedFileAgreesWithTheMadeFile) {
    const std::string made = made_database();

    // Download into the device.
    DeviceDatabase device_db;
    device_db.mc_percent = 6;
    FakeExchange down;
    down.on_data = [&device_db](const RecordedFrame& frame) {
        EXPECT_EQ(keep_download_frame(device_db, frame.code, frame.block, frame.payload.data(),
                                      static_cast<int>(frame.payload.size())),
                  1);
    };
    ASSERT_EQ(download_made_file(download_only, made, "USD.dnl", "USd", down.exchange()).result, 1);
    ASSERT_EQ(stored_side_count(device_db), 5);

    // Upload it back.
    UploadState state;
    FakeExchange up;
    std::map<std::string, std::string> files;
    const TextFileWriter writer = [&files](const std::string& name, const std::string& text,
                                           bool append) {
        files[name] = (append ? files[name] : "") + text;
        return 1;
    };
    const UploadTableMessage table = encode_upload_table(device_db);
    ASSERT_EQ(on_table_message(state, table.data(), table.size(), up.exchange(), writer), 1);
    for (int side = 1; side <= 5; ++side) {
        const UploadImageMessage message = encode_upload_image(device_db, side);
        ASSERT_EQ(on_image_message(state, message.data(), message.size(), up.exchange(), writer),
                  1);
    }
    EXPECT_EQ(up.codes(), (std::vector<int>{6, 6, 6, 6, 6, 8}));
    EXPECT_EQ(up.events.back(), "info:USd.UPL created");
    ASSERT_EQ(files.count("USd.UPL"), 1u);

    std::string made_cor, upl_cor;
    const std::vector<MadeSide> made_sides = read_sides(made, made_cor);
    const std::vector<MadeSide> upl_sides = read_sides(files["USd.UPL"], upl_cor);
    EXPECT_EQ(upl_cor, "COR=6");
    ASSERT_EQ(upl_sides.size(), made_sides.size());
    for (std::size_t s = 0; s < made_sides.size(); ++s) {
        const MadeSide& m = made_sides[s];
        const MadeSide& u = upl_sides[s];
        EXPECT_EQ(u.header, m.header);
        ASSERT_EQ(u.lines.size(), 131u);
        ASSERT_EQ(m.lines.size(), 131u);
        for (int line = 0; line < 125; ++line) // main part and first tail
            expect_close(m.lines[line], u.lines[line], m.header + " line " + std::to_string(line));
        // Second tail: channels 0 and 1 travel; channel 1 again, and fixed lines stand in.
        expect_close(m.lines[125], u.lines[125], m.header + " tail A");
        expect_close(m.lines[126], u.lines[126], m.header + " tail B");
        EXPECT_EQ(u.lines[127], std::vector<std::uint8_t>(24, 0));
        EXPECT_EQ(u.lines[128], u.lines[126]);
        EXPECT_EQ(u.lines[129][1], 0xFF);
        EXPECT_EQ(m.lines[130], u.lines[130]) << m.header << " trailer";
    }
}
