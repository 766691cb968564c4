#include "core/text/text.h"

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
        const int intDigits = d.exp + 1;
        if (n <= intDigits) {
            out += d.digits;
            out.append(size_t(intDigits - n), '0');
        } else {
            out.append(d.digits, 0, size_t(intDigits));
            out.push_back('.');
            out.append(d.digits, size_t(intDigits));
        }
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString FormatNumber(double x, const QString &mask)
{
    // The mask: integer positions, optionally "." and decimal positions, each "0" or "#".
    qsizetype point = -1;
    int decimals = 0;
    int minIntDigits = 0;
    int minFracDigits = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const char16_t c = mask[i].unicode();
        if (c == u'.' && point < 0) {
            point = i;
            continue;
        }
        if (c != u'0' && c != u'#')
            return numberToText(x);
        if (point < 0) {
            minIntDigits += c == u'0';
        } else {
            ++decimals;
            minFracDigits += c == u'0';
        }
    }
    if (mask.isEmpty())
        return numberToText(x);
    if (!std::isfinite(x))
        return nonFiniteText(x);

    // N = |x| x 10^decimals rounded half away from zero, as decimal digits. Rounding works on the
    // 15-digit decimal form, so 2.675 rounds like the 2.675 it was typed as.
    std::string n;
    // Away from a half the product decides: below 2^30 both the product and the 15-digit form
    // lie within 1E-5 of |x| x 10^decimals, so they round to the same whole number.
    const double y = decimals <= 4 ? std::fabs(x) * ExactPow10[decimals] : 0x1p30;
    const double whole = std::floor(y);
    if (x != 0 && y < 0x1p30 && std::fabs(y - whole - 0.5) > 1e-3) {
        char buf[24];
        const auto rounded = quint64(y - whole > 0.5 ? whole + 1 : whole);
        n.assign(buf, std::to_chars(buf, buf + sizeof buf, rounded).ptr);
    } else if (x != 0) {
        const Decimal15 d = toDecimal15(x);
        const long long intCount = (long long)d.exp + 1 + decimals; // digits before rounding point
        std::string digits = d.digits;
        if (intCount >= (long long)digits.size()) {
            n = digits + std::string(size_t(intCount - (long long)digits.size()), '0');
        } else if (intCount < 0) {
            n = "0";
        } else {
            n = digits.substr(0, size_t(intCount));
            const bool up = digits[size_t(intCount)] >= '5';
            if (n.empty())
                n = "0";
            if (up) {
                int i = int(n.size()) - 1;
                while (i >= 0 && n[size_t(i)] == '9')
                    n[size_t(i--)] = '0';
                if (i < 0)
                    n.insert(n.begin(), '1');
                else
                    ++n[size_t(i)];
            }
        }
    } else {
        n = "0";
    }

    if (n.size() <= size_t(decimals))
        n.insert(0, size_t(decimals) + 1 - n.size(), '0');
    std::string_view intPart = std::string_view(n).substr(0, n.size() - size_t(decimals));
    std::string_view fracPart = std::string_view(n).substr(n.size() - size_t(decimals));
    intPart.remove_prefix(std::min(intPart.find_first_not_of('0'), intPart.size()));
    const size_t intZeros =
        intPart.size() < size_t(minIntDigits) ? size_t(minIntDigits) - intPart.size() : 0;
    while (fracPart.size() > size_t(minFracDigits) && fracPart.back() == '0')
        fracPart.remove_suffix(1);

    // Written straight into the result: one allocation.
    // Every negative value keeps its sign, also one that rounds to zero (-0.04 -> -0.0).
    const bool sign = x < 0;
    QString out(
        qsizetype(sign + intZeros + intPart.size() + (point >= 0 ? 1 + fracPart.size() : 0)),
        Qt::Uninitialized);
    QChar *o = out.data();
    if (sign)
        *o++ = u'-';
    for (size_t i = 0; i < intZeros; ++i)
        *o++ = u'0';
    for (const char c : intPart)
        *o++ = QLatin1Char(c);
    if (point >= 0) {
        *o++ = u'.';
        for (const char c : fracPart)
            *o++ = QLatin1Char(c);
    }
    return out;
}

