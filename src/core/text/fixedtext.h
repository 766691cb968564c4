#pragma once
// printf's "%.Nf" and plain decimals written straight into a caller's buffer, for output that
// prints numbers by the ten thousand: no string per number. The common cases are inline, so
// that a loop with a known number of decimals writes its digits without a call; the exact rule
// for the rest is out of line.

#include <QtGlobal>

#include <array>
#include <cmath>
#include <cstring>

// Room that writeFixed may need: the largest double has 309 digits.
inline constexpr int FixedTextRoom = 400;

Q_ALWAYS_INLINE char *writeDecimal(char *out, quint64 n);

namespace FixedTextDetail {

inline constexpr quint64 Pow10[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99": two digits at a time.
inline constexpr auto DigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[size_t(2 * i)] = char('0' + i / 10);
        pairs[size_t(2 * i + 1)] = char('0' + i % 10);
    }
    return pairs;
}();

// The Count digits of n < 10^Count (Count 1 to 9), zeros in front; returns the end. n becomes
// a binary fraction of 57 bits whose whole part is the first one or two digits; each
// multiplication by 100 then moves the next two into the whole part. The rounded-up scale
// keeps every digit exact for every n below 10^Count (checked for each Count over all of them).
template <int Count> Q_ALWAYS_INLINE char *writeDigits(char *out, quint32 n)
{
    static_assert(Count >= 1 && Count <= 9);
    constexpr int Shift = 57;
    constexpr quint64 Mask = (quint64(1) << Shift) - 1;
    constexpr int Lead = 2 - Count % 2;
    constexpr quint64 Below = Pow10[Count - Lead];
    constexpr quint64 Scale = ((quint64(1) << Shift) + Below - 1) / Below;
    quint64 y = quint64(n) * Scale;
    if constexpr (Lead == 1) {
        *out++ = char('0' + (y >> Shift));
    } else {
        std::memcpy(out, &DigitPairs[size_t(2 * (y >> Shift))], 2);
        out += 2;
    }
#pragma GCC unroll 4
    for (int i = Lead; i < Count; i += 2) {
        y = (y & Mask) * 100;
        std::memcpy(out, &DigitPairs[size_t(2 * (y >> Shift))], 2);
        out += 2;
    }
    return out;
}

// n < 100 without a zero in front, and without a branch: numbers such as runner numbers come
// in no order. Below 10 the pair "0n" is read one place on, and the byte after the digit is
// written too (the caller's room covers it).
Q_ALWAYS_INLINE char *writeBelowHundred(char *out, quint32 n)
{
    const quint32 two = n >= 10 ? 1 : 0;
    std::memcpy(out, &DigitPairs[size_t(2 * n + 1 - two)], 2);
    return out + 1 + two;
}

// n < 10^9 without zeros in front.
Q_ALWAYS_INLINE char *writeBelowBillion(char *out, quint32 n)
{
    if (n < 100)
        return writeBelowHundred(out, n);
    if (n < 10000)
        return n < 1000 ? writeDigits<3>(out, n) : writeDigits<4>(out, n);
    if (n < 1000000)
        return n < 100000 ? writeDigits<5>(out, n) : writeDigits<6>(out, n);
    if (n < 100000000)
        return n < 10000000 ? writeDigits<7>(out, n) : writeDigits<8>(out, n);
    return writeDigits<9>(out, n);
}

// n / 10^Decimals "." the rest, for n below 2^32.
template <int Decimals> Q_ALWAYS_INLINE char *writeScaled(char *out, quint32 n)
{
    if constexpr (Decimals == 0) {
        return writeDecimal(out, n);
    } else {
        const quint32 units = n / quint32(Pow10[Decimals]);
        out = writeBelowBillion(out, units);
        *out++ = '.';
        return writeDigits<Decimals>(out, n - units * quint32(Pow10[Decimals]));
    }
}

// writeFixed by the exact binary value, for what the fast way cannot settle.
char *writeFixedExact(char *out, double value, int decimals);

template <int Decimals> Q_ALWAYS_INLINE char *writeFixedAt(char *out, double value)
{
    // The product in doubles is within half a unit in its last place (below 2^-22 here) of the
    // exact one: unless its fraction is that close to a half, both round to the same whole
    // number. Otherwise the exact way decides.
    const double scaled = value * double(Pow10[Decimals]);
    if (!std::signbit(value) && scaled < 4e9) {
        const quint32 whole = quint32(scaled);
        const double fraction = scaled - double(whole);
        if (std::fabs(fraction - 0.5) > 0x1p-20)
            return writeScaled<Decimals>(out, whole + (fraction > 0.5 ? 1 : 0));
    }
    return writeFixedExact(out, value, Decimals);
}

// writeDecimal from 100 on.
char *writeFrom100(char *out, quint64 n);

} // namespace FixedTextDetail

// Writes n in decimal and returns the end (at most 20 bytes; a byte past the end may be
// written too). Below 100 without a call.
Q_ALWAYS_INLINE char *writeDecimal(char *out, quint64 n)
{
    if (n < 100)
        return FixedTextDetail::writeBelowHundred(out, quint32(n));
    return FixedTextDetail::writeFrom100(out, n);
}

// Writes value with `decimals` (0 to 9) digits after the point from out on and returns the
// end: the text of std::to_chars(..., std::chars_format::fixed, decimals), which is printf's
// rounding of the exact binary value (an exact half to the even neighbour). A byte past the end
// may be written too; FixedTextRoom counts it.
inline char *writeFixed(char *out, double value, int decimals)
{
    using namespace FixedTextDetail;
    switch (decimals) {
    case 0:
        return writeFixedAt<0>(out, value);
    case 1:
        return writeFixedAt<1>(out, value);
    case 2:
        return writeFixedAt<2>(out, value);
    case 3:
        return writeFixedAt<3>(out, value);
    case 4:
        return writeFixedAt<4>(out, value);
    case 5:
        return writeFixedAt<5>(out, value);
    case 6:
        return writeFixedAt<6>(out, value);
    case 7:
        return writeFixedAt<7>(out, value);
    case 8:
        return writeFixedAt<8>(out, value);
    case 9:
        return writeFixedAt<9>(out, value);
    default:
        return writeFixedExact(out, value, decimals);
    }
}
