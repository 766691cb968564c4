#include "core/text/numbertext.h"

#include "core/text/wholepart.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Reading numbers

namespace {

bool isSkippedBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Cursor over a text that steps over the blanks the reader ignores.
struct NumberCursor
{
    const QChar *p;
    const QChar *end;

    void skipBlanks()
    {
        while (p != end && isSkippedBlank(p->unicode()))
            ++p;
    }
    char16_t peek()
    {
        skipBlanks();
        return p == end ? u'\0' : p->unicode();
    }
    void advance() { ++p; }
};

int digitValue(char16_t c, int base)
{
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c - u'A' + 10;
    return v < base ? v : -1;
}

double clampFinite(double v)
{
    if (std::isinf(v))
        return v > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
    return v;
}

double readWholeNumber(NumberCursor &cur, int base)
{
    double value = 0;
    int d;
    while ((d = digitValue(cur.peek(), base)) >= 0) {
        value = value * base + d;
        cur.advance();
    }
    return clampFinite(value);
}

// Enough significant digits for the correctly rounded double; further digits only decide
// whether the value lies above the kept ones.
constexpr int MaxKeptDigits = 800;

constexpr double ExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common cell "[sign]digits[.digits]" with at most 15 significant digits and at most 22
// decimals, ended by the text's end or by a character that ends any number. It takes the same
// single correctly rounded operation as the full reader; anything else (blanks, an exponent, a
// prefix, longer numbers) is left to the full reader.
bool readPlainDecimal(const QString &text, double &value)
{
    if (text.isEmpty()) {
        value = 0; // no number
        return true;
    }
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == u'-' || *p == u'+')) {
        negative = *p == u'-';
        ++p;
    }
    quint64 mantissa = 0;
    int significant = 0;
    int decimals = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    for (; p != end; ++p) {
        const char16_t c = p->unicode();
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            if (significant > 0 || c != u'0') {
                if (++significant > 15)
                    return false;
                mantissa = mantissa * 10 + (c - u'0');
            }
            if (seenPoint && ++decimals > 22)
                return false;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    if (p != end) {
        const char16_t c = p->unicode();
        if (isSkippedBlank(c) || c == u'E' || c == u'e' || c == u'D' || c == u'd')
            return false;
    }
    if (significant == 0) {
        value = 0; // no sign on zero, as the full reader
        return true;
    }
    // Whole numbers need no division (dividing by 1 changes nothing).
    const double v = decimals == 0 ? double(mantissa) : double(mantissa) / ExactPow10[decimals];
    value = negative ? -v : v;
    return true;
}

