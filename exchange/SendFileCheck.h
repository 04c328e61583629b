// Is a file fit to be sent to the vision system? A restore file must be a
// text of at most the system's settings buffer (1 MiB), a language file a
// text of at most 64 KiB; anything else is refused unless the user insists.
// Pure: the window asks "send anyway?" with the reason, the command line
// wants --force.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brelko {

enum class SendFileKind { Backup, Language };

enum class SendFileVerdict {
    Ok,
    Empty,     // nothing to send: never sent, as the system would restart or store nothing
    NotText,   // a byte other than printable ASCII, tab, CR, LF or 0x80..0xFF
    TooLarge,  // more than the system takes
};

constexpr std::size_t kMaxBackupFileSize = 1u << 20;    // the system's settings buffer
constexpr std::size_t kMaxLanguageFileSize = 64u << 10;

struct SendFileCheck {
    SendFileVerdict verdict = SendFileVerdict::Ok;
    std::size_t fileSize = 0;
    // What goes on the line: a backup up to and including its first "[END]"
    // and the closing line feed, a language file every byte.
    std::size_t bytesToSend = 0;
    std::size_t limit = 0;          // the size allowed for the kind
    std::size_t badOffset = 0;      // NotText: where the first such byte is
    unsigned char badByte = 0;
    long baud = 9600;
    long seconds = 0;               // bytesToSend at the line's rate, rounded up

    bool Ok() const { return verdict == SendFileVerdict::Ok; }
    // May the user send it anyway? Not when it is empty.
    bool Overridable() const { return verdict == SendFileVerdict::NotText || verdict == SendFileVerdict::TooLarge; }
    // Why it is refused, in the user's language ("" when Ok).
    std::string Reason() const;
    // "20480 bytes to send, about 22 seconds at 9600 baud".
    std::string SizeAndTime() const;
};

// Bytes a second at a baud rate: ten bits a byte on an 8N1 line.
long BytesPerSecond(long baud);

SendFileCheck CheckSendFile(SendFileKind kind, std::string_view bytes, long baud = 9600);

}  // namespace brelko
