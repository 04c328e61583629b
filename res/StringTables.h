// The built-in resources in both languages, side by side: strings, menus and
// dialog texts. The platform's string layer builds its lookup from these; the
// shipped language libraries are written from them too.
#pragma once

#include <span>

namespace brelko::res {

struct StringEntry {
    unsigned id;
    const char* english;
    const char* danish;
};

// Menus as a flat list: a popup opens a level that its End closes.
enum class MenuKind { Popup, Item, Separator, End };
struct MenuEntry {
    unsigned menuId;
    MenuKind kind;
    unsigned command;  // Item only
    const char* english;
    const char* danish;
};

// Dialog texts by control id; control 0 is the dialog's caption.
struct DialogEntry {
    unsigned dialogId;
    unsigned controlId;
    const char* english;
    const char* danish;
};

std::span<const StringEntry> BuiltinStrings();
std::span<const MenuEntry> BuiltinMenus();
std::span<const DialogEntry> BuiltinDialogs();

}  // namespace brelko::res