// Everything the short way leaves: blanks, prefixes, exponents, long numbers.
[[gnu::noinline]] double readNumber(const QString &text)
{
    NumberCursor cur{text.constData(), text.constData() + text.size()};

    if (cur.peek() == u'&') {
        cur.advance();
        const char16_t kind = cur.peek();
        if (kind == u'H' || kind == u'h') {
            cur.advance();
            return readWholeNumber(cur, 16);
        }
        if (kind == u'O' || kind == u'o') {
            cur.advance();
            return readWholeNumber(cur, 8);
        }
        return 0;
    }

    bool negative = false;
    if (cur.peek() == u'+' || cur.peek() == u'-') {
        negative = cur.peek() == u'-';
        cur.advance();
    }

    char digits[MaxKeptDigits + 1]; // significant digits, no leading zeros
    int nd = 0;
    bool sticky = false; // a non-zero digit beyond the kept ones
    long long pointShift = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    for (;;) {
        const char16_t c = cur.peek();
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            if (nd == 0 && c == u'0') {
                if (seenPoint)
                    --pointShift;
            } else if (nd < MaxKeptDigits) {
                digits[nd++] = char(c);
                if (seenPoint)
                    --pointShift;
            } else {
                sticky = sticky || c != u'0';
                if (!seenPoint)
                    ++pointShift;
            }
            cur.advance();
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            cur.advance();
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;

    long long exponent = 0;
    const char16_t e = cur.peek();
    if (e == u'E' || e == u'e' || e == u'D' || e == u'd') {
        cur.advance();
        bool expNegative = false;
        if (cur.peek() == u'+' || cur.peek() == u'-') {
            expNegative = cur.peek() == u'-';
            cur.advance();
        }
        while (cur.peek() >= u'0' && cur.peek() <= u'9') {
            // Beyond this any exponent overflows or underflows anyway.
            if (exponent < 1000000)
                exponent = exponent * 10 + (cur.peek() - u'0');
            cur.advance();
        }
        if (expNegative)
            exponent = -exponent;
    }

    if (nd == 0)
        return 0;
    if (sticky)
        digits[nd++] = '1';
    const long long totalExp = exponent + pointShift - (sticky ? 1 : 0);
    // Digits of the mantissa written as an integer: value = digits x 10^totalExp.
    const long long magnitudeExp = totalExp + nd;
    double value;
    if (nd <= 15 && totalExp >= -22 && totalExp <= 22) {
        // Mantissa and power of ten are both exact doubles: one correctly rounded operation.
        static constexpr double pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        qint64 mantissa = 0;
        for (int i = 0; i < nd; ++i)
            mantissa = mantissa * 10 + (digits[i] - '0');
        value = double(mantissa);
        value = totalExp < 0 ? value / pow10[-totalExp] : value * pow10[totalExp];
    } else if (magnitudeExp > 400) {
        value = std::numeric_limits<double>::max();
    } else if (magnitudeExp < -400) {
        value = 0;
    } else {
        char buf[MaxKeptDigits + 32];
        std::copy(digits, digits + nd, buf);
        char *end = buf + nd;
        *end++ = 'e';
        end = std::to_chars(end, buf + sizeof buf, totalExp).ptr;
        auto r = std::from_chars(buf, end, value);
        if (r.ec == std::errc::result_out_of_range)
            value = magnitudeExp > 0 ? std::numeric_limits<double>::max() : 0.0;
        value = clampFinite(value);
    }
    return negative ? -value : value;
}

} // namespace

double textToNumber(const QString &text)
{
    if (double v; readPlainDecimal(text, v))
        return v;
    return readNumber(text);
}

// ---------------------------------------------------------------------------------------------
// Writing numbers

namespace {

// Up to 15 significant decimal digits of |x| (trailing zeros removed) and the decimal exponent
// of the first one: x = 0.d1d2... x 10^(exp + 1).
struct Decimal15
{
    std::string digits;
    int exp = 0;
};

Decimal15 toDecimal15(double x)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
    Decimal15 d;
    const char *p = buf;
    for (; p != r.ptr && *p != 'e'; ++p)
        if (*p != '.')
            d.digits.push_back(*p);
    if (p != r.ptr)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, d.exp);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

QString nonFiniteText(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NaN");
    return x > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
}

} // namespace

QString numberToText(double x)
{
    if (!std::isfinite(x))
        return nonFiniteText(x);
    if (x == 0)
        return QStringLiteral("0");
    const Decimal15 d = toDecimal15(x);
    std::string out;
    if (x < 0)
        out.push_back('-');
    const int n = int(d.digits.size());
    if (d.exp >= 15 || d.exp < -4) {
        out.push_back(d.digits[0]);
        if (n > 1) {
            out.push_back('.');
            out.append(d.digits, 1);
        }
        out.push_back('E');
        out.push_back(d.exp < 0 ? '-' : '+');
        const std::string e = std::to_string(std::abs(d.exp));
        if (e.size() < 2)
            out.push_back('0');
        out += e;
    } else if (d.exp < 0) {
        out += "0.";
        out.append(size_t(-d.exp - 1), '0');
        out += d.digits;
    } else {
        const int integerDigits = d.exp + 1;
        if (n <= integerDigits) {
            out += d.digits;
            out.append(size_t(integerDigits - n), '0');
        } else {
            out.append(d.digits, 0, size_t(integerDigits));
            out.push_back('.');
            out.append(d.digits, size_t(integerDigits));
        }
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

NumberMask::NumberMask(const QString &mask)
{
    // Integer positions, optionally "." and decimal positions, each "0" or "#".
    const QChar *const m = mask.constData();
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const char16_t c = m[i].unicode();
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c != u'0' && c != u'#')
            return;
        if (!point) {
            minIntDigits += c == u'0';
        } else {
            ++decimals;
            minFracDigits += c == u'0';
        }
    }
    numeric = !mask.isEmpty();
}

QString formatNumber(double x, const QString &mask)
{
    QString out;
    formatNumberTo(out, x, NumberMask(mask));
    return out;
}

