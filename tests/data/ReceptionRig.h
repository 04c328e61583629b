// A picture reception over a real pseudo-terminal: against the simulated
// vision system, or against a scripted far end that sends exactly the bytes
// a test gives it. Every posted message is recorded.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comlink/deviceline/CDeviceLine.h"
#include "data/CMTX.h"
#include "exchange/ExchangeMessages.h"
#include "tests/support/PostedRecorder.h"
#include "tests/data/PictureFiles.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "sim/SimConfig.h"
#include "sim/VisionSimulator.h"

namespace brelko::test {

// The far end of a pty that echoes the request line and then sends a fixed
// reply, byte for byte.
class ScriptedDevice : public PtyPeer {
public:
    explicit ScriptedDevice(std::string reply)
        : PtyPeer([reply = std::move(reply)](const std::string&) { return reply; }) {
        SendVerbatim();
    }
};

struct ReceptionOutcome {
    bool loaded = false;  // the picture-complete data update reached the data view
    bool failed = false;  // the picture-failed state reached the status view
    std::vector<Posted> status;
    std::vector<Posted> data;
};

class ReceptionRig {
public:
    // A settings file and a private temporary folder (TMPDIR) in the
    // test's own folder, which is also made the current folder.
    ReceptionRig();
    ~ReceptionRig();

    bool StartSim(SimConfig config);
    bool StartOn(const std::string& devicePath);

    // Fails the test when the reception has not ended within `limit`.
    ReceptionOutcome Receive(const std::shared_ptr<CMTX>& picture, const std::string& command, bool extraByte,
                             std::chrono::seconds limit = std::chrono::seconds(120));

    CDeviceLine& Line() { return *m_line; }
    const TempDir& Dir() const { return m_ini.Dir(); }
    // What is left in the reception's temporary folder.
    std::vector<std::string> TempLeftovers() const;

private:
    TempIni m_ini{"[Custom]\nComport=1\n"};
    std::string m_previousDir;
    std::unique_ptr<ScopedEnv> m_tmp;
    EventLoop m_loop;
    PostedRecorder m_status, m_data;
    Window m_statusWindow{m_loop, m_status};
    Window m_dataWindow{m_loop, m_data};
    std::unique_ptr<VisionSimulator> m_sim;
    std::unique_ptr<CDeviceLine> m_line;
};

SimConfig FastPreset(const std::string& name);

}  // namespace brelko::test
