#include "ui/grid/gridview.h"

#include "ui/desktop/fonts.h"
#include "ui/desktop/keymapping.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/grid/gridaccessible.h"
#include "ui/grid/gridviewinternal.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

GridView::GridView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    installGridAccessibility();
}

void GridView::setGrid(Grid *grid)
{
    m_grid = grid;
    m_dragging = false;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    m_seenRow = m_seenCol = -1;
    refresh();
}

void GridView::refresh()
{
    m_layout.revision = ~quint64(0);
    m_layout.fontSize = -1;
    layout();
    syncScrollBars();
    if (m_grid && (m_grid->row() != m_seenRow || m_grid->col() != m_seenCol)) {
        m_seenRow = m_grid->row();
        m_seenCol = m_grid->col();
        ensureVisible(m_seenRow, m_seenCol);
        updateInputMethod(Qt::ImEnabled | Qt::ImCursorRectangle);
        notifyGridChange();
        notifyCurrentCell();
    } else {
        notifyGridChange();
    }
    viewport()->update();
}

const GridView::Layout &GridView::layout() const
{
    Layout &l = m_layout;
    if (!m_grid) {
        if (l.rows || l.cols || l.revision != 0) {
            l = Layout();
            l.revision = 0;
            l.font = QFont(defaultFontFamily());
            l.rowHeight = QFontMetrics(l.font).height() + 2 * TextPadding;
            l.colX.assign(1, 0);
            ++m_generation;
        }
        return l;
    }
    const double zoom = fontZoom();
    const double tpp = twipsPerPixelX() / zoom;
    const bool fontChanged =
        m_grid->fontName() != l.fontName || m_grid->fontSize() != l.fontSize || zoom != l.zoom;
    if (!fontChanged && l.revision == m_grid->revision() && tpp == l.twipsPerPixel)
        return l;

    if (fontChanged) {
        l.fontName = m_grid->fontName();
        l.fontSize = m_grid->fontSize();
        l.zoom = zoom;
        l.font = QFont(l.fontName.isEmpty() ? defaultFontFamily() : l.fontName);
        l.font.setPointSizeF((l.fontSize > 0 ? l.fontSize : 9.0) * zoom);
        l.rowHeight = std::max(QFontMetrics(l.font).height() + 2 * TextPadding, 1);
        m_shaped.clear();
        m_shapedBefore.clear();
    }
    l.revision = m_grid->revision();
    l.twipsPerPixel = tpp;
    l.rows = m_grid->rows();
    l.cols = m_grid->cols();
    l.fixedRows = std::clamp(m_grid->fixedRows(), 0, l.rows);
    l.fixedCols = std::clamp(m_grid->fixedCols(), 0, l.cols);
    l.colX.resize(size_t(l.cols) + 1);
    l.colX[0] = 0;
    for (int c = 0; c < l.cols; ++c)
        l.colX[size_t(c) + 1] = l.colX[size_t(c)] + int(std::lround(m_grid->colWidth(c) / tpp));
    l.fixedWidth = l.colX[size_t(l.fixedCols)];
    l.fixedHeight = l.fixedRows * l.rowHeight;
    ++m_generation;
    return l;
}

void GridView::syncScrollBars()
{
    const Layout &l = layout();
    m_barsGeneration = m_generation;
    const QSize size = viewport()->size();

    // Smallest first column that still shows the last column whole.
    const int availWidth = size.width() - l.fixedWidth;
    int maxLeft = l.fixedCols;
    if (l.cols > l.fixedCols) {
        maxLeft = l.cols - 1;
        while (maxLeft > l.fixedCols &&
               l.colX[size_t(l.cols)] - l.colX[size_t(maxLeft) - 1] <= availWidth)
            --maxLeft;
    }
    int shownCols = 0;
    for (int c = leftCol();
         c < l.cols && l.colX[size_t(c) + 1] - l.colX[size_t(leftCol())] <= availWidth; ++c)
        ++shownCols;
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, maxLeft - l.fixedCols);
    h->setPageStep(std::max(shownCols, 1));

    const int scrollRows = l.rows - l.fixedRows;
    const int shownRows = std::max((size.height() - l.fixedHeight) / l.rowHeight, 0);
    int maxTop = 0;
    if (scrollRows > shownRows)
        maxTop = scrollRows - std::max(shownRows, 1);
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, maxTop);
    v->setPageStep(std::max(shownRows, 1));
}