QString FormatDate(const QDate &date, const QString &mask)
{
    if (!date.isValid())
        return QString();
    static const char16_t weekdays[] = u"月火水木金土日"; // Monday first, as QDate counts
    const QString weekday = QString(QChar(weekdays[date.dayOfWeek() - 1]));
    auto padded = [](int v, int width) { return QString::number(v).rightJustified(width, u'0'); };
    QString out;
    qsizetype i = 0;
    auto runOf = [&](QChar c) {
        qsizetype j = i;
        while (j < mask.size() && mask[j].toLower() == c)
            ++j;
        return j - i;
    };
    while (i < mask.size()) {
        const QChar c = mask[i].toLower();
        qsizetype run = 0;
        if (c == u'y') {
            run = runOf(c);
            out += run <= 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4);
        } else if (c == u'm') {
            run = runOf(c);
            out += run >= 2 ? padded(date.month(), 2) : QString::number(date.month());
        } else if (c == u'd') {
            run = runOf(c);
            out += run >= 2 ? padded(date.day(), 2) : QString::number(date.day());
        } else if (c == u'a' && runOf(c) >= 3) {
            run = runOf(c);
            out += weekday;
            if (run >= 4)
                out += QStringLiteral("曜日");
        } else {
            out += mask[i];
            run = 1;
        }
        i += run;
    }
    return out;
}

int RoundHalfEvenToInt(double x)
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

// ---------------------------------------------------------------------------------------------
// Fixed4

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
        const double whole = std::floor(scaled);
        const double frac = scaled - whole;
        if (frac == 0)
            return fromRaw(qint64(whole));
        if (std::fabs(frac - 0.5) > 1e-3)
            return fromRaw(qint64(frac > 0.5 ? whole + 1 : whole));
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

std::optional<Fixed4> Fixed4::times(Fixed4 other) const
{
    return fromWide(divideHalfEven(i128(m_raw) * i128(other.m_raw), 10000));
}

// ---------------------------------------------------------------------------------------------
// Comparison as text

namespace {

// Full-width forms of the half-width katakana block U+FF61..U+FF9F.
constexpr std::array<char16_t, 63> HalfKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

constexpr char16_t HalfVoicedMark = 0xFF9E;
constexpr char16_t HalfSemiVoicedMark = 0xFF9F;

// Full-width katakana with the voiced (or semi-voiced) mark, or 0 when it has none.
char16_t withMark(char16_t kana, bool semi)
{
    if (semi)
        return (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0) ? kana + 2 : 0;
    if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) ||
        (kana >= 0x30C4 && kana <= 0x30C8 && (kana - 0x30C4) % 2 == 0) ||
        (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0))
        return kana + 1;
    switch (kana) {
    case 0x30A6:
        return 0x30F4; // ヴ
    case 0x30EF:
        return 0x30F7;
    case 0x30F2:
        return 0x30FA;
    default:
        return 0;
    }
}

char32_t foldSingle(char32_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    }
    if (c == 0x3000)
        return u' ';
    if (c >= 0xFF61 && c <= 0xFF9F)
        return HalfKana[c - 0xFF61];
    switch (c) {
    case 0xFFE0:
        return 0xA2;
    case 0xFFE1:
        return 0xA3;
    case 0xFFE2:
        return 0xAC;
    case 0xFFE3:
        return 0xAF;
    case 0xFFE4:
        return 0xA6;
    case 0xFFE5:
        return 0xA5;
    case 0xFFE6:
        return 0x20A9;
    default:
        return QChar::toCaseFolded(c);
    }
}

