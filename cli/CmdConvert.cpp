// convert IN OUT: between MTX, Targa and PNG, through the picture classes.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "data/PictureFiles.h"
#if BRELKO_CLI_SIMULATOR
#include "sim/SimOptions.h"
#include "sim/SimulatorRunner.h"
#endif

namespace brelko::cli {

ExitStatus RunConvert(Console& console, const std::string& in, const std::string& out) {
    for (const std::string* name : {&in, &out}) {
        std::string why;
        if (!PictureNameUsable(*name, &why)) {
            console.Error(why);
            return ExitStatus::Usage;
        }
    }
    Picture picture;
    std::string error;
    if (!LoadPicture(in, &picture, &error)) {
        console.Error(Format(CliText(Text::CannotRead), {in, error}));
        return ExitStatus::BadFile;
    }
    if (!SavePicture(picture, out, &error)) {
        console.Error(Format(CliText(Text::CannotWrite), {out, error}));
        return ExitStatus::WriteError;
    }
    console.Info(Format(CliText(Text::Converted), {in, out}));
    return ExitStatus::Ok;
}

#if BRELKO_CLI_SIMULATOR
std::string SimulatorHelp() {
    return Bilingual("Simulator presets (--simulate=PRESET):\n", "Simulatorens forvalg (--simulate=FORVALG):\n") +
           SimulatorPresetHelp() +
           Bilingual("Simulator fault switches (--sim-fault NAME[=VALUE]):\n",
                     "Simulatorens fejl (--sim-fault NAVN[=VÆRDI]):\n") +
           SimFaultHelp();
}

#endif

}  // namespace brelko::cli
