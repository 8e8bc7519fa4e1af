#pragma once
// Identifier names of an enumeration for published properties: the names in value order, value
// n named by Names[n] (the platform's enumerations all count from 0). Declare them once as a
// namespace-scope constant, which the property tables point into:
//   constexpr auto AlignNames = EnumNames<TAlign>("alNone", "alTop", "alBottom", ...);
// Integers that have identifiers of their own (a font's charset) use a TIdentValue list instead.

#include <array>
#include <cstddef>
#include <span>
#include <type_traits>

template <class E, std::size_t N>
struct TEnumNames {
    static_assert(std::is_enum_v<E>, "enumeration names belong to an enumeration type");
    std::array<const char*, N> Names;
};

template <class E, class... Names>
constexpr TEnumNames<E, sizeof...(Names)> EnumNames(Names... names)
{
    return { { names... } };
}

struct TIdentValue {
    const char* Name;
    long long Value;
};
