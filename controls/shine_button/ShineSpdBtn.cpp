#include "controls/shine_button/ShineSpdBtn.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/RasterOps.h"
#include "platform/graphics/TextDraw.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdint>

PK_CLASS_IMPL(TShineSpeedButton, TGraphicControl, &CreateComponent<TShineSpeedButton>)

namespace {

// Where the mask is white the destination takes the brush, where it is black it stays:
// ((destination xor brush) and source) xor destination.
constexpr std::uint32_t MaskBrushRop = 0x00E20746;

constexpr unsigned CaptionFlags = DT_CENTER | DT_VCENTER;

bool IsDownState(TShineButtonState s) { return s == stDownActive || s == stDown; }
bool IsActiveState(TShineButtonState s) { return s == stDownActive || s == stUpActive; }

// Pixel words of 32-bit rows are stored as the bytes blue, green, red, 0; the top byte is ignored
// when read and written as 0.
std::uint32_t ReadWord(const std::uint8_t* row, int x)
{
    const std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
    return std::uint32_t { p[0] } | (std::uint32_t { p[1] } << 8) | (std::uint32_t { p[2] } << 16);
}

void WriteWord(std::uint8_t* row, int x, std::uint32_t word)
{
    std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
    p[0] = static_cast<std::uint8_t>(word);
    p[1] = static_cast<std::uint8_t>(word >> 8);
    p[2] = static_cast<std::uint8_t>(word >> 16);
    p[3] = 0;
}

int Red(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int Green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(std::uint32_t p) { return static_cast<int>(p & 0xFF); }
std::uint32_t Word(int r, int g, int b)
{
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

// Applies f to the three channel pairs of two pixel words.
template <class F>
std::uint32_t PerChannel(std::uint32_t a, std::uint32_t b, F f)
{
    return Word(f(Red(a), Red(b)), f(Green(a), Green(b)), f(Blue(a), Blue(b)));
}

// The picture a state glyph is made from, row by row, with its background colour.
struct TGlyphSource {
    const TDibImage& Image;
    std::uint32_t Key;
    bool IsKey(const std::uint8_t* row, int x) const { return ReadWord(row, x) == Key; }
};

// The light outline around the glyph's shape. For row y only the source rows y-1, y and y+1 are
// read, and only the same rows of the copy are written; a written pixel never counts as glyph, since
// every test reads the source. Positions outside the picture are nothing, so the outline stops at
// the edges instead of wrapping around them.
void FrameLight(const TGlyphSource& src, TDibImage& out, std::uint32_t shine, bool thick)
{
    const int w = src.Image.Width;
    const int h = src.Image.Height;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* above = y > 0 ? src.Image.Row(y - 1) : nullptr;
        const std::uint8_t* row = src.Image.Row(y);
        const std::uint8_t* below = y + 1 < h ? src.Image.Row(y + 1) : nullptr;
        std::uint8_t* outAbove = y > 0 ? out.Row(y - 1) : nullptr;
        std::uint8_t* outRow = out.Row(y);
        std::uint8_t* outBelow = y + 1 < h ? out.Row(y + 1) : nullptr;
        for (int x = 0; x < w; ++x) {
            if (!src.IsKey(row, x))
                continue;
            bool outline = (x > 0 && !src.IsKey(row, x - 1)) || (x + 1 < w && !src.IsKey(row, x + 1))
                || (above && !src.IsKey(above, x)) || (below && !src.IsKey(below, x));
            if (!outline)
                continue;
            WriteWord(outRow, x, shine);
            if (!thick)
                continue;
            // The second ring: the key neighbours of an outline pixel.
            if (x > 0 && src.IsKey(row, x - 1))
                WriteWord(outRow, x - 1, shine);
            if (x + 1 < w && src.IsKey(row, x + 1))
                WriteWord(outRow, x + 1, shine);
            if (above && src.IsKey(above, x))
                WriteWord(outAbove, x, shine);
            if (below && src.IsKey(below, x))
                WriteWord(outBelow, x, shine);
        }
    }
}

// Every glyph pixel replaced by f(word, x, y); background pixels stay.
template <class F>
void MapGlyphPixels(const TGlyphSource& src, TDibImage& out, F f)
{
    for (int y = 0; y < src.Image.Height; ++y) {
        const std::uint8_t* row = src.Image.Row(y);
        std::uint8_t* outRow = out.Row(y);
        for (int x = 0; x < src.Image.Width; ++x) {
            std::uint32_t p = ReadWord(row, x);
            if (p != src.Key)
                WriteWord(outRow, x, f(p, x, y));
        }
    }
}

// The one checkerboard of mask light and mask transparency: the top-left position is never chosen.
bool Checked(int x, int y) { return ((x + y) & 1) != 0; }

void ApplyActiveImage(TActiveImageType mode, const TGlyphSource& src, TDibImage& out, std::uint32_t s)
{
    switch (mode) {
    case aiNormal:
        break;
    case aiXorLight:
        MapGlyphPixels(src, out, [s](std::uint32_t p, int, int) { return (p ^ s) & 0xFFFFFF; });
        break;
    case aiHalfLight:
        MapGlyphPixels(src, out, [s](std::uint32_t p, int, int) { return PerChannel(s, p, [](int a, int b) { return (a + b) / 2; }); });
        break;
    case aiQuaterLight:
        MapGlyphPixels(src, out, [s](std::uint32_t p, int, int) { return PerChannel(s, p, [](int a, int b) { return (3 * a + b) / 4; }); });
        break;
    case aiAddLight:
        MapGlyphPixels(src, out, [s](std::uint32_t p, int, int) { return PerChannel(s, p, [](int a, int b) { return std::min(a + b, 255); }); });
        break;
    case aiFrameLight:
        FrameLight(src, out, s, false);
        break;
    case aiFrameLight2:
        FrameLight(src, out, s, true);
        break;
    case aiMaskLight:
        MapGlyphPixels(src, out, [s](std::uint32_t p, int x, int y) { return Checked(x, y) ? s : p; });
        break;
    }
}

void ApplyDisabledImage(TDisabledImageType mode, const TGlyphSource& src, TDibImage& out, std::uint32_t d)
{
    switch (mode) {
    case diDefault:
        break; // the edge mask is made apart, on a black copy
    case diGrayscale:
        MapGlyphPixels(src, out, [](std::uint32_t p, int, int) {
            auto v = static_cast<std::uint32_t>((Red(p) + Green(p) + Blue(p)) / 3);
            return v * 0x010101u;
        });
        break;
    case diAlphaHalfTrans:
        MapGlyphPixels(src, out, [d](std::uint32_t p, int, int) { return PerChannel(d, p, [](int a, int b) { return (a + b) / 2; }); });
        break;
    case diAlphaQuaterTrans:
        MapGlyphPixels(src, out, [d](std::uint32_t p, int, int) { return PerChannel(d, p, [](int a, int b) { return (3 * a + b) / 4; }); });
        break;
    case diMaskTrans: {
        std::uint32_t key = src.Key;
        MapGlyphPixels(src, out, [key](std::uint32_t p, int x, int y) { return Checked(x, y) ? key : p; });
        break;
    }
    }
}

// White wherever a 2 x 2 block of the source has differing diagonals, on the black copy; the last
// row and column stay black. Every colour boundary counts, the background colour plays no part.
void EdgeMask(const TDibImage& src, TDibImage& out)
{
    for (int y = 0; y + 1 < src.Height; ++y) {
        const std::uint8_t* row = src.Row(y);
        const std::uint8_t* next = src.Row(y + 1);
        std::uint8_t* outRow = out.Row(y);
        for (int x = 0; x + 1 < src.Width; ++x) {
            if (ReadWord(row, x) != ReadWord(next, x + 1) || ReadWord(row, x + 1) != ReadWord(next, x))
                WriteWord(outRow, x, 0xFFFFFF);
        }
    }
}

// The gradient entry i of 256: each channel from a to b, truncating toward zero.
std::uint32_t GradientEntry(std::uint32_t a, std::uint32_t b, int i)
{
    return PerChannel(a, b, [i](int from, int to) { return from + (to - from) * i / 255; });
}

void DrawCaption(TCanvas& canvas, const AnsiString& caption, const TRect& rect)
{
    TRect r = rect;
    HDC dc = canvas.Handle();
    DrawTextDC(*dc, canvas.Font().Spec(), canvas.Font().Color(), caption, r, CaptionFlags);
}

// The edge mask onto the canvas at pos: white bits take the colour, black bits leave the canvas.
void DrawMask(TCanvas& canvas, TBitmap& mask, TPoint pos, TColor color)
{
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    HDC dc = canvas.Handle();
    dc->BrushColor = ColorToRGB(color);
    // A one-bit source gives the text colour for its 0 bits and the background colour for its 1
    // bits: black and white make the white bits all ones.
    dc->TextColor = clBlack;
    dc->BkColor = clWhite;
    BitBlt(dc, pos.X, pos.Y, mask.Width(), mask.Height(), mask.Canvas().Handle(), 0, 0, MaskBrushRop);
}

} // namespace

namespace ShineSpdBtn {

std::uint32_t ColorToPixel(TColor Color)
{
    return ColorToPixelWord(ColorToRGB(Color) & 0xFFFFFF);
}

TShiftState CurrentShiftState()
{
    // The keys and buttons as they stand now; the double-click member is never there.
    return CurrentKeyShiftState();
}

void Register()
{
    // The platform has no designer palette; the form reader's registry is where a class is made
    // known, so the palette page has nowhere to go.
    RegisterClass(TShineSpeedButton::StaticClassInfo());
}

} // namespace ShineSpdBtn

// ---------------------------------------------------------------------------------------------
// Construction and properties

TShineSpeedButton::TShineSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner)
{
    // Exactly these: no click events of the platform (the button raises Click and OnDblClick
    // itself) and no caption taken from the name.
    SetControlStyle({ csCaptureMouse, csOpaque, csDoubleClicks });

    // Both colours are set before the binding, so construction notifies nobody.
    FColors = std::make_unique<TShineBtnColors>();
    FColors->SetColor(clBtnFace);
    FColors->OnChange = TNotifyEvent(this, &TShineSpeedButton::FontsAndColorsOnChange);
    FPressedColors = std::make_unique<TShineBtnColors>();
    FPressedColors->SetColor(clBtnHighlight);
    FPressedColors->OnChange = TNotifyEvent(this, &TShineSpeedButton::FontsAndColorsOnChange);

    FFont = std::make_unique<TFont>();
    FFont->SetColor(clBtnText);
    FFont->OnChange = TNotifyEvent(this, &TShineSpeedButton::FontsAndColorsOnChange);
    FActiveFont = std::make_unique<TFont>();
    FActiveFont->SetColor(clHighlight);
    FActiveFont->OnChange = TNotifyEvent(this, &TShineSpeedButton::FontsAndColorsOnChange);

    // The transparent colour is set after the binding: that change already brings the empty
    // Glyph to the form it is always held in.
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = TNotifyEvent(this, &TShineSpeedButton::GlyphOnChange);
    FGlyph->SetTransparentColor(clOlive);

    SetWidth(25);
    SetHeight(25);
    SetCaption("");

    FActiveButtonTimer = std::make_unique<TTimer>(this);
    FActiveButtonTimer->SetInterval(200);
    FActiveButtonTimer->SetEnabled(false);
    FActiveButtonTimer->SetOnTimer(TNotifyEvent(this, &TShineSpeedButton::ActiveButtonTimerOnTimer));
}

