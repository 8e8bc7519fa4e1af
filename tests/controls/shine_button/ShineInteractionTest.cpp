// The button under a real pointer and keyboard on the headless screen: the active look and its
// watchdog, presses and releases, grouping with shine and platform speed buttons, double clicks,
// accelerators, Enabled, and the pressed look during a click.

#include "ShineFixture.h"

#include "platform/ui/ExtCtrls.h"

#include <algorithm>

namespace {

// Counts the group announcements that reach its parent's controls.
class TAnnouncementCounter : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int Announcements = 0;
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_BUTTONPRESSED)
            ++Announcements;
        TGraphicControl::Dispatch(m);
    }
};

class ShineInteractionTest : public ShineTest {
protected:
    void SetUp() override
    {
        ShineTest::SetUp();
        Form = MakeForm(300, 200);
        A = AddButton(Form, Bounds(20, 40, 50, 30), "A");
        B = AddButton(Form, Bounds(80, 40, 50, 30), "B");
        P = new TSpeedButton(Form);
        P->SetBounds(140, 40, 50, 30);
        P->SetParent(Form);
        for (TProbeButton* b : { A, B }) {
            b->OnClick = [this, b](TObject*) { Log.push_back(b->Name() + " click"); };
            b->OnDblClick = [this, b](TObject*) { Log.push_back(b->Name() + " dblclick"); };
            b->OnMouseDown = [this, b](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back(b->Name() + " down"); };
            b->OnMouseUp = [this, b](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back(b->Name() + " up"); };
            b->SetOnMouseEnter([this, b](TObject*, TShiftState, int, int) { Log.push_back(b->Name() + " enter"); });
            b->SetOnMouseLeave([this, b](TObject*, TShiftState, int, int) { Log.push_back(b->Name() + " leave"); });
        }
        Form->Show();
        Pump();
    }
    int Count(const std::string& entry) const { return static_cast<int>(std::count(Log.begin(), Log.end(), entry)); }
    TPoint Outside() const { return Form->ClientToScreen({ 250, 150 }); }

    TForm* Form = nullptr;
    TProbeButton* A = nullptr;
    TProbeButton* B = nullptr;
    TSpeedButton* P = nullptr;
    std::vector<std::string> Log;
};

} // namespace

TEST_F(ShineInteractionTest, PointerOverTheButtonShowsTheActiveLook)
{
    TestInput::MoveTo(At(A));
    EXPECT_EQ(A->State(), stUpActive);
    EXPECT_TRUE(AnyTimerRunning());
    TestInput::MoveTo(Outside());
    EXPECT_EQ(A->State(), stUp);
    EXPECT_FALSE(AnyTimerRunning());
    // The first move over the button catches up through its own tracking before the platform's
    // enter message arrives; each raises OnMouseEnter.
    EXPECT_EQ(Log, (std::vector<std::string> { "A enter", "A enter", "A leave" }));
}

TEST_F(ShineInteractionTest, WatchdogEndsAMissedLeaveWithinItsInterval)
{
    TestInput::MoveTo(At(A));
    std::int64_t entered = GetTickCount();
    ASSERT_EQ(A->State(), stUpActive);
    // Gone without the pointer tracking noticing: no leave arrives.
    InjectMouseMove({ 1500, 900 });
    Application->ProcessMessages();
    EXPECT_EQ(A->State(), stUpActive);
    Driver->AdvanceTo(entered + 199);
    Application->ProcessMessages();
    EXPECT_EQ(A->State(), stUpActive);
    Driver->AdvanceTo(entered + 200);
    Application->ProcessMessages();
    EXPECT_EQ(A->State(), stUp);
    EXPECT_EQ(Count("A leave"), 1);
    EXPECT_FALSE(AnyTimerRunning());
}

TEST_F(ShineInteractionTest, ButtonOutsideAnyGroupClicksAndNeverStaysDown)
{
    TestInput::Click(At(A));
    EXPECT_EQ(Count("A click"), 1);
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(A->State(), stUpActive);
    A->SetDown(true);
    EXPECT_FALSE(A->Down());
}

TEST_F(ShineInteractionTest, GroupKeepsOneDownAcrossShineAndPlatformButtons)
{
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    P->SetGroupIndex(1);
    TestInput::Click(At(A));
    EXPECT_TRUE(A->Down());
    TestInput::Click(At(B));
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(A->State(), stUp);
    // Without AllowAllUp a click on the down button leaves it down, and still clicks.
    TestInput::Click(At(B));
    EXPECT_TRUE(B->Down());
    EXPECT_EQ(Count("B click"), 2);
    // A platform speed button going down releases the shine button, and the other way round.
    P->SetDown(true);
    EXPECT_FALSE(B->Down());
    TestInput::Click(At(A));
    EXPECT_TRUE(A->Down());
    EXPECT_FALSE(P->Down());
}

TEST_F(ShineInteractionTest, AllowAllUpReachesTheWholeGroupInTheSameParentOnly)
{
    auto* panel = new TPanel(Form);
    panel->SetBounds(0, 100, 300, 100);
    panel->SetParent(Form);
    auto* elsewhere = AddButton(panel, Bounds(10, 10, 50, 30));
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    P->SetGroupIndex(1);
    elsewhere->SetGroupIndex(1);
    A->SetAllowAllUp(true);
    EXPECT_TRUE(B->AllowAllUp());
    EXPECT_TRUE(P->AllowAllUp());
    EXPECT_FALSE(elsewhere->AllowAllUp());

    TestInput::Click(At(B));
    EXPECT_TRUE(B->Down());
    TestInput::Click(At(B));
    EXPECT_FALSE(B->Down());
    EXPECT_EQ(Count("B click"), 2);
    EXPECT_FALSE(A->Down() || P->Down());
}

