// Extraction allocates per entry, never per chunk: a 2 MiB entry costs the
// same number of allocations as a 5 KiB one.
#include "tests/archive/ArcTestData.h"
#include "tests/archive/ArcTestFiles.h"
#include "archive/ArcToolkit.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace brelko {
namespace {

long AllocationsToExtract(const arctest::TempDir& dir, const std::string& name, const std::vector<std::uint8_t>& data,
                          int method)
{
    ArcWriteEntry e;
    e.name = name;
    e.data = data;
    e.method = method;
    arctest::WriteFile(dir / (name + ".arq"), ArcBuildArchive({e}));
    EXPECT_EQ(ArcOpen((dir / (name + ".arq")).c_str(), 0), kArcOk);
    EXPECT_EQ(ArcAddRequest("*", dir.Path().c_str()), kArcOk);
    const long before = g_allocations.load();
    EXPECT_EQ(ArcProcess(), kArcOk);
    const long used = g_allocations.load() - before;
    EXPECT_EQ(ArcLastExtractions().at(0).status, kArcOk);
    EXPECT_EQ(ArcClose(), kArcOk);
    return used;
}

TEST(ArcAllocations, NoneDependOnTheEntrySize)
{
    arctest::TempDir dir;
    AllocationsToExtract(dir, "WARMUP", {1, 2, 3}, 2);  // first use builds tables and lists
    for (int method : {1, 2}) {
        const long small = AllocationsToExtract(dir, "SMALL" + std::to_string(method), arctest::SettingsText(5000), method);
        const long large = AllocationsToExtract(dir, "LARGE" + std::to_string(method), arctest::SettingsText(2 << 20), method);
        EXPECT_EQ(small, large) << "method " << method;
    }
}

}  // namespace
}  // namespace brelko
