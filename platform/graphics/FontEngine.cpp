#include "platform/graphics/FontEngine.h"

#include "platform/base/CodePage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

namespace {

// Sizes beyond this many pixels per em are drawn at this size: glyph bitmaps grow with the
// square of the size, and nothing the program shows comes near it.
constexpr int MaxEm = 2048;
// The em of a font whose height is 0 (the system's "default height").
constexpr int DefaultEm = 12;
// Sized faces kept before the cache starts over.
constexpr size_t MaxCachedFaces = 64;
// The slant of a synthetic italic: x += 0.2126 y (FreeType's own oblique).
constexpr FT_Fixed ObliqueShear = 0x0366A;

int Round26(FT_Pos v)
{
    return static_cast<int>(v >= 0 ? (v + 32) >> 6 : -((-v + 32) >> 6));
}

std::string AsciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The Japanese system faces and the IPA faces that stand in for them.
struct TFaceAlias {
    const char* Name; // UTF-8
    const char* Family;
};
constexpr TFaceAlias FaceAliases[] = {
    { "ＭＳ Ｐゴシック", "IPAPGothic" },
    { "MS PGothic", "IPAPGothic" },
    { "ＭＳ ＵＩ Gothic", "IPAPGothic" },
    { "MS UI Gothic", "IPAPGothic" },
    { "ＭＳ ゴシック", "IPAGothic" },
    { "MS Gothic", "IPAGothic" },
    { "ＭＳ Ｐ明朝", "IPAPMincho" },
    { "MS PMincho", "IPAPMincho" },
    { "ＭＳ 明朝", "IPAMincho" },
    { "MS Mincho", "IPAMincho" },
};

const char* AliasFor(const std::string& utf8Name)
{
    std::string lower = AsciiLower(utf8Name);
    for (const TFaceAlias& a : FaceAliases)
        if (lower == AsciiLower(a.Name))
            return a.Family;
    return nullptr;
}

// The em size a font request asks for before the face is known: a positive (cell) height is
// a first guess only, refined once the face's proportions are known.
int RequestedEm(int height)
{
    if (height == 0)
        return DefaultEm;
    long h = std::labs(static_cast<long>(height));
    return static_cast<int>(std::clamp<long>(h, 1, MaxEm));
}

std::string SpecKey(const TFontSpec& spec)
{
    std::string key = spec.Name;
    key += '\x1f';
    key += std::to_string(spec.Height);
    key += spec.Style.Contains(fsBold) ? 'b' : '-';
    key += spec.Style.Contains(fsItalic) ? 'i' : '-';
    key += std::to_string(spec.Charset);
    key += static_cast<char>('0' + static_cast<int>(spec.Pitch));
    return key;
}

struct TPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using TPatternPtr = std::unique_ptr<FcPattern, TPatternDeleter>;

TPatternPtr MatchPattern(const char* family, const char* lang, const TFontSpec& spec)
{
    TPatternPtr pattern(FcPatternCreate());
    if (!pattern)
        return nullptr;
    FcPattern* p = pattern.get();
    if (family && *family)
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    if (lang)
        FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcPatternAddInteger(p, FC_WEIGHT, spec.Style.Contains(fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(p, FC_SLANT, spec.Style.Contains(fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(p, FC_PIXEL_SIZE, RequestedEm(spec.Height));
    if (spec.Pitch == fpFixed)
        FcPatternAddInteger(p, FC_SPACING, FC_MONO);
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result = FcResultNoMatch;
    return TPatternPtr(FcFontMatch(nullptr, p, &result));
}

bool PatternCoversJapanese(FcPattern* m)
{
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(m, FC_CHARSET, 0, &charset) == FcResultMatch && charset)
        return FcCharSetHasChar(charset, 0x3042) != FcFalse;
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(m, FC_LANG, 0, &langs) == FcResultMatch && langs)
        return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
    return false;
}

TFontEngine::TMatch MatchFromPattern(FcPattern* m, const TFontSpec& spec)
{
    TFontEngine::TMatch match;
    FcChar8* s = nullptr;
    if (FcPatternGetString(m, FC_FILE, 0, &s) == FcResultMatch && s)
        match.File = reinterpret_cast<const char*>(s);
    // The face's own (English) family name, whatever language the user's locale prefers.
    for (int i = 0; FcPatternGetString(m, FC_FAMILY, i, &s) == FcResultMatch; ++i) {
        FcChar8* lang = nullptr;
        bool english = FcPatternGetString(m, FC_FAMILYLANG, i, &lang) == FcResultMatch && lang
            && std::strcmp(reinterpret_cast<const char*>(lang), "en") == 0;
        if (i == 0 || english)
            match.Family = reinterpret_cast<const char*>(s);
        if (english)
            break;
    }
    int index = 0;
    if (FcPatternGetInteger(m, FC_INDEX, 0, &index) == FcResultMatch)
        match.Index = index;
    match.CoversJapanese = PatternCoversJapanese(m);
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(m, FC_SLANT, 0, &slant);
    // The usual configuration marks a regular face matched for bold as "embolden" and reports it
    // bold, and gives a roman face matched for italic a shear matrix and reports it oblique.
    FcBool embolden = FcFalse;
    FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden);
    FcMatrix* shear = nullptr;
    bool sheared = FcPatternGetMatrix(m, FC_MATRIX, 0, &shear) == FcResultMatch && shear && shear->xy != 0;
    match.SyntheticBold = spec.Style.Contains(fsBold) && (weight < FC_WEIGHT_DEMIBOLD || embolden);
    match.SyntheticItalic = spec.Style.Contains(fsItalic) && (slant == FC_SLANT_ROMAN || sheared);
    return match;
}

TFontEngine::TMatch FindMatch(const TFontSpec& spec)
{
    std::string name = ActiveToUtf8(spec.Name);
    const char* alias = AliasFor(name);
    bool japaneseName = alias != nullptr
        || std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });

