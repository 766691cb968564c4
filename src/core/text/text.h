#pragma once
// Numbers and texts as every part of the program reads and writes them.

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// Reads the leading number of a text: blanks, tabs and line feeds before it and blanks
// inside it are skipped; sign, digits, one "." and an exponent (E or D); "&H"/"&O" prefixes.
// Reading stops at the first other character; no number gives 0. "1,000" reads as 1.
// Only ASCII digits count (full-width "１２" reads as 0). Beyond the double range the result is
// the largest finite double with the sign; too small magnitudes give 0. Never infinite or NaN.
double textToNumber(const QString &text);

// Shortest text of a double with at most 15 significant digits ("1.5", "-2", "1E+15").
// Exponent form when |x| >= 1E15 or |x| < 1E-4 after rounding ("1E-05"); "NaN", "Inf", "-Inf".
QString numberToText(double x);

// Formats with one of the number masks "0.0", "00.00", "00.000", "0000.0000", "#.0", "0", "00",
// "0000": halves away from zero, extra integer digits all shown, "#" drops a leading zero.
// Rounds the 15-digit decimal form (2.675 -> "2.68"); a result that rounds to zero has no "-".
// Any other mask writes numberToText(x).
QString FormatNumber(double x, const QString &mask);

// "yyyy/mm/dd" or "yyyy年mm月dd日(aaa)" (aaa = one-character Japanese weekday).
QString FormatDate(const QDate &date, const QString &mask);

// Rounds to a whole number, halves to the even neighbour; saturates outside the int range.
int RoundHalfEvenToInt(double x);

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
    // Product rounded to four decimals, halves to even.
    std::optional<Fixed4> times(Fixed4 other) const;

    friend constexpr bool operator==(Fixed4 a, Fixed4 b) = default;
    friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) = default;

private:
    qint64 m_raw = 0;
};

// Comparison "as text": letter case and full-width/half-width forms are folded
// (half-width katakana with voiced marks equal their full-width forms: ｵｯｽﾞ = オッズ).
QString FoldText(const QString &text);
bool TextEquals(const QString &a, const QString &b);
// Position (in the original text) of the first match of needle at or after from, or -1.
qsizetype TextIndexOf(const QString &haystack, const QString &needle, qsizetype from = 0);
bool TextContains(const QString &haystack, const QString &needle);
bool TextStartsWith(const QString &text, const QString &prefix);
// Number of characters of text from pos that equal needle as text, or -1 when they do not.
qsizetype TextMatchLength(const QString &text, qsizetype pos, const QString &needle);
// Splits at every separator matched as text (so "，" splits like ","). Keeps empty fields;
// an empty text gives one empty field, an empty separator the whole text.
QStringList TextSplit(const QString &text, const QString &separator);
// Replaces every match of from (as text) by to.
QString TextReplace(const QString &text, const QString &from, const QString &to);
// Pattern match as text: "*" any run, "?" any one character, "#" one digit.
bool TextLike(const QString &text, const QString &pattern);

// Full-width form of the printable ASCII characters of text (digits "1" -> "１").
QString ToFullWidth(const QString &text);
