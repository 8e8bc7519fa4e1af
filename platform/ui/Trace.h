#pragma once
// The run trace: one event a line, fields separated by one TAB, in UTF-8. A TAB, newline or
// backslash inside a field is written as \t, \n or \\. Later checks parse these lines, so the
// formats are fixed:
//   move NAME LEFT TOP | size NAME WIDTH HEIGHT | show NAME | hide NAME |
//   region NAME COUNT L T R B | beep TYPE | msgbox CAPTION TEXT ANSWER | open VERB TARGET |
//   close NAME REASON | exit CODE

#include "platform/base/Strings.h"

#include <initializer_list>
#include <string_view>

// Starts writing the trace to a file (truncated); an empty path stops it.
void SetTraceFile(const AnsiString& path);
bool TraceEnabled();
// Writes one line; text fields are given in the active code page and written as UTF-8.
void TraceLine(std::initializer_list<std::string_view> fields);
// Escapes a field as the trace writes it (UTF-8 in, UTF-8 out).
std::string TraceEscape(std::string_view utf8);
