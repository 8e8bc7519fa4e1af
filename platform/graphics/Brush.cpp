#include "platform/graphics/Brush.h"

PK_CLASS_IMPL(TBrush, TPersistent, nullptr)

void TBrush::Assign(const TPersistent* Source)
{
    if (auto* b = dynamic_cast<const TBrush*>(Source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor color)
{
    if (color == FColor && FStyle != bsClear)
        return;
    FColor = color;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}
