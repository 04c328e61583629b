// The program's settings: one INI file, read and written the way the Windows
// private-profile functions do it. Nothing is cached: every read opens the file.
#pragma once

#include <string>
#include <string_view>

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

// The process-wide settings file that every subsystem reads.
class Profile {
public:
    // The executable's path with its extension replaced by "ini"; when that
    // folder is not writable, $XDG_CONFIG_HOME/brelko/brelko.ini (or
    // ~/.config/brelko/brelko.ini).
    static std::string DefaultPath(const std::string& executablePath);
    // The running program's own executable (from /proc/self/exe).
    static std::string ExecutablePath();

    static void SetPath(std::string path);   // set once at start-up, before the first read
    static std::string Path();
    static IniFile File();

    static std::string GetString(std::string_view section, std::string_view key, std::string_view def);
    static int GetInt(std::string_view section, std::string_view key, int def);
    static bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    static bool WriteInt(std::string_view section, std::string_view key, int value);
};

}  // namespace brelko
