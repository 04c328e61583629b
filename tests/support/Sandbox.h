// A test's own corner of the machine: a fresh folder removed with everything
// in it afterwards, a settings file of its own that the program reads, the
// user's settings folder moved aside, an environment variable set for a while.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Profile.h"
#ifdef _WIN32
#include "platform/SystemFiles.h"
#else
#include <signal.h>
#include <sys/resource.h>
#endif

namespace brelko::test {

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempDir {
public:
#ifdef _WIN32
    TempDir() : m_path(sysfile::MakePrivateFolder("brelko-test-")) {}
#else
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brelko-test-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data())) m_path = buffer.data();
    }
#endif
    // Removed even where a test took the owner's rights away.
    ~TempDir() {
        if (m_path.empty()) return;
        std::error_code ec;
#ifndef _WIN32
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
#endif
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    // Names of everything in the folder, hidden files included, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

// A settings file of the test's own, `brelko.ini` in a fresh folder, made
// the settings file that the program reads.
class TempIni {
public:
    explicit TempIni(const std::string& content = "") {
        Rewrite(content);
        Profile::SetPath(Path());
    }
    void Rewrite(const std::string& content) const { WriteFile(Path(), content); }
    std::string Path() const { return m_dir.File("brelko.ini"); }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
};

#ifndef _WIN32
// An environment variable set while it lives, then as it was.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) {
            m_hadValue = true;
            m_old = old;
        }
        ::setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_hadValue)
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadValue = false;
};

// The user's own settings folder (where the toolkit keeps its dialogs'
// history and last folders) is a fresh one for the rest of the test
// process: no test starts where another test, or the user, left off.
inline void IsolateUserSettings() {
    static const TempDir config;
    static const bool isolated = ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1) == 0;
    (void)isolated;
}

// While it lives, no file may grow beyond `bytes`: writes past it fail with
// EFBIG (even for root, unlike permissions), so write failures are real.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

}  // namespace brelko::test
