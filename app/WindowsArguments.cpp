#include "app/WindowsArguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/WideText.h"

namespace brelko::app {

bool ProgramArguments(std::vector<std::string>& args) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return true;
    bool valid = true;
    for (int i = 0; i < count && valid; ++i) {
        std::string utf8;
        if (!win::NarrowStrict(wide[i], &utf8)) {
            const std::wstring n = std::to_wstring(i);
            const std::wstring text = L"Argument " + n + L" is not valid text; nothing was done.\n" +
                                      L"Argument " + n + L" er ikke gyldig tekst; intet blev gjort.";
            MessageBoxW(nullptr, text.c_str(), L"Brelko", MB_OK | MB_ICONERROR);
            valid = false;
        }
        args.push_back(std::move(utf8));
    }
    LocalFree(wide);
    return valid;
}

}  // namespace brelko::app
