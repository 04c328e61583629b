#include "exchange/TextTransfers.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "exchange/BlockWatch.h"
#include "exchange/ExchangeMessages.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "platform/Clock.h"
#include "platform/Strings.h"
#include "exchange/TransferFailure.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

constexpr int kByteTimeoutMs = 500;
// Long enough for the link to look at the line once: a zero wait would see
// only the time-out, never a vanished device.
constexpr int kGoneProbeMs = 50;
constexpr unsigned char kPrompt = '>';

// The text object behind a worker's context.
std::shared_ptr<CText> TextOf(const TextTransferContext& ctx) {
    return std::dynamic_pointer_cast<CText>(ctx.data);
}

// A negative result other than a time-out means the device is gone (hung up,
// unplugged): no byte will ever come again.
bool DeviceGone(int result) {
    return result < 0 && result != LINK_TIMEOUT;
}

// After a failed echo or send: is it the line that failed rather than the
// system? Bytes still waiting (a late reply) are passed over, as a vanished
// device shows only behind them; a line that keeps talking is not gone.
bool LineGone(CCommLink* link) {
    if (link == nullptr) return true;
    const std::uint32_t start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        const int result = link->GetChar(kGoneProbeMs);
        if (result < 0) return DeviceGone(result);
    }
    return false;
}

// Why a sending stopped short.
TransferFailure SendFailure(const CDeviceLine& line, CCommLink* link) {
    if (line.CancelRequested()) return TransferFailure::Cancelled;
    return LineGone(link) ? TransferFailure::DeviceGone : TransferFailure::Stalled;
}

// How every text worker ends: the failure, when there was one, then the
// transfer's end with what the clearing after it is to wait for.
void PostEnd(const TextTransferContext& ctx, CText& text, TransferDirection direction, TransferFailure failure,
             FollowUp followUp) {
    if (failure != TransferFailure::None) Post(ctx.statusView, TransferError{direction, failure});
    text.EndTransfer();
    Post(ctx.statusView, TransferDone{followUp});
}

// Starts `worker` on its own copy of `ctx`, which holds the text alive.
// False when the text is not shared-owned, a transfer of it still runs, or
// no thread could be made.
bool Launch(CText& text, TextTransferContext ctx, int (*worker)(TextTransferContext)) {
    std::shared_ptr<CData> self = text.weak_from_this().lock();
    if (!self || !text.BeginTransfer()) return false;
    ctx.data = std::move(self);
    // The context moves into the worker's parameter, so the object is let go
    // as soon as the worker returns.
    if (!StartWorker([ctx = std::move(ctx), worker]() mutable { worker(std::move(ctx)); })) {
        text.EndTransfer();
        return false;
    }
    return true;
}

bool CanStart(const CText& text) {
    return !text.weak_from_this().expired() && !text.IsTransferring();
}

TextTransferContext ContextFor(CDeviceLine& line, const TransferWindows& windows) {
    TextTransferContext ctx;
    ctx.line = &line;
    ctx.dataView = windows.data;
    ctx.statusView = windows.status;
    return ctx;
}

}  // namespace

bool StartTextReceive(CText& text, CDeviceLine& line, const TransferWindows& windows, std::string command) {
    if (!CanStart(text)) return false;
    line.SendCommand(command);  // a missing echo shows in what follows
    Post(windows.status, ExchangeState{ExchangeStateKind::Receiving});
    if (!Launch(text, ContextFor(line, windows), &TextReceiveThread)) {
        // No thread: the request is out, so end the course as a failed reception.
        Post(windows.status, TransferError{TransferDirection::Receiving});
        Post(windows.status, TransferDone{FollowUp::Identify});
    }
    return true;
}

