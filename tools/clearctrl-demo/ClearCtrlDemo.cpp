// clearctrl-demo: a shaped form built from the ClearCtrl kit, for people to look at.
//
// A rounded plate (a TClearPanel with FormTrans and ParentDrag) is the whole visible form; on it
// sit shaped buttons in every style, with and without border, one of them disabled. On a desktop
// the form can be dragged by its plate and the buttons pressed by hand. On the headless screen the
// program walks through the states itself and writes a PNG of the screen for each: normal, hot,
// pressed and disabled, and after a drag. The folder is the first argument, or shots=DIR of
// PAKKORIN_PLATFORM.
//
//   clearctrl-demo [SHOTS-DIR]

#include "controls/shaped/ClearCtrl.h"
#include "platform/display/Platform.h"
#include "platform/display/headless/HeadlessDriver.h"
#include "platform/display/headless/HeadlessInput.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

namespace {

constexpr TColor Key = 0x00FF00FF;

// A picture of the given size on the key colour; shade(x, y) gives each pixel's colour, or Key.
std::unique_ptr<TPicture> Drawn(int width, int height, const std::function<TColor(double, double)>& shade)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.Image().SetPixelWord(x, y, ColorToPixelWord(shade(x + 0.5, y + 0.5)));
    bitmap.SetTransparentColor(Key);
    auto picture = std::make_unique<TPicture>();
    picture->SetGraphic(&bitmap);
    return picture;
}

