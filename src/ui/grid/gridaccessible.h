#pragma once
// What assistive technology sees of a GridView: a table of its cells with their texts, the
// header row and the header cells of each row, the current cell and the selection. The view
// raises the events (cursor moves, changed texts, changed counts); these interfaces answer the
// questions that follow.

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class GridView;

// Registers the factory that gives a GridView this interface and starts following whether
// assistive technology is listening; called by every view, works once.
void installGridAccessibility();
// Whether a screen reader (or anything else) has switched accessibility on: only then do the
// views raise their events.
bool gridAccessibilityActive();
// Hands a view's event on to the platform's bridge, or to the listener a test sets (the
// platform passes events on only while a screen reader is connected).
void sendGridAccessibilityEvent(QAccessibleEvent *event);
using GridEventListener = void (*)(QAccessibleEvent *event);
void setGridEventListener(GridEventListener listener);

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(GridView *view);
    ~GridAccessible() override;

    GridView *view() const;

    // QAccessibleInterface: the children are every cell of the grid, row by row.
    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessible::State state() const override;

    // QAccessibleTableInterface: the rows below the header row.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    // The interface of a grid cell (row and column of the grid, header row included).
    QAccessibleInterface *gridCell(int row, int col) const;
    // Index among the children of a grid cell.
    int childIndex(int row, int col) const;

private:
    int firstTableRow() const;
    void dropCells() const;
    void checkShape() const;

    mutable QHash<int, QAccessible::Id> m_cells; // child index -> registered cell
    mutable int m_rows = -1;
    mutable int m_cols = -1;
};

class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCellAccessible(GridView *view, int row, int col);

    int gridRow() const { return m_row; }
    int gridCol() const { return m_col; }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableCellInterface; the header row's cells are no table cells.
    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override;
    int columnIndex() const override { return m_col; }
    int rowIndex() const override;
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    bool isHeaderRow() const;
    GridAccessible *grid() const;

    QPointer<GridView> m_view;
    int m_row;
    int m_col;
};
