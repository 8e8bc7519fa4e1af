// The state images and base shapes a rebuild makes, checked pixel by pixel on small controls.

#include "ClearFixture.h"

using namespace ClearTesting;

namespace {

// Colours that stay apart under every lightening and darkening the kit applies.
const TColor Face = RGB(40, 80, 120);
const TColor Shadow = RGB(10, 20, 30);
const TColor Light = RGB(250, 250, 200);

const std::map<TColor, char>& Legend()
{
    static const std::map<TColor, char> legend { { Magenta, '.' }, { Light, 'O' }, { Face, 'F' }, { Shadow, 'S' },
        { clRed, 'C' }, { DarkenColor(Face, 32), 'f' }, { DarkenColor(Shadow, 64), 's' }, { LightenColor(Face, 64), 'H' },
        { LightenColor(Shadow, 32), 'h' }, { LightenColor(clRed, 128), 'c' } };
    return legend;
}

using TArt = std::vector<std::string>;

class StateImageTest : public ClearTest {
protected:
    // A 14 x 10 button showing a 4 x 3 red block, in the given look, built.
    TClearButton* MakeButton(TTransBtnStyle style, TBorderStyle border, bool borderAndShadow)
    {
        if (!Form)
            Form = MakeForm(200, 100);
        auto* b = new TClearButton(Form);
        b->BeginUpdate();
        b->SetAutoSize(false);
        b->SetParent(Form);
        b->SetBounds(0, 0, 14, 10);
        b->SetColor(Face);
        b->SetShadowColor(Shadow);
        b->SetLightColor(Light);
        b->SetStyle(style);
        b->SetBorderStyle(border);
        if (!borderAndShadow)
            b->SetOptions(b->Options() - TTransImgOptions { sioBorderAndShadow });
        auto picture = BlockPicture(4, 3, { 0, 0, 4, 3 }, clRed);
        b->SetPicture(picture.get());
        b->HandleNeeded();
        b->EndUpdate();
        return b;
    }
    TForm* Form = nullptr;
};

} // namespace

