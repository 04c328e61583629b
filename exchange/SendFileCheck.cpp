#include "exchange/SendFileCheck.h"

#include <cstdio>

#include "exchange/ProgressText.h"
#include "platform/Strings.h"

namespace brelko {

namespace {

bool IsTextByte(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n' || c >= 0x80;
}

}  // namespace

long BytesPerSecond(long baud) { return baud >= 10 ? baud / 10 : 1; }

SendFileCheck CheckSendFile(SendFileKind kind, std::string_view bytes, long baud) {
    SendFileCheck check;
    check.fileSize = bytes.size();
    check.baud = baud;
    check.limit = kind == SendFileKind::Backup ? kMaxBackupFileSize : kMaxLanguageFileSize;
    if (kind == SendFileKind::Backup) {
        const std::size_t end = bytes.find("[END]");
        check.bytesToSend = (end == std::string_view::npos ? bytes.size() : end + 5) + 1;
    } else {
        check.bytesToSend = bytes.size();
    }
    const long rate = BytesPerSecond(baud);
    check.seconds = static_cast<long>((check.bytesToSend + static_cast<std::size_t>(rate) - 1) / static_cast<std::size_t>(rate));
    if (bytes.empty()) {
        check.verdict = SendFileVerdict::Empty;
        return check;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (!IsTextByte(c)) {
            check.verdict = SendFileVerdict::NotText;
            check.badOffset = i;
            check.badByte = c;
            return check;
        }
    }
    if (bytes.size() > check.limit) check.verdict = SendFileVerdict::TooLarge;
    return check;
}

std::string SendFileCheck::Reason() const {
    switch (verdict) {
    case SendFileVerdict::Ok:
        return {};
    case SendFileVerdict::Empty:
        return LoadString(IDS_FILE_EMPTY);
    case SendFileVerdict::NotText: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", badByte);
        return Percent(Percent(LoadString(IDS_FILE_NOT_TEXT), 1, std::to_string(badOffset)), 2, hex);
    }
    case SendFileVerdict::TooLarge:
        return Percent(Percent(LoadString(IDS_FILE_TOO_LARGE), 1, std::to_string(fileSize)), 2,
                       std::to_string(limit));
    }
    return {};
}

std::string SendFileCheck::SizeAndTime() const {
    return Percent(Percent(Percent(LoadString(IDS_FILE_SEND_TIME), 1, std::to_string(bytesToSend)), 2,
                           std::to_string(seconds)),
                   3, std::to_string(baud));
}

}  // namespace brelko
