// The shine button gallery: every frame type, face, layout and glyph mode, and two groups mixed
// with the platform's speed buttons, on one form.
//
//   shine-demo FOLDER   on the headless screen: writes a PNG of each look into FOLDER and ends
//   shine-demo          on a desktop: shows the gallery until it is closed

#include "controls/shine_button/ShineSpdBtn.h"

#include "platform/display/Platform.h"
#include "platform/display/headless/HeadlessInput.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngWriter.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowSystem.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t Olive = 0x808000; // the glyphs' background, as a pixel word

// A sun: a two-tone disc with a hole in its middle and four rays, on olive; the hole and the gaps
// between the rays let the light outlines show how they follow a shape.
std::unique_ptr<TBitmap> SunGlyph(int size)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(size, size);
    const double c = (size - 1) / 2.0;
    const double outer = size * 0.30, inner = size * 0.12;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double dx = x - c, dy = y - c;
            double d = std::sqrt(dx * dx + dy * dy);
            std::uint32_t p = Olive;
            if (d <= outer && d > inner)
                p = d > outer - size * 0.08 ? 0xC04000 : 0xFFA000;
            else if (d > outer + 1.5 && d < size * 0.48 && (std::abs(dx) < 1 || std::abs(dy) < 1))
                p = 0xE00000;
            b->Image().SetPixelWord(x, y, p);
        }
    return b;
}

// A note: a blue square with a white fold, for the disabled row.
std::unique_ptr<TBitmap> NoteGlyph(int size)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::uint32_t p = Olive;
            if (x >= 2 && x < size - 2 && y >= 2 && y < size - 2)
                p = (x + y > size + size / 3) ? 0xFFFFFF : (y % 4 == 0 && x > 4 && x < size - 5) ? 0x000080 : 0x4080FF;
            b->Image().SetPixelWord(x, y, p);
        }
    return b;
}

struct TGallery {
    TForm* Form = nullptr;
    std::vector<TShineSpeedButton*> Loose; // not in a group: the state pictures may set them down
    std::vector<TShineSpeedButton*> All;
    TShineSpeedButton* Hover = nullptr;
    TShineSpeedButton* Group1First = nullptr;
    TSpeedButton* Group1Platform = nullptr;
    TShineSpeedButton* Group2Down = nullptr;
    std::vector<TShineSpeedButton*> DisabledRow;
};

struct TTitle {
    int X, Y;
    const char* Text;
};

TShineSpeedButton* AddShine(TGallery& g, TWinControl* parent, TRect bounds, const char* caption, const TBitmap* glyph)
{
    auto* b = new TShineSpeedButton(g.Form);
    b->SetBoundsRect(bounds);
    b->SetCaption(caption);
    if (glyph)
        b->SetGlyph(glyph);
    b->SetParent(parent);
    g.All.push_back(b);
    return b;
}

TSpeedButton* AddPlatform(TGallery& g, TWinControl* parent, TRect bounds, const char* caption, int group)
{
    auto* b = new TSpeedButton(g.Form);
    b->SetBoundsRect(bounds);
    b->SetCaption(caption);
    b->SetParent(parent);
    b->SetGroupIndex(group);
    return b;
}

