// Window regions: what a control's region is made of, when it is computed and where it goes.

#include "ClearFixture.h"

#include "platform/ui/StdCtrls.h"

using namespace ClearTesting;

namespace {

class WindowRegionTest : public ClearTest {
protected:
    // A 100 x 100 tool window with a shaped 60 x 60 panel at (10, 10) holding a 40 x 40 ring
    // image at (5, 5).
    void SetUp() override
    {
        ClearTest::SetUp();
        Form = MakeForm(100, 100);
        Panel = new TClearPanel(Form);
        Panel->SetName("Panel");
        Panel->SetAutoSize(false);
        Panel->SetBounds(10, 10, 60, 60);
        Panel->SetChildGraphicsTrans(true);
        Panel->SetParent(Form);
        Ring = new TImage(Form);
        Ring->SetBounds(5, 5, 40, 40);
        Ring->SetPicture(RingPicture(40, 6).get());
        Ring->SetParent(Panel);
    }
    void ShowAndSettle()
    {
        Form->Show();
        Pump();
    }
    TRegion RegionOf(TWinControl* control) const
    {
        std::optional<TRegion> r = GetWindowRgn(control->Handle());
        return r ? *r : TRegion();
    }
    TRegion RingPixels() const
    {
        return NonKeyPixels(static_cast<TBitmap&>(*Ring->Picture().Graphic()), Magenta, { 5, 5 });
    }

    TForm* Form = nullptr;
    TClearPanel* Panel = nullptr;
    TImage* Ring = nullptr;
};

} // namespace

TEST_F(WindowRegionTest, GraphicChildrenGiveExactlyTheirNonKeyPixels)
{
    auto* empty = new TImage(Form);
    empty->SetBounds(0, 0, 60, 60);
    empty->SetParent(Panel);
    ShowAndSettle();
    EXPECT_EQ(RegionOf(Panel), RingPixels()) << "an image without a picture on top adds nothing";

    // New content in a child is not a reason to recompute...
    empty->Canvas().Brush().SetColor(clBlue);
    empty->Canvas().FillRect({ 0, 0, 60, 60 });
    Pump();
    EXPECT_EQ(RegionOf(Panel), RingPixels());
    // ...but the next request sees it.
    Panel->UpdateRgn();
    Pump();
    EXPECT_EQ(RegionOf(Panel), TRegion({ 0, 0, 60, 60 }));
}

TEST_F(WindowRegionTest, WithoutChildGraphicsTransAGraphicChildGivesItsRectangle)
{
    ShowAndSettle();
    Panel->SetChildGraphicsTrans(false);
    Pump();
    EXPECT_EQ(RegionOf(Panel), TRegion({ 5, 5, 45, 45 }));
}

TEST_F(WindowRegionTest, WindowedChildrenGiveTheirRegionOrRectangleAndHiddenOnesNothing)
{
    auto* plain = new TPanel(Form);
    plain->SetBounds(48, 0, 10, 10);
    plain->SetParent(Panel);
    auto* shaped = new TPanel(Form);
    shaped->SetBounds(48, 40, 10, 10);
    shaped->SetParent(Panel);
    auto* hidden = new TButton(Form);
    hidden->SetBounds(0, 50, 20, 10);
    hidden->SetVisible(false);
    hidden->SetParent(Panel);
    ShowAndSettle();
    SetWindowRgn(shaped->Handle(), TRegion({ 2, 3, 4, 5 }), true);
    Panel->UpdateRgn();
    Pump();
    TRegion expected = RingPixels();
    expected.UnionRect({ 48, 0, 58, 10 });
    expected.UnionRect({ 50, 43, 52, 45 });
    EXPECT_EQ(RegionOf(Panel), expected);
}

TEST_F(WindowRegionTest, NothingVisibleGivesOneFarAwayPixel)
{
    Ring->SetVisible(false);
    ShowAndSettle();
    EXPECT_EQ(RegionOf(Panel), TRegion({ -3000, -3000, -2999, -2999 }));
    EXPECT_EQ(WindowFromPoint(Panel->ClientToScreen({ 30, 30 })), Form->Handle()) << "the panel cannot be hit";
}

