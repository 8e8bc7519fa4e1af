#include "platform/graphics/Font.h"

#include "platform/base/CodePage.h"

#include <cmath>

PK_CLASS_IMPL(TFont, TPersistent, nullptr)

TFont::TFont()
{
    // The platform's default face is the Japanese proportional Gothic at 9 points.
    FSpec.Name = Utf8ToActive("ＭＳ Ｐゴシック");
    FSpec.Height = -12;
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto* f = dynamic_cast<const TFont*>(Source)) {
        if (f == this)
            return;
        FSpec = f->FSpec;
        FColor = f->FColor;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::Changed()
{
    OnChange(this);
}

void TFont::SetName(const AnsiString& name)
{
    if (name.empty() || name == FSpec.Name)
        return;
    FSpec.Name = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == FSpec.Height)
        return;
    FSpec.Height = height;
    Changed();
}

int TFont::Size() const
{
    // Points from pixels, rounded as the system's MulDiv rounds (half away from zero).
    long n = -static_cast<long>(FSpec.Height) * 72;
    long q = (std::labs(n) * 2 + ScreenPixelsPerInch) / (2 * ScreenPixelsPerInch);
    return static_cast<int>(n < 0 ? -q : q);
}

void TFont::SetSize(int points)
{
    long n = static_cast<long>(points) * ScreenPixelsPerInch;
    long q = (std::labs(n) * 2 + 72) / (2 * 72);
    SetHeight(static_cast<int>(n < 0 ? q : -q));
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FSpec.Style)
        return;
    FSpec.Style = style;
    Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
    if (charset == FSpec.Charset)
        return;
    FSpec.Charset = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == FSpec.Pitch)
        return;
    FSpec.Pitch = pitch;
    Changed();
}
