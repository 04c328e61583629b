#include "platform/LanguageLibrary.h"

#include <charconv>

#include "platform/FileUtil.h"
#include "platform/SystemFiles.h"
#include "platform/Profile.h"
#include "res/StringTables.h"

namespace brelko {

namespace {

constexpr std::string_view kMagic = "brelko-language";
constexpr int kFormatVersion = 1;
// Real menus nest two or three popups deep. Without a bound a file of nothing
// but popup lines nests so deep that freeing the menu overflows the stack.
constexpr std::size_t kMaxPopupDepth = 16;

ResourceSet BuildBuiltin(Language language) {
    auto pick = [language](const char* english, const char* danish) {
        return std::string(language == Language::Danish ? danish : english);
    };
    ResourceSet set;
    set.name = language == Language::Danish ? "Dansk" : "English";
    for (const auto& e : res::BuiltinStrings()) set.strings[e.id] = pick(e.english, e.danish);

    // Menus: a stack of the open popups' item lists.
    std::map<unsigned, std::vector<std::vector<MenuItem>*>> open;
    for (const auto& e : res::BuiltinMenus()) {
        auto& stack = open[e.menuId];
        if (stack.empty()) stack.push_back(&set.menus[e.menuId].items);
        auto& items = *stack.back();
        switch (e.kind) {
        case res::MenuKind::Popup:
            items.push_back({MenuItem::Kind::Popup, pick(e.english, e.danish), 0, {}});
            stack.push_back(&items.back().items);
            break;
        case res::MenuKind::Item:
            items.push_back({MenuItem::Kind::Command, pick(e.english, e.danish), e.command, {}});
            break;
        case res::MenuKind::Separator:
            items.push_back({MenuItem::Kind::Separator, {}, 0, {}});
            break;
        case res::MenuKind::End:
            stack.pop_back();
            break;
        }
    }
    for (const auto& e : res::BuiltinDialogs()) {
        auto& dialog = set.dialogs[e.dialogId];
        if (e.controlId == 0)
            dialog.caption = pick(e.english, e.danish);
        else
            dialog.controls[e.controlId] = pick(e.english, e.danish);
    }
    return set;
}

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // No overlong forms, no surrogates, nothing beyond Unicode.
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        i += extra + 1;
    }
    return true;
}

// One line split into words and quoted texts.
struct Token {
    bool quoted = false;
    std::string text;
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
    tokens->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsSpace(line[i])) {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    *error = "control character inside a text (write it as an escape)";
                    return false;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                if (i >= line.size()) break;
                char e = line[i++];
                switch (e) {
                case 'n': token.text += '\n'; break;
                case 't': token.text += '\t'; break;
                case 'r': token.text += '\r'; break;
                case '\\': token.text += '\\'; break;
                case '"': token.text += '"'; break;
                case 'x': {
                    int hi = i < line.size() ? HexDigit(line[i]) : -1;
                    int lo = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
                    if (hi < 0 || lo < 0) {
                        *error = "\\x needs two hexadecimal digits";
                        return false;
                    }
                    token.text += static_cast<char>(hi * 16 + lo);
                    i += 2;
                    break;
                }
                default:
                    *error = std::string("unknown escape \\") + e;
                    return false;
                }
            }
            if (!closed) {
                *error = "text without its closing quote";
                return false;
            }
            if (!ValidUtf8(token.text)) {
                *error = "text that is not UTF-8";
                return false;
            }
            if (i < line.size() && !IsSpace(line[i])) {
                *error = "text followed by other characters";
                return false;
            }
        } else {
            while (i < line.size() && !IsSpace(line[i])) {
                if (line[i] == '"') {
                    *error = "quote inside a word";
                    return false;
                }
                token.text += line[i++];
            }
        }
        tokens->push_back(std::move(token));
    }
    return true;
}

bool ParseId(const Token& token, unsigned* id) {
    if (token.quoted || token.text.empty()) return false;
    const char* first = token.text.data();
    const char* last = first + token.text.size();
    auto [ptr, ec] = std::from_chars(first, last, *id);
    return ec == std::errc() && ptr == last && *id <= 0xFFFF;
}

bool IsWord(const std::vector<Token>& tokens, std::size_t index, std::string_view word) {
    return index < tokens.size() && !tokens[index].quoted && tokens[index].text == word;
}

// The shape a line must have: a keyword, then ids and texts in this order.
bool Shape(const std::vector<Token>& tokens, std::string_view pattern) {
    if (tokens.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        bool wantText = pattern[i] == 't';
        if (tokens[i].quoted != wantText) return false;
    }
    return true;
}