TGallery BuildGallery(std::vector<TTitle>& titles)
{
    TGallery g;
    Application->CreateForm(g.Form);
    TForm* f = g.Form;
    f->SetName("ShineGallery");
    f->SetCaption("Shine buttons");
    f->SetBorderStyle(bsSingle);
    f->SetBounds(40, 40, 100, 100);
    f->SetClientWidth(760);
    f->SetClientHeight(470);
    f->SetColor(clBtnFace);

    auto sun16 = SunGlyph(16);
    auto sun24 = SunGlyph(24);
    auto note = NoteGlyph(20);

    int y = 24;
    titles.push_back({ 10, y - 18, "Frames: flat, normal, enclosed" });
    const TFrameType frames[] = { ftFlatFrame, ftNormalFrame, ftEnclosedFrame };
    const char* frameNames[] = { "Flat", "Normal", "Enclosed" };
    for (int i = 0; i < 3; ++i) {
        auto* b = AddShine(g, f, Bounds(10 + i * 100, y, 92, 30), frameNames[i], sun16.get());
        b->SetFrameType(frames[i]);
        g.Loose.push_back(b);
    }
    g.Hover = g.Loose[1];

    titles.push_back({ 340, y - 18, "Faces: solid, horizontal, vertical" });
    for (int i = 0; i < 3; ++i) {
        auto* b = AddShine(g, f, Bounds(340 + i * 100, y, 92, 30), i == 0 ? "Solid" : i == 1 ? "Across" : "Down", sun16.get());
        if (i > 0) {
            for (TShineBtnColors* set : { &b->Colors(), &b->PressedColors() }) {
                set->SetGradation(true);
                set->SetGradVertical(i == 2);
            }
            b->Colors().SetColor(0x00F0E0D0);
            b->Colors().SetGradColor(0x00A05020);
            b->PressedColors().SetColor(0x00A05020);
            b->PressedColors().SetGradColor(0x00F0E0D0);
            b->Font().SetColor(clWhite);
            b->SetFontShadow(clBlack);
        }
        g.Loose.push_back(b);
    }

    y = 90;
    titles.push_back({ 10, y - 18, "Layouts: glyph left, right, top, bottom; margin 4 on the last two" });
    const TButtonLayout layouts[] = { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    const char* layoutNames[] = { "Left", "Right", "Top", "Bottom" };
    for (int i = 0; i < 4; ++i) {
        bool tall = i >= 2;
        auto* b = AddShine(g, f, Bounds(10 + i * 100, y, 92, tall ? 56 : 30), layoutNames[i], sun16.get());
        b->SetLayout(layouts[i]);
        if (tall)
            b->SetMargin(4);
        g.Loose.push_back(b);
    }
    {
        auto* b = AddShine(g, f, Bounds(410, y, 120, 30), "&Two\r\nlines", nullptr);
        b->SetFontHighlight(clWhite);
        b->SetFontShadow(clGray);
        b->SetFrameType(ftEnclosedFrame);
        g.Loose.push_back(b);
    }
    {
        auto* b = AddShine(g, f, Bounds(540, y, 120, 30), "Transparent", sun16.get());
        b->SetTransparent(true);
        b->SetFrameType(ftFlatFrame);
        g.Loose.push_back(b);
    }

    y = 176;
    titles.push_back({ 10, y - 18, "Active pictures (shown pointed at): normal, xor, half, quarter, add, frame, frame 2, mask" });
    const char* activeNames[] = { "Normal", "Xor", "Half", "Quarter", "Add", "Frame", "Frame2", "Mask" };
    for (int i = 0; i < 8; ++i) {
        auto* b = AddShine(g, f, Bounds(10 + i * 92, y, 86, 50), activeNames[i], sun24.get());
        b->SetLayout(blGlyphTop);
        b->SetSpacing(2);
        b->SetActiveImage(static_cast<TActiveImageType>(i));
        b->SetShineColor(i == aiXorLight ? clAqua : clYellow);
        g.Loose.push_back(b);
    }

    y = 262;
    titles.push_back({ 10, y - 18, "Disabled pictures: edge mask, grayscale, half, quarter, mask" });
    const char* disabledNames[] = { "Default", "Gray", "Half", "Quarter", "Mask" };
    for (int i = 0; i < 5; ++i) {
        auto* b = AddShine(g, f, Bounds(10 + i * 100, y, 92, 32), disabledNames[i], note.get());
        b->SetDisabledImage(static_cast<TDisabledImageType>(i));
        b->SetEnabled(false);
        g.DisabledRow.push_back(b);
    }

    y = 330;
    titles.push_back({ 10, y - 18, "Group 1, one always down (the last one is a platform speed button)" });
    auto* panel1 = new TPanel(f);
    panel1->SetBounds(10, y, 360, 50);
    panel1->SetBevelOuter(bvLowered);
    panel1->SetParent(f);
    for (int i = 0; i < 3; ++i) {
        auto* b = AddShine(g, panel1, Bounds(8 + i * 86, 10, 80, 30), i == 0 ? "One" : i == 1 ? "Two" : "Three", sun16.get());
        b->SetGroupIndex(1);
        if (i == 0) {
            b->SetDown(true);
            g.Group1First = b;
        }
    }
    g.Group1Platform = AddPlatform(g, panel1, Bounds(8 + 3 * 86, 10, 80, 30), "Platform", 1);

    titles.push_back({ 390, y - 18, "Group 2 with AllowAllUp (mixed likewise)" });
    auto* panel2 = new TPanel(f);
    panel2->SetBounds(390, y, 360, 50);
    panel2->SetBevelOuter(bvLowered);
    panel2->SetParent(f);
    for (int i = 0; i < 3; ++i) {
        auto* b = AddShine(g, panel2, Bounds(8 + i * 86, 10, 80, 30), i == 0 ? "Red" : i == 1 ? "Green" : "Blue", nullptr);
        b->SetFrameType(i == 0 ? ftFlatFrame : i == 1 ? ftNormalFrame : ftEnclosedFrame);
        b->SetGroupIndex(2);
        b->PressedColors().SetColor(i == 0 ? 0x008080FF : i == 1 ? 0x0080FF80 : 0x00FF8080);
        if (i == 1)
            g.Group2Down = b;
    }
    AddPlatform(g, panel2, Bounds(8 + 3 * 86, 10, 80, 30), "Platform", 2);
    g.Group2Down->SetAllowAllUp(true);
    g.Group2Down->SetDown(true);

    y = 410;
    titles.push_back({ 10, y - 18, "Click-down hook, accelerator K" });
    {
        auto* b = AddShine(g, f, Bounds(10, y, 140, 34), "Click-down &K", sun16.get());
        b->SetClickDownHook(true);
        b->SetFrameType(ftEnclosedFrame);
        g.Loose.push_back(b);
    }
    return g;
}

bool Save(TForm* form, const std::filesystem::path& dir, const char* name)
{
    Application->ProcessMessages();
    form->Update();
    std::filesystem::path file = dir / name;
    bool ok = WritePng(ComposeWindow(form->Handle()), file.string());
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "could not write", file.string().c_str());
    return ok;
}

