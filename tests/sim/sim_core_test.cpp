// The simulated device without a pseudo-terminal: frame scanning, the script language, the
// frame record and the answers to frames.
#include "formats/frames.h"
#include "sim/command_line.h"
#include "sim/frame_record.h"
#include "sim/frame_scanner.h"
#include "sim/modules.h"
#include "sim/script_line.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes data_frame(int code, const Bytes& payload, int block = 0) {
    Bytes frame(payload.size() + frame_overhead);
    std::copy(payload.begin(), payload.end(), frame.begin() + frame_header_size);
    fill_data_frame(code, static_cast<std::uint16_t>(payload.size()),
                    static_cast<std::uint16_t>(block), frame.data());
    return frame;
}

Bytes upgrade_connect_frame() {
    return {0xAA, 0xAA, 0xAA, 0x55, 0x50, 0x08, 0, 0, 0, 0, 0, 0, 0x58, 0, 0, 0};
}

std::vector<ScannedFrame> scan(FrameScanner& scanner, const Bytes& bytes) {
    return scan_bytes(scanner, bytes.data(), bytes.size());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes take_output(Simulator& sim) {
    Bytes out(sim.output.begin(), sim.output.end());
    sim.output.clear();
    return out;
}

ScannedFrame scanned(const Bytes& bytes) {
    FrameScanner scanner;
    auto frames = scan(scanner, bytes);
    EXPECT_EQ(frames.size(), 1u);
    return frames.empty() ? ScannedFrame{} : frames[0];
}

ScriptOutcome run(Simulator& sim, const std::string& line, std::string* message = nullptr) {
    std::string text;
    const auto outcome = run_script_command(sim, script_words(line), text);
    if (message)
        *message = text;
    return outcome;
}

} // namespace

TEST(FrameScanner, FindsFramesOfBothKindsAmidGarbageAndAcrossChunks) {
    const Bytes control = data_frame(5, {0x80, 0xFF, 0x00}, 513);
    const Bytes stream =
        concat({{0x00, 0xAA, 0x55, 0x13}, control, {0x42}, upgrade_connect_frame()});
    FrameScanner scanner;
    std::vector<ScannedFrame> frames;
    for (std::uint8_t byte : stream) { // one byte at a time, the hardest split
        auto found = scan(scanner, {byte});
        frames.insert(frames.end(), found.begin(), found.end());
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, HeaderKind::control);
    EXPECT_EQ(frames[0].bytes, control);
    EXPECT_EQ(frame_block(frames[0]), 513);
    EXPECT_EQ(frames[1].kind, HeaderKind::upgrade);
    EXPECT_EQ(frames[1].bytes, upgrade_connect_frame());
    EXPECT_FALSE(has_incomplete_frame(scanner));
}

TEST(FrameScanner, TwoStrayAaBeforeAControlHeaderAreNotAnUpgradeHeader) {
    const Bytes control = data_frame(12, {});
    FrameScanner scanner;
    const auto frames = scan(scanner, concat({{0xAA, 0xAA}, control}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, HeaderKind::control);
    EXPECT_EQ(frames[0].bytes, control);
}

TEST(FrameScanner, KeepsAnIncompleteFrameUntilDroppedAndThenFindsTheNextOne) {
    const Bytes frame = data_frame(9, {3, 0});
    FrameScanner scanner;
    EXPECT_TRUE(scan(scanner, Bytes(frame.begin(), frame.end() - 1)).empty());
    EXPECT_TRUE(has_incomplete_frame(scanner));
    drop_incomplete_frame(scanner);
    EXPECT_FALSE(has_incomplete_frame(scanner));
    const auto frames = scan(scanner, frame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, frame);
}

TEST(FrameScanner, RefusesAnOversizedLengthAndResynchronises) {
    Bytes oversized = {0xAA, 0x55, 0xAA, 0x55, 0x50, 0x05, 0x01, 0x10}; // 0x1001 payload bytes
    const Bytes next = data_frame(12, {});
    FrameScanner scanner;
    const auto frames = scan(scanner, concat({oversized, next}));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].oversized);
    EXPECT_EQ(frames[0].bytes.size(), 8u);
    EXPECT_EQ(frames[1].bytes, next);

    const Bytes largest = data_frame(5, Bytes(max_frame_payload, 0xEE));
    EXPECT_FALSE(scanned(largest).oversized);
}

