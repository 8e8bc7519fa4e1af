#include "X11Fixture.h"

#include "platform/base/CodePage.h"
#include "platform/ui/Dialogs.h"

#include <sys/shm.h>

namespace {

// A windowed control filled with its colour.
class TBox : public TCustomControl {
public:
    TBox(TComponent* owner, TColor color)
        : TCustomControl(owner)
    {
        SetColor(color);
    }
};

// A windowed control that paints one column per colour step, so that every channel value of a
// visual passes through the conversion.
class TRamp : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override
    {
        for (int x = 0; x < Width(); ++x) {
            int v = x * 255 / std::max(1, Width() - 1);
            Canvas().Brush().SetColor(static_cast<TColor>(v | ((255 - v) << 8) | (((v * 7) & 255) << 16)));
            Canvas().FillRect({ x, 0, x + 1, Height() });
        }
    }
};

// A disc of the given radius around (cx, cy), built row by row.
TRegion Disc(int cx, int cy, int r)
{
    TRegion region;
    for (int y = -r; y <= r; ++y) {
        int half = 0;
        while ((half + 1) * (half + 1) + y * y <= r * r)
            ++half;
        region.UnionRect({ cx - half, cy + y, cx + half + 1, cy + y + 1 });
    }
    return region;
}

TRegion FromRects(const std::vector<TRect>& rects)
{
    TRegion region;
    for (const TRect& r : rects)
        region.Union(TRegion(r));
    return region;
}

bool ShmWorksHere()
{
    int id = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    shmctl(id, IPC_RMID, nullptr);
    return true;
}

} // namespace

class X11ScreenTest : public X11Test {
protected:
    // Lets the server and the driver trade what is left (moves, exposures, pixels). A window
    // wholly outside the screen is never exposed, so only one that shows is waited for.
    void Settle(TWinControl* form)
    {
        RunUntil([&] { return Observer->Geometry(XWindow(form)) == form->BoundsRect(); });
        std::int64_t end = GetTickCount() + 60;
        RunUntil([&] { return GetTickCount() >= end; });
        if (form->BoundsRect().Intersected({ 0, 0, Observer->ScreenWidth(), Observer->ScreenHeight() }).IsEmpty())
            return;
        RunUntil([&] { return Driver->Presented(form->Handle()); });
    }

    // Counts the screen pixels that are not what they should be: the window's composed pixels
    // where the window shows (inside its region, if any), the screen as it was everywhere else.
    int ScreenMismatches(TWinControl* form, const TX11Observer::TImage& before, std::string* first = nullptr)
    {
        TX11Observer::TImage now = Observer->GrabRoot();
        const TDibImage& composed = ComposeWindow(form->Handle());
        std::optional<TRegion> region = GetWindowRgn(form->Handle());
        TRect b = form->BoundsRect();
        int bad = 0;
        for (int y = 0; y < now.Height; ++y)
            for (int x = 0; x < now.Width; ++x) {
                TPoint inWindow { x - b.Left, y - b.Top };
                bool shows = b.Contains({ x, y }) && (!region || region->Contains(inWindow));
                unsigned long want = shows ? Observer->ServerPixel(composed.GetPixelWord(inWindow.X, inWindow.Y)) : before.At(x, y);
                if (now.At(x, y) != want && bad++ == 0 && first)
                    *first = "at " + std::to_string(x) + "," + std::to_string(y) + (shows ? " (window)" : " (screen)");
            }
        return bad;
    }
};

TEST_F(X11ScreenTest, TheScreenShowsExactlyTheOnScreenPartOfAWindowWhereverItStands)
{
    TX11Observer::TImage before = Observer->GrabRoot();
    TForm* form = MakeForm(Bounds(-626, 100, 300, 200), clWhite);
    auto* box = new TBox(form, clBlue);
    box->SetParent(form);
    box->SetBounds(20, 20, 60, 40);
    form->Show();
    ASSERT_TRUE(RunUntil([&] { return XWindow(form) && Observer->Viewable(XWindow(form)); }));
    const struct {
        const char* Where;
        int Left, Top;
    } cases[] = {
        { "beyond the left edge", -626, 100 },
        { "coming in from the left", -150, 100 },
        { "across the top edge", 400, -120 },
        { "across the right and bottom edges", 1280 - 100, 800 - 50 },
        { "far outside", -3000, 300 },
        { "wholly on the screen", 500, 300 },
    };
    for (const auto& c : cases) {
        form->SetBounds(c.Left, c.Top, form->Width(), form->Height());
        Settle(form);
        EXPECT_EQ(Observer->Geometry(XWindow(form)), form->BoundsRect()) << c.Where;
        std::string first;
        EXPECT_EQ(ScreenMismatches(form, before, &first), 0) << c.Where << ", first " << first;
    }
}

