#pragma once
// TCanvas: drawing on a device context with a pen, a brush and a font.
//
// A canvas draws through a device context that it does not own: one attached with SetHandle (a
// window's, another bitmap's; a null handle detaches), or, when none is attached, whatever
// CreateHandle supplies (a bitmap's canvas takes its bitmap's own context; a plain canvas has
// none and does not draw). The canvas owns its pen, brush and font (Set... copies in) and gives
// their state to the context when it draws or when Handle() is asked for: the brush colour
// becomes the context's BrushColor and BkColor, the brush style its background mode, the font
// colour its TextColor. A change of the brush or the font is given to the context at the next
// use only, so a caller may adjust the context through Handle() (text and background colour
// before a BitBlt, say) and draw with raw calls right after.
//
// Every primitive works in logical coordinates (the context's Origin applies), is clipped to the
// context's clip rectangle, and reports one change: OnChanging before, then the context's
// Changed() (which a bitmap turns into its own change event) and OnChange after, however many
// rows it touched and also when nothing was left after clipping. Reads (Pixels, TextExtent, ...)
// report nothing. A primitive on a canvas without a context is a programmer error.
//
// Lines follow the system's rules: the end point of LineTo is not drawn, a width-1 pen draws the
// exact pixels (horizontal, vertical and diagonal lines, others by Bresenham), a wider pen stamps
// a square of its width, centred, on every pixel of the width-1 line, and the pen mode mixes the
// pen colour into the destination. Dashed styles fill their gaps with the brush colour while the
// brush is solid.
//
// Pictures (Draw, StretchDraw, CopyRect) read every depth through its palette and write palette
// surfaces by nearest entry; stretching samples the nearest source pixel, never blending:
// destination column dx (from the rectangle's left) shows source column floor(dx * srcW / dstW),
// rows alike, so a transparent key colour survives any stretch exactly.
//
// Lock, TryLock and Unlock count nested locks on the one GUI thread: TryLock refuses while the
// canvas is locked, which guards work that must not run inside a paint of the same canvas.

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Pen.h"
#include "platform/graphics/RasterOps.h"

#include <cstdint>
#include <string_view>

class TGraphic;

using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// What GetPixel answers for a point outside the clip (the system's CLR_INVALID).
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

class TCanvas : public TPersistent {
    PK_CLASS(TCanvas)
public:
    TCanvas();
    ~TCanvas() override;

    // The context to draw on with the system's calls, with the canvas's state given to it; null
    // when the canvas has none.
    HDC Handle();
    void SetHandle(HDC handle);
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The attached context without asking CreateHandle for one.
    HDC AttachedHandle() const { return FHandle; }

    TPen& Pen() { return FPen; }
    void SetPen(const TPen& pen) { FPen.Assign(&pen); }
    TBrush& Brush() { return FBrush; }
    void SetBrush(const TBrush& brush) { FBrush.Assign(&brush); }
    TFont& Font() { return FFont; }
    void SetFont(const TFont& font) { FFont.Assign(&font); }

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint pos) { FPenPos = pos; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
    // The clip in logical coordinates (empty without a context).
    TRect ClipRect();

    void Lock() { ++FLockCount; }
    bool TryLock();
    void Unlock();
    int LockCount() const { return FLockCount; }

    // The rectangle in the brush colour (nothing with a clear brush).
    void FillRect(const TRect& rect);
    // A one-pixel border along the inside of the rectangle in the brush colour.
    void FrameRect(const TRect& rect);
    // The pen's outline (width 1: the outermost pixels of the half-open rectangle), the inside
    // in the brush unless it is clear; both mixed by the pen mode. With a clear pen the system
    // fills one pixel less at the right and bottom, and so does this.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void MoveTo(int x, int y) { FPenPos = { x, y }; }
    void LineTo(int x, int y);

    // The colour of a pixel, CLR_INVALID outside the clip.
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // The graphic at its own size with its top-left corner at (x, y); nothing for an empty one.
    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // Copies source's rectangle into dest with CopyMode, stretched when the sizes differ.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

    // One line of text with its cell's top-left corner at (x, y), in the font's colour; a solid
    // brush gives it an opaque background of the brush colour. The pen moves to the text's end.
    void TextOut(int x, int y, std::string_view text);
    // Text at (x, y) clipped to rect; a solid brush fills rect first.
    void TextRect(const TRect& rect, int x, int y, std::string_view text);
    TPoint TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).X; }
    int TextHeight(std::string_view text) { return TextExtent(text).Y; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Asked for a context when none is attached; a derived canvas attaches its own here.
    virtual void CreateHandle();
    virtual void Changing();
    virtual void Changed();

private:
    class TDrawScope;
    enum : unsigned { stBrushValid = 1, stFontValid = 2, stAllValid = 3 };
    // Makes sure a context exists and holds the state named; false when there is no context.
    bool RequiredState(unsigned state);
    // Draws the segment without its end point; returns its length in pixels. The dash pattern
    // starts phase pixels in, so that a path of segments keeps one pattern.
    long long DrawSegment(TPoint from, TPoint to, long long phase);

    HDC FHandle = nullptr;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    unsigned FState = 0;
    int FLockCount = 0;
    int FDrawDepth = 0;
};
