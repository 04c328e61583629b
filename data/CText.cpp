#include "data/CText.h"

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

}  // namespace brelko