int GridView::topRow() const
{
    const Layout &l = layout();
    const int top = l.fixedRows + verticalScrollBar()->value();
    return std::clamp(top, l.fixedRows, std::max(l.rows - 1, l.fixedRows));
}

int GridView::leftCol() const
{
    const Layout &l = layout();
    const int left = l.fixedCols + horizontalScrollBar()->value();
    return std::clamp(left, l.fixedCols, std::max(l.cols - 1, l.fixedCols));
}

int GridView::rowHeight() const
{
    return layout().rowHeight;
}

int GridView::colPixelWidth(int col) const
{
    const Layout &l = layout();
    if (col < 0 || col >= l.cols)
        return 0;
    return l.colX[size_t(col) + 1] - l.colX[size_t(col)];
}

QFont GridView::gridFont() const
{
    return layout().font;
}

double GridView::fontZoom() const
{
    const double points = font().pointSizeF();
    return points > DesignFontPoints ? points / DesignFontPoints : 1.0;
}

void GridView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_grid) {
        refresh();
        ensureVisible(m_grid->row(), m_grid->col());
    }
}

int GridView::colLeft(int col) const
{
    const Layout &l = layout();
    if (col < l.fixedCols)
        return l.colX[size_t(col)];
    return l.fixedWidth + l.colX[size_t(col)] - l.colX[size_t(leftCol())];
}

int GridView::rowTop(int row) const
{
    const Layout &l = layout();
    if (row < l.fixedRows)
        return row * l.rowHeight;
    return l.fixedHeight + (row - topRow()) * l.rowHeight;
}

QRect GridView::cellRect(int row, int col) const
{
    const Layout &l = layout();
    if (!m_grid || row < 0 || col < 0 || row >= l.rows || col >= l.cols)
        return QRect();
    return QRect(colLeft(col), rowTop(row), colPixelWidth(col), l.rowHeight)
        .translated(viewport()->geometry().topLeft());
}

bool GridView::viewportCellAt(const QPoint &pos, int *row, int *col) const
{
    const Layout &l = layout();
    if (!m_grid || pos.x() < 0 || pos.y() < 0)
        return false;
    int x = pos.x();
    int first = 0;
    if (x >= l.fixedWidth) {
        x = x - l.fixedWidth + l.colX[size_t(leftCol())];
        first = leftCol();
    }
    const auto it = std::upper_bound(l.colX.begin() + first, l.colX.end(), x);
    const int c = int(it - l.colX.begin()) - 1;
    if (c < 0 || c >= l.cols)
        return false;
    const int r = pos.y() < l.fixedHeight ? pos.y() / l.rowHeight
                                          : topRow() + (pos.y() - l.fixedHeight) / l.rowHeight;
    if (r >= l.rows)
        return false;
    *row = r;
    *col = c;
    return true;
}

bool GridView::cellAt(const QPoint &pos, int *row, int *col) const
{
    return viewportCellAt(pos - viewport()->geometry().topLeft(), row, col);
}

void GridView::ensureVisible(int row, int col)
{
    const Layout &l = layout();
    if (!m_grid)
        return;
    if (m_barsGeneration != m_generation)
        syncScrollBars();
    if (col >= l.fixedCols && col < l.cols) {
        int left = leftCol();
        if (col < left) {
            left = col;
        } else {
            const int availWidth = viewport()->width() - l.fixedWidth;
            while (left < col && l.colX[size_t(col) + 1] - l.colX[size_t(left)] > availWidth)
                ++left;
        }
        horizontalScrollBar()->setValue(left - l.fixedCols);
    }
    if (row >= l.fixedRows && row < l.rows) {
        int top = topRow();
        const int shown = std::max((viewport()->height() - l.fixedHeight) / l.rowHeight, 1);
        if (row < top)
            top = row;
        else if (row >= top + shown)
            top = row - shown + 1;
        verticalScrollBar()->setValue(top - l.fixedRows);
    }
}

