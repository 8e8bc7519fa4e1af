#include "platform/ui/ExtCtrls.h"

#include "platform/base/Exception.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/TextDraw.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TTimer

PK_CLASS_IMPL(TTimer, TComponent, &CreateComponent<TTimer>)

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner)
{
    TWindowCreateParams params;
    params.Name = "TTimer";
    params.Proc = [this](TMessage& m) { WndProc(m); };
    // A window of its own, never shown, receives the timer's messages.
    params.Bounds = { -32000, -32000, -32000, -32000 };
    FWindow = CreateWindowEx(params);
}

TTimer::~TTimer()
{
    FEnabled = false;
    if (FWindow) {
        KillTimer(FWindow, 1);
        SetWindowProc(FWindow, nullptr);
        DestroyWindow(FWindow);
    }
}

void TTimer::UpdateTimer()
{
    if (FRunning) {
        KillTimer(FWindow, 1);
        FRunning = false;
    }
    if (FInterval != 0 && FEnabled && FOnTimer) {
        if (SetTimer(FWindow, 1, FInterval) == 0)
            throw EOutOfResources();
        FRunning = true;
    }
}

void TTimer::SetEnabled(bool value)
{
    if (FEnabled == value)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (FInterval == value)
        return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value)
{
    FOnTimer = std::move(value);
    UpdateTimer();
}

void TTimer::WndProc(TMessage& m)
{
    if (m.Msg != WM_TIMER || !FEnabled)
        return;
    // The handler may free the timer; the event is copied first.
    TNotifyEvent handler = FOnTimer;
    handler(this);
}

// ---------------------------------------------------------------------------------------------
// TImage

PK_CLASS_IMPL(TImage, TGraphicControl, &CreateComponent<TImage>)

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner)
    , FPicture(std::make_unique<TPicture>())
{
    SetControlStyle(ControlStyle() + TControlStyle { csReplicatable });
    FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
    FWidth = 105;
    FHeight = 105;
}

TImage::~TImage()
{
    FPicture->OnChange = nullptr;
}

void TImage::SetStretch(bool value)
{
    if (FStretch == value)
        return;
    FStretch = value;
    PictureChanged(this);
}

void TImage::SetAutoSize(bool value)
{
    if (FAutoSize == value)
        return;
    FAutoSize = value;
    PictureChanged(this);
}

void TImage::SetCenter(bool value)
{
    if (FCenter == value)
        return;
    FCenter = value;
    PictureChanged(this);
}

void TImage::SetTransparent(bool value)
{
    if (FTransparent == value)
        return;
    FTransparent = value;
    PictureChanged(this);
}

void TImage::PictureChanged(TObject*)
{
    TGraphic* g = FPicture->Graphic();
    if (FAutoSize && g && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    if (g && !g->Transparent() && (FStretch || (FPicture->Width() >= Width() && FPicture->Height() >= Height())))
        SetControlStyle(ControlStyle() + TControlStyle { csOpaque });
    else
        SetControlStyle(ControlStyle() - TControlStyle { csOpaque });
    Invalidate();
}

TRect TImage::DestRect() const
{
    if (FStretch)
        return ClientRect();
    int w = FPicture->Width(), h = FPicture->Height();
    if (FCenter)
        return Bounds((Width() - w) / 2, (Height() - h) / 2, w, h);
    return Bounds(0, 0, w, h);
}

void TImage::Paint()
{
    TCanvas& c = TGraphicControl::Canvas();
    if (IsDesigning()) {
        c.Pen().SetStyle(psDash);
        c.Brush().SetStyle(bsClear);
        c.Rectangle(0, 0, Width(), Height());
    }
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty())
        return;
    if (FStretch)
        c.StretchDraw(DestRect(), *g);
    else {
        TRect r = DestRect();
        c.Draw(r.Left, r.Top, *g);
    }
}

TCanvas& TImage::Canvas()
{
    if (!FPicture->Graphic()) {
        // A white bitmap of the image's size, in the display's format, becomes the picture.
        TBitmap bitmap;
        bitmap.SetSize(Width(), Height());
        bitmap.Canvas().Brush().SetColor(clWhite);
        bitmap.Canvas().Brush().SetStyle(bsSolid);
        bitmap.Canvas().FillRect({ 0, 0, Width(), Height() });
        FPicture->SetGraphic(&bitmap);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (!bitmap)
        throw Exception("Can only modify an image if it contains a bitmap");
    return bitmap->Canvas();
}

// ---------------------------------------------------------------------------------------------
// TPanel

PK_CLASS_IMPL(TPanel, TCustomControl, &CreateComponent<TPanel>)

TPanel::TPanel(TComponent* AOwner)
    : TCustomControl(AOwner)
{
    SetControlStyle({ csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks, csReplicatable });
    FWidth = 185;
    FHeight = 41;
    SetParentColor(false);
    SetColor(clBtnFace);
}

void TPanel::SetBevelInner(TBevelCut v)
{
    if (FBevelInner == v)
        return;
    FBevelInner = v;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut v)
{
    if (FBevelOuter == v)
        return;
    FBevelOuter = v;
    Invalidate();
}

void TPanel::SetBevelWidth(int v)
{
    if (FBevelWidth == v)
        return;
    FBevelWidth = v;
    Invalidate();
}

void TPanel::SetAlignment(TAlignment v)
{
    if (FAlignment == v)
        return;
    FAlignment = v;
    Invalidate();
}

void TPanel::Dispatch(TMessage& m)
{
    if (m.Msg == CM_TEXTCHANGED) {
        Invalidate();
        return;
    }
    TCustomControl::Dispatch(m);
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width)
{
    canvas.Pen().SetWidth(1);
    for (int i = 0; i < width; ++i) {
        rect.Right -= 1;
        rect.Bottom -= 1;
        canvas.Pen().SetColor(topColor);
        canvas.MoveTo(rect.Left, rect.Bottom);
        canvas.LineTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right, rect.Top);
        canvas.Pen().SetColor(bottomColor);
        canvas.LineTo(rect.Right, rect.Bottom);
        canvas.LineTo(rect.Left - 1, rect.Bottom);
        rect.Left += 1;
        rect.Top += 1;
    }
}

void TPanel::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(c, r, top, bottom, FBevelWidth);
    };
    bevel(FBevelOuter);
    bevel(FBevelInner);
    if (!Caption().empty()) {
        c.Font().Assign(&Font());
        c.Brush().SetStyle(bsClear);
        unsigned flags = DT_VCENTER | DT_SINGLELINE | (FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT);
        DrawTextDC(*c.Handle(), c.Font().Spec(), ColorToRGB(Font().Color()), Caption(), r, flags);
    }
}
