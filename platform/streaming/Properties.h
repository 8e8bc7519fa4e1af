#pragma once
// TPropertyTableBuilder: how a class declares its published properties, in stream order, from
// its own getters and setters. Each helper checks at compile time that the getter, the setter,
// the default and the enumeration names agree in type:
//
//   static const TPropertyTable& MyButtonProperties()
//   {
//       static const TPropertyTable table = Properties<TMyButton>().Inherit()
//           .Int("Margin", &TMyButton::Margin, &TMyButton::SetMargin, -1)
//           .Enum("Layout", LayoutNames, &TMyButton::Layout, &TMyButton::SetLayout, blGlyphLeft)
//           .Object("Font", &TMyButton::Font)
//           .Event("OnClick", &TMyButton::OnClick)
//           .Republish("Enabled");
//       return table;
//   }
//
// Inherit() starts from the parent's table. Declaring a name already in the table replaces the
// earlier entry at the new position; Republish moves an inherited entry to the current position
// (optionally with a new default), SetDefault and NoDefault change its default in place. Names
// and enumeration names must have static storage. A default left out means "no default": the
// writer always writes the value.

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Set.h"
#include "platform/graphics/Colors.h"
#include "platform/streaming/EnumNames.h"
#include "platform/streaming/EventTypeName.h"
#include "platform/streaming/Identifiers.h"
#include "platform/streaming/PropertyTable.h"

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <type_traits>

namespace PropertyDetail {

template <class G, class T>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, T&>>;

template <class X>
struct IsSet : std::false_type { };
template <class E>
struct IsSet<TSet<E>> : std::true_type { };

template <class X>
struct IsEvent : std::false_type { };
template <class... A>
struct IsEvent<TEvent<A...>> : std::true_type { };

template <class V>
long long ToOrdinal(const V& v)
{
    if constexpr (IsSet<V>::value)
        return static_cast<long long>(v.Bits());
    else
        return static_cast<long long>(v);
}

template <class V>
V FromOrdinal(long long v)
{
    if constexpr (IsSet<V>::value)
        return V::FromBits(static_cast<std::uint32_t>(v));
    else if constexpr (std::is_same_v<V, bool>)
        return v != 0;
    else
        return static_cast<V>(v);
}

} // namespace PropertyDetail

template <class T>
class TPropertyTableBuilder {
    template <class G>
    using ValueOf = PropertyDetail::ValueOf<G, T>;

public:
    TPropertyTableBuilder& Inherit()
    {
        assert(FProperties.empty() && "Inherit() comes before the class's own properties");
        if (const TClassInfo* parent = T::StaticClassInfo().Parent)
            for (const TPropertyInfo& p : PublishedProperties(*parent))
                FProperties.push_back(p);
        return *this;
    }

