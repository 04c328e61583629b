#include "app/KeyboardLocks.h"

#include <QGuiApplication>

#ifdef _WIN32
#include <windows.h>
#elif defined(BRELKO_HAVE_X11)
#include <X11/XKBlib.h>
#endif

namespace brelko::app {

struct KeyboardLocks::Impl {
#ifdef BRELKO_HAVE_X11
    Display* display = nullptr;
    Atom caps = 0, num = 0, scroll = 0;
#endif
};

KeyboardLocks::KeyboardLocks() : m_impl(std::make_unique<Impl>()) {
#ifdef BRELKO_HAVE_X11
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        m_impl->display = x11->display();
        if (m_impl->display) {
            m_impl->caps = XInternAtom(m_impl->display, "Caps Lock", False);
            m_impl->num = XInternAtom(m_impl->display, "Num Lock", False);
            m_impl->scroll = XInternAtom(m_impl->display, "Scroll Lock", False);
        }
    }
#endif
}

KeyboardLocks::~KeyboardLocks() = default;

bool KeyboardLocks::Available() const {
#ifdef _WIN32
    return true;  // the system keeps the toggle state of every key
#elif defined(BRELKO_HAVE_X11)
    return m_impl->display != nullptr;
#else
    return false;
#endif
}

KeyboardLocks::State KeyboardLocks::Query() const {
    State state;
#ifdef _WIN32
    // The low bit of a key's state is its toggle: the lamp on the keyboard.
    state.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    state.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    state.scrollLock = (GetKeyState(VK_SCROLL) & 1) != 0;
#elif defined(BRELKO_HAVE_X11)
    if (!m_impl->display) return state;
    auto on = [&](Atom name) {
        Bool lit = False;
        return name != 0 && XkbGetNamedIndicator(m_impl->display, name, nullptr, &lit, nullptr, nullptr) && lit;
    };
    state.capsLock = on(m_impl->caps);
    state.numLock = on(m_impl->num);
    state.scrollLock = on(m_impl->scroll);
#endif
    return state;
}

}  // namespace brelko::app