    TFontEngine::TMatch match;
    if (TPatternPtr m = MatchPattern(alias ? alias : name.c_str(), nullptr, spec))
        match = MatchFromPattern(m.get(), spec);
    if (!match.CoversJapanese && (japaneseName || spec.Charset == SHIFTJIS_CHARSET)) {
        if (TPatternPtr m = MatchPattern("sans-serif", "ja", spec)) {
            TFontEngine::TMatch retry = MatchFromPattern(m.get(), spec);
            if (!retry.File.empty() && (retry.CoversJapanese || match.File.empty()))
                match = std::move(retry);
        }
    }
    return match;
}

// Coverage rows of a rendered bitmap, top row first, in 0..255.
void CopyCoverage(const FT_Bitmap& bitmap, TFontEngine::TGlyph& glyph)
{
    int width = static_cast<int>(bitmap.width);
    int rows = static_cast<int>(bitmap.rows);
    bool known = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO
        || bitmap.pixel_mode == FT_PIXEL_MODE_BGRA;
    if (!known || width <= 0 || rows <= 0 || !bitmap.buffer)
        return;
    int pitch = bitmap.pitch;
    size_t absPitch = static_cast<size_t>(std::abs(pitch));
    glyph.Width = width;
    glyph.Rows = rows;
    glyph.Coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(rows), 0);
    int grays = bitmap.num_grays > 1 ? bitmap.num_grays : 256;
    for (int y = 0; y < rows; ++y) {
        // An upward-flowing bitmap starts with its bottom row.
        size_t sourceRow = pitch >= 0 ? static_cast<size_t>(y) : static_cast<size_t>(rows - 1 - y);
        const unsigned char* src = bitmap.buffer + sourceRow * absPitch;
        std::uint8_t* dst = glyph.Coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            switch (bitmap.pixel_mode) {
            case FT_PIXEL_MODE_MONO:
                dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
                break;
            case FT_PIXEL_MODE_BGRA:
                dst[x] = src[x * 4 + 3];
                break;
            default:
                dst[x] = grays == 256 ? src[x] : static_cast<std::uint8_t>(src[x] * 255 / (grays - 1));
                break;
            }
        }
    }
}

} // namespace

TFontEngine& TFontEngine::Instance()
{
    static TFontEngine engine;
    return engine;
}

TFontEngine::TFontEngine()
{
    if (FT_Init_FreeType(&FLibrary) != 0)
        FLibrary = nullptr;
    FcInit();
}

