#include "controls/shaped/ClearControl.h"

#include "controls/shaped/ClearColors.h"
#include "platform/base/Exception.h"
#include "platform/graphics/TextDraw.h"

#include <cassert>

PK_CLASS_IMPL(TClearControl, TCustomControl, nullptr)

namespace {

// A 24-bit image of the given size filled with one colour.
std::unique_ptr<TBitmap> NewImage(int width, int height, TColor fill)
{
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf24bit);
    image->SetSize(width, height);
    TCanvas& c = image->Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(fill);
    c.FillRect({ 0, 0, width, height });
    return image;
}

void MarkTransparent(TBitmap& image, TColor key)
{
    image.SetTransparentColor(key);
    image.SetTransparent(true);
}

const std::uint8_t* PixelAt(const TBitmap& image, int x, int y)
{
    return image.ScanLine(y) + static_cast<std::size_t>(x) * 3;
}

TColor Plain(TColor c)
{
    return ColorToRGB(c) & 0x00FFFFFF;
}

} // namespace

// The silhouette in the outline colour, and its copies in the shadow and face colours.
struct TClearControl::TOutlines {
    std::unique_ptr<TBitmap> Outline;
    std::unique_ptr<TBitmap> Shadow;
    std::unique_ptr<TBitmap> Face;
};

TClearControl::TClearControl(TComponent* AOwner)
    : TCustomControl(AOwner)
{
    FPicture = std::make_unique<TPicture>();
    BindPicture();
    FBtnImage = std::make_unique<TBitmap>();
    FDownImage = std::make_unique<TBitmap>();
    FHotImage = std::make_unique<TBitmap>();
    FDisabledImage = std::make_unique<TBitmap>();
    FBorderStyle = bsSingle;
    FHotLightDepth = 128;
    FCaptionLeft = FCaptionTop = -1;
    FTransparentColor = 0x00FF00FF;
    FAutoSize = true;
    FHotTrack = true;
    SetParentColor(false);
    SetColor(clBtnFace);
    FShadowColor = clBtnShadow;
    FLightColor = clBtnHighlight;
    FMaxSize = { 320, 320 };
    SetWidth(260);
    SetHeight(48);
}

TClearControl::~TClearControl()
{
    // The picture's change event must not reach a half-destroyed control.
    FPicture->OnChange = nullptr;
}

void TClearControl::BindPicture()
{
    FPicture->OnChange = TNotifyEvent(this, &TClearControl::PictureChanged);
}

void TClearControl::Rebuild()
{
    MakeBtnImageAndRgn();
    Invalidate();
}

// ---- batching, loading, streaming ---------------------------------------------------------------

void TClearControl::BeginUpdate()
{
    ++FUpdateCount;
}

void TClearControl::EndUpdate()
{
    if (--FUpdateCount < 0)
        FUpdateCount = 0;
    if (FUpdateCount == 0)
        Rebuild();
}

void TClearControl::Loaded()
{
    TCustomControl::Loaded();
    AutoSizeArrange();
    Rebuild();
}

void TClearControl::ReadState(TReader& Reader)
{
    // A control read from a description starts without a caption unless the description has one.
    if (!FStateRead) {
        FStateRead = true;
        SetCaption("");
    }
    TCustomControl::ReadState(Reader);
}

void TClearControl::Resize()
{
    Rebuild();
    TCustomControl::Resize();
}

void TClearControl::PictureChanged(TObject*)
{
    TGraphic* graphic = FPicture->Graphic();
    if (!graphic || graphic->Empty()) {
        FTransparentColor = 0x00FF00FF;
        Rebuild();
        return;
    }
    BeginUpdate();
    FPicture->OnChange = nullptr;
    try {
        AutoSizeArrange();
        if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
            bitmap->SetPixelFormat(pf24bit);
            bitmap->SetTransparent(true);
            FTransparentColor = Plain(bitmap->TransparentColor());
        }
    } catch (...) {
        BindPicture();
        EndUpdate();
        throw;
    }
    BindPicture();
    EndUpdate();
}

// ---- properties ---------------------------------------------------------------------------------

void TClearControl::SetTransColor(TColor value)
{
    if (FTransparentColor == value)
        return;
    FTransparentColor = value;
    // The picture's own key follows; its change comes back through PictureChanged.
    if (auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic()))
        bitmap->SetTransparentColor(value);
    Rebuild();
}

