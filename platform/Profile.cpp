#include "platform/Profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/FileUtil.h"
#include "platform/SystemFiles.h"

namespace brelko {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// One physical line of the file, split without changing a byte of it.
struct Line {
    enum class Kind { Blank, Comment, Section, Key, Malformed };
    Kind kind = Kind::Blank;
    std::string_view text;  // without its line ending
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

Line ParseLine(std::string_view raw) {
    Line line;
    line.text = raw;
    std::string_view s = Trim(raw);
    if (s.empty()) return line;
    if (s.front() == ';' || s.front() == '#') {
        line.kind = Line::Kind::Comment;
        return line;
    }
    if (s.front() == '[') {
        auto close = s.find(']');
        if (close == std::string_view::npos) {
            line.kind = Line::Kind::Malformed;
            return line;
        }
        line.kind = Line::Kind::Section;
        line.name = Trim(s.substr(1, close - 1));
        return line;
    }
    auto eq = s.find('=');
    if (eq == std::string_view::npos || Trim(s.substr(0, eq)).empty()) {
        line.kind = Line::Kind::Malformed;
        return line;
    }
    line.kind = Line::Kind::Key;
    line.name = Trim(s.substr(0, eq));
    line.value = Trim(s.substr(eq + 1));
    return line;
}

// The file as lines, each with the offset where its line ending starts and
// the offset of the next line.
struct Parsed {
    struct Entry {
        Line line;
        std::size_t begin;
        std::size_t end;   // end of text (before CR LF / LF)
        std::size_t next;  // start of the next line
    };
    std::vector<Entry> entries;
    bool crlf = false;
};

Parsed Parse(const std::string& content) {
    Parsed parsed;
    std::size_t pos = 0;
    bool first = true;
    while (pos < content.size()) {
        std::size_t nl = content.find('\n', pos);
        std::size_t next = nl == std::string::npos ? content.size() : nl + 1;
        std::size_t end = nl == std::string::npos ? content.size() : nl;
        bool cr = end > pos && content[end - 1] == '\r';
        if (cr) --end;
        if (first && nl != std::string::npos) parsed.crlf = cr;
        std::string_view text = std::string_view(content).substr(pos, end - pos);
        // A byte-order mark that editors put in front is not part of the first line.
        if (first && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        first = false;
        parsed.entries.push_back({ParseLine(text), pos, end, next});
        pos = next;
    }
    return parsed;
}

// Values enclosed in matching quotes lose them, as the Windows functions do.
std::string Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::optional<std::string> Lookup(const std::string& path, std::string_view section, std::string_view key) {
    std::string content;
    int err = 0;
    if (!fileutil::ReadWholeFile(path, &content, &err)) return std::nullopt;
    bool inSection = false;
    for (const auto& e : Parse(content).entries) {
        const Line& line = e.line;
        if (line.kind == Line::Kind::Section) {
            // The first section of that name is the one that counts.
            if (inSection) return std::nullopt;
            inSection = SameName(line.name, Trim(section));
        } else if (inSection && line.kind == Line::Kind::Key && SameName(line.name, Trim(key))) {
            return Unquote(line.value);
        }
    }
    return std::nullopt;
}

// As GetPrivateProfileInt: blanks, an optional sign, then decimal digits up to
// the first other character; no digits give 0. Out of range is clamped.
int ParseDecimal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

// Gives an unterminated last line its line ending (a lone CR only lacks the LF).
void EndLastLine(std::string& text, const std::string& eol) {
    if (text.empty() || text.back() == '\n') return;
    text += text.back() == '\r' ? std::string("\n") : eol;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

IniFile::IniFile(std::string path) : m_path(std::move(path)) {}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view def) const {
    auto value = Lookup(m_path, section, key);
    return value ? *value : std::string(def);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int def) const {
    auto value = Lookup(m_path, section, key);
    if (!value || value->empty()) return def;
    return ParseDecimal(*value);
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    return Lookup(m_path, section, key);
}

bool IniFile::Accepts(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    // Names or values that would break the line structure are refused rather
    // than written into a file that reads back differently.
    return !(section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
             section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
             key.front() == '[' || key.front() == ';' || key.front() == '#');
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
    if (!Accepts(section, key, value)) return false;
    section = Trim(section);
    key = Trim(key);

    std::lock_guard lock(WriteMutex());
    std::string content;
    int err = 0;
    if (!fileutil::ReadWholeFile(m_path, &content, &err) && err != ENOENT) return false;

    Parsed parsed = Parse(content);
    const std::string eol = parsed.crlf ? "\r\n" : "\n";
    std::string keyLine = std::string(key) + "=" + std::string(value);

    // Find the first section of that name, the key in it, and where the
    // section's last non-blank line ends.
    std::optional<std::size_t> sectionIndex;
    std::optional<std::size_t> keyIndex;
    std::size_t lastContent = 0;
    for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
        const Line& line = parsed.entries[i].line;
        if (line.kind == Line::Kind::Section) {
            if (sectionIndex) break;
            if (SameName(line.name, section)) {
                sectionIndex = i;
                lastContent = i;
            }
        } else if (sectionIndex) {
            if (line.kind == Line::Kind::Key && SameName(line.name, key)) {
                keyIndex = i;
                break;
            }
            if (line.kind != Line::Kind::Blank) lastContent = i;
        }
    }

    std::string result;
    if (keyIndex) {
        const auto& e = parsed.entries[*keyIndex];
        // Keep the name as the file spells it and any indentation before it.
        std::string_view text = e.line.text;
        std::size_t nameStart = text.find_first_not_of(" \t");
        std::string replacement = std::string(text.substr(0, nameStart)) + std::string(e.line.name) + "=" +
                                  std::string(value);
        result = content.substr(0, e.begin) + replacement + content.substr(e.end);
    } else if (sectionIndex) {
        const auto& e = parsed.entries[lastContent];
        std::string before = content.substr(0, e.next);
        EndLastLine(before, eol);
        result = before + keyLine + eol + content.substr(e.next);
    } else {
        result = content;
        EndLastLine(result, eol);
        if (!result.empty() && !parsed.entries.empty() && parsed.entries.back().line.kind != Line::Kind::Blank)
            result += eol;
        result += "[" + std::string(section) + "]" + eol + keyLine + eol;
    }
    std::string reason;
    return fileutil::ReplaceFile(m_path, result, &reason);
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) const {
    return WriteString(section, key, std::to_string(value));
}

// ---------------------------------------------------------------------------

namespace {

struct ProfileState {
    std::mutex mutex;
    std::string path;    // the file named, or the one beside the program
    std::string user;    // the user's own file that takes the changes; empty: none
};

ProfileState& State() {
    static ProfileState state;
    return state;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    std::size_t pos = 0;
    while ((pos = folder.find_first_of(sysfile::kSeparators, pos + 1)) != std::string::npos)
        sysfile::MakeFolder(folder.substr(0, pos));
    return sysfile::MakeFolder(folder);
}

bool Exists(const std::string& path) { return !path.empty() && sysfile::InfoOf(path).kind != sysfile::Kind::Missing; }

// The folders the system installs programs into. The settings file never goes
// there, not even for root, who could write it: it would belong to no user,
// and outlive the package that put the program there.
bool IsSystemProgramFolder(const std::string& folder) {
#ifdef _WIN32
    (void)folder;
    return false;
#else
    return folder == "/bin" || folder == "/sbin" || folder.rfind("/usr/", 0) == 0;
#endif
}

// The files a read looks in, first first: the user's own once it exists,
// then the one beside the program.
std::vector<std::string> ReadOrder(const std::string& path, const std::string& user) {
    if (!user.empty() && Exists(user)) return {user, path};
    return {path};
}

std::string BesidePath(const std::string& executablePath) {
    std::string path = executablePath;
    auto slash = path.find_last_of(sysfile::kSeparators);
    auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        path.erase(dot);
    return path + ".ini";
}

}  // namespace

std::string Profile::DefaultPath(const std::string& executablePath) {
    std::string path = BesidePath(executablePath);
#ifdef _WIN32
    // Nothing is tried out in the program's folder; see UseProgramSettings.
    return path;
#else
    std::string folder = fileutil::DirName(path);
    if (!executablePath.empty() && !IsSystemProgramFolder(folder) && sysfile::FolderWritable(folder)) return path;

    std::string fallbackFolder = sysfile::UserConfigFolder() + "/brelko";
    MakeFolders(fallbackFolder);
    return fallbackFolder + "/brelko.ini";
#endif
}

std::string Profile::UserPath(const std::string& executablePath) {
    const std::string beside = BesidePath(executablePath);
    const auto slash = beside.find_last_of(sysfile::kSeparators);
#ifdef _WIN32
    const char* separator = "\\";
#else
    const char* separator = "/";
#endif
    return sysfile::UserConfigFolder() + separator + "Brelko" + separator +
           (slash == std::string::npos ? beside : beside.substr(slash + 1));
}

void Profile::UseProgramSettings(const std::string& executablePath) {
#ifdef _WIN32
    SetFiles(DefaultPath(executablePath), UserPath(executablePath));
#else
    SetPath(DefaultPath(executablePath));
#endif
}

std::string Profile::ExecutablePath() { return sysfile::ExecutablePath(); }

void Profile::SetPath(std::string path) { SetFiles(std::move(path), {}); }

void Profile::SetFiles(std::string beside, std::string user) {
    ProfileState& state = State();
    std::lock_guard lock(state.mutex);
    state.path = std::move(beside);
    state.user = std::move(user);
}

std::string Profile::Path() {
    ProfileState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.path.empty()) state.path = DefaultPath(ExecutablePath());
    return ReadOrder(state.path, state.user).front();
}

std::vector<std::string> Profile::FilesRead() {
    ProfileState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.path.empty()) state.path = DefaultPath(ExecutablePath());
    std::vector<std::string> files;
    for (const std::string& file : ReadOrder(state.path, state.user))
        if (files.empty() || Exists(file)) files.push_back(file);
    return files;
}

