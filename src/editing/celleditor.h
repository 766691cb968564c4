#pragma once
// The in-place cell editor of the runner table (txtEdit) and the rules the document window
// applies around it: which characters a committed text loses, when the input method may be
// used, the header highlight and the selection status line.

#include "model/grid.h"

#include <QLineEdit>
#include <QString>

// Input-method modes of the editor.
enum ImeMode : int { ImeFree = 0, ImeDisabled = 3 };

// wkStr without every character of delStr + double quote + CR + LF, matched as text (so
// full-width forms go as well). An empty delStr stands for , _ = ! # $ % & ' ( ) ~.
QString StrReplace(const QString &wkStr, const QString &delStr = QString());

// Free for remarks ("備考" weight), the header row, the name column and columns whose weight
// reads as 0; disabled elsewhere (numbers are typed there).
int ImeModeForCell(const Grid &grid, int row, int col);

// "c1:r1～c2:r2=sum   ☆" + full-width runner number + "番の" + header + "=" + current text,
// rows shown less one, line breaks removed.
QString SelectionStatus(const Grid &grid);

// Clears every cell between the two corners (either order, bounds included).
void DeleteData(Grid &grid, int wX1, int wY1, int wX2, int wY2);

// Header highlight of the current cell's row and column (columns 2 onward only).
void LostFlex(Grid &grid, int FocusRow, int FocusCol);
// Returns false when nothing was highlighted (columns 0 and 1): the focus cell stays then.
bool FocusFlex(Grid &grid, int *FocusRow, int *FocusCol);

// Turns the input method on (free) or off (cannot be switched on) for a widget.
void ApplyImeMode(QWidget *widget, int Ime);

// txtEdit: a frameless line edit that reports every key to its window before handling it,
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
    void keyDown(int keyCode, int shift, bool *handled);
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_ime = ImeFree;
};
