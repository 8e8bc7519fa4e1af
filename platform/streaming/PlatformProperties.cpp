#include "platform/streaming/PlatformProperties.h"

#include "platform/graphics/Font.h"
#include "platform/streaming/Properties.h"

namespace {

constexpr TIdentValue CharsetIdents[] = {
    { "ANSI_CHARSET", 0 }, { "DEFAULT_CHARSET", 1 }, { "SYMBOL_CHARSET", 2 }, { "MAC_CHARSET", 77 },
    { "SHIFTJIS_CHARSET", 128 }, { "HANGEUL_CHARSET", 129 }, { "JOHAB_CHARSET", 130 }, { "GB2312_CHARSET", 134 },
    { "CHINESEBIG5_CHARSET", 136 }, { "GREEK_CHARSET", 161 }, { "TURKISH_CHARSET", 162 },
    { "VIETNAMESE_CHARSET", 163 }, { "HEBREW_CHARSET", 177 }, { "ARABIC_CHARSET", 178 },
    { "BALTIC_CHARSET", 186 }, { "RUSSIAN_CHARSET", 204 }, { "THAI_CHARSET", 222 },
    { "EASTEUROPE_CHARSET", 238 }, { "OEM_CHARSET", 255 },
};

constexpr auto FontPitchNames = EnumNames<TFontPitch>("fpDefault", "fpVariable", "fpFixed");
constexpr auto FontStyleNames = EnumNames<TFontStyle>("fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");

const TPropertyTable& ComponentProperties()
{
    // The name is the object's header line, not a property line.
    static const TPropertyTable table = Properties<TComponent>()
        .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
    return table;
}

const TPropertyTable& FontProperties()
{
    // Height and Name carry no default, so a stored font always says which face and size it is.
    static const TPropertyTable table = Properties<TFont>()
        .Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET, CharsetIdents)
        .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
        .Int("Height", &TFont::Height, &TFont::SetHeight)
        .String("Name", &TFont::Name, &TFont::SetName)
        .Enum("Pitch", FontPitchNames, &TFont::Pitch, &TFont::SetPitch, fpDefault)
        .Set("Style", FontStyleNames, &TFont::Style, &TFont::SetStyle, TFontStyles {});
    return table;
}

} // namespace

void RegisterPlatformPropertyTables()
{
    RegisterPropertyTable(TComponent::StaticClassInfo(), ComponentProperties);
    RegisterPropertyTable(TFont::StaticClassInfo(), FontProperties);
}