void GridView::setCurrentCell(int row, int col)
{
    moveTo(row, col, false);
}

void GridView::setSelectionCorner(int rowSel, int colSel)
{
    moveTo(rowSel, colSel, true);
}

void GridView::moveTo(int row, int col, bool extend)
{
    if (!m_grid || m_grid->rows() == 0 || m_grid->cols() == 0)
        return;
    row = std::clamp(row, 0, m_grid->rows() - 1);
    col = std::clamp(col, 0, m_grid->cols() - 1);
    if (extend) {
        if (row == m_grid->rowSel() && col == m_grid->colSel())
            return;
        m_grid->setSelection(row, col);
    } else {
        if (row == m_grid->row() && col == m_grid->col() && row == m_grid->rowSel() &&
            col == m_grid->colSel())
            return;
        m_grid->setCurrent(row, col);
    }
    m_seenRow = m_grid->row();
    m_seenCol = m_grid->col();
    ensureVisible(row, col);
    viewport()->update();
    updateInputMethod(Qt::ImEnabled | Qt::ImCursorRectangle);
    notifyCurrentCell();
    Q_EMIT selChange();
}

int GridView::pageRows() const
{
    const Layout &l = layout();
    return std::max((viewport()->height() - l.fixedHeight) / l.rowHeight, 1);
}

// Keyboard movement never enters the fixed rows and columns; a current cell put there by the
// mouse or the program may leave along its row or column.
bool GridView::moveByKey(QKeyCombination key)
{
    if (key.keyboardModifiers() & Qt::AltModifier)
        return false;
    const GridMove move = gridMove(key);
    const bool extend = move.extend;
    const bool ctrl = move.toEdge;
    const Layout &l = layout();
    if (l.rows == 0 || l.cols == 0)
        return false;
    const int fromRow = extend ? m_grid->rowSel() : m_grid->row();
    const int fromCol = extend ? m_grid->colSel() : m_grid->col();
    const int lastRow = l.rows - 1;
    const int lastCol = l.cols - 1;
    const int firstRow = std::min(l.fixedRows, lastRow);
    const int firstCol = std::min(l.fixedCols, lastCol);
    int row = fromRow;
    int col = fromCol;
    switch (move.step) {
    case GridMove::Left:
        col = std::max(ctrl ? firstCol : fromCol - 1, std::min(fromCol, firstCol));
        break;
    case GridMove::Right:
        col = std::min(ctrl ? lastCol : fromCol + 1, lastCol);
        break;
    case GridMove::Up:
        row = std::max(ctrl ? firstRow : fromRow - 1, std::min(fromRow, firstRow));
        break;
    case GridMove::Down:
        row = std::min(ctrl ? lastRow : fromRow + 1, lastRow);
        break;
    case GridMove::PageUp: // the page flips with the cell
        row = std::max(fromRow - pageRows(), std::min(fromRow, firstRow));
        verticalScrollBar()->setValue(verticalScrollBar()->value() - pageRows());
        break;
    case GridMove::PageDown:
        row = std::min(fromRow + pageRows(), lastRow);
        verticalScrollBar()->setValue(verticalScrollBar()->value() + pageRows());
        break;
    case GridMove::Home:
        col = firstCol;
        if (ctrl)
            row = firstRow;
        break;
    case GridMove::End:
        col = lastCol;
        if (ctrl)
            row = lastRow;
        break;
    default:
        return false;
    }
    moveTo(row, col, extend);
    ensureVisible(row, col); // also when nothing moved, so a page key shows the cell
    return true;
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    if (QWidget *target = compositionTarget()) {
        QCoreApplication::sendEvent(target, event);
        return;
    }
    const QKeyCombination key = event->keyCombination();
    bool handled = false;
    if (key.key() != Qt::Key_unknown && key.key() != 0)
        Q_EMIT keyDown(key, &handled);
    bool used = handled;
    if (!handled && m_grid)
        used = moveByKey(key);
    const QString text = typedCharacter(event);
    if (!text.isEmpty()) {
        Q_EMIT keyPress(text);
        used = true;
    }
    // Keys the grid has no use for go on to the window.
    event->setAccepted(used);
}

