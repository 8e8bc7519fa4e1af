// The pictures derived from the Glyph: every active and disabled mode on worked values, the
// checkerboards, the light outlines, the edge mask, and the form the Glyph and the result are held in.

#include "ShineFixture.h"

namespace {

constexpr std::uint32_t Key = 0x808000; // olive as a pixel word
constexpr std::uint32_t G = 0x123456; // red 18, green 52, blue 86
constexpr std::uint32_t S = 0xFFFF00; // the default yellow shine
const std::map<char, std::uint32_t> Legend { { '.', Key }, { '#', G }, { 'o', S }, { 'r', 0xFF0000 } };
const std::map<char, std::uint32_t> MaskLegend { { '.', 0x000000 }, { 'w', 0xFFFFFF } };

class StateGlyphTest : public ShineTest {
protected:
    void SetUp() override
    {
        ShineTest::SetUp();
        Button = std::make_unique<TProbeButton>(nullptr);
    }
    void TearDown() override
    {
        Button.reset();
        ShineTest::TearDown();
    }
    void UseGlyph(const std::vector<std::string>& rows) { Button->SetGlyph(MakeGlyph(rows, Legend).get()); }
    void MakeActive()
    {
        Button->MouseEnter({}, 0, 0);
        ASSERT_EQ(Button->State(), stUpActive);
    }
    void MakeDisabled()
    {
        Button->SetEnabled(false);
        ASSERT_EQ(Button->State(), stDisabled);
    }
    std::vector<std::string> StatePicture(const std::map<char, std::uint32_t>& legend = Legend)
    {
        auto glyph = Button->CreateStateGlyph();
        EXPECT_NE(glyph, nullptr);
        return glyph ? Picture(*glyph, legend) : std::vector<std::string> {};
    }
    std::uint32_t StatePixel(int x, int y)
    {
        auto glyph = Button->CreateStateGlyph();
        return glyph ? glyph->Image().GetPixelWord(x, y) : 0xDEADBEEF;
    }

    std::unique_ptr<TProbeButton> Button;
};

} // namespace

TEST_F(StateGlyphTest, ColorToPixelMovesRedUpAndResolvesSystemColours)
{
    EXPECT_EQ(ShineSpdBtn::ColorToPixel(clYellow), 0xFFFF00u);
    EXPECT_EQ(ShineSpdBtn::ColorToPixel(RGB(0x12, 0x34, 0x56)), 0x123456u);
    SetSysColor(15, RGB(1, 2, 3));
    EXPECT_EQ(ShineSpdBtn::ColorToPixel(clBtnFace), 0x010203u);
}

