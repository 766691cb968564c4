// Behaviour: mouse, keys, focus, the hover animation and the pointer.
#include "ui/controls/skinbutton.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <iterator>

namespace {

int buttonCode(Qt::MouseButtons buttons)
{
    return int(buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton));
}

Qt::CursorShape standardPointer(int n)
{
    // The standard pointer numbers of the MousePointer property, 0 to 15; 0, 1 and 4 (and any
    // other number) are the arrow.
    static constexpr Qt::CursorShape Shapes[] = {
        Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
        Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};
    return n >= 0 && n < int(std::size(Shapes)) ? Shapes[n] : Qt::ArrowCursor;
}

} // namespace

void SkinButton::animationTick()
{
    if (currentLook() != ButtonLook::Hover || m_frameLayout != 11 || !isEnabled()) {
        m_timer->stop();
        return;
    }
    advancePhase(m_phase, m_phaseDir);
    refreshLook();
}

void SkinButton::doMouseMove(int button, double x, double y)
{
    const bool outside = x < 0 || y < 0 || x >= width() || y >= height() ||
                         (m_hasHitRegion && !m_hitRegion.contains(QPoint(int(x), int(y))));
    if (outside) {
        m_state = ButtonState::Up;
        refreshLook();
        releasePointer();
        Q_EMIT mouseLostFocus();
        return;
    }
    m_state = responds(button, m_response) ? ButtonState::Down : ButtonState::Move;
    refreshLook();
    Q_EMIT mouseMove(button, float(x), float(y));
}

void SkinButton::doMouseDown(int button, double x, double y)
{
    m_doubleClickPresses = false;
    m_pressed = responds(button, m_response);
    if (m_pressed)
        doMouseMove(button, x, y);
    Q_EMIT mouseDown(button);
}

void SkinButton::doMouseUp(int button)
{
    m_doubleClickPresses = false;
    // Only a release that ends a press on this control clicks, wherever the pointer is now.
    m_pressFlag = m_pressed && responds(button, m_response);
    m_pressed = false;
    m_state = ButtonState::Move;
    refreshLook();
    const QPointer<SkinButton> self(this);
    if (isEnabled() && m_pressFlag) {
        m_state = ButtonState::Normal;
        refreshLook();
        Q_EMIT mouseUp(button);
        if (self)
            Q_EMIT click();
        if (self)
            Q_EMIT clickBtn(button);
    } else {
        m_state = ButtonState::Up;
        refreshLook();
        Q_EMIT mouseUp(button);
    }
}

void SkinButton::clickNotice()
{
    m_doubleClickPresses = m_pressFlag;
    m_pressFlag = false;
}

void SkinButton::mousePressEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    doMouseDown(buttonCode(event->button()), p.x(), p.y());
    event->accept();
}

void SkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointer<SkinButton> self(this);
    doMouseUp(buttonCode(event->button()));
    if (self)
        clickNotice();
    event->accept();
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click arrives here instead of as a press.
    if (!m_doubleClickPresses) {
        mousePressEvent(event);
        return;
    }
    m_pressed = true;
    doMouseMove(1, 10, 10);
    m_doubleClickPresses = false;
    event->accept();
}

void SkinButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    doMouseMove(buttonCode(event->buttons()), p.x(), p.y());
    event->accept();
}

void SkinButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (isEnabled())
        doMouseMove(0, -10, -10);
}

void SkinButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool space = event->key() == Qt::Key_Space;
    if (m_keyboardUse && (enter || space))
        doMouseDown(1, 10, 10);
    // Enter never reaches another handler (a dialog's default button, the parent window).
    if (enter || (m_keyboardUse && space)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinButton::keyReleaseEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool space = event->key() == Qt::Key_Space;
    if (m_keyboardUse && (enter || space)) {
        // A held key repeats as release/press pairs: only the real release clicks.
        if (!event->isAutoRepeat())
            doMouseUp(1);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void SkinButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(); // the focus frame
}

void SkinButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
    // A key held down when the focus left can no longer be released here.
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        m_pressed = false;
    if (m_focusLostUse)
        doMouseMove(0, -10, -10);
}

void SkinButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    applyPointer();
    if (!isEnabled()) {
        m_pressed = false;
        Q_EMIT mouseLostFocus();
    } else {
        m_state = ButtonState::Enabled;
    }
    refreshLook();
}

bool SkinButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (m_tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(mapToGlobal(QPoint(width() / 2, height())), m_tip, this, rect());
        }
        return true;
    }
    return QWidget::event(event);
}

void SkinButton::applyPointer()
{
    if (!isEnabled()) {
        unsetCursor();
        return;
    }
    if (m_mousePointer == 0)
        setCursor(QCursor(QPixmap(QStringLiteral(":/controls/hand.png")), 14, 0));
    else if (m_mousePointer >= 1 && m_mousePointer <= 15)
        setCursor(standardPointer(m_mousePointer));
}