TFontEngine::~TFontEngine()
{
    FFaces.clear();
    for (auto& [key, face] : FOpenFaces)
        if (face)
            FT_Done_Face(face);
    if (FLibrary)
        FT_Done_FreeType(FLibrary);
    // Nothing else in the program talks to fontconfig, so its configuration goes with the engine
    // (and leak checkers see a clean exit).
    FcFini();
}

const TFontEngine::TMatch& TFontEngine::Match(const TFontSpec& spec)
{
    std::string key = SpecKey(spec);
    auto it = FMatches.find(key);
    if (it == FMatches.end())
        it = FMatches.emplace(key, std::make_unique<TMatch>(FindMatch(spec))).first;
    return *it->second;
}

FT_FaceRec_* TFontEngine::OpenFace(const TMatch& match)
{
    if (!FLibrary || match.File.empty())
        return nullptr;
    auto key = std::make_pair(match.File, match.Index);
    auto it = FOpenFaces.find(key);
    if (it != FOpenFaces.end())
        return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(FLibrary, match.File.c_str(), match.Index, &face) != 0)
        face = nullptr;
    else if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]);
    FOpenFaces.emplace(key, face);
    return face;
}

TFontEngine::TFace& TFontEngine::Face(const TFontSpec& spec)
{
    std::string key = SpecKey(spec);
    auto it = FFaces.find(key);
    if (it != FFaces.end())
        return *it->second;
    if (FFaces.size() >= MaxCachedFaces)
        FFaces.clear();
    const TMatch& match = Match(spec);
    auto face = std::make_unique<TFace>(OpenFace(match), match, spec.Height);
    return *FFaces.emplace(key, std::move(face)).first->second;
}

TFontEngine::TFace::TFace(FT_FaceRec_* face, TMatch match, int height)
    : FFace(face)
    , FMatch(std::move(match))
{
    if (FFace && FT_New_Size(FFace, &FSize) != 0)
        FSize = nullptr;
    if (!FSize)
        FFace = nullptr;

    int em = RequestedEm(height);
    if (FFace && height > 0 && FT_IS_SCALABLE(FFace)) {
        // A cell height: start from the face's proportions, then take the em whose rounded
        // ascent plus descent comes closest (the smaller em on a tie).
        int cell = em;
        long span = static_cast<long>(FFace->ascender) - FFace->descender;
        int guess = span > 0 ? static_cast<int>((static_cast<long>(cell) * FFace->units_per_EM + span / 2) / span) : cell;
        guess = std::clamp(guess, 1, MaxEm);
        int bestDistance = INT_MAX;
        for (int e = std::max(1, guess - 3); e <= std::min(MaxEm, guess + 3); ++e) {
            if (!SetEm(e))
                continue;
            ComputeMetrics();
            int distance = std::abs(FMetrics.Height - cell);
            if (distance < bestDistance) {
                bestDistance = distance;
                em = e;
            }
        }
    }
    if (FFace && !SetEm(em))
        FFace = nullptr;
    if (!FFace)
        FEm = em;
    if (FMatch.SyntheticBold)
        FBoldStrength = std::max(64, (FEm * 64 / 24) & ~63);
    ComputeMetrics();
}

TFontEngine::TFace::~TFace()
{
    if (FSize)
        FT_Done_Size(FSize);
}

bool TFontEngine::TFace::SetEm(int em)
{
    if (FT_Activate_Size(FSize) != 0)
        return false;
    if (FT_IS_SCALABLE(FFace)) {
        if (FT_Set_Pixel_Sizes(FFace, 0, static_cast<FT_UInt>(em)) != 0)
            return false;
        FEm = em;
        return true;
    }
    // A bitmap-only face: the strike nearest in size.
    if (FFace->num_fixed_sizes <= 0)
        return false;
    int best = 0;
    for (int i = 1; i < FFace->num_fixed_sizes; ++i)
        if (std::abs(Round26(FFace->available_sizes[i].y_ppem) - em) < std::abs(Round26(FFace->available_sizes[best].y_ppem) - em))
            best = i;
    if (FT_Select_Size(FFace, best) != 0)
        return false;
    FEm = std::max(1, Round26(FFace->available_sizes[best].y_ppem));
    return true;
}

