// Menus and dialog texts by resource id, from the same source as the strings
// (a loaded language library, else the built-in tables).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brelko {

struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    std::string text;              // caption: "&" marks the mnemonic, "\t" precedes the shortcut
    unsigned command = 0;          // Command only
    std::vector<MenuItem> items;   // Popup only
    bool operator==(const MenuItem&) const = default;
};

struct Menu {
    std::vector<MenuItem> items;   // the menu bar's popups
    bool operator==(const Menu&) const = default;
};

struct DialogTexts {
    std::string caption;
    std::map<unsigned, std::string> controls;  // control id -> text
    bool operator==(const DialogTexts&) const = default;
    // The text of a control, empty when the dialog has none for it.
    std::string Control(unsigned id) const {
        auto it = controls.find(id);
        return it == controls.end() ? std::string() : it->second;
    }
};

// Every resource of one language.
struct ResourceSet {
    std::string name;  // the language's own name ("English", "Dansk")
    std::map<unsigned, std::string> strings;
    std::map<unsigned, Menu> menus;
    std::map<unsigned, DialogTexts> dialogs;
    bool operator==(const ResourceSet&) const = default;
};

// Thread-safe; nullopt when the current source has no such resource.
std::optional<Menu> LoadMenu(unsigned id);
std::optional<DialogTexts> LoadDialog(unsigned id);

}  // namespace brelko
