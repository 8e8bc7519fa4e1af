#pragma once
// TMethodTable: the published methods and component fields of one class, which a form
// description refers to by name. A method entry binds the method to an instance as an event
// value (a TEvent held in a std::any, its method name set so that a writer can store the binding
// again); a field entry is a pointer to a component member that the reader fills with the
// component of that name when it creates it (the form's Button1).
//
// Unlike property tables, a class's method table holds only its own entries: lookups walk the
// class and its ancestors. Names must have static storage.

#include "platform/base/Object.h"
#include "platform/base/Strings.h"

#include <any>
#include <functional>
#include <string_view>
#include <typeindex>
#include <vector>

class TComponent;

struct TPublishedMethod {
    const char* Name = "";
    std::type_index EventType = typeid(void);
    AnsiString EventTypeName;
    std::function<std::any(TObject&)> Bind;
};

struct TPublishedField {
    const char* Name = "";
    const TClassInfo* FieldClass = nullptr;
    std::function<void(TObject&, TComponent*)> Assign;
};

class TMethodTable {
public:
    TMethodTable() = default;
    TMethodTable(std::vector<TPublishedMethod> methods, std::vector<TPublishedField> fields);

    const TPublishedMethod* FindMethod(std::string_view name) const;
    const TPublishedField* FindField(std::string_view name) const;

private:
    std::vector<TPublishedMethod> FMethods;
    std::vector<TPublishedField> FFields;
};

using TMethodTableFunction = const TMethodTable& (*)();

void RegisterMethodTable(const TClassInfo& info, TMethodTableFunction table);
// The published method or field of that name in info's class or its ancestors, or null.
const TPublishedMethod* FindPublishedMethod(const TClassInfo& info, std::string_view name);
const TPublishedField* FindPublishedField(const TClassInfo& info, std::string_view name);
