#pragma once
// The shell: opening a location or a file with the desktop's handler.

#include "platform/base/Strings.h"
#include "platform/ui/Messages.h"

// Opens file (a location or a path) with the verb ("OPEN"); traced as "open VERB TARGET". The
// display decides how: on the desktop xdg-open is started, on the headless screen nothing is.
// Returns a value above 32 on success, as the system does.
std::intptr_t ShellExecute(HWND owner, const AnsiString& verb, const AnsiString& file, const AnsiString& parameters,
    const AnsiString& directory, int showCommand);

// Starts xdg-open with the target as its only argument (posix_spawnp, never through a shell);
// false when it could not be started.
bool SpawnXdgOpen(const AnsiString& target, const AnsiString& directory);