bool StartTextSend(CText& text, CDeviceLine& line, const TransferWindows& windows, std::string command,
                   std::shared_ptr<BlockWatch> watch) {
    if (!CanStart(text)) return false;
    TextTransferContext ctx = ContextFor(line, windows);
    const bool block = !command.empty();
    if (block) line.SendCommand(command);  // a missing echo shows in what follows
    ctx.terminator = block ? "[END]" : "";
    ctx.watch = std::move(watch);
    int (*worker)(TextTransferContext) = block ? &TextSendThread : &LanguageSendThread;
    if (!Launch(text, std::move(ctx), worker)) {
        Post(windows.status, TransferError{TransferDirection::Sending});
        Post(windows.status, TransferDone{block ? FollowUp::IdentifyAfterRestore : FollowUp::Identify});
        return true;
    }
    Post(windows.status, ExchangeState{ExchangeStateKind::Sending});
    return true;
}

int TextReceiveThread(TextTransferContext ctx) {
    std::shared_ptr<CText> text = TextOf(ctx);
    if (!text || !ctx.line) return 0;
    CDeviceLine& line = *ctx.line;
    CCommLink* link = line.Link();
    const std::uint32_t silenceLimit = static_cast<std::uint32_t>(text->SilenceLimit().count());

    // The text is locked only while a piece is appended, never while the
    // line is waited on: the window reads it as it grows.
    text->BeginReception(CText::kReceiveBufferSize);
    std::size_t received = 0;
    char last = 0;  // the last byte of the text so far

    std::vector<char> lineBuffer(CText::kLineBufferSize);
    unsigned lines = 0;
    TransferFailure failure = TransferFailure::None;  // cancelled, silent too long, or the device is gone
    bool prompt = false;
    std::uint32_t lastByteTick = GetTickCount();
    for (;;) {
        if (++lines % 20 == 0) Post(ctx.dataView, DataUpdate{DataUpdateKind::ContentGrew});
        if (line.CancelRequested() || link == nullptr) {
            failure = link == nullptr ? TransferFailure::DeviceGone : TransferFailure::Cancelled;
            break;
        }
        char* end = line.ReadLine(lineBuffer.data(), lineBuffer.size());
        const std::size_t length = end ? static_cast<std::size_t>(end - lineBuffer.data()) : 0;

        if (length > 0) {
            received = text->Append(lineBuffer.data(), length);
            last = lineBuffer[length - 1];
        }
        Post(ctx.statusView, BytesReceived{received});

        const int next = link->GetChar(kByteTimeoutMs);
        if (next >= 0) {
            last = static_cast<char>(next);
            received = text->Append(&last, 1);
        }

        const std::uint32_t now = GetTickCount();
        if (length > 0 || next >= 0) lastByteTick = now;
        if (received > 0 && static_cast<unsigned char>(last) == kPrompt) {
            prompt = true;
            break;
        }
        if (DeviceGone(next)) {
            failure = TransferFailure::DeviceGone;
            break;
        }
        if (now - lastByteTick >= silenceLimit) {
            // A cancel also ends the wait for a byte: it is the cancel that counts.
            failure = line.CancelRequested() ? TransferFailure::Cancelled : TransferFailure::Silence;
            break;
        }
    }
    if (prompt) {  // the prompt is not part of the text
        text->DropLast();
        --received;
    }
    // Only the line-error flags count; a recorded link error is taken first,
    // or it would hide them.
    std::uint16_t flags = 0;
    if (link && link->CheckErrors(flags) != 0) link->CheckErrors(flags);

    Post(ctx.dataView, DataUpdate{DataUpdateKind::TextReceived});
    Post(ctx.statusView, BytesReceived{received});
    if (failure == TransferFailure::None && flags != 0) failure = TransferFailure::LineErrors;
    PostEnd(ctx, *text, TransferDirection::Receiving, failure, FollowUp::Identify);
    return 0;
}

