// The real varden program against the simulated device, beside the window program in the same
// test: the made file, the download's frames and the uploaded ".UPL" are those of the window;
// several devices at once; the errors; the dumps and results of a folder as text and as CSV,
// read back with Python's csv module.
#include "analysis/dump_analysis.h"
#include "analysis/session_results.h"
#include "database/transfer_buttons.h"
#include "files/folder_files.h"
#include "formats/device_messages.h"
#include "tests/database/sample_database.h"
#include "tests/support/window_fixture.h"
#include "traffic/upload_control.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int tab_sampling = 4;
constexpr int tab_collect = 6;

struct VardenRun {
    int status = -1;
    std::string out, err;
};

// Runs varden with `args` to its end (killed after a minute) and takes what it printed.
VardenRun varden(std::vector<std::string> args) {
    VardenRun run;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return run;
    args.insert(args.begin(), VARDEN_PROGRAM);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        end_with_parent(parent);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int open = 2; open > 0 && std::chrono::steady_clock::now() < deadline;) {
        if (::poll(fds, 2, 200) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char block[4096];
            const ssize_t got = ::read(fds[i].fd, block, sizeof block);
            if (got > 0) {
                texts[i]->append(block, static_cast<std::size_t>(got));
                continue;
            }
            ::close(fds[i].fd);
            fds[i].fd = -1;
            --open;
        }
    }
    if (fds[0].fd >= 0 || fds[1].fd >= 0)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// The frames of a download: from command 7 to command 8.
std::vector<RecordedFrame> download_frames(const std::vector<RecordedFrame>& frames) {
    std::vector<RecordedFrame> download;
    for (const RecordedFrame& frame : frames) {
        if (frame.code == 7)
            download.clear();
        download.push_back(frame);
    }
    while (!download.empty() && download.back().code != 8)
        download.pop_back();
    return download;
}

// Every frame field but the time, one line a frame, for a comparison that names the first
// difference.
std::vector<std::string> frame_texts(const std::vector<RecordedFrame>& frames) {
    std::vector<std::string> texts;
    for (const RecordedFrame& f : frames) {
        std::string text = std::to_string(static_cast<int>(f.kind)) + " " + std::to_string(f.code) +
                           " " + std::to_string(f.block) + " " + std::to_string(f.length) + " " +
                           std::to_string(static_cast<int>(f.check)) + " ";
        for (const std::uint8_t byte : f.payload)
            text += std::to_string(byte) + ",";
        texts.push_back(text);
    }
    return texts;
}

// The records of CSV text as Python's csv module reads them, fields joined by "|".
std::string csv_read_back(const std::string& csv, const std::string& folder) {
    const std::string file = path_in(folder, "records.csv");
    write_file(file, csv);
    std::string command = "python3 " CSV_ROWS_SCRIPT " < " + file;
    std::string rows;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
            rows.append(block, n);
        if (::pclose(pipe) != 0)
            return "python3 refused the CSV: " + rows;
    }
    return rows;
}

class VardenTest : public WindowTest {
protected:
    std::string other_file(const SimulatedDevice& other, const std::string& name) const {
        return path_in(other.folder(), name);
    }
    bool window_transfer_ended(std::size_t frames_before) {
        return run_passes_until(
            [&] {
                const std::vector<int> codes = recorded_codes();
                return codes.size() > frames_before && codes.back() == 8;
            },
            10000);
    }
};

} // namespace

