#include "archive/ArcWriter.h"

#include "archive/ArcCrc32.h"
#include "archive/ArcFormat.h"

#include <algorithm>

namespace brelko {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One header; an empty name makes the end marker.
void PutHeader(std::vector<std::uint8_t>& out, const std::string& name, const ArcWriteEntry* entry,
               std::uint32_t storedSize, std::uint32_t crc)
{
    out.insert(out.end(), std::begin(arc::kSignature), std::end(arc::kSignature));
    out.push_back(arc::kToolkitVersion);
    out.push_back(0x10);  // needed to extract: 1.0 reads both methods
    const std::size_t n = std::min<std::size_t>(name.size(), arc::kMaxNameLength);
    Put16(out, static_cast<unsigned>(n));
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
    Put32(out, entry ? entry->timeStamp : 0);
    Put16(out, entry ? entry->mode : 0);
    Put16(out, 0);  // owner
    Put16(out, 0);  // group
    Put32(out, storedSize);
    Put32(out, entry ? static_cast<std::uint32_t>(entry->data.size()) : 0);
    Put32(out, crc);
    out.push_back(static_cast<std::uint8_t>(entry ? entry->method : 0));
    out.push_back(entry ? entry->systemByte : 0);
    out.push_back(entry ? 2 : 0);  // file kind: binary
    out.push_back(0);              // reserved
    out.insert(out.end(), 5, 0);   // reserved bytes
    Put16(out, 0);                 // no extra bytes
}

}  // namespace

std::vector<std::uint8_t> ArcBuildArchive(const std::vector<ArcWriteEntry>& entries)
{
    std::vector<std::uint8_t> out;
    for (const ArcWriteEntry& entry : entries) {
        std::vector<std::uint8_t> packed;
        const std::vector<std::uint8_t>* stored = &entry.data;
        if (entry.method == arc::kMethodCompressed) {
            packed = ArcEncode(entry.data.data(), entry.data.size());
            stored = &packed;
        }
        PutHeader(out, entry.name, &entry, static_cast<std::uint32_t>(stored->size()),
                  ArcCrc32(stored->data(), stored->size()));
        out.insert(out.end(), stored->begin(), stored->end());
    }
    PutHeader(out, std::string(), nullptr, 0, 0);
    return out;
}

}  // namespace brelko
