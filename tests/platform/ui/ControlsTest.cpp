#include "UiFixture.h"

#include "platform/display/headless/HeadlessInput.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/WindowSystem.h"

#include <string>

namespace {

// A graphic control that fills more than its rectangle with its colour and logs what happens.
class TProbe : public TGraphicControl {
public:
    TProbe(TComponent* owner, TColor color, std::vector<std::string>* log = nullptr)
        : TGraphicControl(owner)
        , FFill(color)
        , FLog(log)
    {
    }
    void Dispatch(TMessage& m) override
    {
        if (FLog && m.Msg == CM_MOUSEENTER)
            FLog->push_back(Name() + " enter");
        if (FLog && m.Msg == CM_MOUSELEAVE)
            FLog->push_back(Name() + " leave");
        TGraphicControl::Dispatch(m);
    }

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(FFill);
        Canvas().FillRect({ -20, -20, Width() + 20, Height() + 20 });
    }
    void Click() override
    {
        Log("click");
        TGraphicControl::Click();
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        Log("down " + std::to_string(x) + "," + std::to_string(y));
        TGraphicControl::MouseDown(b, s, x, y);
    }
    void MouseMove(TShiftState s, int x, int y) override
    {
        Log("move " + std::to_string(x) + "," + std::to_string(y));
        TGraphicControl::MouseMove(s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        Log("up " + std::to_string(x) + "," + std::to_string(y));
        TGraphicControl::MouseUp(b, s, x, y);
    }

private:
    void Log(const std::string& s)
    {
        if (FLog)
            FLog->push_back(Name() + " " + s);
    }
    TColor FFill;
    std::vector<std::string>* FLog;
};

// A windowed control painting its colour.
class TBox : public TCustomControl {
public:
    TBox(TComponent* owner, TColor color)
        : TCustomControl(owner)
    {
        SetColor(color);
    }
};

TForm* MakeForm(int clientWidth, int clientHeight)
{
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetName("Form");
    form->SetBorderStyle(bsToolWindow);
    form->SetBounds(100, 50, 10, 10);
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(clientHeight);
    form->SetColor(clWhite);
    return form;
}

std::uint32_t ScreenPixel(int x, int y)
{
    return ComposeScreen().GetPixelWord(x, y);
}

} // namespace

TEST_F(UiTest, ToolWindowFrameAndClientSize)
{
    TForm* form = MakeForm(600, 600);
    EXPECT_EQ(form->Width(), 606);
    EXPECT_EQ(form->Height(), 625);
    EXPECT_EQ(form->ClientWidth(), 600);
    form->SetClientWidth(5);
    form->SetClientHeight(1);
    // A captioned window cannot be smaller than its minimum outer size.
    EXPECT_EQ(form->Width(), 112);
    EXPECT_EQ(form->Height(), 27);
}

TEST_F(UiTest, AlignmentIsDoneBeforeTheSizeNotification)
{
    TForm* form = MakeForm(400, 300);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetAlign(alClient);
    auto* image = new TImage(form);
    image->SetParent(panel);
    image->SetAlign(alClient);
    int imageWidthSeen = -1;
    panel->OnResize = [&](TObject*) { imageWidthSeen = image->Width(); };
    form->SetClientWidth(250);
    // When the setter returns the whole chain has run: panel aligned, image aligned, notified.
    EXPECT_EQ(panel->Width(), 250);
    EXPECT_EQ(image->Width(), 250);
    EXPECT_EQ(imageWidthSeen, 250);
}

