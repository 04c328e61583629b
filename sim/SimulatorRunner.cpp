#include "sim/SimulatorRunner.h"

#include "sim/SimOptions.h"
#include "sim/SimPresets.h"
#include "platform/Strings.h"
#include "sim/VisionSimulator.h"

namespace brelko {

namespace {

class InProcessSimulator : public SimulatorRunner {
public:
    explicit InProcessSimulator(SimConfig config) : m_sim(std::move(config)) {}
    bool Start(std::string* error) { return m_sim.Start(error); }

    std::string DevicePath() const override { return m_sim.DevicePath(); }
    std::string Label() const override {
        return "simulator " + m_sim.Config().preset + " (" + m_sim.DevicePath() + ")";
    }

private:
    VisionSimulator m_sim;
};

}  // namespace

std::unique_ptr<SimulatorRunner> SimulatorRunner::Start(const SimulatorOptions& options, std::string* error,
                                                        bool* badOptions) {
    SimConfig config;
    *badOptions = true;
    if (!MakeSimConfig(options, config, error)) return nullptr;
    if (!FindSimPreset(config.preset)) {
        std::string names;
        for (const SimPreset& preset : SimPresets()) names += (names.empty() ? "" : ", ") + preset.name;
        if (error) *error = FormatArgs(Bilingual("unknown preset %1 (known: %2)", "ukendt forvalg %1 (kendte: %2)"),
                                     {config.preset, names});
        return nullptr;
    }
    *badOptions = false;
    auto sim = std::make_unique<InProcessSimulator>(std::move(config));
    if (!sim->Start(error)) return nullptr;
    return sim;
}

namespace {

// The presets' descriptions in Danish; the simulator's own are English.
const char* DanishDescription(const std::string& preset) {
    struct Entry {
        const char* name;
        const char* danish;
    };
    static constexpr Entry kDanish[] = {
        {"tz410-3.2.E", "TZ410, sidste 3.x udgave: UPLOAD/DOWNLOAD, GET PICTURE, pakket 16-bit billede"},
        {"tz410-3.2.D", "TZ410 3.x: UPLOAD/DOWNLOAD, PICT SEND, rå 16-bit billede"},
        {"tz220-2.11.A", "TZ220 2.11: omdøbte ord (PICT SEND, GETSETUP, GETALLMENUS), ekstra billedbyte"},
        {"tz220-4.1.A", "TZ220 farvelinje: UPLOAD/DOWNLOAD, GET PICTURE, pakket 16-bit billede"},
        {"kaldspot-1.7.A", "KALDspot: GET MENUS 255, GET ALL [LEARN], billede som hexadecimal tekst"},
        {"tz410-old", "TZ410 før 1.1: afviser GET VERSION (kender kun VERSION), ældste ord, ekstra byte"},
        {"unknown", "et produkt ingen regel kender: ældste ord"},
        {"mute", "afviser både GET VERSION og VERSION: kan ikke identificeres (Ukendt vision system)"},
    };
    for (const Entry& entry : kDanish)
        if (preset == entry.name) return entry.danish;
    return nullptr;
}

}  // namespace

std::string SimulatorPresetHelp() {
    std::string out;
    for (const SimPreset& preset : SimPresets()) {
        const char* danish = DanishDescription(preset.name);
        const std::string description = danish ? Bilingual(preset.description.c_str(), danish) : preset.description;
        out += "  " + preset.name + std::string(preset.name.size() < 22 ? 22 - preset.name.size() : 1, ' ') +
               description + "\n";
    }
    return out;
}

}  // namespace brelko
