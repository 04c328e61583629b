// The program's settings: one INI file, read and written the way the Windows
// private-profile functions do it. Nothing is cached: every read opens the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelko {

// One INI file by path. Section and key names compare without case; a missing
// file, section or key gives the caller's default; malformed lines are skipped.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return m_path; }

    // The value without surrounding blanks; a value in matching quotes loses them.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal text: blanks, an optional sign, digits up to the first other
    // character ("12abc" is 12); a value that does not start with a number
    // reads as 0, an empty one gives the default.
    int GetInt(std::string_view section, std::string_view key, int def) const;
    // The value as the file has it; nullopt when the file, section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // False for text that would break the file's lines (see WriteString).
    static bool Accepts(std::string_view section, std::string_view key, std::string_view value);

    // Creates the file and the section as needed and keeps every other line,
    // comment and the order untouched. The file is replaced atomically
    // (temporary file, then rename). False when the file cannot be read or
    // written, and for text that would break the file's lines (a line break
    // anywhere, "=" in the key, "]" in the section, an empty name).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteInt(std::string_view section, std::string_view key, int value) const;

private:
    std::string m_path;
};

// The process-wide settings that every subsystem reads: one file named at
// start-up, or the program's own settings (UseProgramSettings).
class Profile {
public:
    // The executable's path with its extension replaced by "ini". Elsewhere
    // than on Windows, when that folder is not writable,
    // $XDG_CONFIG_HOME/brelko/brelko.ini (or ~/.config/brelko/brelko.ini).
    static std::string DefaultPath(const std::string& executablePath);
    // The user's own settings file that takes the changes the program's
    // folder will not: %APPDATA%\Brelko\<the program's name>.ini.
    static std::string UserPath(const std::string& executablePath);
    // The running program's own executable (from /proc/self/exe).
    static std::string ExecutablePath();

    // The settings when no file is named. On Windows the file beside the
    // program is read whenever it exists (an install under Program Files
    // too); once the user's own file exists it is read first. A change goes
    // beside the program when its folder takes it, else into the user's own
    // file, made from the one beside the program at the first change.
    // Nothing is tried out in the program's folder at start-up. Elsewhere:
    // the one file DefaultPath names.
    static void UseProgramSettings(const std::string& executablePath);

    static void SetPath(std::string path);   // one file, set at start-up before the first read
    // The file beside the program and the user's own (empty: none), as
    // UseProgramSettings sets them.
    static void SetFiles(std::string beside, std::string user);
    // The file in use: the one changes go to and reads look in first.
    static std::string Path();
    // The files reads look in, first first: the file in use, and the one
    // beside the program when the user's own is in use and it exists.
    static std::vector<std::string> FilesRead();
    static IniFile File();

    static std::string GetString(std::string_view section, std::string_view key, std::string_view def);
    static int GetInt(std::string_view section, std::string_view key, int def);
    static bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    static bool WriteInt(std::string_view section, std::string_view key, int value);
};

}  // namespace brelko