TEST_F(UiTest, GraphicChildrenPaintInOrderClippedToThemselves)
{
    TForm* form = MakeForm(100, 100);
    auto* a = new TProbe(form, clRed);
    a->SetBounds(10, 10, 30, 30);
    a->SetParent(form);
    auto* b = new TProbe(form, clBlue);
    b->SetBounds(30, 30, 30, 30);
    b->SetParent(form);
    form->Show();
    form->Update();
    TPoint o = form->ClientOrigin();
    EXPECT_EQ(ScreenPixel(o.X + 15, o.Y + 15), ColorToPixelWord(clRed));
    EXPECT_EQ(ScreenPixel(o.X + 35, o.Y + 35), ColorToPixelWord(clBlue)); // the later child lies above
    EXPECT_EQ(ScreenPixel(o.X + 5, o.Y + 5), ColorToPixelWord(clWhite)); // painting stays inside each child
    EXPECT_EQ(ScreenPixel(o.X + 65, o.Y + 65), ColorToPixelWord(clWhite));
}

TEST_F(UiTest, WindowRegionsClipCompositionAndHitTests)
{
    TForm* form = MakeForm(100, 100);
    auto* box = new TBox(form, clLime);
    box->SetBounds(0, 0, 100, 100);
    box->SetParent(form);
    form->Show();
    SetWindowRgn(box->Handle(), TRegion(Rect(0, 0, 50, 100)), true);
    form->Update();
    TPoint o = form->ClientOrigin();
    EXPECT_EQ(ScreenPixel(o.X + 10, o.Y + 10), ColorToPixelWord(clLime));
    EXPECT_EQ(ScreenPixel(o.X + 70, o.Y + 10), ColorToPixelWord(clWhite));
    EXPECT_EQ(FindDragTarget({ o.X + 10, o.Y + 10 }, true), box);
    EXPECT_EQ(FindDragTarget({ o.X + 70, o.Y + 10 }, true), form);
    // A form region cuts the form itself out of the screen.
    SetWindowRgn(form->Handle(), TRegion(Rect(0, 0, 20, 20)), true);
    EXPECT_EQ(ScreenPixel(o.X + 10, o.Y + 10), ColorToPixelWord(ColorToRGB(clBackground)));
    EXPECT_EQ(WindowFromPoint({ o.X + 10, o.Y + 10 }), 0u);
}

TEST_F(UiTest, CaptureHoldsThePointerAndClickComesBeforeMouseUp)
{
    TForm* form = MakeForm(200, 200);
    std::vector<std::string> log;
    auto* p = new TProbe(form, clRed, &log);
    p->SetName("p");
    p->SetBounds(10, 10, 50, 50);
    p->SetParent(form);
    form->Show();
    Pump();
    TPoint o = p->ClientOrigin();
    TestInput::Press(mbLeft, { o.X + 5, o.Y + 5 });
    TestInput::MoveTo({ o.X + 100, o.Y + 5 }); // outside: the capture still brings it here
    TestInput::MoveTo({ o.X + 6, o.Y + 6 });
    TestInput::Release(mbLeft, { o.X + 6, o.Y + 6 });
    std::vector<std::string> expected { "p move 5,5", "p down 5,5", "p move 100,5", "p move 6,6", "p click", "p up 6,6" };
    std::erase_if(log, [](const std::string& s) { return s.find("enter") != std::string::npos || s.find("leave") != std::string::npos; });
    EXPECT_EQ(log, expected);
    log.clear();
    TestInput::Press(mbLeft, { o.X + 5, o.Y + 5 });
    TestInput::Release(mbLeft, { o.X + 100, o.Y + 5 });
    std::erase_if(log, [](const std::string& s) { return s.find("enter") != std::string::npos || s.find("leave") != std::string::npos; });
    EXPECT_EQ(log, (std::vector<std::string> { "p move 5,5", "p down 5,5", "p move 100,5", "p up 100,5" })); // released outside: no click
}

