#include "core/text/fixed4.h"

#include "core/text/wholepart.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

using i128 = __int128;
constexpr i128 Int64Max = std::numeric_limits<qint64>::max();
constexpr i128 Int64Min = std::numeric_limits<qint64>::min();

std::optional<Fixed4> fromWide(i128 v)
{
    if (v > Int64Max || v < Int64Min)
        return std::nullopt;
    return Fixed4::fromRaw(qint64(v));
}

// q = n / d rounded half to even (d > 0).
i128 divideHalfEven(i128 n, i128 d)
{
    i128 q = n / d;
    i128 r = n % d;
    if (r < 0)
        r = -r;
    const i128 twice = 2 * r;
    if (twice > d || (twice == d && (q % 2) != 0))
        q += n < 0 ? -1 : 1;
    return q;
}

} // namespace

namespace {

// The rounding of the shortest text itself, for values near a half or beyond the product's
// reach. Out of line, so that the common case needs no stack frame.
[[gnu::noinline]] std::optional<Fixed4> fixed4FromText(double value)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    char digits[32];
    int nd = 0;
    const char *p = buf;
    for (; p != r.ptr && *p != 'e'; ++p)
        if (*p != '.' && nd < int(sizeof digits))
            digits[nd++] = *p;
    int exp10 = 0;
    if (p != r.ptr)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, exp10);
    i128 mantissa = 0;
    for (int i = 0; i < nd; ++i)
        mantissa = mantissa * 10 + (digits[i] - '0');
    // value = mantissa x 10^shift ten-thousandths
    const int shift = exp10 - (nd - 1) + 4;
    i128 raw;
    if (shift >= 0) {
        if (shift > 19)
            return std::nullopt;
        raw = mantissa;
        for (int i = 0; i < shift; ++i)
            raw *= 10;
    } else if (shift < -30) {
        raw = 0;
    } else {
        i128 div = 1;
        for (int i = 0; i < -shift; ++i)
            div *= 10;
        raw = divideHalfEven(mantissa, div);
    }
    return fromWide(value < 0 ? -raw : raw);
}

} // namespace

std::optional<Fixed4> Fixed4::fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        return Fixed4();
    // The shortest decimal text that reads back as value: 0.00005 is a half in decimal, whatever
    // its binary neighbour, and rounds to even like a typed value would.
    // Below 2^40 ten-thousandths the product is within 3E-4 of the decimal value, so unless it
    // lies near a half the nearest whole number is the rounded text's value.
    const double scaled = value * 10000.0;
    if (std::fabs(scaled) < 0x1p40) {
        const double whole = floorOf(scaled);
        const double frac = scaled - whole;
        if (frac == 0)
            return fromRaw(qint64(whole));
        if (std::fabs(frac - 0.5) > 1e-3)
            return fromRaw(qint64(nearestWhole(whole, frac)));
    }
    return fixed4FromText(value);
}

double Fixed4::toDouble() const
{
    return double(m_raw) / 10000.0;
}

std::optional<Fixed4> Fixed4::plus(Fixed4 other) const
{
    qint64 sum;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum))
        return std::nullopt;
    return fromRaw(sum);
}

Fixed4 Fixed4::plusRounded(double value) const
{
    // Away from a half the sum rounds like this number plus value rounded on its own, which
    // needs nothing of a step before: both roundings see the same sum within 3E-4
    // ten-thousandths here. Near a half, or beyond that reach, the sum itself decides.
    constexpr double Reach = 0x1p38;
    const double t = value * 10000.0;
    if (std::fabs(t) < Reach && std::abs(m_raw) < qint64(Reach)) {
        const double whole = floorOf(t);
        const double frac = t - whole;
        if (std::fabs(frac - 0.5) > 2e-3)
            return fromRaw(m_raw + qint64(nearestWhole(whole, frac)));
    }
    return fromDouble(toDouble() + value).value_or(*this);
}

std::optional<Fixed4> Fixed4::times(Fixed4 other) const
{
    return fromWide(divideHalfEven(i128(m_raw) * i128(other.m_raw), 10000));
}
