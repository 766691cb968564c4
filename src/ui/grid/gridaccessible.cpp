#include "ui/grid/gridaccessible.h"

#include "ui/grid/gridview.h"

#include <QWidget>
#include <QWindow>

namespace {

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("GridView") && object && object->isWidgetType()) {
        if (auto *view = qobject_cast<GridView *>(object))
            return new GridAccessible(view);
    }
    return nullptr;
}

// Switched on by the platform when a screen reader connects (and by QAccessible::setActive).
class ActivationWatch : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override { on = active; }
    bool on = false;
};

GridEventListener s_listener = nullptr;

ActivationWatch &activationWatch()
{
    static ActivationWatch watch;
    return watch;
}

} // namespace

void installGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        QAccessible::installActivationObserver(&activationWatch());
        return true;
    }();
    Q_UNUSED(installed);
}

bool gridAccessibilityActive()
{
    return QAccessible::isActive() || activationWatch().on;
}

void sendGridAccessibilityEvent(QAccessibleEvent *event)
{
    if (s_listener)
        s_listener(event);
    else
        QAccessible::updateAccessibility(event);
}

void setGridEventListener(GridEventListener listener)
{
    s_listener = listener;
}

// ---- the table ----

GridAccessible::GridAccessible(GridView *view) : QAccessibleWidget(view, QAccessible::Table) {}

GridAccessible::~GridAccessible()
{
    dropCells();
}

GridView *GridAccessible::view() const
{
    return static_cast<GridView *>(widget());
}

void *GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void GridAccessible::dropCells() const
{
    const QHash<int, QAccessible::Id> cells = std::exchange(m_cells, {});
    for (const QAccessible::Id id : cells)
        QAccessible::deleteAccessibleInterface(id);
}

// A screen reader may ask before the view has told it of a change of counts: cells of the old
// shape would sit at the wrong indexes.
void GridAccessible::checkShape() const
{
    const Grid *g = view()->grid();
    const int rows = g ? g->rows() : 0;
    const int cols = g ? g->cols() : 0;
    if (rows == m_rows && cols == m_cols)
        return;
    dropCells();
    m_rows = rows;
    m_cols = cols;
}

int GridAccessible::firstTableRow() const
{
    return view()->accessibleHeaderRow() + 1;
}

int GridAccessible::childCount() const
{
    checkShape();
    return m_rows * m_cols;
}

int GridAccessible::childIndex(int row, int col) const
{
    checkShape();
    if (row < 0 || col < 0 || row >= m_rows || col >= m_cols)
        return -1;
    return row * m_cols + col;
}

QAccessibleInterface *GridAccessible::gridCell(int row, int col) const
{
    const int index = childIndex(row, col);
    if (index < 0)
        return nullptr;
    const auto it = m_cells.constFind(index);
    if (it != m_cells.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto *cell = new GridCellAccessible(view(), row, col);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QAccessibleInterface *GridAccessible::child(int index) const
{
    checkShape();
    if (index < 0 || m_cols <= 0 || index >= m_rows * m_cols)
        return nullptr;
    return gridCell(index / m_cols, index % m_cols);
}

int GridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->parent() != this)
        return -1;
    const auto *cell = static_cast<const GridCellAccessible *>(child);
    return childIndex(cell->gridRow(), cell->gridCol());
}

QAccessibleInterface *GridAccessible::childAt(int x, int y) const
{
    int row = 0;
    int col = 0;
    if (!view()->cellAt(view()->mapFromGlobal(QPoint(x, y)), &row, &col))
        return nullptr;
    return gridCell(row, col);
}

QAccessibleInterface *GridAccessible::focusChild() const
{
    const Grid *g = view()->grid();
    if (!g || !view()->hasFocus())
        return nullptr;
    return gridCell(g->row(), g->col());
}

QAccessible::State GridAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = true;
    s.extSelectable = true;
    return s;
}

QAccessibleInterface *GridAccessible::cellAt(int row, int column) const
{
    return gridCell(row + firstTableRow(), column);
}

int GridAccessible::rowCount() const
{
    checkShape();
    return std::max(m_rows - firstTableRow(), 0);
}

int GridAccessible::columnCount() const
{
    checkShape();
    return m_cols;
}

QString GridAccessible::columnDescription(int column) const
{
    const Grid *g = view()->grid();
    const int header = view()->accessibleHeaderRow();
    return g && header >= 0 ? g->text(header, column) : QString();
}

QString GridAccessible::rowDescription(int row) const
{
    const Grid *g = view()->grid();
    const int r = row + firstTableRow();
    const int col = view()->rowHeaderColumn(r, 0);
    return g && col >= 0 ? g->text(r, col) : QString();
}

namespace {

struct Range
{
    int r1, r2, c1, c2;
};

Range selectionRange(const Grid &g)
{
    return {std::min(g.row(), g.rowSel()), std::max(g.row(), g.rowSel()),
            std::min(g.col(), g.colSel()), std::max(g.col(), g.colSel())};
}

} // namespace

int GridAccessible::selectedCellCount() const
{
    return int(selectedCells().size());
}

