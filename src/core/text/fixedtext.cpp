#include "core/text/fixedtext.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr quint64 Pow10[] = {1,      10,      100,      1000,      10000,
                             100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99": two digits per division.
constexpr auto DigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[size_t(2 * i)] = char('0' + i / 10);
        pairs[size_t(2 * i + 1)] = char('0' + i % 10);
    }
    return pairs;
}();

// The last Count digits of n, zeros in front, from out on; a number of digits known when
// compiling, so that the loop unrolls. 32 bits make the divisions cheaper where they suffice.
template <int Count, typename Word> void writeDigits(char *out, Word n)
{
    char *end = out + Count;
    for (int left = Count; left >= 2; left -= 2) {
        end -= 2;
        std::memcpy(end, &DigitPairs[size_t(2 * (n % 100))], 2);
        n /= 100;
    }
    if constexpr (Count % 2 == 1)
        *--end = char('0' + n % 10);
}

// writeDigits with the number of digits known only when running.
template <typename Word> void writeDigits(char *out, Word n, int count)
{
    switch (count) {
    case 1:
        return writeDigits<1>(out, n);
    case 2:
        return writeDigits<2>(out, n);
    case 3:
        return writeDigits<3>(out, n);
    case 4:
        return writeDigits<4>(out, n);
    case 5:
        return writeDigits<5>(out, n);
    case 6:
        return writeDigits<6>(out, n);
    case 7:
        return writeDigits<7>(out, n);
    case 8:
        return writeDigits<8>(out, n);
    case 9:
        return writeDigits<9>(out, n);
    case 10:
        return writeDigits<10>(out, n);
    default:
        for (char *end = out + count; end > out; n /= 10)
            *--end = char('0' + n % 10);
    }
}

// n in [0, 2^32) with Decimals decimals: n / 10^Decimals "." the rest.
template <int Decimals> char *writeScaled(char *out, quint32 n)
{
    const quint32 units = n / quint32(Pow10[Decimals]);
    if (units < 10)
        *out++ = char('0' + units);
    else
        out = writeDecimal(out, units);
    if constexpr (Decimals > 0) {
        *out++ = '.';
        writeDigits<Decimals>(out, n % quint32(Pow10[Decimals]));
        out += Decimals;
    }
    return out;
}

template <int Decimals> char *writeFixedAt(char *out, double value)
{
    // The product in doubles is within half a unit in its last place (below 2^-22 here) of the
    // exact one: unless its fraction is that close to a half, both round to the same whole
    // number. Otherwise the exact way below decides.
    const double scaled = value * double(Pow10[Decimals]);
    if (!std::signbit(value) && scaled < 4e9) {
        const quint32 whole = quint32(scaled);
        const double fraction = scaled - double(whole);
        if (std::fabs(fraction - 0.5) > 0x1p-20)
            return writeScaled<Decimals>(out, whole + (fraction > 0.5 ? 1 : 0));
    }
    const quint64 bits = std::bit_cast<quint64>(value);
    const int biased = int(bits >> 52 & 0x7FF);
    // Non-negative finite values whose scaled value fits 64 bits, rounded in whole numbers:
    // value = mantissa * 2^exponent exactly, so value * 10^decimals is mantissa * 10^decimals
    // (at most 83 bits) shifted, and the bits shifted out decide the rounding.
    if (!(bits >> 63) && biased != 0x7FF) {
        const quint64 fraction = bits & ((quint64(1) << 52) - 1);
        const quint64 mantissa = biased ? fraction | quint64(1) << 52 : fraction;
        const int exponent = biased ? biased - 1075 : -1074;
        const unsigned __int128 scaled = (unsigned __int128)mantissa * Pow10[Decimals];
        unsigned __int128 whole = 0;
        bool fits = true;
        if (exponent >= 0) {
            fits = exponent <= 44 && (scaled << exponent) >> 64 == 0;
            whole = fits ? scaled << exponent : 0;
        } else if (-exponent < 100) {
            const int shift = -exponent;
            whole = scaled >> shift;
            const unsigned __int128 rest = scaled - (whole << shift);
            const unsigned __int128 half = (unsigned __int128)1 << (shift - 1);
            if (rest > half || (rest == half && (whole & 1)))
                ++whole;
            fits = whole >> 64 == 0;
        } // else below half a unit of the last decimal: 0
        if (fits) {
            const quint64 n = quint64(whole);
            const quint64 units = n / Pow10[Decimals];
            if (units < 10)
                *out++ = char('0' + units);
            else
                out = writeDecimal(out, units);
            if constexpr (Decimals > 0) {
                *out++ = '.';
                writeDigits<Decimals>(out, quint32(n % Pow10[Decimals]));
                out += Decimals;
            }
            return out;
        }
    }
    return std::to_chars(out, out + FixedTextRoom, value, std::chars_format::fixed, Decimals).ptr;
}

} // namespace

char *writeDecimal(char *out, quint64 n)
{
    if (n < 10) {
        *out = char('0' + n);
        return out + 1;
    }
    if (n < 100) {
        std::memcpy(out, &DigitPairs[size_t(2 * n)], 2);
        return out + 2;
    }
    int count = 3;
    if (n <= 0xFFFFFFFFu) {
        for (quint32 bound = 1000; count < 10 && quint32(n) >= bound; bound *= 10)
            ++count;
        writeDigits(out, quint32(n), count);
    } else {
        for (quint64 bound = 1000; count < 20 && n >= bound; bound *= 10)
            ++count;
        writeDigits(out, n, count);
    }
    return out + count;
}

char *writeFixed(char *out, double value, int decimals)
{
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
        return std::to_chars(out, out + FixedTextRoom, value, std::chars_format::fixed, decimals)
            .ptr;
    }
}