void TClearControl::SetPicture(const TPicture* value)
{
    FPicture->Assign(value);
    PictureChanged(this);
    Invalidate();
}

void TClearControl::SetCaptionLeft(int value)
{
    if (FCaptionLeft == value)
        return;
    FCaptionLeft = value;
    Rebuild();
}

void TClearControl::SetCaptionTop(int value)
{
    if (FCaptionTop == value)
        return;
    FCaptionTop = value;
    Rebuild();
}

void TClearControl::SetStyle(TTransBtnStyle value)
{
    if (FStyle == value)
        return;
    FStyle = value;
    Rebuild();
}

void TClearControl::SetBorderStyle(TBorderStyle value)
{
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    AutoSizeArrange();
    Rebuild();
}

void TClearControl::SetLightColor(TColor value)
{
    if (FLightColor == value)
        return;
    FLightColor = value;
    Rebuild();
}

void TClearControl::SetShadowColor(TColor value)
{
    if (FShadowColor == value)
        return;
    FShadowColor = value;
    Rebuild();
}

void TClearControl::SetStretch(bool value)
{
    if (FStretch == value)
        return;
    FStretch = value;
    Rebuild();
}

void TClearControl::SetHotLightDepth(std::uint8_t value)
{
    if (FHotLightDepth == value)
        return;
    FHotLightDepth = value;
    Rebuild();
}

void TClearControl::SetOptions(TTransImgOptions value)
{
    if (FOptions == value)
        return;
    FOptions = value;
    Rebuild();
}

void TClearControl::SetHotTrack(bool value)
{
    if (FHotTrack == value)
        return;
    FHotTrack = value;
    Invalidate();
}

void TClearControl::SetAutoSize(bool value)
{
    if (FAutoSize == value)
        return;
    FAutoSize = value;
    AutoSizeArrange();
}

void TClearControl::SetChildGraphicsTrans(bool value)
{
    if (FChildGraphicsTrans == value)
        return;
    FChildGraphicsTrans = value;
    UpdateRgn();
    Invalidate();
}

void TClearControl::SetFormTrans(bool value)
{
    if (FFormTrans == value)
        return;
    FFormTrans = value;
    if (value)
        UpdateRgn();
    else if (Parent() && Parent()->HandleAllocated())
        SetWindowRgn(Parent()->Handle(), std::nullopt, true);
}

// ---- messages -----------------------------------------------------------------------------------

void TClearControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(m);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(m);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(m);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(m);
        return;
    case CM_MOUSEENTER:
        CMMouseEnter(m);
        return;
    case CM_MOUSELEAVE:
        CMMouseLeave(m);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(m);
        return;
    case CM_CONTROLCHANGE:
        CMControlChange(m);
        return;
    case CM_UPDATERGN:
        CMUpdateRgn(m);
        return;
    default:
        TCustomControl::Dispatch(m);
    }
}

void TClearControl::CMEnabledChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    Invalidate();
}

void TClearControl::CMColorChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    Rebuild();
}

void TClearControl::CMFontChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    AutoSizeArrange();
    Rebuild();
}

void TClearControl::CMTextChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    AutoSizeArrange();
    Rebuild();
}

void TClearControl::CMShowingChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    if (Visible())
        UpdateRgn();
}

void TClearControl::CMControlChange(TMessage& m)
{
    auto* child = reinterpret_cast<TControl*>(m.WParam);
    if (m.LParam != 0) {
        UpdateRgn();
    } else {
        FRemovingControl = child;
        try {
            UpdateRgn();
        } catch (...) {
            FRemovingControl = nullptr;
            throw;
        }
        FRemovingControl = nullptr;
    }
    Invalidate();
}

void TClearControl::CMUpdateRgn(TMessage&)
{
    // Only the last of several queued requests computes.
    TMsg queued;
    if (PeekMessage(queued, Handle(), CM_UPDATERGN, CM_UPDATERGN, PM_NOREMOVE))
        return;
    FRgnNow = true;
    try {
        UpdateRgn();
    } catch (...) {
        FRgnNow = false;
        throw;
    }
    FRgnNow = false;
}

// ---- state images -------------------------------------------------------------------------------

bool TClearControl::IsKey(const std::uint8_t* pixel) const
{
    return ScanPixelColor(pixel) == FTransparentColor;
}

