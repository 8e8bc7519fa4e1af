#include "platform/ui/Shell.h"

#include "platform/ui/DisplayDriver.h"
#include "platform/ui/Trace.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::intptr_t ShellExecute(HWND, const AnsiString& verb, const AnsiString& file, const AnsiString& parameters,
    const AnsiString& directory, int showCommand)
{
    TraceLine({ "open", verb, file });
    if (!HasDisplayDriver())
        return 2; // the system's "file not found"
    return DisplayDriver().ShellOpen(verb, file, parameters, directory, showCommand) ? 42 : 2;
}

bool SpawnXdgOpen(const AnsiString& target, const AnsiString& directory)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    (void)directory; // the handler runs in the program's own folder
    std::string program = "xdg-open";
    std::string argument = target;
    char* argv[] = { program.data(), argument.data(), nullptr };
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    // The child is not waited for; it must not linger as a zombie either.
    signal(SIGCHLD, SIG_IGN);
    return true;
}
