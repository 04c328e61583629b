// The Windows rules that Wine cannot show end to end, each on its own: which
// errors mean the device has gone, what a finished background write
// records, how a replacement the system left halfway is finished or undone
// (the replace call fails on purpose here, on real files), the command line
// as UTF-16, and where the settings are read and written.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/AtomicFileWin32.h"
#include "comlink/CWin32Port.h"
#include "comlink/CWin32PortErrors.h"
#include "cli/ConsoleSystem.h"
#include "comlink/LinkCodes.h"
#include "platform/Profile.h"
#include "platform/ReplaceRecovery.h"
#include "platform/SystemFiles.h"
#include "tests/support/Sandbox.h"
#include "platform/WideText.h"

namespace brelko {
namespace {

using test::TempDir;

std::string Read(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

void Put(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(Win32PortErrors, DeviceGoneErrorsAndTheOneModemStatusException) {
    struct Case {
        DWORD error;
        bool gone;
    };
    const Case cases[] = {
        {ERROR_DEVICE_REMOVED, true},  {ERROR_BAD_COMMAND, true},     {ERROR_ACCESS_DENIED, true},
        {ERROR_OPERATION_ABORTED, true}, {ERROR_GEN_FAILURE, true},   {ERROR_INVALID_HANDLE, true},
        {ERROR_DEVICE_NOT_CONNECTED, true}, {ERROR_NOT_READY, true},  {ERROR_BROKEN_PIPE, true},
        {ERROR_IO_PENDING, false},     {ERROR_IO_INCOMPLETE, false},  {ERROR_NOT_SUPPORTED, false},
        {ERROR_INVALID_PARAMETER, false}, {ERROR_SUCCESS, false},
    };
    for (const Case& c : cases) EXPECT_EQ(win32port::IsDeviceGone(c.error), c.gone) << c.error;
    // A pty under Wine has no modem lines (50); every other failure of the
    // modem status is not "CTS on".
    EXPECT_TRUE(win32port::MeansNoModemLines(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(win32port::MeansNoModemLines(ERROR_NOT_READY));
    EXPECT_FALSE(win32port::MeansNoModemLines(ERROR_BAD_COMMAND));
    EXPECT_FALSE(win32port::MeansNoModemLines(ERROR_GEN_FAILURE));
}

TEST(Win32PortErrors, ABackgroundWriteThatFailedIsRecorded) {
    struct Case {
        BOOL ok;
        DWORD error, done, handed;
        bool abortedByUs;
        int code;
    };
    const Case cases[] = {
        {TRUE, 0, 64, 64, false, 0},
        {FALSE, ERROR_BAD_COMMAND, 0, 64, false, LINK_WRITE_ERROR},       // unplugged under way
        {FALSE, ERROR_OPERATION_ABORTED, 10, 64, false, LINK_WRITE_ERROR},  // the driver ended it
        {TRUE, 0, 10, 64, false, LINK_WRITE_ERROR},                       // short: bytes that never left
        {FALSE, ERROR_OPERATION_ABORTED, 10, 64, true, 0},                // our own purge
        {FALSE, ERROR_BAD_COMMAND, 0, 64, true, LINK_WRITE_ERROR},        // gone during our purge
    };
    for (const Case& c : cases)
        EXPECT_EQ(win32port::WriteCompletionCode(c.ok, c.error, c.done, c.handed, c.abortedByUs), c.code)
            << c.error << " " << c.done << "/" << c.handed;
}

TEST(Win32PortConfig, OpenSetsEveryFieldTheProtocolDependsOn) {
    // Whatever the last program left in the driver's block.
    DCB dcb;
    std::memset(&dcb, 0xFF, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    CWin32Port::ApplyOpenDefaults(dcb, 4096);
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 0u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fDsrSensitivity, 0u);
    EXPECT_EQ(dcb.fTXContinueOnXoff, 1u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    EXPECT_EQ(dcb.fErrorChar, 0u);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.fNull, 0u);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fAbortOnError, 0u);
    EXPECT_EQ(dcb.XonLim, 1024);
    EXPECT_EQ(dcb.XoffLim, 128);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.EofChar, 0);
    EXPECT_EQ(dcb.EvtChar, 0);
}

TEST(Win32ReplaceRecovery, TheNextStepFollowsWhatIsOnDisk) {
    using fileos::ReplaceStep;
    struct Case {
        const char* what;
        fileos::ReplaceState state;
        ReplaceStep step;
    };
    // target, replacement, backup, move failed, restore failed
    const Case cases[] = {
        {"1175: both keep their names", {true, true, false, false, false}, ReplaceStep::KeepTarget},
        {"1176 with a backup name: both keep their names", {true, true, false, false, false}, ReplaceStep::KeepTarget},
        {"1176 without: the target is gone", {false, true, false, false, false}, ReplaceStep::MoveReplacement},
        {"1177: the original under the backup name", {false, true, true, false, false}, ReplaceStep::MoveReplacement},
        {"1177, the move failed too", {false, true, true, true, false}, ReplaceStep::RestoreOriginal},
        {"1177, the restore failed too", {false, true, true, true, true}, ReplaceStep::Stranded},
        {"1176 without a backup, the move failed", {false, true, false, true, false}, ReplaceStep::Stranded},
        {"the replacement went in after all", {true, false, true, false, false}, ReplaceStep::Done},
        {"restored: the old content is back", {true, true, false, true, false}, ReplaceStep::KeepTarget},
        {"only the old content is left", {false, false, true, false, false}, ReplaceStep::RestoreOriginal},
        {"nothing is left", {false, false, false, false, false}, ReplaceStep::Stranded},
    };
    for (const Case& c : cases) EXPECT_EQ(fileos::NextReplaceStep(c.state), c.step) << c.what;
}

class ReplaceRecoveryFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        const std::wstring folder = win::Widen(dir.Path());
        target = folder + L"\\backup.asc";
        replacement = folder + L"\\.backup.asc.new";
        backup = folder + L"\\.backup.asc.old";
        Put(target, "old");
        Put(replacement, "new");
    }
    // Fails with `error` after doing to the files what the documentation
    // says the system has done by then.
    fileos::ReplaceCall FailingWith(DWORD error) {
        return [error](const std::wstring& t, const std::wstring&, const std::wstring& b) {
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) DeleteFileW(t.c_str());
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileW(t.c_str(), b.c_str());
            SetLastError(error);
            return FALSE;
        };
    }
    TempDir dir;
    std::wstring target, replacement, backup;
};

TEST_F(ReplaceRecoveryFiles, Error1176MovesTheReplacementIntoThePlaceLeftEmpty) {
    const auto outcome = fileos::ReplaceWithRecovery(target, replacement, backup, FailingWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT));
    EXPECT_TRUE(outcome.replaced);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Read(replacement), "<missing>");
}