TColor Mix(TColor a, TColor b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [&](int shift) { return static_cast<unsigned>(std::lround(((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t)); };
    TColor c = RGB(ch(0), ch(8), ch(16));
    return c == Key ? c ^ 1 : c;
}

// The plate: a rounded rectangle, lit from the top, with a darker rim.
std::unique_ptr<TPicture> Plate(int width, int height)
{
    const double r = 36;
    return Drawn(width, height, [=](double x, double y) {
        const double cx = std::clamp(x, r, width - r), cy = std::clamp(y, r, height - r);
        const double d = std::hypot(x - cx, y - cy);
        if (d > r)
            return Key;
        if (d > r - 4)
            return RGB(20, 60, 90);
        return Mix(RGB(110, 190, 230), RGB(30, 100, 150), y / height);
    });
}

std::unique_ptr<TPicture> Disc(int size, TColor light, TColor dark)
{
    return Drawn(size, size, [=](double x, double y) {
        const double c = size / 2.0, d = std::hypot(x - c, y - c);
        if (d > c)
            return Key;
        // A highlight up and to the left makes it round.
        return Mix(light, dark, std::hypot(x - c * 0.7, y - c * 0.7) / size * 1.4);
    });
}

std::unique_ptr<TPicture> Diamond(int size, TColor light, TColor dark)
{
    return Drawn(size, size, [=](double x, double y) {
        const double c = size / 2.0, d = std::abs(x - c) + std::abs(y - c);
        if (d > c)
            return Key;
        return x < c ? Mix(light, dark, d / c * 0.6) : Mix(dark, light, (c - d) / c * 0.4);
    });
}

std::unique_ptr<TPicture> Ring(int size, int thickness, TColor color)
{
    return Drawn(size, size, [=](double x, double y) {
        const double c = size / 2.0, d = std::hypot(x - c, y - c);
        return d <= c && d > c - thickness ? Mix(color, clWhite, (c - d) / thickness * 0.5) : Key;
    });
}

TClearButton* AddButton(TForm* form, TClearPanel* plate, const char* name, const char* caption, std::unique_ptr<TPicture> picture,
    TTransBtnStyle style, TBorderStyle border, int left, int top)
{
    auto* b = new TClearButton(form);
    b->BeginUpdate();
    b->SetName(name);
    b->SetParent(plate);
    b->SetCaption(caption);
    b->Font().SetSize(11);
    b->Font().SetColor(clWhite);
    b->SetHotLightDepth(56);
    b->SetStyle(style);
    b->SetBorderStyle(border);
    b->SetLeft(left);
    b->SetTop(top);
    b->SetPicture(picture.get());
    b->EndUpdate();
    return b;
}

struct TDemo {
    TForm* Form = nullptr;
    TClearPanel* Plate = nullptr;
    std::vector<TClearButton*> Buttons;
};

TDemo BuildDemo()
{
    TDemo d;
    Application->SetTitle("ClearCtrl");
    Application->CreateForm(d.Form);
    TForm* form = d.Form;
    form->SetName("DemoForm");
    form->SetCaption("ClearCtrl");
    form->SetBorderStyle(bsToolWindow);
    form->SetFormStyle(fsStayOnTop);
    form->SetColor(clWhite);
    form->SetBounds(60, 40, 10, 10);
    form->SetClientWidth(420);
    form->SetClientHeight(260);

    auto* plate = new TClearPanel(form);
    d.Plate = plate;
    plate->SetName("Plate");
    plate->BeginUpdate();
    plate->SetAutoSize(false);
    plate->SetAlign(alClient);
    plate->SetChildGraphicsTrans(true);
    plate->SetFormTrans(true);
    plate->SetParentDrag(true);
    plate->SetHotTrack(false); // only the buttons light up
    plate->SetParentFont(false);
    plate->Font().SetSize(14);
    plate->Font().SetStyle({ fsBold });
    plate->Font().SetColor(clWhite);
    plate->SetCaption("ClearCtrl: drag me");
    plate->SetCaptionLeft(28);
    plate->SetCaptionTop(18);
    plate->SetParent(form);
    plate->SetPicture(Plate(420, 260).get());
    plate->EndUpdate();

    d.Buttons.push_back(AddButton(form, plate, "Push", "Push", Disc(44, RGB(255, 170, 80), RGB(190, 60, 0)), sbsPushBtn, bsSingle, 24, 64));
    d.Buttons.push_back(AddButton(form, plate, "Float", "Float", Diamond(44, RGB(140, 240, 140), RGB(20, 120, 40)), sbsFloatBtn, bsSingle, 156, 64));
    d.Buttons.push_back(AddButton(form, plate, "Flat", "Flat", Disc(40, RGB(250, 130, 200), RGB(150, 20, 90)), sbsPushBtn, bsNone, 288, 64));
    d.Buttons.push_back(AddButton(form, plate, "Picture", "", Ring(56, 10, RGB(250, 220, 60)), sbsImage, bsNone, 36, 160));
    TClearButton* off = AddButton(form, plate, "Disabled", "Off", Diamond(40, RGB(120, 160, 255), RGB(20, 40, 160)), sbsPushBtn, bsSingle, 156, 164);
    off->SetEnabled(false);
    d.Buttons.push_back(off);
    TClearButton* close = AddButton(form, plate, "Close", "Close", nullptr, sbsPushBtn, bsSingle, 288, 172);
    close->OnClick = [form](TObject*) { form->Close(); };
    d.Buttons.push_back(close);

    for (TClearButton* b : d.Buttons)
        if (b != close)
            b->OnClick = [plate, b](TObject*) { plate->SetCaption("ClearCtrl: " + b->Name() + " clicked"); };
    return d;
}

TPoint Middle(const TControl* c)
{
    return c->ClientToScreen({ Halved(c->Width()), Halved(c->Height()) });
}

// The headless walk through every state, one screenshot each.
int RunHeadless(THeadlessDriver& driver, TDemo& d)
{
    if (driver.Options().ShotsDir.empty()) {
        std::cerr << "clearctrl-demo: no folder for the screenshots (give one, or shots=DIR)" << std::endl;
        return 2;
    }
    auto shot = [&](const std::string& label) {
        TestInput::Settle();
        AnsiString path = driver.Screenshot(label);
        std::cout << path << std::endl;
    };
    auto later = [&] { driver.AdvanceTo(driver.NowMs() + 1000); }; // no double clicks between steps
    const TPoint away { 5, 5 };

    d.Form->Show();
    TestInput::MoveTo(away);
    shot("normal");
    for (TClearButton* b : d.Buttons) {
        if (b->Name() == "Close")
            continue;
        const std::string name = b->Name();
        // The ring's middle is a hole: the pointer goes onto the ring itself.
        const TPoint on = name == "Picture" ? b->ClientToScreen({ Halved(b->Width()), 6 }) : Middle(b);
        TestInput::MoveTo(on);
        shot(b->Enabled() ? "hot-" + name : "disabled-" + name + "-under-pointer");
        if (!b->Enabled())
            continue;
        TestInput::Press(mbLeft, on);
        shot("pressed-" + name);
        TestInput::Release(mbLeft, on);
        TestInput::MoveTo(away);
        later();
    }
    shot("after-clicks");

    // Dragging the plate moves the form.
    const TPoint grab = d.Plate->ClientToScreen({ 210, 140 });
    TestInput::Press(mbLeft, grab);
    TestInput::MoveTo(grab + TPoint { 40, 20 });
    TestInput::MoveTo(grab + TPoint { 80, 50 });
    TestInput::Release(mbLeft, grab + TPoint { 80, 50 });
    TestInput::MoveTo(away);
    shot("dragged");
    later();
    TestInput::Click(Middle(d.Buttons.back()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const char* env = std::getenv("PAKKORIN_PLATFORM");
    AnsiString error;
    TPlatformSettings settings = ParsePlatformSettings(env ? env : "", &error);
    if (!error.empty())
        std::cerr << "PAKKORIN_PLATFORM: " << error << std::endl;
    if (argc > 1)
        settings.Shots = argv[1];
    // A small screen keeps the pictures small, unless one was asked for.
    if (!env || std::string(env).find("screen=") == std::string::npos) {
        settings.ScreenWidth = 640;
        settings.ScreenHeight = 420;
    }
    InitPlatform(settings);
    Register();
    int status = 0;
    try {
        TDemo demo = BuildDemo();
        if (THeadlessDriver* headless = HeadlessDriverInstalled())
            status = RunHeadless(*headless, demo);
        else
            Application->Run();
    } catch (const Exception& e) {
        std::cerr << "clearctrl-demo: " << e.Message() << std::endl;
        status = 1;
    }
    if (status == 0)
        status = Application->Finish();
    DonePlatform();
    return status;
}