IniFile Profile::File() { return IniFile(Path()); }

std::string Profile::GetString(std::string_view section, std::string_view key, std::string_view def) {
    for (const std::string& file : FilesRead())
        if (auto value = IniFile(file).Find(section, key)) return *value;
    return std::string(def);
}

int Profile::GetInt(std::string_view section, std::string_view key, int def) {
    for (const std::string& file : FilesRead())
        if (auto value = IniFile(file).Find(section, key)) return value->empty() ? def : ParseDecimal(*value);
    return def;
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!IniFile::Accepts(section, key, value)) return false;
    std::string path, user;
    {
        ProfileState& state = State();
        std::lock_guard lock(state.mutex);
        if (state.path.empty()) state.path = DefaultPath(ExecutablePath());
        path = state.path;
        user = state.user;
    }
    if (user.empty() || Exists(user)) return IniFile(user.empty() ? path : user).WriteString(section, key, value);
    // The program's folder decides by taking the change or not; nothing is
    // tried there before.
    if (IniFile(path).WriteString(section, key, value)) return true;
    // Not there (an install the user may not change): the user's own file,
    // made from the one beside the program so that every setting stays.
    std::string beside;
    int err = 0;
    if (!fileutil::ReadWholeFile(path, &beside, &err) && err != ENOENT) return false;
    MakeFolders(fileutil::DirName(user));
    std::string reason;
    if (!fileutil::ReplaceFile(user, beside, &reason)) return false;
    return IniFile(user).WriteString(section, key, value);
}

bool Profile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

}  // namespace brelko
