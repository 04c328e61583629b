// The few file-system calls the platform layers, the archive toolkit and the
// picture reception make, one file per system (SystemFilesPosix.cpp,
// SystemFilesWin32.cpp). Paths are UTF-8 everywhere; descriptors and streams
// are the C runtime's. Errors are errno values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace brelko::sysfile {

// The characters that end a folder name in a path.
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

// "/x", and on Windows also "\\x", "C:\\x", "C:/x" and "\\\\server\\x".
bool IsAbsolute(const std::string& path);

// std::filesystem paths from and to the program's UTF-8: a plain std::string
// would be taken in the system's code page on Windows.
inline std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

enum class Kind { Missing, Regular, Folder, Other };
struct Info {
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
};

// Opens a file for binary reading; a FIFO cannot hold the open up. The
// descriptor, or -1 with *err.
int OpenRead(const std::string& path, int* err);
bool InfoOf(int fd, Info* info, int* err);
// What is at the path; a missing or unreadable path gives Kind::Missing.
Info InfoOf(const std::string& path);
// Reads up to size bytes: the count, 0 at the end, -1 with *err.
long long Read(int fd, void* buffer, std::size_t size, int* err);
void Close(int fd);

bool Remove(const std::string& path);
// Makes one folder; true when it was made or is there already.
bool MakeFolder(const std::string& path);
// True when files can be made in the folder.
bool FolderWritable(const std::string& folder);
std::FILE* OpenStream(const std::string& path, const char* mode);
// Creates a new, empty file with a unique name starting with prefix in the
// folder, open for binary writing; nullptr with *err.
std::FILE* CreateUniqueFile(const std::string& folder, const std::string& prefix, std::string* name, int* err);
// A new folder only this user can enter, in the system's temporary folder;
// empty when none could be made.
std::string MakePrivateFolder(const std::string& prefix);
// Sets the access and modification times (seconds since 1970).
bool SetFileTime(const std::string& path, std::int64_t seconds);

// The running program's own executable.
std::string ExecutablePath();
// The folder for the settings of this user when the program's own folder
// cannot take them: $XDG_CONFIG_HOME or ~/.config; %APPDATA% on Windows.
std::string UserConfigFolder();
std::string ErrorMessage(int err);
// Whether the user's own settings ask for Danish when no locale variable
// says: the user interface language on Windows; never elsewhere, where the
// variables are the settings.
bool SystemPrefersDanish();

}  // namespace brelko::sysfile
