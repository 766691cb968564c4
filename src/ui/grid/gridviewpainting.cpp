#include "ui/grid/gridview.h"

#include "ui/desktop/uicolor.h"
#include "ui/grid/gridviewinternal.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr Color EmptyAreaColor = rgb(128, 128, 128);
constexpr Color LineColor = rgb(192, 192, 192);
constexpr Color FixedLineColor = rgb(128, 128, 128);

// General alignment puts numbers on the right: a whole text that reads as a decimal number.
bool looksLikeNumber(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    const int n = int(t.size());
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        const QChar ch = t[i];
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            ++digits;
        } else if (ch == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (t[i] == QLatin1Char('E') || t[i] == QLatin1Char('e'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        for (; i < n && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i)
            ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == n;
}

// Cells are shown on one line.
QString oneLine(QString text)
{
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return text;
}

} // namespace

void GridView::paintEvent(QPaintEvent *event)
{
    const Layout &l = layout();
    if (m_barsGeneration != m_generation)
        syncScrollBars();
    QPainter p(viewport());
    const QRect dirty = event->rect();
    const QColor empty = toQColor(EmptyAreaColor);
    if (dirty.contains(viewport()->rect())) {
        // Texts no longer shown drop out of the cache.
        m_shapedBefore.swap(m_shaped);
        m_shaped.clear();
    }
    if (!m_grid || l.rows == 0 || l.cols == 0) {
        p.fillRect(dirty, empty);
        return;
    }
    p.setFont(l.font);
    const QFontMetrics fm(l.font, viewport());

    const int width = viewport()->width();
    const int height = viewport()->height();
    const bool scrollRows = l.rows > l.fixedRows;
    const bool scrollCols = l.cols > l.fixedCols;
    const int top = topRow();
    const int left = leftCol();
    int lastRow = scrollRows ? top : l.rows - 1;
    while (lastRow + 1 < l.rows && rowTop(lastRow + 1) < height)
        ++lastRow;
    int lastCol = scrollCols ? left : l.cols - 1;
    while (lastCol + 1 < l.cols && colLeft(lastCol + 1) < width)
        ++lastCol;

    // Only the area past the last row and column shows the empty colour; filling all of it
    // first would cost as much as the cells.
    const int cellsRight = colLeft(lastCol) + colPixelWidth(lastCol);
    const int cellsBottom = rowTop(lastRow) + l.rowHeight;
    p.fillRect(dirty.intersected(QRect(QPoint(cellsRight, 0), QPoint(width, height))), empty);
    p.fillRect(dirty.intersected(QRect(QPoint(0, cellsBottom), QPoint(cellsRight, height))), empty);

    const int r1 = std::min(m_grid->row(), m_grid->rowSel());
    const int r2 = std::max(m_grid->row(), m_grid->rowSel());
    const int c1 = std::min(m_grid->col(), m_grid->colSel());
    const int c2 = std::max(m_grid->col(), m_grid->colSel());
    const bool range = r1 != r2 || c1 != c2;

    auto paintRows = [&](int rowFrom, int rowTo, int colFrom, int colTo) {
        for (int r = rowFrom; r <= rowTo; ++r) {
            const int y = rowTop(r);
            if (y >= dirty.bottom() + 1 || y + l.rowHeight <= dirty.top())
                continue;
            for (int c = colFrom; c <= colTo; ++c) {
                const QRect rect(colLeft(c), y, colPixelWidth(c), l.rowHeight);
                if (rect.width() == 0 || !rect.intersects(dirty))
                    continue;
                const bool current = r == m_grid->row() && c == m_grid->col();
                const bool selected = range && !current && r >= r1 && r <= r2 && c >= c1 && c <= c2;
                paintCell(p, fm, r, c, rect, selected, current);
            }
        }
    };
    if (scrollRows && scrollCols)
        paintRows(top, lastRow, left, lastCol);
    if (l.fixedRows > 0 && scrollCols)
        paintRows(0, l.fixedRows - 1, left, lastCol);
    if (l.fixedCols > 0 && scrollRows)
        paintRows(top, lastRow, 0, l.fixedCols - 1);
    if (l.fixedRows > 0 && l.fixedCols > 0)
        paintRows(0, l.fixedRows - 1, 0, l.fixedCols - 1);
}

QStaticText GridView::shapedText(const QString &text) const
{
    auto it = m_shaped.constFind(text);
    if (it != m_shaped.constEnd())
        return *it;
    auto before = m_shapedBefore.constFind(text);
    if (before != m_shapedBefore.constEnd())
        return *m_shaped.insert(text, *before);
    QStaticText shaped(text);
    shaped.setTextFormat(Qt::PlainText);
    shaped.prepare(QTransform(), m_layout.font);
    return *m_shaped.insert(text, shaped);
}

void GridView::paintCell(QPainter &p, const QFontMetrics &fm, int row, int col, const QRect &rect,
                         bool selected, bool current) const
{
    const bool fixed = row < m_layout.fixedRows || col < m_layout.fixedCols;
    const QPalette &pal = palette();
    const QColor back =
        selected ? pal.color(QPalette::Highlight) : toQColor(m_grid->effectiveBackColor(row, col));
    const QColor fore = selected ? pal.color(QPalette::HighlightedText)
                                 : toQColor(m_grid->effectiveForeColor(row, col));
    p.fillRect(rect, back);

    const int line = std::max(m_grid->gridLineWidth(), 0);
    const QRect inner = rect.adjusted(TextPadding, 0, -(TextPadding + line), -line);
    const QString text = m_grid->text(row, col);
    if (!text.isEmpty() && inner.width() > 0) {
        QStaticText shown = shapedText(oneLine(text));
        int textWidth = int(std::ceil(shown.size().width()));
        if (textWidth > inner.width()) {
            shown = shapedText(fm.elidedText(oneLine(text), Qt::ElideRight, inner.width()));
            textWidth = int(std::ceil(shown.size().width()));
        }
        int alignment = m_grid->colAlignment(col);
        int horizontal = alignment / 3; // 0 left, 1 centre, 2 right
        int vertical = alignment % 3;   // 0 top, 1 centre, 2 bottom
        if (alignment < 0 || alignment > 8) {
            horizontal = looksLikeNumber(text) ? 2 : 0;
            vertical = 1;
        }
        int x = inner.left();
        if (horizontal == 1)
            x += (inner.width() - textWidth) / 2;
        else if (horizontal == 2)
            x = inner.left() + inner.width() - textWidth;
        int y = inner.top() + (inner.height() - fm.height()) / 2;
        if (vertical == 0)
            y = inner.top() + 1;
        else if (vertical == 2)
            y = inner.top() + inner.height() - fm.height() - 1;
        p.setPen(fore);
        p.drawStaticText(QPoint(x, y), shown);
    }

    if (line > 0) {
        const QColor lineColor = toQColor(fixed ? FixedLineColor : LineColor);
        p.fillRect(QRect(rect.right() - line + 1, rect.top(), line, rect.height()), lineColor);
        p.fillRect(QRect(rect.left(), rect.bottom() - line + 1, rect.width(), line), lineColor);
    }

    if (current) {
        // Solid frame while the grid has the focus, dotted otherwise.
        const QRect frame = rect.adjusted(1, 1, -line - 2, -line - 2);
        p.setPen(QPen(fore, 1, hasFocus() ? Qt::SolidLine : Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame);
        if (hasFocus())
            p.drawRect(frame.adjusted(1, 1, -1, -1));
    }
}
