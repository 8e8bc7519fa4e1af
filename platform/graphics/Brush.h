#pragma once
// TBrush: how a canvas fills (colour and style).
//
// A value object owned by its canvas; every change fires OnChange once, and Assign copies both
// attributes with one OnChange. As with the system's brushes, giving a clear brush a colour makes
// it solid again. A solid brush also gives text its background (opaque, in the brush colour); a
// clear one leaves text and the gaps of dashed lines transparent.

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/graphics/Colors.h"

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
    PK_CLASS(TBrush)
public:
    TBrush() = default;

    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);

    TNotifyEvent OnChange;

private:
    void Changed() { OnChange(this); }

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};
