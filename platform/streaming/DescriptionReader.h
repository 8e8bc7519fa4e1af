#pragma once
// The form description reader.
//
// A form description is UTF-8 text, one statement a line, made in the designer or by hand:
//
//   object MainForm1: TMainForm1           an object: its name and class (an unnamed object
//     Caption = 'It''s mine'                 gives only the class), its properties in stream
//     Color = clWhite                        order, then its nested objects, then `end`.
//     Font.Height = -12                      Two blanks a level show the nesting; `end` is what
//     Font.Style = [fsBold]                  closes an object, the indentation is not checked.
//     OnCreate = FormCreate
//     object Panel1: TPanel
//       Left = -8
//       Picture.Data = {
//         424D3600
//         0000}
//     end
//   end
//
// Values, by the kind of the property:
//   integer      123, -12, $FF00FF, or a name the property gives (Font.Charset = SHIFTJIS_CHARSET)
//   boolean      True, False
//   enumeration  one of its identifiers: alClient
//   set          [akLeft, akTop], or [] for the empty set
//   colour       a platform colour name (clBtnFace) or a number ($00FF00FF)
//   string       'text', '' standing for a quote; #N adds the character of code N and joins with
//                quoted runs ('one'#13#10'two'). The file is UTF-8; strings become the active code
//                page when read.
//   event        the name of a published method of the root's class or one of its ancestors
//   component    the name of a component owned by the root, or the root's own name; it may name
//                a component that appears later in the text
//   defined      (a picture's Data) a block of hex digit pairs in braces, over as many lines as
//                needed, or resource 'NAME' naming an embedded resource
// Dotted names (Font.Height) set a property of an owned object through that object's setters;
// the owned object itself is never assigned. Keywords and identifiers ignore ASCII case.
//
// TDescriptionReader reads one description into a root component it does not own. The top
// object must be of the root's class or one of its ancestors. Reading sets csLoading and
// csReading on the root, assigns the root's properties, and creates each nested object in the
// listed order with the root as owner: class from the class registry, loading flags and Name set,
// the root's published field of that name filled, SetParentComponent(the object it is nested in),
// then its ReadState, which calls ReadData to assign its properties and read its own nested
// objects. After the whole text, component references are resolved, Loaded() runs for the root
// and then for every created component in creation order, and csReading is cleared.
// Errors raise EReadError ("line N: ..."); whatever was created by then stays owned by the root
// (and its loading flags are cleared), and exceptions raised by setters pass through unchanged.

#include "platform/base/Filer.h"
#include "platform/streaming/PropertyInfo.h"

#include <string>
#include <string_view>
#include <vector>

struct TDescriptionObject;
struct TDescriptionProperty;

class TDescriptionReader : public TReader {
public:
    explicit TDescriptionReader(std::string_view utf8);
    ~TDescriptionReader() override;

    void Read(TComponent* Root);

    void ReadData(TComponent* Instance) override;
    TComponent* Root() const override { return FRoot; }
    void DefineProperty(const AnsiString& Name, const std::function<void(const TFilerData&)>& Read,
        const std::function<TFilerData()>& Write, bool HasData) override;

private:
    struct TFixup {
        TPersistent* Object;
        const TPropertyInfo* Property;
        std::string Name;
        int Line;
    };

    void ReadComponent(const TDescriptionObject& node, TComponent* parent);
    void ReadProperty(TPersistent& instance, const TDescriptionProperty& prop);
    void AssignValue(TPersistent& object, const TPropertyInfo& info, const TDescriptionProperty& prop);
    void ResolveReferences();

    std::string_view FText;
    TComponent* FRoot = nullptr;
    // The object whose ReadState is running, and its component.
    const TDescriptionObject* FNode = nullptr;
    TComponent* FInstance = nullptr;
    std::vector<TComponent*> FLoaded;
    std::vector<TFixup> FFixups;
    // The defined property looked for while an object's DefineProperties runs.
    const TDescriptionProperty* FDefining = nullptr;
    bool FDefined = false;
};

// Reads a description into Root (see TDescriptionReader).
void ReadRootComponent(TComponent* Root, std::string_view utf8);
