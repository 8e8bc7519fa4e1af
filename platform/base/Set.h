#pragma once
// A small set of enumeration values held as bits, the platform's "set of" type: bit n stands for
// the value n, so a set of options round-trips through an integer exactly as it is stored.

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values)
            FBits |= Bit(v);
    }
    static constexpr TSet FromBits(std::uint32_t bits)
    {
        TSet s;
        s.FBits = bits;
        return s;
    }

    constexpr bool Contains(E v) const { return (FBits & Bit(v)) != 0; }
    constexpr TSet& Include(E v)
    {
        FBits |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v)
    {
        FBits &= ~Bit(v);
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint32_t Bits() const { return FBits; }

    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E v) { return std::uint32_t { 1 } << static_cast<unsigned>(v); }
    std::uint32_t FBits = 0;
};
