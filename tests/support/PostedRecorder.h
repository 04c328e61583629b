// A window's sink that keeps every posted message as the queue carried it:
// its number and its two words, for tests that check what a worker posts.
#pragma once

#include <vector>

#include "platform/Messages.h"

namespace brelko::test {

struct Posted {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted&) const = default;
};

class PostedRecorder : public MessageSink {
public:
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override { seen.push_back({msg, wParam, lParam}); }
    bool Has(unsigned msg) const {
        for (const Posted& p : seen)
            if (p.message == msg) return true;
        return false;
    }
    std::vector<Posted> seen;
};

}  // namespace brelko::test
