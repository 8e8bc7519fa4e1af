#pragma once
// TPen: how a canvas draws lines and outlines (colour, width, style, mix mode).
//
// A value object owned by its canvas; every change fires OnChange once (the canvas listens), and
// Assign copies all four attributes with one OnChange. Width 0 draws as width 1. Dashed and dotted
// styles apply to width 1 only; a wider pen of those styles draws solid, as the system's pens do.
// The mode is the binary raster operation of the system, applied to the pen colour (P) and the
// destination (D).

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/graphics/Colors.h"

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

// The truth-table byte (over P and D) of a pen mode.
std::uint8_t PenModeRopIndex(TPenMode mode);

class TPen : public TPersistent {
    PK_CLASS(TPen)
public:
    TPen() = default;

    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode mode);

    TNotifyEvent OnChange;

private:
    void Changed() { OnChange(this); }

    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};
