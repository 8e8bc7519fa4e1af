#include "platform/graphics/RasterOps.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <vector>

namespace {

// Pixels travel through a row as 24-bit words: colours as 0x00RRGGBB, or, where a 1-bit surface
// is worked on bit by bit, 0 or AllOnes for its bit.
using Word = std::uint32_t;
constexpr Word AllOnes = 0xFFFFFF;

Word ColorWord(TColor c)
{
    return ColorToPixelWord(ColorToRGB(c) & 0xFFFFFF);
}

// The general truth-table formula: the union of the minterms the table selects.
Word RopWord(std::uint8_t index, Word p, Word s, Word d)
{
    Word r = 0;
    for (unsigned i = 0; i < 8; ++i)
        if ((index >> i) & 1)
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r & AllOnes;
}

// d[i] = rop(p, s[i], d[i]); s may be null when the operation does not read it.
void ApplyRop(std::uint8_t index, Word p, const Word* s, Word* d, int n)
{
    switch (index) {
    case 0xAA:
        return;
    case 0x00:
        std::fill_n(d, n, Word { 0 });
        return;
    case 0xFF:
        std::fill_n(d, n, AllOnes);
        return;
    case 0xF0:
        std::fill_n(d, n, p & AllOnes);
        return;
    case 0x0F:
        std::fill_n(d, n, ~p & AllOnes);
        return;
    case 0x55:
        for (int i = 0; i < n; ++i)
            d[i] = ~d[i] & AllOnes;
        return;
    case 0x5A:
        for (int i = 0; i < n; ++i)
            d[i] = (d[i] ^ p) & AllOnes;
        return;
    default:
        break;
    }
    if (!s) {
        for (int i = 0; i < n; ++i)
            d[i] = RopWord(index, p, 0, d[i]);
        return;
    }
    switch (index) {
    case 0xCC:
        std::copy_n(s, n, d);
        return;
    case 0x33:
        for (int i = 0; i < n; ++i)
            d[i] = ~s[i] & AllOnes;
        return;
    case 0xEE:
        for (int i = 0; i < n; ++i)
            d[i] = (s[i] | d[i]) & AllOnes;
        return;
    case 0x88:
        for (int i = 0; i < n; ++i)
            d[i] = s[i] & d[i];
        return;
    case 0x66:
        for (int i = 0; i < n; ++i)
            d[i] = (s[i] ^ d[i]) & AllOnes;
        return;
    case 0xBB:
        for (int i = 0; i < n; ++i)
            d[i] = (~s[i] | d[i]) & AllOnes;
        return;
    case 0x44:
        for (int i = 0; i < n; ++i)
            d[i] = s[i] & ~d[i] & AllOnes;
        return;
    case 0x11:
        for (int i = 0; i < n; ++i)
            d[i] = ~(s[i] | d[i]) & AllOnes;
        return;
    case 0xC0:
        for (int i = 0; i < n; ++i)
            d[i] = s[i] & p & AllOnes;
        return;
    case 0xE2:
        for (int i = 0; i < n; ++i)
            d[i] = (((d[i] ^ p) & s[i]) ^ d[i]) & AllOnes;
        return;
    default:
        for (int i = 0; i < n; ++i)
            d[i] = RopWord(index, p, s[i], d[i]);
        return;
    }
}

// ---- reading and writing runs of pixels ---------------------------------------------------------

// Raw palette indices of a 1-, 4- or 8-bit row.
void ReadIndices(const TDibImage& img, int y, int x, int n, Word* out)
{
    const std::uint8_t* row = img.Row(y);
    switch (img.BitsPerPixel) {
    case 1:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            out[i] = (row[px >> 3] >> (7 - (px & 7))) & 1u;
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            out[i] = (row[px >> 1] >> ((px & 1) ? 0 : 4)) & 15u;
        }
        break;
    default:
        for (int i = 0; i < n; ++i)
            out[i] = row[x + i];
        break;
    }
}

