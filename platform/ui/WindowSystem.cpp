#include "platform/ui/WindowSystem.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/TextDraw.h"
#include "platform/ui/Trace.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>

namespace {

struct TWindow {
    HWND Handle = 0;
    HWND Parent = 0;
    HWND Owner = 0;
    TRect Bounds;
    TWindowFrame Frame = wfNone;
    bool StayOnTop = false;
    bool DoubleClicks = false;
    bool Visible = false;
    bool Enabled = true;
    AnsiString Caption;
    AnsiString Name;
    TWndProc Proc;
    std::optional<TRegion> Region;
    TRegion Update; // client coordinates
    TDibImage Surface; // own pixels, outer size
    TDibImage Composed;
    std::vector<HWND> Children; // creation order: later ones lie above
};

struct TTimerEntry {
    HWND Window = 0;
    UINT Id = 0;
    UINT Interval = 0;
    std::int64_t Due = 0;
};

struct TClickMemory {
    HWND Window = 0;
    TMouseButtonId Button = mbiLeft;
    std::int64_t Time = -1000000;
    TPoint Where;
};

struct TState {
    std::map<HWND, std::unique_ptr<TWindow>> Windows;
    HWND NextHandle = 1;
    std::vector<HWND> ZOrder; // top-level windows, bottom first
    std::deque<TMsg> Queue;
    std::vector<TTimerEntry> Timers;
    HWND Capture = 0;
    HWND Focus = 0;
    HWND Active = 0;
    HWND CloseBoxPressed = 0;
    TPoint Cursor;
    std::array<bool, 256> Keys {};
    bool Quit = false;
    int QuitCode = 0;
    TClickMemory LastClick;
};

TState& S()
{
    static TState state;
    return state;
}

TWindow* Find(HWND hwnd)
{
    auto& windows = S().Windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second.get();
}

TWindow& Get(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    assert(w && "not a window");
    return *w;
}

TPoint ClientOffset(const TWindow& w)
{
    if (w.Frame == wfNone)
        return { 0, 0 };
    return { ToolWindowBorder, ToolWindowBorder + ToolWindowCaption };
}

TRect ClientRectInSurface(const TWindow& w)
{
    TPoint o = ClientOffset(w);
    int cw = std::max(0, w.Bounds.Width() - (w.Frame == wfNone ? 0 : 2 * ToolWindowBorder));
    int ch = std::max(0, w.Bounds.Height() - (w.Frame == wfNone ? 0 : 2 * ToolWindowBorder + ToolWindowCaption));
    return Bounds(o.X, o.Y, cw, ch);
}

HWND TopLevelOf(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    while (w && w->Parent)
        w = Find(w->Parent);
    return w ? w->Handle : 0;
}

void NotifyPixels(HWND hwnd)
{
    if (!HasDisplayDriver())
        return;
    HWND top = TopLevelOf(hwnd);
    if (top)
        DisplayDriver().WindowPixelsChanged(top);
}

TTopLevelState StateOf(const TWindow& w)
{
    TTopLevelState s;
    s.Handle = w.Handle;
    s.Bounds = w.Bounds;
    s.Visible = w.Visible;
    s.StayOnTop = w.StayOnTop;
    s.Enabled = w.Enabled;
    s.Frame = w.Frame;
    s.Caption = w.Caption;
    s.Name = w.Name;
    s.Region = w.Region ? &*w.Region : nullptr;
    s.Owner = w.Owner;
    return s;
}

void NotifyTopLevel(const TWindow& w)
{
    if (w.Parent == 0 && HasDisplayDriver())
        DisplayDriver().WindowChanged(StateOf(w));
}

// Copies the pixels of src inside srcRect to dst at (dx, dy), clipped to dst.
void CopyPixels(TDibImage& dst, int dx, int dy, const TDibImage& src, TRect srcRect)
{
    srcRect.Intersect({ 0, 0, src.Width, src.Height });
    TRect d = Bounds(dx, dy, srcRect.Width(), srcRect.Height()).Intersected({ 0, 0, dst.Width, dst.Height });
    if (d.IsEmpty())
        return;
    int sx = srcRect.Left + (d.Left - dx);
    int sy = srcRect.Top + (d.Top - dy);
    for (int y = 0; y < d.Height(); ++y)
        std::memcpy(dst.Row(d.Top + y) + static_cast<size_t>(d.Left) * 4, src.Row(sy + y) + static_cast<size_t>(sx) * 4,
            static_cast<size_t>(d.Width()) * 4);
}

// Copies src (a window's composed pixels) onto dst with the window's top-left at (x, y), through
// its region when it has one, limited to clip (dst coordinates).
void BlitThroughRegion(TDibImage& dst, int x, int y, const TDibImage& src, const std::optional<TRegion>& region, const TRect& clip)
{
    TRect whole { 0, 0, src.Width, src.Height };
    auto copyPart = [&](TRect part) {
        part.Intersect(whole);
        TRect onDst = part.Offsetted(x, y).Intersected(clip);
        if (onDst.IsEmpty())
            return;
        CopyPixels(dst, onDst.Left, onDst.Top, src, onDst.Offsetted(-x, -y));
    };
    if (!region) {
        copyPart(whole);
        return;
    }
    for (const TRect& r : region->Rects())
        copyPart(r);
}

void FillSurface(TDibImage& img, const TRect& r, std::uint32_t word)
{
    TRect c = r.Intersected({ 0, 0, img.Width, img.Height });
    for (int y = c.Top; y < c.Bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(img.Row(y));
        std::fill(row + c.Left, row + c.Right, word);
    }
}

TRect CloseBoxRect(const TWindow& w)
{
    // A small square button at the right end of the caption bar, in window coordinates.
    int size = ToolWindowCaption - 4;
    int right = w.Bounds.Width() - ToolWindowBorder - 2;
    int top = ToolWindowBorder + 2;
    return { right - size - 1, top, right, top + size - 1 };
}

// Draws the frame of a tool window: border, caption bar with its text, close box.
void DrawFrame(TWindow& w)
{
    if (w.Frame == wfNone || w.Surface.Empty())
        return;
    TDibImage& s = w.Surface;
    int W = s.Width, H = s.Height;
    std::uint32_t face = ColorToPixelWord(ColorToRGB(clBtnFace));
    std::uint32_t light = ColorToPixelWord(ColorToRGB(clBtnHighlight));
    std::uint32_t shadow = ColorToPixelWord(ColorToRGB(clBtnShadow));
    std::uint32_t dark = ColorToPixelWord(ColorToRGB(cl3DDkShadow));
    TRect client = ClientRectInSurface(w);
    // Border: everything outside the client area that is not caption.
    FillSurface(s, { 0, 0, W, client.Top }, face);
    FillSurface(s, { 0, client.Bottom, W, H }, face);
    FillSurface(s, { 0, client.Top, client.Left, client.Bottom }, face);
    FillSurface(s, { client.Right, client.Top, W, client.Bottom }, face);
    FillSurface(s, { 0, 0, W, 1 }, ColorToPixelWord(ColorToRGB(cl3DLight)));
    FillSurface(s, { 0, 0, 1, H }, ColorToPixelWord(ColorToRGB(cl3DLight)));
    FillSurface(s, { 1, 1, W - 1, 2 }, light);
    FillSurface(s, { 1, 1, 2, H - 1 }, light);
    FillSurface(s, { 0, H - 1, W, H }, dark);
    FillSurface(s, { W - 1, 0, W, H }, dark);
    FillSurface(s, { 1, H - 2, W - 1, H - 1 }, shadow);
    FillSurface(s, { W - 2, 1, W - 1, H - 1 }, shadow);
    // Caption bar.
    TRect bar { ToolWindowBorder, ToolWindowBorder, W - ToolWindowBorder, ToolWindowBorder + ToolWindowCaption - 1 };
    FillSurface(s, bar, ColorToPixelWord(ColorToRGB(w.Enabled ? clActiveCaption : clInactiveCaption)));
    TDeviceContext dc(&s);
    dc.ClipRect = bar;
    dc.BkMode = bkTransparent;
    TFontSpec font;
    font.Name = Utf8ToActive("ＭＳ Ｐゴシック");
    font.Height = -12;
    font.Style = { fsBold };
    TTextMetrics tm = GetTextMetrics(font);
    TextOutDC(dc, font, ColorToRGB(clCaptionText), bar.Left + 2, bar.Top + (bar.Height() - tm.Height) / 2, w.Caption);
    // Close box: a raised button with a cross.
    TRect box = CloseBoxRect(w);
    FillSurface(s, box, face);
    FillSurface(s, { box.Left, box.Top, box.Right, box.Top + 1 }, light);
    FillSurface(s, { box.Left, box.Top, box.Left + 1, box.Bottom }, light);
    FillSurface(s, { box.Left, box.Bottom - 1, box.Right, box.Bottom }, dark);
    FillSurface(s, { box.Right - 1, box.Top, box.Right, box.Bottom }, dark);
    std::uint32_t ink = ColorToPixelWord(ColorToRGB(clBtnText));
    int n = std::min(box.Width(), box.Height()) - 8;
    for (int i = 0; i < n; ++i) {
        int cx = box.Left + 4 + i, cy1 = box.Top + 4 + i, cy2 = box.Top + 4 + n - 1 - i;
        FillSurface(s, { cx, cy1, cx + 2, cy1 + 1 }, ink);
        FillSurface(s, { cx, cy2, cx + 2, cy2 + 1 }, ink);
    }
}

void ResizeSurface(TWindow& w)
{
    int width = std::max(0, w.Bounds.Width());
    int height = std::max(0, w.Bounds.Height());
    if (w.Surface.Width == width && w.Surface.Height == height && !w.Surface.Bits.empty())
        return;
    TDibImage fresh;
    if (TDibImage::SizeAcceptable(width, height)) {
        fresh.Allocate(width, height, 32);
        // A window nobody has painted yet shows the window colour.
        FillSurface(fresh, { 0, 0, width, height }, ColorToPixelWord(ColorToRGB(clWindow)));
        if (!w.Surface.Empty())
            CopyPixels(fresh, 0, 0, w.Surface, { 0, 0, w.Surface.Width, w.Surface.Height });
    } else {
        fresh.BitsPerPixel = 32;
    }
    w.Surface = std::move(fresh);
    DrawFrame(w);
}

void SendTo(HWND hwnd, TMessage& m)
{
    TWindow* w = Find(hwnd);
    if (!w || !w->Proc)
        return;
    // The procedure may destroy the window; keep a copy of the callable alive for the call.
    TWndProc proc = w->Proc;
    proc(m);
}

void RaiseTopLevel(HWND hwnd)
{
    auto& z = S().ZOrder;
    auto it = std::find(z.begin(), z.end(), hwnd);
    if (it != z.end())
        z.erase(it);
    z.push_back(hwnd);
}

// Top-level windows from the topmost down: stay-on-top ones first.
std::vector<HWND> TopLevelsTopDown()
{
    std::vector<HWND> out;
    const auto& z = S().ZOrder;
    for (int pass = 0; pass < 2; ++pass)
        for (auto it = z.rbegin(); it != z.rend(); ++it) {
            TWindow* w = Find(*it);
            if (w && w->StayOnTop == (pass == 0))
                out.push_back(*it);
        }
    return out;
}

bool HitsWindow(const TWindow& w, TPoint inParent)
{
    if (!w.Visible || !w.Bounds.Contains(inParent))
        return false;
    if (w.Region)
        return w.Region->Contains(inParent - w.Bounds.TopLeft());
    return true;
}

// The deepest window under a point given in hwnd's client coordinates.
HWND DeepestChild(HWND hwnd, TPoint client, bool enabledOnly)
{
    TWindow& w = Get(hwnd);
    for (auto it = w.Children.rbegin(); it != w.Children.rend(); ++it) {
        TWindow* c = Find(*it);
        if (!c || !HitsWindow(*c, client))
            continue;
        if (enabledOnly && !c->Enabled)
            return hwnd; // input over a disabled child goes to its parent
        TPoint inChild = client - c->Bounds.TopLeft() - ClientOffset(*c);
        return DeepestChild(c->Handle, inChild, enabledOnly);
    }
    return hwnd;
}

HWND WindowAt(TPoint screen, bool enabledOnly)
{
    for (HWND top : TopLevelsTopDown()) {
        TWindow& w = Get(top);
        if (!HitsWindow(w, screen))
            continue;
        TPoint client = screen - w.Bounds.TopLeft() - ClientOffset(w);
        if (!ClientRectInSurface(w).Contains(screen - w.Bounds.TopLeft()))
            return top; // the frame
        return DeepestChild(top, client, enabledOnly);
    }
    return 0;
}

WPARAM MouseKeyFlags()
{
    const auto& k = S().Keys;
    WPARAM f = 0;
    if (k[VK_LBUTTON])
        f |= MK_LBUTTON;
    if (k[VK_RBUTTON])
        f |= MK_RBUTTON;
    if (k[VK_MBUTTON])
        f |= MK_MBUTTON;
    if (k[VK_SHIFT])
        f |= MK_SHIFT;
    if (k[VK_CONTROL])
        f |= MK_CONTROL;
    return f;
}

std::int64_t Now()
{
    if (HasDisplayDriver())
        return DisplayDriver().NowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool InRange(UINT msg, UINT first, UINT last)
{
    return (first == 0 && last == 0) || (msg >= first && msg <= last);
}

bool PaintPending(HWND filter, HWND* which)
{
    for (auto& [h, w] : S().Windows) {
        if (filter && h != filter)
            continue;
        if (!w->Update.IsEmpty() && IsWindowVisible(h)) {
            if (which)
                *which = h;
            return true;
        }
    }
    return false;
}

TTimerEntry* DueTimer(HWND filter, std::int64_t now)
{
    TTimerEntry* best = nullptr;
    for (TTimerEntry& t : S().Timers) {
        if (filter && t.Window != filter)
            continue;
        if (t.Due <= now && (!best || t.Due < best->Due))
            best = &t;
    }
    return best;
}

std::optional<std::int64_t> NextTimerDue()
{
    std::optional<std::int64_t> next;
    for (const TTimerEntry& t : S().Timers)
        if (!next || t.Due < *next)
            next = t.Due;
    return next;
}

void EmitRegionTrace(const TWindow& w)
{
    if (!TraceEnabled())
        return;
    TRect b = w.Region ? w.Region->BoundingBox() : TRect {};
    int count = w.Region ? w.Region->RectCount() : 0;
    TraceLine({ "region", w.Name, IntToStr(count), IntToStr(b.Left), IntToStr(b.Top), IntToStr(b.Right), IntToStr(b.Bottom) });
}

void DestroyTree(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    TMessage m { WM_DESTROY, 0, 0, 0 };
    SendTo(hwnd, m);
    w = Find(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->Children;
    for (HWND c : children)
        DestroyTree(c);
    w = Find(hwnd);
    if (!w)
        return;
    TState& s = S();
    if (w->Parent) {
        if (TWindow* p = Find(w->Parent)) {
            auto& pc = p->Children;
            pc.erase(std::remove(pc.begin(), pc.end(), hwnd), pc.end());
        }
    } else {
        s.ZOrder.erase(std::remove(s.ZOrder.begin(), s.ZOrder.end(), hwnd), s.ZOrder.end());
    }
    s.Timers.erase(std::remove_if(s.Timers.begin(), s.Timers.end(), [hwnd](const TTimerEntry& t) { return t.Window == hwnd; }), s.Timers.end());
    if (s.Capture == hwnd)
        s.Capture = 0;
    if (s.Focus == hwnd)
        s.Focus = 0;
    if (s.Active == hwnd)
        s.Active = 0;
    if (s.CloseBoxPressed == hwnd)
        s.CloseBoxPressed = 0;
    bool topLevel = w->Parent == 0;
    s.Windows.erase(hwnd);
    if (topLevel && HasDisplayDriver())
        DisplayDriver().WindowDestroyed(hwnd);
}

void PostInput(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    S().Queue.push_back({ hwnd, msg, wp, lp, Now() });
}

} // namespace

HWND CreateWindowEx(const TWindowCreateParams& params)
{
    TState& s = S();
    if (params.Parent && !Find(params.Parent))
        return 0;
    auto w = std::make_unique<TWindow>();
    w->Handle = s.NextHandle++;
    w->Parent = params.Parent;
    w->Owner = params.Owner;
    w->Bounds = params.Bounds;
    w->Frame = params.Parent ? wfNone : params.Frame;
    w->StayOnTop = params.StayOnTop;
    w->DoubleClicks = params.DoubleClicks;
    w->Visible = params.Visible;
    w->Enabled = params.Enabled;
    w->Caption = params.Caption;
    w->Name = params.Name;
    w->Proc = params.Proc;
    HWND h = w->Handle;
    TWindow& ref = *w;
    s.Windows.emplace(h, std::move(w));
    if (ref.Frame != wfNone) {
        ref.Bounds.Right = ref.Bounds.Left + std::max(ref.Bounds.Width(), MinCaptionedWidth);
        ref.Bounds.Bottom = ref.Bounds.Top + std::max(ref.Bounds.Height(), MinCaptionedHeight);
    }
    ResizeSurface(ref);
    if (ref.Parent)
        Get(ref.Parent).Children.push_back(h);
    else
        s.ZOrder.push_back(h);
    ref.Update = TRegion(GetClientRect(h));
    if (params.HandleAssigned)
        params.HandleAssigned(h);
    TMessage m { WM_CREATE, 0, 0, 0 };
    SendTo(h, m);
    // As the system does, a new window is told its size and place right after it is created.
    if (Find(h)) {
        TRect cr = GetClientRect(h);
        SendMessage(h, WM_SIZE, 0, MakeLParam(cr.Width(), cr.Height()));
    }
    if (Find(h)) {
        TRect b = Get(h).Bounds;
        SendMessage(h, WM_MOVE, 0, MakeLParam(b.Left, b.Top));
    }
    if (TWindow* again = Find(h))
        NotifyTopLevel(*again);
    return h;
}

void DestroyWindow(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    HWND parent = w->Parent;
    TRect bounds = w->Bounds;
    bool wasVisible = w->Visible;
    DestroyTree(hwnd);
    if (parent && wasVisible && Find(parent)) {
        InvalidateRect(parent, &bounds);
        NotifyPixels(parent);
    }
}

bool IsWindow(HWND hwnd)
{
    return Find(hwnd) != nullptr;
}

HWND GetParent(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    return w ? w->Parent : 0;
}

void SetWindowProc(HWND hwnd, TWndProc proc)
{
    if (TWindow* w = Find(hwnd))
        w->Proc = std::move(proc);
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m { msg, wParam, lParam, 0 };
    SendTo(hwnd, m);
    return m.Result;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !Find(hwnd))
        return false;
    S().Queue.push_back({ hwnd, msg, wParam, lParam, Now() });
    return true;
}

bool PeekMessage(TMsg& msg, HWND hwnd, UINT first, UINT last, UINT removeFlags)
{
    TState& s = S();
    // Posted and input messages, oldest first; messages of windows that are gone are dropped.
    for (auto it = s.Queue.begin(); it != s.Queue.end();) {
        if (it->hwnd && !Find(it->hwnd)) {
            it = s.Queue.erase(it);
            continue;
        }
        if ((!hwnd || it->hwnd == hwnd) && InRange(it->message, first, last)) {
            msg = *it;
            if (removeFlags & PM_REMOVE)
                s.Queue.erase(it);
            return true;
        }
        ++it;
    }
    if (InRange(WM_PAINT, first, last)) {
        HWND which = 0;
        if (PaintPending(hwnd, &which)) {
            msg = { which, WM_PAINT, 0, 0, Now() };
            return true;
        }
    }
    if (InRange(WM_TIMER, first, last)) {
        std::int64_t now = Now();
        if (TTimerEntry* t = DueTimer(hwnd, now)) {
            msg = { t->Window, WM_TIMER, t->Id, 0, now };
            if (removeFlags & PM_REMOVE)
                t->Due = now + t->Interval;
            return true;
        }
    }
    return false;
}

void WaitMessage()
{
    TState& s = S();
    if (!HasDisplayDriver() || s.Quit)
        return;
    TDisplayDriver& d = DisplayDriver();
    TMsg probe;
    if (PeekMessage(probe, 0, 0, 0, PM_NOREMOVE))
        return;
    std::optional<std::int64_t> next = NextTimerDue();
    std::optional<std::int64_t> scheduled = d.NextScheduledEvent();
    if (scheduled && (!next || *scheduled < *next))
        next = scheduled;
    if (d.VirtualTime()) {
        if (next) {
            if (*next > d.NowMs())
                d.AdvanceTo(*next);
            d.WaitForInput(0);
            return;
        }
        if (!d.OnNothingToDo())
            PostQuitMessage(0);
        return;
    }
    if (!next) {
        if (d.OnNothingToDo())
            return;
        if (!d.ReceivesInput()) {
            PostQuitMessage(0);
            return;
        }
    }
    std::int64_t timeout = next ? std::max<std::int64_t>(0, *next - d.NowMs()) : -1;
    d.WaitForInput(timeout);
}

bool GetMessage(TMsg& msg)
{
    for (;;) {
        if (S().Quit) {
            msg = { 0, WM_QUIT, static_cast<WPARAM>(S().QuitCode), 0, Now() };
            return false;
        }
        if (PeekMessage(msg, 0, 0, 0, PM_REMOVE))
            return true;
        WaitMessage();
    }
}

void DispatchMessage(const TMsg& msg)
{
    if (!msg.hwnd)
        return;
    TMessage m { msg.message, msg.wParam, msg.lParam, 0 };
    SendTo(msg.hwnd, m);
    if (msg.message == WM_PAINT) {
        // A window procedure that does not validate its update region would be asked forever.
        if (TWindow* w = Find(msg.hwnd))
            w->Update = TRegion();
    }
}

void PostQuitMessage(int exitCode)
{
    S().Quit = true;
    S().QuitCode = exitCode;
}

bool QuitRequested(int* exitCode)
{
    if (exitCode)
        *exitCode = S().QuitCode;
    return S().Quit;
}

void SetWindowPos(HWND hwnd, const TRect& requested)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    TRect bounds = requested;
    if (w->Frame != wfNone) {
        bounds.Right = bounds.Left + std::max(bounds.Width(), MinCaptionedWidth);
        bounds.Bottom = bounds.Top + std::max(bounds.Height(), MinCaptionedHeight);
    }
    bounds.Right = std::max(bounds.Right, bounds.Left);
    bounds.Bottom = std::max(bounds.Bottom, bounds.Top);
    TRect old = w->Bounds;
    if (old == bounds)
        return;
    bool moved = old.TopLeft() != bounds.TopLeft();
    bool sized = old.Width() != bounds.Width() || old.Height() != bounds.Height();
    w->Bounds = bounds;
    if (sized) {
        ResizeSurface(*w);
        w->Update = TRegion(GetClientRect(hwnd));
    }
    NotifyTopLevel(*w);
    if (w->Parent && w->Visible) {
        if (TWindow* p = Find(w->Parent)) {
            (void)p;
            NotifyPixels(w->Parent);
        }
    }
    if (moved) {
        TPoint c = bounds.TopLeft();
        SendMessage(hwnd, WM_MOVE, 0, MakeLParam(c.X, c.Y));
    }
    if (sized && Find(hwnd)) {
        TRect cr = GetClientRect(hwnd);
        SendMessage(hwnd, WM_SIZE, 0, MakeLParam(cr.Width(), cr.Height()));
    }
}

