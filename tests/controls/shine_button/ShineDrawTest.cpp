// Painting: where glyph and caption go, gradient faces, the frames' exact pixels per type and
// state, the frame switches, caption copies, the disabled looks and the transparent face.

#include "ShineFixture.h"

#include "platform/graphics/TextDraw.h"

namespace {

constexpr std::uint32_t Key = 0x808000;
const std::map<char, std::uint32_t> GlyphLegend { { '.', Key }, { '#', 0xFF0000 } };

class ShineDrawTest : public ShineTest {
protected:
    void SetUp() override
    {
        ShineTest::SetUp();
        Form = MakeForm(700, 400);
    }

    struct TPlacement {
        TPoint Glyph;
        TRect Text;
    };
    // Where the button places glyph and caption, measured in its own font as a paint does.
    static TPlacement Place(TProbeButton& b)
    {
        TBitmap surface;
        surface.SetSize(1, 1);
        surface.Canvas().SetFont(b.Font());
        TPlacement p;
        b.CalcDrawPosition(surface.Canvas(), p.Glyph, p.Text);
        return p;
    }
    static void Solid16(TProbeButton& b)
    {
        std::vector<std::string> rows(16, std::string(16, '#'));
        rows.back()[0] = '.';
        b.SetGlyph(MakeGlyph(rows, GlyphLegend).get());
    }
    // Puts a button with a parent into a state.
    static void Enter(TProbeButton& b, TShineButtonState s)
    {
        if (s == stDown || s == stDownActive) {
            b.SetGroupIndex(77);
            b.SetDown(true);
        }
        if (s == stUpActive || s == stDownActive)
            b.MouseEnter({}, 0, 0);
        if (s == stDisabled)
            b.SetEnabled(false);
        ASSERT_EQ(b.State(), s);
    }

    TForm* Form = nullptr;
};

// How far a pixel leans to one channel: red, green or blue minus the larger of the other two.
int Lean(std::uint32_t p, int channel)
{
    int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    int c[] = { r, g, b };
    return c[channel] - std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]);
}
bool AnyLeaning(const TBitmap& bitmap, int channel)
{
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (Lean(bitmap.Image().GetPixelWord(x, y), channel) > 60)
                return true;
    return false;
}

} // namespace

