#include "platform/display/x11/X11Driver.h"

#include "platform/base/CodePage.h"
#include "platform/display/x11/KeyMap.h"
#include "platform/display/x11/PixelLayout.h"
#include "platform/graphics/Region.h"
#include "platform/ui/Shell.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <climits>
#include <map>
#include <optional>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <vector>

// Xlib last: its macros (None, Bool, Status, ...) must not reach the platform's own headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>

namespace {

// Xlib reports protocol errors through one process-wide handler. They are expected now and then
// (a request for a window the server has already dropped) and must never end the program.
int gErrorCount = 0;

int RecordXError(Display*, XErrorEvent*)
{
    ++gErrorCount;
    return 0;
}

std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// X window coordinates are 16-bit: a window far outside the screen is kept at the nearest place
// the protocol can express, and a window always has at least one pixel.
int ClampPosition(int v)
{
    return std::clamp(v, -32768, 32767);
}

unsigned ClampSize(int v)
{
    return static_cast<unsigned>(std::clamp(v, 1, 32767));
}

enum TAtomId {
    atWmProtocols,
    atWmDeleteWindow,
    atNetWmPing,
    atNetWmName,
    atUtf8String,
    atNetWmState,
    atNetWmStateAbove,
    atNetWmWindowType,
    atNetWmWindowTypeUtility,
    atNetWmWindowTypeDialog,
    atNetWmWindowTypeNormal,
    atNetWmPid,
    atNetActiveWindow,
    atMotifWmHints,
    atCount
};

const char* const AtomNames[atCount] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "_NET_WM_PING",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "_NET_WM_STATE",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_PID",
    "_NET_ACTIVE_WINDOW",
    "_MOTIF_WM_HINTS",
};

// The five longs of the Motif hints: flags, functions, decorations, input mode, status.
constexpr long MwmHintsFunctions = 1L << 0;
constexpr long MwmHintsDecorations = 1L << 1;
constexpr long MwmFuncMove = 1L << 2;
constexpr long MwmFuncClose = 1L << 5;

struct TCloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

struct TDestroyImage {
    // The pixels belong to the window (a vector or a shared segment), never to Xlib.
    void operator()(XImage* image) const
    {
        image->data = nullptr;
        XDestroyImage(image);
    }
};
using TImagePtr = std::unique_ptr<XImage, TDestroyImage>;

// An image Xlib read itself owns its pixels.
struct TDestroyReadImage {
    void operator()(XImage* image) const { XDestroyImage(image); }
};

// One top-level window of the window system as the X server shows it.
struct TXWindow {
    HWND Handle = 0;
    Window Id = 0;
    TRect Bounds;
    bool Visible = false;
    bool StayOnTop = false;
    bool Enabled = true;
    TWindowFrame Frame = wfNone;
    AnsiString Caption;
    std::optional<TRegion> Region;
    HWND Owner = 0;

    bool Viewable = false; // the server reported it mapped
    bool Exposed = false;
    bool Dirty = true; // the pixels on the server are older than the window system's
    bool WantFocus = false;

    TImagePtr Image;
    bool ImageInShm = false;
    XShmSegmentInfo Shm {};
    std::vector<char> Buffer; // the image's pixels when they are not in shared memory
};

} // namespace

struct TX11Driver::TImpl {
    std::unique_ptr<Display, TCloseDisplay> Connection;
    Display* Dpy = nullptr; // the connection's handle, for Xlib's calls
    int ScreenNumber = 0;
    Window Root = 0;
    Visual* Vis = nullptr;
    int Depth = 0;
    Colormap Cmap = 0;
    bool OwnColormap = false;
    GC Gc = nullptr;
    TPixelLayout Layout;
    bool Shape = false;
    bool Shm = false;
    Atom Atoms[atCount] {};
    XErrorHandler PreviousHandler = nullptr;
    int ErrorBase = 0;
    std::int64_t Start = 0;

    std::map<HWND, TXWindow> Windows;
    std::map<Window, HWND> ByXWindow;
    std::vector<HWND> RaiseOrder; // our windows as last raised, bottom first

