#pragma once
// The program's arguments. The program entry hands over argc and argv once; the arguments are
// kept as the shell split them, byte strings in the active code page. Argument 0 is the full
// path of the running program file rather than what argv[0] says, so that the program finds
// its own name however it was started. Process-wide state, set before other threads start.

#include "platform/base/Strings.h"

void SetCommandLine(int argc, char** argv);

// The number of arguments after the program: argc - 1, 0 before SetCommandLine.
int ParamCount();

// Argument index: 0 the program file's full path (from /proc/self/exe, else argv[0]); 1 to
// ParamCount() the arguments; "" for any other index.
AnsiString ParamStr(int index);
