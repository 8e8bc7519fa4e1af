#pragma once
// TFont: the font of a canvas or a control (face name, height, colour, style, character set).
//
// Height follows the system's convention: a negative height is the character height in pixels
// (the em size), a positive height the cell height (ascent plus descent); Size is in points at
// 96 pixels per inch (Size 9 is Height -12). Every change fires OnChange once; Assign copies
// every attribute of another font and fires OnChange once.

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/base/Set.h"
#include "platform/graphics/Colors.h"

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };

using TFontCharset = unsigned char;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;

// What the text renderer needs to find and size a face.
struct TFontSpec {
    AnsiString Name; // active code page
    int Height = -12;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    bool operator==(const TFontSpec&) const = default;
};

constexpr int ScreenPixelsPerInch = 96;

class TFont : public TPersistent {
    PK_CLASS(TFont)
public:
    TFont();

    void Assign(const TPersistent* Source) override;

    const AnsiString& Name() const { return FSpec.Name; }
    void SetName(const AnsiString& name);
    int Height() const { return FSpec.Height; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontStyles Style() const { return FSpec.Style; }
    void SetStyle(TFontStyles style);
    TFontCharset Charset() const { return FSpec.Charset; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return FSpec.Pitch; }
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return ScreenPixelsPerInch; }

    const TFontSpec& Spec() const { return FSpec; }

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    TFontSpec FSpec;
    TColor FColor = clWindowText;
};
