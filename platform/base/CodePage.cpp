#include "platform/base/CodePage.h"

#include <bit>
#include <cassert>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cwctype>
#include <iconv.h>
#include <langinfo.h>

// Every conversion goes through UTF-32: decode the source into code points, encode them into
// the target. A bad sequence is replaced by one '?' at either step and the conversion goes on,
// so a broken file name still shows everything around the broken part.

namespace {

constexpr const char* Utf32Name = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

struct CodeSetInfo {
    int CodePage;
    std::string IconvName;

    bool SameAs(const CodeSetInfo& other) const
    {
        return CodePage == other.CodePage && (CodePage != CodePage::Other || IconvName == other.IconvName);
    }
};

// The name under which this iconv build carries the code page 932 table; the Shift_JIS name
// is only the last resort (the special characters below are mapped by us in any case).
const std::string& Cp932IconvName()
{
    static const std::string name = [] {
        for (const char* candidate : { "CP932", "WINDOWS-31J", "SHIFT_JIS" }) {
            iconv_t cd = iconv_open(Utf32Name, candidate);
            if (cd != reinterpret_cast<iconv_t>(-1)) {
                iconv_close(cd);
                return std::string(candidate);
            }
        }
        return std::string("CP932");
    }();
    return name;
}

CodeSetInfo InfoForCodeSet(std::string_view codeSet)
{
    int cp = CodePageFromCodeSet(codeSet);
    if (cp == CodePage::Utf8)
        return { cp, "UTF-8" };
    if (cp == CodePage::ShiftJis)
        return { cp, Cp932IconvName() };
    return { cp, std::string(codeSet) };
}

CodeSetInfo& ActiveInfo()
{
    static CodeSetInfo info = [] {
        std::setlocale(LC_CTYPE, "");
        const char* codeSet = nl_langinfo(CODESET);
        return InfoForCodeSet(codeSet ? codeSet : "");
    }();
    return info;
}

const CodeSetInfo& Utf8Info()
{
    static const CodeSetInfo info { CodePage::Utf8, "UTF-8" };
    return info;
}

const CodeSetInfo& Cp932Info()
{
    static const CodeSetInfo info { CodePage::ShiftJis, Cp932IconvName() };
    return info;
}

class IconvConverter {
public:
    IconvConverter(const char* to, const char* from)
        : FHandle(iconv_open(to, from))
    {
    }
    ~IconvConverter()
    {
        if (Valid())
            iconv_close(FHandle);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return FHandle; }

private:
    iconv_t FHandle;
};

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Length of the well-formed prefix of the UTF-8 sequence at p (at least 1): a whole character,
// or the part of a broken one that a decoder replaces by a single '?'.
size_t Utf8PrefixLength(const unsigned char* p, size_t n)
{
    unsigned char c = p[0];
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0)
            lo = 0xA0;
        if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 1;
    }
    size_t len = 1;
    while (len < need && len < n && p[len] >= lo && p[len] <= hi) {
        lo = 0x80;
        hi = 0xBF;
        ++len;
    }
    return len;
}

// How many bytes one '?' replaces when the decoder stops at p.
size_t BadSequenceLength(int codePage, const unsigned char* p, size_t n)
{
    if (codePage == CodePage::ShiftJis)
        return IsCp932Lead(p[0]) && n >= 2 && IsCp932Trail(p[1]) ? 2 : 1;
    if (codePage == CodePage::Utf8)
        return Utf8PrefixLength(p, n);
    return 1;
}

// The characters where Shift_JIS tables disagree with code page 932 (ASCII 0x5C and 0x7E
// are handled with the rest of ASCII).
struct Cp932Special {
    unsigned char Lead;
    unsigned char Trail;
    char32_t Code;
};
constexpr Cp932Special Cp932Specials[] = {
    { 0x81, 0x5F, U'\uFF3C' }, // FULLWIDTH REVERSE SOLIDUS
    { 0x81, 0x60, U'\uFF5E' }, // FULLWIDTH TILDE, the tilde of the save name
    { 0x81, 0x61, U'\u2225' }, // PARALLEL TO
    { 0x81, 0x7C, U'\uFF0D' }, // FULLWIDTH HYPHEN-MINUS
    { 0x81, 0x91, U'\uFFE0' }, // FULLWIDTH CENT SIGN
    { 0x81, 0x92, U'\uFFE1' }, // FULLWIDTH POUND SIGN
    { 0x81, 0xCA, U'\uFFE2' }, // FULLWIDTH NOT SIGN
};

