// The button's data model: construction, the setters' repaint rules, the colour sets' copying and
// errors, and reading and writing through a form description.

#include "ShineFixture.h"

#include "platform/base/Exception.h"
#include "platform/streaming/DescriptionReader.h"
#include "platform/streaming/DescriptionWriter.h"

#include <functional>

namespace {

// A colour set class that knows no other set, so that copying into it goes the reverse way.
class TOtherColors : public TShineBtnColors {
public:
    void Assign(const TPersistent* Source) override { TPersistent::Assign(Source); }
};

class ShineButtonTest : public ShineTest {
protected:
    void SetUp() override
    {
        ShineTest::SetUp();
        Form = MakeForm(200, 100);
        // Away from the top-left corner, where a group announcement briefly places its proxy.
        Button = AddButton(Form, Bounds(60, 30, 50, 30));
        Form->Show();
        Pump();
        Button->Paints = 0;
    }
    // Paints caused by what was done since the last call.
    int PaintsSince()
    {
        Pump();
        int n = Button->Paints;
        Button->Paints = 0;
        return n;
    }

    TForm* Form = nullptr;
    TProbeButton* Button = nullptr;
};

} // namespace

TEST_F(ShineButtonTest, ConstructionDefaults)
{
    TShineSpeedButton b(nullptr);
    EXPECT_EQ(b.Width(), 25);
    EXPECT_EQ(b.Height(), 25);
    EXPECT_EQ(b.Caption(), "");
    EXPECT_EQ(b.ControlStyle(), (TControlStyle { csCaptureMouse, csOpaque, csDoubleClicks }));
    EXPECT_EQ(b.State(), stUp);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.GroupIndex(), 0);
    EXPECT_EQ(b.FrameType(), ftNormalFrame);
    EXPECT_EQ(b.Layout(), blGlyphLeft);
    EXPECT_EQ(b.Margin(), -1);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.ActiveImage(), aiFrameLight);
    EXPECT_EQ(b.DisabledImage(), diDefault);
    EXPECT_EQ(b.DisabledHighlight(), clBtnHighlight);
    EXPECT_EQ(b.DisabledShadow(), clBtnShadow);
    EXPECT_EQ(b.ShineColor(), clYellow);
    EXPECT_EQ(b.FontHighlight(), clNone);
    EXPECT_EQ(b.FontShadow(), clNone);
    EXPECT_TRUE(b.ActiveFrame() && b.UpFrame() && b.DownFrame());
    EXPECT_EQ(b.Font().Color(), clBtnText);
    EXPECT_EQ(b.ActiveFont().Color(), clHighlight);
    EXPECT_EQ(b.Colors().Color(), clBtnFace);
    EXPECT_EQ(b.PressedColors().Color(), clBtnHighlight);
    for (TShineBtnColors* set : { &b.Colors(), &b.PressedColors() }) {
        EXPECT_EQ(set->Highlight(), clBtnHighlight);
        EXPECT_EQ(set->Shadow(), clBtnShadow);
        EXPECT_EQ(set->DarkShadow(), clWindowFrame);
        EXPECT_EQ(set->GradColor(), clBlue);
        EXPECT_FALSE(set->Gradation() || set->GradVertical());
    }
    EXPECT_TRUE(b.Glyph().Empty());
    EXPECT_EQ(b.Glyph().PixelFormat(), pf32bit);
    EXPECT_EQ(b.Glyph().TransparentColor() & 0xFFFFFF, clOlive);
}

TEST_F(ShineButtonTest, TransparentTogglesOnlyTheOpaqueFlag)
{
    TControlStyle before = Button->ControlStyle();
    Button->SetTransparent(true);
    EXPECT_EQ(Button->ControlStyle(), before - TControlStyle { csOpaque });
    Button->SetTransparent(false);
    EXPECT_EQ(Button->ControlStyle(), before);
}

