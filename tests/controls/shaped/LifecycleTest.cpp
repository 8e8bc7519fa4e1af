// Construction defaults, the picture and key colour, batching, automatic size, the designer,
// registration and reading from a form description.

#include "ClearFixture.h"

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/DescriptionReader.h"
#include "platform/streaming/DescriptionWriter.h"
#include "platform/streaming/PropertyTable.h"

#include <stdexcept>

using namespace ClearTesting;

TEST_F(ClearTest, ConstructionDefaults)
{
    TForm* form = MakeForm(100, 100);
    auto* panel = new TClearPanel(form);
    EXPECT_EQ(panel->Width(), 260);
    EXPECT_EQ(panel->Height(), 48);
    EXPECT_EQ(panel->TransparentColor(), Magenta);
    EXPECT_EQ(panel->BorderStyle(), bsNone);
    EXPECT_EQ(panel->Style(), sbsImage);
    EXPECT_EQ(panel->Options(), (TTransImgOptions { sioHotTrackImage }));
    EXPECT_TRUE(panel->ParentFont());
    EXPECT_TRUE(panel->ControlStyle().Contains(csAcceptsControls));
    panel->SetBounds(0, 0, 1000, 900);
    EXPECT_EQ(panel->Width(), 1000) << "a panel has no size limit";

    auto* button = new TClearButton(form);
    EXPECT_EQ(button->BorderStyle(), bsSingle);
    EXPECT_EQ(button->Style(), sbsPushBtn);
    EXPECT_EQ(button->Options(), (TTransImgOptions { sioDisableImage, sioHotTrackImage, sioTransAtDesigning, sioBorderAndShadow }));
    EXPECT_FALSE(button->ParentFont());
    EXPECT_EQ(button->Font().Size(), 20);
    EXPECT_EQ(button->Font().Color(), clGreen);
    EXPECT_EQ(button->Font().Style(), (TFontStyles { fsBold }));
    EXPECT_EQ(button->Color(), clBtnFace);
    EXPECT_TRUE(button->BtnImage()->Empty()) << "nothing is built before the window exists";
    button->SetBounds(0, 0, 1000, 1000);
    EXPECT_EQ(button->Width(), 320);
    EXPECT_EQ(button->Height(), 320);
}

TEST_F(ClearTest, PictureDecidesTheKeyColour)
{
    TForm* form = MakeForm(100, 100);
    auto* panel = new TClearPanel(form);
    panel->SetParent(form);

    // A bitmap's key is its bottom-left pixel unless it has a fixed one.
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    bitmap.Canvas().Brush().SetColor(clLime);
    bitmap.Canvas().FillRect({ 0, 0, 4, 4 });
    bitmap.Canvas().SetPixels(0, 3, clNavy);
    TPicture picture;
    picture.SetGraphic(&bitmap);
    panel->SetPicture(&picture);
    EXPECT_EQ(panel->TransparentColor(), clNavy);
    auto* held = dynamic_cast<TBitmap*>(panel->Picture().Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->PixelFormat(), pf24bit);
    EXPECT_TRUE(held->Transparent());

    // The key colour given to the control goes to the bitmap too.
    panel->SetTransColor(clLime);
    EXPECT_EQ(held->TransparentColor() & 0xFFFFFF, clLime);
    EXPECT_EQ(panel->TransparentColor(), clLime);

    // Clearing the picture brings magenta back.
    panel->SetPicture(nullptr);
    EXPECT_EQ(panel->TransparentColor(), Magenta);
    // Without a bitmap a system colour is kept as given (and then matches no pixel).
    panel->SetTransColor(clBtnFace);
    EXPECT_EQ(panel->TransparentColor(), clBtnFace);
}

TEST_F(ClearTest, UpdateBatchesRebuildOnceWhenTheLastOneCloses)
{
    TForm* form = MakeForm(100, 100);
    auto* button = new TClearButton(form);
    button->SetName("Button");
    button->SetParent(form);
    form->Show();
    Pump();
    const int start = RegionCount("Button");
    button->BeginUpdate();
    button->BeginUpdate();
    button->SetCaptionLeft(1);
    button->SetCaptionTop(1);
    button->EndUpdate();
    EXPECT_EQ(RegionCount("Button"), start);
    button->EndUpdate();
    EXPECT_EQ(RegionCount("Button"), start + 1);
    // An unmatched EndUpdate rebuilds at once and leaves no debt behind.
    button->EndUpdate();
    EXPECT_EQ(RegionCount("Button"), start + 2);
    button->BeginUpdate();
    button->SetCaptionLeft(2);
    EXPECT_EQ(RegionCount("Button"), start + 2);
    button->EndUpdate();
    EXPECT_EQ(RegionCount("Button"), start + 3);
    // A value already held triggers nothing.
    button->SetCaptionLeft(2);
    EXPECT_EQ(RegionCount("Button"), start + 3);
}