void WriteIndices(TDibImage& img, int y, int x, int n, const Word* in)
{
    std::uint8_t* row = img.Row(y);
    switch (img.BitsPerPixel) {
    case 1:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            unsigned bit = 7 - static_cast<unsigned>(px & 7);
            row[px >> 3] = static_cast<std::uint8_t>((row[px >> 3] & ~(1u << bit)) | ((in[i] & 1u) << bit));
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            unsigned shift = (px & 1) ? 0 : 4;
            row[px >> 1] = static_cast<std::uint8_t>((row[px >> 1] & ~(15u << shift)) | ((in[i] & 15u) << shift));
        }
        break;
    default:
        for (int i = 0; i < n; ++i)
            row[x + i] = static_cast<std::uint8_t>(in[i]);
        break;
    }
}

bool IsPaletteDepth(const TDibImage& img) { return img.BitsPerPixel <= 8; }

// Colours of a palette image by index (an index past the palette reads as black).
struct TPaletteLut {
    std::array<Word, 256> Entries {};
    explicit TPaletteLut(const TDibImage& img)
    {
        if (IsPaletteDepth(img))
            for (unsigned i = 0; i < Entries.size(); ++i)
                Entries[i] = img.PaletteWord(i);
    }
};

void ReadColours(const TDibImage& img, const TPaletteLut& lut, int y, int x, int n, Word* out)
{
    const std::uint8_t* row = img.Row(y);
    switch (img.BitsPerPixel) {
    case 24: {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
        for (int i = 0; i < n; ++i, p += 3)
            out[i] = Word { p[0] } | (Word { p[1] } << 8) | (Word { p[2] } << 16);
        break;
    }
    case 32: {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
        for (int i = 0; i < n; ++i, p += 4) {
            Word w;
            std::memcpy(&w, p, 4);
            out[i] = w & AllOnes;
        }
        break;
    }
    default:
        ReadIndices(img, y, x, n, out);
        for (int i = 0; i < n; ++i)
            out[i] = lut.Entries[out[i] & 0xFF];
        break;
    }
}

// Nearest palette entries, remembered per colour: a picture has few distinct colours compared
// with its pixels, and the palette search costs up to 256 distances.
class TNearestCache {
public:
    explicit TNearestCache(const TDibImage& img)
        : FImage(img)
    {
        FKeys.fill(0);
    }
    Word Index(Word colour)
    {
        Word key = colour | 0x80000000u;
        std::size_t slot = ((colour * 2654435761u) >> 22) & (FKeys.size() - 1);
        if (FKeys[slot] != key) {
            FKeys[slot] = key;
            FValues[slot] = static_cast<std::uint8_t>(FImage.NearestIndex(colour));
        }
        return FValues[slot];
    }

private:
    const TDibImage& FImage;
    std::array<Word, 1024> FKeys;
    std::array<std::uint8_t, 1024> FValues {};
};

void WriteColours(TDibImage& img, TNearestCache& cache, int y, int x, int n, const Word* in, Word* scratch)
{
    std::uint8_t* row = img.Row(y);
    switch (img.BitsPerPixel) {
    case 24: {
        std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = static_cast<std::uint8_t>(in[i]);
            p[1] = static_cast<std::uint8_t>(in[i] >> 8);
            p[2] = static_cast<std::uint8_t>(in[i] >> 16);
        }
        break;
    }
    case 32: {
        std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
        for (int i = 0; i < n; ++i, p += 4) {
            Word w = in[i] & AllOnes;
            std::memcpy(p, &w, 4);
        }
        break;
    }
    default:
        for (int i = 0; i < n; ++i)
            scratch[i] = cache.Index(in[i] & AllOnes);
        WriteIndices(img, y, x, n, scratch);
        break;
    }
}