void TClearControl::MakeBtnImageAndRgn()
{
    const int bs = BorderWidth();
    if (FUpdateCount > 0 || IsLoading() || !HandleAllocated() || Width() < 2 * bs + 3 || Height() < 2 * bs + 3)
        return;
    // Drawing into the picture's bitmap below must not come back as a picture change.
    FPicture->OnChange = nullptr;
    try {
        BuildImages();
        FRgnNow = true;
        try {
            UpdateRgn();
        } catch (...) {
            FRgnNow = false;
            throw;
        }
        FRgnNow = false;
    } catch (...) {
        BindPicture();
        Update();
        throw;
    }
    BindPicture();
    Update();
}

void TClearControl::BuildImages()
{
    const int bs = BorderWidth();
    const bool border = HasOption(sioBorderAndShadow);
    std::unique_ptr<TBitmap> content = MakeContentImage();

    std::optional<TOutlines> outlines;
    TColor outlineColor = 0;
    if (border) {
        outlineColor = OutlineColor();
        outlines.emplace();
        outlines->Outline = MakeOutlineImage(*content, outlineColor);
        outlines->Shadow = ReplaceImageColor(*outlines->Outline, outlineColor, FShadowColor);
        outlines->Face = ReplaceImageColor(*outlines->Outline, outlineColor, Color());
    }
    const TOutlines* parts = outlines ? &*outlines : nullptr;

    FBtnImage = ComposeStateImage(false, *content, parts);
    FBtnRgn = ScanBaseRegion(*FBtnImage);
    if (border) {
        // The pressed look has a darker ring and shadow.
        if (FStyle != sbsFloatBtn && bs == 1) {
            outlines->Face = ReplaceImageColor(*outlines->Face, Color(), DarkenColor(Color(), 32));
            outlines->Shadow = ReplaceImageColor(*outlines->Shadow, FShadowColor, DarkenColor(FShadowColor, 64));
        }
        FDownImage = ComposeStateImage(true, *content, parts);
        FDownRgn = ScanBaseRegion(*FDownImage);
        if (HasOption(sioHotTrackImage)) {
            outlines->Face = ReplaceImageColor(*outlines->Outline, outlineColor, LightenColor(Color(), FHotLightDepth / 2));
            outlines->Shadow = ReplaceImageColor(*outlines->Outline, outlineColor, LightenColor(FShadowColor, FHotLightDepth / 4));
        }
    }

    if (HasOption(sioHotTrackImage)) {
        Recolor(*content, &LightenColor, FHotLightDepth);
        FHotImage = ComposeStateImage(false, *content, parts);
    } else {
        FHotImage.reset();
    }

    if (HasOption(sioDisableImage)) {
        auto disabled = std::make_unique<TBitmap>();
        disabled->Assign(FBtnImage.get());
        Recolor(*disabled, [](TColor c, int) { return GrayColor(c); }, 0);
        FDisabledImage = std::move(disabled);
    } else {
        FDisabledImage.reset();
    }
}

void TClearControl::Recolor(TBitmap& image, TColor (*f)(TColor, int), int n) const
{
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            if (IsKey(p))
                continue;
            const TColor c = f(ScanPixelColor(p), n);
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    image.SetModified(true);
}

std::unique_ptr<TBitmap> TClearControl::MakeContentImage()
{
    const int bs = BorderWidth();
    const bool border = HasOption(sioBorderAndShadow);
    const int width = border ? Width() - 2 - 2 * bs : Width();
    const int height = border ? Height() - 2 - 2 * bs : Height();
    auto content = NewImage(width, height, FTransparentColor);
    TCanvas& canvas = content->Canvas();

    TGraphic* graphic = FPicture->Graphic();
    if (graphic && !graphic->Empty()) {
        if (FStretch)
            canvas.StretchDraw({ 0, 0, width, height }, *graphic);
        else
            canvas.Draw(Halved(width - graphic->Width()), Halved(height - graphic->Height()), *graphic);
    }

    if (!Caption().empty()) {
        std::unique_ptr<TBitmap> caption = MakeCaptionImage();
        const int x = FCaptionLeft != -1 ? FCaptionLeft : Halved(Width() - caption->Width()) - (bs + 1);
        const int y = FCaptionTop != -1 ? FCaptionTop : Halved(Height() - caption->Height()) - (bs + 1);
        MarkTransparent(*caption, FTransparentColor);
        canvas.Draw(x, y, *caption);
    }
    MarkTransparent(*content, FTransparentColor);
    return content;
}