namespace {

// A panel whose sizing fails, to see how the failure reaches the caller.
class TFailingPanel : public TClearPanel {
public:
    using TClearPanel::TClearPanel;
    std::function<void()> Fail;

protected:
    void DoAutoSizeArrange(int w, int h) override
    {
        if (Fail)
            Fail();
        TClearPanel::DoAutoSizeArrange(w, h);
    }
};

} // namespace

TEST_F(ClearTest, AutoSizeSums)
{
    TForm* form = MakeForm(900, 900);
    TRect text { 0, 0, 0, 0 };
    auto* button = new TClearButton(form);
    button->SetParent(form);
    TDeviceContext measuring;
    DrawTextDC(measuring, button->Font().Spec(), clBlack, "OK", text, DT_CALCRECT);
    ASSERT_LT(text.Right, 100);
    ASSERT_LT(text.Bottom, 40);

    button->SetAutoSize(false);
    EXPECT_EQ(button->Width(), 260) << "nothing happens without automatic size";
    button->SetAutoSize(true);
    EXPECT_EQ(button->BoundsRect(), (TRect { 0, 0, 24, 16 })) << "16 x 8 plus a border of 4 + 4 x 1";
    button->SetPicture(BlockPicture(100, 40, { 0, 0, 1, 1 }, clRed).get());
    button->SetCaption("OK");
    EXPECT_EQ(button->BoundsRect(), (TRect { 0, 0, 108, 48 }));
    button->SetPicture(BlockPicture(4, 4, { 0, 0, 1, 1 }, clRed).get());
    EXPECT_EQ(button->BoundsRect(), (TRect { 0, 0, text.Right + 8, text.Bottom + 8 })) << "never below the caption";
    button->SetPicture(BlockPicture(400, 30, { 0, 0, 1, 1 }, clRed).get());
    EXPECT_EQ(button->BoundsRect(), (TRect { 0, 0, 320, 38 })) << "a button never exceeds 320";

    auto* panel = new TClearPanel(form);
    panel->SetParent(form);
    panel->SetPicture(BlockPicture(600, 600, { 0, 0, 1, 1 }, clRed).get());
    EXPECT_EQ(panel->BoundsRect(), (TRect { 0, 0, 604, 604 }));
    // A child beyond that edge is taken in only when the sum changes.
    auto* child = new TImage(form);
    child->SetBounds(650, 10, 50, 640);
    child->SetParent(panel);
    panel->SetAutoSize(false);
    panel->SetAutoSize(true);
    EXPECT_EQ(panel->BoundsRect(), (TRect { 0, 0, 604, 604 }));
    panel->SetPicture(BlockPicture(610, 600, { 0, 0, 1, 1 }, clRed).get());
    EXPECT_EQ(panel->BoundsRect(), (TRect { 0, 0, 700, 650 })) << "never smaller than what it holds";

    auto* orphan = new TClearButton(form);
    orphan->SetCaption("no parent, no sizing");
    EXPECT_EQ(orphan->Width(), 260);
}

TEST_F(ClearTest, AutoSizeFailuresSayWhereAndKeepThePictureWorking)
{
    TForm* form = MakeForm(100, 100);
    auto* panel = new TFailingPanel(form);
    panel->SetParent(form);
    panel->HandleNeeded();
    panel->Fail = [] { throw Exception("boom"); };
    try {
        panel->SetPicture(BlockPicture(10, 10, { 0, 0, 10, 10 }, clRed).get());
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "boom at AutoSizeArrange");
    }
    // Other exceptions pass unchanged.
    panel->Fail = [] { throw std::runtime_error("plain"); };
    EXPECT_THROW(panel->SetCaption("x"), std::runtime_error);

    // The batch was closed and the change event bound again: a picture change still rebuilds.
    panel->Fail = nullptr;
    panel->SetAutoSize(false);
    panel->SetBounds(0, 0, 30, 30);
    panel->Picture().Bitmap().Canvas().Brush().SetColor(clBlue);
    panel->Picture().Bitmap().Canvas().FillRect({ 0, 0, 10, 10 });
    EXPECT_EQ(PixelOf(*panel->BtnImage(), 15, 15), clBlue);
}

TEST_F(ClearTest, DesignerShowsTheNormalImageAndIgnoresThePointer)
{
    TForm* form = MakeForm(200, 100);
    auto* button = new TClearButton(form);
    button->SetParent(form);
    button->SetLeft(10);
    button->SetTop(10);
    button->SetPicture(BlockPicture(20, 12, { 0, 0, 20, 12 }, clRed).get());
    bool pressed = false;
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { pressed = true; };
    button->SetDesigning(true);
    form->Show();
    Pump();
    const TPoint p = button->ClientToScreen({ 10, 10 });
    TestInput::MoveTo(p);
    EXPECT_EQ(ScreenPixel(p), ColorToPixelWord(clRed)) << "no hot image in the designer";
    TestInput::Press(mbLeft, p);
    EXPECT_FALSE(pressed);
    EXPECT_EQ(ScreenPixel(button->ClientToScreen({ 3, 3 })), ColorToPixelWord(ColorToRGB(clBtnFace)));
    TestInput::Release(mbLeft, p);
    // The grey image wins even here.
    button->SetEnabled(false);
    Pump();
    EXPECT_EQ(ScreenPixel(p), ColorToPixelWord(GrayColor(clRed)));
}

