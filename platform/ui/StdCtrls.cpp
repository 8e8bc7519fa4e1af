#include "platform/ui/StdCtrls.h"

#include "platform/graphics/TextDraw.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"

PK_CLASS_IMPL(TButton, TCustomControl, &CreateComponent<TButton>)

TButton::TButton(TComponent* AOwner)
    : TCustomControl(AOwner)
{
    SetControlStyle({ csSetCaption, csDoubleClicks, csCaptureMouse, csClickEvents });
    FWidth = 75;
    FHeight = 25;
    SetParentColor(false);
    SetColor(clBtnFace);
}

void TButton::Click()
{
    if (FModalResult != 0)
        if (auto* form = dynamic_cast<TCustomForm*>(GetParentForm(this)))
            form->SetModalResult(FModalResult);
    TCustomControl::Click();
}

void TButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGCHAR:
        if (Enabled() && Visible() && IsAccel(static_cast<unsigned>(m.WParam), Caption())) {
            Click();
            m.Result = 1;
        }
        return;
    case CM_DIALOGKEY:
        if (Enabled() && Visible()
            && ((FDefault && m.WParam == static_cast<WPARAM>(VK_RETURN)) || (FCancel && m.WParam == static_cast<WPARAM>(VK_ESCAPE)))) {
            Click();
            m.Result = 1;
        }
        return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        TCustomControl::Dispatch(m);
        return;
    default:
        TCustomControl::Dispatch(m);
    }
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        FPressed = true;
        FPressedInside = true;
        Repaint();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FPressed) {
        bool inside = ClientRect().Contains({ X, Y });
        if (inside != FPressedInside) {
            FPressedInside = inside;
            Repaint();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FPressed) {
        FPressed = false;
        FPressedInside = false;
        Repaint();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    bool down = FPressed && FPressedInside;
    if (FDefault) {
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
        r = { r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1 };
    }
    if (down) {
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    } else {
        Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(c, r, cl3DLight, clBtnShadow, 1);
    }
    if (down)
        r.Offset(1, 1);
    c.Font().Assign(&Font());
    TColor ink = Enabled() ? Font().Color() : clGrayText;
    c.Brush().SetStyle(bsClear);
    DrawTextDC(*c.Handle(), c.Font().Spec(), ColorToRGB(ink), Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