std::unique_ptr<TBitmap> TClearControl::MakeCaptionImage()
{
    // The text is drawn on a background that is surely not the key colour, then moved onto the key
    // colour and given the font's colour, so that the glyphs' own pixels stay exact.
    const TColor background = FTransparentColor == clWhite ? clSilver : clWhite;
    const TColor foreground = FTransparentColor == clBlack ? clSilver : clBlack;

    auto text = std::make_unique<TBitmap>();
    text->SetPixelFormat(pf4bit);
    TCanvas& tc = text->Canvas();
    tc.Font().Assign(&Font());
    tc.Font().SetColor(foreground);
    TRect measured { 0, 0, 0, 0 };
    DrawTextDC(*tc.Handle(), tc.Font().Spec(), foreground, Caption(), measured, DT_CALCRECT);
    const int width = measured.Right + 1;
    const int height = measured.Bottom + 1;
    text->SetSize(width, height);
    tc.Brush().SetStyle(bsSolid);
    tc.Brush().SetColor(background);
    tc.FillRect({ 0, 0, width, height });
    tc.Brush().SetStyle(bsClear);
    TRect where { 0, 0, width, height };
    DrawTextDC(*tc.Handle(), tc.Font().Spec(), foreground, Caption(), where, DT_LEFT | DT_TOP);

    auto onKey = NewImage(width, height, FTransparentColor);
    MarkTransparent(*text, background);
    onKey->Canvas().Draw(0, 0, *text);

    text->SetPixelFormat(pf24bit);
    tc.Brush().SetStyle(bsSolid);
    tc.Brush().SetColor(Font().Color());
    tc.FillRect({ 0, 0, width, height });
    MarkTransparent(*onKey, foreground);
    tc.Draw(0, 0, *onKey);
    return text;
}

TColor TClearControl::OutlineColor() const
{
    TColor c = ColorToRGB(FLightColor);
    if (c == FTransparentColor) {
        c = LightenColor(c, 8);
        if (c == FTransparentColor)
            c = DarkenColor(c, 8);
    }
    return c;
}

std::unique_ptr<TBitmap> TClearControl::MakeOutlineImage(const TBitmap& content, TColor color) const
{
    const int bs = BorderWidth();
    auto outline = NewImage(Width(), Height(), FTransparentColor);
    TCanvas& canvas = outline->Canvas();
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(color);
    const int width = content.Width();
    for (int y = 0; y < content.Height(); ++y) {
        int x = 0;
        while (x < width) {
            if (IsKey(PixelAt(content, x, y))) {
                ++x;
                continue;
            }
            const int a = x;
            while (x < width && !IsKey(PixelAt(content, x, y)))
                ++x;
            // One pixel wider than the run, so the border grows around the content.
            canvas.MoveTo(a + bs + 1, y + bs + 1);
            canvas.LineTo(x + bs + 2, y + bs + 1);
        }
    }
    MarkTransparent(*outline, FTransparentColor);
    return outline;
}

std::unique_ptr<TBitmap> TClearControl::ReplaceImageColor(TBitmap& source, TColor oldColor, TColor newColor) const
{
    auto result = NewImage(source.Width(), source.Height(), Plain(newColor));
    source.SetTransparentColor(Plain(oldColor));
    source.SetTransparent(true);
    result->Canvas().Draw(0, 0, source);
    source.SetTransparentColor(FTransparentColor);
    MarkTransparent(*result, FTransparentColor);
    return result;
}