    ~TImpl();

    bool OpenDisplay(const TX11Options& options);
    TXWindow* Find(HWND h)
    {
        auto it = Windows.find(h);
        return it == Windows.end() ? nullptr : &it->second;
    }
    TXWindow* FindX(Window id)
    {
        auto it = ByXWindow.find(id);
        return it == ByXWindow.end() ? nullptr : Find(it->second);
    }

    void Create(TXWindow& w);
    void Destroy(TXWindow& w);
    void SetSizeHints(const TXWindow& w);
    void SetNames(const TXWindow& w);
    void SetStateProperty(const TXWindow& w);
    void SendAboveMessage(const TXWindow& w);
    void ApplyShape(const TXWindow& w);
    void Map(TXWindow& w);
    void Raise(TXWindow& w);
    void Restack();
    bool WindowManagerRunning();

    void FreeImage(TXWindow& w);
    bool EnsureImage(TXWindow& w, int width, int height);
    bool Push(TXWindow& w);
    void Flush();
    void Drain();
    void Process(XEvent& ev);
    TPoint PlatformPoint(const TXWindow& w, int x, int y) const { return w.Bounds.TopLeft() + TPoint { x, y }; }
};

TX11Driver::TImpl::~TImpl()
{
    if (Dpy) {
        for (auto& [h, w] : Windows) {
            FreeImage(w);
            if (w.Id)
                XDestroyWindow(Dpy, w.Id);
        }
        if (Gc)
            XFreeGC(Dpy, Gc);
        if (OwnColormap)
            XFreeColormap(Dpy, Cmap);
        XSync(Dpy, False);
        Connection.reset();
        XSetErrorHandler(PreviousHandler);
    }
}

bool TX11Driver::TImpl::OpenDisplay(const TX11Options& options)
{
    Connection.reset(XOpenDisplay(options.DisplayName));
    Dpy = Connection.get();
    if (!Dpy)
        return false;
    PreviousHandler = XSetErrorHandler(&RecordXError);
    ErrorBase = gErrorCount;
    ScreenNumber = DefaultScreen(Dpy);
    Root = RootWindow(Dpy, ScreenNumber);

    // The default visual when it is TrueColor, else any 24-bit TrueColor one.
    XVisualInfo info {};
    Visual* def = DefaultVisual(Dpy, ScreenNumber);
    int defDepth = DefaultDepth(Dpy, ScreenNumber);
    if (def->c_class == TrueColor && defDepth >= 15) {
        Vis = def;
        Depth = defDepth;
        Cmap = DefaultColormap(Dpy, ScreenNumber);
    } else if (XMatchVisualInfo(Dpy, ScreenNumber, 24, TrueColor, &info)) {
        Vis = info.visual;
        Depth = 24;
        Cmap = XCreateColormap(Dpy, Root, Vis, AllocNone);
        OwnColormap = true;
    } else {
        return false;
    }

    // The layout of an image row as the server wants it.
    TImagePtr probe(XCreateImage(Dpy, Vis, static_cast<unsigned>(Depth), ZPixmap, 0, nullptr, 1, 1, 32, 0));
    if (!probe)
        return false;
    Layout.RedMask = static_cast<std::uint32_t>(Vis->red_mask);
    Layout.GreenMask = static_cast<std::uint32_t>(Vis->green_mask);
    Layout.BlueMask = static_cast<std::uint32_t>(Vis->blue_mask);
    Layout.BytesPerPixel = probe->bits_per_pixel / 8;
    Layout.MsbFirst = probe->byte_order == MSBFirst;
    if (!Layout.Supported())
        return false;

    int eventBase = 0, errorBase = 0;
    Shape = options.AllowShape && XShapeQueryExtension(Dpy, &eventBase, &errorBase);
    Shm = options.AllowShm && XShmQueryExtension(Dpy);
    XInternAtoms(Dpy, const_cast<char**>(AtomNames), atCount, False, Atoms);
    Start = SteadyMs();
    return true;
}