TRect GetWindowBounds(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    return w ? w->Bounds : TRect {};
}

TRect GetWindowRect(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return {};
    if (!w->Parent)
        return w->Bounds;
    TPoint origin = ClientToScreen(w->Parent, w->Bounds.TopLeft());
    return Bounds(origin.X, origin.Y, w->Bounds.Width(), w->Bounds.Height());
}

TRect GetClientRect(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return {};
    TRect c = ClientRectInSurface(*w);
    return { 0, 0, c.Width(), c.Height() };
}

TPoint ClientOrigin(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    return w ? ClientOffset(*w) : TPoint {};
}

TPoint ClientToScreen(HWND hwnd, TPoint p)
{
    TWindow* w = Find(hwnd);
    while (w) {
        p = p + ClientOffset(*w) + w->Bounds.TopLeft();
        w = w->Parent ? Find(w->Parent) : nullptr;
    }
    return p;
}

TPoint ScreenToClient(HWND hwnd, TPoint p)
{
    TPoint zero = ClientToScreen(hwnd, { 0, 0 });
    return p - zero;
}

TWindowFrame GetWindowFrame(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    return w ? w->Frame : wfNone;
}

TPoint FrameSizeFor(TWindowFrame frame, int clientWidth, int clientHeight)
{
    if (frame == wfNone)
        return { clientWidth, clientHeight };
    return { clientWidth + 2 * ToolWindowBorder, clientHeight + 2 * ToolWindowBorder + ToolWindowCaption };
}

