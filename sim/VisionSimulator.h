// One simulated vision system on the far end of a pseudo-terminal. Tests and
// the command-line tool run it in-process; brelko-sim runs it as a program.
//
//   VisionSimulator sim(config);
//   std::string error;
//   if (!sim.Start(&error)) ...;
//   open(sim.DevicePath().c_str(), ...);   // the client's serial port
//   sim.Stop();                             // also done by the destructor
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "sim/SimConfig.h"

namespace brelko {

class SimDevice;
class SimLine;

class VisionSimulator {
public:
    explicit VisionSimulator(SimConfig config = {});
    ~VisionSimulator();
    VisionSimulator(const VisionSimulator&) = delete;
    VisionSimulator& operator=(const VisionSimulator&) = delete;

    // Builds the system from the configuration, makes the pty pair and starts
    // serving it on a thread of its own. False (with the reason) when the
    // preset is unknown, the picture file cannot be read or no pty can be made.
    bool Start(std::string* error = nullptr);
    // Ends the serving thread promptly, even in the middle of a reply, and
    // closes the pty. Safe to call more than once.
    void Stop();

    // The device side of the pty, e.g. "/dev/pts/7"; empty before Start.
    const std::string& DevicePath() const { return path_; }
    // The version line the system reports, e.g. "TZ410 Vision 3.2.E".
    const std::string& VersionLine() const { return versionLine_; }
    const SimConfig& Config() const { return config_; }
    bool IsRunning() const { return running_; }
    // The line was closed by the hang-up fault.
    bool HungUp() const { return hungUp_; }
    // Bytes of restore blocks that reached the system (the line feed that
    // ends a block included), since Start.
    std::size_t BlockBytesHeard() const { return blockBytesHeard_; }

private:
    void Serve();
    // Handles bytes as they came off the line; false when serving must end.
    bool Take(const std::uint8_t* bytes, std::size_t count);
    bool HandleLine(const std::string& line);
    bool SendReply(bool faulty, std::string out, bool prompt);
    bool FaultsApply(const std::string& request) const;

    SimConfig config_;
    std::string path_;
    std::string versionLine_;
    std::unique_ptr<SimDevice> device_;
    std::unique_ptr<SimLine> line_;
    std::thread thread_;
    std::string request_;  // the request line so far
    bool overlong_ = false;
    long blockBytes_ = 0;     // block bytes taken since the restore request
    long blockHangUp_ = -1;   // hang up after this many of them; -1: never
    std::atomic<bool> running_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<std::size_t> blockBytesHeard_{0};
};

// Names of the built-in presets, for help texts.
std::string SimPresetList();

}  // namespace brelko
