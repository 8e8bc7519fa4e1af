#include "X11Observer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <algorithm>
#include <bit>

void TX11Observer::TClose::operator()(Display* display) const
{
    XCloseDisplay(display);
}

TX11Observer::TX11Observer(const std::string& display)
    : FConnection(XOpenDisplay(display.c_str()))
    , FDisplay(FConnection.get())
{
}

TX11Observer::~TX11Observer() = default;

void TX11Observer::Sync()
{
    XSync(FDisplay, False);
}

int TX11Observer::ScreenWidth() const
{
    return DisplayWidth(FDisplay, DefaultScreen(FDisplay));
}

int TX11Observer::ScreenHeight() const
{
    return DisplayHeight(FDisplay, DefaultScreen(FDisplay));
}

int TX11Observer::Depth() const
{
    return DefaultDepth(FDisplay, DefaultScreen(FDisplay));
}

TX11Observer::TImage TX11Observer::GrabWindow(unsigned long window, int width, int height)
{
    TImage out;
    Sync();
    XImage* image = XGetImage(FDisplay, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.Width = width;
    out.Height = height;
    out.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.Pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = XGetPixel(image, x, y);
    XDestroyImage(image);
    return out;
}

TX11Observer::TImage TX11Observer::GrabRoot()
{
    return GrabWindow(DefaultRootWindow(FDisplay), ScreenWidth(), ScreenHeight());
}

unsigned long TX11Observer::ServerPixel(std::uint32_t word) const
{
    Visual* v = DefaultVisual(FDisplay, DefaultScreen(FDisplay));
    auto place = [](unsigned value, unsigned long mask) {
        int shift = std::countr_zero(mask), bits = std::popcount(mask);
        return (static_cast<unsigned long>(value) >> (8 - bits)) << shift;
    };
    return place((word >> 16) & 0xFF, v->red_mask) | place((word >> 8) & 0xFF, v->green_mask) | place(word & 0xFF, v->blue_mask);
}

void TX11Observer::PaintRootPattern(std::uint32_t a, std::uint32_t b)
{
    Window root = DefaultRootWindow(FDisplay);
    Pixmap tile = XCreatePixmap(FDisplay, root, 16, 16, static_cast<unsigned>(Depth()));
    GC gc = XCreateGC(FDisplay, tile, 0, nullptr);
    XSetForeground(FDisplay, gc, ServerPixel(a));
    XFillRectangle(FDisplay, tile, gc, 0, 0, 16, 16);
    XSetForeground(FDisplay, gc, ServerPixel(b));
    for (int i = 0; i < 16; i += 4)
        XFillRectangle(FDisplay, tile, gc, i, 0, 1, 16);
    XFillRectangle(FDisplay, tile, gc, 0, 5, 16, 2);
    XSetWindowBackgroundPixmap(FDisplay, root, tile);
    XClearWindow(FDisplay, root);
    XFreeGC(FDisplay, gc);
    XFreePixmap(FDisplay, tile);
    Sync();
}

TRect TX11Observer::Geometry(unsigned long window)
{
    XWindowAttributes a {};
    if (!XGetWindowAttributes(FDisplay, window, &a))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(FDisplay, window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
    return Bounds(x, y, a.width, a.height);
}

bool TX11Observer::Viewable(unsigned long window)
{
    XWindowAttributes a {};
    return XGetWindowAttributes(FDisplay, window, &a) && a.map_state == IsViewable;
}

unsigned long TX11Observer::FocusWindow()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(FDisplay, &focus, &revert);
    return focus;
}

std::vector<TRect> TX11Observer::ShapeRectangles(unsigned long window)
{
    std::vector<TRect> out;
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(FDisplay, window, ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i)
        out.push_back(Bounds(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    if (rects)
        XFree(rects);
    return out;
}

std::vector<unsigned long> TX11Observer::StackingOrder()
{
    std::vector<unsigned long> out;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count)) {
        out.assign(children, children + count);
        XFree(children);
    }
    return out;
}

unsigned long TX11Observer::Atom(const char* name)
{
    return XInternAtom(FDisplay, name, False);
}

std::optional<std::vector<long>> TX11Observer::Property32(unsigned long window, const char* name)
{
    ::Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(FDisplay, window, Atom(name), 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data) != Success || type == None) {
        if (data)
            XFree(data);
        return std::nullopt;
    }
    std::vector<long> out;
    if (format == 32)
        out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
    return out;
}

