// The INI reader over a file of arbitrary content: reads never crash, and a
// write that is accepted reads back as written while every other line of the
// file stays as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "platform/Profile.h"

namespace {

std::string g_folder;

void RemoveFolder() {
    ::unlink((g_folder + "/fuzz.ini").c_str());
    ::rmdir(g_folder.c_str());
}

// A folder of our own in memory-backed storage (every write syncs its file),
// removed again when the run ends.
const std::string& IniPath() {
    static const std::string path = [] {
        char folder[] = "/dev/shm/brelko-fuzz-ini-XXXXXX";
        char fallback[] = "/tmp/brelko-fuzz-ini-XXXXXX";
        const char* made = ::mkdtemp(folder);
        if (!made) made = ::mkdtemp(fallback);
        if (!made) std::abort();
        g_folder = made;
        std::atexit(RemoveFolder);
        return g_folder + "/fuzz.ini";
    }();
    return path;
}

void WriteFile(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) std::abort();
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

std::string ReadFile(const std::string& path) {
    std::string content;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) std::abort();
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return content;
}

// Lines without their line endings (LF, or CR LF).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// What a value reads back as: without surrounding blanks, and without
// matching quotes around it.
std::string AsRead(std::string_view v) {
    while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
    while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(48);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const std::string& path = IniPath();
    WriteFile(path, content);
    IniFile ini(path);
    (void)ini.GetString(section, key, "default");
    (void)ini.GetInt(section, key, -1);
    (void)ini.GetInt("Custom", "Comport", 1);
    (void)ini.GetString("Language", "CurrentLanguage", "");

    if (!ini.WriteString(section, key, value)) {
        // A refused write leaves the file alone.
        if (ReadFile(path) != content) __builtin_trap();
        return 0;
    }
    if (ini.GetString(section, key, "\x01missing") != AsRead(value)) __builtin_trap();

    // One change in one place: the old lines are the new ones with one
    // stretch taken out, and that stretch replaced at most one old line.
    const std::string written = ReadFile(path);
    const auto before = Lines(content), after = Lines(written);
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    if (before.size() - prefix - suffix > 1) __builtin_trap();
    return 0;
}
