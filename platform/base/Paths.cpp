#include "platform/base/Paths.h"

#include "platform/base/CodePage.h"

#include <atomic>
#include <string>

namespace {

std::atomic<TPathSeparators> gSeparators { TPathSeparators::Posix };

// The separators with "." in front, for the extension rules.
std::string DotAndDelimiters()
{
    std::string set(".");
    set += PathDelimiters();
    return set;
}

} // namespace

TPathSeparators PathSeparators()
{
    return gSeparators.load(std::memory_order_relaxed);
}

void SetPathSeparators(TPathSeparators separators)
{
    gSeparators.store(separators, std::memory_order_relaxed);
}

std::string_view PathDelimiters()
{
    return PathSeparators() == TPathSeparators::Windows ? std::string_view("\\:") : std::string_view("/");
}

size_t LastDelimiter(std::string_view delimiters, std::string_view s)
{
    // Only a walk from the start knows which bytes are trail bytes: in 0x95 0x95 0x5C the
    // backslash stands alone, in 0x41 0x95 0x5C it is the second byte of a character, yet
    // both show a lead-range byte just before it.
    size_t found = AnsiString::npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i))
        if (delimiters.find(s[i]) != std::string_view::npos)
            found = i;
    return found;
}

AnsiString ExtractFileExt(std::string_view path)
{
    size_t i = LastDelimiter(DotAndDelimiters(), path);
    if (i == AnsiString::npos || path[i] != '.')
        return AnsiString();
    return AnsiString(path.substr(i));
}

AnsiString ExtractFileName(std::string_view path)
{
    size_t i = LastDelimiter(PathDelimiters(), path);
    return AnsiString(i == AnsiString::npos ? path : path.substr(i + 1));
}

AnsiString ExtractFilePath(std::string_view path)
{
    size_t i = LastDelimiter(PathDelimiters(), path);
    return AnsiString(i == AnsiString::npos ? std::string_view() : path.substr(0, i + 1));
}

AnsiString ChangeFileExt(std::string_view path, std::string_view ext)
{
    size_t i = LastDelimiter(DotAndDelimiters(), path);
    AnsiString out(i != AnsiString::npos && path[i] == '.' ? path.substr(0, i) : path);
    out += ext;
    return out;
}
