#include "core/document/oddsdocument.h"

#include "core/text/numbertext.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

QString defaultHeader(int col)
{
    if (col < int(std::size(DefaultHeaders)))
        return QString::fromUtf8(DefaultHeaders[col]);
    return QStringLiteral("予");
}

QString defaultRatioText(int col)
{
    if (col < int(std::size(DefaultRatioTexts)))
        return QString::fromUtf8(DefaultRatioTexts[col]);
    return QStringLiteral("1");
}

int defaultColWidth(int col)
{
    return col < int(std::size(DefaultColWidths)) ? DefaultColWidths[col] : 800;
}

constexpr Color BracketBackColors[8] = {
    rgb(255, 255, 255), rgb(30, 30, 30),  rgb(255, 60, 60), rgb(60, 60, 255),
    rgb(255, 255, 120), rgb(50, 255, 50), rgb(255, 128, 0), rgb(255, 192, 203),
};
constexpr Color BracketForeColors[8] = {
    rgb(0, 0, 0), rgb(250, 250, 250), rgb(250, 250, 250), rgb(255, 255, 255),
    rgb(0, 0, 0), rgb(0, 0, 0),       rgb(0, 0, 0),       rgb(0, 0, 0),
};

// Used when no window supplies real font metrics: half-width characters (ASCII and
// half-width katakana) are half an em wide, everything else one em; em = point size at 96 dpi.
double estimatedTextWidth(const QString &text, double pointSize, bool blankAfter)
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

// Number of a count or ratio field after its change rule: the text, or the clamped number.
std::optional<QString> clampedFieldText(const QString &text, int low, int high, int below)
{
    const double v = textToNumber(text);
    int n = roundHalfEvenToInt(v);
    if (n > high)
        n = high;
    if (n < low)
        n = below;
    if (v == double(n))
        return std::nullopt;
    return QString::number(n);
}

// The change rules keep the counts within 0..36; the clamps only guard the grid size.
int runnerCountFor(const QString &countText)
{
    const int n = std::clamp(roundHalfEvenToInt(textToNumber(countText)), 0, MaxCount);
    return n < 3 ? 2 : n;
}

int dataColsFor(const QString &countText)
{
    return std::clamp(roundHalfEvenToInt(textToNumber(countText)), 0, MaxCount);
}

} // namespace

OddsDocument::OddsDocument()
    : m_countTexts{QStringLiteral("18"), QStringLiteral("8")},
      m_payoutRatioText(QStringLiteral("85")),
      m_poolText(QStringLiteral("100000")), m_title{QStringLiteral("タイトル"),
                                                    QStringLiteral("作成日"),
                                                    QStringLiteral("予想"),
                                                    QStringLiteral("備考"),
                                                    QStringLiteral("備考"),
                                                    QStringLiteral("結果")}
{
    runnerTable.setFixedRows(0);
    runnerTable.setFixedCols(1);
    runnerTable.setFontSize(12);
    quinellaMatrix.setFixedRows(0);
    quinellaMatrix.setFixedCols(0);
    quinellaMatrix.setFontSize(twipsPerPixelX * 17 / 20);
    m_quinellaInFront = false;
    m_built = m_countTexts;
}

bool OddsDocument::countsChangeShape() const
{
    return runnerCountFor(m_countTexts[0]) + 2 != runnerTable.rows() ||
           dataColsFor(m_countTexts[1]) + FirstDataCol != runnerTable.cols();
}

void OddsDocument::setCountText(int i, const QString &text)
{
    // Out-of-range numbers are replaced at once; a text that reads as 0 (empty, letters) stays.
    m_countTexts[size_t(i & 1)] = clampedFieldText(text, 1, MaxCount, 0).value_or(text);
}