TEST_F(StateImageTest, NormalAndPressedImagesFollowTheStyleBorderAndOptions)
{
    struct TCase {
        const char* name;
        TTransBtnStyle style;
        TBorderStyle border;
        bool borderAndShadow;
        TArt normal;
        TArt pressed; // empty: the pressed image is never built
    };
    const TCase cases[] = {
        { "push, single border: light top-left, face ring, shadow bottom-right; pressed shifts and darkens",
            sbsPushBtn, bsSingle, true,
            { "..............", "...OOOOOOOO...", "...OFFFFFFF...", "...OFCCCCFF...", "...OFCCCCFFS..",
                "...OFCCCCFFS..", "...OFFFFFFFS..", "......SSSSSS..", "..............", ".............." },
            { "..............", "..............", "....ssssss....", "....sfffffff..", "....sfCCCCff..",
                "....sfCCCCff..", ".....fCCCCff..", ".....fffffff..", "..............", ".............." } },
        { "push, no border: no face ring, pressed shadow keeps its colour",
            sbsPushBtn, bsNone, true,
            { "..............", "..............", "....OOOOOO....", "....OCCCCOS...", "....OCCCCOS...",
                "....OCCCCOS...", ".....SSSSSS...", "..............", "..............", ".............." },
            { "..............", "..............", "..............", ".....SSSSS....", ".....SCCCC....",
                ".....SCCCC....", "......CCCC....", "..............", "..............", ".............." } },
        { "float: shadow cast down-right, pressed face not darkened",
            sbsFloatBtn, bsSingle, true,
            { "..............", "..............", "....FFFFFFF...", "....FCCCCFF...", "....FCCCCFF...",
                "....FCCCCFF...", "....FFFFFFFSS.", "........SSSSS.", "........SSSSS.", ".............." },
            { "..............", "..............", "..............", ".....FFFFFFF..", ".....FCCCCFF..",
                ".....FCCCCFF..", ".....FCCCCFF..", ".....FFFFFFF..", "..............", ".............." } },
        { "float, no border: shadow one pixel down-right, no ring",
            sbsFloatBtn, bsNone, true,
            { "..............", "..............", "..............", ".....CCCC.....", ".....CCCCSS...",
                ".....CCCCSS...", "......SSSSS...", "..............", "..............", ".............." },
            { "..............", "..............", "..............", "..............", "......CCCC....",
                "......CCCC....", "......CCCC....", "..............", "..............", ".............." } },
        { "image: ring only, never shifted, darker when pressed",
            sbsImage, bsSingle, true,
            { "..............", "..............", "....FFFFFFF...", "....FCCCCFF...", "....FCCCCFF...",
                "....FCCCCFF...", "....FFFFFFF...", "..............", "..............", ".............." },
            { "..............", "..............", "....fffffff...", "....fCCCCff...", "....fCCCCff...",
                "....fCCCCff...", "....fffffff...", "..............", "..............", ".............." } },
        { "image, no border: the content alone, pressed or not",
            sbsImage, bsNone, true,
            { "..............", "..............", "..............", ".....CCCC.....", ".....CCCC.....",
                ".....CCCC.....", "..............", "..............", "..............", ".............." },
            { "..............", "..............", "..............", ".....CCCC.....", ".....CCCC.....",
                ".....CCCC.....", "..............", "..............", "..............", ".............." } },
        { "push without border and shadow: the content alone, one border width in",
            sbsPushBtn, bsSingle, false,
            { "..............", "..............", "..............", "..............", "......CCCC....",
                "......CCCC....", "......CCCC....", "..............", "..............", ".............." },
            {} },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TClearButton* b = MakeButton(c.style, c.border, c.borderAndShadow);
        ASSERT_NE(b->BtnImage(), nullptr);
        EXPECT_EQ(Art(*b->BtnImage(), Legend()), c.normal);
        if (c.pressed.empty()) {
            EXPECT_TRUE(b->DownImage()->Empty());
        } else {
            EXPECT_EQ(Art(*b->DownImage(), Legend()), c.pressed);
        }
        // Each base region is exactly the non-key pixels of its image.
        ASSERT_TRUE(b->BtnRgn().has_value());
        EXPECT_EQ(*b->BtnRgn(), NonKeyPixels(*b->BtnImage(), Magenta));
        if (!c.pressed.empty()) {
            ASSERT_TRUE(b->DownRgn().has_value());
            EXPECT_EQ(*b->DownRgn(), NonKeyPixels(*b->DownImage(), Magenta));
        } else {
            EXPECT_FALSE(b->DownRgn().has_value());
        }
    }
}

TEST_F(StateImageTest, HotImageLightensContentFaceAndShadow)
{
    TClearButton* b = MakeButton(sbsPushBtn, bsSingle, true);
    ASSERT_NE(b->HotImage(), nullptr);
    // The hot image is composed from the silhouette again, not from the darkened pressed ring.
    const TArt hot { "..............", "...OOOOOOOO...", "...OHHHHHHH...", "...OHccccHH...", "...OHccccHHh..",
        "...OHccccHHh..", "...OHHHHHHHh..", "......hhhhhh..", "..............", ".............." };
    EXPECT_EQ(Art(*b->HotImage(), Legend()), hot);

    b->SetHotLightDepth(0);
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            ASSERT_EQ(PixelOf(*b->HotImage(), x, y), PixelOf(*b->BtnImage(), x, y)) << x << "," << y;

    b->SetOptions(b->Options() - TTransImgOptions { sioHotTrackImage });
    EXPECT_EQ(b->HotImage(), nullptr);
}

