#pragma once
// TDisplayDriver: what the window system needs from a display, and the one interface both
// backends implement (the headless screen and X11). The window system keeps every window, its
// pixels, its region and the message queue itself; a driver only shows top-level windows, feeds
// pointer and keyboard input back through the window system's Inject* functions, keeps time and
// waits. One driver is installed at start-up (SetDisplayDriver) and lives until the program ends.

#include "platform/base/Strings.h"
#include "platform/graphics/Types.h"
#include "platform/ui/Messages.h"

#include <cstdint>
#include <memory>
#include <optional>

class TRegion;

enum TWindowFrame { wfNone, wfToolWindow, wfDialog };

// What a driver knows of a top-level window.
struct TTopLevelState {
    HWND Handle = 0;
    TRect Bounds; // outer rectangle in screen coordinates
    bool Visible = false;
    bool StayOnTop = false;
    bool Enabled = true;
    TWindowFrame Frame = wfNone;
    AnsiString Caption; // active code page
    AnsiString Name; // the component's name
    const TRegion* Region = nullptr; // window coordinates (outer top-left is 0, 0); null: none
    HWND Owner = 0; // a dialog's owner window
};

// A message box as the driver sees it while it is open.
struct TMessageBoxInfo {
    HWND Handle = 0;
    AnsiString Caption;
    AnsiString Text;
    UINT Type = 0; // MB_OK, MB_YESNO, ... with the icon bits
};

class TDisplayDriver {
public:
    virtual ~TDisplayDriver();

    virtual const char* Name() const = 0;
    virtual TPoint ScreenSize() const = 0;

    // Milliseconds of the driver's monotonic clock (virtual or real).
    virtual std::int64_t NowMs() = 0;
    // True when time only moves when the window system has nothing to do (then it jumps to the
    // next due timer through AdvanceTo).
    virtual bool VirtualTime() const = 0;
    virtual void AdvanceTo(std::int64_t) { }

    // Blocks for at most timeoutMs (-1: until something happens) waiting for input, which the driver
    // hands to the window system's Inject* functions before returning. Drivers with virtual time
    // never block.
    virtual void WaitForInput(std::int64_t timeoutMs) = 0;
    // The earliest time at which the driver wants to act by itself (answer a box, say), if any.
    virtual std::optional<std::int64_t> NextScheduledEvent() { return std::nullopt; }
    // Called when nothing is queued, nothing needs painting and no timer runs. Returns true when the
    // driver did something (posted a close, injected input); false means nothing will ever happen.
    virtual bool OnNothingToDo() { return false; }
    // False for a driver that never delivers input by itself (then waiting with nothing to do
    // would never end, and the loop is told to quit instead).
    virtual bool ReceivesInput() const { return true; }

    virtual void WindowChanged(const TTopLevelState&) { }
    virtual void WindowDestroyed(HWND) { }
    // The pixels of a top-level window changed; the driver reads them with ComposeWindow.
    virtual void WindowPixelsChanged(HWND) { }

    virtual void Beep(UINT) { }
    virtual void MessageBoxOpened(const TMessageBoxInfo&) { }
    virtual void MessageBoxClosed(const TMessageBoxInfo&, int) { }
    // The application's main window got its window.
    virtual void MainWindowCreated(HWND) { }
    // The main window is about to close (a last screenshot, say).
    virtual void MainWindowClosing(HWND) { }
    // Starts the system's handler for a location or file; returns false when it could not.
    virtual bool ShellOpen(const AnsiString& verb, const AnsiString& target, const AnsiString& parameters,
        const AnsiString& directory, int showCommand)
        = 0;
};

void SetDisplayDriver(std::unique_ptr<TDisplayDriver> driver);
// The installed driver; asserts that one is installed.
TDisplayDriver& DisplayDriver();
bool HasDisplayDriver();
