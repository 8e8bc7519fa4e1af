#pragma once
// TX11Driver: the real desktop. Each visible top-level window of the window system is shown as one
// X window at exactly its outer bounds (also far outside the screen), undecorated by the window
// manager (the window system draws the tool-window frame into the pixels itself), not resizable,
// kept above other windows when it stays on top, and shaped by its window region. The window
// system stays the one authority on windows, positions, regions and input routing: this driver
// copies its composed pixels to the screen, turns X pointer and key events into the window
// system's input, keeps real time and waits on the X connection.
//
// The connection ($DISPLAY) is opened once and belongs to the driver; the X windows it creates are
// destroyed with the window system's windows or, at the latest, with the driver. X protocol errors
// (a window that is already gone, say) are counted and otherwise ignored. The Shape and MIT-SHM
// extensions are used where the server has them; without them windows are rectangular and pixels
// go through plain image requests.
//
// Should a window manager place a window elsewhere than asked (many keep windows on the screen),
// the platform still believes its own bounds: the slide goes on as computed, and pointer positions
// are reported relative to where the platform believes the window is, so clicks still reach the
// control under the pointer.
//
// No X11 header is visible through this file.

#include "platform/graphics/DibImage.h"
#include "platform/ui/DisplayDriver.h"

#include <memory>

struct TX11Options {
    const char* DisplayName = nullptr; // null: $DISPLAY
    bool AllowShm = true;
    bool AllowShape = true;
};

class TX11Driver : public TDisplayDriver {
public:
    // Opens the display; null when it cannot be opened or offers no TrueColor visual.
    static std::unique_ptr<TX11Driver> Open(const TX11Options& options = {});
    ~TX11Driver() override;

    const char* Name() const override { return "x11"; }
    TPoint ScreenSize() const override;
    std::int64_t NowMs() override;
    bool VirtualTime() const override { return false; }
    void WaitForInput(std::int64_t timeoutMs) override;
    bool ReceivesInput() const override { return true; }

    void WindowChanged(const TTopLevelState& state) override;
    void WindowDestroyed(HWND hwnd) override;
    void WindowPixelsChanged(HWND hwnd) override;

    void Beep(UINT type) override;
    bool ShellOpen(const AnsiString& verb, const AnsiString& target, const AnsiString& parameters,
        const AnsiString& directory, int showCommand) override;

    // Pushes the pixels of every changed window now and waits until the server has them.
    void Flush();
    // The X window that shows a top-level window (0 when it has none yet).
    unsigned long XWindowOf(HWND hwnd) const;
    // True once the window is mapped, exposed and shows its latest pixels.
    bool Presented(HWND hwnd) const;
    // The whole screen as the X server shows it (32-bit pixel words).
    TDibImage GrabScreen();
    bool UsesShm() const;
    bool UsesShape() const;
    // X protocol errors seen so far (they are ignored otherwise).
    int ErrorCount() const;

private:
    struct TImpl;
    explicit TX11Driver(std::unique_ptr<TImpl> impl);
    std::unique_ptr<TImpl> F;
};

// The factory the platform's start-up uses: the X11 driver, or null when no display can be opened.
std::unique_ptr<TDisplayDriver> CreateX11Driver();
