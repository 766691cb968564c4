#include "core/document/oddsdocument.h"

#include "core/text/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr int MaxCount = 36;     // runners and data columns
constexpr int MinColWidth = 320; // twips

const char *const DefaultHeaders[] = {
    "番",   "枠",   "名前", "順位", "オッズ", "当選金", "人気",  "投票金", "単勝",  "騎手",
    "ﾃﾞｰﾀ", "性齢", "ﾃﾞｰﾀ", "内容", "ﾃﾞｰﾀA",  "予想B",  "予想C", "予想D",  "予想E",
};
const char *const DefaultRatioTexts[] = {
    "…", "…", "……", "……", "………", "………", "比率→", "1", "-1", "0", "1", "0", "1", "1",
};
constexpr int DefaultColWidths[] = {320, 320, 1900, 640, 800, 1200, 930,
                                    930, 800, 800,  800, 800, 800,  800};

QString DefaultHeader(int col)
{
    if (col < int(std::size(DefaultHeaders)))
        return QString::fromUtf8(DefaultHeaders[col]);
    return QStringLiteral("予");
}

QString DefaultRatioText(int col)
{
    if (col < int(std::size(DefaultRatioTexts)))
        return QString::fromUtf8(DefaultRatioTexts[col]);
    return QStringLiteral("1");
}

int DefaultColWidth(int col)
{
    return col < int(std::size(DefaultColWidths)) ? DefaultColWidths[col] : 800;
}

constexpr Color BracketBackColors[8] = {
    Rgb(255, 255, 255), Rgb(30, 30, 30),  Rgb(255, 60, 60), Rgb(60, 60, 255),
    Rgb(255, 255, 120), Rgb(50, 255, 50), Rgb(255, 128, 0), Rgb(255, 192, 203),
};
constexpr Color BracketForeColors[8] = {
    Rgb(0, 0, 0), Rgb(250, 250, 250), Rgb(250, 250, 250), Rgb(255, 255, 255),
    Rgb(0, 0, 0), Rgb(0, 0, 0),       Rgb(0, 0, 0),       Rgb(0, 0, 0),
};

Color RankBackColor(int rank)
{
    switch (rank) {
    case 1:
        return Rgb(128, 255, 255);
    case 2:
        return Rgb(255, 255, 150);
    case 3:
        return Rgb(255, 128, 128);
    default:
        return Rgb(199, 199, 199);
    }
}

Color EstimateBackColor(double v)
{
    if (v > 9999.9)
        return Rgb(255, 200, 255);
    if (v < 20)
        return Rgb(255, 255, 0);
    if (v < 40)
        return Rgb(255, 255, 100);
    if (v < 50)
        return Rgb(255, 255, 200);
    return Rgb(220, 220, 220);
}

// Block start column and label row of every first runner 1..n-1, per runner count n.
struct QuinellaLayout
{
    std::vector<int> blockCol;
    std::vector<int> blockRow;
};

