#pragma once
// TX11Observer: a second connection to the test's X server that looks at it as a user's tools
// would (screenshots, window geometry, shapes, properties, stacking) and drives the pointer and
// the keyboard through XTEST. It shares no code with the driver, so a conversion the driver gets
// wrong is not made right again on the way back. X windows are plain numbers here: no X11 header
// is visible through this file (Xlib's names clash with the platform's).

#include "platform/graphics/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TX11Observer {
public:
    // Connects to the display; Connected() tells whether that worked.
    explicit TX11Observer(const std::string& display);
    ~TX11Observer();
    TX11Observer(const TX11Observer&) = delete;
    TX11Observer& operator=(const TX11Observer&) = delete;
    bool Connected() const { return FDisplay != nullptr; }

    int ScreenWidth() const;
    int ScreenHeight() const;
    int Depth() const;

    // Pixels as the server holds them, in the visual's own format.
    struct TImage {
        int Width = 0, Height = 0;
        std::vector<unsigned long> Pixels;
        unsigned long At(int x, int y) const { return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)]; }
    };
    TImage GrabRoot();
    // The window's pixels; it must lie wholly on the screen.
    TImage GrabWindow(unsigned long window, int width, int height);
    // The server's pixel for a pixel word 0x00RRGGBB: each channel's top bits under its mask.
    unsigned long ServerPixel(std::uint32_t word) const;
    // Gives the root a tiled background of two colours, so that uncovered parts of the screen
    // come back with the same pattern.
    void PaintRootPattern(std::uint32_t a, std::uint32_t b);

    // A window's place in root coordinates, and whether it is mapped and viewable.
    TRect Geometry(unsigned long window);
    bool Viewable(unsigned long window);
    unsigned long FocusWindow();
    // The bounding shape's rectangles (window coordinates).
    std::vector<TRect> ShapeRectangles(unsigned long window);
    // The root's children, bottom first.
    std::vector<unsigned long> StackingOrder();
    // A property as 32-bit items (atoms, cardinals) or as bytes; none when the window lacks it.
    std::optional<std::vector<long>> Property32(unsigned long window, const char* name);
    std::optional<std::string> PropertyBytes(unsigned long window, const char* name, std::string* type = nullptr);
    unsigned long Atom(const char* name);
    struct TSizeHints {
        long Flags = 0;
        int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
    };
    std::optional<TSizeHints> NormalHints(unsigned long window);

    // As a window manager would: asks the window to close (WM_DELETE_WINDOW).
    void SendDeleteWindow(unsigned long window);
    // As another client might: destroys the window behind its owner's back.
    void DestroyWindow(unsigned long window);

    // As a window manager that keeps every window wholly on the screen: from now on, maps and
    // moves of the root's children are redirected here, and ServeWindowManager carries them out
    // with the position pulled onto the screen. False when another client manages the screen.
    bool BecomeClampingWindowManager();
    void ServeWindowManager();

    void PointerTo(TPoint p);
    void Click(TPoint p);
    // Presses and releases the key of a keysym name ("Return", "Escape", "a"); false when the
    // server's keyboard has no such key.
    bool Type(const char* keysymName);

private:
    void Sync();
    struct TClose {
        void operator()(struct _XDisplay* display) const;
    };
    std::unique_ptr<struct _XDisplay, TClose> FConnection;
    struct _XDisplay* FDisplay = nullptr; // the connection's handle, for Xlib's calls
};
