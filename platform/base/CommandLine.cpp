#include "platform/base/CommandLine.h"

#include <cassert>
#include <unistd.h>
#include <vector>

namespace {

struct CommandLineState {
    std::vector<AnsiString> Args;
    AnsiString ProgramPath;
};

CommandLineState& State()
{
    static CommandLineState state;
    return state;
}

AnsiString RunningProgramPath()
{
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return AnsiString();
        // A result that fills the buffer may have been cut short.
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

void SetCommandLine(int argc, char** argv)
{
    assert(argc >= 0 && (argc == 0 || argv));
    CommandLineState& state = State();
    state.Args.assign(argv, argv + argc);
    state.ProgramPath = RunningProgramPath();
    if (state.ProgramPath.empty() && argc > 0)
        state.ProgramPath = argv[0];
}

int ParamCount()
{
    const auto& args = State().Args;
    return args.empty() ? 0 : static_cast<int>(args.size()) - 1;
}

AnsiString ParamStr(int index)
{
    const CommandLineState& state = State();
    if (index == 0)
        return state.ProgramPath.empty() ? RunningProgramPath() : state.ProgramPath;
    if (index < 0 || index > ParamCount())
        return AnsiString();
    return state.Args[static_cast<size_t>(index)];
}