void OddsDocument::setPayoutRatioText(const QString &text)
{
    m_payoutRatioText = clampedFieldText(text, 1, 100, 1).value_or(text);
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
    runnerCount = runnerCountFor(m_countTexts[0]);
    const int dataCols = dataColsFor(m_countTexts[1]);
    m_built = m_countTexts;

    Grid &g = runnerTable;
    g.setFontSize(12);
    g.setBackColor(rgb(255, 255, 255));
    g.setForeColor(rgb(0, 0, 0));
    g.setGridLineWidth(1);

    const int rows = runnerCount + 2;
    const int cols = dataCols + FirstDataCol;
    g.setSize(rows, cols);
    g.setFixedRows(0);
    g.setFixedCols(1);

    for (int i = 0; i < rows; ++i) {
        const Color back = (i % 2) ? rgb(240, 240, 240) : rgb(255, 255, 255);
        for (int c = 0; c < cols; ++c)
            g.setCellBackColor(i, c, back);
    }

    for (int c = 0; c < cols; ++c) {
        if (g.text(HeaderRow, c).isEmpty())
            g.setText(HeaderRow, c, defaultHeader(c));
        if (g.text(RatioRow, c).isEmpty())
            g.setText(RatioRow, c, defaultRatioText(c));
        if (c < FirstDataCol) {
            g.setCellBackColor(RatioRow, c, rgb(80, 80, 80));
            g.setCellForeColor(RatioRow, c, rgb(200, 200, 200));
        } else {
            g.setCellBackColor(HeaderRow, c, rgb(230, 230, 230));
            g.setCellBackColor(RatioRow, c, rgb(230, 250, 230));
        }
        g.setColWidth(c, defaultColWidth(c));
    }

    const QStringList brackets = bracketTable(runnerCount);
    for (int r = 1; r <= runnerCount; ++r) {
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

    const Color computedBack[4] = {rgb(255, 200, 200), rgb(200, 255, 200), rgb(200, 200, 255),
                                   rgb(200, 255, 255)};
    for (int j = 0; j < rows; ++j) {
        if (j == RatioRow)
            continue;
        for (int k = 0; k < 4; ++k)
            g.setCellBackColor(j, ColRank + k, computedBack[k]);
    }

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
    m_built = m_countTexts;
    runnerCount = runnerCountFor(m_countTexts[0]);
    g.setCurrent(row, col);
}

void OddsDocument::fitColumnWidths()
{
    Grid &g = runnerTable;
    const double pointSize = g.cellFontSize() + 1;
    MeasuredWidths &cache = m_widths;
    if (cache.measurer != m_measurer || !(cache.pointSize == pointSize) || cache.rows != g.rows() ||
        cache.cols != g.cols()) {
        cache.measurer = m_measurer;
        cache.pointSize = pointSize;
        cache.rows = g.rows();
        cache.cols = g.cols();
        cache.entries.assign(size_t(g.rows()) * size_t(g.cols()), {});
        cache.stamp = {};
    }
    const int rows = g.rows();
    const int cols = g.cols();
    if (cache.stamp == g.textStamp() && cache.twipsPerPixel == twipsPerPixelX) {
        // Not a text changed since the last fit: the same widths.
        for (int c = 0; c < cols; ++c)
            if (g.colWidth(c) != cache.fitted[size_t(c)])
                g.setColWidth(c, cache.fitted[size_t(c)]);
        return;
    }
    const QString blank = QStringLiteral(" ");
    // Row by row, as the cells lie; each column's widest in the order of its rows.
    std::vector<double> widest(size_t(cols), MinColWidth * 1.0);
    MeasuredWidths::Entry *e = cache.entries.data();
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < cols; ++c, ++e) {
            const QString &text = g.textRef(i, c);
            // A text held by the cache cannot change, so the same characters in the same place
            // are the same text.
            if (e->chars != text.constData() || e->text.size() != text.size()) {
                if (!e->chars || e->text != text) {
                    // Each text is measured with one blank after it.
                    e->px = m_measurer ? m_measurer->textWidth(text + blank, pointSize)
                                       : estimatedTextWidth(text, pointSize, true);
                }
                e->text = text; // shares the characters: the next comparison is by place
                e->chars = e->text.constData();
            }
            const double m = e->px * twipsPerPixelX;
            if (m > widest[size_t(c)])
                widest[size_t(c)] = m;
        }
    }
    cache.fitted.resize(size_t(cols));
    for (int c = 0; c < cols; ++c) {
        cache.fitted[size_t(c)] = roundHalfEvenToInt(widest[size_t(c)]);
        g.setColWidth(c, cache.fitted[size_t(c)]);
    }
    cache.stamp = g.textStamp();
    cache.twipsPerPixel = twipsPerPixelX;
}

QStringList bracketTable(int runnerCount)
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