// A part of the client area enlarged, so that single pixels of the pictures can be seen.
bool SaveZoom(TForm* form, const std::filesystem::path& dir, const char* name, const TRect& client, int factor)
{
    Application->ProcessMessages();
    form->Update();
    TBitmap window;
    TDibImage composed = ComposeWindow(form->Handle());
    window.SetImage(std::move(composed));
    TPoint origin = ClientOrigin(form->Handle());
    TBitmap zoom;
    zoom.SetPixelFormat(pf24bit);
    zoom.SetSize(client.Width() * factor, client.Height() * factor);
    zoom.Canvas().CopyRect({ 0, 0, zoom.Width(), zoom.Height() }, window.Canvas(), client.Offsetted(origin.X, origin.Y));
    std::filesystem::path file = dir / name;
    bool ok = WritePng(zoom.Image(), file.string());
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "could not write", file.string().c_str());
    return ok;
}

// Every loose button pointed at (the message the pointer tracking would send), or left again.
void PointAtAll(TGallery& g, bool enter)
{
    for (TShineSpeedButton* b : g.Loose)
        b->Perform(enter ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

// Every loose button down, each in a group of its own, or up again and out of it.
void DownAll(TGallery& g, bool down)
{
    int group = 100;
    for (TShineSpeedButton* b : g.Loose) {
        if (down) {
            b->SetGroupIndex(group++);
            b->SetDown(true);
        } else {
            b->SetAllowAllUp(true);
            b->SetDown(false);
            b->SetAllowAllUp(false);
            b->SetGroupIndex(0);
        }
    }
}

int WriteShots(TGallery& g, const std::filesystem::path& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = true;
    TForm* f = g.Form;
    ok &= Save(f, dir, "01-up.png");
    ok &= SaveZoom(f, dir, "01-zoom-disabled.png", Bounds(10, 262, 500, 32), 3);
    PointAtAll(g, true);
    ok &= Save(f, dir, "02-up-active.png");
    ok &= SaveZoom(f, dir, "02-zoom-active-pictures.png", Bounds(10, 176, 740, 50), 2);
    PointAtAll(g, false);
    DownAll(g, true);
    ok &= Save(f, dir, "03-down.png");
    PointAtAll(g, true);
    ok &= Save(f, dir, "04-down-active.png");
    PointAtAll(g, false);
    DownAll(g, false);
    for (TShineSpeedButton* b : g.All)
        b->SetEnabled(false);
    ok &= Save(f, dir, "05-disabled.png");
    for (TShineSpeedButton* b : g.All)
        b->SetEnabled(true);
    for (TShineSpeedButton* b : g.DisabledRow)
        b->SetEnabled(false);
    g.Group1First->SetDown(true);
    g.Group2Down->SetDown(true);

    // Now with the real pointer.
    TestInput::MoveTo(g.Hover->ClientToScreen({ 10, 10 }));
    ok &= Save(f, dir, "06-pointer-over.png");
    TestInput::Press(mbLeft, g.Hover->ClientToScreen({ 10, 10 }));
    ok &= Save(f, dir, "07-pressed.png");
    TestInput::MoveTo(g.Hover->ClientToScreen({ 200, 10 }));
    ok &= Save(f, dir, "08-pressed-pointer-outside.png");
    TestInput::Release(mbLeft, g.Hover->ClientToScreen({ 200, 10 }));
    TestInput::Click(g.Group1Platform->ClientToScreen({ 10, 10 }));
    TestInput::Click(g.Group2Down->ClientToScreen({ 10, 10 }));
    TestInput::MoveTo(f->ClientToScreen({ 700, 450 }));
    ok &= Save(f, dir, "09-groups-after-clicks.png");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    AnsiString backend = InitPlatform();
    ShineSpdBtn::Register();
    std::vector<TTitle> titles;
    TGallery gallery = BuildGallery(titles);
    gallery.Form->OnPaint = [&](TObject*) {
        TCanvas& c = gallery.Form->Canvas();
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(clBtnText);
        for (const TTitle& t : titles)
            c.TextOut(t.X, t.Y, t.Text);
    };
    int status = 0;
    if (backend == "headless") {
        if (argc < 2) {
            std::fprintf(stderr, "usage: shine-demo FOLDER   (on the headless screen: writes the gallery's pictures there)\n");
            status = 2;
        } else {
            gallery.Form->Show();
            status = WriteShots(gallery, argv[1]);
        }
    } else {
        Application->Run();
    }
    DonePlatform();
    return status;
}
