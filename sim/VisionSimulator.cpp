#include "sim/VisionSimulator.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "sim/SimDevice.h"
#include "sim/SimLine.h"
#include "sim/SimPicture.h"
#include "sim/SimPresets.h"

namespace brelko {

namespace {

constexpr std::size_t kMaxLine = 4096;          // the request buffer; longer lines are refused
constexpr std::size_t kMaxPicture = 2'000'000;  // the most a client takes
constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Line noise: stray bytes as a bad cable makes them, never a line feed or a ">"
// (those would end the line or pass for the prompt).
std::string Noise(int count) {
    std::string noise;
    unsigned v = 0x4E01u ^ static_cast<unsigned>(count);
    while (static_cast<int>(noise.size()) < count) {
        v = v * 1103515245u + 12345u;
        char c = static_cast<char>(v >> 16);
        if (c != '\n' && c != '>') noise += c;
    }
    return noise;
}

bool ReadPictureFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the picture " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > kMaxPicture) {
        error = "the picture " + path + " must hold 1 to 2000000 bytes";
        return false;
    }
    return true;
}

}  // namespace

std::string SimPresetList() {
    std::string out;
    for (const auto& p : SimPresets()) out += "  " + p.name + ": " + p.description + "\n";
    return out;
}

VisionSimulator::VisionSimulator(SimConfig config) : config_(std::move(config)) {}

VisionSimulator::~VisionSimulator() { Stop(); }

bool VisionSimulator::Start(std::string* error) {
    std::string why;
    auto fail = [&](std::string text) {
        if (error) *error = std::move(text);
        return false;
    };
    if (thread_.joinable()) return fail("the simulator is already running");
    const SimPreset* preset = FindSimPreset(config_.preset);
    if (!preset) return fail("no preset named \"" + config_.preset + "\"; the presets are:\n" + SimPresetList());
    if (config_.baudRate < 0) return fail("the baud rate cannot be negative");
    if (config_.restartSilence.count() < 0) return fail("the restart silence cannot be negative");
    if (config_.pictureBits != 0 && config_.pictureBits != 8 && config_.pictureBits != 16)
        return fail("the picture depth must be 8 or 16 bits");

    const std::string product = config_.product.empty() ? preset->product : config_.product;
    const std::string version = config_.version.empty() ? preset->version : config_.version;
    if (product.find_first_of(" \t\r\n") != std::string::npos || product.size() > 19 ||
        version.find_first_of(" \t\r\n") != std::string::npos || version.size() > 7)
        return fail("the product (up to 19 characters) and version (up to 7) must be single words");

    std::vector<std::uint8_t> picture;
    if (!config_.pictureFile.empty()) {
        if (!ReadPictureFile(config_.pictureFile, picture, why)) return fail(why);
    } else {
        int bits = config_.pictureBits ? config_.pictureBits : DescribeFirmware(product, version).pictureBits;
        picture = MakeScreenPicture(bits, kScreenWidth, kScreenHeight, product + " " + version);
    }
    device_ = std::make_unique<SimDevice>(product, preset->model, version, std::move(picture),
                                          config_.pictureForm);
    if (!preset->answersVersion) device_->RefuseVersionRequests();
    versionLine_ = device_->VersionLine();
    // Packing the picture takes a moment: do it before the first request.
    device_->PicturePayload();

    line_ = std::make_unique<SimLine>();
    if (!line_->Open(config_.baudRate, why)) {
        line_.reset();
        return fail(why);
    }
    path_ = line_->DevicePath();
    hungUp_ = false;
    request_.clear();
    overlong_ = false;
    blockHangUp_ = -1;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void VisionSimulator::Stop() {
    if (line_) line_->Wake();
    if (thread_.joinable()) thread_.join();
    line_.reset();
    running_ = false;
}

bool VisionSimulator::FaultsApply(const std::string& request) const {
    return config_.faults.Any() && StartsWith(request, config_.faults.request);
}

void VisionSimulator::Serve() {
    std::uint8_t buffer[256];
    for (;;) {
        long n = line_->Read(buffer, sizeof buffer);
        if (n <= 0 || !Take(buffer, static_cast<std::size_t>(n))) break;
    }
    running_ = false;
}

bool VisionSimulator::Take(const std::uint8_t* bytes, std::size_t count) {
    const SimFaults& faults = config_.faults;
    // The echo byte that the wrong-echo fault spoils: the last byte of the
    // fault's request text, or the first byte of any request.
    const std::size_t spoilAt = faults.request.empty() ? 0 : faults.request.size() - 1;
    std::string echo;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        if (device_->InBlock()) {
            if (blockHangUp_ >= 0 && blockBytes_++ >= blockHangUp_) {
                // The hang-up fault in the middle of a restore.
                line_->HangUp();
                hungUp_ = true;
                return false;
            }
            ++blockBytesHeard_;
            if (!device_->FeedBlock(byte)) continue;
            // The block is stored: the system restarts and hears nothing meanwhile,
            // the rest of these bytes included.
            if (!line_->Discard(SimLine::Clock::now() + config_.restartSilence)) return false;
            device_->Restart();
            return true;
        }
        if (byte != '\n') {
            char shown = static_cast<char>(byte);
            if (faults.wrongEcho && request_.size() == spoilAt &&
                (faults.request.empty() || request_ + shown == faults.request))
                shown = shown == '#' ? '*' : '#';
            echo += shown;
            if (byte == '\r') continue;  // echoed, but no part of the request
            if (request_.size() < kMaxLine) request_ += static_cast<char>(byte);
            else overlong_ = true;
            continue;
        }
        if (!line_->Write(echo)) return false;
        echo.clear();
        if (overlong_) request_ = "\x01";  // no firmware knows it: refused
        if (!HandleLine(request_)) return false;
        request_.clear();
        overlong_ = false;
    }
    return echo.empty() || line_->Write(echo);
}