TEST(ScriptLine, SplitsWordsAndDropsComments) {
    EXPECT_EQ(script_words("  result 12\t4  # fail connect\r"),
              (std::vector<std::string>{"result", "12", "4"}));
    EXPECT_TRUE(script_words("# only a comment").empty());
    EXPECT_TRUE(script_words("   ").empty());
    EXPECT_EQ(script_words("send-file a#b"), (std::vector<std::string>{"send-file", "a#b"}));
}

TEST(ScriptLine, ParsesNumbersWithinTheirRangeOnly) {
    long value = 0;
    EXPECT_EQ(parse_number("255", 0, 255, value), 1);
    EXPECT_EQ(value, 255);
    EXPECT_EQ(parse_number("0x1F", 0, 255, value), 1);
    EXPECT_EQ(value, 31);
    for (const char* bad : {"256", "-1", "12x", "", "0x", " 5", "1e3", "99999999999999999999"})
        EXPECT_EQ(parse_number(bad, 0, 255, value), 0) << bad;
}

TEST(ScriptLine, ParsesHexBytesAndRejectsBadWordsWithoutPartialOutput) {
    Bytes bytes;
    EXPECT_EQ(parse_hex_bytes({"AA", "55ff", "0x01"}, bytes), 1);
    EXPECT_EQ(bytes, (Bytes{0xAA, 0x55, 0xFF, 0x01}));
    Bytes untouched = {7};
    EXPECT_EQ(parse_hex_bytes({"AA", "5"}, untouched), 0);
    EXPECT_EQ(parse_hex_bytes({"AA", "G0"}, untouched), 0);
    EXPECT_EQ(untouched, Bytes{7});
    EXPECT_EQ(hex_text(bytes.data(), bytes.size()), "AA55FF01");
}

TEST(FrameRecord, LineRoundTripsEveryField) {
    const ScannedFrame frame = scanned(data_frame(5, {0x80, 0xFF, 0x00, 0x7F}, 65535));
    const std::string line = frame_record_line(1234, frame);
    EXPECT_EQ(line, "time=1234 kind=control code=5 block=65535 length=4 check=ok payload=80FF007F");
    RecordedFrame record;
    ASSERT_EQ(parse_frame_record(line, record), 1);
    EXPECT_EQ(record.time_ms, 1234);
    EXPECT_EQ(record.kind, HeaderKind::control);
    EXPECT_EQ(record.code, 5);
    EXPECT_EQ(record.block, 65535);
    EXPECT_EQ(record.length, 4);
    EXPECT_EQ(record.check, FrameCheck::ok);
    EXPECT_EQ(record.payload, (Bytes{0x80, 0xFF, 0x00, 0x7F}));

    ASSERT_EQ(parse_frame_record(frame_record_line(0, scanned(upgrade_connect_frame())), record),
              1);
    EXPECT_EQ(record.kind, HeaderKind::upgrade);
    EXPECT_EQ(record.code, 8);
    EXPECT_TRUE(record.payload.empty());
}

TEST(FrameRecord, RejectsLinesThatAreNotRecords) {
    RecordedFrame record;
    for (const char* bad : {"", "time=1 kind=control code=5 block=0 length=0 check=ok",
                            "time=1 kind=other code=5 block=0 length=0 check=ok payload=",
                            "time=1 kind=control code=5 block=0 length=0 check=maybe payload=",
                            "time=1 kind=control code=5 block=0 length=1 check=ok payload=F",
                            "kind=control time=1 code=5 block=0 length=0 check=ok payload="})
        EXPECT_EQ(parse_frame_record(bad, record), 0) << bad;
}