TEST_F(X11ScreenTest, ThePartThatSlidesOntoTheScreenShowsAtOnce)
{
    TX11Observer::TImage before = Observer->GrabRoot();
    TForm* form = MakeForm(Bounds(-150, 100, 300, 200), clWhite);
    auto* box = new TRamp(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 300, 100);
    form->Show();
    Settle(form);
    // The strip that came onto the screen used to keep the pixels that stood there before the
    // move until the server's exposure had made its way back to the driver.
    form->SetLeft(form->Left() + 32);
    Driver->Flush();
    std::string first;
    EXPECT_EQ(ScreenMismatches(form, before, &first), 0) << "first " << first;
}

TEST_F(X11ScreenTest, AShapedFormShowsItsRegionAndLeavesTheScreenAroundItAlone)
{
    TX11Observer::TImage before = Observer->GrabRoot();
    TForm* form = MakeForm(Bounds(200, 150, 320, 260), clWhite);
    auto* box = new TBox(form, clRed);
    box->SetParent(form);
    box->SetBounds(40, 30, 120, 120);
    form->Show();
    ASSERT_TRUE(WaitPresented(form));
    // The child's own region cuts it within the window's pixels; the form's region is the shape.
    SetWindowRgn(box->Handle(), Disc(60, 60, 50), true);
    SetWindowRgn(form->Handle(), Disc(160, 130, 120), true);
    Settle(form);

    TRegion platform = *GetWindowRgn(form->Handle());
    EXPECT_TRUE(FromRects(Observer->ShapeRectangles(XWindow(form))) == platform);
    std::string first;
    EXPECT_EQ(ScreenMismatches(form, before, &first), 0) << "first " << first;

    // Without a region the window is its whole rectangle again.
    SetWindowRgn(form->Handle(), std::nullopt, true);
    Settle(form);
    EXPECT_EQ(Observer->ShapeRectangles(XWindow(form)), std::vector<TRect> { Bounds(0, 0, form->Width(), form->Height()) });
    EXPECT_EQ(ScreenMismatches(form, before, &first), 0) << "first " << first;
}

TEST_F(X11ScreenTest, AStayOnTopFormStaysAboveOurOtherWindowsWithoutAWindowManager)
{
    TForm* top = MakeForm(Bounds(100, 100, 300, 200), clRed, true);
    top->Show();
    ASSERT_TRUE(WaitPresented(top));
    TForm* plain = MakeForm(Bounds(150, 150, 300, 200), clBlue, false);
    plain->Show();
    ASSERT_TRUE(WaitPresented(plain));
    BringWindowToTop(plain->Handle());
    Settle(plain);
    std::vector<unsigned long> order = Observer->StackingOrder();
    auto topAt = std::find(order.begin(), order.end(), XWindow(top));
    auto plainAt = std::find(order.begin(), order.end(), XWindow(plain));
    ASSERT_NE(topAt, order.end());
    ASSERT_NE(plainAt, order.end());
    EXPECT_GT(topAt - order.begin(), plainAt - order.begin());
}

class X11PixelTest : public X11ScreenTest, public ::testing::WithParamInterface<TServerKind> {
protected:
    TServerKind Server() const override { return GetParam(); }

    int WindowMismatches(TWinControl* form)
    {
        const TDibImage& composed = ComposeWindow(form->Handle());
        TX11Observer::TImage shown = Observer->GrabWindow(XWindow(form), composed.Width, composed.Height);
        if (shown.Width != composed.Width)
            return -1;
        int bad = 0;
        for (int y = 0; y < composed.Height; ++y)
            for (int x = 0; x < composed.Width; ++x)
                bad += shown.At(x, y) != Observer->ServerPixel(composed.GetPixelWord(x, y));
        return bad;
    }
};