std::optional<std::string> TX11Observer::PropertyBytes(unsigned long window, const char* name, std::string* typeName)
{
    ::Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(FDisplay, window, Atom(name), 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data) != Success || type == None) {
        if (data)
            XFree(data);
        return std::nullopt;
    }
    std::string out;
    if (format == 8)
        out.assign(reinterpret_cast<char*>(data), count);
    if (typeName) {
        char* n = XGetAtomName(FDisplay, type);
        *typeName = n ? n : "";
        if (n)
            XFree(n);
    }
    XFree(data);
    return out;
}

std::optional<TX11Observer::TSizeHints> TX11Observer::NormalHints(unsigned long window)
{
    XSizeHints hints {};
    long supplied = 0;
    if (!XGetWMNormalHints(FDisplay, window, &hints, &supplied))
        return std::nullopt;
    return TSizeHints { hints.flags, hints.min_width, hints.min_height, hints.max_width, hints.max_height };
}

void TX11Observer::SendDeleteWindow(unsigned long window)
{
    XEvent ev {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = Atom("WM_PROTOCOLS");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(Atom("WM_DELETE_WINDOW"));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(FDisplay, window, False, NoEventMask, &ev);
    Sync();
}

void TX11Observer::DestroyWindow(unsigned long window)
{
    XDestroyWindow(FDisplay, window);
    Sync();
}

namespace {
int gRedirectErrors = 0;
int CountError(Display*, XErrorEvent*)
{
    ++gRedirectErrors;
    return 0;
}
}

bool TX11Observer::BecomeClampingWindowManager()
{
    XErrorHandler previous = XSetErrorHandler(&CountError);
    gRedirectErrors = 0;
    XSelectInput(FDisplay, DefaultRootWindow(FDisplay), SubstructureRedirectMask | SubstructureNotifyMask);
    Sync();
    XSetErrorHandler(previous);
    return gRedirectErrors == 0;
}

void TX11Observer::ServeWindowManager()
{
    auto clamp = [&](int v, int size, int screen) { return std::max(0, std::min(v, screen - size)); };
    while (XPending(FDisplay) > 0) {
        XEvent ev;
        XNextEvent(FDisplay, &ev);
        if (ev.type == MapRequest) {
            XWindowAttributes a {};
            if (XGetWindowAttributes(FDisplay, ev.xmaprequest.window, &a))
                XMoveWindow(FDisplay, ev.xmaprequest.window, clamp(a.x, a.width, ScreenWidth()), clamp(a.y, a.height, ScreenHeight()));
            XMapWindow(FDisplay, ev.xmaprequest.window);
        } else if (ev.type == ConfigureRequest) {
            const XConfigureRequestEvent& r = ev.xconfigurerequest;
            XWindowChanges c {};
            c.x = clamp(r.x, r.width, ScreenWidth());
            c.y = clamp(r.y, r.height, ScreenHeight());
            c.width = r.width;
            c.height = r.height;
            c.sibling = r.above;
            c.stack_mode = r.detail;
            XConfigureWindow(FDisplay, r.window, static_cast<unsigned>(r.value_mask | CWX | CWY), &c);
        }
    }
    Sync();
}

void TX11Observer::PointerTo(TPoint p)
{
    XTestFakeMotionEvent(FDisplay, -1, p.X, p.Y, 0);
    Sync();
}

void TX11Observer::Click(TPoint p)
{
    PointerTo(p);
    XTestFakeButtonEvent(FDisplay, 1, True, 0);
    XTestFakeButtonEvent(FDisplay, 1, False, 0);
    Sync();
}

bool TX11Observer::Type(const char* keysymName)
{
    KeySym sym = XStringToKeysym(keysymName);
    KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(FDisplay, sym);
    if (!code)
        return false;
    XTestFakeKeyEvent(FDisplay, code, True, 0);
    XTestFakeKeyEvent(FDisplay, code, False, 0);
    Sync();
    return true;
}