TEST(FrameRecord, ChecksHeaderByteChecksumAndSize) {
    Bytes frame = data_frame(12, {});
    EXPECT_EQ(check_frame(scanned(frame)), FrameCheck::ok);
    Bytes wrong_sum = frame;
    wrong_sum[12] ^= 1;
    EXPECT_EQ(check_frame(scanned(wrong_sum)), FrameCheck::sum);
    Bytes wrong_kind = frame;
    wrong_kind[4] = 0x51;
    put_u32(wrong_kind.data() + 12, byte_sum(wrong_kind.data() + 4, 8));
    EXPECT_EQ(check_frame(scanned(wrong_kind)), FrameCheck::header);
    // The upgrade tool's frames carry other bytes at offset 4.
    Bytes upgrade = upgrade_connect_frame();
    upgrade[4] = 0x30;
    upgrade[12] = 0x38;
    EXPECT_EQ(check_frame(scanned(upgrade)), FrameCheck::ok);
}

class DeviceCore : public ::testing::Test {
protected:
    DeviceCore() { register_all_modules(sim); }

    Bytes answer(const Bytes& frame) {
        handle_frame(sim, scanned(frame));
        return take_output(sim);
    }

    Simulator sim;
};

TEST_F(DeviceCore, AnswersResultOneAndErrorCodesForBadFrames) {
    EXPECT_EQ(answer(data_frame(command_sample_acknowledge, {})), (Bytes{0xAA, 0x55, 0x01}));
    EXPECT_EQ(answer(data_frame(42, {1, 2})), (Bytes{0xAA, 0x55, 0x07})) << "an unknown code";
    ASSERT_EQ(run(sim, "result 42 1"), ScriptOutcome::applied);
    EXPECT_EQ(answer(data_frame(42, {})), (Bytes{0xAA, 0x55, 0x01}));
    Bytes wrong_sum = data_frame(12, {});
    wrong_sum[15] = 1;
    EXPECT_EQ(answer(wrong_sum), (Bytes{0xAA, 0x55, 0x03}));
    EXPECT_FALSE(sim.state.connected) << "a corrupt frame changes nothing";
    handle_frame(sim, {HeaderKind::control, {0xAA, 0x55, 0xAA, 0x55, 0x50, 5, 0xFF, 0xFF}, true});
    EXPECT_EQ(take_output(sim), (Bytes{0xAA, 0x55, 0x05}));
}

TEST_F(DeviceCore, KeepsConnectionModeAndSamplingState) {
    answer(data_frame(command_connect, {}));
    answer(data_frame(command_mode, {3, 0}));
    answer(data_frame(command_start_sampling, {}));
    EXPECT_TRUE(sim.state.connected);
    EXPECT_EQ(sim.state.mode, 3);
    EXPECT_TRUE(sim.state.sampling);
    std::string message;
    EXPECT_EQ(run(sim, "state", &message), ScriptOutcome::applied);
    EXPECT_EQ(message, "connected=1 mode=3 sampling=1");

    EXPECT_EQ(answer(data_frame(command_mode, {4})), (Bytes{0xAA, 0x55, 0x05}));
    EXPECT_EQ(sim.state.mode, 3);
    answer(data_frame(command_stop_sampling, {}));
    answer(data_frame(command_disconnect, {}));
    EXPECT_FALSE(sim.state.connected);
    EXPECT_FALSE(sim.state.sampling);

    answer(data_frame(command_connect, {}));
    EXPECT_EQ(run(sim, "end-connected"), ScriptOutcome::applied);
    EXPECT_EQ(take_output(sim), Bytes(7, 0));
    EXPECT_FALSE(sim.state.connected);
}

TEST_F(DeviceCore, ScriptRulesShapeTheAnswerOfTheirCodeOnly) {
    const Bytes connect = data_frame(command_connect, {});
    ASSERT_EQ(run(sim, "result 12 4"), ScriptOutcome::applied);
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0x55, 0x04}));
    EXPECT_EQ(answer(data_frame(13, {})), (Bytes{0xAA, 0x55, 0x01}));

    ASSERT_EQ(run(sim, "stray 12 3"), ScriptOutcome::applied);
    EXPECT_EQ(answer(connect), (Bytes{0x33, 0x33, 0x33, 0xAA, 0x55, 0x04}));

    ASSERT_EQ(run(sim, "reset 12"), ScriptOutcome::applied);
    ASSERT_EQ(run(sim, "broken 12"), ScriptOutcome::applied);
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0xAA, 0x55, 0x01}));
    ASSERT_EQ(run(sim, "broken 12 0"), ScriptOutcome::applied);
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0x00, 0x01}));

    ASSERT_EQ(run(sim, "reset"), ScriptOutcome::applied);
    ASSERT_EQ(run(sim, "silent 12"), ScriptOutcome::applied);
    EXPECT_TRUE(answer(connect).empty());
    EXPECT_TRUE(sim.state.connected) << "an answer lost on the line does not undo the command";
}

