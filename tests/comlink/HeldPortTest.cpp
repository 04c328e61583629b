// A device another program holds is refused, whether that program took a
// lock or not; lock files of the platform are honoured and held.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "comlink/CPosixPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "comlink/UucpLock.h"

extern char** environ;

namespace brelko {
namespace {

namespace fs = std::filesystem;
using test::PtyPair;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Waits for a condition that another process brings about.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// "sleep" holding the device as its standard input, with no lock of any kind.
class Holder {
public:
    Holder(const std::string& device, int closeFd) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, closeFd);
        posix_spawn_file_actions_addopen(&actions, 0, device.c_str(), O_RDWR | O_NOCTTY, 0);
        char sleep[] = "sleep";
        char seconds[] = "120";
        char* argv[] = {sleep, seconds, nullptr};
        if (posix_spawnp(&m_pid, "sleep", &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Holder() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

class HeldPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        ASSERT_FALSE(locks.empty());
        UucpLock::SetFolder(locks);
    }
    void TearDown() override { UucpLock::SetFolder(""); }
    // The lock file's name for the pty: LCK..pts_N.
    std::string LockFile() const {
        std::string name = pty.SlavePath().substr(5);
        for (char& c : name)
            if (c == '/') c = '_';
        return locks + "/LCK.." + name;
    }

    PtyPair pty;
    const test::TempDir m_locks;
    const std::string locks = m_locks.Path();
};

TEST_F(HeldPortTest, AHolderWithoutALockIsRefusedByName) {
    Holder holder(pty.SlavePath(), pty.Master());
    ASSERT_GT(holder.Pid(), 0);
    ASSERT_TRUE(Eventually([&] { return !CPosixPort::DeviceHolders(pty.SlavePath()).empty(); }));

    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PeekError(), LINK_GENERAL_ERROR) << "the code of a refused open";
    EXPECT_EQ(port.OpenFailureKind(), OpenFailure::Busy);
    const std::string reason = port.OpenFailureReason();
    EXPECT_NE(reason.find("sleep (pid " + std::to_string(holder.Pid()) + ")"), std::string::npos) << reason;
    EXPECT_FALSE(fs::exists(LockFile())) << "a refused open holds no lock";
}

TEST_F(HeldPortTest, TheFarEndOfAPtyAndThisProgramAreNoHolders) {
    // This process holds the master side: the far end of the line.
    EXPECT_TRUE(CPosixPort::DeviceHolders(pty.SlavePath()).empty());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    EXPECT_TRUE(port.IsOpen()) << port.OpenFailureReason();
}

TEST_F(HeldPortTest, LockFilesOfLiveProcessesRefuseAndStaleOnesAreRemoved) {
    Holder live("/dev/null", pty.Master());  // a live process of another name
    ASSERT_GT(live.Pid(), 0);
    char tenDigits[16];
    std::snprintf(tenDigits, sizeof tenDigits, "%10d\n", live.Pid());
    const int livePid = live.Pid();
    std::string binary(4, '\0');
    std::memcpy(binary.data(), &livePid, 4);
    struct Case {
        const char* name;
        std::string content;
        bool refused;
    } cases[] = {
        {"ten ASCII digits of a live process", tenDigits, true},
        {"the old binary form", binary, true},
        {"a process that is gone", "  99999999\n", false},
        {"not a number", "garbage\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(LockFile(), c.content);
        {
            CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
            EXPECT_EQ(port.IsOpen(), !c.refused) << port.OpenFailureReason();
            if (c.refused) {
                EXPECT_EQ(port.OpenFailureKind(), OpenFailure::Busy);
                EXPECT_NE(port.OpenFailureReason().find("sleep (pid " + std::to_string(livePid) + ")"),
                          std::string::npos)
                    << port.OpenFailureReason();
                EXPECT_EQ(Read(LockFile()), c.content) << "another program's lock stays";
                continue;
            }
            // Held while the port is open, in the ten-digit form.
            char own[16];
            std::snprintf(own, sizeof own, "%10d\n", static_cast<int>(::getpid()));
            EXPECT_EQ(Read(LockFile()), own);
        }
        EXPECT_FALSE(fs::exists(LockFile())) << "and removed when it closes";
    }
}

TEST_F(HeldPortTest, ALockFolderThatCannotBeWrittenDoesNotStopThePort) {
    for (const std::string& folder : {locks + "/missing", locks + "/file"}) {
        SCOPED_TRACE(folder);
        Write(locks + "/file", "not a folder");
        UucpLock::SetFolder(folder);
        CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
        EXPECT_TRUE(port.IsOpen()) << port.OpenFailureReason();
    }
}

TEST(UucpLockNames, FromTheDevicePath) {
    UucpLock::SetFolder("/run/lock");
    EXPECT_EQ(UucpLock::LockPathFor("/dev/ttyUSB0"), "/run/lock/LCK..ttyUSB0");
    EXPECT_EQ(UucpLock::LockPathFor("/dev/pts/7"), "/run/lock/LCK..pts_7");
    EXPECT_EQ(UucpLock::LockPathFor("/tmp/no-such-link/ttyX"), "/run/lock/LCK..ttyX");
    UucpLock::SetFolder("");
}

}  // namespace
}  // namespace brelko