TEST_F(ClearTest, RegisterFillsTheRegistryAndPublishesEachClassItsOwnProperties)
{
    EXPECT_EQ(FindClass("TClearButton"), &TClearButton::StaticClassInfo());
    EXPECT_EQ(FindClass("TClearPanel"), &TClearPanel::StaticClassInfo());

    const TPropertyTable& panel = PublishedProperties(TClearPanel::StaticClassInfo());
    const TPropertyTable& button = PublishedProperties(TClearButton::StaticClassInfo());
    const TPropertyTable& base = PublishedProperties(TClearControl::StaticClassInfo());
    struct TCase {
        const char* name;
        bool onPanel, onButton;
    };
    const TCase cases[] = { { "Align", true, false }, { "Anchors", false, true }, { "BorderStyle", false, true },
        { "ChildGraphicsTrans", true, false }, { "Color", false, true }, { "FormTrans", true, false },
        { "LightColor", false, true }, { "ParentDrag", true, false }, { "ShadowColor", false, true }, { "Style", false, true },
        { "Options", false, false }, { "TransparentColor", true, true }, { "OnMouseEnter", true, true }, { "Picture", true, true } };
    for (const TCase& c : cases) {
        EXPECT_EQ(panel.Find(c.name) != nullptr, c.onPanel) << c.name;
        EXPECT_EQ(button.Find(c.name) != nullptr, c.onButton) << c.name;
    }
    EXPECT_EQ(base.Find("ChildGraphicsTrans"), nullptr);

    // Declared defaults; none means the value is always stored.
    EXPECT_FALSE(panel.Find("ChildGraphicsTrans")->HasDefault());
    EXPECT_FALSE(panel.Find("FormTrans")->HasDefault());
    EXPECT_FALSE(button.Find("Style")->HasDefault());
    EXPECT_EQ(button.Find("Color")->OrdinalDefault, static_cast<long long>(clBtnFace));
    EXPECT_EQ(panel.Find("HotLightDepth")->OrdinalDefault, 128);
    EXPECT_EQ(panel.Find("TransparentColor")->OrdinalDefault, 0x00FF00FF);
    for (const TPropertyTable* t : { &base, &panel, &button }) {
        EXPECT_EQ(t->Find("Width")->OrdinalDefault, 260);
        EXPECT_EQ(t->Find("Height")->OrdinalDefault, 48);
        EXPECT_EQ(t->Find("ParentColor")->OrdinalDefault, 0);
        EXPECT_EQ(t->Find("ParentFont")->OrdinalDefault, 0);
        EXPECT_EQ(t->Find("Cursor")->OrdinalDefault, crDefault);
        EXPECT_EQ(t->Find("Visible")->OrdinalDefault, 1);
    }
}

TEST_F(ClearTest, APanelReadFromADescription)
{
    TForm* form = MakeForm(600, 600);
    form->SetName("Form1");
    ReadRootComponent(form, R"(object Form1: TForm
  object ClearPanel1: TClearPanel
    Left = 0
    Top = 0
    Width = 600
    Height = 600
    Align = alClient
    AutoSize = False
    CaptionLeft = 0
    CaptionTop = 0
    ChildGraphicsTrans = True
    FormTrans = False
    HotTrack = False
    HotLightDepth = 0
    ParentDrag = False
    ShowHint = False
    ParentShowHint = False
    ParentFont = True
    object Image3: TImage
      Left = 0
      Top = 0
      Width = 600
      Height = 600
      Align = alClient
      Stretch = True
    end
  end
end
)");
    auto* panel = dynamic_cast<TClearPanel*>(form->FindComponent("ClearPanel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_FALSE(panel->AutoSize());
    EXPECT_FALSE(panel->HotTrack());
    EXPECT_EQ(panel->HotLightDepth(), 0);
    EXPECT_TRUE(panel->ChildGraphicsTrans());
    EXPECT_FALSE(panel->FormTrans());
    EXPECT_EQ(panel->CaptionLeft(), 0);
    EXPECT_EQ(panel->Caption(), "");
    EXPECT_EQ(panel->Style(), sbsImage);
    EXPECT_EQ(panel->Width(), 600);
    EXPECT_EQ(panel->ControlCount(), 1);

    // Written back, the values without a declared default are there even when false.
    const std::string written = WriteRootComponent(form);
    EXPECT_NE(written.find("FormTrans = False"), std::string::npos) << written;
    EXPECT_NE(written.find("ParentDrag = False"), std::string::npos) << written;
    EXPECT_NE(written.find("HotLightDepth = 0"), std::string::npos) << written;
    EXPECT_EQ(written.find(" Style = "), std::string::npos) << written;
}