TShineSpeedButton::~TShineSpeedButton()
{
    // The timer goes first, so that no tick can reach a button that is half gone.
    FActiveButtonTimer.reset();
    FGlyph.reset();
    FColors.reset();
    FPressedColors.reset();
    FFont.reset();
    FActiveFont.reset();
}

void TShineSpeedButton::Loaded()
{
    // Every stored property has gone through its setter already; loading adds nothing.
    TGraphicControl::Loaded();
}

void TShineSpeedButton::FontsAndColorsOnChange(TObject*)
{
    Invalidate();
}

void TShineSpeedButton::SetClickDownHook(bool Value)
{
    if (Value == FClickDownHook)
        return;
    FClickDownHook = Value;
    Invalidate();
}

void TShineSpeedButton::SetAccelCharDown(bool Value)
{
    if (Value == FAccelCharDown)
        return;
    FAccelCharDown = Value;
    Invalidate();
}

void TShineSpeedButton::SetFrameType(TFrameType Value)
{
    if (Value == FFrameType)
        return;
    FFrameType = Value;
    Invalidate();
}

void TShineSpeedButton::SetTransparent(bool Value)
{
    if (Value == FTransparent)
        return;
    FTransparent = Value;
    TControlStyle style = ControlStyle();
    if (Value)
        style.Exclude(csOpaque);
    else
        style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
}

