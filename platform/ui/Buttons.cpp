#include "platform/ui/Buttons.h"

#include "platform/graphics/TextDraw.h"
#include "platform/ui/ExtCtrls.h"

PK_CLASS_IMPL(TSpeedButton, TGraphicControl, &CreateComponent<TSpeedButton>)

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner)
    , FGlyph(std::make_unique<TBitmap>())
{
    FWidth = 23;
    FHeight = 22;
    SetControlStyle({ csCaptureMouse, csDoubleClicks });
    SetParentFont(true);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton()
{
    FGlyph->OnChange = nullptr;
}

void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    TMessage m { CM_BUTTONPRESSED, static_cast<WPARAM>(static_cast<std::intptr_t>(FGroupIndex)), reinterpret_cast<LPARAM>(this), 0 };
    Parent()->Broadcast(m);
}

void TSpeedButton::SetGroupIndex(int value)
{
    if (FGroupIndex == value)
        return;
    FGroupIndex = value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool value)
{
    if (FGroupIndex == 0)
        value = false;
    if (value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = value;
    if (value) {
        if (FState == bsUp)
            Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Repaint();
    }
    if (value)
        UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value)
{
    if (FAllowAllUp == value)
        return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value)
{
    if (FFlat == value)
        return;
    FFlat = value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value)
{
    if (FLayout == value)
        return;
    FLayout = value;
    Invalidate();
}

void TSpeedButton::SetMargin(int value)
{
    if (FMargin == value)
        return;
    FMargin = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value)
{
    if (FSpacing == value)
        return;
    FSpacing = value;
    Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap* value)
{
    FGlyph->Assign(value);
    Invalidate();
}

void TSpeedButton::CMButtonPressed(TMessage& m)
{
    if (static_cast<int>(static_cast<std::intptr_t>(m.WParam)) != FGroupIndex)
        return;
    auto* sender = reinterpret_cast<TSpeedButton*>(m.LParam);
    if (!sender || sender == this)
        return;
    if (sender->Down() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->AllowAllUp();
}

void TSpeedButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_BUTTONPRESSED:
        CMButtonPressed(m);
        return;
    case CM_DIALOGCHAR:
        if (Enabled() && Visible() && Parent() && Parent()->Showing() && IsAccel(static_cast<unsigned>(m.WParam), Caption())) {
            Click();
            m.Result = 1;
        }
        return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    default:
        TGraphicControl::Dispatch(m);
    }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        TButtonState s = FDown ? bsExclusive : bsUp;
        if (ClientRect().Contains({ X, Y }))
            s = FDown ? bsExclusive : bsDown;
        if (s != FState) {
            FState = s;
            Invalidate();
        }
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging)
        return;
    FDragging = false;
    bool inside = ClientRect().Contains({ X, Y });
    if (FGroupIndex == 0) {
        FState = bsUp;
        if (!inside)
            Invalidate();
    } else if (inside) {
        SetDown(!FDown);
    } else {
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    }
    if (inside)
        Click();
}

void TSpeedButton::Click()
{
    TGraphicControl::Click();
}

void TSpeedButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    bool down = FState == bsDown || FState == bsExclusive;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(down && FState == bsExclusive ? cl3DLight : clBtnFace);
    c.FillRect(r);
    TRect frame = r;
    if (down)
        Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
    else if (!FFlat)
        Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
    TRect content = r;
    if (down)
        content.Offset(1, 1);
    if (!FGlyph->Empty()) {
        int x = content.Left + (content.Width() - FGlyph->Width()) / 2;
        int y = content.Top + (content.Height() - FGlyph->Height()) / 2;
        FGlyph->SetTransparent(true);
        c.Draw(x, y, *FGlyph);
    }
    if (!Caption().empty()) {
        c.Font().Assign(&Font());
        c.Brush().SetStyle(bsClear);
        TColor ink = Enabled() ? Font().Color() : clGrayText;
        DrawTextDC(*c.Handle(), c.Font().Spec(), ColorToRGB(ink), Caption(), content, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
