// The text data object: backups (".asc"), menu and language texts (".txt").
// Holds the text as raw bytes and runs the three text transfers: reception up
// to the system's prompt, block sending of a backup up to its end marker, and
// line-by-line sending of a language file.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "data/CData.h"

namespace brelko {

class BlockWatch;

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
    // Sends the request and starts the reception worker. False, with nothing
    // sent or posted, when the object is not shared-owned or a transfer of it
    // still runs. Once the request is out the course always ends with the
    // usual messages, even when no worker thread could be made.
    bool StartReceive(CDeviceLine& line, const TransferWindows& windows, std::string command,
                      bool extraByte) override;
    // With a request: sends it and starts block sending up to "[END]".
    // Without: starts line-by-line sending of a language file.
    bool StartSend(CDeviceLine& line, const TransferWindows& windows, std::string command) override;

    // The workers; each takes its own copy of the context and returns 0.
    static int TextReceiveThread(TransferContext ctx);
    static int TextSendThread(TransferContext ctx);
    static int LanguageSendThread(TransferContext ctx);

    // Thread-safe access for the views and the tools.
    std::string GetText() const;
    void SetText(std::string text);
    std::size_t GetLength() const;

    // How long a reception waits without any byte before it gives up.
    void SetSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit.store(limit.count()); }
    std::chrono::milliseconds SilenceLimit() const { return std::chrono::milliseconds(m_silenceLimit.load()); }
    // Where block sending reports its progress for the cancel rule (the
    // status view's); none: nobody watches.
    void SetBlockWatch(std::shared_ptr<BlockWatch> watch) {
        std::lock_guard lock(m_mutex);
        m_pBlockWatch = std::move(watch);
    }
    // True from a successful start until the worker has posted its end.
    bool IsTransferring() const { return m_bTransferring.load(); }

    // The file type name of text documents ("Text File").
    static std::string TypeName();

    std::string m_strText;
    mutable std::mutex m_mutex;
    TransferContext m_ctx;
    std::string m_strTerminator;

private:
    void SetDescription();  // caller holds m_mutex
    bool CanStart() const;
    bool Launch(int (*worker)(TransferContext));

    std::atomic<long long> m_silenceLimit{kDefaultSilenceLimit.count()};
    std::atomic<bool> m_bTransferring{false};
    std::shared_ptr<BlockWatch> m_pBlockWatch;  // guarded by m_mutex
};

}  // namespace brelko
