#pragma once
// The window system: the stand-in for the system's window manager and message queue.
//
// Windows. Every window has a handle (HWND, never reused while the program runs), a window
// procedure, its bounds (outer rectangle; screen coordinates for a top-level window, parent
// client coordinates for a child), visibility, enabled state, an optional window region (window
// coordinates; it clips what the window shows and where it can be hit), an update region, and its
// own retained pixels (32 bits, the window's outer size). A top-level window may have a frame
// (tool window: 3 px border, 19 px caption with the caption text and a close box) that the window
// system draws itself; the client area starts inside it. Children are kept in creation order,
// later children above earlier ones.
//
// What a window shows is composed: its own pixels, then each visible child window through its
// bounds and region, recursively; the screen shows the desktop, then the visible top-level windows
// bottom to top (stay-on-top windows above all others), each through its region. Reading from a
// window's device context sees that composition, so a copy of a window's client area is what the
// user sees there, whatever lies above the window on the screen.
//
// The queue. Posted messages and input are one FIFO. GetMessage takes, in this order: the first
// posted or input message; else a WM_PAINT for the first window (creation order) with a non-empty
// update region; else a WM_TIMER for the timer that is due first (a timer is due again only after
// its message was taken, so at most one is pending per timer). When nothing is there it waits
// through the display driver (a driver with virtual time jumps to the next due timer instead).
// Messages for windows that were destroyed are dropped.

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Region.h"
#include "platform/ui/DisplayDriver.h"
#include "platform/ui/Messages.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using TWndProc = std::function<void(TMessage&)>;

struct TWindowCreateParams {
    HWND Parent = 0; // 0: a top-level window
    HWND Owner = 0; // a top-level window's owner (dialogs)
    TRect Bounds; // outer rectangle
    TWindowFrame Frame = wfNone;
    bool StayOnTop = false;
    bool DoubleClicks = false; // the window receives double-click messages
    bool Visible = false;
    bool Enabled = true;
    AnsiString Caption;
    AnsiString Name; // the component's name, for the trace
    TWndProc Proc;
    // Told the new handle before the window's first message (WM_CREATE, WM_SIZE) is sent.
    std::function<void(HWND)> HandleAssigned;
};

// Frame metrics of a tool window.
constexpr int ToolWindowBorder = 3;
constexpr int ToolWindowCaption = 19;
// Minimum outer size of a window with a caption.
constexpr int MinCaptionedWidth = 112;
constexpr int MinCaptionedHeight = 27;

HWND CreateWindowEx(const TWindowCreateParams& params);
void DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
void SetWindowProc(HWND hwnd, TWndProc proc);

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Looks for a message for hwnd (0: any window) with a number in [first, last] (0, 0: any).
bool PeekMessage(TMsg& msg, HWND hwnd, UINT first, UINT last, UINT removeFlags);
// Takes the next message, waiting when there is none; false when WM_QUIT was taken.
bool GetMessage(TMsg& msg);
// Waits until a message could be taken (input, a due timer, a pending paint).
void WaitMessage();
void DispatchMessage(const TMsg& msg);
void PostQuitMessage(int exitCode);
bool QuitRequested(int* exitCode = nullptr);

// Geometry.
void SetWindowPos(HWND hwnd, const TRect& bounds);
TRect GetWindowBounds(HWND hwnd); // as given: screen or parent client coordinates
TRect GetWindowRect(HWND hwnd); // screen coordinates
TRect GetClientRect(HWND hwnd); // (0, 0, client width, client height)
TPoint ClientOrigin(HWND hwnd); // client top-left inside the window's own pixels
TPoint ClientToScreen(HWND hwnd, TPoint p);
TPoint ScreenToClient(HWND hwnd, TPoint p);
TWindowFrame GetWindowFrame(HWND hwnd);
// The outer size a frame needs around a client size.
TPoint FrameSizeFor(TWindowFrame frame, int clientWidth, int clientHeight);

void ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd); // this window and all its parents visible
void EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);
void SetWindowText(HWND hwnd, const AnsiString& text);
void SetStayOnTop(HWND hwnd, bool onTop);
void BringWindowToTop(HWND hwnd);

// Regions: SetWindowRgn takes the region (none removes it) and redraws when asked;
// GetWindowRgn gives a copy, or none.
void SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw);
std::optional<TRegion> GetWindowRgn(HWND hwnd);

// Painting. Invalidating only adds to the update region (client coordinates; null: the whole
// client area); UpdateWindow paints the window's pending update region now (and its children's).
void InvalidateRect(HWND hwnd, const TRect* rect);
void InvalidateRgn(HWND hwnd, const TRegion& region);
void ValidateRect(HWND hwnd, const TRect* rect);
bool GetUpdateRect(HWND hwnd, TRect& rect);
void UpdateWindow(HWND hwnd);

struct TPaintStruct {
    std::unique_ptr<TDeviceContext> DC;
    TRect Paint; // client coordinates
};
// Begins a paint: a client device context clipped to the update region's box, which is validated.
TPaintStruct BeginPaint(HWND hwnd);
void EndPaint(HWND hwnd, TPaintStruct& ps);
// A device context on the client area (drawing writes the window's own pixels; reading sees the
// composed window). It must not outlive the window.
std::unique_ptr<TDeviceContext> GetDC(HWND hwnd);
// The composed pixels of a window (outer size), children included.
const TDibImage& ComposeWindow(HWND hwnd);
// The composed screen.
TDibImage ComposeScreen();
// The window's own pixels (outer size).
TDibImage& WindowSurface(HWND hwnd);

// Timers (message timers of a window). SetTimer returns the id, or 0 when no timer can be had.
UINT SetTimer(HWND hwnd, UINT id, UINT elapseMs);
bool KillTimer(HWND hwnd, UINT id);
bool AnyTimerRunning();
// Limits how many timers can be had at once (tests make SetTimer fail with it).
void SetTimerLimitForTesting(int limit);

// Pointer and keyboard.
HWND SetCapture(HWND hwnd); // returns the previous capture window
void ReleaseCapture();
HWND GetCapture();
TPoint GetCursorPos();
short GetKeyState(int vk); // high bit set while the key or button is down
HWND WindowFromPoint(TPoint screen); // the deepest visible window there, regions respected
HWND ChildWindowFromPoint(HWND parent, TPoint client); // the visible direct child there, or parent
HWND GetFocus();
void SetFocus(HWND hwnd);
HWND GetActiveWindow();
void MessageBeep(UINT type);

// Input as a pointer and a keyboard produce it (drivers and the test input API use these).
enum TMouseButtonId { mbiLeft, mbiRight, mbiMiddle };
void InjectMouseMove(TPoint screen);
void InjectMouseButton(TMouseButtonId button, bool down, TPoint screen);
void InjectKey(int vk, bool down);
void InjectChar(unsigned code);
// The time between two presses that makes a double click, and the distance allowed.
constexpr int DoubleClickTimeMs = 500;
constexpr int DoubleClickDistance = 4;

// The window system's own clock, in milliseconds (the driver's).
std::int64_t GetTickCount();
// Forgets every window, message and timer (tests start from a clean state).
void ResetWindowSystem();
