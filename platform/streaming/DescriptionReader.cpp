#include "platform/streaming/DescriptionReader.h"

#include "platform/base/CodePage.h"
#include "platform/base/Component.h"
#include "platform/base/Exception.h"
#include "platform/graphics/Colors.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/DescriptionParser.h"
#include "platform/streaming/EnumNames.h"
#include "platform/streaming/Identifiers.h"
#include "platform/streaming/MethodTable.h"
#include "platform/streaming/PropertyTable.h"
#include "platform/streaming/Resources.h"

#include <cassert>

namespace {

[[noreturn]] void Fail(int line, const std::string& utf8Message)
{
    throw EReadError(line, Utf8ToActive(utf8Message));
}

[[noreturn]] void BadValue(const TDescriptionProperty& prop, const std::string& why)
{
    Fail(prop.Value.Line, "invalid value for " + prop.DottedName() + ": " + why);
}

std::string JoinNames(std::span<const char* const> names)
{
    std::string s;
    for (const char* n : names) {
        if (!s.empty())
            s += ", ";
        s += n;
    }
    return s;
}

long long EnumValue(const TPropertyInfo& info, const TDescriptionProperty& prop, const std::string& ident)
{
    for (size_t i = 0; i < info.EnumNames.size(); ++i)
        if (SameIdent(info.EnumNames[i], ident))
            return static_cast<long long>(i);
    BadValue(prop, ident + " is not one of " + JoinNames(info.EnumNames));
}

const char* KindName(TPropertyKind kind)
{
    switch (kind) {
    case pkInteger:
        return "an integer";
    case pkBoolean:
        return "True or False";
    case pkEnumeration:
        return "an identifier";
    case pkSet:
        return "a set in brackets";
    case pkColor:
        return "a colour name or number";
    case pkString:
        return "a string in quotes";
    case pkObject:
        return "nested properties";
    case pkEvent:
        return "a method name";
    case pkComponent:
        return "a component name";
    }
    return "?";
}

} // namespace

TDescriptionReader::TDescriptionReader(std::string_view utf8)
    : FText(utf8)
{
}

TDescriptionReader::~TDescriptionReader() = default;

void TDescriptionReader::Read(TComponent* Root)
{
    assert(Root && !FRoot && "a reader reads once");
    // Parsing first means a syntax error creates nothing.
    std::unique_ptr<TDescriptionObject> tree = ParseDescription(FText);

    bool classMatches = false;
    for (const TClassInfo* c = &Root->ClassInfo(); c && !classMatches; c = c->Parent)
        classMatches = SameIdent(c->Name, tree->ClassName);
    if (!classMatches)
        Fail(tree->Line, "the description is of class " + tree->ClassName + ", not " + Root->ClassName() + " or one of its ancestors");

    FRoot = Root;
    FLoaded.push_back(Root);
    try {
        Root->SetLoadingState(true);
        if (!tree->Name.empty())
            Root->SetName(tree->Name);
        FNode = tree.get();
        FInstance = Root;
        Root->ReadState(*this);
        FNode = nullptr;
        FInstance = nullptr;
        ResolveReferences();
        for (TComponent* c : FLoaded)
            c->Loaded();
        for (TComponent* c : FLoaded)
            c->SetLoadingState(false);
    } catch (...) {
        for (TComponent* c : FLoaded)
            c->SetLoadingState(false);
        throw;
    }
}

void TDescriptionReader::ReadData(TComponent* Instance)
{
    assert(Instance && Instance == FInstance && "ReadData reads the component whose ReadState runs, once");
    const TDescriptionObject& node = *FNode;
    FInstance = nullptr;
    for (const TDescriptionProperty& prop : node.Properties)
        ReadProperty(*Instance, prop);
    for (const auto& child : node.Children)
        ReadComponent(*child, Instance);
}

void TDescriptionReader::ReadComponent(const TDescriptionObject& node, TComponent* parent)
{
    const TClassInfo* info = FindClass(node.ClassName);
    if (!info)
        Fail(node.Line, "class " + node.ClassName + " not found");
    if (!info->Create)
        Fail(node.Line, "class " + node.ClassName + " cannot be created");
    if (!node.Name.empty() && (FRoot->FindComponent(node.Name) || SameIdent(FRoot->Name(), node.Name)))
        Fail(node.Line, "a component named " + node.Name + " already exists");
    const TPublishedField* field = node.Name.empty() ? nullptr : FindPublishedField(FRoot->ClassInfo(), node.Name);
    if (field && !info->InheritsFrom(*field->FieldClass))
        Fail(node.Line, "field " + node.Name + " of " + FRoot->ClassName() + " is a " + field->FieldClass->Name + ", not a " + node.ClassName);

    TComponent* component = info->Create(FRoot);
    assert(component && component->Owner() == FRoot && "class factories insert the component into the owner given");
    FLoaded.push_back(component);
    component->SetLoadingState(true);
    if (!node.Name.empty())
        component->SetName(node.Name);
    if (field)
        field->Assign(*FRoot, component);
    component->SetParentComponent(parent);

    const TDescriptionObject* outerNode = FNode;
    TComponent* outerInstance = FInstance;
    FNode = &node;
    FInstance = component;
    component->ReadState(*this);
    FNode = outerNode;
    FInstance = outerInstance;
}

