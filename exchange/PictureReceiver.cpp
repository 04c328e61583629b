#include "exchange/PictureReceiver.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <vector>

#include "exchange/ExchangeMessages.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "platform/SystemFiles.h"
#include "data/CMTX.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "data/PictureArchive.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

std::mutex g_hookMutex;
PictureReportHook g_checksumHook;

void ReportChecksumError() {
    PictureReportHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_checksumHook;
    }
    if (hook)
        hook("Checksum error!");
    else
        std::cerr << "Checksum error!" << std::endl;
}

// A private folder for the received file and the extracted member, so that a
// reception never touches a file of the user's; removed with everything in it.
class PrivateFolder {
public:
    PrivateFolder() : m_path(sysfile::MakePrivateFolder("brelko-picture-")) {}
    ~PrivateFolder() {
        if (m_path.empty()) return;
        std::error_code ec;
        // The path is UTF-8, whatever the system's own code page.
        std::filesystem::remove_all(sysfile::PathOf(m_path), ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool Ok() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Reception {
public:
    explicit Reception(const PictureTransferContext& context) : m_ctx(context) {}

    int Run() {
        const bool ok = Receive();
        if (!ok) Post(m_ctx.statusView, ExchangeState{ExchangeStateKind::PictureFailed});
        return ok ? 0 : 1;
    }

private:
    bool Cancelled() const { return m_ctx.line->CancelRequested(); }

    // One byte (0..255), or a negative link code when none came.
    int GetChar(int timeout) {
        CCommLink* link = m_ctx.line->Link();
        return link ? link->GetChar(timeout) : -1;
    }

    bool ReadHeaderLine(std::string& line) {
        const std::uint32_t start = GetTickCount();
        const long long limit = m_ctx.headerLineTimeout.count();
        const std::uint32_t timeoutMs = limit <= 0 ? 0u : limit >= 0x7FFFFFFF ? 0x7FFFFFFFu : static_cast<std::uint32_t>(limit);
        for (;;) {
            if (Cancelled()) return false;
            const int c = GetChar(500);
            if (c == LINK_TIMEOUT) {
                if (GetTickCount() - start >= timeoutMs) return false;
                continue;
            }
            if (c < 0) return false;  // the device or the port is gone
            line.push_back(static_cast<char>(c));
            if (c == '\n') return true;
            if (line.size() >= kMaxHeaderLine) return false;
        }
    }

    static bool ParseHeaderLine(const std::string& line, long& length) {
        std::vector<char> word(line.size() + 1);  // the word cannot be longer than the line
        return std::sscanf(line.c_str(), "%s%ld", word.data(), &length) == 2 && length >= 0 &&
               length <= kMaxPictureLength;
    }

    bool ReadPayload(std::vector<std::uint8_t>& payload, std::uint32_t& sum) {
        const std::size_t count = payload.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (Cancelled()) return false;
            int c = GetChar(500);
            if (c == LINK_TIMEOUT && !Cancelled()) c = GetChar(2000);
            if (c < 0) return false;
            payload[i] = static_cast<std::uint8_t>(c);
            sum += static_cast<std::uint32_t>(c);
            if (i % 100 == 0) Post(m_ctx.statusView, BytesReceived{i, count});
        }
        Post(m_ctx.statusView, BytesReceived{count, count});
        return true;
    }

    unsigned ReadChecksum() {
        char digits[5] = {};
        CCommLink* link = m_ctx.line->Link();
        if (link) link->Read(digits, 4, 2000);
        unsigned value = 0;
        if (std::sscanf(digits, "%04X", &value) != 1) value = 0;
        return value;
    }

    // Two hex digits per byte; anything else fails the reception.
    static bool DecodeHex(const std::vector<std::uint8_t>& text, std::vector<std::uint8_t>& bytes,
                          std::uint32_t& sum) {
        bytes.resize(text.size() / 2);
        sum = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
            if (high < 0 || low < 0) return false;
            bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
            sum += bytes[i];
        }
        return true;
    }

    static bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::FILE* out = sysfile::OpenStream(path, "wb");
        if (!out) return false;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        return std::fclose(out) == 0 && written;
    }

    bool Receive() {
        if (!m_ctx.line) return false;
        auto picture = std::dynamic_pointer_cast<CMTX>(m_ctx.data);
        if (!picture) return false;

        std::string header;
        long length = 0;
        if (!ReadHeaderLine(header) || !ParseHeaderLine(header, length)) return false;
        const bool hex = m_ctx.command.find("/HEX") != std::string::npos;

        std::vector<std::uint8_t> payload(static_cast<std::size_t>(hex ? 2 * length : length));
        std::uint32_t sum = 0;
        if (!ReadPayload(payload, sum)) return false;
        if (m_ctx.extraByte) {
            GetChar(500);  // its value does not matter
            sum += 0xFFFF;
        }
        const unsigned checksum = ReadChecksum();

        if (hex) {
            std::vector<std::uint8_t> bytes;
            if (!DecodeHex(payload, bytes, sum)) return false;
            payload = std::move(bytes);
        }
        PrivateFolder folder;
        if (!folder.Ok()) return false;
        const std::string received = folder.Path() + "/TEMP.MTX";
        if (!WriteFile(received, payload)) return false;
        payload = {};

        if ((sum & 0xFFFF) != (checksum & 0xFFFF)) ReportChecksumError();

        std::string pictureFile = received;
        if (IsPictureArchive(received)) {
            std::string member;
            if (!ExtractPictureArchive(received, folder.Path(), member)) return false;
            pictureFile = member;
        }
        if (!picture->LoadFile(pictureFile)) return false;

        Post(m_ctx.dataView, DataUpdate{DataUpdateKind::PictureComplete});
        Post(m_ctx.statusView, TransferDone{FollowUp::Identify});
        return true;
    }

    const PictureTransferContext& m_ctx;
};

}  // namespace

void SetChecksumErrorHook(PictureReportHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_checksumHook = std::move(hook);
}

int ReceivePicture(const PictureTransferContext& context) { return Reception(context).Run(); }

bool StartPictureReceive(CData& picture, CDeviceLine& line, const TransferWindows& windows, std::string command,
                         bool extraByte) {
    auto* mtx = dynamic_cast<CMTX*>(&picture);
    if (!mtx) return false;
    // The worker holds the picture, so it outlives its transfer.
    auto self = std::dynamic_pointer_cast<CMTX>(mtx->weak_from_this().lock());
    if (!self) return false;
    PictureTransferContext context;
    context.line = &line;
    context.data = self;
    context.dataView = windows.data;
    context.statusView = windows.status;
    context.command = std::move(command);
    context.extraByte = extraByte;
    context.headerLineTimeout = mtx->HeaderLineTimeout();
    line.SendCommand(context.command);  // the echo does not decide anything: the reply does
    Post(windows.status, ExchangeState{ExchangeStateKind::Receiving});
    StartWorker([context = std::move(context)] { ReceivePicture(context); });
    return true;
}

}  // namespace brelko
