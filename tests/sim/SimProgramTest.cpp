// The brelko-sim program: its help, its device path and link, its end on a signal.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "comlink/CPosixPort.h"
#include "tests/sim/SimClient.h"

using namespace brelko::simtest;

namespace {

std::string RunProgram(const std::string& args, int* status = nullptr) {
    std::string out;
    FILE* p = ::popen((std::string(BRELKO_SIM_PROGRAM) + " " + args + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    int st = ::pclose(p);
    if (status) *status = st;
    return out;
}

}  // namespace

TEST(SimProgram, HelpDocumentsEveryOption) {
    int status = -1;
    const std::string help = RunProgram("--help", &status);
    EXPECT_EQ(status, 0);
    for (const char* option : {"--preset", "--list-presets", "--baud", "--restart-silence", "--product",
                               "--firmware", "--picture", "--picture-bits", "--picture-form", "--link",
                               "--fault-request", "--fault-silent-after", "--fault-drop-byte",
                               "--fault-corrupt-byte", "--fault-wrong-checksum", "--fault-wrong-echo",
                               "--fault-noise", "--fault-no-prompt", "--fault-hang-up-after"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    const std::string presets = RunProgram("--list-presets");
    for (const char* preset : {"tz410-3.2.E", "tz410-3.2.D", "tz220-2.11.A", "tz220-4.1.A", "kaldspot-1.7.A",
                               "tz410-old", "unknown", "mute"})
        EXPECT_NE(presets.find(preset), std::string::npos) << preset;
}

TEST(SimProgram, RefusesAnUnknownPreset) {
    int status = 0;
    const std::string out = RunProgram("--preset nothing-like-it", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("nothing-like-it"), std::string::npos);
}

TEST(SimProgram, ServesItsPathAndLinkUntilTerminated) {
    const std::string link = ::testing::TempDir() + "brelko-sim-link-" + std::to_string(::getpid());
    ::unlink(link.c_str());
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(BRELKO_SIM_PROGRAM, "brelko-sim", "--preset", "tz220-2.11.A", "--baud", "0", "--link",
                link.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string path;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') path += c;
    ::close(out[0]);
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

    // The link may come a moment after the path is printed.
    char target[256] = {};
    for (int i = 0; i < 100 && ::readlink(link.c_str(), target, sizeof target - 1) <= 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(std::string(target), path);
    // The program holds both sides of its pty: the far end of the line, no
    // other program that a port would have to make way for.
    EXPECT_EQ(brelko::CPosixPort::DeviceHolders(path), "");
    {
        brelko::CPosixPort port(link, 4096, 2048, 0);
        EXPECT_TRUE(port.IsOpen()) << port.OpenFailureReason();
    }
    {
        SimClient client(link);
        ASSERT_TRUE(client.IsOpen());
        EXPECT_EQ(client.Request("GET VERSION"), "GET VERSION\r\nTZ220 Vision 2.11.A\r\n>");
    }
    ::kill(pid, SIGTERM);
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);  // removed at exit
}

TEST(SimProgram, NeverReplacesARealFileWithItsLink) {
    const std::string file = ::testing::TempDir() + "brelko-sim-file-" + std::to_string(::getpid());
    std::ofstream(file) << "keep me";
    int status = 0;
    const std::string out = RunProgram("--baud 0 --link " + file, &status);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(out.find("not a symbolic link"), std::string::npos) << out;
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
    ::unlink(file.c_str());
}
