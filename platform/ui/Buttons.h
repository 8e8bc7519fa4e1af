#pragma once
// TSpeedButton: the platform's speed button, a graphic control that can stay down.
//
// Grouping: buttons of one parent with the same non-zero GroupIndex form a group in which at most
// one is down, unless AllowAllUp lets the down one come up again. A button announces itself to
// its parent's controls (CM_BUTTONPRESSED, WParam the group index, LParam the announcing
// TSpeedButton) when its GroupIndex or AllowAllUp changes and when it goes down; a receiver of the
// same group that is down comes up when the sender is down, and every receiver of the group takes
// the sender's AllowAllUp. Other controls that keep the same rule (the shine button) group with it.

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
    PK_CLASS(TSpeedButton)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TBitmap& Glyph() const { return *FGlyph; }
    void SetGlyph(const TBitmap* value);
    TButtonState State() const { return FState; }

    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void UpdateExclusive();
    void CMButtonPressed(TMessage& m);

    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FDragging = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TButtonState FState = bsUp;
    std::unique_ptr<TBitmap> FGlyph;
};