const QuinellaLayout *QuinellaLayoutFor(int n)
{
    static const QuinellaLayout layouts[] = {
        /* 2 */ {{0}, {1}},
        /* 3 */ {{0, 3}, {1, 1}},
        /* 4 */ {{0, 3, 3}, {1, 1, 5}},
        /* 5 */ {{0, 3, 3, 0}, {1, 1, 6, 7}},
        /* 6 */ {{0, 3, 6, 6, 3}, {1, 1, 1, 6, 7}},
        /* 7 */ {{0, 3, 6, 6, 3, 0}, {1, 1, 1, 7, 8, 9}},
        /* 8 */ {{0, 3, 6, 9, 9, 6, 3}, {1, 1, 1, 1, 7, 8, 9}},
        /* 9 */ {{0, 3, 6, 9, 9, 6, 3, 0}, {1, 1, 1, 1, 8, 9, 10, 11}},
        /* 10 */ {{0, 3, 6, 9, 12, 12, 9, 6, 3}, {1, 1, 1, 1, 1, 8, 9, 10, 11}},
        /* 11 */ {{0, 3, 6, 9, 12, 12, 9, 6, 3, 0}, {1, 1, 1, 1, 1, 9, 10, 11, 12, 13}},
        /* 12 */
        {{0, 3, 6, 9, 12, 15, 15, 12, 9, 6, 3}, {1, 1, 1, 1, 1, 1, 9, 10, 11, 12, 13}},
        /* 13 */
        {{0, 3, 6, 9, 12, 15, 15, 12, 9, 6, 3, 0}, {1, 1, 1, 1, 1, 1, 10, 11, 12, 13, 14, 15}},
        /* 14 */
        {{0, 3, 6, 9, 12, 15, 18, 18, 15, 12, 9, 6, 3},
         {1, 1, 1, 1, 1, 1, 1, 10, 11, 12, 13, 14, 15}},
        /* 15 */
        {{0, 3, 6, 9, 12, 15, 18, 18, 15, 12, 9, 6, 3, 0},
         {1, 1, 1, 1, 1, 1, 1, 11, 12, 13, 14, 15, 16, 17}},
        /* 16 */
        {{0, 3, 6, 9, 12, 15, 18, 21, 21, 18, 15, 12, 9, 6, 3},
         {1, 1, 1, 1, 1, 1, 1, 1, 12, 13, 14, 15, 16, 17, 18}},
        /* 17 */
        {{0, 3, 6, 9, 12, 15, 18, 21, 21, 18, 15, 12, 9, 6, 3, 0},
         {1, 1, 1, 1, 1, 1, 1, 1, 12, 13, 14, 15, 16, 17, 18, 19}},
        /* 18 */
        {{0, 3, 6, 9, 12, 15, 18, 21, 24, 24, 21, 18, 15, 12, 9, 6, 3},
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 12, 13, 14, 15, 16, 17, 18, 19}},
    };
    if (n < 2 || n > 18)
        return nullptr;
    return &layouts[n - 2];
}

// Used when no window supplies real font metrics: half-width characters (ASCII and
// half-width katakana) are half an em wide, everything else one em; em = point size at 96 dpi.
double EstimatedTextWidth(const QString &text, double pointSize, bool blankAfter)
{
    const double em = pointSize * 96.0 / 72.0;
    double width = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool half = (u >= 0x20 && u <= 0x7e) || (u >= 0xff61 && u <= 0xff9f);
        width += half ? em / 2 : em;
    }
    return blankAfter ? width + em / 2 : width;
}

bool IsHalfWidthText(const QString &text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (!((u >= 0x20 && u <= 0x7e) || (u >= 0xff61 && u <= 0xff9f)))
            return false;
    }
    return true;
}

// EstimatedTextWidth of any half-width text of the given length, blank included: the same
// additions in the same order.
double EstimatedHalfWidthTextWidth(qsizetype length, double pointSize)
{
    const double em = pointSize * 96.0 / 72.0;
    double width = 0;
    for (qsizetype k = 0; k < length; ++k)
        width += em / 2;
    return width + em / 2;
}

// A double result that the calculation cannot use (overflow, division by zero) makes the
// step that produced it fail; the step is then skipped.
bool Usable(double x)
{
    return std::isfinite(x);
}

// The double nearest to x rounded to 15 significant digits, from one product in extended
// precision: a product below 10^15 is off by less than 2^-14, which cannot move its rounding to
// a whole number unless it lies within 1E-4 of a half; those are left to the digits.
std::optional<double> RoundedTo15DigitsByProduct(double x)
{
    static_assert(std::numeric_limits<long double>::digits >= 64);
    static constexpr long double pow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                            1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                            1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L};
    const double a = std::fabs(x);
    if (!(a >= 1e-7 && a < 1e15))
        return std::nullopt;
    // k with 10^14 <= a x 10^k < 10^15, so the product's whole part has 15 digits.
    int e2;
    std::frexp(a, &e2);
    int k = 14 - int(std::floor((e2 - 1) * 0.30102999566398120));
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
    const long double whole = std::floor(p);
    const long double frac = p - whole;
    if (std::fabs(frac - 0.5L) < 1e-4L)
        return std::nullopt;
    // Both below 2^53 and 10^22: exact doubles, so the division is the correctly rounded
    // reading of the 15-digit decimal.
    const double m = double(frac > 0.5L ? whole + 1 : whole);
    const double y = m / double(pow10[k]);
    return x < 0 ? -y : y;
}