TEST_F(ShineInteractionTest, ReleaseOutsideRaisesNoClickAndKeepsDown)
{
    A->SetGroupIndex(1);
    for (bool down : { false, true }) {
        SCOPED_TRACE(down ? "down" : "up");
        if (down)
            A->SetDown(true);
        TestInput::Press(mbLeft, At(A));
        EXPECT_EQ(A->State(), stDownActive);
        TestInput::MoveTo(Outside());
        EXPECT_EQ(A->State(), down ? stDown : stUp);
        TestInput::Release(mbLeft, Outside());
        EXPECT_EQ(A->Down(), down);
        EXPECT_EQ(A->State(), down ? stDown : stUp);
    }
    EXPECT_EQ(Count("A click"), 0);
}

TEST_F(ShineInteractionTest, RightReleaseDuringALeftPressEndsThePress)
{
    TestInput::Press(mbLeft, At(A));
    TestInput::Press(mbRight, At(A));
    TestInput::Release(mbRight, At(A));
    EXPECT_EQ(Count("A click"), 1);
    TestInput::Release(mbLeft, At(A));
    EXPECT_EQ(Count("A click"), 1);
    // The press ended while the capture was still held, which refused the active look; the
    // first move after the capture has gone brings it.
    EXPECT_EQ(A->State(), stUp);
    TestInput::MoveTo(At(A, 6, 6));
    EXPECT_EQ(A->State(), stUpActive);
}

TEST_F(ShineInteractionTest, DoubleClickRaisesOnDblClickOnlyWhenTheSecondPressFindsItDown)
{
    struct Case {
        const char* Name;
        int Group;
        bool AllowAllUp;
        bool DownAfter;
        int DblClicks;
    };
    const Case cases[] = {
        { "no group", 0, false, false, 0 },
        { "group", 1, false, true, 1 },
        { "group with AllowAllUp toggles twice", 2, true, false, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        A->SetGroupIndex(c.Group);
        A->SetAllowAllUp(c.AllowAllUp);
        Log.clear();
        TestInput::DoubleClick(At(A));
        EXPECT_EQ(A->Down(), c.DownAfter);
        EXPECT_EQ(Count("A click"), 2);
        EXPECT_EQ(Count("A dblclick"), c.DblClicks);
        if (c.DblClicks) {
            // After the second press has been handled, before its release.
            std::erase_if(Log, [](const std::string& e) { return e.ends_with("enter") || e.ends_with("leave"); });
            std::vector<std::string> second(Log.end() - 4, Log.end());
            EXPECT_EQ(second, (std::vector<std::string> { "A down", "A dblclick", "A up", "A click" }));
        }
        A->SetAllowAllUp(true);
        A->SetDown(false);
        TestInput::MoveTo(Outside());
        Driver->AdvanceTo(GetTickCount() + 1000); // the next press is no double click
    }
}

TEST_F(ShineInteractionTest, DisablingADownButtonReleasesItWithoutAnnouncing)
{
    auto* counter = new TAnnouncementCounter(Form);
    counter->SetBounds(200, 0, 10, 10);
    counter->SetParent(Form);
    A->SetGroupIndex(1);
    A->SetDown(true);
    ASSERT_GT(counter->Announcements, 0);
    counter->Announcements = 0;
    A->SetEnabled(false);
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(A->State(), stDisabled);
    A->SetEnabled(true);
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(A->State(), stUp);
    EXPECT_EQ(counter->Announcements, 0);
}

TEST_F(ShineInteractionTest, AcceleratorClicksAndWithAccelCharDownToggles)
{
    A->SetCaption("&Go");
    A->SetGroupIndex(1);
    A->SetAllowAllUp(true);
    A->SetAccelCharDown(true);
    B->SetCaption("&Hi");
    B->SetAccelCharDown(true);
    TestInput::Char('g');
    EXPECT_TRUE(A->Down());
    TestInput::Char('G');
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(Count("A click"), 2);
    // Outside any group the accelerator still clicks, and the button stays up.
    TestInput::Char('h');
    EXPECT_EQ(Count("B click"), 1);
    EXPECT_FALSE(B->Down());
    A->SetAccelCharDown(false);
    TestInput::Char('g');
    EXPECT_EQ(Count("A click"), 3);
    EXPECT_FALSE(A->Down());
}

TEST_F(ShineInteractionTest, ClickDownHookShowsThePressedLookDuringOnClick)
{
    A->SetCaption("&K");
    A->SetClickDownHook(true);
    A->Colors().SetColor(clWhite);
    A->PressedColors().SetColor(clRed);
    Pump();
    std::vector<std::pair<TShineButtonState, std::uint32_t>> seen;
    A->OnClick = [&](TObject*) { seen.push_back({ A->State(), ScreenPixel(At(A, 40, 5)) }); };
    TestInput::Click(At(A));
    TestInput::MoveTo(Outside());
    TestInput::Char('k');
    ASSERT_EQ(seen.size(), 2u);
    for (auto [state, pixel] : seen) {
        EXPECT_EQ(state, stDownActive);
        EXPECT_EQ(pixel, ColorToPixelWord(clRed));
    }
    EXPECT_EQ(A->State(), stUp);
    Pump();
    EXPECT_EQ(ScreenPixel(At(A, 40, 5)), ColorToPixelWord(clWhite));
}
