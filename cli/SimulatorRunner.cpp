#include "SimulatorRunner.h"

#include "CliText.h"
#include "SimOptions.h"
#include "SimPresets.h"
#include "VisionSimulator.h"

namespace brelko::cli {

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

std::unique_ptr<SimulatorRunner> SimulatorRunner::Start(const GlobalOptions& options, std::string* error,
                                                        bool* badOptions) {
    SimConfig config;
    *badOptions = true;
    if (!MakeSimConfig(options, config, error)) return nullptr;
    if (!FindSimPreset(config.preset)) {
        std::string names;
        for (const SimPreset& preset : SimPresets()) names += (names.empty() ? "" : ", ") + preset.name;
        if (error) *error = Format(CliText(Text::UnknownPreset), {config.preset, names});
        return nullptr;
    }
    *badOptions = false;
    auto sim = std::make_unique<InProcessSimulator>(std::move(config));
    if (!sim->Start(error)) return nullptr;
    return sim;
}

std::string SimulatorPresetHelp() {
    std::string out;
    for (const SimPreset& preset : SimPresets())
        out += "  " + preset.name + std::string(preset.name.size() < 22 ? 22 - preset.name.size() : 1, ' ') +
               preset.description + "\n";
    return out;
}

}  // namespace brelko::cli