const Cp932Special* FindSpecialByBytes(unsigned char lead, unsigned char trail)
{
    for (const Cp932Special& s : Cp932Specials)
        if (s.Lead == lead && s.Trail == trail)
            return &s;
    return nullptr;
}

const Cp932Special* FindSpecialByCode(char32_t code)
{
    for (const Cp932Special& s : Cp932Specials)
        if (s.Code == code)
            return &s;
    return nullptr;
}

void DecodeRun(const IconvConverter& cd, int codePage, std::string_view in, std::u32string& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    if (!cd.Valid()) {
        for (size_t i = 0; i < in.size(); i += BadSequenceLength(codePage, bytes + i, in.size() - i))
            out.push_back(U'?');
        return;
    }
    // iconv's interface takes a non-const input pointer but never writes through it.
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char32_t buffer[256];
    while (srcLeft > 0) {
        char* dst = reinterpret_cast<char*>(buffer);
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd.Handle(), &src, &srcLeft, &dst, &dstLeft);
        int error = errno;
        out.append(buffer, (sizeof buffer - dstLeft) / sizeof(char32_t));
        if (r != static_cast<size_t>(-1) || error == E2BIG)
            continue;
        // EILSEQ, or EINVAL for a character cut off by the end of the text.
        size_t bad = error == EINVAL ? srcLeft
                                     : BadSequenceLength(codePage, reinterpret_cast<const unsigned char*>(src), srcLeft);
        out.push_back(U'?');
        src += bad;
        srcLeft -= bad;
        iconv(cd.Handle(), nullptr, nullptr, nullptr, nullptr);
    }
}

void EncodeRun(const IconvConverter& cd, std::u32string_view in, std::string& out)
{
    if (!cd.Valid()) {
        out.append(in.size(), '?');
        return;
    }
    static const char32_t question = U'?';
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    size_t srcLeft = in.size() * sizeof(char32_t);
    char buffer[1024];
    bool flushed = false;
    while (!flushed) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        // With no input left, one more call writes whatever ends a shifted state.
        size_t r = srcLeft > 0 ? iconv(cd.Handle(), &src, &srcLeft, &dst, &dstLeft)
                               : iconv(cd.Handle(), nullptr, nullptr, &dst, &dstLeft);
        int error = errno;
        out.append(buffer, sizeof buffer - dstLeft);
        if (r != static_cast<size_t>(-1)) {
            flushed = srcLeft == 0 && dst == buffer;
            continue;
        }
        if (error == E2BIG)
            continue;
        // A character the target cannot hold: the target's own '?' stands for it.
        size_t bad = srcLeft < sizeof(char32_t) ? srcLeft : sizeof(char32_t);
        src += bad;
        srcLeft -= bad;
        char* q = const_cast<char*>(reinterpret_cast<const char*>(&question));
        size_t qLeft = sizeof question;
        dst = buffer;
        dstLeft = sizeof buffer;
        if (iconv(cd.Handle(), &q, &qLeft, &dst, &dstLeft) == static_cast<size_t>(-1))
            out.push_back('?');
        else
            out.append(buffer, sizeof buffer - dstLeft);
    }
}

std::u32string Decode(const CodeSetInfo& from, std::string_view in)
{
    std::u32string out;
    out.reserve(in.size());
    IconvConverter cd(Utf32Name, from.IconvName.c_str());
    if (from.CodePage != CodePage::ShiftJis) {
        DecodeRun(cd, from.CodePage, in, out);
        return out;
    }
    // ASCII and the special characters are taken here; the runs between them go to iconv.
    size_t runStart = 0;
    size_t i = 0;
    while (i < in.size()) {
        auto c = static_cast<unsigned char>(in[i]);
        size_t len = IsCp932Lead(c) && i + 1 < in.size() ? 2 : 1;
        const Cp932Special* special = len == 2 ? FindSpecialByBytes(c, static_cast<unsigned char>(in[i + 1])) : nullptr;
        if (c < 0x80 || special) {
            DecodeRun(cd, from.CodePage, in.substr(runStart, i - runStart), out);
            out.push_back(special ? special->Code : c);
            runStart = i + len;
        }
        i += len;
    }
    DecodeRun(cd, from.CodePage, in.substr(runStart), out);
    return out;
}