// textToNumber(numberToText(x)) without building the text when it cannot change the value: a
// double whose shortest form has at most 15 significant digits reads back as itself.
double ReadBack(double x)
{
    // Whole numbers below 1E15 are written with at most 15 digits and read back unchanged.
    if (std::fabs(x) < 1e15 && x == std::floor(x))
        return x;
    // x is the double nearest to a decimal k / 10^d with few digits (3.5, 1.25): its text is
    // that decimal, which reads back as x.
    static constexpr double scales[] = {10.0, 100.0, 1000.0, 10000.0};
    for (const double scale : scales) {
        const double k = x * scale;
        if (std::fabs(k) < 1e15 && k == std::floor(k) && k / scale == x)
            return x;
    }
    // The text is x rounded to 15 significant digits, and reading it gives the double nearest
    // to that decimal: the same digits and the same correctly rounded reading, without the
    // text. Near the ends of the double range the text's overflow and underflow rules decide.
    if (const std::optional<double> y = RoundedTo15DigitsByProduct(x))
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
double RoundedToHundredths(double x)
{
    const double y = std::fabs(x) * 100;
    if (y < 0x1p30) {
        const double whole = std::floor(y);
        const double frac = y - whole;
        if (std::fabs(frac - 0.5) > 1e-3) {
            const double n = frac > 0.5 ? whole + 1 : whole;
            return x < 0 ? -n / 100 : n / 100; // -00.00 reads back as -0
        }
    }
    return textToNumber(FormatNumber(x, QStringLiteral("00.00")));
}

// "[sign]digits[.digits]" and nothing else, with at most 15 digits after the leading zeros:
// the number it reads as is the double nearest to a decimal of at most 15 digits.
bool IsShortDecimal(const QString &text)
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

// Position of the next fraction slash; "／" is a slash when compared as text.
qsizetype SlashIndex(const QString &text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] == u'/' || text[i] == u'\uff0f')
            return i;
    return -1;
}

// Number of a count or ratio field after its change rule: the text, or the clamped number.
std::optional<QString> ClampedFieldText(const QString &text, int low, int high, int below)
{
    const double v = textToNumber(text);
    int n = RoundHalfEvenToInt(v);
    if (n > high)
        n = high;
    if (n < low)
        n = below;
    if (v == double(n))
        return std::nullopt;
    return QString::number(n);
}

// The change rules keep the counts within 0..36; the clamps only guard the grid size.
int RunnerCountFor(const QString &countText)
{
    const int n = std::clamp(RoundHalfEvenToInt(textToNumber(countText)), 0, MaxCount);
    return n < 3 ? 2 : n;
}

int DataColsFor(const QString &countText)
{
    return std::clamp(RoundHalfEvenToInt(textToNumber(countText)), 0, MaxCount);
}

} // namespace

OddsDocument::OddsDocument()
    : m_kazu{QStringLiteral("18"), QStringLiteral("8")}, m_koujyo(QStringLiteral("85")),
      m_haitou(QStringLiteral("100000")), m_title{
                                              QStringLiteral("タイトル"), QStringLiteral("作成日"),
                                              QStringLiteral("予想"),     QStringLiteral("備考"),
                                              QStringLiteral("備考"),     QStringLiteral("結果")}
{
    runnerTable.setFixedRows(0);
    runnerTable.setFixedCols(1);
    runnerTable.setFontSize(12);
    quinellaMatrix.setFixedRows(0);
    quinellaMatrix.setFixedCols(0);
    quinellaMatrix.setFontSize(twipsPerPixelX * 17 / 20);
    quinellaMatrix.setVisible(false);
    m_built = m_kazu;
}

bool OddsDocument::countsChangeShape() const
{
    return RunnerCountFor(m_kazu[0]) + 2 != runnerTable.rows() ||
           DataColsFor(m_kazu[1]) + FirstDataCol != runnerTable.cols();
}

void OddsDocument::setCountText(int i, const QString &text)
{
    // Out-of-range numbers are replaced at once; a text that reads as 0 (empty, letters) stays.
    m_kazu[size_t(i & 1)] = ClampedFieldText(text, 1, MaxCount, 0).value_or(text);
}

void OddsDocument::setPayoutRatioText(const QString &text)
{
    m_koujyo = ClampedFieldText(text, 1, 100, 1).value_or(text);
}

QString OddsDocument::titleText(int i) const
{
    return (i >= 0 && i < int(m_title.size())) ? m_title[size_t(i)] : QString();
}

void OddsDocument::setTitleText(int i, const QString &text)
{
    if (i >= 0 && i < int(m_title.size()))
        m_title[size_t(i)] = text;
}

