#include "ui/document/celleditor.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>

void ApplyImeMode(QWidget *widget, int Ime)
{
    const bool free = Ime != ImeDisabled;
    widget->setAttribute(Qt::WA_InputMethodEnabled, free);
    widget->setInputMethodHints(
        free ? Qt::ImhNone : Qt::ImhLatinOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

CellEditBox::CellEditBox(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setObjectName(QStringLiteral("cellEditor"));
}

void CellEditBox::setIme(int Ime)
{
    m_ime = Ime;
    ApplyImeMode(this, Ime);
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
