#include "app/framework/RecentFileList.h"

#include <algorithm>
#include <cstdio>

#include "platform/Profile.h"

namespace brelko::app {

RecentFileList::RecentFileList(std::string section, std::string entryFormat, int size, int displayLength)
    : m_strSection(std::move(section)),
      m_strEntryFormat(std::move(entryFormat)),
      m_nSize(size),
      m_nDisplayLength(displayLength),
      m_names(static_cast<std::size_t>(size)) {}

namespace {
std::string EntryKey(const std::string& format, int index) {
    char key[32];
    std::snprintf(key, sizeof key, format.c_str(), index + 1);
    return key;
}
}  // namespace

void RecentFileList::ReadList() {
    for (int i = 0; i < m_nSize; ++i)
        m_names[static_cast<std::size_t>(i)] = Profile::GetString(m_strSection, EntryKey(m_strEntryFormat, i), "");
}

void RecentFileList::WriteList() const {
    // Nothing to keep and nothing kept before: the settings file stays as it is.
    if (IsEmpty()) {
        bool any = false;
        for (int i = 0; i < m_nSize && !any; ++i)
            any = !Profile::GetString(m_strSection, EntryKey(m_strEntryFormat, i), "").empty();
        if (!any) return;
    }
    for (int i = 0; i < m_nSize; ++i)
        Profile::WriteString(m_strSection, EntryKey(m_strEntryFormat, i), m_names[static_cast<std::size_t>(i)]);
}

void RecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    auto it = std::find(m_names.begin(), m_names.end(), path);
    if (it == m_names.end()) it = m_names.end() - 1;
    std::rotate(m_names.begin(), it, it + 1);
    m_names.front() = path;
}

void RecentFileList::Remove(int index) {
    if (index < 0 || index >= m_nSize) return;
    m_names.erase(m_names.begin() + index);
    m_names.emplace_back();
}

bool RecentFileList::IsEmpty() const {
    return std::all_of(m_names.begin(), m_names.end(), [](const std::string& n) { return n.empty(); });
}

std::string RecentFileList::DisplayName(int index, const std::string& currentFolder) const {
    const std::string& path = m_names[static_cast<std::size_t>(index)];
    std::string folder = currentFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (!folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
        path.find('/', folder.size()) == std::string::npos)
        return path.substr(folder.size());
    return AbbreviatePath(path, static_cast<std::size_t>(m_nDisplayLength));
}

std::string AbbreviatePath(const std::string& path, std::size_t maxLength) {
    if (path.size() <= maxLength) return path;
    const std::size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::string name = path.substr(nameStart);
    // The first folder stays ("/srv"), then "...", then as many of the last
    // folders as fit before the name.
    const std::size_t firstEnd = path.find('/', 1);
    if (nameStart == 0 || firstEnd == std::string::npos || firstEnd >= nameStart - 1) return name;
    const std::string head = path.substr(0, firstEnd + 1) + "...";
    std::string tail = "/" + name;
    if (head.size() + tail.size() > maxLength) return name;
    std::size_t end = nameStart - 1;  // the '/' before the name
    while (end > firstEnd) {
        const std::size_t start = path.rfind('/', end - 1);
        if (start == std::string::npos || start <= firstEnd) break;
        const std::string candidate = path.substr(start, end - start) + tail;
        if (head.size() + candidate.size() > maxLength) break;
        tail = candidate;
        end = start;
    }
    return head + tail;
}

}  // namespace brelko::app
