#include "platform/ui/Trace.h"

#include "platform/base/CodePage.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::unique_ptr<std::FILE, FileCloser>& TraceFile()
{
    static std::unique_ptr<std::FILE, FileCloser> file;
    return file;
}

} // namespace

void SetTraceFile(const AnsiString& path)
{
    TraceFile().reset();
    if (!path.empty())
        TraceFile().reset(std::fopen(path.c_str(), "w"));
}

bool TraceEnabled()
{
    return TraceFile() != nullptr;
}

std::string TraceEscape(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void TraceLine(std::initializer_list<std::string_view> fields)
{
    std::FILE* f = TraceFile().get();
    if (!f)
        return;
    std::string line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first)
            line += '\t';
        first = false;
        line += TraceEscape(ActiveToUtf8(field));
    }
    line += '\n';
    std::fputs(line.c_str(), f);
    std::fflush(f);
}
