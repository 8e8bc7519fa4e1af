#pragma once
// Code pages. The active ANSI code page is the locale's codeset (LC_CTYPE): UTF-8 on a normal
// Linux desktop (65001), Shift_JIS under a Japanese legacy locale (932). The program's own texts
// are code page 932 bytes and are converted to the active code page once, through iconv.
// Code page 932's 0x81 0x60 is U+FF5E FULLWIDTH TILDE in both directions (iconv's CP932 table
// agrees; SHIFT_JIS tables that say U+301C are not used).

#include "platform/base/Strings.h"

#include <string>
#include <string_view>

namespace CodePage {
constexpr int Utf8 = 65001;
constexpr int ShiftJis = 932;
}

// The active code page, read from the locale the first time it is asked for.
int ActiveCodePage();
// Overrides the active code page (tests use it to run the path rules under code page 932).
void SetActiveCodePage(int codePage);

// Conversions; bytes that cannot be converted become '?' (never an exception, never a crash).
AnsiString Cp932ToActive(std::string_view cp932);
std::string ActiveToCp932(std::string_view active);
AnsiString Utf8ToActive(std::string_view utf8);
std::string ActiveToUtf8(std::string_view active);
std::u32string ActiveToUtf32(std::string_view active);

// True when c starts a double-byte character in the active code page.
bool IsLeadByte(unsigned char c);
// Length in bytes of the character starting at s[i] in the active code page (1 or more).
size_t CharLength(std::string_view s, size_t i);

// Case-insensitive comparison by the user's locale: 0 when equal, <0 or >0 otherwise.
int AnsiCompareText(std::string_view a, std::string_view b);