TEST_F(VardenTest, MakeDownloadAndUploadGiveWhatTheWindowGives) {
    SimulatedDevice other;
    ASSERT_EQ(other.start(2), 1);
    write_sample_database(other.folder());
    write_sample_database(device.folder());
    restart_program();

    connect_on_page(tab_sampling);
    std::size_t before = recorded_codes().size();
    make_and_download_button();
    ASSERT_TRUE(window_transfer_ended(before));

    const VardenRun make = varden({"-C", other.folder(), "make", "EURO.dnl"});
    EXPECT_EQ(make.status, 0) << make.err;
    EXPECT_EQ(make.err, "");
    EXPECT_TRUE(make.out.starts_with("Creating EURO.dnl ...\nCreating EURO.dnl ...1\n"))
        << make.out;
    EXPECT_TRUE(make.out.ends_with("\nEURO.dnl file is created\n")) << make.out;
    EXPECT_EQ(read_test_text(other_file(other, "EURO.dnl")), read_test_text(path("EURO.dnl")));

    const VardenRun download =
        varden({"-C", other.folder(), "download", "EURO.dnl", "--port", "2"});
    EXPECT_EQ(download.status, 0) << download.err;
    EXPECT_TRUE(
        download.out.starts_with("VARDEN connected\nDownloading IMAGE DATE to VARDEN ...\n"))
        << download.out;
    EXPECT_NE(download.out.find("\nDownloaded NAME/NOMINAL/NUM to VARDEN\nVARDEN disconnected\n"),
              std::string::npos)
        << download.out;
    const std::vector<RecordedFrame> by_window = download_frames(device.frames());
    ASSERT_GT(by_window.size(), 4u);
    EXPECT_EQ(frame_texts(download_frames(other.frames())), frame_texts(by_window));

    for (SimulatedDevice* each : {&device, &other})
        ASSERT_EQ(each->command("database-mc 4"), 1);
    click_tab_slot(tab_collect);
    before = recorded_codes().size();
    upload_button();
    ASSERT_TRUE(window_transfer_ended(before));
    const VardenRun upload = varden({"-C", other.folder(), "upload", "--port", "2"});
    EXPECT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.out.find("\nEUrO.UPL created\n"), std::string::npos) << upload.out;
    EXPECT_EQ(file_bytes(other_file(other, "EUrO.UPL")), file_bytes(path("EUrO.UPL")));

    const VardenRun check = varden({"-C", other.folder(), "--quiet", "check", "--port", "2"});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out + check.err, "");

    // A refused "go on" ends the upload with command 8 and leaves no ".UPL" behind.
    std::filesystem::remove(other_file(other, "EUrO.UPL"));
    ASSERT_EQ(other.command("result 6 2"), 1);
    const VardenRun refused = varden({"-C", other.folder(), "upload", "--port", "2"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Wrong header of command\n");
    EXPECT_FALSE(file_present(other_file(other, "EUrO.UPL")));
    EXPECT_FALSE(file_present(other_file(other, "EUrO.UPL.tmp")));
    const std::vector<RecordedFrame> frames = other.frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[frames.size() - 2].code, 8); // then the disconnection

    // A refused page frame fails the check, and the device is disconnected again.
    ASSERT_EQ(other.command("result 9 2"), 1);
    const VardenRun page_refused = varden({"-C", other.folder(), "check", "--port", "2"});
    EXPECT_EQ(page_refused.status, 1);
    EXPECT_EQ(page_refused.out, "VARDEN connected\nVARDEN disconnected\n");
    EXPECT_EQ(page_refused.err, "Wrong header of command\n");
    EXPECT_EQ(other.frames().back().code, 13);
}

