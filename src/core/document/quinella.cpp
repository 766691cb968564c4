// The quinella estimate: every pair's estimate from the runners' odds, laid out as the matrix.
#include "core/document/oddsdocument.h"

#include "core/text/fixed4.h"
#include "core/text/numbertext.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

Color estimateBackColor(double v)
{
    if (v > 9999.9)
        return rgb(255, 200, 255);
    if (v < 20)
        return rgb(255, 255, 0);
    if (v < 40)
        return rgb(255, 255, 100);
    if (v < 50)
        return rgb(255, 255, 200);
    return rgb(220, 220, 220);
}

// Block start column and label row of every first runner 1..n-1, per runner count n.
struct QuinellaLayout
{
    std::vector<int> blockCol;
    std::vector<int> blockRow;
};

const QuinellaLayout *quinellaLayoutFor(int n)
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

} // namespace

bool OddsDocument::estimateQuinella()
{
    // Without a layout for the runner count field the document stays as it is.
    if (!quinellaLayoutFor(roundHalfEvenToInt(textToNumber(m_countTexts[0]))))
        return false;

    quinellaMatrix.setFontSize(twipsPerPixelX * 17 / 20);

    const int n = std::max(runnerCount, 0);
    std::vector<Fixed4> odds(size_t(n) + 1);
    for (int r = 1; r <= n; ++r)
        odds[size_t(r)] =
            Fixed4::fromDouble(textToNumber(runnerTable.text(r + 1, ColOdds))).value_or(Fixed4());

    quinellaList.clear();
    const float ratio = float(textToNumber(m_payoutRatioText) / 100);
    for (int i = 1; i < n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            const std::optional<Fixed4> product = odds[size_t(i)].times(odds[size_t(j)]);
            QString estimate;
            if (product) {
                const double v = double(ratio) * (double(ratio) * product->toDouble());
                estimate = formatNumber(v, QStringLiteral("#.0"));
            }
            quinellaList.append(QString::number(i) + QLatin1Char('-') + QString::number(j) +
                                QLatin1Char(':') + estimate);
        }
    }

    buildQuinellaMatrix();
    m_quinellaInFront = true;
    return true;
}

bool OddsDocument::buildQuinellaMatrix()
{
    const int n = roundHalfEvenToInt(textToNumber(m_countTexts[0]));
    const QuinellaLayout *layout = quinellaLayoutFor(n);
    if (!layout)
        return false;

    Grid &g = quinellaMatrix;
    g.setSize(21, 50);
    for (int c = 0; c < 50; ++c)
        g.setColWidth(c, 900);
    g.clear();

    const int cols = *std::max_element(layout->blockCol.begin(), layout->blockCol.end()) + 3;
    const int rows = *std::max_element(layout->blockRow.begin(), layout->blockRow.end()) + 4;
    g.setSize(rows, cols);
    g.clear();
    g.setBackColor(rgb(240, 240, 240));

    for (int i = 1; i < n; ++i) {
        const int c = layout->blockCol[size_t(i - 1)];
        const int t = layout->blockRow[size_t(i - 1)];
        g.setCellBackColor(t, c, rgb(200, 200, 200));
        g.setText(t, c + 1, QStringLiteral("■") + QString::number(i) + QStringLiteral("■"));
        g.setCellBackColor(t, c + 1, rgb(230, 230, 230));
        g.setCellBackColor(t, c + 2, rgb(20, 20, 20));
        g.setColWidth(c, 720);
        g.setColWidth(c + 1, 1000);
        g.setColWidth(c + 2, 60);
    }

    for (const QString &item : std::as_const(quinellaList)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const QString pair = item.left(colon);
        const QString estimate = colon < 0 ? QString() : item.mid(colon + 1);
        const QStringList ij = pair.split(QLatin1Char('-'));
        const int i = roundHalfEvenToInt(textToNumber(ij.value(0)));
        const int j = roundHalfEvenToInt(textToNumber(ij.value(1)));
        // Items made for another runner count do not fit this layout.
        if (i < 1 || i >= n || j <= i || j > n)
            continue;
        const int c = layout->blockCol[size_t(i - 1)];
        const int row = layout->blockRow[size_t(i - 1)] + (j - i);
        g.setText(row, c, pair);
        g.setCellBackColor(row, c, rgb(230, 230, 230));
        g.setText(row, c + 1, estimate);
        g.setCellBackColor(row, c + 1, estimateBackColor(textToNumber(estimate)));
        g.setCellBackColor(row, c + 2, rgb(20, 20, 20));
    }

    return true;
}
