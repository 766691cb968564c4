#pragma once
// The in-place cell editor of the runner table (cellEditor). The rules the document window applies
// around it are in core/editing/cellrules.h.

#include "core/editing/cellrules.h"

#include <QLineEdit>
#include <QString>

// Turns the input method on (free) or off (cannot be switched on) for a widget.
void ApplyImeMode(QWidget *widget, int Ime);

// cellEditor: a frameless line edit that reports every key to its window before handling it,
// and its loss of focus to another control of the program.
class CellEditBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit CellEditBox(QWidget *parent = nullptr);
    int Ime() const { return m_ime; }
    void setIme(int Ime);

Q_SIGNALS:
    // A slot that sets *handled keeps the key from the line edit.
    void keyDown(QKeyCombination key, bool *handled);
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_ime = ImeFree;
};
