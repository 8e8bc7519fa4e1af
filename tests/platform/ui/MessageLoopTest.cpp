#include "UiFixture.h"

#include "platform/base/CodePage.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace {

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

HWND RecordingWindow(std::vector<UINT>& seen)
{
    TWindowCreateParams p;
    p.Bounds = { 0, 0, 50, 50 };
    p.Visible = true;
    p.Proc = [&seen](TMessage& m) {
        if (m.Msg == WM_USER || m.Msg == WM_PAINT || m.Msg == WM_TIMER)
            seen.push_back(m.Msg);
    };
    return CreateWindowEx(p);
}

} // namespace

TEST_F(UiTest, PostedComeBeforePaintAndPaintBeforeTimers)
{
    std::vector<UINT> seen;
    HWND h = RecordingWindow(seen);
    UpdateWindow(h);
    seen.clear();
    SetTimer(h, 1, 10);
    Driver->AdvanceTo(GetTickCount() + 100); // the timer is due already
    InvalidateRect(h, nullptr);
    PostMessage(h, WM_USER);
    TMsg m;
    for (int i = 0; i < 3 && GetMessage(m); ++i)
        DispatchMessage(m);
    EXPECT_EQ(seen, (std::vector<UINT> { WM_USER, WM_PAINT, WM_TIMER }));
}

TEST_F(UiTest, TimerGivesOneMessagePerDueTimeAndVirtualTimeJumps)
{
    std::vector<UINT> seen;
    HWND h = RecordingWindow(seen);
    UpdateWindow(h);
    seen.clear();
    SetTimer(h, 7, 20);
    std::int64_t start = GetTickCount();
    TMsg m;
    for (int i = 0; i < 5 && GetMessage(m); ++i)
        DispatchMessage(m);
    EXPECT_EQ(seen.size(), 5u);
    // Five ticks of 20 ms on virtual time: exactly 100 ms passed, no wall time needed.
    EXPECT_EQ(GetTickCount() - start, 100);
}

TEST_F(UiTest, BurstOfPostedRequestsIsCoalescedByPeeking)
{
    constexpr UINT Request = 0xBBAB;
    int computed = 0;
    TWindowCreateParams p;
    p.Bounds = { 0, 0, 10, 10 };
    p.Proc = [&](TMessage& msg) {
        if (msg.Msg != Request)
            return;
        TMsg waiting;
        // Only the last request of a burst does the work.
        if (PeekMessage(waiting, msg.WParam ? 0 : 0, Request, Request, PM_NOREMOVE))
            return;
        ++computed;
    };
    HWND h = CreateWindowEx(p);
    PostMessage(h, Request);
    PostMessage(h, Request);
    PostMessage(h, Request);
    Pump();
    EXPECT_EQ(computed, 1);
}

TEST_F(UiTest, NestedModalLoopKeepsDeliveringTicks)
{
    TTimer timer(Application);
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    int answer = ShowMessageBox("text", "caption", MB_OK);
    EXPECT_EQ(answer, IDOK);
    // The box stays open a quarter of a second of the headless clock: a dozen ticks.
    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(HasLine(TraceLines(), "msgbox\tcaption\ttext\tOK"));
}

TEST_F(UiTest, ExceptionInHandlerReachesErrorBoxAndLoopGoesOn)
{
    Application->SetTitle("Title");
    bool later = false;
    TWindowCreateParams p;
    p.Bounds = { 0, 0, 10, 10 };
    p.Proc = [&](TMessage& m) {
        if (m.Msg == WM_USER)
            throw Exception("boom");
        if (m.Msg == WM_USER + 1)
            later = true;
    };
    HWND h = CreateWindowEx(p);
    PostMessage(h, WM_USER);
    PostMessage(h, WM_USER + 1);
    for (int i = 0; i < 200 && !later; ++i)
        Application->HandleMessage();
    EXPECT_TRUE(later);
    EXPECT_TRUE(Application->ErrorShown());
    EXPECT_EQ(Application->ExitCode(), 1);
    EXPECT_TRUE(HasLine(TraceLines(), "msgbox\tTitle\tboom\tOK"));
}

TEST_F(UiTest, TimerThatCannotBeHadRaisesItsText)
{
    SetTimerLimitForTesting(0);
    TTimer timer(Application);
    try {
        timer.SetOnTimer([](TObject*) {});
        FAIL() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), Utf8ToActive("タイマーを取得できません"));
    }
    SetTimerLimitForTesting(4096);
}

TEST_F(UiTest, DialogsAnsweredByPolicyAndTraced)
{
    Application->SetTitle("App");
    EXPECT_EQ(MessageDlg("Open it?", mtConfirmation, { mbYes, mbNo }, 0), mrNo);
    Driver->SetAnswer(THeadlessOptions::anYes);
    EXPECT_EQ(MessageDlg("Open it?", mtConfirmation, { mbYes, mbNo }, 0), mrYes);
    auto lines = TraceLines();
    std::string caption = Utf8ToActive("確認");
    EXPECT_TRUE(HasLine(lines, "msgbox\t" + ActiveToUtf8(caption) + "\tOpen it?\tNO"));
    EXPECT_TRUE(HasLine(lines, "msgbox\t" + ActiveToUtf8(caption) + "\tOpen it?\tYES"));
    // Each box was photographed when it opened.
    int shots = 0;
    for (auto& e : std::filesystem::directory_iterator(Dir))
        shots += e.path().extension() == ".png";
    EXPECT_EQ(shots, 2);
}

TEST_F(UiTest, HeadlessLoopEndsWhenNothingIsLeftToHappen)
{
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetName("Lonely");
    Application->Run();
    EXPECT_TRUE(HasLine(TraceLines(), "close\tLonely\tidle"));
}

namespace {
class TFailingForm : public TForm {
public:
    explicit TFailingForm(TComponent* owner)
        : TForm(owner)
    {
        throw Exception("cannot build");
    }
};
}

TEST_F(UiTest, ExceptionEscapingFormCreationIsShownByTheEntryGuard)
{
    Application->SetTitle("App");
    TFailingForm* form = nullptr;
    try {
        Application->CreateForm(form);
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(Application->Finish(), 1);
    auto lines = TraceLines();
    EXPECT_TRUE(HasLine(lines, "msgbox\tApp\tcannot build\tOK"));
    EXPECT_EQ(lines.back(), "exit\t1");
}
