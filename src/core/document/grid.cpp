#include "core/document/grid.h"

#include <algorithm>
#include <atomic>

namespace {
constexpr int DefaultColWidth = 960; // twips
constexpr int AlignGeneral = 9;
} // namespace

quint64 Grid::Lineage::next()
{
    static std::atomic<quint64> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

Grid::Grid()
{
    resize(2, 2);
    m_fixedRows = 1;
    m_fixedCols = 1;
}

void Grid::resize(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == m_rows && cols == m_cols)
        return;
    std::vector<Cell> cells(size_t(rows) * size_t(cols));
    const int keepRows = std::min(rows, m_rows);
    const int keepCols = std::min(cols, m_cols);
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c)
            cells[size_t(r) * cols + c] = std::move(m_cells[size_t(index(r, c))]);
    m_cells = std::move(cells);
    m_colWidths.resize(size_t(cols), DefaultColWidth);
    m_colAlign.resize(size_t(cols), AlignGeneral);
    m_rows = rows;
    m_cols = cols;
    m_row = std::clamp(m_row, 0, std::max(rows - 1, 0));
    m_col = std::clamp(m_col, 0, std::max(cols - 1, 0));
    m_rowSel = std::clamp(m_rowSel, 0, std::max(rows - 1, 0));
    m_colSel = std::clamp(m_colSel, 0, std::max(cols - 1, 0));
    ++m_textChanges;
    touch();
}

void Grid::setRows(int rows)
{
    resize(rows, m_cols);
}
void Grid::setCols(int cols)
{
    resize(m_rows, cols);
}
void Grid::setSize(int rows, int cols)
{
    resize(rows, cols);
}

const QString Grid::s_noText;

QString Grid::text(int row, int col) const
{
    return contains(row, col) ? m_cells[size_t(index(row, col))].text : QString();
}

void Grid::setText(int row, int col, const QString &text)
{
    if (!contains(row, col))
        return;
    m_cells[size_t(index(row, col))].text = text;
    ++m_textChanges;
    touch();
}

void Grid::updateText(int row, int col, QStringView text)
{
    if (contains(row, col) && m_cells[size_t(index(row, col))].text != text)
        setText(row, col, text.toString());
}

Color Grid::cellBackColor(int row, int col) const
{
    return contains(row, col) ? m_cells[size_t(index(row, col))].back : NoColor;
}

Color Grid::cellForeColor(int row, int col) const
{
    return contains(row, col) ? m_cells[size_t(index(row, col))].fore : NoColor;
}

void Grid::setCellBackColor(int row, int col, Color c)
{
    if (!contains(row, col))
        return;
    m_cells[size_t(index(row, col))].back = c;
    touch();
}

void Grid::setCellForeColor(int row, int col, Color c)
{
    if (!contains(row, col))
        return;
    m_cells[size_t(index(row, col))].fore = c;
    touch();
}

Color Grid::effectiveBackColor(int row, int col) const
{
    const Color own = cellBackColor(row, col);
    if (own != NoColor)
        return own;
    return (row < m_fixedRows || col < m_fixedCols) ? m_backColorFixed : m_backColor;
}

Color Grid::effectiveForeColor(int row, int col) const
{
    const Color own = cellForeColor(row, col);
    return own != NoColor ? own : m_foreColor;
}

int Grid::colWidth(int col) const
{
    return (col >= 0 && col < m_cols) ? m_colWidths[size_t(col)] : 0;
}

void Grid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_cols)
        return;
    m_colWidths[size_t(col)] = std::max(twips, 0);
    touch();
}

int Grid::colAlignment(int col) const
{
    return (col >= 0 && col < m_cols) ? m_colAlign[size_t(col)] : AlignGeneral;
}

void Grid::setColAlignment(int col, int alignment)
{
    if (col < 0 || col >= m_cols)
        return;
    m_colAlign[size_t(col)] = std::clamp(alignment, 0, 9);
    touch();
}

void Grid::setCurrent(int row, int col)
{
    m_row = std::clamp(row, 0, std::max(m_rows - 1, 0));
    m_col = std::clamp(col, 0, std::max(m_cols - 1, 0));
    m_rowSel = m_row;
    m_colSel = m_col;
    touch();
}

void Grid::setRow(int row)
{
    setCurrent(row, m_col);
}
void Grid::setCol(int col)
{
    setCurrent(m_row, col);
}

void Grid::setSelection(int rowSel, int colSel)
{
    m_rowSel = std::clamp(rowSel, 0, std::max(m_rows - 1, 0));
    m_colSel = std::clamp(colSel, 0, std::max(m_cols - 1, 0));
    touch();
}

QString Grid::clip() const
{
    const int r1 = std::min(m_row, m_rowSel), r2 = std::max(m_row, m_rowSel);
    const int c1 = std::min(m_col, m_colSel), c2 = std::max(m_col, m_colSel);
    QString out;
    for (int r = r1; r <= r2; ++r) {
        if (r > r1)
            out += QLatin1Char('\r');
        for (int c = c1; c <= c2; ++c) {
            if (c > c1)
                out += QLatin1Char('\t');
            out += text(r, c);
        }
    }
    return out;
}

void Grid::setClip(const QString &block)
{
    const int r1 = std::min(m_row, m_rowSel), r2 = std::max(m_row, m_rowSel);
    const int c1 = std::min(m_col, m_colSel), c2 = std::max(m_col, m_colSel);
    const QStringList lines = block.split(QLatin1Char('\r'));
    for (int i = 0; i < lines.size() && r1 + i <= r2; ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        for (int j = 0; j < fields.size() && c1 + j <= c2; ++j)
            setText(r1 + i, c1 + j, fields[j]);
    }
}

void Grid::clear()
{
    for (Cell &cell : m_cells)
        cell = Cell();
    ++m_textChanges;
    touch();
}
