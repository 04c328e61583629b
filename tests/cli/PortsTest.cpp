// The ports listing over a made-up /dev and /sys.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "SerialPorts.h"
#include "Strings.h"

using namespace brelko;
using namespace brelko::cli;
namespace fs = std::filesystem;

namespace {

class FakeMachine {
public:
    FakeMachine() {
        std::string pattern = (fs::temp_directory_path() / "brelko-ports-XXXXXX").string();
        root = mkdtemp(pattern.data());
        roots.dev = root + "/dev";
        roots.sysTty = root + "/sys";
        fs::create_directories(roots.dev + "/serial/by-id");
        fs::create_directories(roots.sysTty);
    }
    ~FakeMachine() { fs::remove_all(root); }

    void Device(const std::string& name) { std::ofstream(roots.dev + "/" + name) << ""; }
    void Uart(const std::string& name, int type) {
        fs::create_directories(roots.sysTty + "/" + name);
        std::ofstream(roots.sysTty + "/" + name + "/type") << type << "\n";
    }
    void ById(const std::string& name, const std::string& target) {
        fs::create_symlink("../../" + target, roots.dev + "/serial/by-id/" + name);
    }
    // COM<n> as the serial link resolves it: the settings' Ports/COM<n>, else ttyS<n-1>.
    ComResolver Resolver(std::map<int, std::string> ports) const {
        return [this, ports](int com) {
            auto it = ports.find(com);
            return it != ports.end() ? it->second : roots.dev + "/ttyS" + std::to_string(com - 1);
        };
    }

    std::string root;
    SerialScanRoots roots;
};

}  // namespace

TEST(SerialPortsTest, FindsAdaptersUartsAndTheirComNumbers) {
    FakeMachine m;
    m.Device("ttyS0");
    m.Uart("ttyS0", 4);
    m.Device("ttyS1");
    m.Uart("ttyS1", 0);  // no UART behind it: not listed
    m.Device("ttyUSB0");
    m.Device("ttyACM3");
    m.Device("tty0");    // not a serial port
    m.ById("usb-FTDI_FT232R_A1-if00-port0", "ttyUSB0");

    const auto devices = ScanSerialDevices(m.Resolver({{3, m.roots.dev + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"}}),
                                           m.roots);
    ASSERT_EQ(3u, devices.size());
    std::map<std::string, SerialDevice> byName;
    for (const auto& d : devices) byName[fs::path(d.path).filename().string()] = d;
    ASSERT_TRUE(byName.count("ttyS0"));
    ASSERT_TRUE(byName.count("ttyUSB0"));
    ASSERT_TRUE(byName.count("ttyACM3"));
    EXPECT_EQ(std::vector<int>{1}, byName["ttyS0"].comNumbers);
    EXPECT_EQ(std::vector<int>{3}, byName["ttyUSB0"].comNumbers);
    ASSERT_EQ(1u, byName["ttyUSB0"].aliases.size());
    EXPECT_NE(std::string::npos, byName["ttyUSB0"].aliases[0].find("usb-FTDI_FT232R_A1"));
    EXPECT_TRUE(byName["ttyACM3"].comNumbers.empty());
}

TEST(SerialPortsTest, ComNumbersNamingMissingDevicesAreListedAsMissing) {
    FakeMachine m;
    const auto devices = ScanSerialDevices(m.Resolver({{2, "/dev/pts/nonexistent-42"}}), m.roots);
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ("/dev/pts/nonexistent-42", devices[0].path);
    EXPECT_FALSE(devices[0].exists);
    EXPECT_EQ(std::vector<int>{2}, devices[0].comNumbers);
}

TEST(SerialPortsTest, DescriptionMarksTheConfiguredPort) {
    SetBuiltinLanguage(Language::English);
    std::vector<SerialDevice> devices(2);
    devices[0].path = "/dev/ttyS0";
    devices[0].comNumbers = {1};
    devices[1].path = "/dev/ttyUSB0";
    devices[1].comNumbers = {3, 4};
    devices[1].aliases = {"/dev/serial/by-id/usb-x"};
    EXPECT_EQ("COM1        /dev/ttyS0\n"
              "COM3* COM4  /dev/ttyUSB0  /dev/serial/by-id/usb-x\n"
              "* configured (Custom/Comport)\n",
              DescribeSerialDevices(devices, 3));
    EXPECT_EQ("No serial devices found\n", DescribeSerialDevices({}, 1));
}
