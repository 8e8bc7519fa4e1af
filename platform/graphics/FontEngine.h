#pragma once
// TFontEngine: the text renderer's link to fontconfig and FreeType (internal to the graphics
// layer; only TextDraw.cpp and the tests use it).
//
// The engine owns the process's one FT_Library, every FT_Face it opened (one per font file and
// face index, kept for the life of the process) and a cache of sized faces, one per font
// request (name, height, bold, italic, charset, pitch; underline and strike-out do not
// change the face). A sized face owns its FT_Size and its glyph cache. Face() hands out a
// reference that stays valid until the next call of Face(), which may drop the cache when it has
// grown large: callers take one face, draw with it and let it go. The engine is not
// thread-safe; text is drawn from the thread that runs the message loop.
//
// Matching: the Japanese system faces ("ＭＳ Ｐゴシック", "MS Gothic", ...) are first renamed
// to the IPA faces through a small alias table, then fontconfig matches family, weight, slant
// and pixel size. A match that cannot show Japanese, asked for by a Japanese name or under
// SHIFTJIS_CHARSET, is retried as a Japanese sans-serif. When the face found is not bold (or
// italic) but the font asks for it, the glyphs are emboldened (or sheared) instead.

#include "platform/graphics/Font.h"
#include "platform/graphics/TextDraw.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;
struct FT_SizeRec_;

class TFontEngine {
public:
    // What fontconfig chose for a font request.
    struct TMatch {
        std::string File; // empty when no face could be found at all
        int Index = 0;
        std::string Family; // UTF-8, the matched face's first family name
        bool CoversJapanese = false;
        bool SyntheticBold = false;
        bool SyntheticItalic = false;
    };

    // A rasterised glyph: coverage rows (0 = untouched, 255 = fully covered) placed relative to
    // the pen on the baseline, Left to the right and Top upwards, as FreeType gives them.
    struct TGlyph {
        int Advance = 0;
        int Left = 0;
        int Top = 0;
        int Width = 0;
        int Rows = 0;
        std::vector<std::uint8_t> Coverage; // Width * Rows bytes, top row first
    };

    // A decoration line below the baseline: Offset pixels down from the baseline to its top row
    // (negative above), Thickness rows high (at least 1).
    struct TLine {
        int Offset = 0;
        int Thickness = 1;
    };

    // One face at one size.
    class TFace {
    public:
        TFace(FT_FaceRec_* face, TMatch match, int height);
        ~TFace();
        TFace(const TFace&) = delete;
        TFace& operator=(const TFace&) = delete;

        const TMatch& Match() const { return FMatch; }
        const TTextMetrics& Metrics() const { return FMetrics; }
        int EmHeight() const { return FEm; }
        TLine Underline() const { return FUnderline; }
        TLine StrikeOut() const { return FStrikeOut; }

        // The glyph of a character (the face's missing-glyph for characters it lacks). Control
        // characters below U+0020 keep their advance but carry no coverage. The reference lives
        // as long as the face.
        const TGlyph& Glyph(char32_t c);
        int Advance(char32_t c) { return Glyph(c).Advance; }

    private:
        bool SetEm(int em);
        void ComputeMetrics();
        void Rasterise(char32_t c, TGlyph& glyph);

        FT_FaceRec_* FFace = nullptr; // owned by the engine
        FT_SizeRec_* FSize = nullptr; // owned
        TMatch FMatch;
        int FEm = 0;
        int FBoldStrength = 0; // 26.6 pixels added to each glyph's width by synthetic bold
        TTextMetrics FMetrics;
        TLine FUnderline;
        TLine FStrikeOut;
        std::unordered_map<char32_t, TGlyph> FGlyphs;
    };

    static TFontEngine& Instance();
    ~TFontEngine();
    TFontEngine(const TFontEngine&) = delete;
    TFontEngine& operator=(const TFontEngine&) = delete;

    // The fontconfig match for a font request (cached).
    const TMatch& Match(const TFontSpec& spec);
    // The sized face for a font request; see the class comment for how long it lives.
    TFace& Face(const TFontSpec& spec);

private:
    TFontEngine();
    FT_FaceRec_* OpenFace(const TMatch& match);

    FT_LibraryRec_* FLibrary = nullptr;
    std::map<std::string, std::unique_ptr<TMatch>> FMatches;
    std::map<std::pair<std::string, int>, FT_FaceRec_*> FOpenFaces; // null when the file failed
    std::map<std::string, std::unique_ptr<TFace>> FFaces;
};
