#include "platform/display/headless/HeadlessDriver.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/PngWriter.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr std::int64_t AnswerDelayMs = 250;

} // namespace

THeadlessDriver::THeadlessDriver(THeadlessOptions options)
    : FOptions(std::move(options))
    , FRealStart(SteadyMs())
{
}

THeadlessDriver::~THeadlessDriver() = default;

std::int64_t THeadlessDriver::NowMs()
{
    return FOptions.VirtualTime ? FVirtualNow : SteadyMs() - FRealStart;
}

void THeadlessDriver::AdvanceTo(std::int64_t ms)
{
    if (FOptions.VirtualTime)
        FVirtualNow = std::max(FVirtualNow, ms);
}

void THeadlessDriver::Schedule(std::int64_t at, std::function<void()> fn)
{
    FScheduled.push_back({ at, std::move(fn) });
}

std::optional<std::int64_t> THeadlessDriver::NextScheduledEvent()
{
    std::optional<std::int64_t> next;
    for (const TScheduled& s : FScheduled)
        if (!next || s.At < *next)
            next = s.At;
    return next;
}

void THeadlessDriver::RunDue()
{
    std::int64_t now = NowMs();
    // A scheduled action may schedule more; take the due ones out first.
    std::vector<TScheduled> due;
    for (auto it = FScheduled.begin(); it != FScheduled.end();) {
        if (it->At <= now) {
            due.push_back(std::move(*it));
            it = FScheduled.erase(it);
        } else {
            ++it;
        }
    }
    std::stable_sort(due.begin(), due.end(), [](const TScheduled& a, const TScheduled& b) { return a.At < b.At; });
    for (TScheduled& s : due)
        s.Fn();
}

void THeadlessDriver::WaitForInput(std::int64_t timeoutMs)
{
    if (!FOptions.VirtualTime && timeoutMs > 0) {
        std::int64_t wait = timeoutMs;
        if (auto next = NextScheduledEvent())
            wait = std::min(wait, std::max<std::int64_t>(0, *next - NowMs()));
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
    RunDue();
}

bool THeadlessDriver::OnNothingToDo()
{
    if (!FScheduled.empty()) {
        // Something is still to come (an answer): let time reach it.
        if (auto next = NextScheduledEvent())
            AdvanceTo(*next);
        RunDue();
        return true;
    }
    if (FMainWindow && IsWindow(FMainWindow) && !FIdleCloseSent) {
        FIdleCloseSent = true;
        PostMessage(FMainWindow, WM_CLOSE, CloseByIdle, 0);
        return true;
    }
    return false;
}

void THeadlessDriver::MessageBoxOpened(const TMessageBoxInfo& info)
{
    std::cerr << "[" << ActiveToUtf8(info.Caption) << "] " << ActiveToUtf8(info.Text) << std::endl;
    Screenshot("msgbox");
    bool question = (info.Type & 0x0F) == MB_YESNO || (info.Type & 0x0F) == MB_YESNOCANCEL;
    int key = VK_RETURN;
    if (question) {
        THeadlessOptions::TAnswer answer = FOptions.Answer;
        if (answer == THeadlessOptions::anAsk) {
            answer = THeadlessOptions::anNo;
            if (isatty(STDIN_FILENO)) {
                std::cerr << "(y/n) " << std::flush;
                std::string line;
                if (std::getline(std::cin, line) && !line.empty() && (line[0] == 'y' || line[0] == 'Y'))
                    answer = THeadlessOptions::anYes;
            }
        }
        key = answer == THeadlessOptions::anYes ? VK_RETURN : VK_ESCAPE;
    }
    Schedule(NowMs() + AnswerDelayMs, [key] {
        InjectKey(key, true);
        InjectKey(key, false);
    });
}

void THeadlessDriver::MessageBoxClosed(const TMessageBoxInfo&, int answer)
{
    const char* name = answer == IDOK ? "OK" : answer == IDYES ? "YES" : answer == IDNO ? "NO" : "CANCEL";
    std::cerr << "  -> " << name << std::endl;
}

void THeadlessDriver::MainWindowClosing(HWND)
{
    Screenshot("close");
}

bool THeadlessDriver::ShellOpen(const AnsiString& verb, const AnsiString& target, const AnsiString&, const AnsiString&, int)
{
    // Nothing is started from the headless screen: there is nobody to see a browser.
    std::cerr << "[" << ActiveToUtf8(verb) << "] " << ActiveToUtf8(target) << std::endl;
    return true;
}

AnsiString THeadlessDriver::Screenshot(const AnsiString& label)
{
    if (FOptions.ShotsDir.empty())
        return {};
    char name[64];
    std::snprintf(name, sizeof name, "%03d-%s.png", ++FShotCount, label.c_str());
    AnsiString path = FOptions.ShotsDir + "/" + name;
    if (!WritePng(ComposeScreen(), path))
        return {};
    return path;
}
