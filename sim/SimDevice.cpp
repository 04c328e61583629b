#include "sim/SimDevice.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "archive/ArcWriter.h"

namespace brelko {

namespace {

constexpr std::size_t kMaxBlock = 1 << 20;  // what the settings memory holds
constexpr std::size_t kMaxText = 40;        // the longest text the screen shows
const std::string kEnd = "[END]";

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A text the system's screen can show: printable, the code page's letters too.
bool ShowableText(const std::string& s) {
    if (s.empty() || s.size() > kMaxText) return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

SimDevice::SimDevice(std::string product, std::string model, std::string version,
                     std::vector<std::uint8_t> picture, PictureForm form)
    : product_(std::move(product)),
      model_(std::move(model)),
      version_(std::move(version)),
      words_(DescribeFirmware(product_, version_)),
      picture_(std::move(picture)),
      form_(form),
      settings_(FactorySettings(product_, version_)),
      language_(FactoryLanguage()) {
    if (words_.learnBackup) learn_ = FactoryLearnData();
    pending_ = language_;
}

std::string SimDevice::VersionLine() const { return product_ + " " + model_ + " " + version_; }

std::string SimDevice::TextReply(const std::vector<std::string>& lines) const {
    // Every line starts on a fresh line; the prompt ends the last one.
    std::string out;
    for (const auto& l : lines) out += "\r\n" + l;
    return out;
}

SimReply SimDevice::HandleRequest(const std::string& line, bool wrongChecksum) {
    SimReply reply;
    if (line.empty()) return reply;  // a bare line feed: the prompt alone
    if ((line == "GET VERSION" && words_.knowsGetVersion) || (line == "VERSION" && words_.knowsVersion)) {
        reply.body = TextReply({VersionLine()});
    } else if (line == words_.picture) {
        return Picture(wrongChecksum);
    } else if (line == words_.menus) {
        reply.body = TextReply(MenuLines());
    } else if (line == words_.language) {
        reply.body = TextReply(LanguageLines());
    } else if (line == words_.backup || (words_.learnBackup && line == words_.backup + " LEARN")) {
        std::vector<std::string> lines = settings_;
        if (line != words_.backup) lines.insert(lines.end(), learn_.begin(), learn_.end());
        lines.push_back(kEnd);
        reply.body = TextReply(lines);
    } else if (line == words_.restore) {
        reply.body = "\r\n";
        reply.prompt = false;
        reply.startsBlock = true;
        inBlock_ = true;
        block_.clear();
        tail_.clear();
        blockOverflow_ = false;
    } else if (line == "SAVE LANGUAGE") {
        language_ = pending_;
        reply.body = TextReply({"LANGUAGE SAVED"});
    } else if (LanguageLine(line)) {
        // Taken: the prompt alone answers it.
    } else {
        reply.body = kRefusal;
    }
    return reply;
}

// "LANGUAGE <name>" or "TEXT <number> <text>" for a text the firmware has.
bool SimDevice::LanguageLine(const std::string& line) {
    if (StartsWith(line, "LANGUAGE ")) {
        std::string name = line.substr(9);
        if (!ShowableText(name)) return false;
        pending_.name = name;
        return true;
    }
    if (!StartsWith(line, "TEXT ") || line.size() < 10) return false;
    for (int i = 5; i < 8; ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    if (line[8] != ' ') return false;
    const int number = std::stoi(line.substr(5, 3));
    const std::string text = line.substr(9);
    if (!language_.texts.count(number) || !ShowableText(text)) return false;
    pending_.texts[number] = text;
    return true;
}

std::vector<std::string> SimDevice::LanguageLines() const {
    std::vector<std::string> lines = {"LANGUAGE " + language_.name};
    char head[16];
    for (const auto& [number, text] : language_.texts) {
        std::snprintf(head, sizeof head, "TEXT %03d ", number);
        lines.push_back(head + text);
    }
    return lines;
}

std::vector<std::string> SimDevice::MenuLines() const {
    std::vector<std::string> lines;
    auto text = [&](int n) {
        auto it = language_.texts.find(n);
        return it == language_.texts.end() ? std::string("?") : it->second;
    };
    char head[32];
    int menu = 1;
    for (const auto& entry : MenuTree()) {
        std::snprintf(head, sizeof head, "MENU %02d ", menu);
        lines.push_back(head + text(entry.titleText));
        int item = 1;
        for (int t : entry.itemTexts) {
            std::snprintf(head, sizeof head, "  %02d.%02d ", menu, item++);
            lines.push_back(head + text(t));
        }
        ++menu;
    }
    return lines;
}

const std::vector<std::uint8_t>& SimDevice::PicturePayload() {
    if (payload_.empty()) {
        const bool archive = form_ == PictureForm::Archive ||
                             (form_ == PictureForm::Preset && words_.archivePicture);
        if (archive) {
            ArcWriteEntry entry;
            entry.name = "SCREEN.MTX";
            entry.data = picture_;
            entry.method = 2;
            entry.timeStamp = 1700000000u;
            payload_ = ArcBuildArchive({entry});
        } else {
            payload_ = picture_;
        }
    }
    return payload_;
}

SimReply SimDevice::Picture(bool wrongChecksum) {
    const std::vector<std::uint8_t>& payload = PicturePayload();
    SimReply reply;
    char text[48];
    // The header shares the echo's line: "<request> SIZE <length>".
    std::snprintf(text, sizeof text, " SIZE %zu\r\n", payload.size());
    reply.body = text;
    unsigned sum = 0;
    static const char kHex[] = "0123456789ABCDEF";
    reply.body.reserve(reply.body.size() + payload.size() * (words_.hexPicture ? 2 : 1) + 8);
    for (std::uint8_t b : payload) {
        sum += b;
        if (words_.hexPicture) {
            reply.body += kHex[b >> 4];
            reply.body += kHex[b & 15];
        } else {
            reply.body += static_cast<char>(b);
        }
    }
    if (words_.extraPictureByte) {
        // The filler byte 0xFF, which the firmware's checksum counts as -1.
        reply.body += static_cast<char>(0xFF);
        if (!words_.hexPicture) sum += 0xFFFF;
    }
    if (wrongChecksum) ++sum;
    std::snprintf(text, sizeof text, "%04X", sum & 0xFFFF);
    reply.body += text;
    return reply;
}

bool SimDevice::FeedBlock(std::uint8_t byte) {
    if (!inBlock_) return false;
    if (block_.size() < kMaxBlock)
        block_ += static_cast<char>(byte);
    else
        blockOverflow_ = true;
    tail_ += static_cast<char>(byte);
    if (tail_.size() > kEnd.size() + 1) tail_.erase(0, tail_.size() - kEnd.size() - 1);
    if (tail_ != kEnd + "\n") return false;
    inBlock_ = false;
    StoreBlock();
    block_.clear();
    return true;
}

void SimDevice::StoreBlock() {
    // A block that overran the settings memory is not taken at all.
    if (blockOverflow_) return;
    std::size_t end = block_.find(kEnd);
    std::string body = block_.substr(0, end);
    std::vector<std::string> settings, learn;
    bool inLearn = false;
    std::string line;
    auto take = [&] {
        if (!line.empty()) {
            if (words_.learnBackup && line == "[LEARN]") inLearn = true;
            else if (inLearn && !line.empty() && line[0] == '[') inLearn = false;
            (inLearn ? learn : settings).push_back(line);
        }
        line.clear();
    };
    for (char c : body) {
        if (c == '\r' || c == '\n') take();
        else line += c;
    }
    take();
    // An empty block (as a stray end marker makes) leaves the settings alone.
    if (!settings.empty()) settings_ = std::move(settings);
    if (!learn.empty()) learn_ = std::move(learn);
}

void SimDevice::Restart() {
    inBlock_ = false;
    block_.clear();
    tail_.clear();
    pending_ = language_;
}

}  // namespace brelko