    // An integer of any width up to 64 bits; idents are names it may be given by (a charset's
    // SHIFTJIS_CHARSET), which the writer prefers when the value has one.
    template <class G, class S>
    TPropertyTableBuilder& Int(const char* name, G get, S set, std::optional<ValueOf<G>> def = std::nullopt,
        std::span<const TIdentValue> idents = {})
    {
        using V = ValueOf<G>;
        static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool>, "Int() takes an integer property");
        static_assert(sizeof(V) < sizeof(long long) || std::is_signed_v<V>, "unsigned 64-bit integers are not streamed");
        TPropertyInfo p = Ordinal<V>(name, pkInteger, get, set);
        p.MinValue = static_cast<long long>(std::numeric_limits<V>::min());
        p.MaxValue = static_cast<long long>(std::numeric_limits<V>::max());
        p.Idents = idents;
        if (def)
            p.OrdinalDefault = *def;
        return Add(std::move(p));
    }

    template <class G, class S>
    TPropertyTableBuilder& Bool(const char* name, G get, S set, std::optional<bool> def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, bool>, "Bool() takes a bool property");
        TPropertyInfo p = Ordinal<bool>(name, pkBoolean, get, set);
        p.MaxValue = 1;
        if (def)
            p.OrdinalDefault = *def;
        return Add(std::move(p));
    }

    template <class E, std::size_t N, class G, class S>
    TPropertyTableBuilder& Enum(const char* name, const TEnumNames<E, N>& names, G get, S set, std::optional<std::type_identity_t<E>> def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, E>, "the getter returns the enumeration the names are of");
        TPropertyInfo p = Ordinal<E>(name, pkEnumeration, get, set);
        p.EnumNames = names.Names;
        p.MaxValue = static_cast<long long>(N) - 1;
        if (def)
            p.OrdinalDefault = static_cast<long long>(*def);
        return Add(std::move(p));
    }

    template <class E, std::size_t N, class G, class S>
    TPropertyTableBuilder& Set(const char* name, const TEnumNames<E, N>& names, G get, S set,
        std::optional<std::type_identity_t<TSet<E>>> def = std::nullopt)
    {
        static_assert(N <= 32, "a set holds at most 32 elements");
        static_assert(std::is_same_v<ValueOf<G>, TSet<E>>, "the getter returns a set of the enumeration the names are of");
        TPropertyInfo p = Ordinal<TSet<E>>(name, pkSet, get, set);
        p.EnumNames = names.Names;
        p.MaxValue = static_cast<long long>((std::uint64_t { 1 } << N) - 1);
        if (def)
            p.OrdinalDefault = static_cast<long long>(def->Bits());
        return Add(std::move(p));
    }

    template <class G, class S>
    TPropertyTableBuilder& Color(const char* name, G get, S set, std::optional<TColor> def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, TColor>, "Color() takes a TColor property");
        TPropertyInfo p = Ordinal<TColor>(name, pkColor, get, set);
        p.MaxValue = std::numeric_limits<TColor>::max();
        if (def)
            p.OrdinalDefault = *def;
        return Add(std::move(p));
    }

    template <class G, class S>
    TPropertyTableBuilder& String(const char* name, G get, S set, std::optional<AnsiString> def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, AnsiString>, "String() takes an AnsiString property");
        static_assert(std::is_invocable_v<S, T&, const AnsiString&>, "the setter takes an AnsiString");
        TPropertyInfo p = Named(name, pkString, typeid(AnsiString));
        p.GetString = [get](TPersistent& o) -> AnsiString { return std::invoke(get, Cast(o)); };
        p.SetString = [set](TPersistent& o, const AnsiString& v) { std::invoke(set, Cast(o), v); };
        p.StringDefault = std::move(def);
        return Add(std::move(p));
    }

    // An owned persistent object (a Font): its properties are written dotted (Font.Height) and
    // read through its own setters; the object itself is never replaced.
    template <class G>
    TPropertyTableBuilder& Object(const char* name, G get)
    {
        using P = std::invoke_result_t<G, T&>;
        static_assert(std::is_pointer_v<P> && std::is_base_of_v<TPersistent, std::remove_cv_t<std::remove_pointer_t<P>>>,
            "Object() takes a getter returning the owned TPersistent-derived object");
        TPropertyInfo p = Named(name, pkObject, typeid(std::remove_cv_t<std::remove_pointer_t<P>>));
        p.GetObject = [get](TPersistent& o) -> TPersistent* { return std::invoke(get, Cast(o)); };
        return Add(std::move(p));
    }

    // An event held in a public TEvent field (OnClick).
    template <class F>
    TPropertyTableBuilder& Event(const char* name, F field)
    {
        static_assert(std::is_member_object_pointer_v<F>, "Event(name, field) takes a pointer to a TEvent member");
        using E = ValueOf<F>;
        return AddEvent<E>(name, field, [field](T& t, const E& e) { std::invoke(field, t) = e; });
    }

    // An event behind a getter and a setter (a timer that starts when given its OnTimer).
    template <class G, class S>
    TPropertyTableBuilder& Event(const char* name, G get, S set)
    {
        return AddEvent<ValueOf<G>>(name, get, set);
    }

    // A reference to another component of the same root, by name.
    template <class G, class S>
    TPropertyTableBuilder& Component(const char* name, G get, S set)
    {
        using P = std::invoke_result_t<G, T&>;
        using U = std::remove_cv_t<std::remove_pointer_t<P>>;
        static_assert(std::is_pointer_v<P> && std::is_base_of_v<TComponent, U>, "Component() takes a getter returning a component pointer");
        static_assert(std::is_invocable_v<S, T&, U*>, "the setter takes the getter's component type");
        TPropertyInfo p = Named(name, pkComponent, typeid(U));
        p.ComponentClass = &U::StaticClassInfo();
        p.GetComponent = [get](TPersistent& o) -> TComponent* { return std::invoke(get, Cast(o)); };
        p.SetComponent = [set](TPersistent& o, TComponent* c) { std::invoke(set, Cast(o), static_cast<U*>(c)); };
        return Add(std::move(p));
    }

    // Moves an inherited property to the current position.
    TPropertyTableBuilder& Republish(const char* name)
    {
        TPropertyInfo p = Take(name);
        FProperties.push_back(std::move(p));
        return *this;
    }

    // Moves an inherited property to the current position with a new default.
    template <class V>
    TPropertyTableBuilder& Republish(const char* name, const V& def)
    {
        TPropertyInfo p = Take(name);
        SetDefaultValue(p, def);
        FProperties.push_back(std::move(p));
        return *this;
    }

    template <class V>
    TPropertyTableBuilder& SetDefault(const char* name, const V& def)
    {
        SetDefaultValue(Existing(name), def);
        return *this;
    }

    TPropertyTableBuilder& NoDefault(const char* name)
    {
        TPropertyInfo& p = Existing(name);
        p.OrdinalDefault.reset();
        p.StringDefault.reset();
        return *this;
    }

    // Makes the property just declared written only while pred(instance) is true.
    template <class P>
    TPropertyTableBuilder& Stored(P pred)
    {
        static_assert(std::is_invocable_r_v<bool, P, T&>, "Stored() takes a predicate on the instance");
        assert(!FProperties.empty());
        FProperties.back().Stored = [pred](TPersistent& o) -> bool { return std::invoke(pred, Cast(o)); };
        return *this;
    }

    operator TPropertyTable() const { return TPropertyTable(FProperties); }