std::string Encode(const CodeSetInfo& to, std::u32string_view in)
{
    std::string out;
    out.reserve(in.size());
    IconvConverter cd(to.IconvName.c_str(), Utf32Name);
    if (to.CodePage != CodePage::ShiftJis) {
        EncodeRun(cd, in, out);
        return out;
    }
    size_t runStart = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        const Cp932Special* special = c >= 0x80 ? FindSpecialByCode(c) : nullptr;
        if (c < 0x80 || special) {
            EncodeRun(cd, in.substr(runStart, i - runStart), out);
            if (special) {
                out.push_back(static_cast<char>(special->Lead));
                out.push_back(static_cast<char>(special->Trail));
            } else {
                out.push_back(static_cast<char>(c));
            }
            runStart = i + 1;
        }
    }
    EncodeRun(cd, in.substr(runStart), out);
    return out;
}

std::string Convert(const CodeSetInfo& from, const CodeSetInfo& to, std::string_view in)
{
    if (from.SameAs(to))
        return std::string(in);
    return Encode(to, Decode(from, in));
}

char32_t Fold(char32_t c)
{
    return static_cast<char32_t>(std::towlower(std::towupper(static_cast<std::wint_t>(c))));
}

} // namespace

int CodePageFromCodeSet(std::string_view codeSet)
{
    // Locale codesets come spelt many ways ("UTF-8", "utf8", "Shift_JIS", "SJIS").
    std::string key;
    for (char c : codeSet) {
        if (c == '-' || c == '_')
            continue;
        key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    // The C locale's ASCII counts as UTF-8: file names on a modern Linux are UTF-8.
    if (key == "UTF8" || key == "ANSIX3.41968" || key == "ASCII" || key == "USASCII" || key.empty())
        return CodePage::Utf8;
    if (key == "SHIFTJIS" || key == "SJIS" || key == "CP932" || key == "WINDOWS31J" || key == "MSKANJI")
        return CodePage::ShiftJis;
    return CodePage::Other;
}

int ActiveCodePage()
{
    return ActiveInfo().CodePage;
}

void SetActiveCodePage(int codePage)
{
    assert(codePage == CodePage::Utf8 || codePage == CodePage::ShiftJis);
    ActiveInfo() = codePage == CodePage::ShiftJis ? Cp932Info() : Utf8Info();
}

AnsiString ActiveCodeSet()
{
    return ActiveInfo().IconvName;
}

void SetActiveCodeSet(std::string_view codeSet)
{
    ActiveInfo() = InfoForCodeSet(codeSet);
}

AnsiString Cp932ToActive(std::string_view cp932)
{
    return Convert(Cp932Info(), ActiveInfo(), cp932);
}

std::string ActiveToCp932(std::string_view active)
{
    return Convert(ActiveInfo(), Cp932Info(), active);
}

AnsiString Utf8ToActive(std::string_view utf8)
{
    return Convert(Utf8Info(), ActiveInfo(), utf8);
}

std::string ActiveToUtf8(std::string_view active)
{
    return Convert(ActiveInfo(), Utf8Info(), active);
}

std::u32string ActiveToUtf32(std::string_view active)
{
    return Decode(ActiveInfo(), active);
}

bool IsLeadByte(unsigned char c)
{
    switch (ActiveCodePage()) {
    case CodePage::ShiftJis:
        return IsCp932Lead(c);
    case CodePage::Utf8:
        return c >= 0xC2 && c <= 0xF4;
    default:
        return false;
    }
}

size_t CharLength(std::string_view s, size_t i)
{
    assert(i < s.size());
    switch (ActiveCodePage()) {
    case CodePage::ShiftJis:
        return IsCp932Lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    case CodePage::Utf8:
        return Utf8PrefixLength(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i);
    default:
        return 1;
    }
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    // Decoding sets the locale first, so the folding below follows the user's LC_CTYPE.
    std::u32string x = ActiveToUtf32(a);
    std::u32string y = ActiveToUtf32(b);
    size_t n = x.size() < y.size() ? x.size() : y.size();
    for (size_t k = 0; k < n; ++k) {
        char32_t fx = Fold(x[k]);
        char32_t fy = Fold(y[k]);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    if (x.size() == y.size())
        return 0;
    return x.size() < y.size() ? -1 : 1;
}
