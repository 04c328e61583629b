#include "tests/data/ReceptionRig.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "comlink/CPosixPort.h"
#include "exchange/PictureReceiver.h"
#include "platform/Profile.h"
#include "platform/Workers.h"

namespace brelko::test {

ScriptedDevice::ScriptedDevice(std::string reply) : m_reply(std::move(reply)) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || !::ptsname(m_master)) {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
        return;
    }
    m_path = ::ptsname(m_master);
    m_thread = std::thread([this] { Serve(); });
}

ScriptedDevice::~ScriptedDevice() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_master >= 0) ::close(m_master);
}

void ScriptedDevice::Serve() {
    std::string request;
    while (!m_stop) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 50) <= 0 || !(pfd.revents & POLLIN)) continue;
        char c;
        if (::read(m_master, &c, 1) != 1) continue;
        if (c != '\n') {
            request += c;
            continue;
        }
        // The echo, then the reply on the same line.
        const std::string out = request + m_reply;
        std::size_t done = 0;
        while (done < out.size() && !m_stop) {
            const ssize_t n = ::write(m_master, out.data() + done, out.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            else ::usleep(1000);
        }
        request.clear();
    }
}

SimConfig FastPreset(const std::string& name) {
    SimConfig config;
    config.preset = name;
    config.baudRate = 0;
    return config;
}

ReceptionRig::ReceptionRig() {
    m_previousDir = std::filesystem::current_path().string();
    std::filesystem::current_path(m_dir.Path());
    std::filesystem::create_directory(m_dir.File("tmp"));
    if (const char* tmp = std::getenv("TMPDIR")) {
        m_hadTmp = true;
        m_previousTmp = tmp;
    }
    ::setenv("TMPDIR", m_dir.File("tmp").c_str(), 1);
    std::ofstream(m_dir.File("brelko.ini")) << "[Custom]\nComport=1\n";
    Profile::SetPath(m_dir.File("brelko.ini"));
}

ReceptionRig::~ReceptionRig() {
    if (m_line) m_line->RequestCancel();
    JoinWorkers(std::chrono::seconds(10));
    m_line.reset();
    if (m_sim) m_sim->Stop();
    CPosixPort::SetDeviceOverride("");
    if (m_hadTmp)
        ::setenv("TMPDIR", m_previousTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
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
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.File("tmp")))
        names.push_back(entry.path().string());
    return names;
}

}  // namespace brelko::test
