// Any bytes as an archive file: probe it, read its first header and extract
// everything from it into a private folder, with and without keep-paths.
#include "archive/ArcEntry.h"
#include "archive/ArcToolkit.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

namespace {

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

const std::string& Folder()
{
    static const std::string folder = [] {
        // A header may claim gigabytes; keep every extracted file small.
        struct rlimit limit = {16 << 20, 16 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        // One folder for this target, reused and emptied at start, so runs leave nothing new behind.
        const std::string made = "/tmp/brelko-fuzz-arc-reader";
        ::nftw(made.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
        ::mkdir(made.c_str(), 0700);
        return made;
    }();
    return folder;
}

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