void ShowWindow(HWND hwnd, int command)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    bool show = command != SW_HIDE;
    if (show && w->Parent == 0 && command != SW_SHOWNA) {
        RaiseTopLevel(hwnd);
        S().Active = hwnd;
    }
    if (w->Visible == show) {
        NotifyTopLevel(*w);
        return;
    }
    w->Visible = show;
    if (show)
        w->Update = TRegion(GetClientRect(hwnd));
    else if (S().Capture && (S().Capture == hwnd || TopLevelOf(S().Capture) == hwnd))
        ReleaseCapture();
    NotifyTopLevel(*w);
    if (w->Parent)
        NotifyPixels(w->Parent);
    SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
}

bool IsWindowVisible(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    while (w) {
        if (!w->Visible)
            return false;
        w = w->Parent ? Find(w->Parent) : nullptr;
    }
    return hwnd != 0;
}

void EnableWindow(HWND hwnd, bool enable)
{
    TWindow* w = Find(hwnd);
    if (!w || w->Enabled == enable)
        return;
    w->Enabled = enable;
    if (!enable && S().Capture == hwnd)
        ReleaseCapture();
    if (w->Frame != wfNone)
        DrawFrame(*w);
    NotifyTopLevel(*w);
    SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
}

bool IsWindowEnabled(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    return w && w->Enabled;
}

