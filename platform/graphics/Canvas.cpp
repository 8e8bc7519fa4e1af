#include "platform/graphics/Canvas.h"

#include "platform/graphics/Graphic.h"
#include "platform/graphics/TextDraw.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

PK_CLASS_IMPL(TCanvas, TPersistent, nullptr)

namespace {

constexpr std::uint8_t PatCopyIndex = 0xF0;

int ClampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30));
}

// A logical rectangle moved to surface coordinates without overflow; the clamp cannot matter,
// since every surface lies far inside it.
TRect ToSurfaceRect(const TRect& r, TPoint origin)
{
    return { ClampToInt(static_cast<long long>(r.Left) + origin.X), ClampToInt(static_cast<long long>(r.Top) + origin.Y),
        ClampToInt(static_cast<long long>(r.Right) + origin.X), ClampToInt(static_cast<long long>(r.Bottom) + origin.Y) };
}

TRect WritableArea(const TDeviceContext& dc)
{
    if (!dc.Surface)
        return {};
    return dc.ClipRect.Intersected({ 0, 0, dc.Surface->Width, dc.Surface->Height });
}

// Dash lengths of the styled width-1 pens: runs alternate on, off, on, ...
struct TDashPattern {
    int Lengths[6] = {};
    int Count = 0;
    int Total = 0;
    bool On(long long position) const
    {
        int p = static_cast<int>(position % Total);
        for (int i = 0; i < Count; ++i) {
            if (p < Lengths[i])
                return (i & 1) == 0;
            p -= Lengths[i];
        }
        return true;
    }
};

const TDashPattern* DashPatternFor(TPenStyle style)
{
    static const TDashPattern dash { { 18, 6 }, 2, 24 };
    static const TDashPattern dot { { 3, 3 }, 2, 6 };
    static const TDashPattern dashDot { { 9, 6, 3, 6 }, 4, 24 };
    static const TDashPattern dashDotDot { { 9, 3, 3, 3, 3, 3 }, 6, 24 };
    switch (style) {
    case psDash:
        return &dash;
    case psDot:
        return &dot;
    case psDashDot:
        return &dashDot;
    case psDashDotDot:
        return &dashDotDot;
    default:
        return nullptr;
    }
}

// Adds [left, right) on row y to spans, merging with the last span when it continues it.
void AddSpan(std::vector<TSurfaceSpan>& spans, long long y, long long left, long long right)
{
    if (right <= left)
        return;
    TSurfaceSpan s { ClampToInt(y), ClampToInt(left), ClampToInt(right) };
    if (!spans.empty() && spans.back().Y == s.Y && spans.back().Right == s.Left) {
        spans.back().Right = s.Right;
        return;
    }
    spans.push_back(s);
}

} // namespace

// Brackets one primitive: OnChanging first; the context's own change notification is held back
// while the primitive runs (a picture drawn through raw calls would report each of them) and
// given once at the end, followed by OnChange. Nested primitives (a graphic drawing itself
// through the canvas) report nothing of their own.
class TCanvas::TDrawScope {
public:
    explicit TDrawScope(TCanvas& canvas)
        : FCanvas(canvas)
        , FExceptions(std::uncaught_exceptions())
    {
        if (FCanvas.FDrawDepth++ > 0)
            return;
        FOuter = true;
        FCanvas.Changing();
        FContext = FCanvas.FHandle;
        if (FContext)
            FHeld = std::exchange(FContext->OnChanged, nullptr);
    }
    ~TDrawScope() noexcept(false)
    {
        --FCanvas.FDrawDepth;
        if (!FOuter)
            return;
        if (FContext)
            FContext->OnChanged = std::move(FHeld);
        if (std::uncaught_exceptions() != FExceptions)
            return;
        if (FContext)
            FContext->Changed();
        FCanvas.Changed();
    }
    TDrawScope(const TDrawScope&) = delete;
    TDrawScope& operator=(const TDrawScope&) = delete;

private:
    TCanvas& FCanvas;
    int FExceptions;
    bool FOuter = false;
    TDeviceContext* FContext = nullptr;
    std::function<void()> FHeld;
};

TCanvas::TCanvas()
{
    FBrush.OnChange = [this](TObject*) { FState &= ~stBrushValid; };
    FFont.OnChange = [this](TObject*) { FState &= ~stFontValid; };
}

TCanvas::~TCanvas() = default;

void TCanvas::CreateHandle()
{
}

void TCanvas::Changing()
{
    OnChanging(this);
}

void TCanvas::Changed()
{
    OnChange(this);
}

void TCanvas::SetHandle(HDC handle)
{
    if (handle == FHandle)
        return;
    FHandle = handle;
    FState = 0;
}