void formatNumberTo(QString &out, double x, const NumberMask &mask)
{
    if (!mask.numeric) {
        out = numberToText(x);
        return;
    }
    if (!std::isfinite(x)) {
        out = nonFiniteText(x);
        return;
    }
    const int decimals = mask.decimals;
    const int minIntDigits = mask.minIntDigits;
    const int minFracDigits = mask.minFracDigits;

    // N = |x| x 10^decimals rounded half away from zero, as decimal digits, at least decimals + 1
    // of them (leading zeros added). Rounding works on the 15-digit decimal form, so 2.675 rounds
    // like the 2.675 it was typed as.
    std::string_view n;
    char fast[32];
    std::string slow;
    // Away from a half the product decides: below 2^30 both the product and the 15-digit form
    // lie within 1E-5 of |x| x 10^decimals, so they round to the same whole number.
    const double y = decimals <= 4 ? std::fabs(x) * ExactPow10[decimals] : 0x1p30;
    const double whole = y < 0x1p30 ? floorOf(y) : 0;
    if (x != 0 && y < 0x1p30 && std::fabs(y - whole - 0.5) > 1e-3) {
        char digits[24];
        const auto rounded = quint64(nearestWhole(whole, y - whole));
        const size_t length =
            size_t(std::to_chars(digits, digits + sizeof digits, rounded).ptr - digits);
        const size_t width = std::max(length, size_t(decimals) + 1);
        char *const start = fast + sizeof fast - width;
        std::fill(start, start + (width - length), '0');
        std::copy(digits, digits + length, start + (width - length));
        n = std::string_view(start, width);
    } else {
        if (x != 0) {
            const Decimal15 d = toDecimal15(x);
            // digits before the rounding point
            const long long integerDigitCount = (long long)d.exp + 1 + decimals;
            const std::string &digits = d.digits;
            if (integerDigitCount >= (long long)digits.size()) {
                slow =
                    digits + std::string(size_t(integerDigitCount - (long long)digits.size()), '0');
            } else if (integerDigitCount < 0) {
                slow = "0";
            } else {
                slow = digits.substr(0, size_t(integerDigitCount));
                const bool up = digits[size_t(integerDigitCount)] >= '5';
                if (slow.empty())
                    slow = "0";
                if (up) {
                    int i = int(slow.size()) - 1;
                    while (i >= 0 && slow[size_t(i)] == '9')
                        slow[size_t(i--)] = '0';
                    if (i < 0)
                        slow.insert(slow.begin(), '1');
                    else
                        ++slow[size_t(i)];
                }
            }
        } else {
            slow = "0";
        }
        if (slow.size() <= size_t(decimals))
            slow.insert(0, size_t(decimals) + 1 - slow.size(), '0');
        n = slow;
    }

    std::string_view integerPart = n.substr(0, n.size() - size_t(decimals));
    std::string_view fracPart = n.substr(n.size() - size_t(decimals));
    integerPart.remove_prefix(std::min(integerPart.find_first_not_of('0'), integerPart.size()));
    const size_t leadingZeros =
        integerPart.size() < size_t(minIntDigits) ? size_t(minIntDigits) - integerPart.size() : 0;
    while (fracPart.size() > size_t(minFracDigits) && fracPart.back() == '0')
        fracPart.remove_suffix(1);

    // Written straight into the result: at most one allocation.
    // Every negative value keeps its sign, also one that rounds to zero (-0.04 -> -0.0).
    const bool sign = x < 0;
    const auto size = qsizetype(sign + leadingZeros + integerPart.size() +
                                (mask.point ? 1 + fracPart.size() : 0));
    if (out.isDetached() && out.capacity() >= size)
        out.resize(size);
    else
        out = QString(size, Qt::Uninitialized);
    QChar *o = out.data();
    if (sign)
        *o++ = u'-';
    for (size_t i = 0; i < leadingZeros; ++i)
        *o++ = u'0';
    for (const char c : integerPart)
        *o++ = QLatin1Char(c);
    if (mask.point) {
        *o++ = u'.';
        for (const char c : fracPart)
            *o++ = QLatin1Char(c);
    }
}

int roundHalfEvenToInt(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<int>::min();
    double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0)
        r -= std::copysign(1.0, x);
    return int(r);
}
