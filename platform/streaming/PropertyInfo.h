#pragma once
// TPropertyInfo: one published property of a class, as the form reader and writer see it.
//
// The accessors are type-erased closures made by TPropertyTableBuilder from the class's own
// getters and setters, so that the reader assigns every value through the class's setter. Ordinal
// kinds (integer, boolean, enumeration, set, colour) travel as a 64-bit integer: the enumeration
// value, the set's bits, the colour's 32 bits. The name and the enumeration names point into
// constants of static storage. A property without a declared default is always written; one with
// a default is written only when its value differs.

#include "platform/base/Object.h"
#include "platform/base/Strings.h"

#include <any>
#include <functional>
#include <optional>
#include <span>
#include <typeindex>

class TComponent;
struct TIdentValue;

enum TPropertyKind { pkInteger, pkBoolean, pkEnumeration, pkSet, pkColor, pkString, pkObject, pkEvent, pkComponent };

struct TPropertyInfo {
    const char* Name = "";
    TPropertyKind Kind = pkInteger;
    // The C++ type of the value (the enumeration, the TSet, the TEvent), for type checks.
    std::type_index ValueType = typeid(void);

    // Ordinal kinds.
    std::function<long long(TPersistent&)> GetOrdinal;
    std::function<void(TPersistent&, long long)> SetOrdinal;
    long long MinValue = 0;
    long long MaxValue = 0;
    std::span<const char* const> EnumNames; // enumeration, and the element of a set
    std::span<const TIdentValue> Idents; // names an integer may be given by
    std::optional<long long> OrdinalDefault;

    // pkString (values in the active code page).
    std::function<AnsiString(TPersistent&)> GetString;
    std::function<void(TPersistent&, const AnsiString&)> SetString;
    std::optional<AnsiString> StringDefault;

    // pkObject: the owned nested object, whose own table gives the nested properties.
    std::function<TPersistent*(TPersistent&)> GetObject;

    // pkEvent: SetEvent takes a std::any holding a value of ValueType.
    AnsiString EventTypeName;
    std::function<const char*(TPersistent&)> GetMethodName; // null when unassigned or not bound by name
    std::function<void(TPersistent&, const std::any&)> SetEvent;

    // pkComponent: a reference to another component of the same root.
    const TClassInfo* ComponentClass = nullptr;
    std::function<TComponent*(TPersistent&)> GetComponent;
    std::function<void(TPersistent&, TComponent*)> SetComponent;

    // When set and false for an instance, the writer leaves the property out (a control's Font
    // while it follows its parent's).
    std::function<bool(TPersistent&)> Stored;

    bool HasDefault() const { return OrdinalDefault.has_value() || StringDefault.has_value(); }
};
