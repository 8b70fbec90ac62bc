#include "link/serial_port.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs a test body inside a fresh working folder, as the programs look for COMk links there.
class PortNames : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varden_ports_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    fs::path folder_;
    fs::path previous_;
};

} // namespace

TEST_F(PortNames, FixedTableWithoutLocalLinks) {
    EXPECT_EQ(port_device_path(1), "/dev/ttyS0");
    EXPECT_EQ(port_device_path(10), "/dev/ttyS9");
    EXPECT_EQ(port_device_path(11), "/dev/ttyUSB0");
    EXPECT_EQ(port_device_path(20), "/dev/ttyUSB9");
    EXPECT_EQ(port_device_path(21), "/dev/ttyACM0");
    EXPECT_EQ(port_device_path(30), "/dev/ttyACM9");
    EXPECT_EQ(port_device_path(0), "");
    EXPECT_EQ(port_device_path(31), "");
    EXPECT_EQ(port_device_path(-3), "");
}

TEST_F(PortNames, LinkInWorkingFolderWinsEvenWhenDangling) {
    fs::create_symlink("/dev/ttyUSB0", "COM3");
    fs::create_symlink("/nonexistent/device", "COM4");
    EXPECT_EQ(port_device_path(3), "COM3");
    EXPECT_EQ(port_device_path(4), "COM4");
    EXPECT_EQ(port_device_path(5), "/dev/ttyS4");
    // A dangling link names a port that cannot be opened; nothing else is tried instead.
    EXPECT_EQ(open_port(4), 0);
    EXPECT_EQ(open_port(31), 0);
}

TEST_F(PortNames, MissingPortReadsNothingAndFailsWrites) {
    fs::create_symlink("/nonexistent/device", "COM7");
    select_port(7);
    EXPECT_EQ(current_port_descriptor(), -1);
    EXPECT_EQ(read_byte_now(), -1);
    EXPECT_EQ(read_byte_within(0), -1);
    const std::uint8_t byte = 0x55;
    EXPECT_EQ(purge_and_write(&byte, 1), 0);
}
