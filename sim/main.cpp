// brelko-sim: one simulated vision system on a pseudo-terminal, for trying
// Brelko without hardware. Prints the device path it serves and runs until
// interrupted.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "BrelkoVersion.h"
#include "sim/VisionSimulator.h"

using namespace brelko;

namespace {

// Points `link` at `target`. Only a symbolic link may be replaced: a real
// file at that path is never touched.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "brelko-sim: %s exists and is not a symbolic link; left alone\n", link.c_str());
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        std::perror(("brelko-sim: cannot link " + link).c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link, const std::string& target) {
    char buf[512];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    SimConfig config;
    std::string link;
    std::string form = "preset";
    long silenceMs = config.restartSilence.count();
    bool list = false;

    CLI::App app{"brelko-sim: a simulated vision system on a pseudo-terminal.\n"
                 "Prints the device path it serves (point Brelko's serial port at it, or use --link)\n"
                 "and runs until interrupted (Ctrl-C, SIGTERM)."};
    app.name("brelko-sim");
    app.set_version_flag("--version", std::string("brelko-sim ") + kBuildVersion);
    app.add_option("-p,--preset", config.preset, "the system to simulate (see --list-presets)")
        ->capture_default_str();
    app.add_flag("--list-presets", list, "list the presets and exit");
    app.add_option("-b,--baud", config.baudRate, "line speed in baud, 10 bits a byte; 0: as fast as the pty goes")
        ->capture_default_str()->check(CLI::NonNegativeNumber);
    app.add_option("--restart-silence", silenceMs, "milliseconds of silence while the system restarts after a restore")
        ->capture_default_str()->check(CLI::NonNegativeNumber);
    app.add_option("--product", config.product, "report this product token instead of the preset's");
    app.add_option("--firmware", config.version, "report this firmware version (major.minor.letter) instead of the preset's");
    app.add_option("--picture", config.pictureFile, "serve this MTX file as the screen picture")->check(CLI::ExistingFile);
    app.add_option("--picture-bits", config.pictureBits, "depth of the built-in picture: 8 (palette) or 16 (5-5-5)")
        ->check(CLI::IsMember({8, 16}));
    app.add_option("--picture-form", form, "how the picture goes out: preset, raw or archive (.arq)")
        ->capture_default_str()->check(CLI::IsMember({"preset", "raw", "archive"}));
    app.add_option("--link", link, "make a symbolic link at this path to the device (removed at exit)");

    auto* faults = app.add_option_group("Faults", "each switch plays one fault of a real line");
    faults->add_option("--fault-request", config.faults.request,
                       "apply the faults only to requests starting with this text (default: every request)");
    faults->add_option("--fault-silent-after", config.faults.silentAfter, "fall silent after N bytes of a reply");
    faults->add_option("--fault-drop-byte", config.faults.dropByteAt, "leave out byte N of a reply (from 0)");
    faults->add_option("--fault-corrupt-byte", config.faults.corruptByteAt, "flip the bits of byte N of a reply");
    faults->add_flag("--fault-wrong-checksum", config.faults.wrongChecksum, "send the picture with a wrong checksum");
    faults->add_flag("--fault-wrong-echo", config.faults.wrongEcho, "echo one byte of a request wrongly");
    faults->add_option("--fault-noise", config.faults.noiseBytes, "send N bytes of line noise before the prompt");
    faults->add_flag("--fault-no-prompt", config.faults.noPrompt, "never send the prompt");
    faults->add_option("--fault-hang-up-after", config.faults.hangUpAfter,
                       "close the line after N bytes of a reply, or of a restore's block (the simulator then opens a new one)");

    CLI11_PARSE(app, argc, argv);
    if (list) {
        std::printf("%s", SimPresetList().c_str());
        return 0;
    }
    config.restartSilence = std::chrono::milliseconds(silenceMs);
    config.pictureForm = form == "raw" ? PictureForm::Raw : form == "archive" ? PictureForm::Archive : PictureForm::Preset;

    // Signals are taken by sigtimedwait below, on this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    for (;;) {
        auto sim = std::make_unique<VisionSimulator>(config);
        std::string error;
        if (!sim->Start(&error)) {
            std::fprintf(stderr, "brelko-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s\n", sim->DevicePath().c_str());
        std::fflush(stdout);
        std::fprintf(stderr, "brelko-sim: %s (%s, %ld baud) on %s\n", sim->VersionLine().c_str(),
                     config.preset.c_str(), config.baudRate, sim->DevicePath().c_str());
        if (!link.empty() && !MakeLink(link, sim->DevicePath())) return 1;

        timespec tick{0, 200'000'000};
        int sig = -1;
        while (sim->IsRunning()) {
            sig = sigtimedwait(&stopSignals, nullptr, &tick);
            if (sig == SIGINT || sig == SIGTERM) break;
        }
        const bool hungUp = sim->HungUp();
        const std::string path = sim->DevicePath();
        sim->Stop();
        if (!link.empty()) RemoveLink(link, path);
        if (sig == SIGINT || sig == SIGTERM || !hungUp) break;
        std::fprintf(stderr, "brelko-sim: hung up on %s; serving a new line\n", path.c_str());
    }
    return 0;
}
