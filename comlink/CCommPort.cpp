#include "comlink/CCommPort.h"

#include "platform/Clock.h"

#include <atomic>

namespace brelko {

namespace {

std::atomic<std::uint16_t> g_openCounts[OPEN_COUNT_TABLE_SIZE];

// The fatal report names the library's own source unit and a line per slot.
constexpr const char* kUnit = "..\\CPP_ALL\\COMLINK";

}  // namespace

CCommPort::CCommPort() = default;

CCommPort::~CCommPort() {
    if (m_bCounted && PortNumberInTable(m_nPort)) {
        std::uint16_t count = g_openCounts[m_nPort].load();
        while (count > 0 && !g_openCounts[m_nPort].compare_exchange_weak(count, count - 1)) {
        }
    }
}

bool CCommPort::PortNumberInTable(int portNumber) {
    return portNumber >= 0 && portNumber < OPEN_COUNT_TABLE_SIZE;
}

unsigned CCommPort::OpenCount(int portNumber) {
    return PortNumberInTable(portNumber) ? g_openCounts[portNumber].load() : 0;
}

void CCommPort::CountOpen() {
    if (m_bCounted || !PortNumberInTable(m_nPort)) return;
    ++g_openCounts[m_nPort];
    m_bCounted = true;
}

int CCommPort::Record(int code) {
    m_nError = code;
    return code;
}

int CCommPort::TakeError() {
    int error = m_nError;
    m_nError = 0;
    return error;
}

int CCommPort::Idle() { LibraryError(kUnit, 241); }
int CCommPort::UpdateStatus() { LibraryError(kUnit, 243); }
int CCommPort::Open() { LibraryError(kUnit, 245); }
int CCommPort::OpenDevice() { LibraryError(kUnit, 247); }
int CCommPort::Close() { LibraryError(kUnit, 249); }
int CCommPort::GetBufferStatus(CommBufferStatus&, int) { LibraryError(kUnit, 251); }
int CCommPort::SetBufferSizes(int, int, int) { LibraryError(kUnit, 255); }
int CCommPort::SetHandshaking(int, int) { LibraryError(kUnit, 257); }
int CCommPort::GetHandshaking(int&, int&) { LibraryError(kUnit, 259); }
int CCommPort::Break(int) { LibraryError(kUnit, 261); }
int CCommPort::Line(int, int) { LibraryError(kUnit, 263); }
int CCommPort::SetParameters(long, char, int, int) { LibraryError(kUnit, 265); }
int CCommPort::GetParameters(long&, char&, int&, int&) { LibraryError(kUnit, 267); }
int CCommPort::GetLineStatus(unsigned char*) { LibraryError(kUnit, 269); }
int CCommPort::PutChar(int) { LibraryError(kUnit, 271); }
int CCommPort::PutString(const char*) { LibraryError(kUnit, 273); }
int CCommPort::Write(const void*, int) { LibraryError(kUnit, 275); }
int CCommPort::TransmitImmediate(int) { LibraryError(kUnit, 277); }
int CCommPort::GetChar() { LibraryError(kUnit, 279); }
int CCommPort::Read(void*, int) { LibraryError(kUnit, 281); }
int CCommPort::Purge(int, int) { LibraryError(kUnit, 283); }
int CCommPort::DumpStatus(const DumpLineCallback&) { LibraryError(kUnit, 285); }
int CCommPort::Reserved1() { return LINK_NOT_SUPPORTED; }
int CCommPort::Reserved2() { return LINK_NOT_SUPPORTED; }

int CCommPort::OutputQueueCount() { return -1; }

int CCommPort::PurgeOutput() {
    const int queued = OutputQueueCount();
    Purge(1, 0);
    return queued;
}

int CCommPort::Pause(int milliseconds) {
    const std::uint32_t start = GetTickCount();
    int idle = 0;
    while (GetTickCount() - start < static_cast<std::uint32_t>(milliseconds < 0 ? 0 : milliseconds)) {
        idle = Idle();
        if (idle < 0) break;
    }
    return idle;
}

}  // namespace brelko
