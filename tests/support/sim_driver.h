// Drives the simulated device varden_sim from a test: starts it in a fresh temporary folder,
// sends script lines and waits for their acknowledgement, reads the frames it recorded, and
// stops it.
#pragma once

#include "sim/frame_record.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The varden_sim program named by VARDEN_SIM, or else the one built with the tests.
std::string sim_program();

// Called in a child between fork and exec: the child gets SIGTERM when the test process
// `parent` ends, whichever way it ends (and ends at once when it already has).
void end_with_parent(pid_t parent);

// A new empty folder under $TMPDIR (or /tmp), or empty on failure.
std::string make_temp_folder();

class SimulatedDevice {
public:
    SimulatedDevice() = default;
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;
    // Kills a device still running and removes its folder.
    ~SimulatedDevice();

    // Starts varden_sim as COM<port> in a fresh folder, with `extra_args` after --dir and
    // --port, and waits for its "ready" line. Returns 1, or 0.
    int start(int port, const std::vector<std::string>& extra_args = {});

    // Sends one script line and waits for its acknowledgement. Returns 1 for "ok", 0 for
    // "error", a time-out or a device that ended; last_reply() then holds the text after the
    // first word.
    int command(const std::string& line, int timeout_ms = 5000);
    const std::string& last_reply() const { return last_reply_; }

    // The frames recorded so far, and a wait until at least `count` are recorded.
    std::vector<RecordedFrame> frames() const;
    std::vector<RecordedFrame> wait_for_frames(std::size_t count, int timeout_ms = 3000) const;

    // Closes the device's standard input, as a driver that went away does.
    void end_script();

    // Sends "quit" and waits for the end. Returns the exit status, or -1.
    int stop(int timeout_ms = 5000);
    // Sends `signal` and waits for the end. Returns the exit status (128 + signal when the
    // signal ended it), or -1.
    int end_with_signal(int signal, int timeout_ms = 5000);

    pid_t pid() const { return pid_; }
    const std::string& folder() const { return folder_; }
    std::string link_path() const;
    std::string record_path() const { return folder_ + "/varden_sim.frames"; }

private:
    int read_line(std::string& line, int timeout_ms);
    int wait_for_exit(int timeout_ms);

    pid_t pid_ = -1;
    int to_device_ = -1;
    int from_device_ = -1;
    int port_ = 0;
    std::string folder_;
    std::string received_;
    std::string last_reply_;
};

// Runs varden_sim in a fresh folder (its working folder) with `args`, `script` on its
// standard input, until it ends. Returns the exit status (-1 when it had to be killed) and
// its standard error in `errors`.
int run_sim_to_end(const std::vector<std::string>& args, const std::string& script,
                   std::string& errors, int timeout_ms = 5000);

// Makes `folder` the working folder until the object goes, so that COMk links are found.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder);
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder();

private:
    std::string previous_;
};