void SetWindowText(HWND hwnd, const AnsiString& text)
{
    TWindow* w = Find(hwnd);
    if (!w || w->Caption == text)
        return;
    w->Caption = text;
    DrawFrame(*w);
    NotifyTopLevel(*w);
    NotifyPixels(hwnd);
}

void SetStayOnTop(HWND hwnd, bool onTop)
{
    TWindow* w = Find(hwnd);
    if (!w || w->StayOnTop == onTop)
        return;
    w->StayOnTop = onTop;
    NotifyTopLevel(*w);
}

void BringWindowToTop(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w || w->Parent)
        return;
    RaiseTopLevel(hwnd);
    NotifyTopLevel(*w);
}

void SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    w->Region = std::move(region);
    EmitRegionTrace(*w);
    NotifyTopLevel(*w);
    if (redraw) {
        InvalidateRect(hwnd, nullptr);
        NotifyPixels(hwnd);
    }
}

std::optional<TRegion> GetWindowRgn(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return std::nullopt;
    return w->Region;
}

void InvalidateRect(HWND hwnd, const TRect* rect)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    TRect client = GetClientRect(hwnd);
    TRect r = rect ? rect->Intersected(client) : client;
    if (!r.IsEmpty())
        w->Update.UnionRect(r);
}

void InvalidateRgn(HWND hwnd, const TRegion& region)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    w->Update.Union(region.Intersected(TRegion(GetClientRect(hwnd))));
}

