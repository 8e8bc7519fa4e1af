#pragma once
// Code pages. The active ANSI code page is the locale's codeset (LC_CTYPE): UTF-8 on a normal
// Linux desktop (65001), Shift_JIS under a Japanese legacy locale (932). The program's own texts
// are code page 932 bytes and are converted to the active code page once, through iconv.
// Code page 932's 0x81 0x60 is U+FF5E FULLWIDTH TILDE in both directions; the few characters
// where Shift_JIS tables differ from code page 932 (the tilde, the backslash and yen sign, the
// double vertical line, the minus and the currency signs) are always mapped the code page 932
// way, whatever table the iconv build carries.
//
// The active code page is process-wide state, read from the locale on first use (which also
// sets LC_CTYPE from the environment). The setters are meant for start-up and tests, before
// other threads convert texts.

#include "platform/base/Strings.h"

#include <string>
#include <string_view>

namespace CodePage {
constexpr int Utf8 = 65001;
constexpr int ShiftJis = 932;
// A codeset without a code page number of its own; it is used by its iconv name.
constexpr int Other = 0;
}

// The active code page, read from the locale the first time it is asked for.
int ActiveCodePage();
// Overrides the active code page (tests use it to run the path rules under code page 932).
// Only CodePage::Utf8 and CodePage::ShiftJis have numbers; others are set by codeset name.
void SetActiveCodePage(int codePage);
// The iconv name of the active codeset ("UTF-8", "CP932", "ISO-8859-1", ...).
AnsiString ActiveCodeSet();
// Makes the named iconv codeset the active one, numbered as CodePageFromCodeSet says.
void SetActiveCodeSet(std::string_view codeSet);
// The code page a locale codeset stands for: 65001 for UTF-8 and for the C locale's ASCII,
// 932 for the Shift_JIS family, CodePage::Other for anything else.
int CodePageFromCodeSet(std::string_view codeSet);

// Conversions; bytes that cannot be converted become '?' (never an exception, never a crash).
// When source and target are the same code page the bytes pass unchanged.
AnsiString Cp932ToActive(std::string_view cp932);
std::string ActiveToCp932(std::string_view active);
AnsiString Utf8ToActive(std::string_view utf8);
std::string ActiveToUtf8(std::string_view active);
std::u32string ActiveToUtf32(std::string_view active);

// True when c starts a multi-byte character in the active code page: the lead bytes of code
// page 932, the lead bytes of UTF-8 sequences; never an ASCII byte.
bool IsLeadByte(unsigned char c);
// Length in bytes of the character starting at s[i] in the active code page (1 or more, never
// past the end of s). A code page 932 lead byte takes the byte after it, whatever it is; a UTF-8
// character is as long as its well-formed prefix, so an ASCII byte is never swallowed.
size_t CharLength(std::string_view s, size_t i);

// Case-insensitive comparison by the user's locale: 0 when equal, <0 or >0 otherwise.
int AnsiCompareText(std::string_view a, std::string_view b);
