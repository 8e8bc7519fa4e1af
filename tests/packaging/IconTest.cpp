#include "packaging/icon/CrestIcon.h"
#include "platform/base/FileSystem.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/PngWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <png.h>
#include <unistd.h>

namespace {

// A crest from rows of letters: m magenta (the key colour), k black, w white.
TDibImage Crest(const std::vector<std::string>& rows)
{
    TDibImage image;
    image.Allocate(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 24);
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
            image.SetPixelWord(x, y, c == 'm' ? IconKeyColour : c == 'w' ? 0xFFFFFF : 0x000000);
        }
    return image;
}

struct TRgba {
    int R, G, B, A;
    bool operator==(const TRgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TRgba& p)
{
    return out << "(" << p.R << "," << p.G << "," << p.B << "," << p.A << ")";
}

TRgba At(const std::vector<std::uint8_t>& icon, int size, int x, int y)
{
    const std::uint8_t* p = icon.data() + (static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 4;
    return { p[0], p[1], p[2], p[3] };
}

TDibImage CommittedCrest(const char* name)
{
    return ReadBmp(ReadFileBytes(std::string(PAKKORIN_SOURCE_DIR) + "/app/" + name, 1 << 24));
}

} // namespace

TEST(CrestIcon, EachIconPixelAveragesTheCrestPixelsItCovers)
{
    const struct {
        const char* What;
        std::vector<std::string> Rows;
        int Size;
        int X, Y;
        TRgba Expected;
    } cases[] = {
        { "the key colour is transparent", { "mmkk", "mmkk", "mmkk", "mmkk" }, 2, 0, 1, { 0, 0, 0, 0 } },
        { "the rest keeps its colour, opaque", { "mmkk", "mmkk", "mmkk", "mmkk" }, 2, 1, 0, { 0, 0, 0, 255 } },
        // Three columns into two: the first icon column covers one and a half crest columns.
        { "a part-covered edge is partly transparent", { "mkk", "mkk", "mkk" }, 2, 0, 0, { 0, 0, 0, 85 } },
        // Key pixels take no part in the colour, only in the alpha.
        { "colours average over the opaque part only", { "mwk", "mwk", "mwk" }, 1, 0, 0, { 128, 128, 128, 170 } },
        { "scaling up repeats a pixel", { "mk", "km" }, 4, 3, 0, { 0, 0, 0, 255 } },
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> icon = CrestIcon(Crest(c.Rows), c.Size);
        ASSERT_EQ(icon.size(), static_cast<size_t>(c.Size * c.Size * 4)) << c.What;
        EXPECT_EQ(At(icon, c.Size, c.X, c.Y), c.Expected) << c.What;
    }
}

TEST(CrestIcon, TheEditionsIconsShowTheirCrests)
{
    // At 48 pixels the ring is about six pixels wide: the middle row crosses it at x = 2.
    const struct {
        const char* File;
        TRgba Corner, Ring, Middle;
    } cases[] = {
        { "crest-standard.bmp", { 0, 0, 0, 0 }, { 0, 0, 0, 255 }, { 0, 0, 0, 255 } },
        { "crest-reverse.bmp", { 0, 0, 0, 255 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 } },
    };
    for (const auto& c : cases)
        for (int size : { 48, 256 }) {
            std::vector<std::uint8_t> icon = CrestIcon(CommittedCrest(c.File), size);
            int ring = 2 * size / 48, middle = size / 2;
            EXPECT_EQ(At(icon, size, 0, 0), c.Corner) << c.File << " " << size;
            EXPECT_EQ(At(icon, size, ring, middle), c.Ring) << c.File << " " << size;
            EXPECT_EQ(At(icon, size, middle, middle), c.Middle) << c.File << " " << size;
        }
}

TEST(CrestIcon, ThePngHoldsTheIconsBytes)
{
    std::vector<std::uint8_t> icon = CrestIcon(Crest({ "mwk", "kmw", "wkm" }), 5);
    std::string path = (std::filesystem::temp_directory_path() / ("pk-icon-" + std::to_string(getpid()) + ".png")).string();
    ASSERT_TRUE(WritePngRgba(5, 5, icon, path));
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_ALPHA);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> read(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    EXPECT_EQ(read, icon);
    std::filesystem::remove(path);
    EXPECT_FALSE(WritePngRgba(5, 5, icon, "/nonexistent-folder/icon.png"));
}