TEST_F(StateGlyphTest, WorkedValuesOfTheColourModes)
{
    struct Case {
        const char* Name;
        bool Disabled;
        TActiveImageType Active;
        TDisabledImageType Off;
        std::uint32_t Expected;
    };
    const Case cases[] = {
        { "xor", false, aiXorLight, diDefault, Word(237, 203, 86) },
        { "half", false, aiHalfLight, diDefault, Word(136, 153, 43) },
        { "quarter", false, aiQuaterLight, diDefault, Word(195, 204, 21) },
        { "add", false, aiAddLight, diDefault, Word(255, 255, 86) },
        { "normal", false, aiNormal, diDefault, G },
        { "grayscale", true, aiFrameLight, diGrayscale, Word(52, 52, 52) },
        { "alpha half", true, aiFrameLight, diAlphaHalfTrans, Word(105, 122, 139) },
        { "alpha quarter", true, aiFrameLight, diAlphaQuaterTrans, Word(148, 157, 165) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Button = std::make_unique<TProbeButton>(nullptr);
        Button->Colors().SetColor(clSilver);
        Button->SetActiveImage(c.Active);
        Button->SetDisabledImage(c.Off);
        // The key colour also lies inside the picture (top right): background wherever it is.
        UseGlyph({ "#.", ".." });
        if (c.Disabled)
            MakeDisabled();
        else
            MakeActive();
        auto glyph = Button->CreateStateGlyph();
        ASSERT_NE(glyph, nullptr);
        EXPECT_EQ(glyph->Image().GetPixelWord(0, 0), c.Expected);
        for (TPoint p : { TPoint { 1, 0 }, TPoint { 0, 1 }, TPoint { 1, 1 } })
            EXPECT_EQ(glyph->Image().GetPixelWord(p.X, p.Y), Key);
    }
}

TEST_F(StateGlyphTest, UpAndDownLooksShowAnExactCopy)
{
    TForm* form = MakeForm(100, 100);
    auto* b = AddButton(form, Bounds(10, 10, 40, 40));
    b->SetActiveImage(aiXorLight);
    b->SetGlyph(MakeGlyph({ "#o", "r." }, Legend).get());
    const std::vector<std::string> original { "#o", "r." };
    EXPECT_EQ(Picture(*b->CreateStateGlyph(), Legend), original);
    b->SetGroupIndex(1);
    b->SetDown(true);
    ASSERT_EQ(b->State(), stDown);
    EXPECT_EQ(Picture(*b->CreateStateGlyph(), Legend), original);
}

TEST_F(StateGlyphTest, CheckerboardsLeaveTheTopLeftUnchosenForAnySize)
{
    for (TPoint size : { TPoint { 3, 4 }, TPoint { 4, 3 }, TPoint { 4, 4 }, TPoint { 3, 3 } }) {
        SCOPED_TRACE(std::to_string(size.X) + " x " + std::to_string(size.Y));
        // All glyph but the bottom-left pixel, which gives the background colour.
        std::vector<std::string> rows(static_cast<size_t>(size.Y), std::string(static_cast<size_t>(size.X), '#'));
        rows.back()[0] = '.';
        std::vector<std::string> light = rows, trans = rows;
        for (int y = 0; y < size.Y; ++y)
            for (int x = 0; x < size.X; ++x)
                if (rows[size_t(y)][size_t(x)] == '#' && (x + y) % 2 == 1) {
                    light[size_t(y)][size_t(x)] = 'o';
                    trans[size_t(y)][size_t(x)] = '.';
                }
        Button = std::make_unique<TProbeButton>(nullptr);
        Button->SetActiveImage(aiMaskLight);
        Button->SetDisabledImage(diMaskTrans);
        UseGlyph(rows);
        MakeActive();
        EXPECT_EQ(StatePicture(), light);
        MakeDisabled();
        EXPECT_EQ(StatePicture(), trans);
    }
}

TEST_F(StateGlyphTest, FrameLightsFollowTheShapeIntoHolesAndStopAtTheEdges)
{
    // A corner shape against the top and right edges, and a ring with a hole.
    const std::vector<std::string> glyph {
        ".....##",
        "......#",
        ".###...",
        ".#.#...",
        ".###...",
        ".......",
    };
    struct Case {
        TActiveImageType Mode;
        std::vector<std::string> Expected;
    };
    const Case cases[] = {
        { aiFrameLight,
            {
                "....o##",
                ".ooo.o#",
                "o###o.o",
                "o#o#o..",
                "o###o..",
                ".ooo...",
            } },
        { aiFrameLight2,
            {
                ".oooo##",
                "oooooo#",
                "o###ooo",
                "o#o#ooo",
                "o###oo.",
                "ooooo..",
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Mode);
        Button = std::make_unique<TProbeButton>(nullptr);
        Button->SetActiveImage(c.Mode);
        UseGlyph(glyph);
        MakeActive();
        EXPECT_EQ(StatePicture(), c.Expected);
    }
}

TEST_F(StateGlyphTest, ThickFrameLightAroundOnePixelPaintsTheTwelveAtDistanceOneAndTwo)
{
    Button->SetActiveImage(aiFrameLight2);
    UseGlyph({ ".....", ".....", "..#..", ".....", "....." });
    MakeActive();
    EXPECT_EQ(StatePicture(), (std::vector<std::string> { "..o..", ".ooo.", "oo#oo", ".ooo.", "..o.." }));
}

TEST_F(StateGlyphTest, OnePixelGlyphIsItsOwnBackgroundInEveryMode)
{
    UseGlyph({ "#" });
    for (int mode = aiNormal; mode <= aiMaskLight; ++mode) {
        Button->SetActiveImage(static_cast<TActiveImageType>(mode));
        Button->MouseEnter({}, 0, 0);
        EXPECT_EQ(StatePixel(0, 0), G) << "active mode " << mode;
    }
    Button->SetEnabled(false);
    for (int mode = diGrayscale; mode <= diMaskTrans; ++mode) {
        Button->SetDisabledImage(static_cast<TDisabledImageType>(mode));
        EXPECT_EQ(StatePixel(0, 0), G) << "disabled mode " << mode;
    }
    Button->SetDisabledImage(diDefault);
    auto mask = Button->CreateStateGlyph();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->PixelFormat(), pf1bit);
    EXPECT_EQ(mask->Image().GetPixelWord(0, 0), 0x000000u);
}

TEST_F(StateGlyphTest, EdgeMaskMarksEveryColourBoundaryAndLeavesTheLastRowAndColumnBlack)
{
    struct Case {
        const char* Name;
        std::vector<std::string> Glyph;
        std::vector<std::string> Mask;
    };
    const Case cases[] = {
        { "one colour block", { ".....", "..##.", "..##.", "....." }, { ".www.", ".w.w.", ".www.", "....." } },
        { "two glyph colours", { ".....", "..##.", "..#r.", "....." }, { ".www.", ".www.", ".www.", "....." } },
        { "single colour", { "...", "...", "..." }, { "...", "...", "..." } },
        { "one pixel wide", { "#", "r", "." }, { ".", ".", "." } },
        { "one pixel high", { "#r#." }, { "...." } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Button = std::make_unique<TProbeButton>(nullptr);
        UseGlyph(c.Glyph);
        MakeDisabled();
        auto mask = Button->CreateStateGlyph();
        ASSERT_NE(mask, nullptr);
        EXPECT_EQ(mask->PixelFormat(), pf1bit);
        EXPECT_TRUE(mask->Transparent());
        EXPECT_EQ(mask->TransparentColor() & 0xFFFFFF, clBlack);
        EXPECT_EQ(Picture(*mask, MaskLegend), c.Mask);
    }
}

TEST_F(StateGlyphTest, StateGlyphIsANativeTransparentCopyKeyedOnItsBottomLeft)
{
    UseGlyph({ "#r", ".#" });
    auto glyph = Button->CreateStateGlyph();
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->PixelFormat(), pfDevice);
    EXPECT_TRUE(glyph->Transparent());
    EXPECT_EQ(glyph->TransparentColor() & 0xFFFFFF, PixelWordToColor(Key));
    // Writing to the copy leaves the Glyph alone.
    glyph->Image().SetPixelWord(0, 0, 0);
    EXPECT_EQ(Button->Glyph().Image().GetPixelWord(0, 0), G);
}

TEST_F(StateGlyphTest, ProcessedPixelThatBecomesTheKeyIsDrawnAsBackground)
{
    Button->SetActiveImage(aiXorLight);
    const std::map<char, std::uint32_t> legend { { '.', Key }, { 'x', Key ^ S }, { '#', G } };
    Button->SetGlyph(MakeGlyph({ "x#", ".." }, legend).get());
    MakeActive();
    auto glyph = Button->CreateStateGlyph();
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(2, 2);
    target.Canvas().Brush().SetColor(clBlue);
    target.Canvas().FillRect({ 0, 0, 2, 2 });
    target.Canvas().Draw(0, 0, *glyph);
    EXPECT_EQ(target.Image().GetPixelWord(0, 0), ColorToPixelWord(clBlue));
    EXPECT_EQ(target.Image().GetPixelWord(1, 0), G ^ S);
    EXPECT_EQ(target.Image().GetPixelWord(0, 1), ColorToPixelWord(clBlue));
}

TEST_F(StateGlyphTest, AlphaModesUseTheFaceColourAsItStandsNow)
{
    Button->SetDisabledImage(diAlphaHalfTrans);
    UseGlyph({ "#.", ".." });
    MakeDisabled();
    SetSysColor(15, RGB(192, 192, 192));
    EXPECT_EQ(StatePixel(0, 0), Word(105, 122, 139));
    SetSysColor(15, RGB(0, 0, 0));
    EXPECT_EQ(StatePixel(0, 0), Word(9, 26, 43));
}

TEST_F(StateGlyphTest, GlyphIsHeldAtThirtyTwoBitsAfterEveryChange)
{
    auto source = MakeGlyph({ "#r", ".#" }, Legend);
    source->SetPixelFormat(pf24bit);
    Button->SetGlyph(source.get());
    EXPECT_EQ(Button->Glyph().PixelFormat(), pf32bit);
    EXPECT_EQ(Button->Glyph().Image().GetPixelWord(1, 0), 0xFF0000u);

    source->SetPixelFormat(pf8bit);
    Button->SetGlyph(source.get());
    EXPECT_EQ(Button->Glyph().PixelFormat(), pf32bit);

    // A change made on the Glyph itself is caught by its notification.
    Button->Glyph().SetPixelFormat(pf4bit);
    EXPECT_EQ(Button->Glyph().PixelFormat(), pf32bit);
    Button->Glyph().SetHandleType(bmDDB);
    EXPECT_EQ(Button->Glyph().PixelFormat(), pf32bit);

    Button->SetGlyph(nullptr);
    EXPECT_TRUE(Button->Glyph().Empty());
    EXPECT_EQ(Button->CreateStateGlyph(), nullptr);
}