void TShineSpeedButton::SetActiveFrame(bool Value)
{
    if (Value == FActiveFrame)
        return;
    FActiveFrame = Value;
    Invalidate();
}

void TShineSpeedButton::SetUpFrame(bool Value)
{
    if (Value == FUpFrame)
        return;
    FUpFrame = Value;
    Invalidate();
}

void TShineSpeedButton::SetDownFrame(bool Value)
{
    if (Value == FDownFrame)
        return;
    FDownFrame = Value;
    Invalidate();
}

void TShineSpeedButton::SetActiveImage(TActiveImageType Value)
{
    if (Value == FActiveImage)
        return;
    FActiveImage = Value;
    Invalidate();
}

void TShineSpeedButton::SetDisabledImage(TDisabledImageType Value)
{
    if (Value == FDisabledImage)
        return;
    FDisabledImage = Value;
    Invalidate();
}

void TShineSpeedButton::SetDisabledHighlight(TColor Value)
{
    if (Value == FDisabledHighlight)
        return;
    FDisabledHighlight = Value;
    Invalidate();
}

void TShineSpeedButton::SetDisabledShadow(TColor Value)
{
    if (Value == FDisabledShadow)
        return;
    FDisabledShadow = Value;
    Invalidate();
}

void TShineSpeedButton::SetColors(const TShineBtnColors* Value)
{
    // The set's own notification repaints.
    FColors->Assign(Value);
}

void TShineSpeedButton::SetPressedColors(const TShineBtnColors* Value)
{
    FPressedColors->Assign(Value);
}

void TShineSpeedButton::SetShineColor(TColor Value)
{
    if (Value == FShineColor)
        return;
    FShineColor = Value;
    Invalidate();
}

void TShineSpeedButton::SetFont(const TFont* Value)
{
    if (!Value)
        return;
    FFont->Assign(Value);
    Invalidate();
}

void TShineSpeedButton::SetFontHighlight(TColor Value)
{
    FFontHighlight = Value;
    Invalidate();
}

void TShineSpeedButton::SetFontShadow(TColor Value)
{
    FFontShadow = Value;
    Invalidate();
}

void TShineSpeedButton::SetActiveFont(const TFont* Value)
{
    if (!Value)
        return;
    FActiveFont->Assign(Value);
    Invalidate();
}

void TShineSpeedButton::SetLayout(TButtonLayout Value)
{
    if (Value == FLayout)
        return;
    FLayout = Value;
    Invalidate();
}

void TShineSpeedButton::SetMargin(int Value)
{
    if (Value == FMargin)
        return;
    FMargin = Value;
    Invalidate();
}