std::unique_ptr<TBitmap> TClearControl::ComposeStateImage(bool pressed, TBitmap& content, const TOutlines* outlines) const
{
    const int bs = BorderWidth();
    auto state = NewImage(Width(), Height(), FTransparentColor);
    TCanvas& canvas = state->Canvas();
    const int shift = pressed && FStyle != sbsImage ? 1 : 0;
    int f = 0;
    if (HasOption(sioBorderAndShadow)) {
        assert(outlines);
        TBitmap& outline = *outlines->Outline;
        TBitmap& shadow = *outlines->Shadow;
        switch (FStyle) {
        case sbsPushBtn:
            if (!pressed) {
                for (int y = bs; y <= bs + 1; ++y)
                    for (int x = bs; x <= bs + 1; ++x)
                        canvas.Draw(x, y, shadow);
                for (int y = -(bs + 1); y <= bs; ++y)
                    for (int x = -(bs + 1); x <= bs; ++x)
                        canvas.Draw(x, y, outline);
            } else if (bs == 1) {
                canvas.Draw(-1, -1, shadow);
                canvas.Draw(0, -1, shadow);
                canvas.Draw(-1, 0, shadow);
            } else {
                canvas.Draw(0, 0, shadow);
            }
            break;
        case sbsFloatBtn:
            if (!pressed)
                canvas.Draw(2 * bs + 1, 2 * bs + 1, shadow);
            break;
        case sbsImage:
            break;
        }
        if (bs == 1)
            for (int y = -1; y <= 1; ++y)
                for (int x = -1; x <= 1; ++x)
                    canvas.Draw(x + shift, y + shift, *outlines->Face);
        f = 1;
    }
    canvas.Draw(shift + bs + f, shift + bs + f, content);
    return state;
}

TRegion TClearControl::ScanBaseRegion(TBitmap& image) const
{
    image.SetTransparentColor(FTransparentColor);
    TRegion region;
    const int width = image.Width();
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.ScanLine(y);
        int start = 0;
        bool open = false;
        for (int x = 0; x < width; ++x) {
            const bool key = IsKey(row + static_cast<std::size_t>(x) * 3);
            if (key && open) {
                region.UnionRect({ start, y, x, y + 1 });
                open = false;
            } else if (!key && !open) {
                start = x;
                open = true;
            }
        }
        if (open)
            region.UnionRect({ start, y, width, y + 1 });
    }
    return region;
}

// ---- window region ------------------------------------------------------------------------------

void TClearControl::UpdateRgn()
{
    if (!HandleAllocated())
        return;
    if (!FRgnNow) {
        PostMessage(Handle(), CM_UPDATERGN);
        return;
    }
    if (auto* parent = dynamic_cast<TClearControl*>(Parent()); parent && parent->FUpdateCount > 0)
        return;
    WinRgnSet(FBtnDown && FMouseInBtn);
}

void TClearControl::WinRgnSet(bool pressed)
{
    if (IsDesigning() && !HasOption(sioTransAtDesigning)) {
        Invalidate();
        return;
    }
    if (IsLoading() || !Visible())
        return;
    if (FUpdateCount > 0) {
        MessageBeep(MB_OK);
        return;
    }
    // A paint of this control holds the canvas: the next request recomputes.
    if (!Canvas().TryLock())
        return;
    struct TUnlock {
        TCanvas& C;
        ~TUnlock() { C.Unlock(); }
    } unlock { Canvas() };

    TRegion result;
    {
        // The children paint themselves into a bitmap of the key colour; the control's own image
        // stays out (PaintWindow returns at once while FPaintingRgn is set).
        auto bitmap = NewImage(Width(), Height(), FTransparentColor);
        FPaintingRgn = true;
        try {
            Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()));
        } catch (...) {
            FPaintingRgn = false;
            throw;
        }
        FPaintingRgn = false;

        const std::optional<TRegion>& base = pressed ? FDownRgn : FBtnRgn;
        if (base)
            result = *base;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* child = Controls(i);
            if (child == FRemovingControl || !child->Visible())
                continue;
            if (child->IsWindowed()) {
                std::optional<TRegion> own = GetWindowRgn(static_cast<TWinControl*>(child)->Handle());
                if (!own || own->BoundingBox().IsEmpty())
                    result.UnionRect(child->BoundsRect());
                else
                    result.Union(own->Offsetted(child->Left(), child->Top()));
            } else if (FChildGraphicsTrans && dynamic_cast<TGraphicControl*>(child)) {
                AddGraphicSpans(child, *bitmap, result);
            } else {
                result.UnionRect(child->BoundsRect());
            }
        }
    }

    // Nothing to show still gets a region, far away, so the control disappears instead of
    // losing its shape.
    if (result.BoundingBox().IsEmpty())
        result = TRegion({ -3000, -3000, -2999, -2999 });

    if (FFormTrans) {
        TControl* root = this;
        while (root->Parent())
            root = root->Parent();
        TPoint s = ClientOrigin();
        const TPoint d = s - TPoint { root->Left(), root->Top() };
        s = s + d;
        const TPoint c = root->ScreenToClient(s);
        TRegion formRegion = result.Offsetted(c.X - Left(), c.Y - Top());
        SetWindowRgn(Handle(), std::move(result), true);
        SetWindowRgn(static_cast<TWinControl*>(root)->Handle(), std::move(formRegion), true);
        return;
    }
    SetWindowRgn(Handle(), std::move(result), true);
    // A shaped parent takes this control's new shape into its own.
    if (auto* parent = dynamic_cast<TClearControl*>(Parent()); parent && parent->HandleAllocated())
        PostMessage(parent->Handle(), CM_UPDATERGN);
}

