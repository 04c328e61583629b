// The platform layers on Windows: the settings file beside the executable,
// UTF-8 paths through the wide calls, atomic replacement and the targets it
// refuses, the archive toolkit's C runtime files, and Ctrl+C.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ByteArchive.h"
#include "cli/ConsoleSystem.h"
#include "comlink/CCommPort.h"
#include "platform/FileUtil.h"
#include "platform/Profile.h"
#include "cli/SignalWatcher.h"
#include "platform/SystemFiles.h"
#include "tests/support/Sandbox.h"
#include "platform/WideText.h"

namespace brelko {
namespace {

using test::TempDir;

// Files as the system sees them, by wide name: no layer of ours in between.
std::string ReadWide(const std::string& path) {
    HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
    CloseHandle(file);
    content.resize(got);
    return content;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(win::Widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = win::Narrow(data.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

TEST(Win32Settings, TheSettingsFileSitsBesideTheExecutable) {
    const std::string exe = Profile::ExecutablePath();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(exe.substr(exe.size() - 4), ".exe");
    const std::string ini = Profile::DefaultPath(exe);
    EXPECT_EQ(ini, exe.substr(0, exe.size() - 4) + ".ini");

    // A folder with a backslash path and Danish letters works the same way.
    TempDir dir;
    const std::string program = dir.Path() + "\\Måler\\brelko-cli.exe";
    ASSERT_TRUE(sysfile::MakeFolder(dir.Path() + "\\Måler"));
    EXPECT_EQ(Profile::DefaultPath(program), dir.Path() + "\\Måler\\brelko-cli.ini");
    IniFile file(Profile::DefaultPath(program));
    ASSERT_TRUE(file.WriteInt("Custom", "Comport", 3));
    EXPECT_EQ(file.GetInt("Custom", "Comport", 1), 3);
    EXPECT_EQ(ReadWide(dir.Path() + "\\Måler\\brelko-cli.ini"), "[Custom]\nComport=3\n");
}

TEST(Win32Files, Utf8PathsReachTheSystemAsTheSameNames) {
    TempDir dir;
    const std::string path = dir.Path() + "\\sikkerhedskopi æøå ÆØÅ.asc";
    std::string reason;
    ASSERT_TRUE(WriteFileAtomically(path, "SET A 1\r\n", 9, &reason)) << reason;
    EXPECT_EQ(ReadWide(path), "SET A 1\r\n");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"sikkerhedskopi æøå ÆØÅ.asc"});
    std::string content;
    int err = 0;
    ASSERT_TRUE(fileutil::ReadWholeFile(path, &content, &err));
    EXPECT_EQ(content, "SET A 1\r\n");
    auto archive = ByteArchive::OpenFile(path, ByteArchive::Mode::Load);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->Length(), 9u);
}

TEST(Win32Files, ReplacementKeepsTheOldContentUntilCommitAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("backup.asc");
    ASSERT_TRUE(WriteFileAtomically(path, "old", 3, nullptr));
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_TRUE(file.Write("new content", 11));
        EXPECT_EQ(ReadWide(path), "old");
        EXPECT_EQ(Entries(dir.Path()).size(), 2u);  // the target and the temporary file
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadWide(path), "new content");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"backup.asc"});
    {
        AtomicFile abandoned;
        ASSERT_TRUE(abandoned.Open(path));
        ASSERT_TRUE(abandoned.Write("half", 4));
    }
    EXPECT_EQ(ReadWide(path), "new content");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"backup.asc"});
}

