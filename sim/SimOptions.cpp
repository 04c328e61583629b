#include "sim/SimOptions.h"

#include "platform/Strings.h"

#include <cerrno>
#include <cstdlib>

namespace brelko {

namespace {

bool ParseCount(const std::string& text, long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < 0) return false;
    value = v;
    return true;
}

struct FaultSwitch {
    const char* name;
    const char* value;
    const char* help;
    const char* danish;
    enum { Count, Flag, Text } kind;
};

constexpr FaultSwitch kSwitches[] = {
    {"request", "=TEXT", "the faults below apply only to requests starting with TEXT",
     "fejlene nedenfor gælder kun forespørgsler, der begynder med TEKST", FaultSwitch::Text},
    {"silent-after", "=N", "fall silent after N reply bytes", "ti efter N bytes af svaret", FaultSwitch::Count},
    {"drop-byte", "=N", "leave out reply byte N", "udelad byte N af svaret", FaultSwitch::Count},
    {"corrupt-byte", "=N", "corrupt reply byte N", "ødelæg byte N af svaret", FaultSwitch::Count},
    {"wrong-checksum", "", "send a wrong picture checksum", "send en forkert kontrolsum for billedet", FaultSwitch::Flag},
    {"wrong-echo", "", "echo requests wrongly", "send forkert ekko af forespørgsler", FaultSwitch::Flag},
    {"noise", "=N", "N bytes of line noise before each prompt", "N bytes linjestøj før hver prompt",
     FaultSwitch::Count},
    {"no-prompt", "", "never send the prompt", "send aldrig prompten", FaultSwitch::Flag},
    {"hang-up-after", "=N", "hang up after N reply bytes", "læg på efter N bytes af svaret", FaultSwitch::Count},
};

}  // namespace

std::vector<std::string> NormaliseArguments(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (i > 0 && arg == "--simulate") arg = "--simulate=" + SimConfig{}.preset;
        args.push_back(std::move(arg));
    }
    return args;
}

bool ApplySimFault(const std::string& text, SimFaults& faults, std::string* error) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? text.substr(eq + 1) : std::string();
    auto fail = [&](const std::string& why) {
        if (error) *error = "--sim-fault " + text + ": " + why;
        return false;
    };
    for (const FaultSwitch& s : kSwitches) {
        if (name != s.name) continue;
        long count = 0;
        if (s.kind == FaultSwitch::Flag && hasValue) return fail(Bilingual("takes no value", "tager ingen værdi"));
        if (s.kind == FaultSwitch::Count && !ParseCount(value, count))
            return fail(Bilingual("needs a count, =N", "skal have et antal, =N"));
        if (s.kind == FaultSwitch::Text && value.empty())
            return fail(Bilingual("needs a text, =TEXT", "skal have en tekst, =TEKST"));
        if (name == "request") faults.request = value;
        else if (name == "silent-after") faults.silentAfter = count;
        else if (name == "drop-byte") faults.dropByteAt = count;
        else if (name == "corrupt-byte") faults.corruptByteAt = count;
        else if (name == "wrong-checksum") faults.wrongChecksum = true;
        else if (name == "wrong-echo") faults.wrongEcho = true;
        else if (name == "noise") faults.noiseBytes = static_cast<int>(count);
        else if (name == "no-prompt") faults.noPrompt = true;
        else if (name == "hang-up-after") faults.hangUpAfter = count;
        return true;
    }
    return fail(Bilingual("unknown fault switch", "ukendt fejl"));
}

bool MakeSimConfig(const SimulatorOptions& options, SimConfig& config, std::string* error) {
    config = SimConfig{};
    if (options.simulate && !options.simulate->empty()) config.preset = *options.simulate;
    config.baudRate = options.simBaud;
    config.restartSilence = std::chrono::milliseconds(static_cast<long long>(options.simRestart * 1000));
    config.pictureFile = options.simPicture;
    config.pictureBits = options.simBits;
    if (options.simForm == "raw") config.pictureForm = PictureForm::Raw;
    if (options.simForm == "archive") config.pictureForm = PictureForm::Archive;
    for (const std::string& fault : options.simFaults)
        if (!ApplySimFault(fault, config.faults, error)) return false;
    return true;
}

std::string SimFaultHelp() {
    std::string out;
    for (const FaultSwitch& s : kSwitches) {
        const std::string value = std::string(s.value) == "=TEXT" ? Bilingual("=TEXT", "=TEKST") : s.value;
        const std::string left = std::string(s.name) + value;
        out += "  " + left + std::string(left.size() < 20 ? 20 - left.size() : 1, ' ') + Bilingual(s.help, s.danish) +
               "\n";
    }
    return out;
}

}  // namespace brelko