void GridView::inputMethodEvent(QInputMethodEvent *event)
{
    event->accept();
    // An input method may deliver what it holds once more while its first delivery is still
    // being handled (a focus change makes it commit): that copy would nest without end.
    if (m_inInputMethodEvent)
        return;
    const QScopedValueRollback<bool> guard(m_inInputMethodEvent, true);
    if (QWidget *target = compositionTarget())
        QCoreApplication::sendEvent(target, event);
    else
        Q_EMIT inputMethod(event);
    // The caret of a composition target moved; it is not the focus, so it does not say so.
    if (compositionTarget())
        updateInputMethod(Qt::ImCursorRectangle);
}

void GridView::setInputMethodRule(std::function<bool(int, int)> rule)
{
    m_inputMethodRule = std::move(rule);
    updateInputMethod(Qt::ImEnabled);
}

void GridView::setCompositionTarget(QWidget *target)
{
    m_compositionTarget = target;
    updateInputMethod(Qt::ImCursorRectangle);
}

QWidget *GridView::compositionTarget() const
{
    QWidget *target = m_compositionTarget.data();
    return target && target->isVisible() ? target : nullptr;
}

void GridView::updateInputMethod(Qt::InputMethodQueries queries) const
{
    if (hasFocus())
        QGuiApplication::inputMethod()->update(queries);
}

QVariant GridView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (QWidget *target = compositionTarget()) {
        const QVariant value = target->inputMethodQuery(query);
        switch (query) {
        case Qt::ImCursorRectangle:
        case Qt::ImAnchorRectangle:
        case Qt::ImInputItemClipRectangle:
            return value.toRectF().translated(mapFromGlobal(target->mapToGlobal(QPointF(0, 0))));
        case Qt::ImEnabled:
            return true;
        default:
            return value;
        }
    }
    switch (query) {
    case Qt::ImCursorRectangle:
        return m_grid ? QVariant(cellRect(m_grid->row(), m_grid->col())) : QVariant();
    case Qt::ImFont:
        return gridFont();
    case Qt::ImEnabled: {
        if (!m_grid || !m_inputMethodRule)
            return true;
        return m_inputMethodRule(m_grid->row(), m_grid->col());
    }
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint(); // viewport coordinates
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    int row = 0;
    int col = 0;
    if (event->button() == Qt::LeftButton && viewportCellAt(pos, &row, &col)) {
        moveTo(row, col, shift);
        m_dragging = true;
    }
    const QPoint at = viewport()->mapTo(this, pos);
    Q_EMIT mouseDown(event->button(), event->modifiers(), at);
    event->accept();
}

// While dragging past an edge the selection goes one cell beyond what is shown, so repeated
// moves scroll on.
int GridView::dragCol(int x) const
{
    const Layout &l = layout();
    const int left = leftCol();
    if (x < l.fixedWidth) {
        if (left > l.fixedCols)
            return left - 1;
        for (int c = 0; c < l.fixedCols; ++c)
            if (x < l.colX[size_t(c) + 1])
                return c;
        return left;
    }
    if (x >= viewport()->width()) {
        int last = left;
        while (last + 1 < l.cols && colLeft(last + 1) < viewport()->width())
            ++last;
        return std::min(last + 1, l.cols - 1);
    }
    const int xs = x - l.fixedWidth + l.colX[size_t(left)];
    const auto it = std::upper_bound(l.colX.begin() + left, l.colX.end(), xs);
    return std::clamp(int(it - l.colX.begin()) - 1, 0, l.cols - 1);
}

