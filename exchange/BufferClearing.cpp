// The buffer clearing: brings the vision system back to its idle prompt after
// every transfer and before every identification.
#include <algorithm>
#include <cstring>

#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "platform/Clock.h"
#include "exchange/Identification.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

constexpr char kPrompt[] = "\r\n>";

// Sleeps in short steps so that a cancel request cuts the wait short.
void SleepUnlessCancelled(const CDeviceLine& line, int milliseconds) {
    const std::uint32_t start = GetTickCount();
    while (!line.CancelRequested()) {
        const std::uint32_t passed = GetTickCount() - start;
        if (passed >= static_cast<std::uint32_t>(milliseconds)) return;
        Sleep(std::min<std::uint32_t>(50, milliseconds - passed));
    }
}

// The identification that ends the clearing: after a restore it knows the
// system may have restarted.
ExchangeStateKind IdentifyKindAfter(FollowUp followUp) {
    return followUp == FollowUp::IdentifyAfterRestore ? ExchangeStateKind::IdentifyAfterRestore
                                                      : ExchangeStateKind::Identify;
}

}  // namespace

int CStatusView::StartBufferClearing(FollowUp followUp) {
    // A cancel request belongs to the transfer that has ended; the clearing
    // that brings the system back runs in full unless it is cancelled itself.
    m_pLine->ClearCancel();
    Post(m_wnd.Handle(), ExchangeState{ExchangeStateKind::Clearing});
    m_nFollowUp = followUp;
    // After a block that was sent whole the queue was seen empty: purging it
    // could only cut the tail of a block that the driver still holds but
    // does not count (pseudo-terminals, some USB adapters count nothing).
    m_bPurgeTransmit = !(m_nFollowUp == FollowUp::IdentifyAfterRestore && !m_outcome.sendFailed) || m_bForced;
    m_bCourse = true;
    if (!StartWorker([this] { BufferClearingThread(this); })) {
        // No thread: identify at once rather than stay busy forever.
        Post(m_wnd.Handle(), ExchangeState{IdentifyKindAfter(m_nFollowUp)});
    }
    return 1;
}

int CStatusView::BufferClearingThread(CStatusView* view) {
    CDeviceLine& line = *view->m_pLine;
    const ClearingTimings t = view->m_timings;
    const bool restored = view->m_nFollowUp == FollowUp::IdentifyAfterRestore;
    const ExchangeStateKind next = IdentifyKindAfter(view->m_nFollowUp);
    const WindowHandle target = view->Handle();

    if (CCommLink* link = line.Link()) {
        int passesLeft = 2;
        if (view->m_bPurgeTransmit) link->PurgeTransmit();
        link->PurgeReceive(0);
        DrainUntilQuiet(*link, t);
        if (restored && view->m_strProduct == "KALDspot") SleepUnlessCancelled(line, t.kaldspotRestartMs);

        for (;;) {
            // A pass: two line feeds; an idle system answers each with its prompt.
            --passesLeft;
            link->PutChar('\n');
            link->PutChar('\n');
            int answered = 0;
            if (link->GetChar(t.byteTimeoutMs) >= 0) answered = 1 + DrainUntilQuiet(*link, t);

            if (answered < 4 && passesLeft == 0 && restored) {
                // The last pass after a restore found a quiet line: the system
                // restarts. Probe until it answers again.
                if (link->GetChar(t.byteTimeoutMs) >= 0) continue;
                bool back = false;
                for (int round = 1; round <= t.restartRounds && !line.CancelRequested(); ++round) {
                    SleepUnlessCancelled(line, t.restartRoundMs);
                    link->PutChar('\n');
                    if (link->GetChar(t.byteTimeoutMs) >= 0 && round < t.restartRounds) {
                        back = true;
                        break;
                    }
                }
                if (back) continue;
            }

            // Prompt check: one more line feed must bring CR, LF, ">".
            link->PutChar('\n');
            char answer[4] = {};
            const int got = link->Read(answer, 3, t.byteTimeoutMs);
            if (got == 3 && std::memcmp(answer, kPrompt, 3) == 0) break;
            if (passesLeft == 1) {
                // The system may still wait for the end of a block.
                line.SendCommand("\n[END]\n\n");
                continue;
            }
            break;
        }
    }
    Post(target, ExchangeState{next});
    return 0;
}

}  // namespace brelko
