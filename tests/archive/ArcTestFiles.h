// Temporary folders and small file helpers for the archive tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <filesystem>
#include <system_error>
#include "platform/SystemFiles.h"

namespace brelko::arctest {

class TempDir {
public:
    TempDir()
    {
#ifdef _WIN32
        m_path = sysfile::MakePrivateFolder("arctest");
#else
        char name[] = "/tmp/arctestXXXXXX";
        m_path = ::mkdtemp(name);
#endif
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(sysfile::PathOf(m_path), ec);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& data)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                static_cast<std::streamsize>(data.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace brelko::arctest
