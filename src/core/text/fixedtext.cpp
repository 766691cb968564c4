#include "core/text/fixedtext.h"

#include <bit>
#include <charconv>

namespace FixedTextDetail {

namespace {

template <int Decimals> char *writeExactAt(char *out, double value)
{
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
            out = writeDecimal(out, n / Pow10[Decimals]);
            if constexpr (Decimals > 0) {
                *out++ = '.';
                out = writeDigits<Decimals>(out, quint32(n % Pow10[Decimals]));
            }
            return out;
        }
    }
    return std::to_chars(out, out + FixedTextRoom, value, std::chars_format::fixed, Decimals).ptr;
}

} // namespace

char *writeFrom100(char *out, quint64 n)
{
    if (n < 1000000000)
        return writeBelowBillion(out, quint32(n));
    out = writeDecimal(out, n / 1000000000);
    return writeDigits<9>(out, quint32(n % 1000000000));
}

char *writeFixedExact(char *out, double value, int decimals)
{
    static constexpr char *(*const ByDecimals[])(char *, double) = {
        writeExactAt<0>, writeExactAt<1>, writeExactAt<2>, writeExactAt<3>, writeExactAt<4>,
        writeExactAt<5>, writeExactAt<6>, writeExactAt<7>, writeExactAt<8>, writeExactAt<9>};
    if (decimals >= 0 && decimals <= 9)
        return ByDecimals[decimals](out, value);
    return std::to_chars(out, out + FixedTextRoom, value, std::chars_format::fixed, decimals).ptr;
}

} // namespace FixedTextDetail
