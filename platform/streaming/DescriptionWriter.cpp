#include "platform/streaming/DescriptionWriter.h"

#include "platform/base/CodePage.h"
#include "platform/base/Component.h"
#include "platform/graphics/Colors.h"
#include "platform/streaming/EnumNames.h"
#include "platform/streaming/PropertyTable.h"

#include <cassert>
#include <cstdio>

namespace {

// Quoted runs for printable text, #N for control characters, so that every string stays on
// its line and reads back unchanged.
std::string QuoteString(std::string_view utf8)
{
    if (utf8.empty())
        return "''";
    std::string out;
    bool quoted = false;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            if (quoted)
                out += '\'';
            quoted = false;
            out += '#' + std::to_string(c);
            continue;
        }
        if (!quoted)
            out += '\'';
        quoted = true;
        if (ch == '\'')
            out += '\'';
        out += ch;
    }
    if (quoted)
        out += '\'';
    return out;
}

std::string Hex(std::uint32_t value, int digits)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "$%0*X", digits, value);
    return buf;
}

std::string OrdinalText(const TPropertyInfo& info, long long v)
{
    switch (info.Kind) {
    case pkInteger:
        for (const TIdentValue& id : info.Idents)
            if (id.Value == v)
                return id.Name;
        return std::to_string(v);
    case pkBoolean:
        return v ? "True" : "False";
    case pkEnumeration:
        assert(v >= 0 && static_cast<size_t>(v) < info.EnumNames.size() && "enumeration value without a name");
        if (v >= 0 && static_cast<size_t>(v) < info.EnumNames.size())
            return info.EnumNames[static_cast<size_t>(v)];
        return std::to_string(v);
    case pkSet: {
        std::string s = "[";
        for (size_t i = 0; i < info.EnumNames.size(); ++i)
            if (v & (1ll << i)) {
                if (s.size() > 1)
                    s += ", ";
                s += info.EnumNames[i];
            }
        return s + "]";
    }
    case pkColor: {
        const auto color = static_cast<TColor>(v);
        if (auto ident = ColorToIdent(color))
            return *ident;
        return Hex(color, 8);
    }
    default:
        assert(false && "not an ordinal property");
        return {};
    }
}

} // namespace

std::string TDescriptionWriter::Write(TComponent* Root)
{
    assert(Root);
    FOut.clear();
    FRoot = Root;
    WriteComponent(Root, 0);
    FRoot = nullptr;
    return std::move(FOut);
}

void TDescriptionWriter::WriteLine(int depth, const std::string& text)
{
    FOut.append(static_cast<size_t>(depth) * 2, ' ');
    FOut += text;
    FOut += '\n';
}

void TDescriptionWriter::WriteComponent(TComponent* component, int depth)
{
    const std::string name = component->Name();
    WriteLine(depth, "object " + (name.empty() ? std::string() : name + ": ") + component->ClassName());
    WriteProperties(*component, std::string(), depth + 1);
    component->GetChildren([&](TComponent* child) { WriteComponent(child, depth + 1); }, FRoot);
    WriteLine(depth, "end");
}

void TDescriptionWriter::WriteProperties(TPersistent& object, const std::string& prefix, int depth)
{
    for (const TPropertyInfo& info : PublishedProperties(object.ClassInfo())) {
        if (info.Stored && !info.Stored(object))
            continue;
        const std::string name = prefix + info.Name;
        switch (info.Kind) {
        case pkInteger:
        case pkBoolean:
        case pkEnumeration:
        case pkSet:
        case pkColor: {
            const long long v = info.GetOrdinal(object);
            if (info.OrdinalDefault != v)
                WriteLine(depth, name + " = " + OrdinalText(info, v));
            break;
        }
        case pkString: {
            const AnsiString v = info.GetString(object);
            if (info.StringDefault != v)
                WriteLine(depth, name + " = " + QuoteString(ActiveToUtf8(v)));
            break;
        }
        case pkObject:
            if (TPersistent* nested = info.GetObject(object))
                WriteProperties(*nested, name + ".", depth);
            break;
        case pkEvent:
            if (const char* method = info.GetMethodName(object))
                WriteLine(depth, name + " = " + method);
            break;
        case pkComponent:
            // A reader resolves names within the root only, so a reference elsewhere is left out.
            if (TComponent* c = info.GetComponent(object); c && (c == FRoot || c->Owner() == FRoot) && !c->Name().empty())
                WriteLine(depth, name + " = " + c->Name());
            break;
        }
    }
    const std::string outerPrefix = std::move(FPrefix);
    const int outerDepth = FDepth;
    FPrefix = prefix;
    FDepth = depth;
    object.DefineProperties(*this);
    FPrefix = outerPrefix;
    FDepth = outerDepth;
}

void TDescriptionWriter::DefineProperty(const AnsiString& Name, const std::function<void(const TFilerData&)>&,
    const std::function<TFilerData()>& Write, bool HasData)
{
    if (!HasData || !Write)
        return;
    const TFilerData data = Write();
    const std::string name = FPrefix + Name;
    if (!data.ResourceName.empty()) {
        WriteLine(FDepth, name + " = resource " + QuoteString(ActiveToUtf8(data.ResourceName)));
        return;
    }
    if (data.Bytes.empty()) {
        WriteLine(FDepth, name + " = {}");
        return;
    }
    // 32 bytes a line keeps lines short enough to read and diff.
    static const char digits[] = "0123456789ABCDEF";
    std::string text = name + " = {";
    for (size_t i = 0; i < data.Bytes.size(); ++i) {
        if (i % 32 == 0) {
            WriteLine(FDepth, text);
            text.assign(2, ' ');
        }
        text += digits[data.Bytes[i] >> 4];
        text += digits[data.Bytes[i] & 0xF];
    }
    WriteLine(FDepth, text + "}");
}

std::string WriteRootComponent(TComponent* Root)
{
    return TDescriptionWriter().Write(Root);
}