// The upgrade tool's switch (command 16) follows the rules like every other code, and a switch
// that they refuse or leave unanswered does not enter the upgrade regime.
TEST_F(DeviceCore, RulesActOnTheUpgradeSwitchToo) {
    const Bytes switch_frame = data_frame(16, {});
    std::string state;
    for (const char* rule : {"silent 16", "result 16 2", "sequence 16 4"}) {
        ASSERT_EQ(run(sim, rule), ScriptOutcome::applied);
        const Bytes reply = answer(switch_frame);
        EXPECT_EQ(reply.empty(), rule[1] == 'i') << rule;
        EXPECT_EQ(run(sim, "upgrade-state", &state), ScriptOutcome::applied);
        EXPECT_EQ(state.rfind("regime=0", 0), 0u) << rule << ": " << state;
        run(sim, "reset");
    }
    ASSERT_EQ(run(sim, "stray 16 2"), ScriptOutcome::applied);
    EXPECT_EQ(answer(switch_frame), (Bytes{0x33, 0x33, 0xAA, 0x55, 0x01}));
    EXPECT_EQ(run(sim, "upgrade-state", &state), ScriptOutcome::applied);
    EXPECT_EQ(state.rfind("regime=1", 0), 0u) << state;
}

TEST_F(DeviceCore, DelayedAnswersLeaveInTurnWhenDue) {
    ASSERT_EQ(run(sim, "delay 12 900"), ScriptOutcome::applied);
    ASSERT_EQ(run(sim, "delay all 50"), ScriptOutcome::applied);
    const auto received = SimClock::now();
    EXPECT_TRUE(answer(data_frame(command_connect, {})).empty());
    EXPECT_TRUE(answer(data_frame(command_disconnect, {})).empty());
    release_delayed_output(sim, received + std::chrono::milliseconds(800));
    EXPECT_TRUE(take_output(sim).empty()) << "the second answer does not overtake the first";
    release_delayed_output(sim, received + std::chrono::milliseconds(1000));
    EXPECT_EQ(take_output(sim), (Bytes{0xAA, 0x55, 0x01, 0xAA, 0x55, 0x01}));
    // A message of the device's own (the upload table after command 3) follows its answer.
    ASSERT_EQ(run(sim, "delay 3 300"), ScriptOutcome::applied);
    const auto asked = SimClock::now();
    EXPECT_TRUE(answer(data_frame(command_request_upload, {})).empty());
    release_delayed_output(sim, asked + std::chrono::milliseconds(400));
    const Bytes table = take_output(sim);
    ASSERT_EQ(table.size(), 3u + 2666);
    EXPECT_EQ(Bytes(table.begin(), table.begin() + 3), (Bytes{0xAA, 0x55, 0x01}));
    ASSERT_EQ(run(sim, "reset"), ScriptOutcome::applied);
    EXPECT_EQ(answer(data_frame(command_connect, {})), (Bytes{0xAA, 0x55, 0x01}));
    EXPECT_EQ(run(sim, "delay 12 soon"), ScriptOutcome::malformed);
}

TEST_F(DeviceCore, SequenceIsUsedOncePerFrameThenTheRuleBefore) {
    const Bytes connect = data_frame(command_connect, {});
    ASSERT_EQ(run(sim, "result 12 7"), ScriptOutcome::applied);
    ASSERT_EQ(run(sim, "sequence 12 2 silent 0"), ScriptOutcome::applied);
    Bytes corrupt = connect;
    corrupt[12] ^= 0xFF;
    EXPECT_EQ(answer(corrupt), (Bytes{0xAA, 0x55, 0x03})) << "a corrupt frame takes no entry";
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0x55, 0x02}));
    EXPECT_TRUE(answer(connect).empty());
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0x55, 0x00}));
    EXPECT_EQ(answer(connect), (Bytes{0xAA, 0x55, 0x07}));
}