TEST_F(StateImageTest, DisabledImageIsTheNormalImageInGreyWithinItsLimits)
{
    TClearButton* b = MakeButton(sbsPushBtn, bsSingle, true);
    ASSERT_NE(b->DisabledImage(), nullptr);
    const TBitmap& normal = *b->BtnImage();
    const TBitmap& grey = *b->DisabledImage();
    EXPECT_EQ(PixelOf(grey, 0, 0), Magenta);
    EXPECT_EQ(PixelOf(grey, 5, 3), 0x808080u) << "red (mean 85) is raised to 128";
    EXPECT_EQ(PixelOf(grey, 3, 1), 0xC0C0C0u) << "the light outline (mean 233) is held at 192";
    for (int y = 0; y < normal.Height(); ++y)
        for (int x = 0; x < normal.Width(); ++x) {
            if (PixelOf(normal, x, y) == Magenta) {
                ASSERT_EQ(PixelOf(grey, x, y), Magenta);
            }
        }

    b->SetOptions(b->Options() - TTransImgOptions { sioDisableImage });
    EXPECT_EQ(b->DisabledImage(), nullptr);
}

TEST(ClearColors, ChannelsClampAndGreyStaysWithinItsLimits)
{
    struct TCase {
        TColor in;
        TColor lighten8, darken8, grey;
    };
    const TCase cases[] = {
        { clBlack, RGB(8, 8, 8), clBlack, 0x808080 },
        { clWhite, clWhite, RGB(247, 247, 247), 0xC0C0C0 },
        { RGB(150, 150, 150), RGB(158, 158, 158), RGB(142, 142, 142), RGB(150, 150, 150) },
        { RGB(250, 4, 100), RGB(255, 12, 108), RGB(242, 0, 92), 0x808080 }, // mean 118
        { RGB(200, 190, 170), RGB(208, 198, 178), RGB(192, 182, 162), RGB(186, 186, 186) }, // mean 186
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(LightenColor(c.in, 8), c.lighten8) << std::hex << c.in;
        EXPECT_EQ(DarkenColor(c.in, 8), c.darken8) << std::hex << c.in;
        EXPECT_EQ(GrayColor(c.in), c.grey) << std::hex << c.in;
    }
    // System colours are resolved first.
    EXPECT_EQ(DarkenColor(clBtnHighlight, 8), RGB(247, 247, 247));
    const std::uint8_t bgr[3] = { 0x30, 0x20, 0x10 };
    EXPECT_EQ(ScanPixelColor(bgr), 0x00302010u);
}

TEST_F(StateImageTest, OutlineColourAvoidsTheKeyColour)
{
    struct TCase {
        const char* name;
        TColor key, light, outline;
    };
    const TCase cases[] = {
        { "light colour used as it is", Magenta, clBtnHighlight, clWhite },
        { "light equal to the key: lightened by 8", RGB(100, 100, 100), RGB(100, 100, 100), RGB(108, 108, 108) },
        { "white on white: lightening does nothing, so darkened", clWhite, clWhite, RGB(247, 247, 247) },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TClearButton* b = MakeButton(sbsPushBtn, bsSingle, true);
        b->SetPicture(nullptr);
        b->SetTransColor(c.key);
        b->SetLightColor(c.light);
        b->SetCaption("I");
        // The outline's top-left pixel is the first non-key pixel of the image.
        const TBitmap& img = *b->BtnImage();
        TRect box = b->BtnRgn()->BoundingBox();
        EXPECT_EQ(PixelOf(img, box.Left, box.Top), c.outline);
    }
}

