#pragma once
// Small set type over an enumeration whose values lie in 0..63, the framework's "set of" types
// (component state, control style, font style ...). A value type: compare, combine, test.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <class E>
class TSet {
    static_assert(std::is_enum_v<E>, "TSet needs an enumeration");

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> elements)
    {
        for (E e : elements) bits_ |= Bit(e);
    }

    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }
    static constexpr TSet FromBits(std::uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
    constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
    constexpr TSet& operator<<(E e) { return Include(e); }
    constexpr TSet& operator>>(E e) { return Exclude(e); }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(const TSet&, const TSet&) = default;

private:
    static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
    std::uint64_t bits_ = 0;
};