QList<QAccessibleInterface *> GridAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    const Grid *g = view()->grid();
    if (!g || g->rows() == 0 || g->cols() == 0)
        return cells;
    const Range s = selectionRange(*g);
    for (int r = std::max(s.r1, firstTableRow()); r <= s.r2; ++r)
        for (int c = s.c1; c <= s.c2; ++c)
            if (QAccessibleInterface *cell = gridCell(r, c))
                cells.append(cell);
    return cells;
}

QList<int> GridAccessible::selectedRows() const
{
    // A row counts as selected when the selection spans all its columns.
    QList<int> rows;
    const Grid *g = view()->grid();
    if (!g || g->cols() == 0)
        return rows;
    const Range s = selectionRange(*g);
    if (s.c1 != 0 || s.c2 != g->cols() - 1)
        return rows;
    for (int r = std::max(s.r1, firstTableRow()); r <= s.r2; ++r)
        rows.append(r - firstTableRow());
    return rows;
}

QList<int> GridAccessible::selectedColumns() const
{
    QList<int> cols;
    const Grid *g = view()->grid();
    if (!g || g->rows() == 0)
        return cols;
    const Range s = selectionRange(*g);
    if (s.r1 > firstTableRow() || s.r2 != g->rows() - 1)
        return cols;
    for (int c = s.c1; c <= s.c2; ++c)
        cols.append(c);
    return cols;
}

int GridAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

int GridAccessible::selectedColumnCount() const
{
    return int(selectedColumns().size());
}

bool GridAccessible::isRowSelected(int row) const
{
    return selectedRows().contains(row);
}

bool GridAccessible::isColumnSelected(int column) const
{
    return selectedColumns().contains(column);
}

void GridAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    // Cells are addressed by position: any change of shape makes new ones.
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) {
        dropCells();
        m_rows = m_cols = -1;
    }
}

// ---- a cell ----

GridCellAccessible::GridCellAccessible(GridView *view, int row, int col)
    : m_view(view), m_row(row), m_col(col)
{
}

bool GridCellAccessible::isValid() const
{
    return m_view && m_view->grid() && m_view->grid()->contains(m_row, m_col);
}

GridAccessible *GridCellAccessible::grid() const
{
    return m_view ? static_cast<GridAccessible *>(QAccessible::queryAccessibleInterface(m_view))
                  : nullptr;
}

QWindow *GridCellAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *GridCellAccessible::parent() const
{
    return grid();
}

bool GridCellAccessible::isHeaderRow() const
{
    return m_view && m_row <= m_view->accessibleHeaderRow();
}

QString GridCellAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    switch (t) {
    case QAccessible::Name:
    case QAccessible::Value:
        return m_view->grid()->text(m_row, m_col).simplified();
    case QAccessible::Description:
        return m_view->cellDescription(m_row, m_col);
    default:
        return {};
    }
}

QRect GridCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect r = m_view->cellRect(m_row, m_col);
    return QRect(m_view->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::Role GridCellAccessible::role() const
{
    if (isHeaderRow())
        return QAccessible::ColumnHeader;
    if (m_view && m_col == m_view->rowHeaderColumn(m_row, m_col))
        return QAccessible::RowHeader;
    return QAccessible::Cell;
}

QAccessible::State GridCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    const Grid *g = m_view->grid();
    s.focusable = true;
    s.selectable = true;
    s.focused = m_view->hasFocus() && g->row() == m_row && g->col() == m_col;
    s.active = g->row() == m_row && g->col() == m_col;
    s.selected = isSelected();
    const QRect shown = m_view->viewport()->geometry();
    if (!m_view->isVisible() || !shown.intersects(m_view->cellRect(m_row, m_col)))
        s.offscreen = s.invisible = true;
    return s;
}

void *GridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface && !isHeaderRow())
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

bool GridCellAccessible::isSelected() const
{
    if (!isValid())
        return false;
    const Grid *g = m_view->grid();
    const Range s = selectionRange(*g);
    return m_row >= s.r1 && m_row <= s.r2 && m_col >= s.c1 && m_col <= s.c2;
}

int GridCellAccessible::rowIndex() const
{
    return m_view ? m_row - (m_view->accessibleHeaderRow() + 1) : -1;
}

QList<QAccessibleInterface *> GridCellAccessible::columnHeaderCells() const
{
    QList<QAccessibleInterface *> cells;
    GridAccessible *table = grid();
    const int header = m_view ? m_view->accessibleHeaderRow() : -1;
    if (table && header >= 0 && m_row > header)
        if (QAccessibleInterface *cell = table->gridCell(header, m_col))
            cells.append(cell);
    return cells;
}

QList<QAccessibleInterface *> GridCellAccessible::rowHeaderCells() const
{
    QList<QAccessibleInterface *> cells;
    GridAccessible *table = grid();
    const int col = m_view ? m_view->rowHeaderColumn(m_row, m_col) : -1;
    if (table && col >= 0)
        if (QAccessibleInterface *cell = table->gridCell(m_row, col))
            cells.append(cell);
    return cells;
}
