// The recalculation: each data column's contribution, the support scores, and from them the
// ranks, odds and payouts of the runner table.
#include "core/document/oddsdocument.h"

#include "core/text/fixed4.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"
#include "core/text/wholepart.h"

#include <QVarLengthArray>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

Color rankBackColor(int rank)
{
    switch (rank) {
    case 1:
        return rgb(128, 255, 255);
    case 2:
        return rgb(255, 255, 150);
    case 3:
        return rgb(255, 128, 128);
    default:
        return rgb(199, 199, 199);
    }
}

// A double result that the calculation cannot use (overflow, division by zero) makes the
// step that produced it fail; the step is then skipped.
bool usable(double x)
{
    return std::isfinite(x);
}

// The double nearest to x rounded to 15 significant digits, from one product in extended
// precision: a product below 10^15 is off by less than 2^-14, which cannot move its rounding to
// a whole number unless it lies within 1E-4 of a half; those are left to the digits.
std::optional<double> roundedTo15DigitsByProduct(double x)
{
    static_assert(std::numeric_limits<long double>::digits >= 64);
    static constexpr long double pow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                            1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                            1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L};
    const double a = std::fabs(x);
    if (!(a >= 1e-7 && a < 1e15))
        return std::nullopt;
    // k with 10^14 <= a x 10^k < 10^15, so the product's whole part has 15 digits.
    // a = m x 2^e2 with 0.5 <= m < 1 (a is normal), read off its bits.
    const int e2 = int((std::bit_cast<quint64>(a) >> 52) & 0x7ff) - 1022;
    int k = 14 - int(floorOf((e2 - 1) * 0.30102999566398120));
    long double p;
    for (int tries = 0;; ++tries) {
        if (k < 0 || k > 22 || tries > 2)
            return std::nullopt;
        p = (long double)a * pow10[k];
        if (p < 1e14L)
            ++k;
        else if (p >= 1e15L)
            --k;
        else
            break;
    }
    const long double whole = (long double)(long long)p; // p is positive
    const long double frac = p - whole;
    if (std::fabs(frac - 0.5L) < 1e-4L)
        return std::nullopt;
    // Both below 2^53 and 10^22: exact doubles, so the division is the correctly rounded
    // reading of the 15-digit decimal.
    const double m = double(whole + (long double)(frac > 0.5L));
    const double y = m / double(pow10[k]);
    return x < 0 ? -y : y;
}

// textToNumber(numberToText(x)) without building the text when it cannot change the value: a
// double whose shortest form has at most 15 significant digits reads back as itself.
double readBackNumber(double x)
{
    // Whole numbers below 1E15 are written with at most 15 digits and read back unchanged.
    if (std::fabs(x) < 1e15 && x == floorOf(x))
        return x;
    // x is the double nearest to a decimal k / 10^d with few digits (3.5, 1.25): its text is
    // that decimal, which reads back as x.
    static constexpr double scales[] = {10.0, 100.0, 1000.0, 10000.0};
    for (const double scale : scales) {
        const double k = x * scale;
        if (std::fabs(k) < 1e15 && k == floorOf(k) && k / scale == x)
            return x;
    }
    // The text is x rounded to 15 significant digits, and reading it gives the double nearest
    // to that decimal: the same digits and the same correctly rounded reading, without the
    // text. Near the ends of the double range the text's overflow and underflow rules decide.
    if (const std::optional<double> y = roundedTo15DigitsByProduct(x))
        return *y;
    char buf[40];
    const double a = std::fabs(x);
    if (a > 1e-300 && a < 1e300) {
        const auto t = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
        double y;
        if (t.ec == std::errc() && std::from_chars(buf, t.ptr, y).ec == std::errc())
            return y;
    }
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    int digits = 0;
    bool leading = true;
    for (const char *p = buf; p != r.ptr && *p != 'e'; ++p) {
        if (*p < '0' || *p > '9')
            continue;
        if (leading && *p == '0')
            continue;
        leading = false;
        ++digits;
    }
    if (r.ec == std::errc() && digits <= 15)
        return x;
    return textToNumber(numberToText(x));
}