TEST_P(X11PixelTest, TheWindowShowsItsComposedPixels)
{
    TForm* form = MakeForm(Bounds(100, 80, 400, 300), static_cast<TColor>(0x00336699));
    auto* ramp = new TRamp(form);
    ramp->SetParent(form);
    ramp->SetBounds(10, 10, 256, 100);
    auto* box = new TBox(form, clBlue);
    box->SetParent(form);
    box->SetBounds(50, 150, 80, 60);
    form->Show();
    ASSERT_TRUE(WaitPresented(form));
    Settle(form);
    EXPECT_EQ(WindowMismatches(form), 0);

    // A repaint reaches the screen without anything else happening.
    box->SetColor(clLime);
    box->Update();
    ASSERT_TRUE(WaitPresented(form));
    EXPECT_EQ(WindowMismatches(form), 0);
    TPoint inBox = box->ClientOrigin() - form->BoundsRect().TopLeft() + TPoint { 40, 30 };
    EXPECT_EQ(ComposeWindow(form->Handle()).GetPixelWord(inBox.X, inBox.Y), ColorToPixelWord(clLime));

    bool shmRefused = std::find(GetParam().Arguments.begin(), GetParam().Arguments.end(), "MIT-SHM") != GetParam().Arguments.end();
    if (shmRefused) {
        EXPECT_FALSE(Driver->UsesShm());
    } else if (ShmWorksHere()) {
        EXPECT_TRUE(Driver->UsesShm());
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, X11PixelTest,
    ::testing::Values(TServerKind {}, TServerKind { "1280x800x24", { "-extension", "MIT-SHM" } }, TServerKind { "1280x800x16", {} }),
    [](const ::testing::TestParamInfo<TServerKind>& p) {
        return p.index == 0 ? std::string("SharedMemory") : p.index == 1 ? std::string("PlainImages") : std::string("SixteenBits");
    });

TEST_F(X11Test, TheWindowAsksForNoDecorationAFixedSizeAndToStayOnTop)
{
    TForm* form = MakeForm(Bounds(50, 60, 300, 200), clWhite);
    form->SetCaption(Utf8ToActive("パッコでパンチ！"));
    form->Show();
    ASSERT_TRUE(WaitPresented(form));
    unsigned long w = XWindow(form);

    auto motif = Observer->Property32(w, "_MOTIF_WM_HINTS");
    ASSERT_TRUE(motif && motif->size() == 5);
    EXPECT_TRUE((*motif)[0] & 2) << "decorations flag";
    EXPECT_EQ((*motif)[2], 0) << "decorations";
    auto hints = Observer->NormalHints(w);
    ASSERT_TRUE(hints);
    constexpr long USPosition = 1, PMinSize = 16, PMaxSize = 32;
    EXPECT_EQ(hints->Flags & (USPosition | PMinSize | PMaxSize), USPosition | PMinSize | PMaxSize);
    EXPECT_EQ(std::vector<int>({ hints->MinWidth, hints->MinHeight, hints->MaxWidth, hints->MaxHeight }), std::vector<int>({ 300, 200, 300, 200 }));
    auto state = Observer->Property32(w, "_NET_WM_STATE");
    ASSERT_TRUE(state);
    EXPECT_NE(std::find(state->begin(), state->end(), static_cast<long>(Observer->Atom("_NET_WM_STATE_ABOVE"))), state->end());
    EXPECT_EQ(Observer->Property32(w, "_NET_WM_WINDOW_TYPE"), std::vector<long> { static_cast<long>(Observer->Atom("_NET_WM_WINDOW_TYPE_UTILITY")) });
    auto protocols = Observer->Property32(w, "WM_PROTOCOLS");
    ASSERT_TRUE(protocols);
    EXPECT_NE(std::find(protocols->begin(), protocols->end(), static_cast<long>(Observer->Atom("WM_DELETE_WINDOW"))), protocols->end());
    std::string type;
    EXPECT_EQ(Observer->PropertyBytes(w, "_NET_WM_NAME", &type), std::string("パッコでパンチ！"));
    EXPECT_EQ(type, "UTF8_STRING");

    // Caption and size follow the window system's changes.
    form->SetCaption("Stamp");
    form->SetClientWidth(150);
    EXPECT_TRUE(RunUntil([&] { return Observer->PropertyBytes(w, "_NET_WM_NAME") == std::string("Stamp"); }));
    EXPECT_TRUE(RunUntil([&] { return Observer->Geometry(w) == form->BoundsRect(); }));
    hints = Observer->NormalHints(w);
    ASSERT_TRUE(hints);
    EXPECT_EQ(std::vector<int>({ hints->MinWidth, hints->MaxWidth }), std::vector<int>({ form->Width(), form->Width() }));
}

TEST_F(X11Test, APointerClickReachesTheControlUnderIt)
{
    TForm* form = MakeForm(Bounds(300, 200, 300, 200), clWhite);
    auto* box = new TBox(form, clBlue);
    box->SetParent(form);
    box->SetBounds(40, 30, 100, 60);
    int clicks = 0, formClicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    form->OnClick = [&](TObject*) { ++formClicks; };
    form->Show();
    ASSERT_TRUE(WaitPresented(form));

    TPoint onBox = ClientToScreen(box->Handle(), { 50, 30 });
    Observer->Click(onBox);
    EXPECT_TRUE(RunUntil([&] { return clicks == 1; }));
    EXPECT_EQ(GetCursorPos(), onBox);
    EXPECT_EQ(GetCapture(), 0u) << "capture ends with the release";

    TPoint beside = ClientToScreen(form->Handle(), { 200, 150 });
    Observer->Click(beside);
    EXPECT_TRUE(RunUntil([&] { return formClicks == 1; }));
    EXPECT_EQ(clicks, 1);
}

TEST_F(X11Test, ARequestOnAWindowSomeoneElseDestroyedIsIgnored)
{
    TForm* form = MakeForm(Bounds(300, 200, 300, 200), clWhite);
    form->Show();
    ASSERT_TRUE(WaitPresented(form));
    Observer->DestroyWindow(XWindow(form));
    // The driver has not heard of it yet: its next requests fail on the server.
    form->SetBounds(310, 210, 300, 200);
    form->Invalidate();
    form->Update();
    Driver->Flush();
    EXPECT_GT(Driver->ErrorCount(), 0);
    // Shown again, the form gets a new window.
    form->Hide();
    RunUntil([] { return false; }, 100);
    form->Show();
    EXPECT_TRUE(WaitPresented(form));
    EXPECT_EQ(Observer->Geometry(XWindow(form)), form->BoundsRect());
}

// Each case closes the main form as a user would while Application->Run() runs.
class X11CloseTest : public X11Test, public ::testing::WithParamInterface<const char*> { };

TEST_P(X11CloseTest, ClosingTheMainFormEndsTheLoop)
{
    TForm* form = MakeForm(Bounds(300, 200, 300, 200), clWhite);
    bool acted = false, timedOut = false;
    auto* act = new TTimer(Application);
    act->SetInterval(20);
    act->SetOnTimer([&](TObject*) {
        if (acted || !Driver->Presented(form->Handle()))
            return;
        acted = true;
        if (std::string(GetParam()) == "CloseBox")
            Observer->Click({ form->Left() + form->Width() - ToolWindowBorder - 10, form->Top() + ToolWindowBorder + ToolWindowCaption / 2 });
        else
            Observer->SendDeleteWindow(XWindow(form));
    });
    auto* guard = new TTimer(Application);
    guard->SetInterval(5000);
    guard->SetOnTimer([&](TObject*) {
        timedOut = true;
        Application->Terminate();
    });
    Application->Run();
    EXPECT_TRUE(acted);
    EXPECT_FALSE(timedOut);
    std::vector<std::string> trace = TraceLines();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "close\t" + form->Name() + "\tuser"), trace.end());
}