TEST_F(UiTest, EnterAndLeaveFollowThePointerAndRespectCapture)
{
    TForm* form = MakeForm(200, 100);
    std::vector<std::string> log;
    auto* a = new TProbe(form, clRed, &log);
    a->SetName("a");
    a->SetBounds(0, 0, 50, 50);
    a->SetParent(form);
    auto* b = new TProbe(form, clBlue, &log);
    b->SetName("b");
    b->SetBounds(100, 0, 50, 50);
    b->SetParent(form);
    form->Show();
    Pump();
    TPoint o = form->ClientOrigin();
    TestInput::MoveTo({ o.X + 10, o.Y + 10 });
    TestInput::MoveTo({ o.X + 110, o.Y + 10 });
    std::erase_if(log, [](const std::string& s) { return s.find("move") != std::string::npos; });
    EXPECT_EQ(log, (std::vector<std::string> { "a enter", "a leave", "b enter" }));
    log.clear();
    // While b holds the capture, only b hears of entering and leaving.
    TestInput::Press(mbLeft, { o.X + 110, o.Y + 10 });
    TestInput::MoveTo({ o.X + 10, o.Y + 10 });
    TestInput::MoveTo({ o.X + 110, o.Y + 10 });
    TestInput::Release(mbLeft, { o.X + 110, o.Y + 10 });
    std::erase_if(log, [](const std::string& s) { return s.find(" enter") == std::string::npos && s.find(" leave") == std::string::npos; });
    EXPECT_EQ(log, (std::vector<std::string> { "b leave", "b enter" }));
}

TEST_F(UiTest, ImageCanvasMakesAWhiteBitmapOfItsSize)
{
    TForm* form = MakeForm(100, 100);
    auto* image = new TImage(form);
    image->SetBounds(0, 0, 30, 20);
    image->SetParent(form);
    TCanvas& c = image->Canvas();
    auto* bitmap = dynamic_cast<TBitmap*>(image->Picture().Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 30);
    EXPECT_EQ(bitmap->Height(), 20);
    EXPECT_EQ(bitmap->PixelFormat(), pfDevice);
    EXPECT_EQ(c.Pixels(0, 0), clWhite);
    EXPECT_EQ(c.Pixels(29, 19), clWhite);
}

#include "platform/ui/Buttons.h"

namespace {
// A windowed control that counts its double clicks.
class TClicker : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Doubles = 0;
    int Downs = 0;

protected:
    void DblClick() override { ++Doubles; }
    void MouseDown(TMouseButton, TShiftState, int, int) override { ++Downs; }
};
}

TEST_F(UiTest, DoubleClicksOnlyWithTheDoubleClickStyle)
{
    TForm* form = MakeForm(200, 100);
    auto* with = new TClicker(form);
    with->SetBounds(0, 0, 50, 50);
    with->SetParent(form);
    auto* without = new TClicker(form);
    without->SetControlStyle(without->ControlStyle() - TControlStyle { csDoubleClicks });
    without->SetBounds(100, 0, 50, 50);
    without->SetParent(form);
    form->Show();
    Pump();
    TestInput::DoubleClick(with->ClientToScreen({ 5, 5 }));
    TestInput::DoubleClick(without->ClientToScreen({ 5, 5 }));
    EXPECT_EQ(with->Doubles, 1);
    EXPECT_EQ(with->Downs, 2);
    EXPECT_EQ(without->Doubles, 0); // two plain presses instead
    EXPECT_EQ(without->Downs, 2);
}

TEST_F(UiTest, SpeedButtonGroupsKeepOneDownAndShareAllowAllUp)
{
    TForm* form = MakeForm(200, 100);
    auto* a = new TSpeedButton(form);
    auto* b = new TSpeedButton(form);
    auto* other = new TSpeedButton(form);
    for (TSpeedButton* s : { a, b, other })
        s->SetParent(form);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(other->Down()); // another group is left alone
    b->SetDown(false);
    EXPECT_TRUE(b->Down()); // without AllowAllUp the down button stays down
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_FALSE(other->AllowAllUp());
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
    auto* lone = new TSpeedButton(form);
    lone->SetParent(form);
    lone->SetDown(true);
    EXPECT_FALSE(lone->Down()); // a button outside any group is never down
}
