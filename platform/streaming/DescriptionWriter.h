#pragma once
// TDescriptionWriter: writes a root component and the components its GetChildren gives,
// recursively nested as the reader nests them, as a form description (UTF-8; the format is
// described in DescriptionReader.h). Properties come in table order; a value equal to its
// declared default is left out, as is a property whose Stored predicate says no, an unassigned
// event or one not bound by method name, and a null reference or one to a component outside
// the root. Owned objects write
// their differing properties dotted (Font.Height), and defined properties are written when their
// HasData is true. Reading the text back gives equal property values. The writer changes
// nothing and owns nothing.

#include "platform/base/Filer.h"

#include <string>

class TPersistent;

class TDescriptionWriter : public TWriter {
public:
    std::string Write(TComponent* Root);

    void DefineProperty(const AnsiString& Name, const std::function<void(const TFilerData&)>& Read,
        const std::function<TFilerData()>& Write, bool HasData) override;

private:
    void WriteComponent(TComponent* component, int depth);
    void WriteProperties(TPersistent& object, const std::string& prefix, int depth);
    void WriteLine(int depth, const std::string& text);

    std::string FOut;
    TComponent* FRoot = nullptr;
    // Where DefineProperty writes: the dotted prefix and depth of the object being written.
    std::string FPrefix;
    int FDepth = 0;
};

std::string WriteRootComponent(TComponent* Root);
