#pragma once
// Identifiers of form descriptions (class, property, component, method and value names) are
// ASCII and compared without regard to case, as the designer's language compares them.

#include <string>
#include <string_view>

inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameIdent(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

inline std::string LowerIdent(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}
