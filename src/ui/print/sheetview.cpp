#include "ui/print/sheetview.h"

#include "ui/desktop/screenmetrics.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int ScrollBarSize = 20;

int clamp16(qint64 v)
{
    return int(std::clamp<qint64>(v, SHRT_MIN, SHRT_MAX));
}

// Sets a bar for a sheet of paperSize on a panel of panelSize, keeping its relative position
// from the previous maximum keptMax (updated).
void fitScrollBar(QScrollBar *bar, int paperSize, int panelSize, int &keptMax)
{
    const int kept = keptMax;
    const int present = bar->value();
    const int maximum = clamp16(qint64(paperSize) - panelSize);
    keptMax = maximum;
    const int small = std::max(1, std::abs(maximum) / 20);
    const int large =
        clamp16(std::llround(std::abs(double(panelSize) / std::max(paperSize, 1) * maximum)));
    int value = 0;
    // With no previous range there is no position to keep.
    if (kept > 0 && maximum > 0)
        value = roundEven(double(maximum) / kept * present);
    bar->blockSignals(true);
    bar->setRange(0, std::max(0, maximum));
    bar->setSingleStep(small);
    bar->setPageStep(std::max(1, large));
    bar->setValue(std::clamp(value, 0, std::max(0, maximum)));
    bar->blockSignals(false);
    bar->setEnabled(paperSize > panelSize);
}

} // namespace

// The dark panel: the viewport of the sheet and the target of the drag.
class SheetPanel : public QWidget
{
public:
    explicit SheetPanel(SheetView *owner) : QWidget(owner), m_owner(owner)
    {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(64, 64, 64));
        setPalette(p);
        setMouseTracking(true);
        setCursor(Qt::OpenHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        m_owner->press(e->button(), toTwips(e->position()));
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        m_owner->move(e->buttons(), toTwips(e->position()));
    }
    void mouseReleaseEvent(QMouseEvent *) override { setCursor(Qt::OpenHandCursor); }

private:
    QPoint toTwips(QPointF px) const
    {
        return QPoint(roundEven(px.x() * twipsPerPixelX()), roundEven(px.y() * twipsPerPixelY()));
    }
    SheetView *m_owner;
};

// The printable area: shows the picture the layout drew.
class SheetPicture : public QWidget
{
public:
    explicit SheetPicture(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage image;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (image.isNull())
            p.fillRect(rect(), Qt::white);
        else
            p.drawImage(0, 0, image);
    }
};

SheetView::SheetView(QWidget *parent) : QWidget(parent)
{
    m_tppX = twipsPerPixelX();
    m_tppY = twipsPerPixelY();
    m_panel = new SheetPanel(this);
    m_paper = new QWidget(m_panel);
    m_paper->setAutoFillBackground(true);
    QPalette paper = m_paper->palette();
    paper.setColor(QPalette::Window, QColor(224, 224, 224));
    m_paper->setPalette(paper);
    m_paper->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picture = new SheetPicture(m_paper);

    m_scrollX = new QScrollBar(Qt::Horizontal, this);
    m_scrollY = new QScrollBar(Qt::Vertical, this);
    connect(m_scrollX, &QScrollBar::valueChanged, this, &SheetView::scrolledX);
    connect(m_scrollY, &QScrollBar::valueChanged, this, &SheetView::scrolledY);
    m_corner = new QWidget(this);
    m_corner->setAutoFillBackground(true);
}

QWidget *SheetView::panel() const
{
    return m_panel;
}

QWidget *SheetView::picture() const
{
    return m_picture;
}

QImage &SheetView::image()
{
    return m_picture->image;
}

void SheetView::showImage()
{
    m_picture->update();
}

int SheetView::pixelsX(int twips) const
{
    return roundEven(twips / m_tppX);
}

int SheetView::pixelsY(int twips) const
{
    return roundEven(twips / m_tppY);
}

