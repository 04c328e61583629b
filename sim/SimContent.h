// What a freshly delivered system holds: its settings, its service data and
// its language texts.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace brelko {

// The settings as lines without line ends, about 20 KB in all.
std::vector<std::string> FactorySettings(const std::string& product, const std::string& version);
// The learned models (service data) of a KALDspot, as lines.
std::vector<std::string> FactoryLearnData();

struct LanguageTexts {
    std::string name;
    std::map<int, std::string> texts;  // text number -> text
};
LanguageTexts FactoryLanguage();

// The menu tree: each menu names its title text and its item texts.
struct MenuEntry {
    int titleText;
    std::vector<int> itemTexts;
};
const std::vector<MenuEntry>& MenuTree();

}  // namespace brelko