void TShineSpeedButton::SetSpacing(int Value)
{
    if (Value == FSpacing)
        return;
    FSpacing = Value;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// The Glyph and the state glyph

void TShineSpeedButton::SetGlyph(const TBitmap* Value)
{
    // The copy is one change of ours, not a string of the bitmap's own notifications.
    FGlyph->OnChange = nullptr;
    try {
        if (Value) {
            FGlyph->Assign(Value);
        } else {
            FGlyph->Assign(nullptr);
            FGlyph->SetWidth(0);
            FGlyph->SetHeight(0);
        }
    } catch (...) {
        FGlyph->OnChange = TNotifyEvent(this, &TShineSpeedButton::GlyphOnChange);
        throw;
    }
    FGlyph->OnChange = TNotifyEvent(this, &TShineSpeedButton::GlyphOnChange);
    if (Value)
        GlyphOnChange(FGlyph.get());
    Invalidate();
}

void TShineSpeedButton::GlyphOnChange(TObject*)
{
    // Each conversion reports a change and so comes back here; the inner run finds nothing left
    // to convert.
    FGlyph->SetHandleType(bmDIB);
    FGlyph->SetPixelFormat(pf32bit);
    Invalidate();
}

std::unique_ptr<TBitmap> TShineSpeedButton::CreateStateGlyph() const
{
    if (FGlyph->Empty())
        return nullptr;
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(FGlyph.get());
    copy->SetPixelFormat(pf32bit);
    // The Glyph is kept at 32 bits by its notification; should its pixels have been replaced
    // behind it, the converted copy's pixels stand in as the source.
    TDibImage converted;
    const TDibImage* image = &FGlyph->Image();
    if (image->BitsPerPixel != 32) {
        converted = copy->Image();
        image = &converted;
    }
    TGlyphSource src { *image, ReadWord(image->Row(image->Height - 1), 0) };
    TDibImage& out = copy->Image();

    bool mask = false;
    switch (FState) {
    case stDownActive:
    case stUpActive:
        ApplyActiveImage(FActiveImage, src, out, ShineSpdBtn::ColorToPixel(FShineColor));
        break;
    case stDown:
    case stUp:
        break;
    case stDisabled:
        if (FDisabledImage == diDefault) {
            mask = true;
            TCanvas& c = copy->Canvas();
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clBlack);
            c.FillRect(c.ClipRect());
            EdgeMask(*image, out);
        } else {
            ApplyDisabledImage(FDisabledImage, src, out, ShineSpdBtn::ColorToPixel(FColors->Color()));
        }
        break;
    }

    if (mask) {
        // Kept at one bit: it is transferred through the brush, never drawn through a key colour,
        // and a one-bit source maps its bits through the destination's text and background colours.
        copy->SetPalette({ 0x000000, 0xFFFFFF });
        copy->SetPixelFormat(pf1bit);
        copy->SetTransparent(true);
        copy->SetTransparentColor(clBlack);
        return copy;
    }
    copy->SetPixelFormat(pfDevice);
    copy->SetTransparent(true);
    copy->SetTransparentColor(copy->Canvas().Pixels(0, copy->Height() - 1));
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TShineSpeedButton::Paint()
{
    if (!Enabled()) {
        FState = stDisabled;
        FDragging = false;
    }
    if (FTransparent) {
        BackDraw(Canvas());
        ImageDraw(Canvas());
        FrameDraw(Canvas());
        return;
    }
    // Composed off-screen, the button reaches the screen in one copy, never half drawn.
    TBitmap offscreen;
    offscreen.SetSize(Width(), Height());
    BackDraw(offscreen.Canvas());
    ImageDraw(offscreen.Canvas());
    FrameDraw(offscreen.Canvas());
    Canvas().Draw(0, 0, offscreen);
}

void TShineSpeedButton::BackDraw(TCanvas& ACanvas)
{
    if (FTransparent)
        return;
    const TShineBtnColors& set = IsDownState(FState) ? *FPressedColors : *FColors;
    TRect client = ClientRect();
    if (!set.Gradation()) {
        ACanvas.Brush().SetStyle(bsSolid);
        ACanvas.Brush().SetColor(set.Color());
        ACanvas.FillRect(client);
        return;
    }
    // A strip of 256 entries stretched over the face, never drawn pixel by pixel.
    TBitmap strip;
    strip.SetPixelFormat(pf32bit);
    bool vertical = set.GradVertical();
    strip.SetSize(vertical ? 1 : 256, vertical ? 256 : 1);
    std::uint32_t from = ShineSpdBtn::ColorToPixel(set.Color());
    std::uint32_t to = ShineSpdBtn::ColorToPixel(set.GradColor());
    for (int i = 0; i < 256; ++i) {
        std::uint32_t entry = GradientEntry(from, to, i);
        if (vertical)
            WriteWord(strip.ScanLine(i), 0, entry);
        else
            WriteWord(strip.ScanLine(0), i, entry);
    }
    ACanvas.StretchDraw(client, strip);
}

void TShineSpeedButton::ImageDraw(TCanvas& ACanvas)
{
    const bool down = IsDownState(FState);
    ACanvas.SetFont(IsActiveState(FState) ? *FActiveFont : *FFont);
    std::unique_ptr<TBitmap> glyph = CreateStateGlyph();
    TPoint glyphPos;
    TRect textRect;
    CalcDrawPosition(ACanvas, glyphPos, textRect);

    if (glyph) {
        if (down)
            glyphPos = glyphPos + TPoint { 1, 1 };
        if (FState == stDisabled && FDisabledImage == diDefault) {
            DrawMask(ACanvas, *glyph, glyphPos + TPoint { 1, 1 }, FDisabledHighlight);
            DrawMask(ACanvas, *glyph, glyphPos, FDisabledShadow);
        } else {
            ACanvas.Brush().SetStyle(bsClear);
            ACanvas.Draw(glyphPos.X, glyphPos.Y, *glyph);
        }
        glyph.reset();
    }

    if (Caption().empty())
        return;
    if (down)
        textRect.Offset(1, 1);
    ACanvas.Brush().SetStyle(bsClear);
    TFont& font = ACanvas.Font();
    if (FState == stDisabled) {
        font.SetColor(FDisabledHighlight);
        DrawCaption(ACanvas, Caption(), textRect.Offsetted(1, 1));
        font.SetColor(FDisabledShadow);
        DrawCaption(ACanvas, Caption(), textRect);
        return;
    }
    TColor textColor = font.Color();
    if (FFontShadow != clNone) {
        font.SetColor(FFontShadow);
        DrawCaption(ACanvas, Caption(), textRect.Offsetted(1, 1));
    }
    if (FFontHighlight != clNone) {
        font.SetColor(FFontHighlight);
        DrawCaption(ACanvas, Caption(), textRect.Offsetted(-1, -1));
    }
    font.SetColor(textColor);
    DrawCaption(ACanvas, Caption(), textRect);
}

void TShineSpeedButton::CalcDrawPosition(TCanvas& ACanvas, TPoint& GlyphPos, TRect& TextRect)
{
    const int cw = ClientWidth();
    const int ch = ClientHeight();
    const bool hasGlyph = !FGlyph->Empty();
    const int gw = hasGlyph ? FGlyph->Width() : 0;
    const int gh = hasGlyph ? FGlyph->Height() : 0;
    const bool hasCaption = !Caption().empty();

    TextRect = { 0, 0, cw, 0 };
    DrawTextDC(*ACanvas.Handle(), ACanvas.Font().Spec(), ACanvas.Font().Color(), Caption(), TextRect, DT_CALCRECT);
    const int tw = TextRect.Width();
    const int th = TextRect.Height();
    const bool both = hasGlyph && hasCaption;

    // The block of glyph and caption, built along the layout's axis; the offsets are inside it.
    int bw = 0, bh = 0, gx = 0, gy = 0, tx = 0, ty = 0;
    switch (FLayout) {
    case blGlyphLeft:
        gx = bw;
        if (hasGlyph) {
            bw += gw;
            bh = std::max(bh, gh);
        }
        if (both)
            bw += FSpacing;
        tx = bw;
        if (hasCaption) {
            bw += tw;
            bh = std::max(bh, th);
        }
        break;
    case blGlyphRight:
        tx = bw;
        if (hasCaption) {
            bw += tw;
            bh = std::max(bh, th);
        }
        if (both)
            bw += FSpacing;
        gx = bw;
        if (hasGlyph) {
            bw += gw;
            bh = std::max(bh, gh);
        }
        break;
    case blGlyphTop:
        gy = bh;
        if (hasGlyph) {
            bh += gh;
            bw = std::max(bw, gw);
        }
        if (both)
            bh += FSpacing;
        ty = bh;
        if (hasCaption) {
            bh += th;
            bw = std::max(bw, tw);
        }
        break;
    case blGlyphBottom:
        ty = bh;
        if (hasCaption) {
            bh += th;
            bw = std::max(bw, tw);
        }
        if (both)
            bh += FSpacing;
        gy = bh;
        if (hasGlyph) {
            bh += gh;
            bw = std::max(bw, gw);
        }
        break;
    }
    // Centred across the block.
    if (FLayout == blGlyphLeft || FLayout == blGlyphRight) {
        if (hasGlyph)
            gy = Halved(bh - gh);
        if (hasCaption)
            ty = Halved(bh - th);
    } else {
        if (hasGlyph)
            gx = Halved(bw - gw);
        if (hasCaption)
            tx = Halved(bw - tw);
    }

    // Halving truncates toward zero, also when the block is larger than the client area.
    int ox = Halved(cw - bw);
    int oy = Halved(ch - bh);
    if (FMargin >= 0) {
        switch (FLayout) {
        case blGlyphLeft:
            ox = FMargin;
            break;
        case blGlyphRight:
            ox = cw - bw - FMargin;
            break;
        case blGlyphTop:
            oy = FMargin;
            break;
        case blGlyphBottom:
            oy = ch - bh - FMargin;
            break;
        }
    }
    GlyphPos = { ox + gx, oy + gy };
    TextRect.Offset(ox + tx, oy + ty);
}

void TShineSpeedButton::FrameDraw(TCanvas& ACanvas)
{
    ACanvas.Pen().SetStyle(psSolid);
    ACanvas.Pen().SetWidth(1);
    ACanvas.Pen().SetMode(pmCopy);
    bool drawn = false;
    switch (FState) {
    case stDownActive:
    case stUpActive:
        drawn = FActiveFrame;
        break;
    case stDown:
        drawn = FDownFrame;
        break;
    case stUp:
    case stDisabled:
        drawn = FUpFrame;
        break;
    }
    if (!drawn)
        return;

    const int w = Width();
    const int h = Height();
    // Every line stops before its end point, so the far corners keep what lies below them.
    auto line = [&ACanvas](TColor color, int x1, int y1, int x2, int y2) {
        ACanvas.Pen().SetColor(color);
        ACanvas.MoveTo(x1, y1);
        ACanvas.LineTo(x2, y2);
    };
    const TShineBtnColors& up = *FColors;
    const TShineBtnColors& pressed = *FPressedColors;
    const bool sunken = IsDownState(FState);
    switch (FFrameType) {
    case ftFlatFrame:
        if (!sunken) {
            line(up.Highlight(), 0, 0, w - 1, 0);
            line(up.Highlight(), 0, 0, 0, h - 1);
            line(up.Shadow(), w - 1, h - 1, 0, h - 1);
            line(up.Shadow(), w - 1, h - 1, w - 1, 0);
        } else {
            line(pressed.Shadow(), 0, 0, w - 1, 0);
            line(pressed.Shadow(), 0, 0, 0, h - 1);
            line(pressed.Highlight(), w - 1, h - 1, 0, h - 1);
            line(pressed.Highlight(), w - 1, h - 1, w - 1, 0);
        }
        break;
    case ftNormalFrame:
        if (!sunken) {
            line(up.Shadow(), w - 2, h - 2, 0, h - 2);
            line(up.Shadow(), w - 2, h - 2, w - 2, 0);
            line(up.DarkShadow(), w - 1, h - 1, 0, h - 1);
            line(up.DarkShadow(), w - 1, h - 1, w - 1, 0);
            line(up.Highlight(), 0, 0, w - 1, 0);
            line(up.Highlight(), 0, 0, 0, h - 1);
        } else {
            line(pressed.Shadow(), 1, 1, w - 1, 1);
            line(pressed.Shadow(), 1, 1, 1, h - 1);
            line(pressed.DarkShadow(), 0, 0, w - 1, 0);
            line(pressed.DarkShadow(), 0, 0, 0, h - 1);
            line(pressed.Highlight(), w - 1, h - 1, 0, h - 1);
            line(pressed.Highlight(), w - 1, h - 1, w - 1, 0);
        }
        break;
    case ftEnclosedFrame:
        if (!sunken) {
            line(up.Highlight(), 1, 1, w - 2, 1);
            line(up.Highlight(), 1, 1, 1, h - 2);
            line(up.Shadow(), w - 2, h - 2, 1, h - 2);
            line(up.Shadow(), w - 2, h - 2, w - 2, 1);
        } else {
            line(pressed.Shadow(), 1, 1, w - 2, 1);
            line(pressed.Shadow(), 1, 1, 1, h - 2);
            line(pressed.Highlight(), w - 2, h - 2, 1, h - 2);
            line(pressed.Highlight(), w - 2, h - 2, w - 2, 1);
        }
        // The enclosing outline is always the up set's dark shadow; its inside stays as drawn.
        ACanvas.Brush().SetStyle(bsClear);
        ACanvas.Pen().SetColor(up.DarkShadow());
        ACanvas.Rectangle(0, 0, w, h);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Pointer, keyboard and grouping

void TShineSpeedButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
        WMLButtonDblClick(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_MOUSEENTER:
        CMMouseEnter(Message);
        return;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        return;
    case CM_BUTTONPRESSED:
        CMButtonPressed(Message);
        return;
    case CM_SYSCOLORCHANGE:
        CMSysColorChange(Message);
        return;
    default:
        TGraphicControl::Dispatch(Message);
    }
}

void TShineSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    FState = stDownActive;
    // A button that is down already looks pressed; nothing to redraw.
    if (!FDown)
        Invalidate();
    FDragging = true;
}

void TShineSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        TShineButtonState next = ClientRect().Contains({ X, Y }) ? stDownActive : FDown ? stDown : stUp;
        if (next != FState) {
            FState = next;
            Invalidate();
        }
    } else if (!FMouseInControl) {
        // An enter that was refused (another window held the pointer) is caught up with here.
        UpdateTracking();
    }
}

void TShineSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // The release of any button ends a press.
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging)
        return;
    const bool inside = ClientRect().Contains({ X, Y });
    if (FGroupIndex == 0) {
        FState = stUp;
        FMouseInControl = false;
        FDown = false;
        if (inside)
            Repaint();
    } else if (inside) {
        SetDown(!FDown);
        if (FDown)
            Repaint();
    } else {
        // Outside: the tracking below turns this into the look that is not active.
        FState = FDown ? stDownActive : stUpActive;
        Repaint();
    }
    FDragging = false;
    if (inside)
        Click();
    UpdateTracking();
}

void TShineSpeedButton::Click()
{
    TShineButtonState saved = FState;
    if (FClickDownHook) {
        FState = stDownActive;
        Repaint();
    }
    TGraphicControl::Click();
    if (FClickDownHook) {
        FState = saved;
        Repaint();
    }
}

void TShineSpeedButton::WMLButtonDblClick(TMessage& Message)
{
    // The platform captures and passes the second press on as a press; it raises no OnDblClick
    // without its click events, so the button decides.
    TGraphicControl::Dispatch(Message);
    if (FDown)
        DblClick();
}

void TShineSpeedButton::CMDialogChar(TMessage& Message)
{
    if (IsAccel(static_cast<unsigned>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        if (FAccelCharDown)
            SetDown(!FDown);
        Click();
        Message.Result = 1;
        return;
    }
    TGraphicControl::Dispatch(Message);
}

void TShineSpeedButton::CMEnabledChanged(TMessage&)
{
    // Released without an announcement: the group hears nothing of it.
    FDown = false;
    FState = Enabled() ? stUp : stDisabled;
    UpdateTracking();
    Invalidate();
}

void TShineSpeedButton::CMFontChanged(TMessage&)
{
    Invalidate();
}

void TShineSpeedButton::CMTextChanged(TMessage&)
{
    Invalidate();
}

void TShineSpeedButton::CMSysColorChange(TMessage&)
{
    Invalidate();
}

void TShineSpeedButton::CMMouseEnter(TMessage&)
{
    TPoint p = ScreenToClient(GetCursorPos());
    MouseEnter(ShineSpdBtn::CurrentShiftState(), p.X, p.Y);
}

void TShineSpeedButton::CMMouseLeave(TMessage&)
{
    TPoint p = ScreenToClient(GetCursorPos());
    MouseLeave(ShineSpdBtn::CurrentShiftState(), p.X, p.Y);
}

void TShineSpeedButton::MouseEnter(TShiftState Shift, int X, int Y)
{
    FOnMouseEnter(this, Shift, X, Y);
    if (FMouseInControl || !Enabled() || DragMode() == dmAutomatic || GetCapture() != 0)
        return;
    FMouseInControl = true;
    if (FState == stUp)
        FState = stUpActive;
    else if (FState == stDown)
        FState = stDownActive;
    Repaint();
    FActiveButtonTimer->SetEnabled(true);
}

void TShineSpeedButton::MouseLeave(TShiftState Shift, int X, int Y)
{
    FOnMouseLeave(this, Shift, X, Y);
    if (!FMouseInControl || !Enabled() || FDragging)
        return;
    FActiveButtonTimer->SetEnabled(false);
    FMouseInControl = false;
    if (FState == stUpActive)
        FState = stUp;
    else if (FState == stDownActive)
        FState = stDown;
    Repaint();
}

void TShineSpeedButton::UpdateTracking()
{
    if (!Enabled())
        return;
    TControl* under = FindDragTarget(GetCursorPos(), true);
    // Set to the opposite of the truth, so that the handler sent next passes its guard.
    FMouseInControl = under != this;
    if (FMouseInControl)
        Perform(CM_MOUSELEAVE, 0, 0);
    else
        Perform(CM_MOUSEENTER, 0, 0);
}

void TShineSpeedButton::ActiveButtonTimerOnTimer(TObject*)
{
    if (!FMouseInControl || !Enabled() || FDragging) {
        FActiveButtonTimer->SetEnabled(false);
        return;
    }
    // Only the rectangle counts: a control lying over the button does not end the look.
    TPoint p = ScreenToClient(GetCursorPos());
    if (ClientRect().Contains(p))
        return;
    MouseLeave(ShineSpdBtn::CurrentShiftState(), p.X, p.Y);
}

void TShineSpeedButton::SetDown(bool Value)
{
    if (Value == FDown)
        return;
    // A button outside any group is never down.
    if (FGroupIndex == 0)
        return;
    if (FAllowAllUp) {
        FDown = Value;
        GroupUpdateStatus(FGroupIndex);
        FState = FDown ? stDown : stUp;
        Repaint();
        return;
    }
    // Without AllowAllUp only another button of the group going down releases this one.
    if (FDown)
        return;
    FDown = true;
    GroupUpdateStatus(FGroupIndex);
    FState = stDown;
    Repaint();
}

void TShineSpeedButton::SetAllowAllUp(bool Value)
{
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    GroupUpdateStatus(FGroupIndex);
}

void TShineSpeedButton::SetGroupIndex(int Value)
{
    if (Value == FGroupIndex)
        return;
    GroupUpdateStatus(Value);
}

void TShineSpeedButton::GroupUpdateStatus(int Value)
{
    FGroupIndex = Value;
    TWinControl* parent = Parent();
    if (Value == 0 || !parent)
        return;
    // The announcement goes out in the platform speed button's own form, so that its buttons and
    // ours in this parent keep one group. The proxy's setters announce its group index, its
    // AllowAllUp and a Down of true as they change; the broadcast below then carries all of it.
    FGroupProxy = std::make_unique<TSpeedButton>(parent);
    try {
        parent->InsertControl(FGroupProxy.get());
        FGroupProxy->SetGroupIndex(FGroupIndex);
        FGroupProxy->SetAllowAllUp(FAllowAllUp);
        FGroupProxy->SetDown(FDown);
        TMessage m { CM_BUTTONPRESSED, static_cast<WPARAM>(static_cast<std::intptr_t>(FGroupIndex)),
            reinterpret_cast<LPARAM>(FGroupProxy.get()), 0 };
        parent->Broadcast(m);
    } catch (...) {
        FGroupProxy.reset();
        throw;
    }
    parent->RemoveControl(FGroupProxy.get());
    FGroupProxy.reset();
}

void TShineSpeedButton::CMButtonPressed(TMessage& Message)
{
    if (static_cast<int>(static_cast<std::intptr_t>(Message.WParam)) != FGroupIndex)
        return;
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (!sender || sender == FGroupProxy.get())
        return;
    if (sender->Down() && FDown) {
        FDown = false;
        FState = stUp;
        Invalidate();
    }
    FAllowAllUp = sender->AllowAllUp();
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

constexpr auto FrameTypeNames = EnumNames<TFrameType>("ftFlatFrame", "ftNormalFrame", "ftEnclosedFrame");
constexpr auto ActiveImageNames = EnumNames<TActiveImageType>("aiNormal", "aiXorLight", "aiHalfLight", "aiQuaterLight",
    "aiAddLight", "aiFrameLight", "aiFrameLight2", "aiMaskLight");
constexpr auto DisabledImageNames = EnumNames<TDisabledImageType>("diDefault", "diGrayscale", "diAlphaHalfTrans",
    "diAlphaQuaterTrans", "diMaskTrans");
constexpr auto LayoutNames = EnumNames<TButtonLayout>("blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom");
constexpr auto HelpTypeNames = EnumNames<THelpType>("htKeyword", "htContext");
constexpr auto AlignNames = EnumNames<TAlign>("alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom");
constexpr auto AnchorNames = EnumNames<TAnchorKind>("akLeft", "akTop", "akRight", "akBottom");

using TShine = TShineSpeedButton;

// The button publishes its own list, not everything a control could: the common head, its own
// properties in the order loading relies on (GroupIndex before Down, AllowAllUp after both), then
// the inherited ones it shows, Enabled among them, so that Enabled is read after Down.
const TPropertyTable& ShineSpeedButtonProperties()
{
    static const TPropertyTable table = Properties<TShine>()
        .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
        .Int("Left", &TControl::Left, &TControl::SetLeft)
        .Int("Top", &TControl::Top, &TControl::SetTop)
        .Int("Width", &TControl::Width, &TControl::SetWidth)
        .Int("Height", &TControl::Height, &TControl::SetHeight)
        .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
        .String("Hint", &TControl::Hint, &TControl::SetHint, "")
        .Enum("HelpType", HelpTypeNames, &TControl::HelpType, &TControl::SetHelpType, htContext)
        .String("HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword, "")
        .Int("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext, 0)
        .Int("GroupIndex", &TShine::GroupIndex, &TShine::SetGroupIndex, 0)
        .Bool("Down", &TShine::Down, &TShine::SetDown, false)
        .Bool("ClickDownHook", &TShine::ClickDownHook, &TShine::SetClickDownHook, false)
        .Bool("AccelCharDown", &TShine::AccelCharDown, &TShine::SetAccelCharDown, false)
        .Enum("FrameType", FrameTypeNames, &TShine::FrameType, &TShine::SetFrameType, ftNormalFrame)
        .Bool("Transparent", &TShine::Transparent, &TShine::SetTransparent, false)
        .Bool("ActiveFrame", &TShine::ActiveFrame, &TShine::SetActiveFrame, true)
        .Bool("UpFrame", &TShine::UpFrame, &TShine::SetUpFrame, true)
        .Bool("DownFrame", &TShine::DownFrame, &TShine::SetDownFrame, true)
        .Enum("ActiveImage", ActiveImageNames, &TShine::ActiveImage, &TShine::SetActiveImage, aiFrameLight)
        .Enum("DisabledImage", DisabledImageNames, &TShine::DisabledImage, &TShine::SetDisabledImage, diDefault)
        .Color("DisabledHighlight", &TShine::DisabledHighlight, &TShine::SetDisabledHighlight, clBtnHighlight)
        .Color("DisabledShadow", &TShine::DisabledShadow, &TShine::SetDisabledShadow, clBtnShadow)
        .Object("Colors", [](TShine& o) { return &o.Colors(); })
        .Object("PressedColors", [](TShine& o) { return &o.PressedColors(); })
        .Color("ShineColor", &TShine::ShineColor, &TShine::SetShineColor, clYellow)
        .Object("Font", [](TShine& o) { return &o.Font(); })
        .Color("FontHighlight", &TShine::FontHighlight, &TShine::SetFontHighlight, clNone)
        .Color("FontShadow", &TShine::FontShadow, &TShine::SetFontShadow, clNone)
        .Object("ActiveFont", [](TShine& o) { return &o.ActiveFont(); })
        .Bool("AllowAllUp", &TShine::AllowAllUp, &TShine::SetAllowAllUp, false)
        .Enum("Layout", LayoutNames, &TShine::Layout, &TShine::SetLayout, blGlyphLeft)
        .Int("Margin", &TShine::Margin, &TShine::SetMargin, -1)
        .Int("Spacing", &TShine::Spacing, &TShine::SetSpacing, 4)
        .Object("Glyph", [](TShine& o) { return &o.Glyph(); })
        .Event("OnMouseEnter", &TShine::OnMouseEnter, &TShine::SetOnMouseEnter)
        .Event("OnMouseLeave", &TShine::OnMouseLeave, &TShine::SetOnMouseLeave)
        .Enum("Align", AlignNames, &TControl::Align, &TControl::SetAlign, alNone)
        .Set("Anchors", AnchorNames, &TControl::Anchors, &TControl::SetAnchors, TAnchors { akLeft, akTop })
        .String("Caption", &TControl::Caption, &TControl::SetCaption, "")
        .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
        .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Stored([](const TShine& o) { return !o.ParentShowHint(); })
        .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseUp", &TControl::OnMouseUp);
    return table;
}

const TPublishedRegistration ShineSpeedButtonPublished(TShineSpeedButton::StaticClassInfo(), ShineSpeedButtonProperties);

} // namespace