void SheetView::layOut(const PageGeometry &g)
{
    m_geometry = g;
    const int panelW = std::max(1, width() - ScrollBarSize);
    const int panelH = std::max(1, height() - ScrollBarSize);
    m_panel->setGeometry(0, 0, panelW, panelH);
    m_panelSize = QSize(roundEven(panelW * m_tppX), roundEven(panelH * m_tppY));
    m_scrollX->setGeometry(0, panelH, panelW, ScrollBarSize);
    m_scrollY->setGeometry(panelW, 0, ScrollBarSize, panelH);
    m_corner->setGeometry(panelW, panelH, ScrollBarSize, ScrollBarSize);

    m_paperPos = QPoint(std::max(0, (m_panelSize.width() - g.pageWidth) / 2),
                        std::max(0, (m_panelSize.height() - g.pageHeight) / 2));
    const int viewLeft = (g.pageWidth - g.printableWidth) / 2;
    const int viewTop = (g.pageHeight - g.printableHeight) / 2;
    m_picture->setGeometry(pixelsX(viewLeft), pixelsY(viewTop), pixelsX(g.printableWidth),
                           pixelsY(g.printableHeight));

    fitScrollBar(m_scrollX, g.pageWidth, m_panelSize.width(), m_keptMaxima.rwidth());
    fitScrollBar(m_scrollY, g.pageHeight, m_panelSize.height(), m_keptMaxima.rheight());
    // Follow the bars even when their values did not change.
    scrolledX(m_scrollX->value());
    scrolledY(m_scrollY->value());
    placePaper();
}

void SheetView::scrolledX(int value)
{
    if (m_panelSize.width() < m_geometry.pageWidth) {
        m_paperPos.setX(-value);
        placePaper();
    }
}

void SheetView::scrolledY(int value)
{
    if (m_panelSize.height() < m_geometry.pageHeight) {
        m_paperPos.setY(-value);
        placePaper();
    }
}

void SheetView::placePaper()
{
    m_paper->setGeometry(pixelsX(m_paperPos.x()), pixelsY(m_paperPos.y()),
                         pixelsX(m_geometry.pageWidth), pixelsY(m_geometry.pageHeight));
}

void SheetView::press(Qt::MouseButton button, QPoint p)
{
    if (button != Qt::LeftButton)
        return;
    m_panel->setCursor(Qt::ClosedHandCursor);
    const QPoint half(m_panelSize.width() / 2, m_panelSize.height() / 2);
    m_dragAnchor = m_paperPos - p + half;
    m_paper->hide();
    m_paperPos = *m_dragAnchor;
    // The pointer's own position keeps the sheet where it was until the pointer moves.
    dragTo(p);
}

void SheetView::move(Qt::MouseButtons buttons, QPoint p)
{
    if (!(buttons & Qt::LeftButton)) {
        m_panel->setCursor(Qt::OpenHandCursor);
        return;
    }
    if (m_dragAnchor)
        dragTo(p);
}

void SheetView::dragTo(QPoint p)
{
    const int panelW = m_panelSize.width();
    const int panelH = m_panelSize.height();
    const int paperW = m_geometry.pageWidth;
    const int paperH = m_geometry.pageHeight;
    int nx = p.x() + m_dragAnchor->x() - panelW / 2;
    int ny = p.y() + m_dragAnchor->y() - panelH / 2;
    nx = std::min(nx, 0);
    ny = std::min(ny, 0);
    nx = std::max(nx, panelW - paperW);
    ny = std::max(ny, panelH - paperH);
    if (paperW < panelW)
        nx = panelW / 2 - paperW / 2;
    if (paperH < panelH)
        ny = panelH / 2 - paperH / 2;
    m_paperPos = QPoint(nx, ny);
    placePaper();
    m_scrollX->blockSignals(true);
    m_scrollY->blockSignals(true);
    m_scrollX->setValue(clamp16(-qint64(nx)));
    m_scrollY->setValue(clamp16(-qint64(ny)));
    m_scrollX->blockSignals(false);
    m_scrollY->blockSignals(false);
    if (m_paper->isHidden())
        m_paper->show();
}