// Folds the character at i; returns the folded character and sets len to the number of UTF-16
// units it consumed (a half-width kana with its mark, or a surrogate pair, takes two).
inline char32_t foldAt(const QChar *s, qsizetype size, qsizetype i, int &len)
{
    const char16_t c = s[i].unicode();
    len = 1;
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char32_t(c + 32) : char32_t(c);
    if (c >= 0xFF66 && c <= 0xFF9D && i + 1 < size) {
        const char16_t next = s[i + 1].unicode();
        if (next == HalfVoicedMark || next == HalfSemiVoicedMark) {
            const char16_t marked = withMark(HalfKana[c - 0xFF61], next == HalfSemiVoicedMark);
            if (marked) {
                len = 2;
                return marked;
            }
        }
    }
    if (QChar::isHighSurrogate(c) && i + 1 < size && s[i + 1].isLowSurrogate()) {
        len = 2;
        return QChar::toCaseFolded(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
    }
    return foldSingle(c);
}

bool isPlainFolded(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || (u >= u'A' && u <= u'Z'))
            return false;
    }
    return true;
}

void appendUcs4(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

// A folded text with, for each folded character, where it starts in the original.
struct Folded
{
    std::vector<char32_t> chars;
    std::vector<qsizetype> origin; // one more entry than chars: the original length
};

Folded foldWithOrigins(QStringView s)
{
    Folded f;
    f.chars.reserve(size_t(s.size()));
    f.origin.reserve(size_t(s.size()) + 1);
    for (qsizetype i = 0; i < s.size();) {
        int len;
        f.chars.push_back(foldAt(s.data(), s.size(), i, len));
        f.origin.push_back(i);
        i += len;
    }
    f.origin.push_back(s.size());
    return f;
}

std::vector<char32_t> foldChars(QStringView s)
{
    std::vector<char32_t> out;
    out.reserve(size_t(s.size()));
    for (qsizetype i = 0; i < s.size();) {
        int len;
        out.push_back(foldAt(s.data(), s.size(), i, len));
        i += len;
    }
    return out;
}

// Index in folded characters of the first match at or after from, or -1.
qsizetype findFolded(const std::vector<char32_t> &hay, const std::vector<char32_t> &needle,
                     size_t from)
{
    if (needle.size() > hay.size() || from > hay.size() - needle.size())
        return -1;
    auto it = std::search(hay.begin() + qsizetype(from), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? -1 : qsizetype(it - hay.begin());
}

size_t foldedIndexAt(const Folded &f, qsizetype from)
{
    return size_t(std::lower_bound(f.origin.begin(), f.origin.end() - 1, from) - f.origin.begin());
}

// Every match (original start, original end) of needle in text, left to right, not overlapping.
std::vector<std::pair<qsizetype, qsizetype>> allMatches(const QString &text, const QString &needle)
{
    std::vector<std::pair<qsizetype, qsizetype>> out;
    if (needle.isEmpty())
        return out;
    const Folded hay = foldWithOrigins(text);
    const std::vector<char32_t> n = foldChars(needle);
    size_t from = 0;
    qsizetype pos;
    while ((pos = findFolded(hay.chars, n, from)) >= 0) {
        out.emplace_back(hay.origin[size_t(pos)], hay.origin[size_t(pos) + n.size()]);
        from = size_t(pos) + n.size();
    }
    return out;
}

} // namespace

QString FoldText(const QString &text)
{
    if (isPlainFolded(text))
        return text;
    QString out;
    out.reserve(text.size());
    const QChar *s = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        int len;
        const char32_t c = foldAt(s, size, i, len);
        appendUcs4(out, c);
        i += len;
    }
    return out;
}