TEST(Win32Files, DevicesAndFoldersAreRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    struct Case {
        std::string path;
        FileWriteError kind;
    };
    const Case cases[] = {
        {"NUL", FileWriteError::NotARegularFile},
        {dir.File("con.txt"), FileWriteError::NotARegularFile},  // a device in every folder
        {"COM1", FileWriteError::NotARegularFile},
        {"\\\\.\\COM2", FileWriteError::NotARegularFile},
        {dir.Path(), FileWriteError::Folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string reason;
        FileWriteError kind = FileWriteError::None;
        EXPECT_FALSE(WriteFileAtomically(c.path, "x", 1, &reason, &kind));
        EXPECT_EQ(kind, c.kind);
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_TRUE(Entries(dir.Path()).empty());
}

TEST(Win32Files, AReadOnlyTargetIsKeptAndTheFailureHasAReason) {
    TempDir dir;
    const std::string path = dir.File("locked.asc");
    ASSERT_TRUE(WriteFileAtomically(path, "kept", 4, nullptr));
    ASSERT_TRUE(SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(path, "lost", 4, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(ReadWide(path), "kept");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"locked.asc"});
    SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32Files, PathHelpersKnowBothSeparators) {
    EXPECT_EQ(fileutil::DirName("C:\\Data\\x.asc"), "C:\\Data");
    EXPECT_EQ(fileutil::DirName("C:/Data/x.asc"), "C:/Data");
    EXPECT_EQ(fileutil::DirName("x.asc"), ".");
    EXPECT_TRUE(sysfile::IsAbsolute("C:\\x"));
    EXPECT_TRUE(sysfile::IsAbsolute("\\\\server\\share\\x"));
    EXPECT_TRUE(sysfile::IsAbsolute("/work/x"));
    EXPECT_FALSE(sysfile::IsAbsolute("lang\\danish.lng"));
    EXPECT_FALSE(sysfile::IsAbsolute("C:x"));
}

TEST(Win32Files, PrivateFoldersAndUniqueFilesAreNew) {
    const std::string a = sysfile::MakePrivateFolder("brelko-test-");
    const std::string b = sysfile::MakePrivateFolder("brelko-test-");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    std::string first, second;
    int err = 0;
    std::FILE* f1 = sysfile::CreateUniqueFile(a, "arq", &first, &err);
    std::FILE* f2 = sysfile::CreateUniqueFile(a, "arq", &second, &err);
    ASSERT_NE(f1, nullptr);
    ASSERT_NE(f2, nullptr);
    EXPECT_NE(first, second);
    std::fclose(f1);
    std::fclose(f2);
    EXPECT_TRUE(sysfile::Remove(first));
    EXPECT_TRUE(sysfile::Remove(second));
    EXPECT_TRUE(RemoveDirectoryW(win::Widen(a).c_str()));
    RemoveDirectoryW(win::Widen(b).c_str());
}

TEST(Win32Console, CtrlCReachesTheCancelActionOnce) {
    std::atomic<int> calls{0};
    std::atomic<int> signal{0};
    {
        cli::SignalWatcher watcher([&](int s) {
            signal = s;
            ++calls;
        });
        // Under CTest the program has no console of its own; Wine makes a
        // headless one.
        if (!GetConsoleWindow()) AllocConsole();
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) GTEST_SKIP() << "no console to send Ctrl+C in";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (calls == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(watcher.Received(), SIGINT);
    }
    EXPECT_EQ(signal, SIGINT);
}

TEST(Win32Console, ClosingTheConsoleCancelsAndRemovesTheTemporaryFiles) {
    TempDir dir;
    const std::string temp = dir.Path() + "\\.backup.asc.1234";
    std::FILE* file = sysfile::OpenStream(temp, "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    const int slot = RegisterTemporaryFile(temp);
    std::atomic<int> cancels{0};
    {
        cli::SignalWatcher watcher([&](int) { ++cancels; });
        // The command does not end within the grace time here: the files go
        // all the same before the process would be ended.
        EXPECT_TRUE(cli::HandleConsoleEvent(CTRL_CLOSE_EVENT));
    }
    UnregisterTemporaryFile(slot);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(ReadWide(temp), "<missing>");
    EXPECT_FALSE(cli::HandleConsoleEvent(99));  // not ours
}

TEST(Win32Console, TextReachesTheConsoleAsItsOwnLetters) {
    if (!GetConsoleWindow()) AllocConsole();
    std::FILE* console = _wfopen(L"CONOUT$", L"w");
    if (!console) GTEST_SKIP() << "no console";
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(console)));
    CONSOLE_SCREEN_BUFFER_INFO info {};
    if (!GetConsoleScreenBufferInfo(handle, &info)) {
        std::fclose(console);
        GTEST_SKIP() << "no console buffer";
    }
    cli::WriteText(console, "\r\n\xC3\xA5" "bne \xC3\x86\xC3\x98\xC3\x85");  // "åbne ÆØÅ"
    GetConsoleScreenBufferInfo(handle, &info);
    wchar_t shown[8] = {};
    DWORD read = 0;
    ReadConsoleOutputCharacterW(handle, shown, 8, COORD{0, info.dwCursorPosition.Y}, &read);
    std::fclose(console);
    EXPECT_EQ(std::wstring(shown, read), L"\u00e5bne \u00c6\u00d8\u00c5");
}

// The abstract port's fatal report: a message box (which headless Wine
// cannot show, so it returns at once) and the same text on standard error,
// then status 1.
TEST(Win32LibraryErrorDeathTest, TheAbstractPortReportsAndEndsWithStatusOne) {
    CCommPort port;
    EXPECT_EXIT(port.Idle(), testing::ExitedWithCode(1), "Pure Virtual function called @.*COMLINK,241");
    EXPECT_EXIT(port.DumpStatus(nullptr), testing::ExitedWithCode(1), "COMLINK,285");
}

}  // namespace
}  // namespace brelko