void FillWords(TDibImage& img, int y, int x0, int x1, Word w)
{
    std::uint8_t* row = img.Row(y);
    if (img.BitsPerPixel == 32) {
        std::uint8_t* p = row + static_cast<std::size_t>(x0) * 4;
        for (int x = x0; x < x1; ++x, p += 4)
            std::memcpy(p, &w, 4);
    } else {
        std::uint8_t* p = row + static_cast<std::size_t>(x0) * 3;
        std::uint8_t b0 = static_cast<std::uint8_t>(w), b1 = static_cast<std::uint8_t>(w >> 8),
                     b2 = static_cast<std::uint8_t>(w >> 16);
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = b0;
            p[1] = b1;
            p[2] = b2;
        }
    }
}

TRect SurfaceBounds(const TDibImage& img) { return { 0, 0, img.Width, img.Height }; }

// The destination clip, never beyond the surface whatever the context holds.
TRect WritableArea(const TDeviceContext& dc)
{
    return dc.ClipRect.Intersected(SurfaceBounds(*dc.Surface));
}

bool Writable(const TDeviceContext* dc)
{
    return dc && dc->Surface && !dc->Surface->Empty() && dc->Surface->Bits.size() >= dc->Surface->Stride() * static_cast<std::size_t>(dc->Surface->Height);
}

// A rectangle from a logical position and extent, clamped to int after the origin is applied.
TRect LogicalToSurface(const TDeviceContext& dc, long long x, long long y, long long w, long long h)
{
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30)); };
    long long l = x + dc.Origin.X, t = y + dc.Origin.Y;
    return { clamp(l), clamp(t), clamp(l + w), clamp(t + h) };
}

// ---- spans of pattern and destination -----------------------------------------------------------

// Paints runs of one row with an operation on P and D. In bit mode a 1-bit surface is worked on
// bit by bit with P already a bit; otherwise on colours.
class TSpanPainter {
public:
    TSpanPainter(TDibImage& img, Word pattern, std::uint8_t index, bool bitMode)
        : FImage(img)
        , FPattern(pattern)
        , FIndex(index)
        , FBitMode(bitMode)
        , FLut(img)
        , FCache(img)
    {
        FConstant = !RopIndexUsesDest(index);
        if (FConstant) {
            Word r = RopWord(index, pattern, 0, 0);
            if (bitMode)
                FConstantIndex = r & 1;
            else if (IsPaletteDepth(img))
                FConstantIndex = FCache.Index(r);
            FConstantWord = r;
        }
    }

    void Paint(int y, int x0, int x1)
    {
        if (x1 <= x0)
            return;
        int n = x1 - x0;
        if (FConstant && !IsPaletteDepth(FImage)) {
            FillWords(FImage, y, x0, x1, FConstantWord);
            return;
        }
        if (FBuffer.size() < static_cast<std::size_t>(n)) {
            FBuffer.resize(static_cast<std::size_t>(n));
            FScratch.resize(static_cast<std::size_t>(n));
        }
        Word* d = FBuffer.data();
        if (FConstant) {
            std::fill_n(d, n, FConstantIndex);
            WriteIndices(FImage, y, x0, n, d);
            return;
        }
        if (FBitMode) {
            ReadIndices(FImage, y, x0, n, d);
            for (int i = 0; i < n; ++i)
                d[i] = d[i] ? AllOnes : 0;
            ApplyRop(FIndex, FPattern, nullptr, d, n);
            WriteIndices(FImage, y, x0, n, d);
        } else {
            ReadColours(FImage, FLut, y, x0, n, d);
            ApplyRop(FIndex, FPattern, nullptr, d, n);
            WriteColours(FImage, FCache, y, x0, n, d, FScratch.data());
        }
    }

private:
    TDibImage& FImage;
    Word FPattern;
    std::uint8_t FIndex;
    bool FBitMode;
    bool FConstant = false;
    Word FConstantWord = 0;
    Word FConstantIndex = 0;
    TPaletteLut FLut;
    TNearestCache FCache;
    std::vector<Word> FBuffer, FScratch;
};

// ---- block transfers -----------------------------------------------------------------------------