bool CheckComplete(const ResourceSet& set, std::string* error) {
    const ResourceSet& reference = BuiltinResources(Language::English);
    for (const auto& [id, text] : reference.strings)
        if (!set.strings.count(id)) {
            *error = "string " + std::to_string(id) + " is missing";
            return false;
        }
    for (const auto& [id, menu] : reference.menus)
        if (!set.menus.count(id)) {
            *error = "menu " + std::to_string(id) + " is missing";
            return false;
        }
    for (const auto& [id, dialog] : reference.dialogs) {
        auto it = set.dialogs.find(id);
        if (it == set.dialogs.end()) {
            *error = "dialog " + std::to_string(id) + " is missing";
            return false;
        }
        for (const auto& [control, text] : dialog.controls)
            if (!it->second.controls.count(control)) {
                *error = "dialog " + std::to_string(id) + " lacks control " + std::to_string(control);
                return false;
            }
    }
    return true;
}

void Escape(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += "\\x";
                out += kHex[u >> 4];
                out += kHex[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void FormatMenuItems(std::string& out, const std::vector<MenuItem>& items, int depth) {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    for (const auto& item : items) {
        out += indent;
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            out += "separator\n";
            break;
        case MenuItem::Kind::Command:
            out += "item " + std::to_string(item.command) + " ";
            Escape(out, item.text);
            out += "\n";
            break;
        case MenuItem::Kind::Popup:
            out += "popup ";
            Escape(out, item.text);
            out += "\n";
            FormatMenuItems(out, item.items, depth + 1);
            out += indent + "end\n";
            break;
        }
    }
}

}  // namespace

const ResourceSet& BuiltinResources(Language language) {
    static const ResourceSet english = BuildBuiltin(Language::English);
    static const ResourceSet danish = BuildBuiltin(Language::Danish);
    return language == Language::Danish ? danish : english;
}

bool ParseLanguageLibrary(std::string_view text, ResourceSet* out, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    ResourceSet set;
    enum class Section { None, Strings, Menu, Dialog } section = Section::None;
    bool headerSeen = false;
    bool nameSeen = false;
    unsigned sectionId = 0;
    std::vector<std::vector<MenuItem>*> menuStack;  // open popups of the current menu
    std::vector<Token> tokens;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;

    auto fail = [&](const std::string& what) {
        *error = "line " + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    auto closeMenu = [&]() { return menuStack.size() <= 1; };

    if (!ValidUtf8(text)) {
        *error = "the file is not UTF-8 text";
        return false;
    }
    // A byte-order mark some editors write is not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF")) pos = 3;

    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        if (!Tokenize(line, &tokens, error)) return fail(*error);

        if (!headerSeen) {
            unsigned version = 0;
            if (tokens.size() != 2 || !IsWord(tokens, 0, kMagic) || !ParseId(tokens[1], &version))
                return fail("the file does not start with \"brelko-language 1\"");
            if (version != kFormatVersion) return fail("unknown format version " + tokens[1].text);
            headerSeen = true;
            continue;
        }

        // A new section.
        if (!tokens[0].quoted && tokens[0].text.starts_with("[")) {
            if (!closeMenu()) return fail("a popup is not closed with end");
            menuStack.clear();
            std::string head = tokens[0].text;
            if (tokens.size() == 1 && head == "[strings]") {
                section = Section::Strings;
                continue;
            }
            unsigned id = 0;
            if (tokens.size() == 2 && (head == "[menu" || head == "[dialog") && !tokens[1].quoted &&
                tokens[1].text.ends_with("]")) {
                Token idToken{false, tokens[1].text.substr(0, tokens[1].text.size() - 1)};
                if (!ParseId(idToken, &id)) return fail("bad resource id");
                if (head == "[menu") {
                    if (set.menus.count(id)) return fail("menu " + std::to_string(id) + " appears twice");
                    section = Section::Menu;
                    menuStack.push_back(&set.menus[id].items);
                } else {
                    if (set.dialogs.count(id)) return fail("dialog " + std::to_string(id) + " appears twice");
                    section = Section::Dialog;
                    set.dialogs[id];
                }
                sectionId = id;
                continue;
            }
            return fail("unknown section " + head);
        }

        if (IsWord(tokens, 0, "name") && section == Section::None) {
            if (nameSeen || !Shape(tokens, "wt")) return fail("expected: name \"<language>\"");
            set.name = tokens[1].text;
            nameSeen = true;
            continue;
        }

        switch (section) {
        case Section::None:
            return fail("expected a section");
        case Section::Strings: {
            unsigned id = 0;
            if (!Shape(tokens, "wt") || !ParseId(tokens[0], &id)) return fail("expected: <id> \"<text>\"");
            if (!set.strings.emplace(id, tokens[1].text).second)
                return fail("string " + std::to_string(id) + " appears twice");
            break;
        }
        case Section::Menu: {
            auto& items = *menuStack.back();
            if (IsWord(tokens, 0, "popup") && Shape(tokens, "wt")) {
                if (menuStack.size() > kMaxPopupDepth)
                    return fail("popups nested deeper than " + std::to_string(kMaxPopupDepth) + " levels");
                items.push_back({MenuItem::Kind::Popup, tokens[1].text, 0, {}});
                menuStack.push_back(&items.back().items);
            } else if (IsWord(tokens, 0, "item") && Shape(tokens, "wwt")) {
                unsigned command = 0;
                if (!ParseId(tokens[1], &command)) return fail("bad command id");
                items.push_back({MenuItem::Kind::Command, tokens[2].text, command, {}});
            } else if (IsWord(tokens, 0, "separator") && Shape(tokens, "w")) {
                items.push_back({MenuItem::Kind::Separator, {}, 0, {}});
            } else if (IsWord(tokens, 0, "end") && Shape(tokens, "w")) {
                if (menuStack.size() <= 1) return fail("end without its popup");
                menuStack.pop_back();
            } else {
                return fail("expected popup, item, separator or end in menu " + std::to_string(sectionId));
            }
            break;
        }
        case Section::Dialog: {
            auto& dialog = set.dialogs[sectionId];
            if (IsWord(tokens, 0, "caption") && Shape(tokens, "wt")) {
                dialog.caption = tokens[1].text;
            } else if (IsWord(tokens, 0, "control") && Shape(tokens, "wwt")) {
                unsigned control = 0;
                if (!ParseId(tokens[1], &control) || control == 0) return fail("bad control id");
                if (!dialog.controls.emplace(control, tokens[2].text).second)
                    return fail("control " + std::to_string(control) + " appears twice");
            } else {
                return fail("expected caption or control in dialog " + std::to_string(sectionId));
            }
            break;
        }
        }
    }
    ++lineNumber;
    if (!headerSeen) return fail("the file is empty");
    if (!closeMenu()) return fail("a popup is not closed with end");
    if (!CheckComplete(set, error)) return false;
    *out = std::move(set);
    return true;
}

