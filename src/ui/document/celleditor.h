#pragma once
// The in-place cell editor of the runner table (cellEditor). The rules the document window applies
// around it are in core/editing/cellrules.h.

#include "core/editing/cellrules.h"

#include <QLineEdit>
#include <QRect>
#include <QString>

// Turns the input method on (free) or off (cannot be switched on) for a widget.
void applyImeMode(QWidget *widget, int ime);

// A line edit whose input-method mode the program sets. Off is told to the input method through
// the ImEnabled query, which QLineEdit otherwise answers true whatever the widget's attribute
// says; input methods do not honour the Latin-only hints. Text that still arrives full-width
// (a commit, a paste) becomes ASCII where numbers are typed.
class InputModeEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit InputModeEdit(QWidget *parent = nullptr);
    int ime() const { return m_ime; }
    void setIme(int ime);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // Input methods ask through this one as well.
    Q_INVOKABLE QVariant inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const;

private:
    int m_ime = ImeFree;
};

// cellEditor: a frameless line edit that reports every key to its window before handling it,
// and its loss of focus to another control of the program. While text is typed or composed it
// grows to show it, up to a given room, and takes the cell's size again when it closes.
class CellEditBox : public InputModeEdit
{
    Q_OBJECT
public:
    explicit CellEditBox(QWidget *parent = nullptr);
    // As InputModeEdit's, and where the input method is off full-width number characters
    // become ASCII.
    void setIme(int ime);
    // cell and room in the parent's coordinates.
    void placeOver(const QRect &cell, const QRect &room);
    // What the input method is composing, not yet part of text().
    QString preeditText() const { return m_preedit; }

Q_SIGNALS:
    // A slot that sets *handled keeps the key from the line edit.
    void keyDown(QKeyCombination key, bool *handled);
    void lostFocus();
    // After every input-method event the editor took in.
    void compositionChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void fitToText();

    QValidator *m_numbers = nullptr;
    QRect m_cell;
    QRect m_room;
    QString m_preedit;
};
