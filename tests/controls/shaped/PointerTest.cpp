// The pointer through real input messages: presses on the shape, hot tracking, parent dragging.

#include "ClearFixture.h"

using namespace ClearTesting;

namespace {

const TColor FaceColor = ColorToRGB(clBtnFace);
const TColor PressedShadow = DarkenColor(clBtnShadow, 64);

class PointerTest : public ClearTest {
protected:
    // A 200 x 120 tool window with a 38 x 28 button at (20, 20) whose picture is a 20 x 12 red block
    // in the top-left corner of a 30 x 20 magenta square: the button's rectangle holds key pixels
    // at its bottom right.
    void SetUp() override
    {
        ClearTest::SetUp();
        Form = MakeForm(200, 120);
        Button = new TClearButton(Form);
        Button->SetName("Button");
        Button->SetLeft(20);
        Button->SetTop(20);
        Button->SetParent(Form);
        Button->SetPicture(BlockPicture(30, 20, { 0, 0, 20, 12 }, clRed).get());
        Button->OnClick = [this](TObject*) { Log.push_back("click"); };
        Button->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) { Log.push_back(b == mbLeft ? "down" : "rdown"); };
        Button->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) { Log.push_back(b == mbLeft ? "up" : "rup"); };
        Form->Show();
        Pump();
    }
    TPoint At(TControl* c, int x, int y) const { return c->ClientToScreen({ x, y }); }
    TPoint FormPos() const { return { Form->Left(), Form->Top() }; }
    TRegion Region() const { return GetWindowRgn(Button->Handle()).value_or(TRegion()); }
    // Lets the double-click time pass, so the next press is a single one.
    void Later() { Driver->AdvanceTo(Driver->NowMs() + 2 * DoubleClickTimeMs); }
    bool LooksPressed() const { return ScreenPixel(At(Button, 3, 3)) == ColorToPixelWord(PressedShadow); }
    bool LooksNormal() const { return ScreenPixel(At(Button, 3, 3)) == ColorToPixelWord(FaceColor); }

    TForm* Form = nullptr;
    TClearButton* Button = nullptr;
    std::vector<std::string> Log;
};

} // namespace

TEST_F(PointerTest, PressFollowsTheShapeAndClicksOnlyOverTheControl)
{
    ASSERT_EQ(Button->Width(), 38);
    ASSERT_EQ(Button->Height(), 28);
    ASSERT_TRUE(LooksNormal());
    const TPoint onShape = At(Button, 10, 10), onKey = At(Button, 33, 24), outside = At(Button, 60, 10);

    TestInput::Press(mbLeft, onShape);
    EXPECT_TRUE(LooksPressed());
    EXPECT_EQ(Region(), *Button->DownRgn());

    // A key pixel inside the rectangle is off the shape: the normal look and shape come back.
    TestInput::MoveTo(onKey);
    EXPECT_TRUE(LooksNormal());
    EXPECT_EQ(Region(), *Button->BtnRgn());
    TestInput::MoveTo(onShape);
    EXPECT_TRUE(LooksPressed());
    EXPECT_EQ(Region(), *Button->DownRgn());

    TestInput::Release(mbLeft, onShape);
    EXPECT_EQ(Log, (std::vector<std::string> { "down", "click", "up" }));
    EXPECT_EQ(Region(), *Button->BtnRgn());
    EXPECT_FALSE(LooksPressed());

    // Released outside: no click and, with the raised look, no mouse-up either.
    Log.clear();
    Later();
    TestInput::Press(mbLeft, onShape);
    TestInput::MoveTo(outside);
    TestInput::Release(mbLeft, outside);
    EXPECT_EQ(Log, (std::vector<std::string> { "down" }));
    EXPECT_EQ(Region(), *Button->BtnRgn());
    EXPECT_TRUE(LooksNormal());
}

TEST_F(PointerTest, ARightReleaseEndsTheLeftPress)
{
    const TPoint onShape = At(Button, 10, 10);
    TestInput::Press(mbLeft, onShape);
    ASSERT_TRUE(LooksPressed());
    TestInput::Press(mbRight, onShape);
    TestInput::Release(mbRight, onShape);
    EXPECT_FALSE(LooksPressed());
    EXPECT_EQ(Region(), *Button->BtnRgn());
    TestInput::Release(mbLeft, onShape);
}

TEST_F(PointerTest, AnImageStyleControlIsNeverPressedButStillClicks)
{
    Button->SetStyle(sbsImage);
    Pump();
    const TRegion before = Region();
    const int regions = RegionCount("Button");
    TestInput::Click(At(Button, 10, 10));
    EXPECT_EQ(Log, (std::vector<std::string> { "down", "click", "up" }));
    EXPECT_EQ(RegionCount("Button"), regions) << "no region request for a control that is never pressed";
    EXPECT_EQ(Region(), before);
}