int TextSendThread(TextTransferContext ctx) {
    std::shared_ptr<CText> text = TextOf(ctx);
    if (!text || !ctx.line) return 0;
    CDeviceLine& line = *ctx.line;
    CCommLink* link = line.Link();
    CCommPort* port = line.Port();

    std::shared_ptr<BlockWatch> watch = ctx.watch;
    const std::size_t count = text->LengthThrough(ctx.terminator);
    // One count everywhere: the block and its closing line feed.
    const std::size_t total = count + 1;
    auto queued = [port] { return port ? std::max(0, port->OutputQueueCount()) : 0; };

    bool error = link == nullptr;
    std::size_t sent = 0;  // bytes handed to the port
    if (!error) {
        CommBufferStatus status;
        link->GetBufferStatus(status);
        const int halfQueue = status.txSize / 2;
        if (watch) {
            long baud = 9600;
            char parity = 0;
            int dataBits = 0, stopBits = 0;
            if (port) port->GetParameters(baud, parity, dataBits, stopBits);
            watch->Begin(total, baud);
        }

        for (std::size_t i = 0; i < count && !error; ++i) {
            char byte = 0;
            if (!text->ByteAt(i, byte)) {  // the text was replaced meanwhile
                error = true;
                break;
            }
            for (int waits = 0; !error && link->TxCount() > halfQueue;) {
                if (++waits > CText::kMaxSendWaits || line.CancelRequested()) error = true;
                else Sleep(CText::kSendPollMs);
            }
            for (int refusals = 0; !error;) {
                if (line.CancelRequested()) {
                    error = true;
                    break;
                }
                const int result = link->PutChar(static_cast<unsigned char>(byte));
                if (result == 0) break;
                if (result != LINK_BUFFER_FULL || ++refusals > CText::kMaxSendWaits) error = true;
                else Sleep(CText::kSendPollMs);
            }
            if (error) break;
            sent = i + 1;
            if (i % 100 == 0) {
                if (watch) watch->Sent(sent, queued());
                Post(ctx.statusView, BytesSent{i, total});
            } else if (watch) {
                watch->Sent(sent);
            }
        }

        if (!error) {
            // The closing line feed, then the queue must drain: half a 10 ms
            // poll per queued byte leaves room for a 9600 baud line (about
            // 1 ms a byte), and a few polls more for a queue of a byte or two.
            const int result = link->PutChar('\n');
            if (result != 0) error = true;
            else sent = total;
            const int waitingBytes = link->TxCount();
            const int allowed = waitingBytes / 2 + 5;
            for (int waits = 0; !error && link->TxCount() > 0;) {
                if (++waits > allowed || line.CancelRequested()) error = true;
                else Sleep(CText::kSendPollMs);
            }
        }
    }

    // Stopped short: what still waits in the output queue is taken back, so
    // that it cannot reach the system behind the user's back, and the count
    // says what really left.
    std::size_t onLine = sent;
    if (error && port) {
        const int purged = PurgeUnsentBytes(line, sent, total);
        if (purged > 0) onLine = sent - std::min(sent, static_cast<std::size_t>(purged));
    }
    if (watch) {
        watch->Sent(onLine, 0);
        watch->End(!error);
    }
    Post(ctx.dataView, DataUpdate{DataUpdateKind::TextSent});
    Post(ctx.statusView, BytesSent{onLine, total});
    const TransferFailure failure = !error ? TransferFailure::None
                                    : link ? SendFailure(line, link)
                                           : TransferFailure::DeviceGone;
    PostEnd(ctx, *text, TransferDirection::Sending, failure, FollowUp::IdentifyAfterRestore);
    return 0;
}