void TFontEngine::TFace::ComputeMetrics()
{
    TTextMetrics& m = FMetrics;
    int boldExtra = FBoldStrength >> 6;
    if (!FFace) {
        // No face at all: a plausible cell so that layout still works; nothing is drawn.
        m.Ascent = (FEm * 4 + 2) / 5;
        m.Descent = FEm - m.Ascent;
        m.Height = FEm;
        m.InternalLeading = 0;
        m.ExternalLeading = 0;
        m.AveCharWidth = std::max(1, FEm / 2);
        m.MaxCharWidth = FEm;
        FUnderline = { std::max(0, m.Descent / 2 - 1), 1 };
        FStrikeOut = { -(FEm / 3), 1 };
        return;
    }
    const FT_Size_Metrics& s = FFace->size->metrics;
    m.Ascent = Round26(s.ascender);
    m.Descent = Round26(-s.descender);
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = m.Height - FEm;
    m.ExternalLeading = std::max(0, Round26(s.height) - m.Height);
    m.MaxCharWidth = Round26(s.max_advance) + boldExtra;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(FFace, FT_SFNT_OS2));
    int average = 0;
    if (os2 && os2->xAvgCharWidth > 0 && FT_IS_SCALABLE(FFace))
        average = Round26(FT_MulFix(os2->xAvgCharWidth, s.x_scale));
    m.AveCharWidth = average > 0 ? average + boldExtra : std::max(1, FEm / 2);

    int thickness = 1;
    int offset = std::max(0, m.Descent / 2 - 1);
    if (FT_IS_SCALABLE(FFace) && FFace->underline_thickness > 0) {
        FT_Pos thick = FT_MulFix(FFace->underline_thickness, s.y_scale);
        FT_Pos centre = -FT_MulFix(FFace->underline_position, s.y_scale);
        thickness = std::max(1, Round26(thick));
        offset = Round26(centre - thickness * 32);
    }
    // The underline stays below the baseline and, where the descent has room, inside the cell.
    offset = std::max(0, std::min(offset, m.Descent - thickness));
    FUnderline = { offset, thickness };

    if (os2 && os2->yStrikeoutSize > 0 && FT_IS_SCALABLE(FFace)) {
        int strikeThickness = std::max(1, Round26(FT_MulFix(os2->yStrikeoutSize, s.y_scale)));
        FStrikeOut = { -Round26(FT_MulFix(os2->yStrikeoutPosition, s.y_scale)), strikeThickness };
    } else {
        FStrikeOut = { -((FEm * 3 + 5) / 10) - thickness / 2, thickness };
    }
}

const TFontEngine::TGlyph& TFontEngine::TFace::Glyph(char32_t c)
{
    auto it = FGlyphs.find(c);
    if (it != FGlyphs.end())
        return it->second;
    TGlyph& glyph = FGlyphs[c];
    Rasterise(c, glyph);
    return glyph;
}

void TFontEngine::TFace::Rasterise(char32_t c, TGlyph& glyph)
{
    if (!FFace) {
        glyph.Advance = FMetrics.AveCharWidth;
        return;
    }
    if (FT_Activate_Size(FSize) != 0)
        return;
    bool scalable = FT_IS_SCALABLE(FFace);
    FT_UInt index = FT_Get_Char_Index(FFace, c);
    FT_Int32 flags = scalable ? (FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) : FT_LOAD_DEFAULT;
    if (FT_Load_Glyph(FFace, index, flags) != 0)
        return;
    FT_GlyphSlot slot = FFace->glyph;
    glyph.Advance = std::max(0, Round26(slot->advance.x + FBoldStrength));
    if (c < 0x20)
        return;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (FBoldStrength > 0)
            FT_Outline_EmboldenXY(&slot->outline, FBoldStrength, 0);
        if (FMatch.SyntheticItalic) {
            // Sheared about the baseline, so the glyph's foot stays where the pen put it.
            FT_Matrix shear { 0x10000, ObliqueShear, 0, 0x10000 };
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return;
    glyph.Left = slot->bitmap_left;
    glyph.Top = slot->bitmap_top;
    CopyCoverage(slot->bitmap, glyph);
}