void OddsDocument::buildTable()
{
    RunnerCount = RunnerCountFor(m_kazu[0]);
    const int dataCols = DataColsFor(m_kazu[1]);
    m_built = m_kazu;

    Grid &g = runnerTable;
    g.setVisible(false);
    g.setFontSize(12);
    g.setBackColor(Rgb(255, 255, 255));
    g.setForeColor(Rgb(0, 0, 0));
    g.setGridLineWidth(1);

    const int rows = RunnerCount + 2;
    const int cols = dataCols + FirstDataCol;
    g.setSize(rows, cols);
    g.setFixedRows(0);
    g.setFixedCols(1);

    for (int i = 0; i < rows; ++i) {
        const Color back = (i % 2) ? Rgb(240, 240, 240) : Rgb(255, 255, 255);
        for (int c = 0; c < cols; ++c)
            g.setCellBackColor(i, c, back);
    }

    for (int c = 0; c < cols; ++c) {
        if (g.text(HeaderRow, c).isEmpty())
            g.setText(HeaderRow, c, DefaultHeader(c));
        if (g.text(RatioRow, c).isEmpty())
            g.setText(RatioRow, c, DefaultRatioText(c));
        if (c < FirstDataCol) {
            g.setCellBackColor(RatioRow, c, Rgb(80, 80, 80));
            g.setCellForeColor(RatioRow, c, Rgb(200, 200, 200));
        } else {
            g.setCellBackColor(HeaderRow, c, Rgb(230, 230, 230));
            g.setCellBackColor(RatioRow, c, Rgb(230, 250, 230));
        }
        g.setColWidth(c, DefaultColWidth(c));
    }

    const QStringList brackets = BracketTable(RunnerCount);
    for (int r = 1; r <= RunnerCount; ++r) {
        g.setText(r + 1, ColNumber, QString::number(r));
        if (!brackets.isEmpty()) {
            const QString &b = brackets[r - 1];
            const int k = b.toInt() - 1;
            g.setText(r + 1, ColBracket, b);
            g.setCellBackColor(r + 1, ColBracket, BracketBackColors[k]);
            g.setCellForeColor(r + 1, ColBracket, BracketForeColors[k]);
        } else {
            // A light bracket text colour left from an earlier allocation would make the
            // text unreadable on the plain row background.
            g.setCellForeColor(r + 1, ColBracket, NoColor);
        }
    }

    const Color computedBack[4] = {Rgb(255, 200, 200), Rgb(200, 255, 200), Rgb(200, 200, 255),
                                   Rgb(200, 255, 255)};
    for (int j = 0; j < rows; ++j) {
        if (j == RatioRow)
            continue;
        for (int k = 0; k < 4; ++k)
            g.setCellBackColor(j, ColRank + k, computedBack[k]);
    }

    g.setVisible(true);
    recalculate();
}

void OddsDocument::restoreTable(const Grid &table)
{
    Grid &g = runnerTable;
    const int row = g.row();
    const int col = g.col();
    g.setSize(table.rows(), table.cols());
    // Only what differs is written: an undo usually changes a handful of cells.
    for (int r = 0; r < table.rows(); ++r) {
        for (int c = 0; c < table.cols(); ++c) {
            if (g.textRef(r, c) != table.textRef(r, c))
                g.setText(r, c, table.textRef(r, c));
            if (g.cellBackColor(r, c) != table.cellBackColor(r, c))
                g.setCellBackColor(r, c, table.cellBackColor(r, c));
            if (g.cellForeColor(r, c) != table.cellForeColor(r, c))
                g.setCellForeColor(r, c, table.cellForeColor(r, c));
        }
    }
    for (int c = 0; c < table.cols(); ++c)
        g.setColWidth(c, table.colWidth(c));
    m_built = m_kazu;
    RunnerCount = RunnerCountFor(m_kazu[0]);
    g.setCurrent(row, col);
}

