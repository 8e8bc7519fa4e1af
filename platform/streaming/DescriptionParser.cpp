#include "platform/streaming/DescriptionParser.h"

#include "platform/base/CodePage.h"
#include "platform/base/Exception.h"
#include "platform/streaming/Identifiers.h"

#include <cstdio>

std::string TDescriptionProperty::DottedName() const
{
    std::string s;
    for (const std::string& n : Path) {
        if (!s.empty())
            s += '.';
        s += n;
    }
    return s;
}

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A line-oriented recursive descent over the text: one statement per line, except that a byte
// block in braces may run over several lines.
class TParser {
public:
    static constexpr size_t MaxNesting = 200;

    explicit TParser(std::string_view text)
        : FText(text)
    {
        if (FText.starts_with("\xEF\xBB\xBF"))
            FPos = 3;
    }

    std::unique_ptr<TDescriptionObject> Parse()
    {
        std::unique_ptr<TDescriptionObject> root;
        std::vector<TDescriptionObject*> open;
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                break;
            if (Peek() == '\n') {
                ++FPos;
                ++FLine;
                continue;
            }
            if (!IsIdentStart(Peek()))
                Fail("unexpected " + Describe(Peek()));
            if (root && open.empty())
                Fail("text after the end of the root object");
            const int line = FLine;
            std::string word = ReadIdent();
            // A property may be called Object or End: an '=' or '.' after the word says so.
            const bool keyword = !NextIs('=') && !NextIs('.');
            if (keyword && SameIdent(word, "object")) {
                // Reading recurses once a level; no designed form comes near this depth.
                if (open.size() >= MaxNesting)
                    Fail("objects nested more than " + std::to_string(MaxNesting) + " deep");
                auto object = ParseHeader(line);
                TDescriptionObject* raw = object.get();
                if (open.empty())
                    root = std::move(object);
                else
                    open.back()->Children.push_back(std::move(object));
                open.push_back(raw);
            } else if (keyword && SameIdent(word, "end")) {
                ExpectEndOfLine();
                if (open.empty())
                    Fail("'end' without an object");
                open.pop_back();
            } else {
                if (open.empty())
                    Fail("property outside of an object");
                if (!open.back()->Children.empty())
                    Fail("property " + word + " after a nested object; properties come first");
                open.back()->Properties.push_back(ParseProperty(line, std::move(word)));
            }
        }
        if (!open.empty())
            Fail(open.back()->Line, "'end' missing for object " + Title(*open.back()));
        if (!root)
            Fail(1, "'object' expected");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { Fail(FLine, message); }
    [[noreturn]] static void Fail(int line, const std::string& message) { throw EReadError(line, Utf8ToActive(message)); }

    static std::string Title(const TDescriptionObject& o) { return o.Name.empty() ? o.ClassName : o.Name + ": " + o.ClassName; }

    static std::string Describe(char c)
    {
        if (c >= 0x21 && c < 0x7F)
            return std::string("'") + c + "'";
        char buf[16];
        std::snprintf(buf, sizeof buf, "byte $%02X", static_cast<unsigned char>(c));
        return buf;
    }

    bool AtEnd() const { return FPos >= FText.size(); }

    bool NextIs(char c) const
    {
        size_t i = FPos;
        while (i < FText.size() && (FText[i] == ' ' || FText[i] == '\t' || FText[i] == '\r'))
            ++i;
        return i < FText.size() && FText[i] == c;
    }
    char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

    void SkipBlanks()
    {
        while (!AtEnd() && (FText[FPos] == ' ' || FText[FPos] == '\t' || FText[FPos] == '\r'))
            ++FPos;
    }

    void ExpectEndOfLine()
    {
        SkipBlanks();
        if (!AtEnd() && Peek() != '\n')
            Fail("end of line expected before " + Describe(Peek()));
    }

    std::string ReadIdent()
    {
        if (!IsIdentStart(Peek()))
            Fail(AtEnd() || Peek() == '\n' ? std::string("identifier expected at the end of the line") : "identifier expected before " + Describe(Peek()));
        const size_t start = FPos;
        while (!AtEnd() && IsIdentChar(FText[FPos]))
            ++FPos;
        return std::string(FText.substr(start, FPos - start));
    }

    std::unique_ptr<TDescriptionObject> ParseHeader(int line)
    {
        auto object = std::make_unique<TDescriptionObject>();
        object->Line = line;
        SkipBlanks();
        std::string first = ReadIdent();
        SkipBlanks();
        if (Peek() == ':') {
            ++FPos;
            SkipBlanks();
            object->Name = std::move(first);
            object->ClassName = ReadIdent();
        } else {
            object->ClassName = std::move(first);
        }
        ExpectEndOfLine();
        return object;
    }

    TDescriptionProperty ParseProperty(int line, std::string first)
    {
        TDescriptionProperty p;
        p.Line = line;
        p.Path.push_back(std::move(first));
        while (Peek() == '.') {
            ++FPos;
            p.Path.push_back(ReadIdent());
        }
        SkipBlanks();
        if (Peek() != '=')
            Fail("'=' expected after " + p.DottedName());
        ++FPos;
        SkipBlanks();
        p.Value = ParseValue();
        ExpectEndOfLine();
        return p;
    }

