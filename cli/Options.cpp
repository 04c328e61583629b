#include "cli/Options.h"

namespace brelko::cli {

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