void OddsDocument::fitColumnWidths()
{
    Grid &g = runnerTable;
    const double pointSize = g.cellFontSize() + 1;
    const QString blank = QStringLiteral(" ");
    // Estimated, a longer half-width text is never narrower (each character adds the same
    // positive amount) and the widest text decides, so of those only the longest is measured.
    const double em = pointSize * 96.0 / 72.0;
    const bool byLength = !m_measurer && em > 0 && std::isfinite(em) && twipsPerPixelX > 0 &&
                          std::isfinite(twipsPerPixelX);
    for (int c = 0; c < g.cols(); ++c) {
        double w = MinColWidth;
        qsizetype longestHalfWidth = -1;
        for (int i = 0; i < g.rows(); ++i) {
            const QString &text = g.textRef(i, c);
            if (byLength && IsHalfWidthText(text)) {
                longestHalfWidth = std::max(longestHalfWidth, text.size());
                continue;
            }
            // Each text is measured with one blank after it.
            const double px = m_measurer ? m_measurer->textWidth(text + blank, pointSize)
                                         : EstimatedTextWidth(text, pointSize, true);
            const double m = px * twipsPerPixelX;
            if (m > w)
                w = m;
        }
        if (longestHalfWidth >= 0) {
            const double m =
                EstimatedHalfWidthTextWidth(longestHalfWidth, pointSize) * twipsPerPixelX;
            if (m > w)
                w = m;
        }
        g.setColWidth(c, RoundHalfEvenToInt(w));
    }
}

void OddsDocument::recalculate()
{
    quinellaMatrix.setVisible(false);
    SuperOdds();
    // After the new values are written, so the computed columns fit them.
    fitColumnWidths();
}

QStringList OddsDocument::columnContributions(int col, const double &ratio) const
{
    QStringList texts;
    ColumnContribution(col, ratio, &texts);
    return texts;
}

std::vector<double> OddsDocument::SupportScores() const
{
    const int n = std::max(RunnerCount, 0);
    std::vector<double> score(size_t(n) + 1, 0.0);
    for (int c = FirstDataCol; c < runnerTable.cols(); ++c) {
        const double w = textToNumber(runnerTable.textRef(RatioRow, c));
        if (w == 0 || !Usable(w))
            continue;
        const std::vector<double> contribution = ColumnContribution(c, w, nullptr);
        for (int r = 1; r <= n; ++r) {
            const double sum = score[size_t(r)] + contribution[size_t(r)];
            if (Usable(sum))
                score[size_t(r)] = sum;
        }
    }
    return score;
}

std::vector<double> OddsDocument::ColumnContribution(int col, double ratio,
                                                     QStringList *texts) const
{
    const int n = std::max(RunnerCount, 0);
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
        if (const qsizetype slash = SlashIndex(cell, 0); slash >= 0) {
            // The first two parts of cell + "/1" split at every slash, read in place.
            qsizetype end = SlashIndex(cell, slash + 1);
            if (end < 0)
                end = cell.size();
            const double den =
                textToNumber(QString::fromRawData(cell.constData() + slash + 1, end - slash - 1));
            const double q = textToNumber(QString::fromRawData(cell.constData(), slash)) / den;
            if (den == 0)
                number = 0;
            else if (Usable(q))
                number = ReadBack(q), readBack = true;
            else
                number = textToNumber(cell); // the division failed: the cell stays as it is
        } else {
            number = textToNumber(cell);
            readBack = IsShortDecimal(cell);
        }
        const double x = number * std::abs(ratio);
        if (!Usable(x))
            continue; // the entry stays empty
        // Reading back twice gives the same number: in the normal range a decimal of at most
        // 15 digits survives the trip through a double unchanged.
        const bool same = readBack && x == number && std::fabs(x) > 1e-300 && std::fabs(x) < 1e300;
        value[size_t(i)] = same ? x : ReadBack(x);
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

    const double pool = textToNumber(m_haitou);
    std::vector<double> k(size_t(n) + 1, 0.0);
    Fixed4 sumK;
    for (int i = 1; i <= n; ++i) {
        const double vi = value[size_t(i)];
        const double ki = vi > 0 ? pool / vi : 0.0;
        if (!Usable(ki))
            continue;
        k[size_t(i)] = ki;
        if (const std::optional<Fixed4> sum = Fixed4::fromDouble(sumK.toDouble() + ki))
            sumK = *sum;
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
        if (!Usable(share))
            continue;
        if (texts) {
            const QString text = FormatNumber(share, QStringLiteral("00.00"));
            value[size_t(i)] = textToNumber(text);
            (*texts)[i] = text;
        } else {
            value[size_t(i)] = RoundedToHundredths(share);
        }
    }
    return value;
}