    TDescriptionValue ParseValue()
    {
        TDescriptionValue v;
        v.Line = FLine;
        const char c = Peek();
        if (c == '\'' || c == '#') {
            v.Type = TDescriptionValue::dvString;
            v.Text = ParseString();
        } else if (c == '-' || c == '$' || IsDigit(c)) {
            v.Type = TDescriptionValue::dvInteger;
            v.Integer = ParseInteger();
        } else if (c == '[') {
            v.Type = TDescriptionValue::dvSet;
            v.Items = ParseSet();
        } else if (c == '{') {
            v.Type = TDescriptionValue::dvBytes;
            v.Bytes = ParseBytes();
        } else if (IsIdentStart(c)) {
            v.Text = ReadIdent();
            v.Type = TDescriptionValue::dvIdent;
            if (SameIdent(v.Text, "resource")) {
                SkipBlanks();
                if (Peek() != '\'' && Peek() != '#')
                    Fail("resource name in quotes expected");
                v.Type = TDescriptionValue::dvResource;
                v.Text = ParseString();
            }
        } else {
            Fail(AtEnd() || c == '\n' ? std::string("value expected") : "value expected before " + Describe(c));
        }
        return v;
    }

    // Digits (decimal, or hexadecimal after '$') up to limit; returns the magnitude.
    unsigned long long ParseMagnitude(unsigned long long limit)
    {
        const bool hex = Peek() == '$';
        if (hex)
            ++FPos;
        const unsigned base = hex ? 16 : 10;
        unsigned long long value = 0;
        size_t digits = 0;
        for (; !AtEnd(); ++FPos, ++digits) {
            const int d = hex ? HexValue(Peek()) : (IsDigit(Peek()) ? Peek() - '0' : -1);
            if (d < 0)
                break;
            if (value > (limit - static_cast<unsigned>(d)) / base)
                Fail("number out of range");
            value = value * base + static_cast<unsigned>(d);
        }
        if (digits == 0 || IsIdentChar(Peek()))
            Fail("malformed number");
        return value;
    }

    long long ParseInteger()
    {
        const bool negative = Peek() == '-';
        if (negative)
            ++FPos;
        constexpr unsigned long long maxPositive = 0x7FFFFFFFFFFFFFFFull;
        const unsigned long long magnitude = ParseMagnitude(negative ? maxPositive + 1 : maxPositive);
        if (negative)
            return magnitude == maxPositive + 1 ? static_cast<long long>(-static_cast<long long>(maxPositive) - 1)
                                                : -static_cast<long long>(magnitude);
        return static_cast<long long>(magnitude);
    }

    // Quoted runs ('' stands for a quote) and #N character codes, written next to each other.
    std::string ParseString()
    {
        std::string out;
        for (;;) {
            if (Peek() == '\'') {
                ++FPos;
                for (;;) {
                    if (AtEnd() || Peek() == '\n')
                        Fail("unterminated string");
                    if (Peek() == '\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
                            out += '\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    out += FText[FPos++];
                }
            } else if (Peek() == '#') {
                ++FPos;
                if (Peek() != '$' && !IsDigit(Peek()))
                    Fail("character code expected after '#'");
                const unsigned long long cp = ParseMagnitude(0x10FFFF);
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    Fail("character code out of range");
                AppendUtf8(out, static_cast<std::uint32_t>(cp));
            } else {
                return out;
            }
        }
    }

    std::vector<std::string> ParseSet()
    {
        std::vector<std::string> items;
        ++FPos; // '['
        SkipBlanks();
        if (Peek() == ']') {
            ++FPos;
            return items;
        }
        for (;;) {
            items.push_back(ReadIdent());
            SkipBlanks();
            if (Peek() == ']') {
                ++FPos;
                return items;
            }
            if (Peek() != ',')
                Fail("',' or ']' expected in set");
            ++FPos;
            SkipBlanks();
        }
    }

    std::vector<std::uint8_t> ParseBytes()
    {
        const int openLine = FLine;
        ++FPos; // '{'
        std::vector<std::uint8_t> bytes;
        int high = -1;
        for (;;) {
            if (AtEnd())
                Fail(openLine, "'}' missing for byte block");
            const char c = FText[FPos++];
            if (c == '}')
                break;
            if (c == '\n') {
                ++FLine;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r')
                continue;
            const int d = HexValue(c);
            if (d < 0)
                Fail("hex digit expected in byte block, not " + Describe(c));
            if (high < 0) {
                high = d;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
                high = -1;
            }
        }
        if (high >= 0)
            Fail("odd number of hex digits in byte block");
        return bytes;
    }

    std::string_view FText;
    size_t FPos = 0;
    int FLine = 1;
};

} // namespace

std::unique_ptr<TDescriptionObject> ParseDescription(std::string_view utf8)
{
    return TParser(utf8).Parse();
}
