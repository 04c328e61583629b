#include "data/CText.h"

#include <algorithm>
#include <cstdio>

#include "platform/Strings.h"

namespace brelko {

CText::CText() {
    m_strDescription = TypeName();
}

std::string CText::TypeName() {
    std::string type = LoadString(IDR_TXTTYPE);
    std::size_t lastField = type.rfind('\n');
    return lastField == std::string::npos ? type : type.substr(lastField + 1);
}

void CText::SetDescription() {
    char length[32];
    std::snprintf(length, sizeof length, " %d Byte", static_cast<int>(m_strText.size()));
    m_strDescription = TypeName() + length;
}

void CText::Serialize(ByteArchive& ar) {
    std::lock_guard lock(m_mutex);
    if (ar.IsLoading()) {
        // Every byte of the file, zero bytes included: a backup must go back
        // to the system as it came.
        std::string text(static_cast<std::size_t>(ar.Remaining()), '\0');
        text.resize(ar.Read(text.data(), text.size()));
        if (!ar.Ok()) return;  // the archive says why; the text stays as it was
        m_strText = std::move(text);
    } else {
        ar.Write(m_strText.data(), m_strText.size());
    }
    SetDescription();
}

void CText::Draw(DrawSurface& surface) {
    (void)surface;  // the data view shows the text itself
}

std::string CText::GetText() const {
    std::lock_guard lock(m_mutex);
    return m_strText;
}

void CText::SetText(std::string text) {
    std::lock_guard lock(m_mutex);
    m_strText = std::move(text);
}

std::size_t CText::GetLength() const {
    std::lock_guard lock(m_mutex);
    return m_strText.size();
}

std::string CText::Slice(std::size_t from, std::size_t count, std::size_t* length) const {
    std::lock_guard lock(m_mutex);
    if (length) *length = m_strText.size();
    if (from >= m_strText.size()) return std::string();
    return m_strText.substr(from, count);
}

bool CText::ByteAt(std::size_t index, char& byte) const {
    std::lock_guard lock(m_mutex);
    if (index >= m_strText.size()) return false;
    byte = m_strText[index];
    return true;
}

std::size_t CText::LengthThrough(const std::string& terminator) const {
    std::lock_guard lock(m_mutex);
    const std::size_t at = terminator.empty() ? std::string::npos : m_strText.find(terminator);
    return at == std::string::npos ? m_strText.size() : at + terminator.size();
}

void CText::BeginReception(std::size_t capacity) {
    std::lock_guard lock(m_mutex);
    m_strText.clear();
    m_strText.reserve(capacity);
}

std::size_t CText::Append(const char* bytes, std::size_t count) {
    std::lock_guard lock(m_mutex);
    // Grow in large steps: a reception appends a line at a time.
    if (m_strText.size() + count + 1 >= m_strText.capacity())
        m_strText.reserve(m_strText.capacity() + std::max(count + 1, kReceiveBufferGrowth));
    m_strText.append(bytes, count);
    return m_strText.size();
}

void CText::DropLast() {
    std::lock_guard lock(m_mutex);
    if (!m_strText.empty()) m_strText.pop_back();
}

}  // namespace brelko