void TX11Driver::TImpl::SetSizeHints(const TXWindow& w)
{
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    // The position is the program's own (the slide starts outside the screen), and the size is
    // fixed: nobody resizes the toy's window.
    hints->flags = USPosition | PPosition | USSize | PSize | PMinSize | PMaxSize | PWinGravity;
    hints->x = ClampPosition(w.Bounds.Left);
    hints->y = ClampPosition(w.Bounds.Top);
    hints->width = hints->min_width = hints->max_width = static_cast<int>(ClampSize(w.Bounds.Width()));
    hints->height = hints->min_height = hints->max_height = static_cast<int>(ClampSize(w.Bounds.Height()));
    hints->win_gravity = StaticGravity;
    XSetWMNormalHints(Dpy, w.Id, hints);
    XFree(hints);
}

void TX11Driver::TImpl::SetNames(const TXWindow& w)
{
    std::string utf8 = ActiveToUtf8(w.Caption);
    auto bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    int length = static_cast<int>(utf8.size());
    XChangeProperty(Dpy, w.Id, Atoms[atNetWmName], Atoms[atUtf8String], 8, PropModeReplace, bytes, length);
    bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    XChangeProperty(Dpy, w.Id, XA_WM_NAME, ascii ? XA_STRING : Atoms[atUtf8String], 8, PropModeReplace, bytes, length);
}

void TX11Driver::TImpl::SetStateProperty(const TXWindow& w)
{
    if (w.StayOnTop) {
        Atom above = Atoms[atNetWmStateAbove];
        XChangeProperty(Dpy, w.Id, Atoms[atNetWmState], XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&above), 1);
    } else {
        XDeleteProperty(Dpy, w.Id, Atoms[atNetWmState]);
    }
}

