#pragma once
// Path helpers with the system's rules: the extension starts at the last "." that comes after
// the last separator, and the trail byte of a double-byte character never counts as a
// separator or a dot, whatever its value (in code page 932 it can be 0x5C, the backslash).
// Paths are byte strings in the active code page.
//
// The separators are the host's ("/") unless the Windows set ("\" and ":") is selected; the
// choice is process-wide and meant for start-up and tests.

#include "platform/base/Strings.h"

#include <string_view>

enum class TPathSeparators { Posix, Windows };

TPathSeparators PathSeparators();
void SetPathSeparators(TPathSeparators separators);
// The separator bytes of the current set ("/" or "\\:").
std::string_view PathDelimiters();

// Index of the last byte of s that is one of delimiters and not a trail byte, or
// AnsiString::npos.
size_t LastDelimiter(std::string_view delimiters, std::string_view s);

// From the last "." after the last separator to the end, a trailing blank included; "" when
// the name has no ".".
AnsiString ExtractFileExt(std::string_view path);
// Everything after the last separator.
AnsiString ExtractFileName(std::string_view path);
// Everything up to and including the last separator; "" when there is none.
AnsiString ExtractFilePath(std::string_view path);
// The path with its extension (as ExtractFileExt finds it) replaced by ext, or with ext
// appended when it has none.
AnsiString ChangeFileExt(std::string_view path, std::string_view ext);
