// The vision system's firmware: what it answers to each request line and the
// state that requests change. It knows nothing of the line it sits on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimConfig.h"
#include "sim/SimContent.h"
#include "sim/SimFirmware.h"

namespace brelko {

// What follows a request's echo.
struct SimReply {
    std::string body;          // the reply itself, without the prompt
    bool prompt = true;        // the prompt CR LF ">" follows the body
    bool startsBlock = false;  // the system now takes a block up to "[END]" and a line feed
};

class SimDevice {
public:
    // `picture` is the MTX file the system shows; `form` how it packs it.
    SimDevice(std::string product, std::string model, std::string version,
              std::vector<std::uint8_t> picture, PictureForm form);

    // One request line, without its line feed.
    SimReply HandleRequest(const std::string& line, bool wrongChecksum = false);

    bool InBlock() const { return inBlock_; }
    // One byte of a block. True when the block has ended: it is stored and
    // the system must restart.
    bool FeedBlock(std::uint8_t byte);
    // The system comes back after a restart: unsaved language lines are gone.
    void Restart();

    // The system refuses both version requests from now on.
    void RefuseVersionRequests() { words_.knowsGetVersion = words_.knowsVersion = false; }

    std::string VersionLine() const;
    const FirmwareWords& Words() const { return words_; }
    const std::vector<std::string>& Settings() const { return settings_; }
    // The picture payload as it goes on the line (before any hex coding).
    const std::vector<std::uint8_t>& PicturePayload();

    static constexpr const char* kRefusal = " ??";
    static constexpr const char* kPrompt = "\r\n>";

private:
    std::string TextReply(const std::vector<std::string>& lines) const;
    SimReply Picture(bool wrongChecksum);
    bool LanguageLine(const std::string& line);
    std::vector<std::string> LanguageLines() const;
    std::vector<std::string> MenuLines() const;
    void StoreBlock();

    std::string product_, model_, version_;
    FirmwareWords words_;
    std::vector<std::uint8_t> picture_;
    PictureForm form_;
    std::vector<std::uint8_t> payload_;

    std::vector<std::string> settings_;
    std::vector<std::string> learn_;
    LanguageTexts language_;
    LanguageTexts pending_;

    bool inBlock_ = false;
    std::string block_;
    bool blockOverflow_ = false;
    std::string tail_;  // the last bytes of the block, to spot its end
};

}  // namespace brelko
