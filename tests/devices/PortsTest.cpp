// The serial devices by name: who may open a device, what libudev lists on
// this machine, and the inventory of ports over real pseudo-terminals named
// in the settings file.
//
// libudev cannot be shown a made-up device tree: it ignores SYSFS_PATH,
// refuses device paths outside /sys and checks that each device folder lies
// on a sysfs file system. So the listing is checked against this machine's
// own /sys, and the inventory takes its udev entries as data.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "comlink/devices/DeviceAccess.h"
#include "comlink/devices/PortInventory.h"
#include "tests/support/PtyPeer.h"
#include "comlink/devices/SerialDevices.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

namespace fs = std::filesystem;

TEST(DeviceAccessTest, WhoMayOpenAndWhatWouldHelp) {
    constexpr gid_t kDialout = 20;
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
        uid_t user;
        std::vector<gid_t> groups;
        bool listed;
        bool mayOpen;
        const char* group;
        bool newLogin;
    };
    const Case cases[] = {
        {"member of the device's group", 0660, 0, 1000, {100, kDialout}, true, true, "", false},
        {"not a member", 0660, 0, 1000, {100}, false, false, "dialout", false},
        {"joined, this login older", 0660, 0, 1000, {100}, true, false, "dialout", true},
        {"group may only read", 0640, 0, 1000, {100}, false, false, "", false},
        {"owner only", 0600, 0, 1000, {100}, false, false, "", false},
        {"owner's bits decide for the owner", 0060, 1000, 1000, {kDialout}, true, false, "", false},
        {"the owner", 0600, 1000, 1000, {100}, false, true, "", false},
        {"everybody", 0666, 0, 1000, {100}, false, true, "", false},
        {"the superuser", 0600, 1000, 0, {0}, false, true, "", false},
    };
    for (const Case& c : cases) {
        AccessFacts facts;
        facts.mode = S_IFCHR | c.mode;
        facts.owner = c.owner;
        facts.group = kDialout;
        facts.groupName = "dialout";
        facts.user = c.user;
        facts.userGroups = c.groups;
        facts.listedInGroup = c.listed;
        const DeviceAccess access = JudgeAccess(facts);
        EXPECT_TRUE(access.exists) << c.name;
        EXPECT_EQ(access.mayOpen, c.mayOpen) << c.name;
        EXPECT_EQ(access.group, c.group) << c.name;
        EXPECT_EQ(access.newLoginNeeded, c.newLogin) << c.name;
    }
}

// The real check, as a user without rights: run in a child that gives up
// the superuser's rights.
TEST(DeviceAccessTest, AnotherUserIsToldTheGroupToJoin) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to act as another user";
    test::TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    const std::string device = dir.File("ttyFake");
    std::ofstream(device) << "";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no group dialout here";
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
        const DeviceAccess access = CheckDeviceAccess(device);
        const DeviceAccess missing = CheckDeviceAccess(device + "-not-there");
        ::_exit(access.exists && !access.mayOpen && access.group == "dialout" && !missing.exists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_TRUE(CheckDeviceAccess(device).mayOpen) << "the superuser may";
}

// Every UART the kernel found is listed with its driver, no placeholder
// port and no virtual terminal is. The kernel's own view is read here by
// hand, independently of libudev.
TEST(SerialDevicesTest, TheListingMatchesTheKernelsUarts) {
    std::vector<std::string> uarts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        const std::string name = entry.path().filename().string();
        std::ifstream type(entry.path() / "type");
        int value = 0;
        if (name.rfind("ttyS", 0) == 0 && (type >> value) && value != 0) uarts.push_back("/dev/" + name);
    }
    const std::vector<SerialDeviceInfo> devices = ListSerialDevices();
    for (const std::string& uart : uarts) {
        const auto it = std::find_if(devices.begin(), devices.end(),
                                     [&](const SerialDeviceInfo& d) { return d.devnode == uart; });
        ASSERT_NE(it, devices.end()) << uart << " is missing";
        EXPECT_FALSE(it->driver.empty()) << uart;
        EXPECT_NE(it->driver, "port") << "the serial core's own driver tells nothing";
        EXPECT_EQ(it->StableName(), it->stableNames.empty() ? uart : it->stableNames.front());
    }
    for (const SerialDeviceInfo& device : devices) {
        const std::string name = fs::path(device.devnode).filename().string();
        EXPECT_TRUE(name.rfind("ttyS", 0) != 0 || std::count(uarts.begin(), uarts.end(), device.devnode) == 1)
            << device.devnode << " has no UART";
        EXPECT_NE(name, "tty0");
        EXPECT_NE(name, "console");
        EXPECT_NE(name, "ptmx");
        for (std::size_t i = 1; i < device.stableNames.size(); ++i)
            EXPECT_FALSE(device.stableNames[i].rfind("/dev/serial/by-id/", 0) == 0 &&
                         device.stableNames[i - 1].rfind("/dev/serial/by-id/", 0) != 0)
                << "by-id names come first";
    }
    EXPECT_TRUE(std::is_sorted(devices.begin(), devices.end(), [](const auto& a, const auto& b) {
        return a.devnode < b.devnode;
    }));
}

class InventoryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(adapterPty.Ok());
        ASSERT_TRUE(ownLinkPty.Ok());
        // What udev would say of a USB adapter on the first terminal.
        adapter.devnode = adapterPty.SlavePath();
        adapter.stableNames = {dir.File("usb-FTDI_FT232R_A5XK3RJT-if00-port0")};
        adapter.vendorId = "0403";
        adapter.productId = "6001";
        adapter.driver = "ftdi_sio";
        adapter.bus = "usb";
        fs::create_symlink(adapter.devnode, adapter.stableNames[0]);
        fs::create_symlink(ownLinkPty.SlavePath(), dir.File("my-line"));
    }

    test::TempDir dir;
    test::PtyPair adapterPty;
    test::PtyPair ownLinkPty;
    SerialDeviceInfo adapter;
};

TEST_F(InventoryTest, ComNumbersMeetTheirDevicesHoweverTheSettingsNameThem) {
    const test::TempIni ini("[Ports]\nCOM2=" + adapter.stableNames[0] + "\nCOM3=" + adapterPty.SlavePath() +
                            "\nCOM4=" + dir.File("my-line") + "\nCOM6=" + dir.File("usb-unplugged") + "\n");
    SerialDeviceInfo unused;
    unused.devnode = "/dev/ttyUSB-none";
    unused.driver = "cdc_acm";

    const std::vector<PortEntry> entries = TakePortInventory({unused, adapter}, SettingsComResolver(), 8);
    ASSERT_EQ(entries.size(), 4u);

    EXPECT_EQ(entries[0].comNumbers, (std::vector<int>{2, 3}));  // by its stable name and by its node
    EXPECT_EQ(entries[0].stableName, adapter.stableNames[0]);
    EXPECT_EQ(entries[0].path, adapterPty.SlavePath());
    EXPECT_TRUE(entries[0].known);
    EXPECT_EQ(entries[0].device.vendorId, "0403");
    EXPECT_TRUE(entries[0].exists);

    EXPECT_EQ(entries[1].comNumbers, std::vector<int>{4});  // a link of one's own keeps its name
    EXPECT_EQ(entries[1].stableName, dir.File("my-line"));
    EXPECT_EQ(entries[1].path, ownLinkPty.SlavePath());
    EXPECT_FALSE(entries[1].known);
    EXPECT_TRUE(entries[1].exists);

    EXPECT_EQ(entries[2].comNumbers, std::vector<int>{6});
    EXPECT_FALSE(entries[2].exists);
    EXPECT_FALSE(entries[2].access.exists);

    EXPECT_TRUE(entries[3].comNumbers.empty());  // udev's, with no COM number
    EXPECT_EQ(entries[3].path, "/dev/ttyUSB-none");
    EXPECT_FALSE(entries[3].exists);
}

TEST_F(InventoryTest, HoldersAndAccessAreTheSystemsOwn) {
    const test::TempIni ini("[Ports]\nCOM1=" + adapterPty.SlavePath() + "\n");
    // Another program holds the terminal open.
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // Only the terminal: with the far end inherited from the test the
        // child would count as the line's other side, not as a holder.
        ::closefrom(3);
        const int fd = ::open(adapterPty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    std::vector<PortEntry> entries;
    const std::string pid = "(pid " + std::to_string(holder) + ")";
    for (int round = 0; round < 500; ++round) {  // until the child has opened it
        entries = TakePortInventory({adapter}, SettingsComResolver(), 1);
        if (!entries.empty() && entries[0].holders.find(pid) != std::string::npos) break;
        ::usleep(10000);
    }
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].holders.find(pid), std::string::npos) << entries[0].holders;
    EXPECT_EQ(entries[0].access.mayOpen, ::access(adapterPty.SlavePath().c_str(), R_OK | W_OK) == 0);

    // Once it has let go, nobody else holds it.
    EXPECT_EQ(TakePortInventory({adapter}, SettingsComResolver(), 1)[0].holders, "");
}

TEST_F(InventoryTest, TyingAComNumberWritesTheStableName) {
    const test::TempIni ini("[Custom]\nComport=2\n");
    ASSERT_TRUE(TieComNumber(2, adapter.stableNames[0]));
    EXPECT_EQ(Profile::GetString("Ports", "COM2", ""), adapter.stableNames[0]);
    EXPECT_EQ(Profile::GetInt("Custom", "Comport", 0), 2);
    const std::vector<PortEntry> entries = TakePortInventory({adapter}, SettingsComResolver(), 4);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].comNumbers, std::vector<int>{2});
}

}  // namespace
}  // namespace brelko