int LanguageSendThread(TextTransferContext ctx) {
    std::shared_ptr<CText> text = TextOf(ctx);
    if (!text || !ctx.line) return 0;
    CDeviceLine& line = *ctx.line;
    CCommLink* link = line.Link();

    // The file as it was when the sending started, line by line.
    const std::string all = text->GetText();
    const std::size_t n = all.size();
    std::size_t i = 0;
    int lineNumber = 1;  // of the piece that starts at i, as an editor counts them
    int lines = 0, taken = 0;
    TransferFailure failure = link == nullptr ? TransferFailure::DeviceGone : TransferFailure::None;
    while (i < n && failure == TransferFailure::None) {
        if (line.CancelRequested()) {
            failure = TransferFailure::Cancelled;
            break;
        }
        std::string request;
        const int number = lineNumber;
        std::size_t end = i;
        while (end < n && all[end] != '\n' && all[end] != '\r') ++end;
        request.assign(all, i, end - i);
        // CR LF is one line end: its LF counts when its own empty piece comes.
        if (end < n && (all[end] == '\n' || end + 1 >= n || all[end + 1] != '\n')) ++lineNumber;
        i = end + 1;  // over the line and its one end byte
        if (i > n) i = n;  // a last line without a line end
        if (request.empty()) continue;  // between the CR and LF of a pair
        ++lines;

        if (!line.SendCommand(request)) {
            // A failed echo skips the line, unless the line itself is gone.
            if (line.CancelRequested()) failure = TransferFailure::Cancelled;
            else if (LineGone(link)) failure = TransferFailure::DeviceGone;
            else Post(ctx.statusView, LanguageLine{number, LanguageLineFault::NotEchoed});
            continue;
        }
        // The system's answer up to its prompt: the prompt alone takes the
        // line, a "?" before it refuses it, however many blanks come first.
        char answer[4] = {};
        int got = link->ReadUntil(answer, 3, kPrompt, kByteTimeoutMs);
        Post(ctx.statusView, BytesSent{i, n});
        if (DeviceGone(got)) {
            // The system took the line, but hung up before it could answer.
            failure = TransferFailure::DeviceGone;
            break;
        }
        std::string said(answer, got > 0 ? static_cast<std::size_t>(got) : 0);
        bool prompt = !said.empty() && said.back() == static_cast<char>(kPrompt);
        if (got == 3 && !prompt) {
            char more[256] = {};
            const int extra = link->ReadUntil(more, 255, kPrompt, kByteTimeoutMs);
            if (extra > 0) said.append(more, static_cast<std::size_t>(extra));
            prompt = !said.empty() && said.back() == static_cast<char>(kPrompt);
        }
        if (said.find('?') == std::string::npos) {
            ++taken;
            continue;
        }
        Post(ctx.statusView, LanguageLine{number, LanguageLineFault::Refused});
        if (!prompt) {
            // Refused without its prompt in sight: drain what the system says
            // about it, but not forever.
            const std::uint32_t start = GetTickCount();
            while (link->GetChar(kByteTimeoutMs) >= 0 && GetTickCount() - start < 10000) {
            }
        }
    }

    bool saved = false;
    if (failure == TransferFailure::None) {
        line.SendCommand("GET VERSION");
        line.ReadLine();
        line.ReadLine();
        link->GetChar(kByteTimeoutMs);
        // Only a complete sending is stored: after a cancel or a lost line the
        // system keeps its old texts.
        saved = line.SendCommand("SAVE LANGUAGE");
        if (!saved) {
            if (line.CancelRequested()) failure = TransferFailure::Cancelled;
            else if (LineGone(link)) failure = TransferFailure::DeviceGone;
            else failure = TransferFailure::Refused;
        } else if (lines > 0 && taken == 0) {
            // Stored, but nothing of the file is in it.
            failure = TransferFailure::Refused;
        }
    }
    Post(ctx.statusView, BytesSent{i, n});
    // A vanished line, a cancel, or a system that took nothing: the sending
    // failed, though the lines that went out may have been taken.
    if (failure != TransferFailure::None) Post(ctx.statusView, TransferError{TransferDirection::Sending, failure});
    if (failure == TransferFailure::None || failure == TransferFailure::Refused)
        Post(ctx.statusView, LanguageDone{lines, saved});
    text->EndTransfer();
    Post(ctx.statusView, TransferDone{FollowUp::Identify});
    return 0;
}

}  // namespace brelko