TEST_F(WindowRegionTest, AChildLargerThanThePanelIsScannedWithinThePanel)
{
    Ring->SetBounds(-10, 30, 100, 100);
    Ring->SetPicture(BlockPicture(100, 100, { 0, 0, 100, 100 }, clBlack).get());
    ShowAndSettle();
    EXPECT_EQ(RegionOf(Panel), TRegion({ 0, 30, 60, 60 }));
}

TEST_F(WindowRegionTest, QueuedRequestsComputeOnce)
{
    ShowAndSettle();
    const int before = RegionCount("Panel");
    for (int i = 0; i < 3; ++i)
        Panel->UpdateRgn();
    Pump();
    EXPECT_EQ(RegionCount("Panel"), before + 1);
}

TEST_F(WindowRegionTest, ARemovedChildIsLeftOut)
{
    ShowAndSettle();
    Ring->SetParent(nullptr);
    Pump();
    EXPECT_EQ(RegionOf(Panel), TRegion({ -3000, -3000, -2999, -2999 }));
    Ring->SetParent(Panel);
    Pump();
    EXPECT_EQ(RegionOf(Panel), RingPixels());
}

TEST_F(WindowRegionTest, RequestsInsideABatchBeepAndChildrenOfABatchedParentWait)
{
    ShowAndSettle();
    Panel->BeginUpdate();
    Panel->UpdateRgn();
    const int regions = RegionCount("Panel");
    Pump();
    EXPECT_EQ(BeepCount(), 1);
    EXPECT_EQ(RegionCount("Panel"), regions);

    // A child rebuilding while its shaped parent is batched leaves its own region alone.
    auto* button = new TClearButton(Form);
    button->SetName("Inner");
    button->SetParent(Panel);
    button->HandleNeeded();
    const int inner = RegionCount("Inner");
    button->SetCaption("x");
    EXPECT_EQ(RegionCount("Inner"), inner);
    Panel->EndUpdate();
}

TEST_F(WindowRegionTest, ANestedShapedControlMakesItsShapedParentRecompute)
{
    ShowAndSettle();
    auto* button = new TClearButton(Form);
    button->SetName("Inner");
    button->SetParent(Panel);
    button->SetAutoSize(false);
    button->SetBounds(30, 40, 24, 16);
    button->SetPicture(BlockPicture(8, 4, { 0, 0, 8, 4 }, clRed).get());
    Pump();
    const TRegion inner = RegionOf(button);
    ASSERT_EQ(inner, *button->BtnRgn());
    TRegion expected = RingPixels();
    expected.Union(inner.Offsetted(30, 40));
    EXPECT_EQ(RegionOf(Panel), expected);
}

TEST_F(WindowRegionTest, FormTransShapesTheFormInItsWindowCoordinates)
{
    Panel->SetFormTrans(true);
    ShowAndSettle();
    // The panel's client origin lies at (3 + 10, 22 + 10) from the form's outer corner.
    const TPoint origin = Panel->ClientOrigin() - TPoint { Form->Left(), Form->Top() };
    ASSERT_EQ(origin, (TPoint { ToolWindowBorder + 10, ToolWindowBorder + ToolWindowCaption + 10 }));
    EXPECT_EQ(RegionOf(Panel), RingPixels());
    EXPECT_EQ(RegionOf(Form), RingPixels().Offsetted(origin.X, origin.Y));
    // The caption bar is gone from the screen; the ring shows.
    const TPoint ringTop = Panel->ClientToScreen({ 25, 6 });
    EXPECT_EQ(WindowFromPoint(ringTop), Panel->Handle());
    EXPECT_EQ(WindowFromPoint({ Form->Left() + 50, Form->Top() + 5 }), 0u);

    Panel->SetFormTrans(false);
    EXPECT_FALSE(GetWindowRgn(Form->Handle()).has_value());
}

TEST_F(WindowRegionTest, DesignerShowsTheShapeOnlyWithTransAtDesigning)
{
    Panel->SetDesigning(true);
    SetWindowRgn(Panel->Handle(), std::nullopt, false);
    ShowAndSettle();
    Panel->UpdateRgn();
    Pump();
    EXPECT_FALSE(GetWindowRgn(Panel->Handle()).has_value());
    Panel->SetOptions(Panel->Options() + TTransImgOptions { sioTransAtDesigning });
    EXPECT_EQ(RegionOf(Panel), RingPixels());
}
