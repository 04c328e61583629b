#include "platform/Strings.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/FileUtil.h"
#include "platform/SystemFiles.h"
#include "platform/LanguageLibrary.h"
#include "platform/Profile.h"

namespace brelko {

namespace {

// The current resource source: a loaded library, else a built-in table.
// Libraries are never unloaded while the program runs; a new one replaces
// the previous one.
struct Source {
    std::mutex mutex;
    std::shared_ptr<const ResourceSet> library;
    bool builtinChosen = false;
    Language builtin = Language::English;
};

Source& CurrentSource() {
    static Source source;
    return source;
}

// Locks the source and gives the resource set that lookups use now.
std::shared_ptr<const ResourceSet> Current() {
    Source& source = CurrentSource();
    std::lock_guard lock(source.mutex);
    if (source.library) return source.library;
    if (!source.builtinChosen) {
        source.builtin = LanguageFromLocale();
        source.builtinChosen = true;
    }
    // The built-in sets live for the whole run; no ownership is taken.
    return std::shared_ptr<const ResourceSet>(std::shared_ptr<const ResourceSet>(), &BuiltinResources(source.builtin));
}

constexpr std::size_t kMaxLibrarySize = 4 * 1024 * 1024;

}  // namespace

std::string LoadString(unsigned id) {
    auto set = Current();
    auto it = set->strings.find(id);
    return it == set->strings.end() ? std::string() : it->second;
}

std::optional<Menu> LoadMenu(unsigned id) {
    auto set = Current();
    auto it = set->menus.find(id);
    if (it == set->menus.end()) return std::nullopt;
    return it->second;
}

std::optional<DialogTexts> LoadDialog(unsigned id) {
    auto set = Current();
    auto it = set->dialogs.find(id);
    if (it == set->dialogs.end()) return std::nullopt;
    return it->second;
}

void SetBuiltinLanguage(Language language) {
    Source& source = CurrentSource();
    std::lock_guard lock(source.mutex);
    source.builtin = language;
    source.builtinChosen = true;
}

Language BuiltinLanguage() {
    Source& source = CurrentSource();
    std::lock_guard lock(source.mutex);
    if (!source.builtinChosen) {
        source.builtin = LanguageFromLocale();
        source.builtinChosen = true;
    }
    return source.builtin;
}

Language LanguageFromLocale() {
    // The first of these that is set decides, as for message catalogues.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string_view(value).starts_with("da") ? Language::Danish : Language::English;
    }
    return sysfile::SystemPrefersDanish() ? Language::Danish : Language::English;
}

bool LoadLanguageLibrary(const std::string& fileName) {
    std::string path = FindLanguageLibrary(fileName);
    if (path.empty() || sysfile::InfoOf(path).size > kMaxLibrarySize) return false;
    std::string text;
    int err = 0;
    if (!fileutil::ReadWholeFile(path, &text, &err) || text.size() > kMaxLibrarySize) return false;
    auto resources = std::make_shared<ResourceSet>();
    std::string error;
    if (!ParseLanguageLibrary(text, resources.get(), &error)) return false;
    Source& source = CurrentSource();
    std::lock_guard lock(source.mutex);
    source.library = std::move(resources);
    return true;
}

void UnloadLanguageLibrary() {
    Source& source = CurrentSource();
    std::lock_guard lock(source.mutex);
    source.library.reset();
}

bool SelectLanguage(int languageNumber) {
    std::string displayName = Profile::GetString("Language", std::to_string(languageNumber), "None");
    std::string fileName = Profile::GetString("Language", displayName, "");
    if (fileName.empty()) return false;
    return LoadLanguageLibrary(fileName);
}

std::string FormatPercent1(const std::string& text, const std::string& arg) {
    std::string result;
    result.reserve(text.size() + arg.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '1') {
            result += arg;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string FormatArgs(const std::string& text, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                result += values[n];
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::string Bilingual(const char* english, const char* danish) {
    return BuiltinLanguage() == Language::Danish ? danish : english;
}

std::string CurrentLanguageName() { return Current()->name; }

}  // namespace brelko