std::string FormatLanguageLibrary(const ResourceSet& resources) {
    std::string out;
    out += "# Brelko language library (UTF-8). Format: res/README.md.\n";
    out += std::string(kMagic) + " " + std::to_string(kFormatVersion) + "\n";
    out += "name ";
    Escape(out, resources.name);
    out += "\n\n[strings]\n";
    for (const auto& [id, text] : resources.strings) {
        out += std::to_string(id) + " ";
        Escape(out, text);
        out += "\n";
    }
    for (const auto& [id, menu] : resources.menus) {
        out += "\n[menu " + std::to_string(id) + "]\n";
        FormatMenuItems(out, menu.items, 0);
    }
    for (const auto& [id, dialog] : resources.dialogs) {
        out += "\n[dialog " + std::to_string(id) + "]\n";
        out += "caption ";
        Escape(out, dialog.caption);
        out += "\n";
        for (const auto& [control, text] : dialog.controls) {
            out += "control " + std::to_string(control) + " ";
            Escape(out, text);
            out += "\n";
        }
    }
    return out;
}

namespace {

bool IsRegularFile(const std::string& path) {
    return sysfile::InfoOf(path).kind == sysfile::Kind::Regular;
}

std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders;
    std::string exe = Profile::ExecutablePath();
    if (!exe.empty()) folders.push_back(fileutil::DirName(exe));
#ifdef BRELKO_LANG_DIRS
    std::string_view dirs = BRELKO_LANG_DIRS;
    while (!dirs.empty()) {
        auto colon = dirs.find(':');
        std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) folders.emplace_back(dir);
        if (colon == std::string_view::npos) break;
        dirs.remove_prefix(colon + 1);
    }
#endif
    if (!exe.empty()) folders.push_back(fileutil::DirName(fileutil::DirName(exe)) + "/share/brelko/lang");
    folders.push_back(".");
    return folders;
}

}  // namespace

std::string FindLanguageLibrary(const std::string& fileName) {
    if (fileName.empty()) return {};
    // As the system's library loader does, a name without an extension gets
    // the usual one.
    std::vector<std::string> names{fileName};
    auto slash = fileName.find_last_of(sysfile::kSeparators);
    auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) names.push_back(fileName + ".lng");
    for (const auto& name : names) {
        if (sysfile::IsAbsolute(name)) {
            if (IsRegularFile(name)) return name;
            continue;
        }
        for (const auto& folder : SearchFolders()) {
            std::string candidate = folder + "/" + name;
            if (IsRegularFile(candidate)) return candidate;
        }
    }
    return {};
}

}  // namespace brelko