// What the "00.00" text of x reads back as: x rounded half away from zero to two decimals.
// Away from a half the product decides; near one the text path decides exactly.
double roundedToHundredths(double x)
{
    const double y = std::fabs(x) * 100;
    if (y < 0x1p30) {
        const double whole = floorOf(y);
        const double frac = y - whole;
        if (std::fabs(frac - 0.5) > 1e-3) {
            const double n = nearestWhole(whole, frac);
            return x < 0 ? -n / 100 : n / 100; // -00.00 reads back as -0
        }
    }
    return textToNumber(formatNumber(x, QStringLiteral("00.00")));
}

// "[sign]digits[.digits]" and nothing else, with at most 15 digits after the leading zeros:
// the number it reads as is the double nearest to a decimal of at most 15 digits.
bool isShortDecimal(const QString &text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    int significant = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            if ((significant > 0 || c != u'0') && ++significant > 15)
                return false;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            return false;
        }
    }
    return anyDigit;
}

bool isDigit(QChar c)
{
    return char16_t(c.unicode() - u'0') <= 9;
}

// A plain decimal "[sign]digits[.digits]" with at most 15 significant digits and at most 22
// decimals, from p up to the first character that is not part of it: the double nearest to it
// (one correctly rounded division, as the reader does). False when the text there is not one.
bool scanPlainDecimal(const QChar *&p, const QChar *end, double &value)
{
    static constexpr double pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const QChar *q = p;
    bool negative = false;
    if (q != end && (*q == u'-' || *q == u'+')) {
        negative = *q == u'-';
        ++q;
    }
    const QChar *const wholeStart = q;
    while (q != end && *q == u'0') // leading zeros are not significant
        ++q;
    const QChar *significantStart = q;
    quint64 mantissa = 0;
    for (; q != end && isDigit(*q); ++q)
        mantissa = mantissa * 10 + (q->unicode() - u'0');
    qsizetype significant = q - significantStart;
    bool anyDigit = q != wholeStart;
    qsizetype decimals = 0;
    if (q != end && *q == u'.') {
        const QChar *const fractionStart = ++q;
        if (significant == 0)
            while (q != end && *q == u'0')
                ++q;
        significantStart = q;
        for (; q != end && isDigit(*q); ++q)
            mantissa = mantissa * 10 + (q->unicode() - u'0');
        significant += q - significantStart;
        decimals = q - fractionStart;
        anyDigit = anyDigit || decimals > 0;
    }
    if (!anyDigit || significant > 15 || decimals > 22)
        return false;
    p = q;
    const double v = decimals == 0 ? double(mantissa) : double(mantissa) / pow10[decimals];
    value = significant == 0 ? 0.0 : negative ? -v : v; // no sign on zero, as the reader
    return true;
}

// The two forms nearly every data cell has, read in one pass: a plain decimal, and a fraction
// "a/b" of two plain decimals. number is what the general rules below give for them, readBack
// whether it is already what its own text reads back as. False for every other form.
bool readCommonCell(const QString &cell, double &number, bool &readBack)
{
    const QChar *p = cell.constData();
    const QChar *const end = p + cell.size();
    double a;
    if (!scanPlainDecimal(p, end, a))
        return false;
    if (p == end) {
        number = a;
        readBack = true;
        return true;
    }
    if (*p != u'/')
        return false;
    ++p;
    double b;
    if (!scanPlainDecimal(p, end, b) || p != end)
        return false;
    // Both parts below 1E15 and the divisor at least 1E-22: the quotient is finite.
    if (b == 0) {
        number = 0;
        readBack = false;
    } else {
        number = readBackNumber(a / b);
        readBack = true;
    }
    return true;
}

// The decimal digits of n, to build a text around them without a temporary QString.
class Digits
{
public:
    explicit Digits(int n)
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        m_size = std::copy(digits, end, m_chars) - m_chars;
    }
    QStringView view() const { return QStringView(m_chars, m_size); }

