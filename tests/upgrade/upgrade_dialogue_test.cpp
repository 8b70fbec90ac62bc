// The dialogue in-process against the simulated controller behind a port in memory.
#include "formats/upgrade_image.h"
#include "sim/upgrade_controller.h"
#include "tests/upgrade/upgrade_test_images.h"
#include "upgrade/upgrade_dialogue.h"

#include <deque>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string banner =
    "ORNIVEX_VARDEN1_UPGRADE(V1.2) - Program for upgrade ORNIVEX VARDEN1 device\n\n"
    "UPGRADE_DATA from ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin\n";
const std::string confirm =
    "\nUpgrade ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin to ORNIVEX VARDEN(y,n)? >>";
const std::string com_question = "\nPlease enter COM number(valid 1-20) >>";
const std::string com_error = "\nERROR COM number(valid 1-20)\n";
const std::string continue_question = "\nWould you like to continue(y,n)? >>";
const std::string repeat_question = "\nWould you like to repeat(y,n)? >>";
const std::string switching = "\n\nSwitching to Upgrade Regime ...\n";
const std::string switched = "Switch to Upgrade Regime - O'k\n";
const std::string connecting = "\n\nConnecting ...";
const std::string connected = "\nCounter connection - OK\n";
const std::string written = "\n\nWrite controller memory - O'k\n";
const std::string tested = "\nTest controller memory - O'k\n";

// The controller on the far side of a port that exists only for port 3.
struct Line {
    UpgradeController controller;
    std::deque<std::uint8_t> input;
    std::vector<Bytes> frames;
    std::vector<int> opened;
    std::vector<int> pauses;
    std::vector<std::string> named; // "> what" for frames, "< what" for replies
    bool closed = false;

    UpgradePort port() {
        return UpgradePort{
            [this](int number) {
                opened.push_back(number);
                return number == 3 ? 1 : 0;
            },
            [this](const std::uint8_t* frame, std::size_t size) {
                frames.emplace_back(frame, frame + size);
                input.clear();
                const Bytes reply = answer_upgrade_frame(controller, frame, size);
                input.insert(input.end(), reply.begin(), reply.end());
                return 1;
            },
            [this](int) {
                if (input.empty())
                    return -1;
                const int byte = input.front();
                input.pop_front();
                return byte;
            },
            [this] { closed = true; },
            [this](int ms) { pauses.push_back(ms); },
            [this](std::string_view what) { named.push_back("> " + std::string(what)); },
            [this](std::string_view what) { named.push_back("< " + std::string(what)); },
        };
    }
    int count_of(int kind) const {
        int count = 0;
        for (const Bytes& frame : frames)
            count += upgrade_frame_kind(frame.data(), frame.size()) == kind;
        return count;
    }
};

class UpgradeDialogue : public ::testing::Test {
protected:
    std::string run(const std::string& answers) {
        std::istringstream in(answers);
        std::ostringstream out;
        EXPECT_EQ(run_upgrade_dialogue(in, out, line.port(), image), 0);
        return out.str();
    }
    void set_replies(int kind, std::vector<int> codes) {
        set_upgrade_replies(line.controller, kind, std::move(codes));
    }
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    Line line;
    Bytes image = make_test_image(full_image_words);
};

