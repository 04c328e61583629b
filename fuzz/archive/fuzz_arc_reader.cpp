// Any bytes as an archive file: probe it, read its first header and extract
// everything from it into a private folder, with and without keep-paths.
#include "ArcEntry.h"
#include "ArcToolkit.h"

#include <cstdint>
#include <cstdio>
#include <ftw.h>
#include <string>
#include <unistd.h>

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/fuzzarcXXXXXX";
        return std::string(::mkdtemp(name));
    }();
    return folder;
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string archive = Folder() + "/in.arq";
    std::FILE* f = std::fopen(archive.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    brelko::ArcProbe(archive.c_str());
    brelko::ArcEntry entry;
    entry.m_pInput = std::fopen(archive.c_str(), "rb");
    brelko::ArcReadHeader(entry);
    std::fclose(entry.m_pInput);
    const int flags = size > 0 && (data[size - 1] & 1) ? brelko::kArcKeepPaths : 0;
    if (brelko::ArcOpen(archive.c_str(), flags) == brelko::kArcOk) {
        brelko::ArcAddRequest("*", (Folder() + "/out").c_str());
        brelko::ArcProcess();
        brelko::ArcClose();
    }
    // Nothing may land outside the output folder; clean up for the next input.
    ::nftw((Folder() + "/out").c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
