#include "platform/graphics/Pen.h"

PK_CLASS_IMPL(TPen, TPersistent, nullptr)

std::uint8_t PenModeRopIndex(TPenMode mode)
{
    // P is 0xF0 and D is 0xAA in the truth-table byte.
    switch (mode) {
    case pmBlack:
        return 0x00;
    case pmWhite:
        return 0xFF;
    case pmNop:
        return 0xAA;
    case pmNot:
        return 0x55;
    case pmCopy:
        return 0xF0;
    case pmNotCopy:
        return 0x0F;
    case pmMergePenNot:
        return 0xF5;
    case pmMaskPenNot:
        return 0x50;
    case pmMergeNotPen:
        return 0xAF;
    case pmMaskNotPen:
        return 0x0A;
    case pmMerge:
        return 0xFA;
    case pmNotMerge:
        return 0x05;
    case pmMask:
        return 0xA0;
    case pmNotMask:
        return 0x5F;
    case pmXor:
        return 0x5A;
    case pmNotXor:
        return 0xA5;
    }
    return 0xF0;
}

void TPen::Assign(const TPersistent* Source)
{
    if (auto* p = dynamic_cast<const TPen*>(Source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 0 || width == FWidth)
        return;
    FWidth = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == FMode)
        return;
    FMode = mode;
    Changed();
}