TEST_F(DeviceCore, ModulesRegisterHandlersWithOwnRepliesAndFollowUps) {
    int seen = 0;
    register_frame_handler(sim, HeaderKind::upgrade, any_code,
                           [&seen](Simulator&, const ScannedFrame& frame, FrameAnswer& reply) {
                               seen = frame_code(frame);
                               reply.own_reply = Bytes{0xAA, 0x01, 0x55, 0x01};
                           });
    register_frame_handler(sim, HeaderKind::control, 3,
                           [](Simulator&, const ScannedFrame&, FrameAnswer& reply) {
                               reply.after_result = {0x10};
                               reply.follow_up = {1, 2, 3};
                           });
    EXPECT_EQ(answer(upgrade_connect_frame()), (Bytes{0xAA, 0x01, 0x55, 0x01}));
    EXPECT_EQ(seen, 8);
    EXPECT_EQ(answer(data_frame(3, {})), (Bytes{0xAA, 0x55, 0x01, 0x10, 1, 2, 3}));
    ASSERT_EQ(run(sim, "silent 3"), ScriptOutcome::applied);
    EXPECT_EQ(answer(data_frame(3, {})), (Bytes{1, 2, 3})) << "the message still follows";
}

TEST_F(DeviceCore, MalformedScriptLinesAreNamedAndChangeNothing) {
    const std::vector<std::string> malformed = {
        "frobnicate",  "result 12",       "result 256 1", "result 12 1 2",
        "stray 12 -1", "broken 12 0x100", "sequence 12",  "sequence 12 1 nope",
        "send AA 5",   "wait soon",       "quit now",     "reset 999"};
    for (const auto& line : malformed) {
        std::string message;
        EXPECT_EQ(run(sim, line, &message), ScriptOutcome::malformed) << line;
        EXPECT_FALSE(message.empty()) << line;
    }
    EXPECT_TRUE(sim.output.empty());
    EXPECT_FALSE(sim.quit_requested);
    EXPECT_EQ(answer(data_frame(12, {})), (Bytes{0xAA, 0x55, 0x01}));
}

TEST_F(DeviceCore, SendQueuesBytesAndHoldsTheAcknowledgementUntilTheyAreOut) {
    ASSERT_EQ(run(sim, "send AA55 0x01 ff"), ScriptOutcome::applied);
    EXPECT_TRUE(sim.script_waits_for_output);
    EXPECT_EQ(take_output(sim), (Bytes{0xAA, 0x55, 0x01, 0xFF}));
    std::string message;
    EXPECT_EQ(run(sim, "send-file /nonexistent/file", &message), ScriptOutcome::failed);
    EXPECT_NE(message.find("/nonexistent/file"), std::string::npos);
}

TEST(CommandLine, AcceptsTheOptionsAndRejectsAnythingElse) {
    SimOptions options;
    std::string error;
    ASSERT_EQ(parse_command_line({"--dir", "/tmp/x", "--port", "30", "--pace"}, options, error), 1);
    EXPECT_EQ(options.folder, "/tmp/x");
    EXPECT_EQ(options.port, 30);
    EXPECT_TRUE(options.pace);
    EXPECT_EQ(options.frames_path, "/tmp/x/varden_sim.frames");
    EXPECT_EQ(options.traffic_record_path, "");
    ASSERT_EQ(parse_command_line({"--frames", "r.txt", "--record", "t.log"}, options, error), 1);
    EXPECT_EQ(options.frames_path, "r.txt");
    EXPECT_EQ(options.traffic_record_path, "t.log");
    EXPECT_EQ(options.port, 1);
    EXPECT_FALSE(options.version);
    ASSERT_EQ(parse_command_line({"--version"}, options, error), 1);
    EXPECT_TRUE(options.version);

    const std::vector<std::vector<std::string>> malformed = {
        {"--port", "0"}, {"--port", "31"}, {"--port", "x"}, {"--port"},
        {"--dir"},       {"--dir", ""},    {"--verbose"},   {"extra"}};
    for (const auto& args : malformed) {
        error.clear();
        EXPECT_EQ(parse_command_line(args, options, error), 0) << args[0];
        EXPECT_FALSE(error.empty());
    }
}
