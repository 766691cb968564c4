#pragma once

#include <QtGlobal>
#include <optional>

// Fixed-point number with four decimals: a 64-bit count of ten-thousandths.
// Every operation that could overflow reports it by returning no value.
class Fixed4
{
public:
    constexpr Fixed4() = default;
    static constexpr Fixed4 fromRaw(qint64 raw)
    {
        Fixed4 f;
        f.m_raw = raw;
        return f;
    }
    // Rounds to the nearest ten-thousandth, halves to even; no value for NaN or out of range.
    // Works on the shortest decimal text of value, so 0.00015 is a half (-> 0.0002) whatever
    // its binary neighbour.
    static std::optional<Fixed4> fromDouble(double value);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const;

    std::optional<Fixed4> plus(Fixed4 other) const;
    // fromDouble(toDouble() + value), or this number when that has no value: a running total
    // rounded at every step, taken so that the steps of a loop overlap.
    Fixed4 plusRounded(double value) const;
    // Product rounded to four decimals, halves to even.
    std::optional<Fixed4> times(Fixed4 other) const;

    friend constexpr bool operator==(Fixed4 a, Fixed4 b) = default;
    friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) = default;

private:
    qint64 m_raw = 0;
};