TEST_F(ReplaceRecoveryFiles, Error1177MovesTheReplacementInAndDropsTheRenamedOriginal) {
    const auto outcome =
        fileos::ReplaceWithRecovery(target, replacement, backup, FailingWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2));
    EXPECT_TRUE(outcome.replaced);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Read(backup), "<missing>");
}

TEST_F(ReplaceRecoveryFiles, Error1177WithTheReplacementHeldPutsTheOriginalBack) {
    // Another program (a virus scanner) holds the new file: it cannot move.
    HANDLE held = CreateFileW(replacement.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto outcome =
        fileos::ReplaceWithRecovery(target, replacement, backup, FailingWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2));
    CloseHandle(held);
    EXPECT_FALSE(outcome.replaced);
    EXPECT_FALSE(outcome.stranded);
    EXPECT_EQ(outcome.error, static_cast<DWORD>(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2));
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Read(replacement), "new");  // still there for the caller to remove
}

TEST_F(ReplaceRecoveryFiles, Error1176WithTheReplacementHeldKeepsItAndSaysSo) {
    HANDLE held = CreateFileW(replacement.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto outcome = fileos::ReplaceWithRecovery(target, replacement, backup, FailingWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT));
    CloseHandle(held);
    EXPECT_FALSE(outcome.replaced);
    EXPECT_TRUE(outcome.stranded);
    EXPECT_EQ(Read(replacement), "new");  // the only copy left: never removed
}