int GridView::dragRow(int y) const
{
    const Layout &l = layout();
    const int top = topRow();
    if (y < l.fixedHeight) {
        if (top > l.fixedRows)
            return top - 1;
        return std::clamp(y / l.rowHeight, 0, l.rows - 1);
    }
    if (y >= viewport()->height()) {
        const int shown = (viewport()->height() - l.fixedHeight + l.rowHeight - 1) / l.rowHeight;
        return std::min(top + shown, l.rows - 1);
    }
    return std::min(top + (y - l.fixedHeight) / l.rowHeight, l.rows - 1);
}

void GridView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton) || !m_grid) {
        event->ignore();
        return;
    }
    const Layout &l = layout();
    if (l.rows == 0 || l.cols == 0)
        return;
    const QPoint pos = event->position().toPoint();
    moveTo(dragRow(pos.y()), dragCol(pos.x()), true);
    event->accept();
}

void GridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    event->accept();
}

void GridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    int row = 0;
    int col = 0;
    if (event->button() == Qt::LeftButton &&
        viewportCellAt(event->position().toPoint(), &row, &col)) {
        // Normally the first click already made the cell current.
        if (!(event->modifiers() & Qt::ShiftModifier))
            moveTo(row, col, false);
        Q_EMIT doubleClicked();
    }
    event->accept();
}

void GridView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    notifyCurrentCell();
    Q_EMIT gotFocus();
}

void GridView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_dragging = false;
    viewport()->update();
}

void GridView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    syncScrollBars();
}

void GridView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    syncScrollBars();
}

void GridView::scrollContentsBy(int, int)
{
    // The fixed rows and columns stay, so the whole viewport is drawn again.
    viewport()->update();
    updateInputMethod(Qt::ImCursorRectangle);
}

void GridView::setAccessibleHeaders(int headerRow, std::function<int(int, int)> rowHeader)
{
    m_headerRow = std::max(headerRow, -1);
    m_rowHeader = std::move(rowHeader);
    if (gridAccessibilityActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        sendGridAccessibilityEvent(&event);
    }
}

void GridView::setCellDescription(std::function<QString(int, int)> describe)
{
    m_describe = std::move(describe);
}

int GridView::rowHeaderColumn(int row, int col) const
{
    return m_rowHeader && m_grid && m_grid->contains(row, col) ? m_rowHeader(row, col) : -1;
}

QString GridView::cellDescription(int row, int col) const
{
    return m_describe && m_grid && m_grid->contains(row, col) ? m_describe(row, col) : QString();
}

void GridView::notifyCurrentCell()
{
    if (!m_grid || !hasFocus() || !gridAccessibilityActive())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    auto *grid = dynamic_cast<GridAccessible *>(table);
    const int index = grid ? grid->childIndex(m_grid->row(), m_grid->col()) : -1;
    if (index < 0)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(index);
    sendGridAccessibilityEvent(&focus);
    QAccessibleEvent descendant(this, QAccessible::ActiveDescendantChanged);
    descendant.setChild(index);
    sendGridAccessibilityEvent(&descendant);
}

void GridView::notifyGridChange()
{
    const int rows = m_grid ? m_grid->rows() : 0;
    const int cols = m_grid ? m_grid->cols() : 0;
    const Grid::TextStamp texts = m_grid ? m_grid->textStamp() : Grid::TextStamp();
    if (rows == m_toldRows && cols == m_toldCols && texts == m_toldTexts)
        return;
    const bool reshaped = rows != m_toldRows || cols != m_toldCols;
    m_toldRows = rows;
    m_toldCols = cols;
    m_toldTexts = texts;
    if (!gridAccessibilityActive())
        return;
    if (reshaped) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        sendGridAccessibilityEvent(&event);
        return;
    }
    // The texts of any cell may have changed (a recalculation writes whole columns).
    QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
    event.setFirstRow(0);
    event.setLastRow(std::max(rows - 1 - (m_headerRow + 1), 0));
    event.setFirstColumn(0);
    event.setLastColumn(std::max(cols - 1, 0));
    sendGridAccessibilityEvent(&event);
}