void TDescriptionReader::ReadProperty(TPersistent& instance, const TDescriptionProperty& prop)
{
    TPersistent* object = &instance;
    for (size_t i = 0; i + 1 < prop.Path.size(); ++i) {
        const TPropertyInfo* info = PublishedProperties(object->ClassInfo()).Find(prop.Path[i]);
        if (!info)
            Fail(prop.Line, "property " + prop.Path[i] + " does not exist in " + object->ClassName());
        if (info->Kind != pkObject)
            Fail(prop.Line, "property " + prop.Path[i] + " of " + object->ClassName() + " has no nested properties");
        object = info->GetObject(*object);
        if (!object)
            Fail(prop.Line, "property " + prop.Path[i] + " holds no object");
    }
    const std::string& name = prop.Path.back();
    if (const TPropertyInfo* info = PublishedProperties(object->ClassInfo()).Find(name)) {
        AssignValue(*object, *info, prop);
        return;
    }
    FDefining = &prop;
    FDefined = false;
    object->DefineProperties(*this);
    FDefining = nullptr;
    if (!FDefined)
        Fail(prop.Line, "property " + name + " does not exist in " + object->ClassName());
}

void TDescriptionReader::DefineProperty(const AnsiString& Name, const std::function<void(const TFilerData&)>& Read,
    const std::function<TFilerData()>&, bool)
{
    if (!FDefining || FDefined || !SameIdent(Name, FDefining->Path.back()))
        return;
    FDefined = true;
    const TDescriptionProperty& prop = *FDefining;
    const TDescriptionValue& v = prop.Value;
    TFilerData data;
    if (v.Type == TDescriptionValue::dvBytes) {
        data.Bytes = v.Bytes;
    } else if (v.Type == TDescriptionValue::dvResource) {
        auto bytes = FindResource(v.Text);
        if (!bytes)
            Fail(v.Line, "resource '" + v.Text + "' not found");
        data.Bytes.assign(bytes->begin(), bytes->end());
        data.ResourceName = Utf8ToActive(v.Text);
    } else {
        BadValue(prop, "a byte block in braces or resource 'NAME' expected");
    }
    if (Read)
        Read(data);
}

void TDescriptionReader::AssignValue(TPersistent& object, const TPropertyInfo& info, const TDescriptionProperty& prop)
{
    const TDescriptionValue& v = prop.Value;
    using V = TDescriptionValue;
    auto expect = [&](V::TType type) {
        if (v.Type != type)
            BadValue(prop, std::string(KindName(info.Kind)) + " expected");
    };
    auto inRange = [&](long long n) {
        if (n < info.MinValue || n > info.MaxValue)
            BadValue(prop, std::to_string(n) + " is out of range (" + std::to_string(info.MinValue) + " to " + std::to_string(info.MaxValue) + ")");
        return n;
    };

    switch (info.Kind) {
    case pkInteger:
        if (v.Type == V::dvIdent) {
            for (const TIdentValue& id : info.Idents)
                if (SameIdent(id.Name, v.Text)) {
                    info.SetOrdinal(object, id.Value);
                    return;
                }
            BadValue(prop, v.Text + " is not a name of a value");
        }
        expect(V::dvInteger);
        info.SetOrdinal(object, inRange(v.Integer));
        return;
    case pkBoolean:
        expect(V::dvIdent);
        if (SameIdent(v.Text, "True"))
            info.SetOrdinal(object, 1);
        else if (SameIdent(v.Text, "False"))
            info.SetOrdinal(object, 0);
        else
            BadValue(prop, "True or False expected");
        return;
    case pkEnumeration:
        expect(V::dvIdent);
        info.SetOrdinal(object, EnumValue(info, prop, v.Text));
        return;
    case pkSet: {
        expect(V::dvSet);
        long long bits = 0;
        for (const std::string& item : v.Items)
            bits |= 1ll << EnumValue(info, prop, item);
        info.SetOrdinal(object, bits);
        return;
    }
    case pkColor:
        if (v.Type == V::dvIdent) {
            auto color = IdentToColor(v.Text);
            if (!color)
                BadValue(prop, v.Text + " is not a colour name");
            info.SetOrdinal(object, *color);
            return;
        }
        expect(V::dvInteger);
        info.SetOrdinal(object, inRange(v.Integer));
        return;
    case pkString:
        expect(V::dvString);
        info.SetString(object, Utf8ToActive(v.Text));
        return;
    case pkObject:
        Fail(prop.Line, prop.DottedName() + " is an object: set its properties, as in " + prop.DottedName() + ".Name = ...");
    case pkEvent: {
        expect(V::dvIdent);
        const TPublishedMethod* method = FindPublishedMethod(FRoot->ClassInfo(), v.Text);
        if (!method)
            BadValue(prop, "method " + v.Text + " not found in " + FRoot->ClassName());
        if (method->EventType != info.ValueType)
            BadValue(prop, "method " + v.Text + " is a " + method->EventTypeName + " handler, but " + prop.DottedName() + " is a " + info.EventTypeName);
        info.SetEvent(object, method->Bind(*FRoot));
        return;
    }
    case pkComponent:
        expect(V::dvIdent);
        // The component may be further down the text: resolved when everything is read.
        FFixups.push_back({ &object, &info, v.Text, v.Line });
        return;
    }
}

void TDescriptionReader::ResolveReferences()
{
    for (const TFixup& f : FFixups) {
        TComponent* target = SameIdent(FRoot->Name(), f.Name) ? FRoot : FRoot->FindComponent(f.Name);
        if (!target)
            Fail(f.Line, "component " + f.Name + " not found");
        if (!target->InheritsFrom(*f.Property->ComponentClass))
            Fail(f.Line, "component " + f.Name + " is a " + target->ClassName() + ", not a " + f.Property->ComponentClass->Name);
        f.Property->SetComponent(*f.Object, target);
    }
    FFixups.clear();
}

void ReadRootComponent(TComponent* Root, std::string_view utf8)
{
    TDescriptionReader(utf8).Read(Root);
}