TEST_F(VardenTest, SeveralDevicesAtOnceAndOneAbsent) {
    SimulatedDevice second, third;
    ASSERT_EQ(second.start(2), 1);
    ASSERT_EQ(third.start(3), 1);
    write_sample_database(second.folder());
    const std::string folder = second.folder();
    std::filesystem::create_symlink(std::filesystem::read_symlink(third.link_path()),
                                    path_in(folder, "COM3"));
    std::filesystem::create_symlink("/dev/pts/no-such-terminal", path_in(folder, "COM5"));

    const VardenRun run = varden({"-C", folder, "download", "EURO.dnl", "--make", "--port", "2",
                                  "--port", "5", "--port", "3"});
    EXPECT_EQ(run.status, 1);
    for (const char* line :
         {"COM2: VARDEN connected\n", "COM3: VARDEN connected\n",
          "COM2: Downloaded NAME/NOMINAL/NUM to VARDEN\n",
          "COM3: Downloaded NAME/NOMINAL/NUM to VARDEN\n", "COM2: done\n", "COM3: done\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " missing from\n" << run.out;
    // The make ran once, before the ports; the absent port's error, and again in the summary.
    EXPECT_TRUE(run.out.starts_with("Creating EURO.dnl ...\n")) << run.out;
    EXPECT_EQ(run.out.find("file is created"), run.out.rfind("file is created"));
    const std::string absent = "Port COM5 (COM5 -> /dev/pts/no-such-terminal) is not there";
    EXPECT_EQ(run.err, "COM5: " + absent + "\nCOM5: " + absent + "\n");
    for (SimulatedDevice* each : {&second, &third}) {
        ASSERT_EQ(each->command("database-state"), 1);
        EXPECT_TRUE(each->last_reply().starts_with("sides=5 ")) << each->last_reply();
    }
}

TEST_F(VardenTest, BadInputGetsAClearErrorAndTheRightStatus) {
    const std::string here = device.folder();
    const VardenRun missing_folder = varden({"-C", here + "/nowhere", "ports"});
    EXPECT_EQ(missing_folder.status, 1);
    EXPECT_EQ(missing_folder.err,
              "varden: cannot work in " + here + "/nowhere: No such file or directory\n");

    const VardenRun missing_file = varden({"-C", here, "make", "MISSING.dnl"});
    EXPECT_EQ(missing_file.status, 1);
    EXPECT_EQ(missing_file.err, "Can't find MISSING.dnl\n");

    write_file(path("EMPTY.dnl"), std::string("COR=0\r\n;A_5_1\r\n"));
    const VardenRun not_made = varden({"-C", here, "download", "EMPTY.dnl", "--port", "1"});
    EXPECT_EQ(not_made.status, 1);
    EXPECT_EQ(not_made.err, "DB is empty\n");

    // The window of this test holds COM1.
    const std::string pid = std::to_string(::getpid());
    const VardenRun held = varden({"-C", here, "check", "--port", "1"});
    EXPECT_EQ(held.status, 1);
    EXPECT_TRUE(held.err.starts_with("Port COM1 (COM1 -> /dev/pts/")) << held.err;
    EXPECT_NE(held.err.find(") is in use by " + pid + " ("), std::string::npos) << held.err;
    const VardenRun ports = varden({"-C", here, "ports"});
    EXPECT_EQ(ports.status, 0);
    EXPECT_TRUE(ports.out.starts_with("COM1  COM1 -> /dev/pts/")) << ports.out;
    EXPECT_NE(ports.out.find("  there  in use by " + pid + " ("), std::string::npos);
    EXPECT_NE(ports.out.find("\nCOM30  /dev/ttyACM9  "), std::string::npos) << ports.out;

    for (const std::vector<std::string>& usage : {std::vector<std::string>{"download", "EURO.dnl"},
                                                  {"check", "--port", "31"},
                                                  {"make", "../EURO.dnl"},
                                                  {"frobnicate"},
                                                  {}}) {
        const VardenRun run = varden(usage);
        EXPECT_EQ(run.status, 2) << run.out << run.err;
        EXPECT_NE(run.err, "");
    }
    const VardenRun help = varden({"upload", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: varden upload [OPTIONS]"), std::string::npos) << help.out;
}

TEST_F(VardenTest, DumpsAndResultsAsLinesAndAsCsv) {
    const std::string here = make_temp_folder();
    ASSERT_FALSE(here.empty());
    DumpFields recognised;
    recognised.flags = dump_flag_cmp_failed;
    recognised.side_index = 1;
    recognised.uvl = 5;
    recognised.pql = 7;
    recognised.uv = 300;
    recognised.cmp = 20;
    recognised.mag = 9;
    recognised.pqs = 11;
    recognised.name = "U,\"";
    recognised.extension = "OLD";
    recognised.denomination = 100;
    DumpFields unrecognised;
    unrecognised.flags = dump_flag_unrecognised;
    unrecognised.kind_index = 1;
    DumpFields uvl_only;
    uvl_only.flags = dump_flag_uvl_only;
    uvl_only.uvl = 42;
    const std::vector<std::vector<std::uint8_t>> dumps = {
        build_memory_dump(recognised, {{}, {10, 20, 30, 40}}),
        build_memory_dump(unrecognised,
                          {{50, 50, 50, 50}, {1, 2, 3, 4}, {60, 1, 1, 1}, {9, 9, 9, 9}}),
        std::vector<std::uint8_t>(100, 0), build_memory_dump(uvl_only, {})};
    for (std::size_t i = 0; i < dumps.size(); ++i)
        write_file(path_in(here, std::to_string(i + 1) + ".ram"), dumps[i]);

    const VardenRun lines = varden({"-C", here, "dumps"});
    EXPECT_EQ(lines.status, 1);
    EXPECT_EQ(lines.err, "3.ram holds 100 bytes, not 16048\n");
    EXPECT_EQ(lines.out, analyse_dump(1, dumps[0].data(), memory_dump_size) + "\n" +
                             analyse_dump(2, dumps[1].data(), memory_dump_size) + "\n" +
                             analyse_dump(4, dumps[3].data(), memory_dump_size) + "\n");
    const VardenRun csv = varden({"-C", here, "dumps", "--csv"});
    EXPECT_EQ(csv.status, 1);
    EXPECT_EQ(csv_read_back(csv.out, here),
              "Num|Currency|Extension|Value|Side|R|G|B|IR|UVL|CMP|UV|MAG|PQL|PQS|CMP failed|"
              "UV failed|MAG failed|PQS failed|Recognised\n"
              "1|U,\"|OLD|100|2|10|20|30|40|5|20|300|9|7|11|1|0|0|0|1\n"
              "2|||||1|2|3|4|||||||||||0\n"
              "4|||||||||42||||||||||0\n");

    const LocalDateTime when{2026, 12, 9, 14, 5, 7};
    const std::vector<std::string> table = {
        session_line(12, when, "USD", 4, 500), denomination_line(100, 3, 300),
        denomination_line(200, 1, 200),        currency_line("EUR", 1, 50),
        denomination_line(50, 1, 50),          "this line is not one of the table",
        session_line(3, when, "CHF", 3, 30),   denomination_line(10, 3, 30)};
    std::string text;
    for (const std::string& line : table)
        text += line + "\r\n";
    write_file(path_in(here, "DAY.res"), text);
    const VardenRun results = varden({"-C", here, "results", "DAY.res"});
    EXPECT_EQ(results.status, 0);
    std::string expected;
    for (const std::string& line : table)
        expected += line + "\n";
    EXPECT_EQ(results.out, expected);
    const VardenRun records = varden({"-C", here, "results", "DAY.res", "--csv"});
    EXPECT_EQ(records.status, 1);
    EXPECT_EQ(records.err, "DAY.res line 6 cannot be read: this line is not one of the table\n");
    EXPECT_EQ(csv_read_back(records.out, here), "Count|Date|Time|Currency|Value|Pieces|Total\n"
                                                "12|09.12.26|14:05:07|USD|100|3|300\n"
                                                "12|09.12.26|14:05:07|USD|200|1|200\n"
                                                "12|09.12.26|14:05:07|EUR|50|1|50\n"
                                                "3|09.12.26|14:05:07|CHF|10|3|30\n");
    std::filesystem::remove_all(here);
}
