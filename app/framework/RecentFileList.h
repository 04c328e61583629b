// The recent-file list: the last files opened or saved, most recent first,
// kept in the settings file under "Recent File List" as File1 to File4 and
// shown in the File menu abbreviated to a display length.
#pragma once

#include <string>
#include <vector>

namespace brelko::app {

class RecentFileList {
public:
    RecentFileList(std::string section, std::string entryFormat, int size, int displayLength);

    void ReadList();
    void WriteList() const;

    // Moves the path to the front (adding it when new); the oldest drops off.
    void Add(const std::string& path);
    void Remove(int index);
    int Size() const { return m_nSize; }
    const std::string& operator[](int index) const { return m_names[static_cast<std::size_t>(index)]; }
    bool IsEmpty() const;

    // The menu text of entry `index`: the path relative to `currentFolder`
    // when it lies there, else abbreviated to the display length.
    std::string DisplayName(int index, const std::string& currentFolder) const;

private:
    std::string m_strSection;
    std::string m_strEntryFormat;
    int m_nSize;
    int m_nDisplayLength;
    std::vector<std::string> m_names;
};

// Shortens a path to at most `maxLength` characters by replacing folders in
// its middle with "...": "/srv/brelko/.../line3.asc". The file name is kept
// whole even when it alone is longer.
std::string AbbreviatePath(const std::string& path, std::size_t maxLength);

}  // namespace brelko::app