TEST_F(ShineButtonTest, SettersRepaintWhenTheValueChangesOnly)
{
    struct Case {
        const char* Name;
        std::function<void(TShineSpeedButton&)> Set;
    };
    TFont blue;
    blue.SetColor(clBlue);
    // Each is applied twice: the first time changes the value, the second sets it again.
    const Case cases[] = {
        { "ClickDownHook", [](auto& b) { b.SetClickDownHook(true); } },
        { "AccelCharDown", [](auto& b) { b.SetAccelCharDown(true); } },
        { "FrameType", [](auto& b) { b.SetFrameType(ftEnclosedFrame); } },
        { "Transparent", [](auto& b) { b.SetTransparent(true); } },
        { "ActiveFrame", [](auto& b) { b.SetActiveFrame(false); } },
        { "UpFrame", [](auto& b) { b.SetUpFrame(false); } },
        { "DownFrame", [](auto& b) { b.SetDownFrame(false); } },
        { "ActiveImage", [](auto& b) { b.SetActiveImage(aiMaskLight); } },
        { "DisabledImage", [](auto& b) { b.SetDisabledImage(diGrayscale); } },
        { "DisabledHighlight", [](auto& b) { b.SetDisabledHighlight(clRed); } },
        { "DisabledShadow", [](auto& b) { b.SetDisabledShadow(clRed); } },
        { "ShineColor", [](auto& b) { b.SetShineColor(clRed); } },
        { "Layout", [](auto& b) { b.SetLayout(blGlyphBottom); } },
        { "Margin", [](auto& b) { b.SetMargin(3); } },
        { "Spacing", [](auto& b) { b.SetSpacing(0); } },
        { "Colors.Shadow", [](auto& b) { b.Colors().SetShadow(clRed); } },
        { "PressedColors.Gradation", [](auto& b) { b.PressedColors().SetGradation(true); } },
        { "Font.Color", [](auto& b) { b.Font().SetColor(clRed); } },
        { "ActiveFont.Height", [](auto& b) { b.ActiveFont().SetHeight(-20); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Set(*Button);
        EXPECT_EQ(PaintsSince(), 1);
        c.Set(*Button);
        EXPECT_EQ(PaintsSince(), 0);
    }

    // These store and repaint without comparing.
    for (int i = 0; i < 2; ++i) {
        Button->SetFontHighlight(clRed);
        EXPECT_EQ(PaintsSince(), 1);
        Button->SetFontShadow(clRed);
        EXPECT_EQ(PaintsSince(), 1);
        Button->SetFont(&blue);
        EXPECT_EQ(PaintsSince(), 1);
    }
    EXPECT_EQ(Button->Font().Color(), clBlue);
    Button->SetFont(nullptr);
    Button->SetActiveFont(nullptr);
    EXPECT_EQ(PaintsSince(), 0);
    EXPECT_EQ(Button->Font().Color(), clBlue);

    // Grouping changes announce but do not repaint the button.
    Button->SetGroupIndex(3);
    Button->SetAllowAllUp(true);
    EXPECT_EQ(PaintsSince(), 0);
}

TEST_F(ShineButtonTest, AssigningColorsCopiesAllSevenValuesOnce)
{
    auto* other = AddButton(Form, Bounds(120, 30, 50, 30));
    TShineBtnColors& source = other->Colors();
    source.SetColor(clRed);
    source.SetHighlight(clLime);
    source.SetShadow(clNavy);
    source.SetDarkShadow(clMaroon);
    source.SetGradColor(clTeal);
    source.SetGradVertical(true);
    source.SetGradation(true);
    PaintsSince();

    Button->SetColors(&source);
    const TShineBtnColors& c = Button->Colors();
    EXPECT_EQ(c.Color(), clRed);
    EXPECT_EQ(c.Highlight(), clLime);
    EXPECT_EQ(c.Shadow(), clNavy);
    EXPECT_EQ(c.DarkShadow(), clMaroon);
    EXPECT_EQ(c.GradColor(), clTeal);
    EXPECT_TRUE(c.GradVertical());
    EXPECT_TRUE(c.Gradation());
    EXPECT_EQ(PaintsSince(), 1);

    // A copy, not a link: the other set's later changes stay there.
    source.SetColor(clYellow);
    EXPECT_EQ(c.Color(), clRed);
    EXPECT_EQ(PaintsSince(), 0);
}

TEST_F(ShineButtonTest, ReverseAssignmentCopiesIntoASetThatDefers)
{
    TShineBtnColors source;
    source.SetShadow(clRed);
    source.SetGradation(true);
    TOtherColors dest;
    std::vector<TObject*> senders;
    dest.OnChange = [&](TObject* s) { senders.push_back(s); };
    dest.Assign(&source);
    EXPECT_EQ(dest.Shadow(), clRed);
    EXPECT_TRUE(dest.Gradation());
    EXPECT_EQ(senders, (std::vector<TObject*> { &dest }));
}

TEST_F(ShineButtonTest, AssignmentsWithOtherClassesFailAndChangeNothing)
{
    Button->Colors().SetShadow(clRed);
    PaintsSince();
    EXPECT_THROW(Button->SetColors(nullptr), EConvertError);
    TFont font;
    font.SetColor(clLime);
    EXPECT_THROW(Button->Colors().Assign(&font), EConvertError);
    EXPECT_EQ(Button->Colors().Shadow(), clRed);
    EXPECT_EQ(PaintsSince(), 0);
    // The other way: a font cannot take a colour set.
    EXPECT_THROW(font.Assign(&Button->Colors()), EConvertError);
    EXPECT_EQ(font.Color(), clLime);
}

TEST_F(ShineButtonTest, DescriptionLoadsThroughTheSettersInStreamOrder)
{
    ShineSpdBtn::Register();
    const char* text = R"(object Form: TForm
  object Stored: TShineSpeedButton
    Left = 8
    Top = 8
    GroupIndex = 1
    Down = True
    Colors.Shadow = clRed
    Enabled = False
  end
  object Second: TShineSpeedButton
    Left = 40
    Top = 8
    Width = 60
    GroupIndex = 2
    Down = True
    AllowAllUp = True
    FrameType = ftEnclosedFrame
    Layout = blGlyphTop
    Caption = 'Two'
  end
end
)";
    TForm* form = new TForm(Application);
    ReadRootComponent(form, text);
    auto* stored = dynamic_cast<TShineSpeedButton*>(form->FindComponent("Stored"));
    auto* second = dynamic_cast<TShineSpeedButton*>(form->FindComponent("Second"));
    ASSERT_NE(stored, nullptr);
    ASSERT_NE(second, nullptr);
    // Enabled comes after Down, and disabling releases: stored down and disabled loads up.
    EXPECT_FALSE(stored->Down());
    EXPECT_EQ(stored->State(), stDisabled);
    EXPECT_EQ(stored->Colors().Shadow(), clRed);
    EXPECT_EQ(stored->Colors().Color(), clBtnFace);
    EXPECT_EQ(stored->Width(), 25);
    EXPECT_TRUE(second->Down());
    EXPECT_TRUE(second->AllowAllUp());
    EXPECT_EQ(second->FrameType(), ftEnclosedFrame);
    EXPECT_EQ(second->Layout(), blGlyphTop);
    EXPECT_EQ(second->Width(), 60);

    std::string written = WriteRootComponent(form);
    auto at = [&](const std::string& s, size_t from = 0) { return written.find(s, from); };
    size_t block = at("object Second");
    ASSERT_NE(block, std::string::npos) << written;
    EXPECT_LT(at("GroupIndex = 2", block), at("Down = True", block)) << written;
    EXPECT_LT(at("Down = True", block), at("AllowAllUp = True", block)) << written;
    EXPECT_LT(at("AllowAllUp = True", block), at("Caption = 'Two'", block)) << written;
    EXPECT_LT(at("Colors.Shadow = clRed"), at("Enabled = False")) << written;
    // The face colour has no default, so a stored set always names it.
    EXPECT_NE(at("Colors.Color = clBtnFace"), std::string::npos) << written;
    EXPECT_EQ(at("Spacing"), std::string::npos) << "defaults are left out";

    TForm* again = new TForm(Application);
    ReadRootComponent(again, written);
    EXPECT_EQ(WriteRootComponent(again), written);
}

TEST_F(ShineButtonTest, DestroyingAnActiveButtonStopsItsTimer)
{
    TestInput::MoveTo(At(Button));
    ASSERT_EQ(Button->State(), stUpActive);
    EXPECT_TRUE(AnyTimerRunning());
    delete Button;
    EXPECT_FALSE(AnyTimerRunning());
    Driver->AdvanceTo(GetTickCount() + 1000);
    Pump();
}