bool TCanvas::RequiredState(unsigned state)
{
    if (!FHandle)
        CreateHandle();
    if (!FHandle)
        return false;
    unsigned needed = state & ~FState;
    if (needed & stBrushValid) {
        TColor c = ColorToRGB(FBrush.Color());
        FHandle->BrushColor = c;
        FHandle->BkColor = c;
        FHandle->BkMode = FBrush.Style() == bsClear ? bkTransparent : bkOpaque;
    }
    if (needed & stFontValid)
        FHandle->TextColor = ColorToRGB(FFont.Color());
    FState |= needed;
    return true;
}

HDC TCanvas::Handle()
{
    RequiredState(stAllValid);
    return FHandle;
}

TRect TCanvas::ClipRect()
{
    if (!RequiredState(0))
        return {};
    TRect r = WritableArea(*FHandle);
    if (r.IsEmpty())
        return {};
    return r.Offsetted(-FHandle->Origin.X, -FHandle->Origin.Y);
}

bool TCanvas::TryLock()
{
    if (FLockCount > 0)
        return false;
    Lock();
    return true;
}

void TCanvas::Unlock()
{
    assert(FLockCount > 0 && "Unlock without Lock");
    if (FLockCount > 0)
        --FLockCount;
}

// ---- fills ------------------------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& rect)
{
    bool ready = RequiredState(stBrushValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    if (FBrush.Style() == bsClear)
        return;
    PaintSurfaceRect(*FHandle, ToSurfaceRect(rect, FHandle->Origin), FBrush.Color(), PatCopyIndex);
}

void TCanvas::FrameRect(const TRect& rect)
{
    bool ready = RequiredState(stBrushValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    if (rect.IsEmpty() || FBrush.Style() == bsClear)
        return;
    TRect r = ToSurfaceRect(rect, FHandle->Origin);
    TRect clip = WritableArea(*FHandle);
    std::vector<TSurfaceSpan> spans;
    for (int y = std::max(r.Top, clip.Top); y < std::min(r.Bottom, clip.Bottom); ++y) {
        if (y == r.Top || y == r.Bottom - 1) {
            spans.push_back({ y, r.Left, r.Right });
        } else {
            spans.push_back({ y, r.Left, r.Left + 1 });
            if (r.Right - 1 > r.Left)
                spans.push_back({ y, r.Right - 1, r.Right });
        }
    }
    PaintSurfaceSpans(*FHandle, spans, FBrush.Color(), PatCopyIndex);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    bool ready = RequiredState(stBrushValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (right == left || bottom == top)
        return;
    TDeviceContext& dc = *FHandle;
    long long l = static_cast<long long>(left) + dc.Origin.X, t = static_cast<long long>(top) + dc.Origin.Y;
    long long r = static_cast<long long>(right) + dc.Origin.X, b = static_cast<long long>(bottom) + dc.Origin.Y;
    std::uint8_t index = PenModeRopIndex(FPen.Mode());
    bool fill = FBrush.Style() != bsClear;
    TRect clip = WritableArea(dc);

    if (FPen.Style() == psClear) {
        if (fill)
            PaintSurfaceRect(dc, { ClampToInt(l), ClampToInt(t), ClampToInt(r - 1), ClampToInt(b - 1) }, FBrush.Color(), index);
        return;
    }

    int w = std::max(1, FPen.Width());
    if (w == 1 && DashPatternFor(FPen.Style())) {
        if (fill)
            PaintSurfaceRect(dc, { ClampToInt(l + 1), ClampToInt(t + 1), ClampToInt(r - 1), ClampToInt(b - 1) }, FBrush.Color(), index);
        const TPoint corners[5] = { { left, top }, { right - 1, top }, { right - 1, bottom - 1 }, { left, bottom - 1 }, { left, top } };
        long long phase = 0;
        for (int i = 0; i < 4; ++i)
            phase += DrawSegment(corners[i], corners[i + 1], phase);
        return;
    }

    // The outline is the band between outer and hole; the inside is what the hole leaves of the
    // rectangle's interior, so no pixel is mixed twice.
    long long ol, ot, orr, ob, hl, ht, hr, hb;
    if (FPen.Style() == psInsideFrame) {
        ol = l, ot = t, orr = r, ob = b;
        hl = l + w, ht = t + w, hr = r - w, hb = b - w;
    } else {
        long long h = w / 2;
        ol = l - h, ot = t - h, orr = r - 1 - h + w, ob = b - 1 - h + w;
        hl = l - h + w, ht = t - h + w, hr = r - 1 - h, hb = b - 1 - h;
    }
    bool hole = hl < hr && ht < hb;
    long long rowFirst = std::max<long long>(ot, clip.Top), rowLast = std::min<long long>(ob, clip.Bottom);
    std::vector<TSurfaceSpan> border, inside;
    long long il = std::max(l + 1, hl), it = std::max(t + 1, ht), ir = std::min(r - 1, hr), ib = std::min(b - 1, hb);
    for (long long y = rowFirst; y < rowLast; ++y) {
        if (hole && y >= ht && y < hb) {
            AddSpan(border, y, ol, hl);
            AddSpan(border, y, hr, orr);
        } else {
            AddSpan(border, y, ol, orr);
        }
        if (fill && hole && y >= it && y < ib)
            AddSpan(inside, y, il, ir);
    }
    if (!inside.empty())
        PaintSurfaceSpans(dc, inside, FBrush.Color(), index);
    PaintSurfaceSpans(dc, border, FPen.Color(), index);
}

// ---- lines ------------------------------------------------------------------------------------------

void TCanvas::LineTo(int x, int y)
{
    bool ready = RequiredState(stBrushValid);
    assert(ready && "drawing on a canvas without a device context");
    TPoint from = FPenPos;
    FPenPos = { x, y };
    if (!ready)
        return;
    TDrawScope scope(*this);
    DrawSegment(from, { x, y }, 0);
}

long long TCanvas::DrawSegment(TPoint from, TPoint to, long long phase)
{
    TDeviceContext& dc = *FHandle;
    long long x0 = static_cast<long long>(from.X) + dc.Origin.X, y0 = static_cast<long long>(from.Y) + dc.Origin.Y;
    long long x1 = static_cast<long long>(to.X) + dc.Origin.X, y1 = static_cast<long long>(to.Y) + dc.Origin.Y;
    long long adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
    int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    long long steps = std::max(adx, ady);
    if (steps == 0 || FPen.Style() == psClear)
        return steps;
    TRect clip = WritableArea(dc);
    if (clip.IsEmpty())
        return steps;

    int w = std::max(1, FPen.Width());
    long long h = w / 2;
    const TDashPattern* dashes = w == 1 ? DashPatternFor(FPen.Style()) : nullptr;

    // Pixel i of the width-1 line: one step along the major axis per pixel; the minor axis
    // follows the ideal line, rounded (halves away from the start).
    bool xMajor = adx >= ady;
    long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    // Coordinates reach 33 bits once the origin is added, so the product needs 128.
    __extension__ using Wide = __int128;
    auto pixel = [&](long long i) {
        long long m = static_cast<long long>((Wide { 2 } * i * minor + major) / (Wide { 2 } * major));
        return xMajor ? std::pair { x0 + sx * i, y0 + sy * m } : std::pair { x0 + sx * m, y0 + sy * i };
    };

    // Only the steps whose square can reach the clip along the major axis are walked.
    long long lo = (xMajor ? clip.Left : clip.Top) - w + 1 + h, hi = (xMajor ? clip.Right : clip.Bottom) + h;
    long long start = xMajor ? x0 : y0;
    int dir = xMajor ? sx : sy;
    long long first, last;
    if (dir > 0) {
        first = lo - start;
        last = hi - start;
    } else {
        first = start - hi + 1;
        last = start - lo + 1;
    }
    first = std::max<long long>(first, 0);
    last = std::min(last, steps);
    if (first >= last)
        return steps;

    std::vector<TSurfaceSpan> on, off;
    if (w == 1) {
        for (long long i = first; i < last; ++i) {
            auto [px, py] = pixel(i);
            if (py < clip.Top || py >= clip.Bottom || px < clip.Left || px >= clip.Right)
                continue;
            bool isOn = !dashes || dashes->On(phase + i);
            std::vector<TSurfaceSpan>& target = isOn ? on : off;
            if (!target.empty() && target.back().Y == py && (target.back().Right == px || target.back().Left == px + 1)) {
                if (target.back().Right == px)
                    target.back().Right = static_cast<int>(px + 1);
                else
                    target.back().Left = static_cast<int>(px);
            } else {
                target.push_back({ static_cast<int>(py), static_cast<int>(px), static_cast<int>(px + 1) });
            }
        }
    } else {
        // The union of the squares on one row is one run, since the line only moves one way;
        // only the clip's rows are kept.
        std::vector<std::pair<long long, long long>> runs(static_cast<std::size_t>(clip.Height()), { 0, -1 });
        for (long long i = first; i < last; ++i) {
            auto [px, py] = pixel(i);
            long long top = std::max<long long>(py - h, clip.Top), bottom = std::min<long long>(py - h + w, clip.Bottom);
            for (long long r = top; r < bottom; ++r) {
                auto& run = runs[static_cast<std::size_t>(r - clip.Top)];
                if (run.second < run.first) {
                    run = { px - h, px - h + w };
                } else {
                    run.first = std::min(run.first, px - h);
                    run.second = std::max(run.second, px - h + w);
                }
            }
        }
        for (int r = clip.Top; r < clip.Bottom; ++r) {
            auto& run = runs[static_cast<std::size_t>(r - clip.Top)];
            AddSpan(on, r, std::max<long long>(run.first, clip.Left), std::min<long long>(run.second, clip.Right));
        }
    }
    std::uint8_t index = PenModeRopIndex(FPen.Mode());
    PaintSurfaceSpans(dc, on, FPen.Color(), index);
    if (!off.empty() && dc.BkMode == bkOpaque)
        PaintSurfaceSpans(dc, off, dc.BkColor, index);
    return steps;
}

// ---- pixels -------------------------------------------------------------------------------------------

TColor TCanvas::Pixels(int x, int y)
{
    if (!RequiredState(0))
        return CLR_INVALID;
    const TDeviceContext& dc = *FHandle;
    const TDibImage* view = dc.SourceSurface();
    long long sx = static_cast<long long>(x) + dc.Origin.X, sy = static_cast<long long>(y) + dc.Origin.Y;
    TRect area = WritableArea(dc);
    if (!view || sx < area.Left || sx >= area.Right || sy < area.Top || sy >= area.Bottom || sx >= view->Width || sy >= view->Height)
        return CLR_INVALID;
    return PixelWordToColor(view->GetPixelWord(static_cast<int>(sx), static_cast<int>(sy)));
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    bool ready = RequiredState(0);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    TDeviceContext& dc = *FHandle;
    long long sx = static_cast<long long>(x) + dc.Origin.X, sy = static_cast<long long>(y) + dc.Origin.Y;
    TRect area = WritableArea(dc);
    if (sx < area.Left || sx >= area.Right || sy < area.Top || sy >= area.Bottom)
        return;
    dc.Surface->SetPixelWord(static_cast<int>(sx), static_cast<int>(sy), ColorToPixelWord(ColorToRGB(color) & 0xFFFFFF));
}

// ---- pictures -------------------------------------------------------------------------------------------

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    bool ready = RequiredState(stAllValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    long long right = static_cast<long long>(x) + graphic.Width(), bottom = static_cast<long long>(y) + graphic.Height();
    if (right > INT_MAX || bottom > INT_MAX)
        return; // lies beyond any surface
    graphic.Draw(*this, { x, y, static_cast<int>(right), static_cast<int>(bottom) });
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    bool ready = RequiredState(stAllValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    graphic.Draw(*this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    bool ready = RequiredState(stAllValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    HDC src = source.Handle();
    TDrawScope scope(*this);
    TBlitOptions options;
    options.PaletteColours = true;
    StretchBltEx(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, sourceRect.Left, sourceRect.Top,
        sourceRect.Width(), sourceRect.Height(), FCopyMode, options);
}

// ---- text ------------------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    bool ready = RequiredState(stAllValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    TDeviceContext& dc = *FHandle;
    dc.BkMode = FBrush.Style() == bsClear ? bkTransparent : bkOpaque;
    dc.BkColor = ColorToRGB(FBrush.Color());
    TextOutDC(dc, FFont.Spec(), ColorToRGB(FFont.Color()), x, y, text);
    FPenPos = { x + GetTextExtent(FFont.Spec(), text).X, y };
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text)
{
    bool ready = RequiredState(stAllValid);
    assert(ready && "drawing on a canvas without a device context");
    if (!ready)
        return;
    TDrawScope scope(*this);
    TDeviceContext& dc = *FHandle;
    if (FBrush.Style() != bsClear)
        PaintSurfaceRect(dc, ToSurfaceRect(rect, dc.Origin), FBrush.Color(), PatCopyIndex);
    TRect savedClip = dc.ClipRect;
    TBkMode savedMode = dc.BkMode;
    dc.ClipRect.Intersect(ToSurfaceRect(rect, dc.Origin));
    dc.BkMode = bkTransparent;
    try {
        if (!dc.ClipRect.IsEmpty())
            TextOutDC(dc, FFont.Spec(), ColorToRGB(FFont.Color()), x, y, text);
    } catch (...) {
        dc.ClipRect = savedClip;
        dc.BkMode = savedMode;
        throw;
    }
    dc.ClipRect = savedClip;
    dc.BkMode = savedMode;
}

TPoint TCanvas::TextExtent(std::string_view text)
{
    return GetTextExtent(FFont.Spec(), text);
}