void TClearControl::AddGraphicSpans(TControl* child, const TBitmap& bitmap, TRegion& result) const
{
    const int left = std::max(child->Left(), 0);
    const int top = std::max(child->Top(), 0);
    const int last = std::min(child->Left() + child->Width() - 1, bitmap.Width() - 1);
    const int bottom = std::min(child->Top() + child->Height() - 1, bitmap.Height() - 1);
    if (top > bottom)
        return;
    for (int y = top; y <= bottom; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        bool open = false;
        int start = 0;
        for (int x = left; x <= last; ++x) {
            const bool key = IsKey(row + static_cast<std::size_t>(x) * 3);
            if (key && open) {
                result.UnionRect({ start, y, x, y + 1 });
                open = false;
            } else if (!key && !open) {
                start = x;
                open = true;
            }
        }
        if (open)
            result.UnionRect({ start, y, last + 1, y + 1 });
    }
}

// ---- painting -----------------------------------------------------------------------------------

void TClearControl::DrawImage(TBitmap* image)
{
    if (image && !image->Empty())
        Canvas().Draw(0, 0, *image);
}

void TClearControl::PaintWindow(HDC DC)
{
    // While the region is computed, the children are being painted into the region bitmap and
    // the control's own image must stay out of it.
    if (FPaintingRgn)
        return;
    PaintOnCanvas(Canvas(), DC, [this] { Paint(); });
}

void TClearControl::Paint()
{
    if (!Enabled() && HasOption(sioDisableImage))
        DrawImage(FDisabledImage.get());
    else if (IsDesigning())
        DrawImage(FBtnImage.get());
    else if (FBtnDown && FMouseInBtn)
        DrawImage(FDownImage.get());
    else
        MouseUpViewUpdate(false);
    PaintGraphicControls();
}

void TClearControl::PaintGraphicControls()
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->IsWindowed()) {
            PaintControls(Canvas().Handle(), child);
            break;
        }
    }
    Update();
}

bool TClearControl::MouseUpViewUpdate(bool forClick)
{
    if (!Parent())
        return false;
    const bool over = FindDragTarget(GetCursorPos(), true) == this;
    if (forClick)
        return over;
    if (!Enabled() && HasOption(sioDisableImage))
        DrawImage(FDisabledImage.get());
    else if (over && HasOption(sioHotTrackImage) && FHotTrack && GetCapture() == 0)
        DrawImage(FHotImage.get());
    else
        DrawImage(FBtnImage.get());
    PaintGraphicControls();
    return over;
}

// ---- pointer ------------------------------------------------------------------------------------

bool TClearControl::OverShape(const TBitmap* image, int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return false;
    if (!image || image->Empty() || x >= image->Width() || y >= image->Height())
        return false;
    return ScanPixelColor(PixelAt(*image, x, y)) != Plain(image->TransparentColor());
}

void TClearControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (IsDesigning())
        return;
    if (FParentDrag && Parent() && Parent()->HandleAllocated()) {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        if (Button == mbLeft) {
            FParentDragging = true;
            FDragStart = { X, Y };
        }
        return;
    }
    if (Button == mbLeft && FStyle != sbsImage) {
        FBtnDown = true;
        FMouseInBtn = true;
        FLastMousePos = { X, Y };
        UpdateRgn();
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TClearControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (IsDesigning())
        return;
    if (FParentDragging) {
        if (TPoint { X, Y } == FDragStart)
            return;
        TCustomControl::MouseMove(Shift, X, Y);
        // The point grabbed at the press stays under the pointer.
        const TPoint p = GetCursorPos() - FDragStart;
        const TPoint s = ClientOrigin();
        TWinControl* parent = Parent();
        if (parent)
            parent->SetBounds(parent->Left() - (s.X - p.X), parent->Top() - (s.Y - p.Y), parent->Width(), parent->Height());
        Paint();
        return;
    }
    if (FBtnDown && TPoint { X, Y } != FLastMousePos) {
        FLastMousePos = { X, Y };
        const bool over = OverShape(FMouseInBtn ? FDownImage.get() : FBtnImage.get(), X, Y);
        if (over != FMouseInBtn) {
            FMouseInBtn = over;
            UpdateRgn();
            if (Parent())
                Parent()->Update();
            if (!Enabled() && HasOption(sioDisableImage))
                DrawImage(FDisabledImage.get());
            else
                DrawImage(over ? FDownImage.get() : FBtnImage.get());
            PaintGraphicControls();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TClearControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FParentDragging) {
        TCustomControl::MouseUp(Button, Shift, X, Y);
        FParentDragging = false;
        Paint();
        return;
    }
    FBtnDown = false;
    if (FStyle != sbsImage) {
        UpdateRgn();
        if (Parent())
            Parent()->Update();
        TControl* under = FindDragTarget(GetCursorPos(), true);
        if (under && under != this)
            under->Invalidate();
    }
    if (!HasOption(sioBorderAndShadow) || MouseUpViewUpdate(true))
        TCustomControl::MouseUp(Button, Shift, X, Y);
    Paint();
}

void TClearControl::Click()
{
    FBtnDown = false;
    if (FStyle != sbsImage) {
        UpdateRgn();
        if (Parent())
            Parent()->Update();
    }
    if (MouseUpViewUpdate(true))
        TCustomControl::Click();
    Paint();
}

void TClearControl::CMMouseEnter(TMessage& m)
{
    if (!IsDesigning() && !FBtnDown && HasOption(sioHotTrackImage) && FHotTrack && GetCapture() == 0
        && (Enabled() || !HasOption(sioDisableImage)) && FindDragTarget(GetCursorPos(), true) == this) {
        DrawImage(FHotImage.get());
        PaintGraphicControls();
    }
    TCustomControl::Dispatch(m);
    FOnMouseEnter(this);
}

void TClearControl::CMMouseLeave(TMessage& m)
{
    if (!IsDesigning() && !FBtnDown && HasOption(sioHotTrackImage) && FHotTrack && (Enabled() || !HasOption(sioDisableImage))) {
        DrawImage(FBtnImage.get());
        PaintGraphicControls();
    }
    TCustomControl::Dispatch(m);
    FOnMouseLeave(this);
}

// ---- automatic size and bounds ------------------------------------------------------------------

void TClearControl::AutoSizeArrange()
{
    if (!FAutoSize || IsLoading() || !Parent())
        return;
    try {
        TRect r { 0, 0, 16, 8 };
        if (!Caption().empty()) {
            r = { 0, 0, 1000, 1000 };
            Canvas().Font().Assign(&Font());
            // Measuring draws nothing, so no window is needed for it.
            TDeviceContext measuring;
            DrawTextDC(measuring, Canvas().Font().Spec(), Canvas().Font().Color(), Caption(), r, DT_CALCRECT);
        }
        int w = r.Right;
        int h = r.Bottom;
        if (TGraphic* graphic = FPicture->Graphic(); graphic && !graphic->Empty()) {
            w = graphic->Width();
            h = graphic->Height();
        }
        w = std::max(w, r.Right);
        h = std::max(h, r.Bottom);
        const int bs = BorderWidth();
        w += 4 * bs + 4;
        h += 4 * bs + 4;
        if (w != Width() || h != Height())
            DoAutoSizeArrange(w, h);
    } catch (const Exception& e) {
        throw Exception(e.Message() + " at AutoSizeArrange");
    }
}

void TClearControl::DoAutoSizeArrange(int AWidth, int AHeight)
{
    SetBounds(Left(), Top(), AWidth, AHeight);
}

void TClearControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (FMaxSize.X > 0 && AWidth > FMaxSize.X)
        AWidth = FMaxSize.X;
    if (FMaxSize.Y > 0 && AHeight > FMaxSize.Y)
        AHeight = FMaxSize.Y;
    const TPoint before { Left(), Top() };
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // What lies behind the control shows through it, so a move changes its look.
    if (before != TPoint { Left(), Top() })
        Invalidate();
}