bool VisionSimulator::HandleLine(const std::string& request) {
    const bool faulty = FaultsApply(request);
    SimReply reply = device_->HandleRequest(request, faulty && config_.faults.wrongChecksum);
    // For a restore the hang-up fault counts the bytes of the block that follows.
    blockBytes_ = 0;
    blockHangUp_ = reply.startsBlock && faulty ? config_.faults.hangUpAfter : -1;
    return SendReply(faulty && !reply.startsBlock, std::move(reply.body), reply.prompt);
}

bool VisionSimulator::SendReply(bool faulty, std::string out, bool prompt) {
    const SimFaults& f = config_.faults;
    if (prompt) {
        if (faulty && f.noiseBytes > 0) out += Noise(f.noiseBytes);
        if (!(faulty && f.noPrompt)) out += SimDevice::kPrompt;
    }
    if (!faulty) return line_->Write(out);

    if (f.corruptByteAt >= 0 && static_cast<std::size_t>(f.corruptByteAt) < out.size())
        out[f.corruptByteAt] = static_cast<char>(~out[f.corruptByteAt]);
    if (f.dropByteAt >= 0 && static_cast<std::size_t>(f.dropByteAt) < out.size())
        out.erase(static_cast<std::size_t>(f.dropByteAt), 1);
    if (f.hangUpAfter >= 0 && static_cast<std::size_t>(f.hangUpAfter) <= out.size()) {
        line_->Write(out.data(), static_cast<std::size_t>(f.hangUpAfter));
        line_->Drain(std::chrono::milliseconds(1000));
        line_->HangUp();
        hungUp_ = true;
        return false;
    }
    if (f.silentAfter >= 0 && static_cast<std::size_t>(f.silentAfter) < out.size())
        out.resize(static_cast<std::size_t>(f.silentAfter));
    return line_->Write(out);
}

}  // namespace brelko