void OddsDocument::SuperOdds()
{
    Grid &g = runnerTable;
    const int n = std::max(RunnerCount, 0);
    g.setVisible(false);

    const double payoutRatio = textToNumber(m_koujyo) / 100;

    // Pool: the stake columns, unless they hold nothing sensible.
    double stakeTotal = 0;
    for (int c = FirstDataCol; c < g.cols(); ++c) {
        if (!TextContains(g.textRef(HeaderRow, c), QStringLiteral("投票金")))
            continue;
        for (int r = 1; r <= n; ++r) {
            const double sum = stakeTotal + textToNumber(g.textRef(r + 1, c));
            if (Usable(sum))
                stakeTotal = sum;
        }
    }
    if (9 < stakeTotal && stakeTotal < 99999999)
        m_haitou = numberToText(stakeTotal);
    else
        m_haitou = QStringLiteral("100000");
    const double pool = textToNumber(m_haitou);

    const std::vector<double> score = SupportScores();

    double total = 0;
    for (int r = 1; r <= n; ++r) {
        const double sum = total + score[size_t(r)];
        if (Usable(sum))
            total = sum;
    }
    if (total == 0) {
        g.setVisible(true);
        return;
    }

    std::vector<double> share(size_t(n) + 1, 0.0);
    for (int r = 1; r <= n; ++r) {
        const double s = score[size_t(r)] / total;
        if (Usable(s))
            share[size_t(r)] = s;
    }

    // The rank list in text order; each item keeps the number its text before the comma
    // reads as and its runner, so the walk below need not split the texts again.
    struct RankItem
    {
        QString text;
        double percent;
        int runner;
    };
    std::vector<RankItem> ranked;
    ranked.reserve(size_t(n));
    for (int r = 1; r <= n; ++r) {
        const double percent = share[size_t(r)] * 100;
        if (!Usable(percent))
            continue;
        g.setText(r + 1, ColSupport, FormatNumber(percent, QStringLiteral("00.000")));
        const QString number = FormatNumber(percent, QStringLiteral("0000.0000"));
        RankItem item{number + QLatin1Char(',') + QString::number(r), textToNumber(number), r};
        const auto at = std::upper_bound(
            ranked.begin(), ranked.end(), item.text,
            [](const QString &t, const RankItem &other) { return t < other.text; });
        ranked.insert(at, std::move(item));
    }
    rankList.clear();
    rankList.reserve(qsizetype(ranked.size()));
    for (const RankItem &item : ranked)
        rankList.append(item.text);

    // Walk from the largest support down; equal percentages share a rank. A percentage too
    // large to compare never shares the rank of its neighbour.
    std::optional<Fixed4> previous;
    int rank = 0;
    const int items = int(ranked.size());
    for (int p = items - 1; p >= 0; --p) {
        const int pos = items - p;
        const std::optional<Fixed4> percent = Fixed4::fromDouble(ranked[size_t(p)].percent);
        const int r = ranked[size_t(p)].runner;
        if (pos == 1 || !percent || !previous || *percent != *previous)
            rank = pos;
        previous = percent;
        g.setText(r + 1, ColRank, QString::number(rank) + QStringLiteral("着"));
        g.setCellBackColor(r + 1, ColRank, RankBackColor(rank));
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
        g.setText(r + 1, ColOdds, FormatNumber(odds, QStringLiteral("0.0")));
        const double payout = pool * share[size_t(r)] * odds;
        if (Usable(payout))
            g.setText(r + 1, ColPayout, FormatNumber(payout, QStringLiteral("0.0")));
    }

    g.setVisible(true);
}

bool OddsDocument::estimateQuinella()
{
    // Without a layout for the runner count field the document stays as it is.
    if (!QuinellaLayoutFor(RoundHalfEvenToInt(textToNumber(m_kazu[0]))))
        return false;

    quinellaMatrix.setFontSize(twipsPerPixelX * 17 / 20);

    const int n = std::max(RunnerCount, 0);
    std::vector<Fixed4> odds(size_t(n) + 1);
    for (int r = 1; r <= n; ++r)
        odds[size_t(r)] =
            Fixed4::fromDouble(textToNumber(runnerTable.text(r + 1, ColOdds))).value_or(Fixed4());

    quinellaList.clear();
    const float ratio = float(textToNumber(m_koujyo) / 100);
    for (int i = 1; i < n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            const std::optional<Fixed4> product = odds[size_t(i)].times(odds[size_t(j)]);
            QString estimate;
            if (product) {
                const double v = double(ratio) * (double(ratio) * product->toDouble());
                estimate = FormatNumber(v, QStringLiteral("#.0"));
            }
            quinellaList.append(QString::number(i) + QLatin1Char('-') + QString::number(j) +
                                QLatin1Char(':') + estimate);
        }
    }

    buildQuinellaMatrix();
    quinellaMatrix.setVisible(true);
    return true;
}

