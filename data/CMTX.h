// An MTX picture: the vision system's screen picture format. 8 bits per pixel
// with a palette of RGB triples, or 16 bits per pixel with 15-bit values.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/CPicture.h"
#include "data/MtxHeaders.h"
#include "data/PictureTypes.h"

namespace brelko {

class CTGA;

// How long a picture reception waits for its header line unless told otherwise.
constexpr std::chrono::milliseconds kDefaultHeaderLineTimeout{60000};

class CMTX : public CPicture {
public:
    CMTX() = default;

    // Loads (and prepares) or stores the MTX format. A refused or truncated
    // file leaves the picture as it was and the reason in the archive.
    void Serialize(ByteArchive& ar) override;
    void Draw(DrawSurface& surface) override;
    std::optional<PixelInfo> PixelAt(int x, int y) const override;
    // How long a reception waits for the header line before it gives up
    // (kDefaultHeaderLineTimeout unless set). Read when the reception starts.
    void SetHeaderLineTimeout(std::chrono::milliseconds limit) { m_headerLineTimeout.store(limit.count()); }
    std::chrono::milliseconds HeaderLineTimeout() const {
        return std::chrono::milliseconds(m_headerLineTimeout.load());
    }

    // The Targa picture built from this one (saving under a ".tga" name);
    // null while the picture is empty.
    std::shared_ptr<CTGA> ToTarga() const;

    // A copy of the content as stored.
    MtxContent Content() const;

protected:
    bool Load(ByteArchive& ar) override;

private:
    void Store(ByteArchive& ar) const;
    void Prepare();  // with m_mutex held

    MtxContent m_content;
    ColorTable m_colorTable{};
    std::atomic<long long> m_headerLineTimeout{kDefaultHeaderLineTimeout.count()};
};

// Reads the MTX format into `content`, refusing hostile headers before
// anything is allocated. False with the reason left in the archive.
bool ReadMtxContent(ByteArchive& ar, MtxContent& content);
void WriteMtxContent(ByteArchive& ar, const MtxContent& content);


}  // namespace brelko
