// Placeholder until the iconv conversions land: the active code page is UTF-8 and texts pass
// unchanged.
#include "platform/base/CodePage.h"

#include <strings.h>

static int gActive = CodePage::Utf8;
int ActiveCodePage() { return gActive; }
void SetActiveCodePage(int cp) { gActive = cp; }
AnsiString Cp932ToActive(std::string_view s) { return AnsiString(s); }
std::string ActiveToCp932(std::string_view s) { return std::string(s); }
AnsiString Utf8ToActive(std::string_view s) { return AnsiString(s); }
std::string ActiveToUtf8(std::string_view s) { return std::string(s); }
std::u32string ActiveToUtf32(std::string_view s)
{
    std::u32string out;
    for (unsigned char c : s)
        out.push_back(c);
    return out;
}
bool IsLeadByte(unsigned char) { return false; }
size_t CharLength(std::string_view, size_t) { return 1; }
int AnsiCompareText(std::string_view a, std::string_view b) { return strcasecmp(std::string(a).c_str(), std::string(b).c_str()); }