bool OddsDocument::buildQuinellaMatrix()
{
    const int n = RoundHalfEvenToInt(textToNumber(m_kazu[0]));
    const QuinellaLayout *layout = QuinellaLayoutFor(n);
    if (!layout)
        return false;

    Grid &g = quinellaMatrix;
    g.setVisible(false);
    g.setSize(21, 50);
    for (int c = 0; c < 50; ++c)
        g.setColWidth(c, 900);
    g.clear();

    const int cols = *std::max_element(layout->blockCol.begin(), layout->blockCol.end()) + 3;
    const int rows = *std::max_element(layout->blockRow.begin(), layout->blockRow.end()) + 4;
    g.setSize(rows, cols);
    g.clear();
    g.setBackColor(Rgb(240, 240, 240));

    for (int i = 1; i < n; ++i) {
        const int c = layout->blockCol[size_t(i - 1)];
        const int t = layout->blockRow[size_t(i - 1)];
        g.setCellBackColor(t, c, Rgb(200, 200, 200));
        g.setText(t, c + 1, QStringLiteral("■") + QString::number(i) + QStringLiteral("■"));
        g.setCellBackColor(t, c + 1, Rgb(230, 230, 230));
        g.setCellBackColor(t, c + 2, Rgb(20, 20, 20));
        g.setColWidth(c, 720);
        g.setColWidth(c + 1, 1000);
        g.setColWidth(c + 2, 60);
    }

    for (const QString &item : std::as_const(quinellaList)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const QString pair = item.left(colon);
        const QString estimate = colon < 0 ? QString() : item.mid(colon + 1);
        const QStringList ij = pair.split(QLatin1Char('-'));
        const int i = RoundHalfEvenToInt(textToNumber(ij.value(0)));
        const int j = RoundHalfEvenToInt(textToNumber(ij.value(1)));
        // Items made for another runner count do not fit this layout.
        if (i < 1 || i >= n || j <= i || j > n)
            continue;
        const int c = layout->blockCol[size_t(i - 1)];
        const int row = layout->blockRow[size_t(i - 1)] + (j - i);
        g.setText(row, c, pair);
        g.setCellBackColor(row, c, Rgb(230, 230, 230));
        g.setText(row, c + 1, estimate);
        g.setCellBackColor(row, c + 1, EstimateBackColor(textToNumber(estimate)));
        g.setCellBackColor(row, c + 2, Rgb(20, 20, 20));
    }

    g.setVisible(true);
    return true;
}

double truncateDecimals(double value, int digits)
{
    // Away from a cut point the product decides what the 15-digit text would keep.
    static constexpr double scales[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
    const double a = std::fabs(value);
    if (digits >= 0 && digits <= 4 && a >= 1e-4) {
        const double y = a * scales[digits];
        const double whole = std::floor(y);
        if (y < 1e7 && y - whole > 1e-6 && whole + 1 - y > 1e-6) {
            const double cut = whole / scales[digits];
            return value < 0 ? -cut : cut;
        }
    }
    const QStringList parts =
        (numberToText(value).trimmed() + QStringLiteral(".000")).split(QLatin1Char('.'));
    return textToNumber(parts[0] + QLatin1Char('.') + parts[1].left(std::max(digits, 0)));
}

QStringList BracketTable(int runnerCount)
{
    QStringList out;
    if (runnerCount < 8 || runnerCount > 24)
        return out;
    // The last brackets take the extra runners: one or two per bracket up to 16 runners,
    // two or three beyond.
    const int base = runnerCount <= 16 ? 1 : 2;
    const int bigger = runnerCount - 8 * base; // brackets holding base + 1
    for (int b = 1; b <= 8; ++b) {
        const int count = base + (b > 8 - bigger ? 1 : 0);
        for (int k = 0; k < count; ++k)
            out.append(QString::number(b));
    }
    return out;
}