INSTANTIATE_TEST_SUITE_P(Ways, X11CloseTest, ::testing::Values("CloseBox", "WindowManager"),
    [](const ::testing::TestParamInfo<const char*>& p) { return std::string(p.param); });

struct TKeyAnswer {
    const char* Key;
    int Result;
    friend std::ostream& operator<<(std::ostream& out, const TKeyAnswer& k) { return out << k.Key << " -> " << k.Result; }
};

// A confirmation box is a real window that takes the keyboard: Return gives the default answer,
// Escape the cancelling one.
class X11MessageBoxTest : public X11Test, public ::testing::WithParamInterface<TKeyAnswer> { };

TEST_P(X11MessageBoxTest, AConfirmationAnswersToTheKeyboard)
{
    TForm* form = MakeForm(Bounds(100, 100, 300, 200), clWhite);
    form->Show();
    ASSERT_TRUE(WaitPresented(form));
    int result = -1;
    bool typed = false, keyFound = false, gaveUp = false;
    TRect shownAt, platformAt;
    std::int64_t deadline = GetTickCount() + 5000;
    auto* typist = new TTimer(Application);
    typist->SetInterval(20);
    typist->SetOnTimer([&](TObject*) {
        HWND box = GetActiveWindow();
        if (typed || box == form->Handle() || box == 0)
            return;
        if (GetTickCount() > deadline) {
            typed = gaveUp = true;
            PostMessage(box, WM_CLOSE);
            return;
        }
        unsigned long xbox = Driver->XWindowOf(box);
        if (!Driver->Presented(box) || Observer->FocusWindow() != xbox)
            return;
        typed = true;
        shownAt = Observer->Geometry(xbox);
        platformAt = GetWindowRect(box);
        keyFound = Observer->Type(GetParam().Key);
    });
    auto* asker = new TTimer(Application);
    asker->SetInterval(20);
    asker->SetOnTimer([&](TObject*) {
        asker->SetEnabled(false);
        result = MessageDlg(Utf8ToActive("保存しますか？"), mtConfirmation, { mbYes, mbNo }, 0);
    });
    EXPECT_TRUE(RunUntil([&] { return result != -1; }, 10000));
    EXPECT_FALSE(gaveUp) << "the box never showed with the keyboard focus";
    EXPECT_TRUE(keyFound);
    EXPECT_EQ(result, GetParam().Result);
    EXPECT_EQ(shownAt, platformAt);
    EXPECT_EQ(shownAt.Left, (Observer->ScreenWidth() - shownAt.Width()) / 2) << "centred";
}