TEST_F(StateImageTest, CaptionIsRenderedInTheFontColourOnAnyKeyColour)
{
    // A white key renders the text on silver first, a black key draws it in silver first; neither
    // helper colour may survive into the image, and the glyphs' core is exactly the font colour.
    TForm* form = MakeForm(200, 100);
    for (TColor key : { Magenta, clWhite, clBlack }) {
        SCOPED_TRACE(key);
        auto* b = new TClearPanel(form);
        b->SetParent(form);
        b->SetAutoSize(false);
        b->SetBounds(0, 0, 60, 40);
        b->SetParentFont(false);
        b->Font().SetSize(20);
        b->Font().SetColor(clRed);
        b->SetTransColor(key);
        b->SetCaption("H");
        b->HandleNeeded();
        b->MakeBtnImageAndRgn();
        const TBitmap& img = *b->BtnImage();
        int red = 0, helper = 0;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) {
                TColor p = PixelOf(img, x, y);
                red += p == clRed ? 1 : 0;
                helper += (p == clSilver || (p == clWhite && key != clWhite)) ? 1 : 0;
            }
        EXPECT_GT(red, 20);
        EXPECT_EQ(helper, 0);
        // The letter's gaps stay transparent: the text was not turned into a solid block.
        const TRect box = b->BtnRgn()->BoundingBox();
        int gaps = 0;
        for (int y = box.Top; y < box.Bottom; ++y)
            for (int x = box.Left; x < box.Right; ++x)
                gaps += PixelOf(img, x, y) == key ? 1 : 0;
        EXPECT_GT(gaps, box.Width());
        EXPECT_EQ(PixelOf(img, 0, 0), key);
        EXPECT_EQ(*b->BtnRgn(), NonKeyPixels(img, key));
    }
}

TEST_F(StateImageTest, CaptionPlacement)
{
    TClearButton* b = MakeButton(sbsPushBtn, bsSingle, true);
    b->SetPicture(nullptr);
    b->SetBounds(0, 0, 80, 50);
    b->Font().SetColor(clRed);
    b->SetCaption("H");
    auto leftmostRed = [&] {
        const TBitmap& img = *b->BtnImage();
        for (int x = 0; x < img.Width(); ++x)
            for (int y = 0; y < img.Height(); ++y)
                if (PixelOf(img, x, y) == clRed)
                    return x;
        return -1;
    };
    b->SetCaptionLeft(0);
    const int atZero = leftmostRed();
    b->SetCaptionLeft(7);
    EXPECT_EQ(leftmostRed(), atZero + 7);
    // Centred: (width - text width) / 2, less the border and ring the content image sits inside.
    b->SetCaptionLeft(-1);
    TRect extent { 0, 0, 0, 0 };
    TDeviceContext measuring;
    DrawTextDC(measuring, b->Font().Spec(), clRed, "H", extent, DT_CALCRECT);
    EXPECT_EQ(leftmostRed(), atZero + Halved(80 - (extent.Right + 1)) - 2);
}

TEST_F(StateImageTest, PictureLargerThanTheContentIsCentredAndCropped)
{
    TClearButton* b = MakeButton(sbsPushBtn, bsSingle, false);
    // 20 x 14: 3 columns and 2 rows are cut on each side of a 14 x 10 image.
    auto picture = BlockPicture(20, 14, { 3, 2, 4, 3 }, clRed, clBlue);
    b->SetPicture(picture.get());
    EXPECT_EQ(PixelOf(*b->BtnImage(), 1, 1), clRed) << "the picture's (3, 2) lands at the content's (0, 0)";
    EXPECT_EQ(PixelOf(*b->BtnImage(), 13, 9), clBlue);
    // A run that reaches the right edge ends at the image's width.
    EXPECT_EQ(b->BtnRgn()->BoundingBox(), (TRect { 1, 1, 14, 10 }));
}

TEST_F(StateImageTest, TooSmallForItsBorderBuildsNothing)
{
    struct TCase {
        TBorderStyle border;
        int size;
        bool built;
    };
    for (TCase c : { TCase { bsSingle, 4, false }, TCase { bsSingle, 5, true }, TCase { bsNone, 2, false }, TCase { bsNone, 3, true } }) {
        TClearButton* b = MakeButton(sbsPushBtn, c.border, true);
        b->SetBounds(0, 0, c.size, 20);
        EXPECT_EQ(b->BtnImage()->Width() == c.size, c.built) << c.border << " " << c.size;
    }
}
