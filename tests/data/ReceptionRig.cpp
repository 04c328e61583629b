#include "tests/data/ReceptionRig.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "comlink/CPosixPort.h"
#include "exchange/PictureReceiver.h"
#include "platform/Profile.h"
#include "platform/Workers.h"

namespace brelko::test {

SimConfig FastPreset(const std::string& name) {
    SimConfig config;
    config.preset = name;
    config.baudRate = 0;
    return config;
}

ReceptionRig::ReceptionRig() {
    m_previousDir = std::filesystem::current_path().string();
    std::filesystem::current_path(Dir().Path());
    std::filesystem::create_directory(Dir().File("tmp"));
    m_tmp = std::make_unique<ScopedEnv>("TMPDIR", Dir().File("tmp"));
}

ReceptionRig::~ReceptionRig() {
    if (m_line) m_line->RequestCancel();
    JoinWorkers(std::chrono::seconds(10));
    m_line.reset();
    if (m_sim) m_sim->Stop();
    CPosixPort::SetDeviceOverride("");
    m_tmp.reset();
    std::filesystem::current_path(m_previousDir);
}

bool ReceptionRig::StartSim(SimConfig config) {
    m_sim = std::make_unique<VisionSimulator>(std::move(config));
    std::string error;
    if (!m_sim->Start(&error)) {
        ADD_FAILURE() << error;
        return false;
    }
    return StartOn(m_sim->DevicePath());
}

bool ReceptionRig::StartOn(const std::string& devicePath) {
    CPosixPort::SetDeviceOverride(devicePath);
    m_line = std::make_unique<CDeviceLine>();
    return m_line->Reopen();
}

ReceptionOutcome ReceptionRig::Receive(const std::shared_ptr<CMTX>& picture, const std::string& command,
                                       bool extraByte, std::chrono::seconds limit) {
    m_status.seen.clear();
    m_data.seen.clear();
    ReceptionOutcome outcome;
    if (!StartPictureReceive(*picture, *m_line, TransferWindows{m_statusWindow.Handle(), m_dataWindow.Handle()},
                             command, extraByte)) {
        ADD_FAILURE() << "the reception did not start";
        return outcome;
    }
    EXPECT_TRUE(JoinWorkers(limit)) << "the reception did not end";
    m_loop.Pump();
    outcome.status = m_status.seen;
    outcome.data = m_data.seen;
    for (const Posted& p : outcome.data) outcome.loaded |= p == Posted{WM_DATA_UPDATE, 0, 1};
    for (const Posted& p : outcome.status) outcome.failed |= p == Posted{WM_EXCHANGE_STATE, 0, 4};
    return outcome;
}

std::vector<std::string> ReceptionRig::TempLeftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir().File("tmp")))
        names.push_back(entry.path().string());
    return names;
}

}  // namespace brelko::test