void ValidateRect(HWND hwnd, const TRect* rect)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    if (!rect)
        w->Update = TRegion();
    else
        w->Update.Subtract(TRegion(*rect));
}

bool GetUpdateRect(HWND hwnd, TRect& rect)
{
    TWindow* w = Find(hwnd);
    if (!w || w->Update.IsEmpty()) {
        rect = {};
        return false;
    }
    rect = w->Update.BoundingBox();
    return true;
}

void UpdateWindow(HWND hwnd)
{
    TWindow* w = Find(hwnd);
    if (!w)
        return;
    if (!w->Update.IsEmpty() && IsWindowVisible(hwnd)) {
        TMsg m { hwnd, WM_PAINT, 0, 0, Now() };
        DispatchMessage(m);
    }
    w = Find(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->Children;
    for (HWND c : children)
        UpdateWindow(c);
}

std::unique_ptr<TDeviceContext> GetDC(HWND hwnd)
{
    TWindow& w = Get(hwnd);
    auto dc = std::make_unique<TDeviceContext>(&w.Surface);
    dc->Origin = ClientOffset(w);
    dc->ClipRect = ClientRectInSurface(w);
    dc->OnChanged = [hwnd] { NotifyPixels(hwnd); };
    dc->ComposedView = [hwnd]() -> const TDibImage* { return IsWindow(hwnd) ? &ComposeWindow(hwnd) : nullptr; };
    return dc;
}

TPaintStruct BeginPaint(HWND hwnd)
{
    TPaintStruct ps;
    TWindow& w = Get(hwnd);
    ps.Paint = w.Update.BoundingBox();
    ps.DC = GetDC(hwnd);
    ps.DC->IntersectClip(ps.Paint);
    w.Update = TRegion();
    return ps;
}

void EndPaint(HWND hwnd, TPaintStruct& ps)
{
    ps.DC.reset();
    NotifyPixels(hwnd);
}

const TDibImage& ComposeWindow(HWND hwnd)
{
    TWindow& w = Get(hwnd);
    w.Composed = w.Surface;
    TRect client = ClientRectInSurface(w);
    TPoint offset = ClientOffset(w);
    for (HWND c : w.Children) {
        TWindow* child = Find(c);
        if (!child || !child->Visible)
            continue;
        const TDibImage& pixels = ComposeWindow(c);
        TWindow& again = Get(hwnd);
        BlitThroughRegion(again.Composed, offset.X + child->Bounds.Left, offset.Y + child->Bounds.Top, pixels, child->Region, client);
    }
    return Get(hwnd).Composed;
}

TDibImage ComposeScreen()
{
    TPoint size = HasDisplayDriver() ? DisplayDriver().ScreenSize() : TPoint { 1920, 1080 };
    TDibImage screen;
    screen.Allocate(size.X, size.Y, 32);
    FillSurface(screen, { 0, 0, size.X, size.Y }, ColorToPixelWord(ColorToRGB(clBackground)));
    std::vector<HWND> order = TopLevelsTopDown();
    std::reverse(order.begin(), order.end());
    for (HWND h : order) {
        TWindow& w = Get(h);
        if (!w.Visible)
            continue;
        const TDibImage& pixels = ComposeWindow(h);
        BlitThroughRegion(screen, w.Bounds.Left, w.Bounds.Top, pixels, w.Region, { 0, 0, size.X, size.Y });
    }
    return screen;
}

TDibImage& WindowSurface(HWND hwnd)
{
    return Get(hwnd).Surface;
}

namespace {
int& TimerLimit()
{
    static int limit = 4096;
    return limit;
}
}

void SetTimerLimitForTesting(int limit)
{
    TimerLimit() = limit;
}

UINT SetTimer(HWND hwnd, UINT id, UINT elapseMs)
{
    TState& s = S();
    if (!Find(hwnd))
        return 0;
    UINT interval = std::max<UINT>(elapseMs, 10);
    for (TTimerEntry& t : s.Timers)
        if (t.Window == hwnd && t.Id == id) {
            t.Interval = interval;
            t.Due = Now() + interval;
            return id;
        }
    if (static_cast<int>(s.Timers.size()) >= TimerLimit())
        return 0;
    s.Timers.push_back({ hwnd, id, interval, Now() + interval });
    return id;
}

bool KillTimer(HWND hwnd, UINT id)
{
    auto& timers = S().Timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const TTimerEntry& t) { return t.Window == hwnd && t.Id == id; });
    if (it == timers.end())
        return false;
    timers.erase(it);
    return true;
}

