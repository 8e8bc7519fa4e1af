// x11_smoke: a look at the real desktop by eye. A stay-on-top tool window shaped like the crest
// (its caption bar and every pixel of the crest bitmap that is not the key colour), showing a
// colour wheel through that shape, slides in from the left edge, 32 pixels every 20 ms, as the
// program's window does; the whole screen is written as PNG files while the window is half on the
// screen and once it has come to rest.
//
//   x11_smoke CREST.bmp OUTPUT-FOLDER      (with DISPLAY set, for example to an Xvfb)

#include "platform/base/CodePage.h"
#include "platform/base/FileSystem.h"
#include "platform/display/Platform.h"
#include "platform/display/x11/X11Driver.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/PngWriter.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowSystem.h"

#include <iostream>

namespace {

// Every pixel that is not magenta, row by row, moved to where the client area lies in the window.
TRegion CrestRegion(const TDibImage& crest, TPoint clientOrigin)
{
    TRegion region;
    for (int y = 0; y < crest.Height; ++y) {
        int x = 0;
        while (x < crest.Width) {
            while (x < crest.Width && crest.GetPixelWord(x, y) == 0xFF00FF)
                ++x;
            int start = x;
            while (x < crest.Width && crest.GetPixelWord(x, y) != 0xFF00FF)
                ++x;
            if (x > start)
                region.UnionRect({ start + clientOrigin.X, y + clientOrigin.Y, x + clientOrigin.X, y + 1 + clientOrigin.Y });
        }
    }
    return region;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: x11_smoke CREST.bmp OUTPUT-FOLDER" << std::endl;
        return 2;
    }
    AnsiString crestPath = argv[1], out = argv[2];
    TPlatformSettings settings;
    settings.Backend = "x11";
    if (InitPlatform(settings) != "x11") {
        std::cerr << "x11_smoke: no X display" << std::endl;
        return 1;
    }
    auto* driver = dynamic_cast<TX11Driver*>(&DisplayDriver());
    TDibImage crest = ReadBmp(ReadFileBytes(crestPath, 16 << 20));

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetName("SmokeForm");
    form->SetBorderStyle(bsToolWindow);
    form->SetFormStyle(fsStayOnTop);
    form->SetColor(clWhite);
    form->SetCaption(Utf8ToActive("パッコでパンチ！"));
    form->SetClientWidth(crest.Width);
    form->SetClientHeight(crest.Height);
    auto* image = new TImage(form);
    image->SetParent(form);
    image->SetAlign(alClient);
    // A picture seen through the crest, as the program shows one.
    TBitmap& picture = image->Picture().Bitmap();
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(crest.Width, crest.Height);
    for (int y = 0; y < crest.Height; ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < crest.Width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(255 * y / crest.Height);
            row[3 * x + 1] = static_cast<std::uint8_t>(255 - 255 * x / crest.Width);
            row[3 * x + 2] = static_cast<std::uint8_t>(255 * x / crest.Width);
        }
    }
    int screenWidth = Screen->Width(), screenHeight = Screen->Height();
    form->SetTop((screenHeight - form->Height()) / 2);
    form->SetLeft(-form->Width() - 20);
    TRegion shape = CrestRegion(crest, ClientOrigin(form->Handle()));
    shape.UnionRect({ 0, 0, form->Width(), ToolWindowBorder + ToolWindowCaption });
    SetWindowRgn(form->Handle(), shape, true);

    int centre = (screenWidth - form->Width()) / 2;
    bool midShot = false;
    int restTicks = 0;
    auto shot = [&](const char* name) {
        driver->Flush();
        AnsiString path = out + "/" + name;
        bool ok = WritePng(driver->GrabScreen(), path);
        std::cout << (ok ? "wrote " : "could not write ") << path << " with the window at " << form->Left() << "," << form->Top() << std::endl;
    };
    auto* timer = new TTimer(form);
    timer->SetInterval(20);
    timer->SetOnTimer([&](TObject*) {
        if (form->Left() < centre) {
            form->SetLeft(form->Left() + 32);
            return;
        }
        // At rest: a few ticks for the last paint to reach the screen, then the picture.
        if (++restTicks == 5) {
            shot("rest.png");
            form->Close();
        }
    });
    Application->OnIdle = [&](TObject*) {
        if (!midShot && form->Left() >= -form->Width() / 2 && driver->Presented(form->Handle())) {
            midShot = true;
            shot("mid-slide.png");
        }
    };
    Application->Run();
    std::cout << "X errors: " << driver->ErrorCount() << ", shared memory: " << (driver->UsesShm() ? "yes" : "no")
              << ", shapes: " << (driver->UsesShape() ? "yes" : "no") << std::endl;
    DonePlatform();
    return 0;
}
