// A status view connected to an in-process simulated vision system over a
// real pseudo-terminal, with every message it handles recorded.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/DeviceCommands.h"
#include "platform/Messages.h"
#include "sim/SimConfig.h"
#include "exchange/StatusWindow.h"
#include "sim/VisionSimulator.h"
#include "tests/support/Sandbox.h"

namespace brelko::test {

// Faults a pty cannot show, switched on from the test.
struct PortFaults {
    std::atomic<bool> ctsOff{false};
    std::atomic<bool> transmitStalled{false};
    std::atomic<unsigned> parityErrors{0};  // the driver's parity error counter
};

// A tty port whose modem lines, error counters and transmit queue the test
// controls.
class FaultyPort : public CPosixPort {
public:
    FaultyPort(int portNumber, int receiveSize, int transmitSize, PortFaults& faults)
        : CPosixPort(portNumber, receiveSize, transmitSize, 0), m_faults(faults) {}
    int GetBufferStatus(CommBufferStatus& status, int selector) override;

protected:
    bool QueryLineErrorCounters(LineErrorCounters& counters) override;
    bool QueryModemLines(int& bits) override;

private:
    PortFaults& m_faults;
};

// One message as the status view or the data view handled it, with the
// progress text the status view showed after it.
struct Seen {
    StatusMessage message;
    std::string progress;
    std::string stateLine;

    template <class M>
    const M* As() const {
        return std::get_if<M>(&message);
    }
    template <class M>
    bool Is() const {
        return As<M>() != nullptr;
    }
    bool IsState(ExchangeStateKind kind) const {
        const ExchangeState* state = As<ExchangeState>();
        return state && state->kind == kind;
    }
};

// Progress as a watcher of the messages asks for it.
inline bool SentAtLeast(const StatusMessage& message, std::size_t count) {
    const BytesSent* sent = std::get_if<BytesSent>(&message);
    return sent && sent->count >= count;
}
inline bool SentWhole(const StatusMessage& message) {
    const BytesSent* sent = std::get_if<BytesSent>(&message);
    return sent && sent->count == sent->toSend;
}
inline bool ReceivedMoreThan(const StatusMessage& message, std::size_t count) {
    const BytesReceived* received = std::get_if<BytesReceived>(&message);
    return received && received->count > count;
}

class RecordingWindow : public HeadlessStatusWindow {
public:
    void Notify(const StatusMessage& message) override;
    CStatusView* view = nullptr;
    std::vector<Seen> seen;
    std::function<void(const StatusMessage&)> onEvent;
};

// What the data view heard, in order.
class DataViewRecorder : public MessageSink {
public:
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        if (const std::optional<DataUpdate> update = DecodeDataUpdate(msg, wParam, lParam)) seen.push_back(update->kind);
    }
    std::vector<DataUpdateKind> seen;
};

class ExchangeRig {
public:
    // A settings file in a temporary folder, COM1 on the simulator's device.
    ExchangeRig();
    ~ExchangeRig();

    // Starts the simulator (baud 0 and a short restart silence unless the
    // configuration says otherwise) and makes the status view.
    void Start(SimConfig config);
    // Makes the status view on a device path without a simulator.
    void StartOn(const std::string& devicePath);
    // Starts the simulator of a preset at a line rate and connects; true
    // once the system is identified.
    bool ConnectAt(const std::string& preset, long baudRate);
    // Connects and waits for clearing and identification.
    bool Connect();
    bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // A full course of a text command; the text object and what happened.
    std::shared_ptr<CText> Backup();
    std::shared_ptr<CText> Restore(const std::string& text);

    std::vector<Seen> SeenSince(std::size_t first) const;
    std::string StateLine() const;

    EventLoop loop;
    RecordingWindow window;
    DataViewRecorder dataSink;
    std::unique_ptr<Window> dataWindow;
    std::unique_ptr<VisionSimulator> sim;
    std::unique_ptr<CStatusView> view;
    PortFaults faults;

private:
    void MakeView();
    TempIni m_ini{"[Custom]\nComport=1\n"};
};

// Short clearing waits for tests; the logic is the same.
ClearingTimings FastTimings();
SimConfig Preset(const std::string& name);

}  // namespace brelko::test
