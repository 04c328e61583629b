#include "archive/ArcWildcard.h"

#include <cctype>
#include <cstring>
#include <string>

namespace brelko {

namespace {

std::string Upper(const char* s)
{
    std::string u = s ? s : "";
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// A '[' set starting at pattern[at] (the '['). Sets end to the index after ']'
// and returns false when the set is malformed.
bool ParseSet(const std::string& pattern, std::size_t at, std::size_t& end)
{
    std::size_t i = at + 1;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^'))
        ++i;
    while (i < pattern.size() && pattern[i] != ']') {
        if (i + 1 < pattern.size() && pattern[i + 1] == '-') {
            if (i + 2 >= pattern.size() || pattern[i + 2] == ']')
                return false;  // a range with no upper end
            i += 3;
        } else {
            ++i;
        }
    }
    if (i >= pattern.size())
        return false;  // unclosed
    end = i + 1;
    return true;
}

bool InSet(const std::string& pattern, std::size_t at, char c)
{
    std::size_t i = at + 1;
    bool negate = false;
    if (pattern[i] == '!' || pattern[i] == '^') {
        negate = true;
        ++i;
    }
    bool found = false;
    const auto u = static_cast<unsigned char>(c);
    while (pattern[i] != ']') {
        if (pattern[i + 1] == '-') {
            if (u >= static_cast<unsigned char>(pattern[i]) && u <= static_cast<unsigned char>(pattern[i + 2]))
                found = true;
            i += 3;
        } else {
            if (u == static_cast<unsigned char>(pattern[i]))
                found = true;
            ++i;
        }
    }
    return found != negate;
}

}  // namespace

bool ArcSpecIsValid(const char* pattern)
{
    const std::string s = pattern ? pattern : "";
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '[')
            continue;
        std::size_t end;
        if (!ParseSet(s, i, end))
            return false;
        i = end - 1;
    }
    return true;
}

bool ArcWildMatch(const char* specText, const char* nameText)
{
    std::string pattern = Upper(specText);
    const std::string name = Upper(nameText);
    if (pattern == "*.*")
        pattern = "*";
    std::size_t s = 0, n = 0;
    int pending = 0;  // stars not yet resolved
    while (s < pattern.size() && n < name.size()) {
        const char c = pattern[s];
        if (c == '*') {
            ++pending;
            ++s;
        } else if (c == '+') {
            ++n;
            ++pending;
            ++s;
        } else if (c == '?') {
            ++n;
            if (pending > 0)
                --pending;
            ++s;
        } else if (c == '[') {
            std::size_t end;
            if (!ParseSet(pattern, s, end))
                return false;
            if (pending == 0) {
                if (!InSet(pattern, s, name[n]))
                    return false;
                ++n;
            } else {
                while (n < name.size() && !InSet(pattern, s, name[n]))
                    ++n;
                if (n == name.size())
                    return false;
                ++n;
                pending = 0;
            }
            s = end;
        } else {
            if (pending == 0) {
                if (name[n] != c)
                    return false;
                ++n;
            } else {
                const std::size_t at = name.find(c, n);
                if (at == std::string::npos)
                    return false;
                n = at + 1;
                pending = 0;
            }
            ++s;
        }
    }
    if (pending > 0)
        n = name.size();
    while (s < pattern.size() && pattern[s] == '*')
        ++s;
    return s == pattern.size() && n == name.size();
}

}  // namespace brelko
