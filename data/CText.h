// The text data object: backups (".asc"), menu and language texts (".txt").
// Holds the text as raw bytes. The transfers that fill or send it are the
// exchange's (exchange/TextTransfers.h); the object only says whether one
// runs and how long a reception of it may stay silent.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "data/CData.h"

namespace brelko {

class CText : public CData {
public:
    // Size of the reception buffer at the start and its growth step.
    static constexpr std::size_t kReceiveBufferSize = 0xFFFFF;
    static constexpr std::size_t kReceiveBufferGrowth = 0x100000;
    // The reading buffer of one line: at most this many bytes less one.
    static constexpr std::size_t kLineBufferSize = 4096;
    // A reception ends after this long without any byte.
    static constexpr std::chrono::milliseconds kDefaultSilenceLimit{30000};
    // Block sending paces itself on the transmit queue: at most this many
    // 10 ms waits for room and this many refused bytes in a row.
    static constexpr int kMaxSendWaits = 200;
    static constexpr int kSendPollMs = 10;

    CText();

    // Workers keep the object alive through a shared pointer, so text objects
    // are made shared.
    static std::shared_ptr<CText> Create() { return std::make_shared<CText>(); }

    void Serialize(ByteArchive& ar) override;
    void Draw(DrawSurface& surface) override;

    // Thread-safe access for the views, the tools and the transfers: every
    // call copies under the object's own lock and holds it no longer.
    std::string GetText() const;
    void SetText(std::string text);
    std::size_t GetLength() const;
    // Up to `count` bytes from `from` (fewer at the end); `length` gets the
    // length of the whole text at that moment.
    std::string Slice(std::size_t from, std::size_t count, std::size_t* length = nullptr) const;
    // The byte at `index`; false when the text is shorter (it was replaced).
    bool ByteAt(std::size_t index, char& byte) const;
    // The length up to and including the first `terminator`; the whole
    // length when there is none or it is empty.
    std::size_t LengthThrough(const std::string& terminator) const;
    // A reception: empties the text with room for `capacity` bytes, then
    // appends; each returns the length after it. DropLast removes the last
    // byte (the prompt that ended a reception).
    void BeginReception(std::size_t capacity);
    std::size_t Append(const char* bytes, std::size_t count);
    void DropLast();

    // How long a reception waits without any byte before it gives up.
    void SetSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit.store(limit.count()); }
    std::chrono::milliseconds SilenceLimit() const { return std::chrono::milliseconds(m_silenceLimit.load()); }
    // True from a successful start until the worker has posted its end.
    bool IsTransferring() const { return m_bTransferring.load(); }
    // Marks a transfer as running; false when one already runs.
    bool BeginTransfer() { return !m_bTransferring.exchange(true); }
    void EndTransfer() { m_bTransferring = false; }

    // The file type name of text documents ("Text File").
    static std::string TypeName();

private:
    void SetDescription();  // caller holds m_mutex

    std::string m_strText;
    mutable std::mutex m_mutex;

    std::atomic<long long> m_silenceLimit{kDefaultSilenceLimit.count()};
    std::atomic<bool> m_bTransferring{false};
};

}  // namespace brelko