private:
    char16_t m_chars[16];
    qsizetype m_size;
};

// Position of the next fraction slash; "／" is a slash when compared as text.
qsizetype slashIndex(const QString &text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] == u'/' || text[i] == u'\uff0f')
            return i;
    return -1;
}

} // namespace

void OddsDocument::recalculate()
{
    m_quinellaInFront = false;
    computeValues();
    // After the new values are written, so the computed columns fit them.
    fitColumnWidths();
}

QStringList OddsDocument::columnContributions(int col, const double &ratio) const
{
    QStringList texts;
    columnContribution(col, ratio, &texts);
    return texts;
}

std::vector<double> OddsDocument::supportScores() const
{
    const int n = std::max(runnerCount, 0);
    std::vector<double> score(size_t(n) + 1, 0.0);
    for (int c = FirstDataCol; c < runnerTable.cols(); ++c) {
        const double w = textToNumber(runnerTable.textRef(RatioRow, c));
        if (w == 0 || !usable(w))
            continue;
        const std::vector<double> contribution = columnContribution(c, w, nullptr);
        for (int r = 1; r <= n; ++r) {
            const double sum = score[size_t(r)] + contribution[size_t(r)];
            if (usable(sum))
                score[size_t(r)] = sum;
        }
    }
    return score;
}

std::vector<double> OddsDocument::columnContribution(int col, double ratio,
                                                     QStringList *texts) const
{
    const int n = std::max(runnerCount, 0);
    if (texts) {
        texts->clear();
        texts->reserve(n + 1);
        for (int i = 0; i <= n; ++i)
            texts->append(QString());
    }
    std::vector<double> value(size_t(n) + 1, 0.0);

    for (int i = 1; i <= n; ++i) {
        const QString &cell = runnerTable.textRef(i + 1, col);
        double number;
        bool readBack = false; // number is already what its own text reads back as
        if (readCommonCell(cell, number, readBack)) {
            // read in one pass
        } else if (const qsizetype slash = slashIndex(cell, 0); slash >= 0) {
            // The first two parts of cell + "/1" split at every slash, read in place.
            qsizetype end = slashIndex(cell, slash + 1);
            if (end < 0)
                end = cell.size();
            const double den =
                textToNumber(QString::fromRawData(cell.constData() + slash + 1, end - slash - 1));
            const double q = textToNumber(QString::fromRawData(cell.constData(), slash)) / den;
            if (den == 0)
                number = 0;
            else if (usable(q))
                number = readBackNumber(q), readBack = true;
            else
                number = textToNumber(cell); // the division failed: the cell stays as it is
        } else {
            number = textToNumber(cell);
            readBack = isShortDecimal(cell);
        }
        const double x = number * std::abs(ratio);
        if (!usable(x))
            continue; // the entry stays empty
        // Reading back twice gives the same number: in the normal range a decimal of at most
        // 15 digits survives the trip through a double unchanged.
        const bool same = readBack && x == number && std::fabs(x) > 1e-300 && std::fabs(x) < 1e300;
        value[size_t(i)] = same ? x : readBackNumber(x);
        if (texts)
            (*texts)[i] = numberToText(x);
    }
    if (ratio >= 0)
        return value;

    // A column of odds: each runner's implied share of the pool, in percent.
    // Only whether the entries' ten-thousandths add up to zero matters here. Without negative
    // entries one of 0.0001 up to 1E8 (at least one ten-thousandth, no overflow) settles it:
    // every later addition is non-negative or, overflowing, skipped.
    bool anyNegative = false;
    bool anyCounted = false;
    for (int i = 1; i <= n; ++i) {
        const double v = value[size_t(i)];
        anyNegative = anyNegative || v < 0;
        anyCounted = anyCounted || (v >= 0.0001 && v < 1e8);
    }
    if (anyNegative || !anyCounted) {
        Fixed4 total;
        for (int i = 1; i <= n; ++i) {
            const std::optional<Fixed4> f = Fixed4::fromDouble(value[size_t(i)]);
            if (!f)
                continue;
            if (const std::optional<Fixed4> sum = total.plus(*f))
                total = *sum;
        }
        if (total == Fixed4())
            return value;
    }

    const double pool = textToNumber(m_poolText);
    std::vector<double> k(size_t(n) + 1, 0.0);
    Fixed4 sumK;
    for (int i = 1; i <= n; ++i) {
        const double vi = value[size_t(i)];
        const double ki = vi > 0 ? pool / vi : 0.0;
        if (!usable(ki))
            continue;
        k[size_t(i)] = ki;
        sumK = sumK.plusRounded(ki);
    }
    // No positive odds at all: there is no implied stake, so the column adds nothing.
    if (sumK.raw() <= 0) {
        for (int i = 1; i <= n; ++i) {
            value[size_t(i)] = 0;
            if (texts)
                (*texts)[i] = QStringLiteral("0");
        }
        return value;
    }
    const double s = sumK.toDouble();
    for (int i = 1; i <= n; ++i) {
        const double share = k[size_t(i)] / s * 100;
        if (!usable(share))
            continue;
        if (texts) {
            const QString text = formatNumber(share, QStringLiteral("00.00"));
            value[size_t(i)] = textToNumber(text);
            (*texts)[i] = text;
        } else {
            value[size_t(i)] = roundedToHundredths(share);
        }
    }
    return value;
}