private:
    static T& Cast(TPersistent& o)
    {
        assert(o.InheritsFrom(T::StaticClassInfo()));
        return static_cast<T&>(o);
    }

    static TPropertyInfo Named(const char* name, TPropertyKind kind, std::type_index type)
    {
        TPropertyInfo p;
        p.Name = name;
        p.Kind = kind;
        p.ValueType = type;
        return p;
    }

    template <class V, class G, class S>
    static TPropertyInfo Ordinal(const char* name, TPropertyKind kind, G get, S set)
    {
        static_assert(std::is_invocable_v<S, T&, V>, "the setter takes the getter's type");
        TPropertyInfo p = Named(name, kind, typeid(V));
        p.GetOrdinal = [get](TPersistent& o) { return PropertyDetail::ToOrdinal<V>(std::invoke(get, Cast(o))); };
        p.SetOrdinal = [set](TPersistent& o, long long v) { std::invoke(set, Cast(o), PropertyDetail::FromOrdinal<V>(v)); };
        return p;
    }

    template <class E, class G, class S>
    TPropertyTableBuilder& AddEvent(const char* name, G get, S set)
    {
        static_assert(PropertyDetail::IsEvent<E>::value, "Event() takes a TEvent property");
        static_assert(std::is_invocable_v<S, T&, const E&>, "the setter takes the getter's event type");
        TPropertyInfo p = Named(name, pkEvent, typeid(E));
        p.EventTypeName = TEventTypeName<E>::Get();
        p.GetMethodName = [get](TPersistent& o) -> const char* {
            const E& e = std::invoke(get, Cast(o));
            return e ? e.MethodName() : nullptr;
        };
        p.SetEvent = [set](TPersistent& o, const std::any& e) { std::invoke(set, Cast(o), std::any_cast<const E&>(e)); };
        return Add(std::move(p));
    }

    TPropertyTableBuilder& Add(TPropertyInfo p)
    {
        std::erase_if(FProperties, [&](const TPropertyInfo& q) { return SameIdent(q.Name, p.Name); });
        FProperties.push_back(std::move(p));
        return *this;
    }

    TPropertyInfo& Existing(const char* name)
    {
        for (TPropertyInfo& p : FProperties)
            if (SameIdent(p.Name, name))
                return p;
        assert(false && "no property of that name to change");
        std::abort();
    }

    TPropertyInfo Take(const char* name)
    {
        TPropertyInfo p = Existing(name);
        std::erase_if(FProperties, [&](const TPropertyInfo& q) { return SameIdent(q.Name, name); });
        return p;
    }

    template <class V>
    static void SetDefaultValue(TPropertyInfo& p, const V& def)
    {
        if constexpr (std::is_convertible_v<const V&, AnsiString>) {
            assert(p.Kind == pkString);
            p.StringDefault = AnsiString(def);
        } else if constexpr (PropertyDetail::IsSet<V>::value || std::is_enum_v<V> || std::is_same_v<V, bool>) {
            assert(p.ValueType == std::type_index(typeid(V)) && "the default has the property's type");
            p.OrdinalDefault = PropertyDetail::ToOrdinal<V>(def);
        } else {
            static_assert(std::is_integral_v<V>, "a default is a string, set, enumeration, bool or integer");
            assert((p.Kind == pkInteger || p.Kind == pkColor) && "an integer default for an integer or colour property");
            const auto v = static_cast<long long>(def);
            assert(v >= p.MinValue && v <= p.MaxValue && "the default fits the property");
            p.OrdinalDefault = v;
        }
    }

    std::vector<TPropertyInfo> FProperties;
};

template <class T>
TPropertyTableBuilder<T> Properties()
{
    return {};
}