TEST_F(PointerTest, ParentDragMovesTheFormByThePointersMovement)
{
    auto* panel = new TClearPanel(Form);
    panel->SetAutoSize(false);
    panel->SetBounds(100, 20, 60, 60);
    panel->SetParentDrag(true);
    panel->SetParent(Form);
    panel->SetPicture(BlockPicture(60, 60, { 0, 0, 60, 60 }, clBlue, clBlue, Magenta).get());
    std::vector<std::string> log;
    panel->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) { log.push_back(b == mbLeft ? "down" : "rdown"); };
    panel->OnMouseMove = [&](TObject*, TShiftState, int x, int y) { log.push_back("move " + std::to_string(x) + "," + std::to_string(y)); };
    Pump();
    const TPoint form0 = FormPos();
    const TPoint grab = At(panel, 10, 10);

    // A right press is reported but drags nothing.
    TestInput::Press(mbRight, grab);
    TestInput::MoveTo(grab + TPoint { 5, 5 });
    TestInput::Release(mbRight, grab + TPoint { 5, 5 });
    EXPECT_EQ(FormPos(), form0);
    log.clear();

    Later();
    TestInput::Press(mbLeft, grab);
    EXPECT_EQ(log.back(), "down");
    log.clear();
    TestInput::MoveTo(grab + TPoint { 15, 7 });
    EXPECT_EQ(FormPos(), (form0 + TPoint { 15, 7 }));
    TestInput::MoveTo(grab + TPoint { 5, -20 });
    EXPECT_EQ(FormPos(), (form0 + TPoint { 5, -20 }));
    // The form followed, so the pointer is back on the grabbed point: nothing to report.
    TestInput::MoveTo(grab + TPoint { 5, -20 });
    EXPECT_EQ(log, (std::vector<std::string> { "move 25,17", "move 0,-17" }));
    TestInput::Release(mbLeft, grab + TPoint { 5, -20 });
    TestInput::MoveTo(grab + TPoint { 40, 0 });
    EXPECT_EQ(FormPos(), (form0 + TPoint { 5, -20 })) << "the release ends the drag";
}

TEST_F(PointerTest, HotImageOnEnteringUnlessTheMouseIsCaptured)
{
    auto* panel = new TClearPanel(Form);
    panel->SetAutoSize(false);
    panel->SetBounds(100, 20, 40, 40);
    panel->SetParent(Form);
    panel->SetPicture(BlockPicture(40, 40, { 0, 0, 40, 40 }, RGB(0, 0, 100), RGB(0, 0, 100)).get());
    Pump();
    const TPoint inside = At(panel, 20, 20), away = At(Form, 5, 100);
    const std::uint32_t normal = ColorToPixelWord(RGB(0, 0, 100)), hot = ColorToPixelWord(RGB(128, 128, 228));

    TestInput::MoveTo(away);
    ASSERT_EQ(ScreenPixel(inside), normal);
    TestInput::MoveTo(inside);
    EXPECT_EQ(ScreenPixel(inside), hot);
    TestInput::MoveTo(away);
    EXPECT_EQ(ScreenPixel(inside), normal);

    // Pressing captures the mouse: re-entering while it is held shows no hot image.
    TestInput::Press(mbLeft, inside);
    TestInput::MoveTo(away);
    TestInput::MoveTo(inside);
    EXPECT_EQ(ScreenPixel(inside), normal);
    TestInput::Release(mbLeft, inside);

    // A disabled control with a grey image stays grey.
    panel->SetOptions(panel->Options() + TTransImgOptions { sioDisableImage });
    panel->SetEnabled(false);
    TestInput::MoveTo(away);
    Pump();
    const std::uint32_t grey = ColorToPixelWord(GrayColor(RGB(0, 0, 100)));
    EXPECT_EQ(ScreenPixel(inside), grey);
    TestInput::MoveTo(inside);
    EXPECT_EQ(ScreenPixel(inside), grey);
}

TEST_F(PointerTest, EnterAndLeaveEventsOnEveryNotification)
{
    // Whatever the options and the press state, every enter and leave is reported.
    Button->SetOptions({});
    Button->SetHotTrack(false);
    std::vector<std::string> events;
    Button->SetOnMouseEnter([&](TObject* s) { events.push_back(s == Button ? "enter" : "?"); });
    Button->SetOnMouseLeave([&](TObject* s) { events.push_back(s == Button ? "leave" : "?"); });
    const TPoint inside = At(Button, 10, 10), away = At(Form, 150, 100);
    TestInput::MoveTo(away);
    TestInput::MoveTo(inside);
    TestInput::MoveTo(away);
    TestInput::Press(mbLeft, inside);
    TestInput::MoveTo(away);
    TestInput::MoveTo(inside);
    TestInput::Release(mbLeft, inside);
    EXPECT_EQ(events, (std::vector<std::string> { "enter", "leave", "enter", "leave", "enter" }));
}