bool AnyTimerRunning()
{
    return !S().Timers.empty();
}

HWND SetCapture(HWND hwnd)
{
    TState& s = S();
    HWND previous = s.Capture;
    s.Capture = Find(hwnd) ? hwnd : 0;
    if (previous && previous != s.Capture)
        SendMessage(previous, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(s.Capture));
    return previous;
}

void ReleaseCapture()
{
    TState& s = S();
    HWND previous = s.Capture;
    s.Capture = 0;
    if (previous)
        SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
}

HWND GetCapture()
{
    return S().Capture;
}

TPoint GetCursorPos()
{
    return S().Cursor;
}

short GetKeyState(int vk)
{
    if (vk < 0 || vk > 255)
        return 0;
    return S().Keys[static_cast<size_t>(vk)] ? static_cast<short>(0x8000) : 0;
}

HWND WindowFromPoint(TPoint screen)
{
    return WindowAt(screen, false);
}

HWND ChildWindowFromPoint(HWND parent, TPoint client)
{
    TWindow* w = Find(parent);
    if (!w)
        return 0;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it) {
        TWindow* c = Find(*it);
        if (c && HitsWindow(*c, client))
            return c->Handle;
    }
    return parent;
}

HWND GetFocus()
{
    return S().Focus;
}

void SetFocus(HWND hwnd)
{
    TState& s = S();
    if (s.Focus == hwnd || (hwnd && !Find(hwnd)))
        return;
    HWND old = s.Focus;
    s.Focus = hwnd;
    if (old)
        SendMessage(old, WM_KILLFOCUS, hwnd, 0);
    if (hwnd)
        SendMessage(hwnd, WM_SETFOCUS, old, 0);
}