bool TextEquals(const QString &a, const QString &b)
{
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        int la, lb;
        if (foldAt(pa, a.size(), i, la) != foldAt(pb, b.size(), j, lb))
            return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

qsizetype TextIndexOf(const QString &haystack, const QString &needle, qsizetype from)
{
    if (from < 0)
        from = 0;
    if (from > haystack.size())
        return -1;
    const Folded hay = foldWithOrigins(haystack);
    const size_t start = foldedIndexAt(hay, from);
    if (needle.isEmpty())
        return hay.origin[start];
    const qsizetype pos = findFolded(hay.chars, foldChars(needle), start);
    return pos < 0 ? -1 : hay.origin[size_t(pos)];
}

bool TextContains(const QString &haystack, const QString &needle)
{
    // A CJK ideograph folds from itself only, so a text without the needle's first one cannot
    // match: no folded copies to build.
    if (!needle.isEmpty()) {
        const char16_t first = needle[0].unicode();
        if (first >= 0x4E00 && first <= 0x9FFF && !haystack.contains(QChar(first)))
            return false;
    }
    return TextIndexOf(haystack, needle) >= 0;
}

qsizetype TextMatchLength(const QString &text, qsizetype pos, const QString &needle)
{
    if (pos < 0 || pos > text.size())
        return -1;
    const QChar *pt = text.constData();
    const QChar *pn = needle.constData();
    qsizetype i = pos, j = 0;
    while (j < needle.size()) {
        if (i >= text.size())
            return -1;
        int lt, ln;
        if (foldAt(pt, text.size(), i, lt) != foldAt(pn, needle.size(), j, ln))
            return -1;
        i += lt;
        j += ln;
    }
    return i - pos;
}

bool TextStartsWith(const QString &text, const QString &prefix)
{
    return TextMatchLength(text, 0, prefix) >= 0;
}

QStringList TextSplit(const QString &text, const QString &separator)
{
    QStringList out;
    qsizetype start = 0;
    for (const auto &[b, e] : allMatches(text, separator)) {
        out << text.mid(start, b - start);
        start = e;
    }
    out << text.mid(start);
    return out;
}

QString TextReplace(const QString &text, const QString &from, const QString &to)
{
    const auto matches = allMatches(text, from);
    if (matches.empty())
        return text;
    QString out;
    qsizetype start = 0;
    for (const auto &[b, e] : matches) {
        out += QStringView(text).mid(start, b - start);
        out += to;
        start = e;
    }
    out += QStringView(text).mid(start);
    return out;
}

bool TextLike(const QString &text, const QString &pattern)
{
    // Wildcards are the ASCII "*", "?" and "#" of the pattern as written; their full-width
    // forms are ordinary characters.
    enum Kind : char { Literal, AnyRun, AnyOne, Digit };
    std::vector<char32_t> pat;
    std::vector<Kind> kinds;
    for (qsizetype i = 0; i < pattern.size();) {
        const char16_t c = pattern[i].unicode();
        if (c == u'*' || c == u'?' || c == u'#') {
            pat.push_back(c);
            kinds.push_back(c == u'*' ? AnyRun : c == u'?' ? AnyOne : Digit);
            ++i;
            continue;
        }
        int len;
        pat.push_back(foldAt(pattern.constData(), pattern.size(), i, len));
        kinds.push_back(Literal);
        i += len;
    }
    const std::vector<char32_t> t = foldChars(text);

    auto matchOne = [&](size_t pi, size_t ti) {
        switch (kinds[pi]) {
        case AnyOne:
            return true;
        case Digit:
            return t[ti] >= U'0' && t[ti] <= U'9';
        default:
            return t[ti] == pat[pi];
        }
    };
    size_t ti = 0, pi = 0;
    size_t starPi = size_t(-1), starTi = 0;
    while (ti < t.size()) {
        if (pi < pat.size() && kinds[pi] == AnyRun) {
            starPi = pi++;
            starTi = ti;
        } else if (pi < pat.size() && matchOne(pi, ti)) {
            ++pi;
            ++ti;
        } else if (starPi != size_t(-1)) {
            pi = starPi + 1;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < pat.size() && kinds[pi] == AnyRun)
        ++pi;
    return pi == pat.size();
}

QString ToFullWidth(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u == u' ')
            c = QChar(char16_t(0x3000));
        else if (u >= 0x21 && u <= 0x7E)
            c = QChar(char16_t(u + 0xFEE0));
    }
    return out;
}
