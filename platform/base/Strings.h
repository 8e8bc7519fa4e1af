#pragma once
// Byte strings of the platform. Every text the program handles (file names, captions, messages)
// is a byte string in the active ANSI code page, exactly as the system's ANSI interfaces would
// receive it; conversions to and from other code pages live in CodePage.h.

#include <cstdint>
#include <string>
#include <string_view>

using AnsiString = std::string;

// printf-style formatting into an AnsiString (the platform's Format for %s and %d texts).
AnsiString FormatAnsi(const char* format, ...) __attribute__((format(printf, 1, 2)));

AnsiString IntToStr(long long value);