INSTANTIATE_TEST_SUITE_P(Keys, X11MessageBoxTest, ::testing::Values(TKeyAnswer { "Return", mrYes }, TKeyAnswer { "Escape", mrNo }),
    [](const ::testing::TestParamInfo<TKeyAnswer>& p) { return std::string(p.param.Key); });

TEST_F(X11Test, UnderAWindowManagerThatKeepsWindowsOnTheScreenThePlatformKeepsItsOwnPlace)
{
    ASSERT_TRUE(Observer->BecomeClampingWindowManager());
    TForm* form = MakeForm(Bounds(-150, 100, 300, 200), clWhite);
    auto* box = new TBox(form, clBlue);
    box->SetParent(form);
    box->SetBounds(10, 30, 100, 60);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    auto served = [&](const std::function<bool()>& done) {
        return RunUntil([&] {
            Observer->ServeWindowManager();
            return done();
        });
    };
    ASSERT_TRUE(served([&] { return Driver->Presented(form->Handle()); }));
    // The manager pulled the window onto the screen; the program still has it where it put it.
    EXPECT_EQ(Observer->Geometry(XWindow(form)).TopLeft(), TPoint(0, 100));
    EXPECT_EQ(form->Left(), -150);

    // A click where the control really shows reaches it.
    TPoint client = ClientOrigin(form->Handle());
    Observer->Click({ client.X + 10 + 50, 100 + client.Y + 30 + 30 });
    EXPECT_TRUE(served([&] { return clicks == 1; }));

    // Moves are still asked for; the manager decides.
    form->SetLeft(400);
    EXPECT_TRUE(served([&] { return Observer->Geometry(XWindow(form)).TopLeft() == TPoint(400, 100); }));
}
