// pakkorin_icon CREST.bmp SIZE OUT.png: the launcher icon of one edition at one size, drawn from
// the edition's crest bitmap at build time.

#include "packaging/icon/CrestIcon.h"
#include "platform/base/Exception.h"
#include "platform/base/FileSystem.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/PngWriter.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    int size = argc == 4 ? std::atoi(argv[2]) : 0;
    if (size <= 0 || size > 1024) {
        std::fprintf(stderr, "usage: pakkorin_icon CREST.bmp SIZE OUT.png\n");
        return 2;
    }
    TDibImage crest;
    try {
        crest = ReadBmp(ReadFileBytes(argv[1], 64 << 20));
    } catch (const Exception& e) {
        std::fprintf(stderr, "pakkorin_icon: %s: %s\n", argv[1], e.Message().c_str());
        return 1;
    }
    if (crest.Empty()) {
        std::fprintf(stderr, "pakkorin_icon: %s: no picture\n", argv[1]);
        return 1;
    }
    if (!WritePngRgba(size, size, CrestIcon(crest, size), argv[3])) {
        std::fprintf(stderr, "pakkorin_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