void OddsDocument::computeValues()
{
    Grid &g = runnerTable;
    const int n = std::max(runnerCount, 0);

    const double payoutRatio = textToNumber(m_payoutRatioText) / 100;

    // Pool: the stake columns, unless they hold nothing sensible.
    double stakeTotal = 0;
    for (int c = FirstDataCol; c < g.cols(); ++c) {
        if (!textContains(g.textRef(HeaderRow, c), QStringLiteral("投票金")))
            continue;
        for (int r = 1; r <= n; ++r) {
            const double sum = stakeTotal + textToNumber(g.textRef(r + 1, c));
            if (usable(sum))
                stakeTotal = sum;
        }
    }
    if (9 < stakeTotal && stakeTotal < 99999999)
        m_poolText = numberToText(stakeTotal);
    else
        m_poolText = QStringLiteral("100000");
    const double pool = textToNumber(m_poolText);

    const std::vector<double> score = supportScores();

    double total = 0;
    for (int r = 1; r <= n; ++r) {
        const double sum = total + score[size_t(r)];
        if (usable(sum))
            total = sum;
    }
    if (total == 0) {
        return;
    }

    std::vector<double> share(size_t(n) + 1, 0.0);
    for (int r = 1; r <= n; ++r) {
        const double s = score[size_t(r)] / total;
        if (usable(s))
            share[size_t(r)] = s;
    }

    // The texts are formatted into one reused text and written only where they differ, so
    // recalculating unchanged figures allocates nothing.
    const NumberMask supportMask(QStringLiteral("00.000"));
    const NumberMask rankMask(QStringLiteral("0000.0000"));
    const NumberMask oddsMask(QStringLiteral("0.0"));
    QString text;

    // The rank list in text order; each item keeps the number its text before the comma
    // reads as and its runner, so the walk below need not split the texts again.
    struct RankItem
    {
        QVarLengthArray<QChar, 24> text;
        double percent;
        int runner;

        QStringView view() const { return QStringView(text.data(), text.size()); }
    };
    std::vector<RankItem> ranked;
    ranked.reserve(size_t(n));
    for (int r = 1; r <= n; ++r) {
        const double percent = share[size_t(r)] * 100;
        if (!usable(percent))
            continue;
        formatNumberTo(text, percent, supportMask);
        g.updateText(r + 1, ColSupport, text);
        formatNumberTo(text, percent, rankMask);
        RankItem &item = ranked.emplace_back(RankItem{{}, textToNumber(text), r});
        const Digits runner(r);
        item.text.reserve(text.size() + 1 + runner.view().size());
        item.text.append(text.constData(), text.size());
        item.text.append(QLatin1Char(','));
        item.text.append(runner.view().data(), runner.view().size());
    }
    // Equal texts keep the runners' order.
    std::vector<int> order(ranked.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&ranked](int a, int b) {
        return ranked[size_t(a)].view() < ranked[size_t(b)].view();
    });
    const qsizetype items = qsizetype(ranked.size());
    if (rankList.size() != items) {
        rankList.clear();
        rankList.reserve(items);
        for (const int i : order)
            rankList.append(ranked[size_t(i)].view().toString());
    } else {
        for (qsizetype i = 0; i < items; ++i) {
            const QStringView item = ranked[size_t(order[size_t(i)])].view();
            if (rankList.at(i) != item)
                rankList[i] = item.toString();
        }
    }

    // Walk from the largest support down; equal percentages share a rank. A percentage too
    // large to compare never shares the rank of its neighbour.
    std::optional<Fixed4> previous;
    int rank = 0;
    for (qsizetype p = items - 1; p >= 0; --p) {
        const int pos = int(items - p);
        const RankItem &item = ranked[size_t(order[size_t(p)])];
        const std::optional<Fixed4> percent = Fixed4::fromDouble(item.percent);
        const int r = item.runner;
        if (pos == 1 || !percent || !previous || *percent != *previous)
            rank = pos;
        previous = percent;
        const Digits digits(rank);
        text.resize(digits.view().size());
        std::copy(digits.view().begin(), digits.view().end(), text.begin());
        text.append(u'着');
        g.updateText(r + 1, ColRank, text);
        g.setCellBackColor(r + 1, ColRank, rankBackColor(rank));
    }

    std::vector<Fixed4> stake(size_t(n) + 1);
    Fixed4 stakeSum;
    for (int r = 1; r <= n; ++r) {
        const std::optional<Fixed4> s =
            Fixed4::fromDouble(pool * textToNumber(g.textRef(r + 1, ColSupport)));
        if (!s)
            continue;
        stake[size_t(r)] = *s;
        if (const std::optional<Fixed4> sum = stakeSum.plus(*s))
            stakeSum = *sum;
    }
    const double payoutPool = stakeSum.toDouble() * payoutRatio;

    for (int r = 1; r <= n; ++r) {
        if (stake[size_t(r)] == Fixed4()) {
            g.setText(r + 1, ColOdds, QString());
            g.setText(r + 1, ColPayout, QString());
            continue;
        }
        double odds = payoutPool / stake[size_t(r)].toDouble();
        if (!(odds >= 0.1))
            odds = 0.1;
        if (odds > 9999)
            odds = 9999;
        odds = truncateDecimals(odds, 1);
        formatNumberTo(text, odds, oddsMask);
        g.updateText(r + 1, ColOdds, text);
        const double payout = pool * share[size_t(r)] * odds;
        if (usable(payout)) {
            formatNumberTo(text, payout, oddsMask);
            g.updateText(r + 1, ColPayout, text);
        }
    }
}

double truncateDecimals(double value, int digits)
{
    // Away from a cut point the product decides what the 15-digit text would keep.
    static constexpr double scales[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
    const double a = std::fabs(value);
    if (digits >= 0 && digits <= 4 && a >= 1e-4) {
        const double y = a * scales[digits];
        const double whole = y < 1e7 ? floorOf(y) : 0;
        if (y < 1e7 && y - whole > 1e-6 && whole + 1 - y > 1e-6) {
            const double cut = whole / scales[digits];
            return value < 0 ? -cut : cut;
        }
    }
    const QStringList parts =
        (numberToText(value).trimmed() + QStringLiteral(".000")).split(QLatin1Char('.'));
    return textToNumber(parts[0] + QLatin1Char('.') + parts[1].left(std::max(digits, 0)));
}
