#include "ui/mainwindow/mainwindow.h"

#include "ui/document/documentwindow.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <algorithm>

// ---- Window menu ----

QPoint MainWindow::cascadePlace(int index, const QSize &size) const
{
    const QRect area = m_mdi->viewport()->rect();
    // One title bar lower and to the right each time; back to the corner before a window
    // would leave the area.
    int step = 24;
    for (const QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->widget() && !sub->isMinimized()) {
            step = std::max(8, sub->widget()->y());
            break;
        }
    }
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(1, room / step + 1);
    const int k = index % places;
    return {k * step, k * step};
}

void MainWindow::cascadeWindows()
{
    // Qt's own cascade sizes each window to its size hint; a document window has none and
    // would shrink to its title bar. The documents get their designed size instead.
    const QList<QMdiSubWindow *> windows = arrangeableWindows();
    const QSize size = QSize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight)
                           .boundedTo(m_mdi->viewport()->size());
    const int n = int(windows.size());
    // The bottom of the stack first, so the active window ends on top at the last place.
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows[n - 1 - i];
        if (sub->isMaximized())
            sub->showNormal();
        sub->setGeometry(QRect(cascadePlace(i, size), size));
        sub->raise();
    }
}

QList<QMdiSubWindow *> MainWindow::arrangeableWindows() const
{
    QList<QMdiSubWindow *> out;
    // Top of the stack first, so the active window leads.
    const QList<QMdiSubWindow *> stack = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it)
        if (!(*it)->isMinimized() && (*it)->isVisible())
            out.append(*it);
    return out;
}

void MainWindow::tile(bool oneAboveTheOther)
{
    const QList<QMdiSubWindow *> windows = arrangeableWindows();
    if (windows.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows[i];
        if (sub->isMaximized())
            sub->showNormal();
        if (oneAboveTheOther) {
            const int top = area.height() * i / n;
            const int bottom = area.height() * (i + 1) / n;
            sub->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n;
            const int right = area.width() * (i + 1) / n;
            sub->setGeometry(left, 0, right - left, area.height());
        }
    }
}

void MainWindow::tileOneAboveTheOther()
{
    tile(true);
}

void MainWindow::tileSideBySide()
{
    tile(false);
}

void MainWindow::updateWindowMenu()
{
    for (QAction *a : std::as_const(m_windowList))
        delete a;
    m_windowList.clear();
    const QList<QMdiSubWindow *> windows = m_mdi->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowList.append(windowMenu->addSeparator());
    QMdiSubWindow *current = m_mdi->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow *sub : windows) {
        ++number;
        QString title = sub->windowTitle();
        title.replace(u'&', QStringLiteral("&&"));
        QAction *a = windowMenu->addAction(
            (number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number)) +
            title);
        a->setCheckable(true);
        a->setChecked(sub == current);
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowList.append(a);
    }
}
