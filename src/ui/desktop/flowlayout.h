#pragma once
// A layout that places its items in a row as long as they fit and continues on the next row,
// so that a row of controls wraps rather than squeezing or clipping them when the window is
// narrow (a large scale or font). Items keep their size hints; expanding items (a stretch
// spacer) take no room of their own.

#include <QLayout>
#include <QList>

class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr, int spacing = -1);
    ~FlowLayout() override;

    // Moves the items of a box layout here, in order (stretches are dropped); a label followed
    // by its buddy moves with it as one item, so that the two stay on one row.
    void takeItemsOf(QLayout *layout);

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    int place(const QRect &rect, bool apply) const;
    int gap() const;

    QList<QLayoutItem *> m_items;
};
