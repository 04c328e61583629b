// A temporary folder for one test, and small file helpers.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

class TestDir {
public:
    TestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brelko-cli-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    // Every name in the folder, hidden temporary files included.
    std::size_t Entries() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path)) ++n;
        return n;
    }
    std::string path;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
