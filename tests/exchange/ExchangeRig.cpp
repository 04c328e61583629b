#include "tests/exchange/ExchangeRig.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/Profile.h"
#include "platform/Workers.h"

namespace brelko::test {

int FaultyPort::GetBufferStatus(CommBufferStatus& status, int selector) {
    int result = CPosixPort::GetBufferStatus(status, selector);
    if (m_faults.transmitStalled) status.txCount = status.txSize;  // nothing leaves the queue
    return result;
}

bool FaultyPort::QueryLineErrorCounters(LineErrorCounters& counters) {
    counters = LineErrorCounters{};
    counters.parity = m_faults.parityErrors;
    return true;
}

bool FaultyPort::QueryModemLines(int& bits) {
    bits = TIOCM_DSR | TIOCM_CD | TIOCM_DTR | TIOCM_RTS;
    if (!m_faults.ctsOff) bits |= TIOCM_CTS;
    return true;
}

void RecordingWindow::Notify(const StatusMessage& message) {
    Seen s{message, {}, {}};
    if (view) {
        s.progress = view->Progress();
        if (view->Lines().size() > 3) s.stateLine = view->Lines()[3];
    }
    seen.push_back(std::move(s));
    if (onEvent) onEvent(message);
}

ClearingTimings FastTimings() {
    ClearingTimings t;
    t.drainLimitMs = 20000;
    return t;
}

SimConfig Preset(const std::string& name) {
    SimConfig config;
    config.preset = name;
    config.baudRate = 0;
    config.restartSilence = std::chrono::milliseconds(200);
    return config;
}

ExchangeRig::ExchangeRig() {
    if (m_ini.Dir().Path().empty()) ADD_FAILURE() << "no temporary folder";
    CDeviceLine::SetPortFactory([this](int portNumber, int receiveSize, int transmitSize) {
        return std::make_unique<FaultyPort>(portNumber, receiveSize, transmitSize, faults);
    });
    dataWindow = std::make_unique<Window>(loop, dataSink);
}

ExchangeRig::~ExchangeRig() {
    view.reset();  // cancels and joins its workers
    JoinWorkers(std::chrono::seconds(10));
    CDeviceLine::SetPortFactory(nullptr);
    CPosixPort::SetDeviceOverride("");
    if (sim) sim->Stop();
}

void ExchangeRig::MakeView() {
    view = std::make_unique<CStatusView>(loop, window);
    window.Attach(view.get());
    window.view = view.get();
    view->SetClearingTimings(FastTimings());
}

void ExchangeRig::Start(SimConfig config) {
    sim = std::make_unique<VisionSimulator>(std::move(config));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    CPosixPort::SetDeviceOverride(sim->DevicePath());
    MakeView();
}

void ExchangeRig::StartOn(const std::string& devicePath) {
    CPosixPort::SetDeviceOverride(devicePath);
    MakeView();
}

bool ExchangeRig::Wait(std::chrono::milliseconds timeout) {
    return view->WaitForCourse(loop, timeout);
}

bool ExchangeRig::ConnectAt(const std::string& preset, long baudRate) {
    SimConfig config = Preset(preset);
    config.baudRate = baudRate;
    Start(config);
    return view && Connect();  // no view: the simulator did not start (Start says why)
}

bool ExchangeRig::Connect() {
    view->Connect();
    return Wait();
}

std::shared_ptr<CText> ExchangeRig::Backup() {
    auto text = CText::Create();
    EXPECT_EQ(FetchBackup(*view, *text, dataWindow->Handle()), CommandStart::Started);
    EXPECT_TRUE(Wait());
    return text;
}

std::shared_ptr<CText> ExchangeRig::Restore(const std::string& content) {
    auto text = CText::Create();
    text->SetText(content);
    EXPECT_EQ(SendBackup(*view, *text, dataWindow->Handle()), CommandStart::Started);
    EXPECT_TRUE(Wait());
    return text;
}

std::vector<Seen> ExchangeRig::SeenSince(std::size_t first) const {
    return std::vector<Seen>(window.seen.begin() + static_cast<long>(first), window.seen.end());
}

std::string ExchangeRig::StateLine() const {
    return view->Lines().size() > 3 ? view->Lines()[3] : std::string();
}

}  // namespace brelko::test
