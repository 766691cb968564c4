#pragma once
// The widget that shows a Grid: paints the visible cells with the fixed rows and columns frozen,
// scrolls by whole cells, moves the current cell with the keyboard and the mouse, and raises the
// grid's events to its window. The Grid stays pure data and is not owned.

#include "core/document/grid.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <functional>
#include <vector>

class QFontMetrics;
class QInputMethodEvent;
class QKeyEvent;

class GridView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit GridView(QWidget *parent = nullptr);

    void setGrid(Grid *grid);
    Grid *grid() const { return m_grid; }

    // Re-reads counts, widths and font and repaints. Call after changing the grid; when the
    // current cell was moved since the last look, it is also scrolled into view.
    void refresh();

    // Rectangle of a cell in this widget's coordinates (not the viewport's), so a window adds
    // the widget's position to lay an editor over it. Includes the cell's right and bottom grid
    // line. A scrolled-away cell gets its virtual position, which lies outside the viewport.
    // Invalid for a cell outside the grid.
    QRect cellRect(int row, int col) const;
    // Scrolls so that the cell lies in the viewport (fixed rows and columns are always there).
    void ensureVisible(int row, int col);
    // The cell under a point in this widget's coordinates; false when there is none.
    bool cellAt(const QPoint &pos, int *row, int *col) const;

    // Moves the current cell (collapsing the selection) or the selection corner through the view:
    // scrolls it into view, repaints and raises selChange when something changed.
    void setCurrentCell(int row, int col);
    void setSelectionCorner(int rowSel, int colSel);

    // First scrollable row and column shown after the fixed ones.
    int topRow() const;
    int leftCol() const;
    int rowHeight() const; // pixels, the same for every row
    int colPixelWidth(int col) const;
    // The font the cells are drawn in; an editor laid over a cell uses it too. It is the grid's
    // font, enlarged (with the column widths) by as much as the system font is larger than the
    // size the grid's sizes were designed for; printing uses the grid's own font.
    QFont gridFont() const;
    // How much the system font enlarges the grid: 1 up to DesignFontPoints.
    double fontZoom() const;
    static constexpr double DesignFontPoints = 10;

    // Whether the input method may compose in a cell (numbers need it off). Asked for the
    // current cell; without a rule it may everywhere.
    void setInputMethodRule(std::function<bool(int row, int col)> rule);
    // While a widget of the window shows a composition that started on the grid (the cell
    // editor), the grid passes the input method's events and the keys on to it and answers the
    // input method's questions with its caret, but keeps the focus: moving the focus in the
    // middle of a composition makes the input method commit it early. Null ends that.
    void setCompositionTarget(QWidget *target);
    QWidget *compositionTarget() const;

    // The input method places its window at the current cell (or at the composition target's
    // caret).
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // What assistive technology is told about the cells: the row whose texts head the columns
    // below it (-1: none), and for each cell the column of the cell that names its row (-1:
    // none). A description adds what the text alone does not say.
    void setAccessibleHeaders(int headerRow, std::function<int(int row, int col)> rowHeader);
    void setCellDescription(std::function<QString(int row, int col)> describe);
    int accessibleHeaderRow() const { return m_headerRow; }
    int rowHeaderColumn(int row, int col) const;
    QString cellDescription(int row, int col) const;

Q_SIGNALS:
    // Raised first for every key Qt names. A slot that sets *handled stops the built-in
    // navigation; the character of the key (keyPress) is still raised.
    void keyDown(QKeyCombination key, bool *handled);
    // The text a key produces: printable characters, Enter "\r",
    // Escape "\x1b", Backspace "\b", and Ctrl+letter as its control character (Ctrl+A "\x01").
    void keyPress(const QString &text);
    // An input-method event (a composition or a commit) while there is no composition target;
    // a slot may set one and pass the event on to it.
    void inputMethod(QInputMethodEvent *event);
    // Left double click on a cell; the click before it already made that cell current.
    void doubleClicked();
    // pos in widget pixels. Raised after a left press has moved the current cell.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void gotFocus();
    // Once for every change of the current cell or the selection corner made through the view.
    void selChange();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Layout
    {
        quint64 revision = ~quint64(0);
        QString fontName;
        double fontSize = -1;
        double twipsPerPixel = 0;
        double zoom = 1;
        QFont font;
        int rowHeight = 1;
        int rows = 0;
        int cols = 0;
        int fixedRows = 0;
        int fixedCols = 0;
        std::vector<int> colX; // left edge of each column from column 0, plus the total
        int fixedWidth = 0;
        int fixedHeight = 0;
    };

    const Layout &layout() const; // re-reads the grid when it changed
    void syncScrollBars();
    bool moveByKey(QKeyCombination key);
    void moveTo(int row, int col, bool extend);
    int pageRows() const;
    int colLeft(int col) const; // viewport x
    int rowTop(int row) const;  // viewport y
    bool viewportCellAt(const QPoint &pos, int *row, int *col) const;
    int dragRow(int y) const;
    int dragCol(int x) const;
    QStaticText shapedText(const QString &text) const;
    void updateInputMethod(Qt::InputMethodQueries queries) const;
    void paintCell(QPainter &p, const QFontMetrics &fm, int row, int col, const QRect &rect,
                   bool selected, bool current) const;
    // Tells assistive technology of the current cell (when the view has the focus) and of
    // changed texts or counts since it was last told.
    void notifyCurrentCell();
    void notifyGridChange();

    Grid *m_grid = nullptr;
    mutable Layout m_layout;
    // Texts shaped once in the grid's font; shaping dominates the cost of a repaint.
    // Kept for the texts of the last two full paints only.
    mutable QHash<QString, QStaticText> m_shaped;
    mutable QHash<QString, QStaticText> m_shapedBefore;
    mutable int m_generation = 0; // counts re-reads of the grid
    int m_barsGeneration = -1;    // the re-read the scroll bars were last fitted to
    int m_seenRow = -1;
    int m_seenCol = -1;
    bool m_dragging = false;
    std::function<bool(int, int)> m_inputMethodRule;
    QPointer<QWidget> m_compositionTarget;
    bool m_inInputMethodEvent = false;
    int m_headerRow = -1;
    std::function<int(int, int)> m_rowHeader;
    std::function<QString(int, int)> m_describe;
    // The grid as assistive technology was last told of it.
    int m_toldRows = -1;
    int m_toldCols = -1;
    Grid::TextStamp m_toldTexts;
};
