#include "Options.h"

#if BRELKO_CLI_SIMULATOR
#include "SimConfig.h"
#endif

namespace brelko::cli {

std::vector<std::string> NormaliseArguments(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
#if BRELKO_CLI_SIMULATOR
        if (i > 0 && arg == "--simulate") arg = "--simulate=" + SimConfig{}.preset;
#endif
        args.push_back(std::move(arg));
    }
    return args;
}

std::optional<std::string> PeekOption(const std::vector<std::string>& args, const std::string& name) {
    std::optional<std::string> found;
    const std::string withEquals = name + "=";
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--") break;
        if (args[i] == name && i + 1 < args.size())
            found = args[++i];
        else if (args[i].compare(0, withEquals.size(), withEquals) == 0)
            found = args[i].substr(withEquals.size());
    }
    return found;
}

}  // namespace brelko::cli
