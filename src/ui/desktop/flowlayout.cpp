#include "ui/desktop/flowlayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QWidget>
#include <algorithm>

FlowLayout::FlowLayout(QWidget *parent, int spacing) : QLayout(parent)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::takeItemsOf(QLayout *layout)
{
    QLabel *caption = nullptr; // a label waiting for the control it is the buddy of
    const auto flushCaption = [&] {
        if (caption)
            addWidget(caption);
        caption = nullptr;
    };
    while (QLayoutItem *item = layout->takeAt(0)) {
        QWidget *w = item->widget();
        QLayout *inner = item->layout();
        if (!w && inner) {
            flushCaption();
            takeItemsOf(inner);
        }
        delete item; // a stretch or spacer goes: rows are packed from the left
        if (!w)
            continue;
        if (caption && caption->buddy() == w) {
            // A label and the control it names stay on one row, without a widget between
            // them and the window (the controls keep their parent).
            auto *pair = new QHBoxLayout;
            pair->setContentsMargins(0, 0, 0, 0);
            addChildLayout(pair);
            pair->addWidget(caption);
            pair->addWidget(w);
            m_items.append(pair);
            caption = nullptr;
            continue;
        }
        flushCaption();
        if (auto *label = qobject_cast<QLabel *>(w); label && label->buddy())
            caption = label;
        else
            addWidget(w);
    }
    flushCaption();
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int FlowLayout::gap() const
{
    if (spacing() >= 0)
        return spacing();
    const QWidget *parent = parentWidget();
    return parent
               ? parent->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, parent)
               : 6;
}

int FlowLayout::heightForWidth(int width) const
{
    return place(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    // The widest single item: anything narrower clips it.
    QSize size;
    for (const QLayoutItem *item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize().expandedTo(item->sizeHint()));
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Everything on one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width() + (width > 0 ? gap() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    place(rect, true);
}

int FlowLayout::place(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int rowHeight = 0;
    // Items of one row share its height and are centred in it.
    QList<std::pair<QLayoutItem *, QPoint>> row;
    const auto finishRow = [&] {
        if (apply)
            for (const auto &[item, at] : row) {
                const QSize size = item->sizeHint();
                item->setGeometry(
                    QRect(QPoint(at.x(), at.y() + (rowHeight - size.height()) / 2), size));
            }
        row.clear();
    };
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            finishRow();
            x = area.x();
            y += rowHeight + gap();
            rowHeight = 0;
        }
        row.append({item, QPoint(x, y)});
        x += size.width() + gap();
        rowHeight = std::max(rowHeight, size.height());
    }
    finishRow();
    const QMargins m = contentsMargins();
    return y + rowHeight - rect.y() + m.bottom();
}
