#include "cli/LastWords.h"

#include <atomic>
#include <cstring>

namespace brelko::cli {

namespace {

// Two buffers: the one being written is never the one a handler reads.
constexpr std::size_t kSize = 8192;
char g_text[2][kSize];
std::size_t g_length[2];
std::atomic<int> g_current{-1};

}  // namespace

void SetLastWords(const std::string& text) {
    const int next = g_current.load() == 0 ? 1 : 0;
    const std::size_t length = text.size() < kSize ? text.size() : kSize - 1;
    std::memcpy(g_text[next], text.data(), length);
    g_length[next] = length;
    g_current.store(next);
}

void ClearLastWords() { g_current.store(-1); }

const char* LastWords(std::size_t* length) {
    const int current = g_current.load();
    if (current < 0) return nullptr;
    *length = g_length[current];
    return g_text[current];
}

}  // namespace brelko::cli
