// The string table: every user-visible text by numeric id, in English and
// Danish, built in; a language library loaded at run time replaces it.
#pragma once

#include <initializer_list>
#include <string>

#include "res/ResourceIds.h"
#include "platform/Resources.h"  // menus and dialog texts from the same source

namespace brelko {

enum class Language { English, Danish };

// The text for an id, UTF-8. An id the current source does not hold gives an
// empty string. Thread-safe.
std::string LoadString(unsigned id);

// Chooses the built-in table (used while no library is loaded).
void SetBuiltinLanguage(Language language);
Language BuiltinLanguage();
// From the locale environment (LC_ALL, LC_MESSAGES, LANG): "da*" gives Danish.
Language LanguageFromLocale();
// One of two texts by the language of the built-in table, for the short
// reasons that stand inside a formatted line.
std::string Bilingual(const char* english, const char* danish);

// Loads a language library by file name (relative names are looked up beside
// the executable, in the source tree's res/lang, in the installed
// share/brelko/lang, then in the current folder; ".lng" is added to a name
// without an extension). On success every lookup comes from it from now on; a
// missing, malformed or incomplete library is ignored and false is returned,
// nothing else happens. The format is described in res/README.md.
bool LoadLanguageLibrary(const std::string& fileName);
// Back to the built-in table (for tests).
void UnloadLanguageLibrary();

// The language selection of the settings file: Language/<n> names a display
// name, Language/<display name> names the library file; loads it if it can.
bool SelectLanguage(int languageNumber);

// Replaces "%1" with the argument (as the Windows message formatter does for
// the strings that carry it).
std::string FormatPercent1(const std::string& text, const std::string& arg);
// Replaces "%1" to "%9" with the arguments in order; a number without an
// argument is left as it stands.
std::string FormatArgs(const std::string& text, std::initializer_list<std::string> args);

// The own name of the language the texts come from now ("English", "Dansk"):
// the loaded library's, else the built-in table's.
std::string CurrentLanguageName();

}  // namespace brelko
