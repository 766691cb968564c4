#pragma once
// The text-cell grid behind the runner table and the quinella matrix. Pure data: the
// windows paint it with GridView and refresh after every operation.

#include "core/document/color.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

class Grid
{
public:
    Grid();

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // Changing a count keeps the text and colours of every cell that still exists.
    void setRows(int rows);
    void setCols(int cols);
    void setSize(int rows, int cols);

    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setFixedRows(int n) { set(m_fixedRows, n); }
    void setFixedCols(int n) { set(m_fixedCols, n); }

    bool contains(int row, int col) const
    {
        return row >= 0 && col >= 0 && row < m_rows && col < m_cols;
    }
    // Out-of-range reads give "" / NoColor; out-of-range writes are ignored.
    QString text(int row, int col) const;
    // The same text without a copy, for loops over many cells; valid until the grid changes.
    const QString &textRef(int row, int col) const
    {
        return contains(row, col) ? m_cells[size_t(index(row, col))].text : s_noText;
    }
    void setText(int row, int col, const QString &text);
    // setText, except that a cell already holding the text keeps it: writing the same results
    // again neither copies them nor counts as a change.
    void updateText(int row, int col, QStringView text);
    Color cellBackColor(int row, int col) const;
    Color cellForeColor(int row, int col) const;
    void setCellBackColor(int row, int col, Color c);
    void setCellForeColor(int row, int col, Color c);
    // What is drawn: the cell's own colour, else the grid's (fixed cells default to grey).
    Color effectiveBackColor(int row, int col) const;
    Color effectiveForeColor(int row, int col) const;

    int colWidth(int col) const; // twips
    void setColWidth(int col, int twips);
    // 0..8 = left/centre/right x top/centre/bottom, 9 = general (text left, numbers right).
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name) { set(m_fontName, name); }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double points) { set(m_fontSize, points); }
    // Font size of the current cell; the grid has one font, so this is the grid's size.
    double cellFontSize() const { return m_fontSize; }
    Color backColor() const { return m_backColor; }
    void setBackColor(Color c) { set(m_backColor, c); }
    Color foreColor() const { return m_foreColor; }
    void setForeColor(Color c) { set(m_foreColor, c); }
    Color backColorFixed() const { return m_backColorFixed; }
    int gridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int w) { set(m_gridLineWidth, w); }

    // Current cell and selection corner; setCurrent also collapses the selection onto it.
    int row() const { return m_row; }
    int col() const { return m_col; }
    int rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    void setCurrent(int row, int col);
    void setRow(int row);
    void setCol(int col);
    void setSelection(int rowSel, int colSel);

    // Block text of the selection: cells by TAB, rows by CR. Setting fills the selection from
    // its top-left cell; extra rows or cells are ignored.
    QString clip() const;
    void setClip(const QString &text);

    // Clears every cell's text and colours.
    void clear();

    // Bumped by every change, so a view can tell whether it must repaint.
    quint64 revision() const { return m_revision; }

    // Which texts the grid holds: equal stamps mean the same texts in the same cells. Every
    // change of a text or of the shape gives a new stamp, and no other grid ever has it (a
    // copy starts its own line), so a result worked out from the texts stays good while the
    // stamp is equal.
    struct TextStamp
    {
        quint64 lineage = 0;
        quint64 changes = 0;
        friend bool operator==(const TextStamp &, const TextStamp &) = default;
    };
    TextStamp textStamp() const { return {m_lineage.id, m_textChanges}; }

private:
    struct Cell
    {
        QString text;
        Color back = NoColor;
        Color fore = NoColor;
    };
    int index(int row, int col) const { return row * m_cols + col; }
    static const QString s_noText;
    void resize(int rows, int cols);
    void touch() { ++m_revision; }
    // Grid-wide properties count as changes too: a view caches its layout by revision.
    template <typename T, typename U> void set(T &member, const U &value)
    {
        if (member == value)
            return;
        member = value;
        touch();
    }

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    std::vector<Cell> m_cells;
    std::vector<int> m_colWidths;
    std::vector<int> m_colAlign;
    QString m_fontName;
    double m_fontSize = 9;
    Color m_backColor = rgb(255, 255, 255);
    Color m_foreColor = rgb(0, 0, 0);
    Color m_backColorFixed = rgb(192, 192, 192);
    int m_gridLineWidth = 1;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    quint64 m_revision = 0;
    // A number no other grid has; a copy takes a new one.
    struct Lineage
    {
        quint64 id = next();
        Lineage() = default;
        Lineage(const Lineage &) {}
        Lineage &operator=(const Lineage &)
        {
            id = next();
            return *this;
        }
        static quint64 next();
    };
    Lineage m_lineage;
    quint64 m_textChanges = 0;
};