// One source row sampled through a column map, with a cache of the last row read (stretching up
// reads each source row several times in a row).
class TSourceRows {
public:
    TSourceRows(const TDibImage& img, const std::vector<int>& columns, bool rawIndices)
        : FImage(img)
        , FColumns(columns)
        , FRaw(rawIndices && IsPaletteDepth(img))
        , FLut(img)
    {
        FFirst = columns.front();
        FSpan = columns.back() - FFirst + 1;
        FRow.resize(static_cast<std::size_t>(FSpan));
    }

    // Raw indices (palette sources read raw) or colours, one per destination column.
    void Read(int y, Word* out)
    {
        if (y != FCachedY) {
            if (FRaw)
                ReadIndices(FImage, y, FFirst, FSpan, FRow.data());
            else
                ReadColours(FImage, FLut, y, FFirst, FSpan, FRow.data());
            FCachedY = y;
        }
        for (std::size_t i = 0; i < FColumns.size(); ++i)
            out[i] = FRow[static_cast<std::size_t>(FColumns[i] - FFirst)];
    }
    void Invalidate() { FCachedY = -1; }
    bool Raw() const { return FRaw; }
    const TPaletteLut& Lut() const { return FLut; }

private:
    const TDibImage& FImage;
    const std::vector<int>& FColumns;
    bool FRaw;
    TPaletteLut FLut;
    int FFirst = 0;
    int FSpan = 0;
    int FCachedY = -1;
    std::vector<Word> FRow;
};

// Destination positions [first, last) of one axis, each mapped to its source position; positions
// whose sample falls outside [0, srcSize) are trimmed (the mapping only grows, so they can lie
// only at the ends).
bool MapAxis(int& first, int& last, long long destStart, long long destExtent, long long srcStart, long long srcExtent,
    int srcSize, std::vector<int>& map)
{
    map.clear();
    // Positions and extents reach 33 bits, so their product needs 128.
    __extension__ using Wide = __int128;
    auto sample = [&](int pos) { return srcStart + static_cast<long long>((Wide { pos - destStart } * srcExtent) / destExtent); };
    while (first < last && (sample(first) < 0 || sample(first) >= srcSize))
        ++first;
    while (last > first && (sample(last - 1) < 0 || sample(last - 1) >= srcSize))
        --last;
    if (first >= last)
        return false;
    map.reserve(static_cast<std::size_t>(last - first));
    for (int pos = first; pos < last; ++pos)
        map.push_back(static_cast<int>(sample(pos)));
    return true;
}

bool SameBytes(const TDibImage& a, const TDibImage& b)
{
    if (a.BitsPerPixel != b.BitsPerPixel)
        return false;
    if (!IsPaletteDepth(a))
        return true;
    return a.BitsPerPixel == 8 && TPaletteLut(a).Entries == TPaletteLut(b).Entries;
}

