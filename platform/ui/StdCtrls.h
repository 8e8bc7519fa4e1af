#pragma once
// TButton: a push button drawn by the platform. A left press and release on it clicks it; so does
// its accelerator (the character after "&" in its caption) and, for the default or cancel button
// of a form, the Return or Escape key. A click sets the form's ModalResult when the button has one.

#include "platform/ui/Controls.h"

class TButton : public TCustomControl {
    PK_CLASS(TButton)
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; Invalidate(); }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int v) { FTabOrder = v; }
    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
    int FTabOrder = -1;
    bool FPressed = false;
    bool FPressedInside = false;
};