TEST_F(UpgradeDialogue, WholeUpgradeWritesAndVerifiesTheImage) {
    const std::string out = run("y 3");
    EXPECT_EQ(out, banner + confirm + com_question + switching + switched + connecting + connected +
                       std::string(9, 'W') + written + tested);
    const Bytes packed = pack_upgrade_image(image.data(), image.size());
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), line.controller.memory.begin()));
    EXPECT_EQ(line.controller.written_chunks,
              (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(line.frames.size(), 1u + 1u + 9u + 1u);
    EXPECT_TRUE(line.closed);
    EXPECT_EQ(line.pauses, std::vector<int>{success_pause_ms});
    // What a traffic log is told of each frame and reply.
    ASSERT_EQ(line.named.size(), 2 * line.frames.size());
    EXPECT_EQ(
        std::vector<std::string>(line.named.begin(), line.named.begin() + 6),
        (std::vector<std::string>{"> command 16 switch to upgrade", "< reply 1", "> connect",
                                  "< reply 1", "> write memory chunk 0, 8 blocks", "< reply 1"}));
    EXPECT_EQ(line.named[20], "> write memory chunk 8, 8 blocks");
    EXPECT_EQ(line.named[22], "> test memory");
}

TEST_F(UpgradeDialogue, AnswersCountByTheirFirstCharacter) {
    EXPECT_EQ(run("maybe ok N"), banner + confirm + confirm + confirm);
    EXPECT_TRUE(line.opened.empty());
    const std::string yes = run("yes 3");
    EXPECT_TRUE(contains(yes, tested));
    EXPECT_EQ(run("nope"), banner + confirm);
}

TEST_F(UpgradeDialogue, ComNumbersOutsideOneToTwentyAreRefused) {
    const std::string out = run("y 0 y 21 Y -3 yes abc maybe y 7 y 3");
    const std::string refused = com_question + com_error + continue_question;
    EXPECT_EQ(out.substr(0, banner.size() + confirm.size() + 4 * refused.size() +
                                continue_question.size()),
              banner + confirm + refused + refused + refused + refused + continue_question);
    EXPECT_TRUE(contains(out, com_question + "\nERROR init COM-port\n" + continue_question));
    EXPECT_EQ(line.opened, (std::vector<int>{7, 3}));
    EXPECT_TRUE(contains(out, tested));

    EXPECT_EQ(com_number_value("12abc"), 12);
    EXPECT_EQ(com_number_value("+5"), 5);
    EXPECT_EQ(com_number_value("-3"), -3);
    EXPECT_EQ(com_number_value("abc"), 0);
    EXPECT_EQ(com_number_value("99999999999999999999"), 2147483647);
    EXPECT_EQ(com_number_value("-99999999999999999999"), -2147483647 - 1);
}

TEST_F(UpgradeDialogue, DecliningToContinueEnds) {
    EXPECT_EQ(run("y 21 n"), banner + confirm + com_question + com_error + continue_question);
}

TEST_F(UpgradeDialogue, EndOfInputEndsEveryQuestion) {
    EXPECT_EQ(run(""), banner + confirm);
    EXPECT_EQ(run("y"), banner + confirm + com_question);
    EXPECT_EQ(run("y 0"), banner + confirm + com_question + com_error + continue_question);
    set_replies(upgrade_connect, {2});
    EXPECT_TRUE(run("y 3").ends_with(repeat_question));
}

TEST_F(UpgradeDialogue, SwitchResultIsShownAndTheAttemptGoesOn) {
    set_replies(upgrade_switch, {6});
    EXPECT_TRUE(contains(run("y 3"), switching + "Unknow error 6\n" + connecting));
    set_replies(upgrade_switch, {4});
    EXPECT_TRUE(contains(run("y 3"), switching + "COM-bufer of ZELK is full\n" + connecting));
    // Without the switch the controller refuses the connect.
    set_replies(upgrade_switch, {reply_silent});
    EXPECT_TRUE(contains(run("y 3 n"), switching + "Unknow error -1\n" + connecting +
                                           "\nWrong number of command\n" + repeat_question));
}

TEST_F(UpgradeDialogue, ConnectIsTriedThreeTimes) {
    set_replies(upgrade_connect, {5, 5, 1});
    EXPECT_TRUE(contains(run("y 3"), connecting + connected));
    EXPECT_EQ(line.count_of(upgrade_connect), 3);
    EXPECT_EQ(line.pauses, (std::vector<int>{10, 10, success_pause_ms}));

    line = Line{};
    set_replies(upgrade_connect, {reply_silent, reply_silent, reply_silent, 1});
    EXPECT_EQ(run("y 3 n"), banner + confirm + com_question + switching + switched + connecting +
                                "\nERROR counter connection\n" + repeat_question);
    EXPECT_EQ(line.count_of(upgrade_connect), 3);
    EXPECT_FALSE(line.closed);

    line = Line{};
    set_replies(upgrade_connect, {8});
    EXPECT_TRUE(contains(run("y 3 n"), connecting + "\nUnknow error 8\n" + repeat_question));
}

TEST_F(UpgradeDialogue, WriteFrameIsTriedTwice) {
    set_replies(upgrade_write, {2, 1});
    EXPECT_TRUE(contains(run("y 3"), connected + std::string(9, 'W') + written + tested));
    ASSERT_EQ(line.count_of(upgrade_write), 10);
    EXPECT_EQ(line.frames[2], line.frames[3]); // the same frame once more

    line = Line{};
    set_replies(upgrade_write, {1, 3, 3});
    EXPECT_TRUE(contains(run("y 3 n"), connected + "W\nWrong CRC of command\n" + repeat_question));
}

TEST_F(UpgradeDialogue, RepeatStartsAgainFromTheSwitchAndBlockZero) {
    set_replies(upgrade_write, {1, 1, 8, 8, 1});
    const std::string out = run("y 3 what y");
    EXPECT_TRUE(contains(out, connected + "WW\nError write controller memory, adr = 0x10\n" +
                                  repeat_question + repeat_question + switching + switched +
                                  connecting + connected + std::string(9, 'W') + written + tested));
    EXPECT_EQ(line.count_of(upgrade_switch), 2);
    EXPECT_EQ(line.controller.written_chunks,
              (std::vector<std::uint32_t>{0, 1, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(write_memory_error_text(0x48), "\nError write controller memory, adr = 0x48\n");
    EXPECT_EQ(write_memory_error_text(0xA8), "\nError write controller memory, adr = 0xA8\n");
}

TEST_F(UpgradeDialogue, MemoryTestIsRepeatedOnceAfterAFailure) {
    line.controller.checksum_faults = {0};
    EXPECT_TRUE(contains(run("y 3"), written + tested));
    EXPECT_EQ(line.count_of(upgrade_test), 2);

    line = Line{};
    set_replies(upgrade_test, {7, 1});
    EXPECT_TRUE(contains(run("y 3"), written + tested));

    line = Line{};
    set_replies(upgrade_test, {7, 6, 1});
    EXPECT_TRUE(contains(run("y 3 n"), written + "\nUnknow error 6\n" + repeat_question));
    EXPECT_FALSE(line.closed);

    // A failed code first, then a wrong checksum: a third test decides.
    line = Line{};
    set_replies(upgrade_test, {2, 1});
    line.controller.checksum_faults = {1};
    EXPECT_TRUE(contains(run("y 3"), written + tested));
    EXPECT_EQ(line.count_of(upgrade_test), 3);
}

TEST_F(UpgradeDialogue, ChecksumDifferingInAnyByteFails) {
    for (int byte = 0; byte < 4; ++byte) {
        SCOPED_TRACE(byte);
        line = Line{};
        line.controller.checksum_faults = {byte, byte};
        EXPECT_TRUE(
            contains(run("y 3 n"), written + "\nERROR test controller memory\n" + repeat_question));
        EXPECT_FALSE(line.closed);
        EXPECT_EQ(line.count_of(upgrade_test), 2);
    }
    // A code 0 reply carries a checksum too, but only code 1 counts as a test.
    line = Line{};
    set_replies(upgrade_test, {0});
    EXPECT_TRUE(contains(run("y 3 n"), written + "\nUnknow error 0\n" + repeat_question));
}

} // namespace