HWND GetActiveWindow()
{
    return S().Active;
}

void MessageBeep(UINT type)
{
    TraceLine({ "beep", IntToStr(type) });
    if (HasDisplayDriver())
        DisplayDriver().Beep(type);
}

void InjectMouseMove(TPoint screen)
{
    TState& s = S();
    s.Cursor = screen;
    HWND target = s.Capture ? s.Capture : WindowAt(screen, true);
    if (!target || (!s.Capture && !IsWindowEnabled(TopLevelOf(target))))
        return;
    TPoint c = ScreenToClient(target, screen);
    PostInput(target, WM_MOUSEMOVE, MouseKeyFlags(), MakeLParam(c.X, c.Y));
}

void InjectMouseButton(TMouseButtonId button, bool down, TPoint screen)
{
    TState& s = S();
    s.Cursor = screen;
    int vk = button == mbiLeft ? VK_LBUTTON : button == mbiRight ? VK_RBUTTON : VK_MBUTTON;
    s.Keys[static_cast<size_t>(vk)] = down;
    HWND target = s.Capture ? s.Capture : WindowAt(screen, true);
    if (!target)
        return;
    HWND top = TopLevelOf(target);
    if (!s.Capture && !IsWindowEnabled(top)) {
        if (down)
            MessageBeep(MB_OK);
        return;
    }
    // The close box of a framed window: pressing and releasing on it closes the window.
    if (!s.Capture && target == top && button == mbiLeft) {
        TWindow& w = Get(top);
        if (w.Frame != wfNone) {
            TPoint inWindow = screen - w.Bounds.TopLeft();
            bool onBox = CloseBoxRect(w).Contains(inWindow);
            if (down) {
                s.CloseBoxPressed = onBox ? top : 0;
            } else if (s.CloseBoxPressed == top) {
                s.CloseBoxPressed = 0;
                if (onBox)
                    PostMessage(top, WM_CLOSE, 0, 0);
            }
            if (!ClientRectInSurface(w).Contains(inWindow))
                return;
        }
    }
    TPoint c = ScreenToClient(target, screen);
    UINT base = button == mbiLeft ? WM_LBUTTONDOWN : button == mbiRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    UINT msg = down ? base : base + 1;
    if (down) {
        std::int64_t now = Now();
        TClickMemory& last = s.LastClick;
        TWindow& w = Get(target);
        bool isDouble = w.DoubleClicks && last.Window == target && last.Button == button && now - last.Time <= DoubleClickTimeMs
            && std::abs(screen.X - last.Where.X) <= DoubleClickDistance && std::abs(screen.Y - last.Where.Y) <= DoubleClickDistance;
        if (isDouble) {
            msg = base + 2;
            last = {};
        } else {
            last = { target, button, now, screen };
        }
    }
    PostInput(target, msg, MouseKeyFlags(), MakeLParam(c.X, c.Y));
}

void InjectKey(int vk, bool down)
{
    TState& s = S();
    if (vk < 0 || vk > 255)
        return;
    s.Keys[static_cast<size_t>(vk)] = down;
    HWND target = s.Focus ? s.Focus : s.Active;
    if (!target || !IsWindowEnabled(TopLevelOf(target)))
        return;
    bool alt = s.Keys[VK_MENU];
    UINT msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    PostInput(target, msg, static_cast<WPARAM>(vk), 0);
}

void InjectChar(unsigned code)
{
    TState& s = S();
    HWND target = s.Focus ? s.Focus : s.Active;
    if (!target || !IsWindowEnabled(TopLevelOf(target)))
        return;
    PostInput(target, s.Keys[VK_MENU] ? WM_SYSCHAR : WM_CHAR, code, 0);
}

std::int64_t GetTickCount()
{
    return Now();
}

void ResetWindowSystem()
{
    S() = TState {};
}