TEST_F(ShineDrawTest, GlyphAndCaptionPlacement)
{
    // "Tools" measures 30 pixels in the default face; the cases below are worked out for that.
    {
        TProbeButton probe(nullptr);
        probe.SetCaption("Tools");
        ASSERT_EQ(Place(probe).Text.Width(), 30) << "the caption must measure 30 for these cases";
        ASSERT_EQ(Place(probe).Text.Height(), 13);
    }
    struct Case {
        const char* Name;
        TButtonLayout Layout;
        int Margin;
        TPoint Size;
        bool Glyph;
        const char* Caption;
        TPoint GlyphAt;
        TPoint TextAt;
    };
    const Case cases[] = {
        // A block 50 wide (16 + 4 + 30) centred in 80: it starts at 15, the caption at 35.
        { "centred left", blGlyphLeft, -1, { 80, 25 }, true, "Tools", { 15, 4 }, { 35, 5 } },
        { "prefix takes no room", blGlyphLeft, -1, { 80, 25 }, true, "&Tools", { 15, 4 }, { 35, 5 } },
        { "margin left", blGlyphLeft, 3, { 80, 25 }, true, "Tools", { 3, 4 }, { 23, 5 } },
        // Margin 0 puts the block's far edge on the client's edge.
        { "margin 0 right", blGlyphRight, 0, { 80, 25 }, true, "Tools", { 64, 4 }, { 30, 5 } },
        { "margin 0 bottom", blGlyphBottom, 0, { 80, 40 }, true, "Tools", { 32, 24 }, { 25, 7 } },
        { "margin top", blGlyphTop, 2, { 80, 40 }, true, "Tools", { 32, 2 }, { 25, 22 } },
        { "caption alone on top", blGlyphTop, -1, { 80, 25 }, false, "Tools", { 0, 0 }, { 25, 6 } },
        // 13 - 16 = -3, halved toward zero: -1, not -2.
        { "block larger than the client", blGlyphLeft, -1, { 13, 13 }, true, "", { -1, -1 }, { 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TProbeButton b(nullptr);
        b.SetBounds(0, 0, c.Size.X, c.Size.Y);
        b.SetLayout(c.Layout);
        b.SetMargin(c.Margin);
        b.SetCaption(c.Caption);
        if (c.Glyph)
            Solid16(b);
        TPlacement p = Place(b);
        if (c.Glyph) {
            EXPECT_EQ(p.Glyph, c.GlyphAt);
        }
        if (*c.Caption) {
            EXPECT_EQ(p.Text.TopLeft(), c.TextAt);
        }
    }
}

TEST_F(ShineDrawTest, CaptionWithALineBreakIsMeasuredAsTwoLines)
{
    TProbeButton b(nullptr);
    b.SetCaption("Tools");
    int oneLine = Place(b).Text.Height();
    b.SetCaption("Tools\r\nMore");
    EXPECT_EQ(Place(b).Text.Height(), 2 * oneLine);
}

TEST_F(ShineDrawTest, GradientStripEntriesStretchedOverTheFace)
{
    struct Case {
        const char* Name;
        bool Vertical;
        TPoint Size;
        // Pixels along the gradient and the entries they show.
        std::vector<std::pair<int, std::uint32_t>> Expected;
    };
    const std::uint32_t start = 0xC0C0C0, end = 0x0000FF, middle = Word(96, 96, 223);
    const Case cases[] = {
        { "vertical", true, { 3, 256 }, { { 0, start }, { 128, middle }, { 255, end } } },
        { "horizontal", false, { 256, 3 }, { { 0, start }, { 128, middle }, { 255, end } } },
        { "horizontal, twice as wide", false, { 512, 3 }, { { 0, start }, { 256, middle }, { 257, middle }, { 511, end } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TProbeButton b(nullptr);
        b.SetBounds(0, 0, c.Size.X, c.Size.Y);
        b.SetUpFrame(false);
        b.Colors().SetColor(0x00C0C0C0);
        b.Colors().SetGradColor(0x00FF0000);
        b.Colors().SetGradVertical(c.Vertical);
        b.Colors().SetGradation(true);
        auto painted = PaintButton(b);
        for (auto [at, word] : c.Expected)
            EXPECT_EQ(c.Vertical ? painted->Image().GetPixelWord(1, at) : painted->Image().GetPixelWord(at, 1), word) << "at " << at;
    }
}

TEST_F(ShineDrawTest, FramesPerTypeAndDirection)
{
    // Distinct colours for every part of both sets; f and F are the two faces.
    const std::map<char, std::uint32_t> legend {
        { 'f', ColorToPixelWord(clSilver) }, { 'h', ColorToPixelWord(clWhite) }, { 's', ColorToPixelWord(clGray) },
        { 'd', ColorToPixelWord(clBlack) }, { 'F', ColorToPixelWord(clMoneyGreen) }, { 'H', ColorToPixelWord(clYellow) },
        { 'S', ColorToPixelWord(clNavy) }, { 'D', ColorToPixelWord(clMaroon) },
    };
    struct Case {
        TFrameType Type;
        bool Down;
        std::vector<std::string> Expected;
    };
    // Lines stop before their end points, so some corners keep the face.
    const Case cases[] = {
        { ftFlatFrame, false, { "hhhhhf", "hffffs", "hffffs", "hffffs", "fsssss" } },
        { ftFlatFrame, true, { "SSSSSF", "SFFFFH", "SFFFFH", "SFFFFH", "FHHHHH" } },
        { ftNormalFrame, false, { "hhhhhf", "hfffsd", "hfffsd", "hssssd", "fddddd" } },
        { ftNormalFrame, true, { "DDDDDF", "DSSSSH", "DSFFFH", "DSFFFH", "FHHHHH" } },
        // The enclosing outline is the up set's dark shadow in both directions.
        { ftEnclosedFrame, false, { "dddddd", "dhhhfd", "dhffsd", "dfsssd", "dddddd" } },
        { ftEnclosedFrame, true, { "dddddd", "dSSSFd", "dSFFHd", "dFHHHd", "dddddd" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Type) + (c.Down ? " down" : " up"));
        auto* b = AddButton(Form, Bounds(100, 100, 6, 5));
        b->SetFrameType(c.Type);
        b->Colors().SetColor(clSilver);
        b->Colors().SetHighlight(clWhite);
        b->Colors().SetShadow(clGray);
        b->Colors().SetDarkShadow(clBlack);
        b->PressedColors().SetColor(clMoneyGreen);
        b->PressedColors().SetHighlight(clYellow);
        b->PressedColors().SetShadow(clNavy);
        b->PressedColors().SetDarkShadow(clMaroon);
        Enter(*b, c.Down ? stDown : stUp);
        EXPECT_EQ(Picture(*PaintButton(*b), legend), c.Expected);
        delete b;
    }
}

TEST_F(ShineDrawTest, EachStateDrawsItsFrameOnlyWhenItsSwitchIsOn)
{
    struct Case {
        TShineButtonState State;
        // The switch that decides: 0 ActiveFrame, 1 UpFrame, 2 DownFrame.
        int Switch;
    };
    const Case cases[] = { { stDownActive, 0 }, { stDown, 2 }, { stUpActive, 0 }, { stUp, 1 }, { stDisabled, 1 } };
    for (const Case& c : cases) {
        for (int off = 0; off < 3; ++off) {
            SCOPED_TRACE("state " + std::to_string(c.State) + ", switch off " + std::to_string(off));
            auto* b = AddButton(Form, Bounds(100, 100, 10, 10));
            b->SetFrameType(ftFlatFrame);
            b->SetActiveFrame(off != 0);
            b->SetUpFrame(off != 1);
            b->SetDownFrame(off != 2);
            Enter(*b, c.State);
            auto painted = PaintButton(*b);
            const TShineBtnColors& set = c.State == stDown || c.State == stDownActive ? b->PressedColors() : b->Colors();
            bool framed = painted->Image().GetPixelWord(0, 0) != ShineSpdBtn::ColorToPixel(set.Color());
            EXPECT_EQ(framed, off != c.Switch);
            delete b;
        }
    }
}

TEST_F(ShineDrawTest, DownLooksShiftGlyphButNotFrame)
{
    auto* b = AddButton(Form, Bounds(100, 100, 20, 20));
    b->SetGlyph(MakeGlyph({ "###", "###", ".##" }, GlyphLegend).get());
    b->SetFrameType(ftFlatFrame);
    b->Colors().SetColor(clWhite);
    b->PressedColors().SetColor(clWhite);
    b->PressedColors().SetShadow(clGray);
    const std::uint32_t red = 0xFF0000, white = 0xFFFFFF;
    auto up = PaintButton(*b);
    EXPECT_EQ(up->Image().GetPixelWord(8, 8), red); // (20 - 3) / 2
    EXPECT_EQ(up->Image().GetPixelWord(10, 8), red);
    EXPECT_EQ(up->Image().GetPixelWord(11, 8), white);
    EXPECT_EQ(up->Image().GetPixelWord(8, 10), white) << "the bottom-left pixel is the glyph's background";
    Enter(*b, stDown);
    auto down = PaintButton(*b);
    EXPECT_EQ(down->Image().GetPixelWord(8, 8), white);
    EXPECT_EQ(down->Image().GetPixelWord(9, 9), red);
    EXPECT_EQ(down->Image().GetPixelWord(11, 9), red);
    EXPECT_EQ(down->Image().GetPixelWord(0, 0), ColorToPixelWord(clGray)) << "the frame stays at the edge";
}

TEST_F(ShineDrawTest, CaptionCopiesInShadowAndHighlight)
{
    struct Case {
        TColor Shadow;
        TColor Highlight;
    };
    const Case cases[] = { { clRed, clNone }, { clNone, clLime }, { clNone, clNone }, { clRed, clLime } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Shadow) + " / " + std::to_string(c.Highlight));
        TProbeButton b(nullptr);
        b.SetBounds(0, 0, 80, 40);
        b.SetUpFrame(false);
        b.Colors().SetColor(clWhite);
        b.Font().SetColor(clBlack);
        b.Font().SetHeight(-24);
        b.Font().SetStyle({ fsBold });
        b.SetCaption("HIH");
        b.SetFontShadow(c.Shadow);
        b.SetFontHighlight(c.Highlight);
        auto painted = PaintButton(b);
        EXPECT_EQ(AnyLeaning(*painted, 0), c.Shadow != clNone);
        EXPECT_EQ(AnyLeaning(*painted, 1), c.Highlight != clNone);
    }
}

TEST_F(ShineDrawTest, DisabledCaptionIsHighlightUnderShadowWhateverTheCopies)
{
    auto* b = AddButton(Form, Bounds(100, 100, 80, 40));
    b->SetUpFrame(false);
    b->Colors().SetColor(clWhite);
    b->Font().SetHeight(-24);
    b->Font().SetStyle({ fsBold });
    b->SetCaption("HIH");
    b->SetFontShadow(clBlue);
    b->SetDisabledHighlight(clLime);
    b->SetDisabledShadow(clRed);
    Enter(*b, stDisabled);
    auto painted = PaintButton(*b);
    EXPECT_TRUE(AnyLeaning(*painted, 0));
    EXPECT_TRUE(AnyLeaning(*painted, 1));
    EXPECT_FALSE(AnyLeaning(*painted, 2));
}

TEST_F(ShineDrawTest, DisabledDefaultDrawsTheEdgeMaskTwice)
{
    auto* b = AddButton(Form, Bounds(100, 100, 25, 25));
    b->SetUpFrame(false);
    b->Colors().SetColor(clWhite);
    b->SetDisabledHighlight(clLime);
    b->SetDisabledShadow(clRed);
    b->SetGlyph(MakeGlyph({ ".....", "..##.", "..##.", "....." }, GlyphLegend).get());
    Enter(*b, stDisabled);
    auto painted = PaintButton(*b);
    const std::map<char, std::uint32_t> legend { { '.', 0xFFFFFF }, { 'h', 0x00FF00 }, { 's', 0xFF0000 } };
    // The glyph sits at (10, 10); highlight one pixel right and down, the shadow over it.
    TBitmap region;
    region.SetPixelFormat(pf32bit);
    region.SetSize(6, 5);
    region.Canvas().CopyRect({ 0, 0, 6, 5 }, painted->Canvas(), Bounds(10, 10, 6, 5));
    EXPECT_EQ(Picture(region, legend), (std::vector<std::string> { ".sss..", ".shsh.", ".sssh.", "..hhh.", "......" }));
}

TEST_F(ShineDrawTest, TransparentButtonLeavesWhatLiesBelow)
{
    TProbeButton b(nullptr);
    b.SetBounds(0, 0, 10, 10);
    b.SetFrameType(ftFlatFrame);
    b.Colors().SetHighlight(clWhite);
    b.SetTransparent(true);
    auto painted = PaintButton(b, clBlue);
    EXPECT_EQ(painted->Image().GetPixelWord(5, 5), ColorToPixelWord(clBlue));
    EXPECT_EQ(painted->Image().GetPixelWord(0, 0), ColorToPixelWord(clWhite));
}