bool Transfer(HDC dest, long long x, long long y, long long w, long long h, HDC src, long long sx, long long sy, long long sw,
    long long sh, std::uint32_t rop, const TBlitOptions& options)
{
    if (!dest)
        return false;
    std::uint8_t index = RopIndex(rop);
    bool usesSource = RopIndexUsesSource(index) || options.Transparent;
    if (usesSource && (!src || !src->SourceSurface()))
        return false;
    if (!Writable(dest) || w <= 0 || h <= 0 || (usesSource && (sw <= 0 || sh <= 0))) {
        dest->Changed();
        return true;
    }
    TDibImage& D = *dest->Surface;
    TRect full = LogicalToSurface(*dest, x, y, w, h);
    TRect area = full.Intersected(WritableArea(*dest));
    int left = area.Left, right = area.Right, top = area.Top, bottom = area.Bottom;
    bool bitMode = D.BitsPerPixel == 1 && !options.PaletteColours;

    std::vector<int> columns, rows;
    const TDibImage* S = nullptr;
    TDibImage snapshot;
    bool identity = !usesSource || (sw == w && sh == h);
    if (usesSource && !area.IsEmpty()) {
        S = src->SourceSurface();
        if (S->Empty() || S->Bits.size() < S->Stride() * static_cast<std::size_t>(S->Height)) {
            dest->Changed();
            return true;
        }
        long long sl = sx + src->Origin.X, st = sy + src->Origin.Y;
        if (!MapAxis(left, right, x + dest->Origin.X, w, sl, sw, S->Width, columns)
            || !MapAxis(top, bottom, y + dest->Origin.Y, h, st, sh, S->Height, rows)) {
            dest->Changed();
            return true;
        }
        if (S == &D && !identity) {
            // A stretch within one surface reads from a copy of the rows it samples.
            int firstRow = rows.front(), lastRow = rows.back();
            snapshot.Width = S->Width;
            snapshot.Height = lastRow - firstRow + 1;
            snapshot.BitsPerPixel = S->BitsPerPixel;
            snapshot.Palette = S->Palette;
            snapshot.Bits.assign(S->Row(firstRow), S->Row(firstRow) + S->Stride() * static_cast<std::size_t>(snapshot.Height));
            for (int& r : rows)
                r -= firstRow;
            S = &snapshot;
        }
    }
    if (left >= right || top >= bottom) {
        dest->Changed();
        return true;
    }
    int n = right - left;

    // Rows are visited so that, within one surface, a source row is read before it is written.
    bool bottomUp = S == &D && rows.front() < top;
    auto destRowAt = [&](int i) { return bottomUp ? bottom - 1 - i : top + i; };
    int rowCount = bottom - top;

    // Plain copies between equal layouts move bytes.
    if (usesSource && identity && index == 0xCC && !options.Transparent && S->BitsPerPixel >= 8 && SameBytes(*S, D)) {
        std::size_t bytesPerPixel = static_cast<std::size_t>(D.BitsPerPixel / 8);
        for (int i = 0; i < rowCount; ++i) {
            int dy = destRowAt(i);
            const std::uint8_t* from = S->Row(rows[static_cast<std::size_t>(dy - top)]) + static_cast<std::size_t>(columns.front()) * bytesPerPixel;
            std::memmove(D.Row(dy) + static_cast<std::size_t>(left) * bytesPerPixel, from, static_cast<std::size_t>(n) * bytesPerPixel);
        }
        dest->Changed();
        return true;
    }

    Word pattern = ColorWord(dest->BrushColor);
    if (bitMode)
        pattern = D.NearestIndex(pattern) ? AllOnes : 0;

    if (!usesSource) {
        TSpanPainter painter(D, pattern, index, bitMode);
        for (int dy = top; dy < bottom; ++dy)
            painter.Paint(dy, left, right);
        dest->Changed();
        return true;
    }

    // Which form the source takes in the operation.
    bool sourceMono = S->BitsPerPixel == 1;
    enum { srcColours, srcBitsAsBits, srcBitsAsTextBk, srcColoursToBits } form;
    if (bitMode)
        form = sourceMono ? srcBitsAsBits : srcColoursToBits;
    else
        form = (sourceMono && !options.PaletteColours) ? srcBitsAsTextBk : srcColours;
    Word srcBk = ColorWord(src->BkColor);
    Word destText = ColorWord(dest->TextColor), destBk = ColorWord(dest->BkColor);
    Word key = ColorToPixelWord(options.TransparentColor & 0xFFFFFF);

    TSourceRows reader(*S, columns, true);
    TPaletteLut destLut(D);
    TNearestCache cache(D);
    std::vector<Word> raw(static_cast<std::size_t>(n)), sval(static_cast<std::size_t>(n)), dval(static_cast<std::size_t>(n)),
        scratch(static_cast<std::size_t>(n));
    std::vector<std::uint8_t> keep(static_cast<std::size_t>(n), 1);
    bool readDest = RopIndexUsesDest(index);

    for (int i = 0; i < rowCount; ++i) {
        int dy = destRowAt(i);
        reader.Read(rows[static_cast<std::size_t>(dy - top)], raw.data());
        // raw holds indices for palette sources and colours otherwise.
        for (int k = 0; k < n; ++k) {
            Word r = raw[static_cast<std::size_t>(k)];
            Word colour = reader.Raw() ? reader.Lut().Entries[r & 0xFF] : r;
            Word s;
            switch (form) {
            case srcBitsAsBits:
                s = r ? AllOnes : 0;
                break;
            case srcBitsAsTextBk:
                s = r ? destBk : destText;
                break;
            case srcColoursToBits:
                s = colour == srcBk ? AllOnes : 0;
                break;
            default:
                s = colour;
                break;
            }
            sval[static_cast<std::size_t>(k)] = s;
            if (options.Transparent)
                keep[static_cast<std::size_t>(k)] = colour != key;
        }
        if (readDest) {
            if (bitMode) {
                ReadIndices(D, dy, left, n, dval.data());
                for (Word& v : dval)
                    v = v ? AllOnes : 0;
            } else {
                ReadColours(D, destLut, dy, left, n, dval.data());
            }
        }
        ApplyRop(index, pattern, sval.data(), dval.data(), n);
        // Write the kept runs (all of the row unless transparent).
        int k = 0;
        while (k < n) {
            if (!keep[static_cast<std::size_t>(k)]) {
                ++k;
                continue;
            }
            int start = k;
            while (k < n && keep[static_cast<std::size_t>(k)])
                ++k;
            Word* run = dval.data() + start;
            if (bitMode)
                WriteIndices(D, dy, left + start, k - start, run);
            else
                WriteColours(D, cache, dy, left + start, k - start, run, scratch.data());
        }
        if (S == &D)
            reader.Invalidate();
    }
    dest->Changed();
    return true;
}

} // namespace

bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop)
{
    return Transfer(dest, x, y, w, h, src, sx, sy, w, h, rop, {});
}

bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop)
{
    return Transfer(dest, x, y, w, h, src, sx, sy, sw, sh, rop, {});
}

bool StretchBltEx(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop,
    const TBlitOptions& options)
{
    return Transfer(dest, x, y, w, h, src, sx, sy, sw, sh, rop, options);
}

bool PatBlt(HDC dest, int x, int y, int w, int h, std::uint32_t rop)
{
    if (!dest || RopIndexUsesSource(RopIndex(rop)))
        return false;
    long long lx = x, ly = y, lw = w, lh = h;
    if (lw < 0) {
        lx += lw;
        lw = -lw;
    }
    if (lh < 0) {
        ly += lh;
        lh = -lh;
    }
    return Transfer(dest, lx, ly, lw, lh, nullptr, 0, 0, 0, 0, rop, {});
}

void PaintSurfaceSpans(TDeviceContext& dc, std::span<const TSurfaceSpan> spans, TColor color, std::uint8_t ropIndex)
{
    if (!Writable(&dc) || spans.empty())
        return;
    TRect area = WritableArea(dc);
    TSpanPainter painter(*dc.Surface, ColorWord(color), ropIndex, false);
    for (const TSurfaceSpan& s : spans) {
        if (s.Y < area.Top || s.Y >= area.Bottom)
            continue;
        painter.Paint(s.Y, std::max(s.Left, area.Left), std::min(s.Right, area.Right));
    }
}

void PaintSurfaceRect(TDeviceContext& dc, const TRect& surfaceRect, TColor color, std::uint8_t ropIndex)
{
    if (!Writable(&dc))
        return;
    TRect r = surfaceRect.Intersected(WritableArea(dc));
    if (r.IsEmpty())
        return;
    TSpanPainter painter(*dc.Surface, ColorWord(color), ropIndex, false);
    for (int y = r.Top; y < r.Bottom; ++y)
        painter.Paint(y, r.Left, r.Right);
}
