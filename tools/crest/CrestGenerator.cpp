// crest_generator OUTDIR: writes OUTDIR/crest-standard.bmp and OUTDIR/crest-reverse.bmp, the two
// crest bitmaps that app/ embeds, creating OUTDIR when it is missing. Run it after changing the
// drawing; the app tests compare the committed files with what the drawing gives now.

#include "platform/graphics/BmpCodec.h"
#include "tools/crest/CrestDrawing.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: crest_generator OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error); // a failure shows up as the write failing
    for (TCrestEdition edition : { ceStandard, ceReverse }) {
        const std::filesystem::path path = dir / CrestFileName(edition);
        if (!WriteFile(path, WriteBmp(DrawCrest(edition)))) {
            std::fprintf(stderr, "crest_generator: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
