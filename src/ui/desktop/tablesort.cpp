#include "ui/desktop/tablesort.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

namespace {

class KeyboardSort : public QObject
{
public:
    explicit KeyboardSort(QTableView *view) : QObject(view), m_view(view)
    {
        view->setContextMenuPolicy(Qt::DefaultContextMenu);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->horizontalHeader()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            if (watched != m_view)
                break;
            auto *key = static_cast<QKeyEvent *>(event);
            const QKeyCombination combination = key->keyCombination();
            const bool menuKey = combination == QKeyCombination(Qt::SHIFT | Qt::Key_F10);
            if (combination != sortAscendingKey && combination != sortDescendingKey && !menuKey)
                break;
            // Claimed before any shortcut of the window can take it.
            event->accept();
            if (event->type() == QEvent::ShortcutOverride)
                return true;
            if (menuKey)
                openMenu(currentColumn(), atCurrentCell());
            else
                sort(currentColumn(),
                     combination == sortAscendingKey ? Qt::AscendingOrder : Qt::DescendingOrder);
            return true;
        }
        case QEvent::ContextMenu: {
            auto *menuEvent = static_cast<QContextMenuEvent *>(event);
            if (menuEvent->reason() != QContextMenuEvent::Mouse) {
                openMenu(currentColumn(), atCurrentCell());
            } else if (watched == m_view->horizontalHeader()) {
                openMenu(m_view->horizontalHeader()->logicalIndexAt(menuEvent->pos()),
                         menuEvent->globalPos());
            } else {
                const int column = m_view->columnAt(menuEvent->pos().x());
                openMenu(column >= 0 ? column : currentColumn(), menuEvent->globalPos());
            }
            return true;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int currentColumn() const
    {
        const QModelIndex current = m_view->currentIndex();
        return current.isValid() ? current.column() : -1;
    }

    // Just below the current cell, or the table's top left corner when there is none in view.
    QPoint atCurrentCell() const
    {
        QWidget *viewport = m_view->viewport();
        const QRect cell = m_view->visualRect(m_view->currentIndex());
        if (!cell.isValid() || !viewport->rect().intersects(cell))
            return viewport->mapToGlobal(QPoint(0, 0));
        return viewport->mapToGlobal(
            QPoint(qMax(0, cell.left()), qMin(viewport->height() - 1, cell.bottom())));
    }

    void sort(int column, Qt::SortOrder order)
    {
        if (column < 0 || !m_view->isSortingEnabled() || !m_view->model() ||
            column >= m_view->model()->columnCount())
            return;
        m_view->sortByColumn(column, order);
        if (m_view->currentIndex().isValid())
            m_view->scrollTo(m_view->currentIndex());
    }

    void openMenu(int column, const QPoint &where)
    {
        auto *menu = new QMenu(m_view);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const bool can = column >= 0 && m_view->isSortingEnabled();
        const auto add = [&](const QString &text, QKeyCombination key, Qt::SortOrder order) {
            QAction *action = menu->addAction(text + u'\t' +
                                              QKeySequence(key).toString(QKeySequence::NativeText));
            action->setEnabled(can);
            connect(action, &QAction::triggered, this,
                    [this, column, order] { sort(column, order); });
        };
        add(QStringLiteral("この列で昇順に並べ替え"), sortAscendingKey, Qt::AscendingOrder);
        add(QStringLiteral("この列で降順に並べ替え"), sortDescendingKey, Qt::DescendingOrder);
        menu->popup(where);
    }

    QTableView *m_view;
};

} // namespace

void addKeyboardSort(QTableView *view)
{
    new KeyboardSort(view);
}
