#include "ui/document/celleditor.h"

#include "ui/document/fieldtextvalidator.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>

void applyImeMode(QWidget *widget, int ime)
{
    const bool free = ime != ImeDisabled;
    widget->setAttribute(Qt::WA_InputMethodEnabled, free);
    widget->setInputMethodHints(
        free ? Qt::ImhNone : Qt::ImhLatinOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

InputModeEdit::InputModeEdit(QWidget *parent) : QLineEdit(parent) {}

void InputModeEdit::setIme(int ime)
{
    m_ime = ime;
    applyImeMode(this, ime);
}

QVariant InputModeEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return inputMethodQuery(query, QVariant());
}

QVariant InputModeEdit::inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const
{
    if (query == Qt::ImEnabled && m_ime == ImeDisabled)
        return false;
    return QLineEdit::inputMethodQuery(query, argument);
}

CellEditBox::CellEditBox(QWidget *parent) : InputModeEdit(parent)
{
    setFrame(false);
    setObjectName(QStringLiteral("cellEditor"));
    m_numbers = new NumberTextValidator(this);
    connect(this, &QLineEdit::textChanged, this, &CellEditBox::fitToText);
}

void CellEditBox::setIme(int ime)
{
    InputModeEdit::setIme(ime);
    setValidator(ime == ImeDisabled ? m_numbers : nullptr);
}

void CellEditBox::placeOver(const QRect &cell, const QRect &room)
{
    m_cell = cell;
    m_room = room;
    setGeometry(cell);
    fitToText();
}

void CellEditBox::fitToText()
{
    if (m_cell.isNull())
        return;
    // Room for QLineEdit's inner margins and the caret.
    constexpr int Slack = 8;
    const QMargins margins = textMargins();
    const int needed = fontMetrics().horizontalAdvance(text() + m_preedit) + margins.left() +
                       margins.right() + Slack;
    const int width = std::clamp(needed, m_cell.width(), std::max(m_room.width(), m_cell.width()));
    // Near the right edge it grows to the left instead, so the caret stays in view.
    int left = m_cell.left();
    if (m_room.isValid() && left + width > m_room.left() + m_room.width())
        left = std::max(m_room.left(), m_room.left() + m_room.width() - width);
    const QRect rect(left, m_cell.top(), width, m_cell.height());
    if (rect != geometry())
        setGeometry(rect);
}

void CellEditBox::keyPressEvent(QKeyEvent *event)
{
    bool handled = false;
    Q_EMIT keyDown(event->keyCombination(), &handled);
    if (handled) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CellEditBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Opening a menu or switching to another program keeps the editor and its text.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Q_EMIT lostFocus();
}

void CellEditBox::inputMethodEvent(QInputMethodEvent *event)
{
    QLineEdit::inputMethodEvent(event);
    m_preedit = event->preeditString();
    fitToText();
    Q_EMIT compositionChanged();
}

void CellEditBox::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    m_preedit.clear();
    if (!m_cell.isNull())
        setGeometry(m_cell);
}