void TX11Driver::TImpl::SendAboveMessage(const TXWindow& w)
{
    // A mapped window's state belongs to the window manager: it is asked, not told.
    XEvent ev {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w.Id;
    ev.xclient.message_type = Atoms[atNetWmState];
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = w.StayOnTop ? 1 : 0; // add or remove
    ev.xclient.data.l[1] = static_cast<long>(Atoms[atNetWmStateAbove]);
    ev.xclient.data.l[3] = 1; // from an application
    XSendEvent(Dpy, Root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

void TX11Driver::TImpl::ApplyShape(const TXWindow& w)
{
    if (!Shape || !w.Id)
        return;
    if (!w.Region) {
        XShapeCombineMask(Dpy, w.Id, ShapeBounding, 0, 0, None, ShapeSet);
        return;
    }
    std::vector<XRectangle> rects;
    rects.reserve(static_cast<size_t>(w.Region->RectCount()));
    for (const TRect& r : w.Region->Rects()) {
        TRect c = r.Intersected({ -32768, -32768, 32767, 32767 });
        if (c.IsEmpty())
            continue;
        rects.push_back({ static_cast<short>(c.Left), static_cast<short>(c.Top), static_cast<unsigned short>(c.Width()),
            static_cast<unsigned short>(c.Height()) });
    }
    // The region's rectangles already come in y-x bands, which saves the server a sort.
    XShapeCombineRectangles(Dpy, w.Id, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, YXBanded);
}

void TX11Driver::TImpl::Create(TXWindow& w)
{
    XSetWindowAttributes a {};
    // No background: the server leaves the window alone until its own pixels arrive.
    a.background_pixmap = None;
    a.border_pixel = 0;
    a.colormap = Cmap;
    a.bit_gravity = NorthWestGravity;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | KeyReleaseMask
        | StructureNotifyMask | EnterWindowMask | LeaveWindowMask;
    w.Id = XCreateWindow(Dpy, Root, ClampPosition(w.Bounds.Left), ClampPosition(w.Bounds.Top), ClampSize(w.Bounds.Width()),
        ClampSize(w.Bounds.Height()), 0, Depth, InputOutput, Vis, CWBackPixmap | CWBorderPixel | CWColormap | CWBitGravity | CWEventMask, &a);
    if (!w.Id)
        return;
    ByXWindow[w.Id] = w.Handle;
    if (!Gc)
        Gc = XCreateGC(Dpy, w.Id, 0, nullptr);

    SetSizeHints(w);
    XWMHints* wm = XAllocWMHints();
    if (wm) {
        wm->flags = InputHint | StateHint;
        wm->input = True;
        wm->initial_state = NormalState;
        XSetWMHints(Dpy, w.Id, wm);
        XFree(wm);
    }
    XClassHint* cls = XAllocClassHint();
    if (cls) {
        static char name[] = "pakkorin";
        static char klass[] = "Pakkorin";
        cls->res_name = name;
        cls->res_class = klass;
        XSetClassHint(Dpy, w.Id, cls);
        XFree(cls);
    }
    Atom protocols[] = { Atoms[atWmDeleteWindow], Atoms[atNetWmPing] };
    XSetWMProtocols(Dpy, w.Id, protocols, 2);
    // The window system draws the frame itself; the window manager adds none, and offers moving
    // and closing but no resizing.
    long motif[5] = { MwmHintsFunctions | MwmHintsDecorations, MwmFuncMove | MwmFuncClose, 0, 0, 0 };
    XChangeProperty(Dpy, w.Id, Atoms[atMotifWmHints], Atoms[atMotifWmHints], 32, PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    Atom type = w.Frame == wfDialog ? Atoms[atNetWmWindowTypeDialog] : w.Frame == wfToolWindow ? Atoms[atNetWmWindowTypeUtility] : Atoms[atNetWmWindowTypeNormal];
    XChangeProperty(Dpy, w.Id, Atoms[atNetWmWindowType], XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
    long pid = static_cast<long>(getpid());
    XChangeProperty(Dpy, w.Id, Atoms[atNetWmPid], XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    if (TXWindow* owner = Find(w.Owner); owner && owner->Id)
        XSetTransientForHint(Dpy, w.Id, owner->Id);
    SetNames(w);
    ApplyShape(w);
}

void TX11Driver::TImpl::Destroy(TXWindow& w)
{
    FreeImage(w);
    if (w.Id) {
        ByXWindow.erase(w.Id);
        XDestroyWindow(Dpy, w.Id);
        w.Id = 0;
    }
}

bool TX11Driver::TImpl::WindowManagerRunning()
{
    // A window manager is whoever redirects the root's children.
    XWindowAttributes attrs {};
    if (!XGetWindowAttributes(Dpy, Root, &attrs))
        return false;
    return (attrs.all_event_masks & SubstructureRedirectMask) != 0;
}

void TX11Driver::TImpl::Map(TXWindow& w)
{
    SetStateProperty(w);
    w.WantFocus = GetActiveWindow() == w.Handle;
    XMapWindow(Dpy, w.Id);
    Raise(w);
}

void TX11Driver::TImpl::Raise(TXWindow& w)
{
    RaiseOrder.erase(std::remove(RaiseOrder.begin(), RaiseOrder.end(), w.Handle), RaiseOrder.end());
    RaiseOrder.push_back(w.Handle);
    Restack();
}

void TX11Driver::TImpl::Restack()
{
    // Our shown windows from the top down, the stay-on-top ones first, as the window system
    // stacks them.
    std::vector<Window> order;
    for (int pass = 0; pass < 2; ++pass)
        for (auto it = RaiseOrder.rbegin(); it != RaiseOrder.rend(); ++it) {
            TXWindow* w = Find(*it);
            if (w && w->Id && w->Visible && w->StayOnTop == (pass == 0))
                order.push_back(w->Id);
        }
    if (order.empty())
        return;
    if (WindowManagerRunning()) {
        // The window manager keeps the layers (_NET_WM_STATE_ABOVE); it is only asked to raise.
        XRaiseWindow(Dpy, order.front());
        return;
    }
    // With nobody managing the screen, stay-on-top is ours to keep: the topmost window goes above
    // everything and the rest follow below it in order.
    XRaiseWindow(Dpy, order.front());
    if (order.size() > 1)
        XRestackWindows(Dpy, order.data(), static_cast<int>(order.size()));
}

void TX11Driver::TImpl::FreeImage(TXWindow& w)
{
    if (!w.Image)
        return;
    if (w.ImageInShm) {
        XShmDetach(Dpy, &w.Shm);
        shmdt(w.Shm.shmaddr);
        w.Shm = {};
    }
    w.Image.reset();
    w.ImageInShm = false;
    w.Buffer.clear();
}

bool TX11Driver::TImpl::EnsureImage(TXWindow& w, int width, int height)
{
    if (w.Image && w.Image->width == width && w.Image->height == height)
        return true;
    FreeImage(w);
    if (Shm) {
        TImagePtr image(XShmCreateImage(Dpy, Vis, static_cast<unsigned>(Depth), ZPixmap, nullptr, &w.Shm, static_cast<unsigned>(width),
            static_cast<unsigned>(height)));
        bool attached = false;
        if (image) {
            size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
            w.Shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
            if (w.Shm.shmid >= 0) {
                void* address = shmat(w.Shm.shmid, nullptr, 0);
                if (address != reinterpret_cast<void*>(-1)) {
                    w.Shm.shmaddr = static_cast<char*>(address);
                    w.Shm.readOnly = False;
                    image->data = w.Shm.shmaddr;
                    int before = gErrorCount;
                    XShmAttach(Dpy, &w.Shm);
                    XSync(Dpy, False);
                    attached = gErrorCount == before;
                    if (!attached)
                        shmdt(address);
                }
                // Marked for removal now: the segment goes when the server and we let go of it.
                shmctl(w.Shm.shmid, IPC_RMID, nullptr);
            }
        }
        if (attached) {
            w.Image = std::move(image);
            w.ImageInShm = true;
            return true;
        }
        image.reset();
        w.Shm = {};
        // A server that cannot share memory with us (another machine, a refused segment) will not
        // learn to later: plain image requests from now on.
        Shm = false;
    }
    TImagePtr image(XCreateImage(Dpy, Vis, static_cast<unsigned>(Depth), ZPixmap, 0, nullptr, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 32, 0));
    if (!image)
        return false;
    w.Buffer.assign(static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height), 0);
    image->data = w.Buffer.data();
    w.Image = std::move(image);
    return true;
}

bool TX11Driver::TImpl::Push(TXWindow& w)
{
    if (!w.Id || !w.Viewable || !w.Visible || !IsWindow(w.Handle))
        return false;
    const TDibImage& pixels = ComposeWindow(w.Handle);
    int width = std::min(pixels.Width, static_cast<int>(ClampSize(w.Bounds.Width())));
    int height = std::min(pixels.Height, static_cast<int>(ClampSize(w.Bounds.Height())));
    w.Dirty = false;
    if (width <= 0 || height <= 0 || pixels.BitsPerPixel != 32 || !EnsureImage(w, width, height))
        return false;
    for (int y = 0; y < height; ++y)
        PackPixelRow(pixels.Row(y), width, Layout, reinterpret_cast<std::uint8_t*>(w.Image->data) + static_cast<size_t>(y) * static_cast<size_t>(w.Image->bytes_per_line));
    if (w.ImageInShm)
        XShmPutImage(Dpy, w.Id, Gc, w.Image.get(), 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), False);
    else
        XPutImage(Dpy, w.Id, Gc, w.Image.get(), 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    return true;
}

void TX11Driver::TImpl::Flush()
{
    bool pushed = false;
    for (auto& [h, w] : Windows)
        if (w.Dirty && w.Viewable)
            pushed |= Push(w);
    // Waiting for the server makes the pixels visible before the program goes on, and a shared
    // image must not be rewritten while the server still reads it.
    if (pushed)
        XSync(Dpy, False);
    else
        XFlush(Dpy);
}

void TX11Driver::TImpl::Drain()
{
    while (XPending(Dpy) > 0) {
        XEvent ev;
        XNextEvent(Dpy, &ev);
        Process(ev);
    }
}

void TX11Driver::TImpl::Process(XEvent& ev)
{
    TXWindow* w = FindX(ev.xany.window);
    switch (ev.type) {
    case Expose:
        if (w && ev.xexpose.count == 0) {
            w->Exposed = true;
            w->Dirty = true;
        }
        break;
    case MapNotify:
        if (w) {
            w->Viewable = true;
            w->Dirty = true;
            if (w->WantFocus) {
                w->WantFocus = false;
                XSetInputFocus(Dpy, w->Id, RevertToParent, CurrentTime);
                XEvent active {};
                active.xclient.type = ClientMessage;
                active.xclient.window = w->Id;
                active.xclient.message_type = Atoms[atNetActiveWindow];
                active.xclient.format = 32;
                active.xclient.data.l[0] = 1; // from an application
                XSendEvent(Dpy, Root, False, SubstructureRedirectMask | SubstructureNotifyMask, &active);
            }
        }
        break;
    case UnmapNotify:
        if (w) {
            w->Viewable = false;
            w->Exposed = false;
        }
        break;
    case DestroyNotify:
        // Destroyed by someone else (our own windows leave the map before they go): the window
        // is made anew when the window system next shows it.
        if (w && ev.xdestroywindow.window == w->Id) {
            ByXWindow.erase(w->Id);
            FreeImage(*w);
            w->Id = 0;
            w->Viewable = false;
            w->Exposed = false;
        }
        break;
    case ButtonPress:
    case ButtonRelease: {
        if (!w || ev.xbutton.button < Button1 || ev.xbutton.button > Button3)
            break; // the wheel and extra buttons mean nothing here
        bool down = ev.type == ButtonPress;
        TMouseButtonId button = ev.xbutton.button == Button1 ? mbiLeft : ev.xbutton.button == Button2 ? mbiMiddle : mbiRight;
        unsigned held = ev.xbutton.state & (Button1Mask | Button2Mask | Button3Mask);
        unsigned self = Button1Mask << (ev.xbutton.button - Button1);
        if (down && held == 0)
            XGrabPointer(Dpy, w->Id, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                GrabModeAsync, GrabModeAsync, None, None, ev.xbutton.time);
        else if (!down && (held & ~self) == 0)
            XUngrabPointer(Dpy, ev.xbutton.time);
        InjectMouseButton(button, down, PlatformPoint(*w, ev.xbutton.x, ev.xbutton.y));
        break;
    }
    case MotionNotify:
        if (w)
            InjectMouseMove(PlatformPoint(*w, ev.xmotion.x, ev.xmotion.y));
        break;
    case EnterNotify:
        if (w && ev.xcrossing.mode == NotifyNormal)
            InjectMouseMove(PlatformPoint(*w, ev.xcrossing.x, ev.xcrossing.y));
        break;
    case LeaveNotify:
        // Left for the desktop or another program's window: the platform's pointer goes there too
        // (outside the window as the platform places it), so that hot tracking ends.
        if (w && ev.xcrossing.mode == NotifyNormal)
            InjectMouseMove(PlatformPoint(*w, ev.xcrossing.x, ev.xcrossing.y));
        break;
    case KeyPress:
    case KeyRelease: {
        if (!w)
            break;
        char text[16];
        KeySym sym = 0;
        int length = XLookupString(&ev.xkey, text, sizeof text, &sym, nullptr);
        bool down = ev.type == KeyPress;
        if (int vk = VirtualKeyFromKeysym(XLookupKeysym(&ev.xkey, 0)))
            InjectKey(vk, down);
        if (!down)
            break;
        // Printable characters follow their key, as the system's character messages do; control
        // characters (Return, Escape, Ctrl+letter) are keys only.
        unsigned code = length == 1 ? static_cast<unsigned char>(text[0]) : (sym & 0xFF000000) == 0x01000000 ? static_cast<unsigned>(sym & 0xFFFFFF) : 0;
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0))
            break;
        if (code < 0x80) {
            InjectChar(code);
            break;
        }
        std::string utf8;
        if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
        for (char c : Utf8ToActive(utf8))
            InjectChar(static_cast<unsigned char>(c));
        break;
    }
    case ClientMessage:
        if (w && ev.xclient.message_type == Atoms[atWmProtocols]) {
            Atom protocol = static_cast<Atom>(ev.xclient.data.l[0]);
            if (protocol == Atoms[atWmDeleteWindow]) {
                // The window manager's close button closes the form as its own close box does; a
                // window disabled by a modal box refuses, as it refuses every other input.
                if (IsWindowEnabled(w->Handle))
                    PostMessage(w->Handle, WM_CLOSE, CloseByUser, 0);
                else
                    XBell(Dpy, 0);
            } else if (protocol == Atoms[atNetWmPing]) {
                ev.xclient.window = Root;
                XSendEvent(Dpy, Root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
            }
        }
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&ev.xmapping);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TX11Driver> TX11Driver::Open(const TX11Options& options)
{
    auto impl = std::make_unique<TImpl>();
    if (!impl->OpenDisplay(options))
        return nullptr;
    return std::unique_ptr<TX11Driver>(new TX11Driver(std::move(impl)));
}

TX11Driver::TX11Driver(std::unique_ptr<TImpl> impl)
    : F(std::move(impl))
{
}

TX11Driver::~TX11Driver() = default;

TPoint TX11Driver::ScreenSize() const
{
    return { DisplayWidth(F->Dpy, F->ScreenNumber), DisplayHeight(F->Dpy, F->ScreenNumber) };
}

std::int64_t TX11Driver::NowMs()
{
    return SteadyMs() - F->Start;
}

void TX11Driver::WaitForInput(std::int64_t timeoutMs)
{
    F->Flush();
    if (timeoutMs != 0 && XEventsQueued(F->Dpy, QueuedAfterFlush) == 0) {
        pollfd p { ConnectionNumber(F->Dpy), POLLIN, 0 };
        int timeout = timeoutMs < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(timeoutMs, INT_MAX));
        // A signal cuts the wait short; the window system simply asks again.
        poll(&p, 1, timeout);
    }
    F->Drain();
    F->Flush();
}

void TX11Driver::WindowChanged(const TTopLevelState& s)
{
    auto [it, added] = F->Windows.try_emplace(s.Handle);
    TXWindow& w = it->second;
    TRect oldBounds = w.Bounds;
    bool wasVisible = w.Visible;
    bool oldOnTop = w.StayOnTop;
    bool enabledChanged = w.Enabled != s.Enabled;
    bool captionChanged = w.Caption != s.Caption;
    std::optional<TRegion> region;
    if (s.Region)
        region = *s.Region;
    bool regionChanged = region != w.Region;
    w.Handle = s.Handle;
    w.Bounds = s.Bounds;
    w.Visible = s.Visible;
    w.StayOnTop = s.StayOnTop;
    w.Enabled = s.Enabled;
    w.Frame = s.Frame;
    w.Caption = s.Caption;
    w.Region = std::move(region);
    w.Owner = s.Owner;
    if (!w.Id) {
        // Windows that are never shown (the timers' message windows) never reach the server.
        if (!w.Visible)
            return;
        F->Create(w);
        if (!w.Id)
            return;
        F->Map(w);
        return;
    }
    bool moved = oldBounds.TopLeft() != w.Bounds.TopLeft();
    bool sized = oldBounds.Width() != w.Bounds.Width() || oldBounds.Height() != w.Bounds.Height();
    if (sized)
        F->SetSizeHints(w); // before the resize: a window manager holds the window to its hints
    if (moved || sized) {
        XMoveResizeWindow(F->Dpy, w.Id, ClampPosition(w.Bounds.Left), ClampPosition(w.Bounds.Top), ClampSize(w.Bounds.Width()), ClampSize(w.Bounds.Height()));
        // The part that has just come onto the screen would show stale pixels until its exposure
        // came back from the server; pushed right behind the move, it never does.
        w.Dirty = true;
    }
    if (captionChanged)
        F->SetNames(w);
    if (regionChanged)
        F->ApplyShape(w);
    if (w.Visible != wasVisible) {
        if (w.Visible) {
            F->Map(w);
        } else {
            XWithdrawWindow(F->Dpy, w.Id, F->ScreenNumber);
            w.Viewable = false;
            w.Exposed = false;
        }
    } else if (w.StayOnTop != oldOnTop) {
        if (w.Viewable)
            F->SendAboveMessage(w);
        else
            F->SetStateProperty(w);
        if (w.Visible)
            F->Restack();
    } else if (w.Visible && w.Enabled && !moved && !sized && !captionChanged && !regionChanged && !enabledChanged) {
        // Told again with nothing changed: the window was shown again or brought to the top. A
        // disabled window (the owner of a modal box) never comes above the box.
        w.WantFocus = GetActiveWindow() == w.Handle;
        F->Raise(w);
        if (w.WantFocus && w.Viewable) {
            w.WantFocus = false;
            XSetInputFocus(F->Dpy, w.Id, RevertToParent, CurrentTime);
        }
    }
}

void TX11Driver::WindowDestroyed(HWND hwnd)
{
    TXWindow* w = F->Find(hwnd);
    if (!w)
        return;
    F->Destroy(*w);
    F->Windows.erase(hwnd);
    F->RaiseOrder.erase(std::remove(F->RaiseOrder.begin(), F->RaiseOrder.end(), hwnd), F->RaiseOrder.end());
    XFlush(F->Dpy);
}

void TX11Driver::WindowPixelsChanged(HWND hwnd)
{
    if (TXWindow* w = F->Find(hwnd))
        w->Dirty = true;
}

void TX11Driver::Beep(UINT)
{
    XBell(F->Dpy, 0);
    XFlush(F->Dpy);
}

bool TX11Driver::ShellOpen(const AnsiString&, const AnsiString& target, const AnsiString&, const AnsiString& directory, int)
{
    return SpawnXdgOpen(target, directory);
}

void TX11Driver::Flush()
{
    F->Flush();
}

unsigned long TX11Driver::XWindowOf(HWND hwnd) const
{
    TXWindow* w = F->Find(hwnd);
    return w ? w->Id : 0;
}

bool TX11Driver::Presented(HWND hwnd) const
{
    TXWindow* w = F->Find(hwnd);
    return w && w->Id && w->Viewable && w->Exposed && !w->Dirty;
}

TDibImage TX11Driver::GrabScreen()
{
    TDibImage out;
    TPoint size = ScreenSize();
    std::unique_ptr<XImage, TDestroyReadImage> image(
        XGetImage(F->Dpy, F->Root, 0, 0, static_cast<unsigned>(size.X), static_cast<unsigned>(size.Y), AllPlanes, ZPixmap));
    if (!image)
        return out;
    out.Allocate(size.X, size.Y, 32);
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask)
            return 0u;
        int shift = std::countr_zero(mask);
        int bits = std::popcount(mask);
        unsigned long v = (pixel & mask) >> shift;
        return static_cast<unsigned>(bits >= 8 ? v >> (bits - 8) : (v * 255) / ((1ul << bits) - 1));
    };
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            unsigned long p = XGetPixel(image.get(), x, y);
            out.SetPixelWord(x, y, (channel(p, image->red_mask) << 16) | (channel(p, image->green_mask) << 8) | channel(p, image->blue_mask));
        }
    return out;
}

bool TX11Driver::UsesShm() const
{
    return F->Shm;
}

bool TX11Driver::UsesShape() const
{
    return F->Shape;
}

int TX11Driver::ErrorCount() const
{
    return gErrorCount - F->ErrorBase;
}

std::unique_ptr<TDisplayDriver> CreateX11Driver()
{
    return TX11Driver::Open();
}