TEST_F(ReplaceRecoveryFiles, ASharingViolationChangesNothing) {
    const auto outcome = fileos::ReplaceWithRecovery(target, replacement, backup, FailingWith(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(outcome.replaced);
    EXPECT_FALSE(outcome.stranded);
    EXPECT_EQ(Read(target), "old");
}

TEST(Win32Files, ARelativeNameIsReplacedAsAnAbsoluteOneIs) {
    TempDir dir;
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(win::Widen(dir.Path()).c_str()));
    std::string reason;
    const bool first = WriteFileAtomically("relative.asc", "old", 3, &reason);
    const bool second = WriteFileAtomically("relative.asc", "new", 3, &reason);
    const std::string content = Read(L"relative.asc");
    SetCurrentDirectoryW(saved);
    EXPECT_TRUE(first);
    EXPECT_TRUE(second) << reason;
    EXPECT_EQ(content, "new");
}

TEST(Win32Files, ATargetThatCannotBeReplacedIsRefusedAtOpen) {
    TempDir dir;
    const std::string path = dir.Path() + "\\locked.asc";
    ASSERT_TRUE(WriteFileAtomically(path, "kept", 4, nullptr));
    ASSERT_TRUE(SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
    AtomicFile readOnly;
    std::string reason;
    EXPECT_FALSE(readOnly.Open(path, &reason));
    EXPECT_FALSE(reason.empty());
    SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    // Held open by another program that does not let it be deleted.
    HANDLE held = CreateFileW(win::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    AtomicFile inUse;
    EXPECT_FALSE(inUse.Open(path, &reason));
    CloseHandle(held);
    AtomicFile free;
    EXPECT_TRUE(free.Open(path, &reason)) << reason;
}

TEST(Win32CommandLine, ArgumentsComeAsUtf16AndBrokenTextIsRefused) {
    int refused = -2;
    auto args = cli::ArgumentsFromCommandLine(L"brelko-cli.exe convert \"M\u00e5linger\\in.mtx\" hal_\u00f8.tga", &refused);
    EXPECT_EQ(refused, -1);
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(args[2], "M\xC3\xA5linger\\in.mtx");
    EXPECT_EQ(args[3], "hal_\xC3\xB8.tga");
    // A surrogate pair is one character; a lone surrogate is no text.
    args = cli::ArgumentsFromCommandLine(L"brelko-cli.exe backup \U0001F600.asc", &refused);
    EXPECT_EQ(refused, -1);
    EXPECT_EQ(args[2], "\xF0\x9F\x98\x80.asc");
    const wchar_t broken[] = {L'b', L' ', L'x', L' ', L'h', L'a', L'l', 0xD800, L'.', L't', L'g', L'a', 0};
    args = cli::ArgumentsFromCommandLine(broken, &refused);
    EXPECT_EQ(refused, 2);
}

class SettingsFiles : public testing::Test {
protected:
    void SetUp() override {
        beside = dir.Path() + "\\brelko-cli.ini";
        user = dir.Path() + "\\AppData\\Brelko\\brelko-cli.ini";
        Put(win::Widen(beside), "[Custom]\r\nComport=7\r\nDirectory=D:\\Data\r\n");
        Profile::SetFiles(beside, user);
    }
    void TearDown() override {
        SetFileAttributesW(win::Widen(beside).c_str(), FILE_ATTRIBUTE_NORMAL);
        Profile::SetPath(dir.Path() + "\\unused.ini");
    }
    TempDir dir;
    std::string beside, user;
};

TEST_F(SettingsFiles, TheFileBesideTheProgramIsReadWhileTheUsersOwnLacksTheKey) {
    EXPECT_EQ(Profile::GetInt("Custom", "Comport", 1), 7);
    // An empty file of the user's own (from an older version) hides nothing.
    ASSERT_TRUE(sysfile::MakeFolder(dir.Path() + "\\AppData"));
    ASSERT_TRUE(sysfile::MakeFolder(dir.Path() + "\\AppData\\Brelko"));
    Put(win::Widen(user), "");
    EXPECT_EQ(Profile::GetInt("Custom", "Comport", 1), 7);
    EXPECT_EQ(Profile::Path(), user);
    EXPECT_EQ(Profile::FilesRead(), (std::vector<std::string>{user, beside}));
}

TEST_F(SettingsFiles, AChangeThatTheProgramsFolderWillNotTakeGoesToTheUsersOwnSeededCopy) {
    ASSERT_TRUE(SetFileAttributesW(win::Widen(beside).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Profile::WriteInt("Custom", "Comport", 3));
    EXPECT_EQ(Read(win::Widen(beside)), "[Custom]\r\nComport=7\r\nDirectory=D:\\Data\r\n");
    EXPECT_EQ(Read(win::Widen(user)), "[Custom]\r\nComport=3\r\nDirectory=D:\\Data\r\n");
    EXPECT_EQ(Profile::GetInt("Custom", "Comport", 1), 3);
    EXPECT_EQ(Profile::GetString("Custom", "Directory", ""), "D:\\Data");
    EXPECT_EQ(Profile::Path(), user);
}

TEST_F(SettingsFiles, AFolderThatTakesTheChangeKeepsItBesideTheProgram) {
    ASSERT_TRUE(Profile::WriteInt("Custom", "Comport", 4));
    EXPECT_EQ(Profile::GetInt("Custom", "Comport", 1), 4);
    EXPECT_EQ(Read(win::Widen(user)), "<missing>");
    EXPECT_EQ(Profile::FilesRead(), std::vector<std::string>{beside});
}

std::wstring VersionValue(const std::vector<char>& info, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, length && value[length - 1] == 0 ? length - 1 : length);
}

TEST(Win32Program, TheProgramCarriesItsVersionAndItsManifest) {
    const std::wstring exe = win::Widen(BRELKO_CLI_EXE);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << BRELKO_CLI_EXE;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    EXPECT_EQ(VersionValue(info, L"ProductName"), L"Brelko");
    EXPECT_EQ(VersionValue(info, L"CompanyName"), L"Brelko");
    EXPECT_EQ(win::Narrow(VersionValue(info, L"ProductVersion")), BRELKO_VERSION);
    EXPECT_EQ(VersionValue(info, L"OriginalFilename"), L"brelko-cli.exe");

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(resource, nullptr) << "no manifest";
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(text, SizeofResource(module, resource));
    FreeLibrary(module);
    EXPECT_NE(manifest.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8<"),
              std::string::npos);
    EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // Windows 10 and 11
}

}  // namespace
}  // namespace brelko
