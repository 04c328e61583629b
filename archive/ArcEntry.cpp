#include "archive/ArcEntry.h"
#include "platform/SystemFiles.h"

#include <cctype>
#include <cstring>
#include <string>

namespace brelko {

namespace {

bool ReadBytes(std::FILE* f, void* out, std::size_t n) { return std::fread(out, 1, n, f) == n; }

bool Read8(std::FILE* f, std::uint8_t& v) { return ReadBytes(f, &v, 1); }

bool Read16(std::FILE* f, std::uint16_t& v)
{
    std::uint8_t b[2];
    if (!ReadBytes(f, b, 2))
        return false;
    v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool Read32(std::FILE* f, std::uint32_t& v)
{
    std::uint8_t b[4];
    if (!ReadBytes(f, b, 4))
        return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

}  // namespace

ArcStatus ArcReadHeader(ArcEntry& e)
{
    std::FILE* f = e.m_pInput;
    if (!f)
        return kArcNoStream;
    std::uint8_t signature[4];
    if (!ReadBytes(f, signature, 4) || std::memcmp(signature, arc::kSignature, 4) != 0)
        return std::ftell(f) == 0 ? kArcNotArchive : kArcBadHeader;
    if (!Read8(f, e.m_nWriterVersion) || !Read8(f, e.m_nNeededVersion))
        return kArcBadHeader;
    const int major = e.m_nNeededVersion >> 4, minor = e.m_nNeededVersion & 0x0F;
    if (major > (arc::kToolkitVersion >> 4) || (major == (arc::kToolkitVersion >> 4) && minor > (arc::kToolkitVersion & 0x0F)))
        return kArcNewerVersion;
    std::uint16_t length;
    if (!Read16(f, length))
        return kArcBadHeader;
    e.m_nNameLength = static_cast<std::int16_t>(length);
    if (e.m_nNameLength < 0 || e.m_nNameLength > arc::kMaxNameLength)
        return kArcBadHeader;
    const bool nameRead = ReadBytes(f, e.m_szName, static_cast<std::size_t>(e.m_nNameLength));
    e.m_szName[nameRead ? e.m_nNameLength : 0] = '\0';
    std::uint8_t method = 0;
    const bool ok = nameRead && Read32(f, e.m_nTime) && Read16(f, e.m_nMode) && Read16(f, e.m_nOwner) &&
                    Read16(f, e.m_nGroup) && Read32(f, e.m_nStoredSize) && Read32(f, e.m_nOriginalSize) &&
                    Read32(f, e.m_nCrc) && Read8(f, method) && Read8(f, e.m_nSystem) && Read8(f, e.m_nKind) &&
                    Read8(f, e.m_nReserved) && ReadBytes(f, e.m_abReserved, 5);
    e.m_nMethod = method;
    if (e.m_nNameLength == 0)
        return kArcEndMarker;  // an end marker may stop short of its fixed fields
    if (!ok || !Read16(f, e.m_nExtraLength))
        return kArcBadHeader;
    if (e.m_nExtraLength > 0 && std::fseek(f, e.m_nExtraLength, SEEK_CUR) != 0)
        return kArcBadHeader;
    for (char* p = e.m_szName; *p; ++p) {
        if (*p == '/')
            *p = '\\';
        if (e.m_nSystem != arc::kSystemKeepsCase)
            *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    return kArcOk;
}

ArcStatus ArcProbe(const char* name)
{
    std::string path = name ? name : "";
    while (!path.empty() && path.back() == ' ')
        path.pop_back();
    if (path.find('.') == std::string::npos)
        path += ".arq";
    std::FILE* f = sysfile::OpenStream(path, "rb");
    if (!f)
        return kArcCannotOpen;
    ArcEntry entry;
    entry.m_pInput = f;
    const ArcStatus status = ArcReadHeader(entry);
    std::fclose(f);
    return status < 0 && status != kArcEndMarker ? kArcNotArchive : kArcOk;
}

const char* ArcFileNamePart(const char* name)
{
    const char* part = name;
    for (const char* p = name; *p; ++p)
        if (*p == '\\' || *p == ':')
            part = p + 1;
    return part;
}

}  // namespace brelko
