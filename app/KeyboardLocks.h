// The state of the lock keys for the CAP, NUM and SCRL panes, read from the
// keyboard's indicators where the window system tells them (X11), or from
// the keys' toggle state on Windows; elsewhere all three read as off.
#pragma once

#include <memory>

namespace brelko::app {

class KeyboardLocks {
public:
    struct State {
        bool capsLock = false;
        bool numLock = false;
        bool scrollLock = false;
    };

    KeyboardLocks();
    ~KeyboardLocks();
    // A cheap query of the indicators; nothing on the way blocks.
    State Query() const;
    bool Available() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace brelko::app
