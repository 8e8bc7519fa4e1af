#pragma once
// The headless screen: a display kept in memory, for machines without one and for tests.
//
// Windows are composed by the window system (ComposeScreen); this driver keeps the clock, answers
// message boxes by its policy, writes screenshots and makes sure a run always ends.
// - Time is virtual by default: it moves only when nothing else is left to do, jumping to the next
//   due timer, so a run is deterministic and takes no wall time; time=real runs on the real clock.
// - A message box is printed to stderr when it opens and answered a quarter of a second (of its
//   clock) later, by pressing Return or Escape as a user would: OK for plain boxes; for a question,
//   the answer= key, else a question on the terminal when stdin is one, else No.
// - With shots=DIR, a PNG of the whole screen is written whenever a message box opens and when the
//   main window closes.
// - When nothing is queued, nothing needs painting and no timer runs, the main window is closed as
//   a user would close it (traced as "close NAME idle"); if even that leads nowhere, the loop quits.

#include "platform/ui/DisplayDriver.h"

#include <functional>
#include <vector>

struct THeadlessOptions {
    TPoint Screen { 1920, 1080 };
    enum TAnswer { anAsk, anYes, anNo } Answer = anAsk;
    bool VirtualTime = true;
    AnsiString ShotsDir;
};

class THeadlessDriver : public TDisplayDriver {
public:
    explicit THeadlessDriver(THeadlessOptions options);
    ~THeadlessDriver() override;

    const char* Name() const override { return "headless"; }
    TPoint ScreenSize() const override { return FOptions.Screen; }
    std::int64_t NowMs() override;
    bool VirtualTime() const override { return FOptions.VirtualTime; }
    void AdvanceTo(std::int64_t ms) override;
    void WaitForInput(std::int64_t timeoutMs) override;
    std::optional<std::int64_t> NextScheduledEvent() override;
    bool OnNothingToDo() override;
    bool ReceivesInput() const override { return false; }
    void MainWindowCreated(HWND hwnd) override { FMainWindow = hwnd; }
    void MessageBoxOpened(const TMessageBoxInfo& info) override;
    void MessageBoxClosed(const TMessageBoxInfo& info, int answer) override;
    void MainWindowClosing(HWND hwnd) override;
    bool ShellOpen(const AnsiString& verb, const AnsiString& target, const AnsiString& parameters,
        const AnsiString& directory, int showCommand) override;

    // Runs fn at the given time of the driver's clock (tests and the answer policy use it).
    void Schedule(std::int64_t at, std::function<void()> fn);
    // Writes a PNG of the whole screen; returns its path, or "" when no folder is set.
    AnsiString Screenshot(const AnsiString& label);
    const THeadlessOptions& Options() const { return FOptions; }
    void SetAnswer(THeadlessOptions::TAnswer answer) { FOptions.Answer = answer; }

private:
    void RunDue();

    THeadlessOptions FOptions;
    std::int64_t FVirtualNow = 0;
    std::int64_t FRealStart = 0;
    struct TScheduled {
        std::int64_t At;
        std::function<void()> Fn;
    };
    std::vector<TScheduled> FScheduled;
    HWND FMainWindow = 0;
    bool FIdleCloseSent = false;
    int FShotCount = 0;
};
