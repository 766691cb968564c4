#include "editing/celleditor.h"

#include "model/gridview.h"
#include "model/oddsdocument.h"
#include "platform/text.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>

QString StrReplace(const QString &wkStr, const QString &delStr)
{
    static const QString defaultSet = QStringLiteral(",_=!#$%&'()~");
    const QString set =
        FoldText((delStr.isEmpty() ? defaultSet : delStr) + QStringLiteral("\"\r\n"));
    QString out;
    out.reserve(wkStr.size());
    for (const QChar ch : wkStr) {
        const QString folded = FoldText(QString(ch));
        if (folded.size() == 1 && set.contains(folded.front()))
            continue;
        out.append(ch);
    }
    return out;
}

int ImeModeForCell(const Grid &grid, int row, int col)
{
    const QString weight = grid.text(RatioRow, col);
    if (TextEquals(weight, QStringLiteral("備考")) || row == HeaderRow || col == ColName ||
        TextToNumber(weight) == 0)
        return ImeFree;
    return ImeDisabled;
}

QString SelectionStatus(const Grid &grid)
{
    const int c1 = std::min(grid.col(), grid.colSel());
    const int c2 = std::max(grid.col(), grid.colSel());
    const int r1 = std::min(grid.row(), grid.rowSel());
    const int r2 = std::max(grid.row(), grid.rowSel());
    double sum = 0;
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            sum += TextToNumber(grid.text(r, c));

    QString s = QString::number(c1) + QLatin1Char(':') + QString::number(r1 - 1) +
                QStringLiteral("～") + QString::number(c2) + QLatin1Char(':') +
                QString::number(r2 - 1) + QLatin1Char('=') + NumberToText(sum) +
                QStringLiteral("   ☆") + ToFullWidth(grid.text(grid.row(), ColNumber)) +
                QStringLiteral("番の") + grid.text(HeaderRow, grid.col()) + QLatin1Char('=') +
                grid.text(grid.row(), grid.col());
    s.remove(QStringLiteral("\r\n"));
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    return s;
}

void DeleteData(Grid &grid, int wX1, int wY1, int wX2, int wY2)
{
    for (int r = std::min(wY1, wY2); r <= std::max(wY1, wY2); ++r)
        for (int c = std::min(wX1, wX2); c <= std::max(wX1, wX2); ++c)
            grid.setText(r, c, QString());
}

void LostFlex(Grid &grid, int FocusRow, int FocusCol)
{
    grid.setCellBackColor(FocusRow, 0, (FocusRow % 2) ? Rgb(240, 240, 240) : Rgb(255, 255, 255));
    grid.setCellBackColor(0, FocusCol, Rgb(200, 200, 200));
}

bool FocusFlex(Grid &grid, int *FocusRow, int *FocusCol)
{
    const int r = grid.row();
    const int c = grid.col();
    if (c <= 1)
        return false;
    grid.setCellBackColor(r, 0, Rgb(50, 200, 255));
    grid.setCellBackColor(0, c, Rgb(50, 200, 255));
    *FocusRow = r;
    *FocusCol = c;
    return true;
}

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
    setObjectName(QStringLiteral("txtEdit"));
}

void CellEditBox::setIme(int Ime)
{
    m_ime = Ime;
    ApplyImeMode(this, Ime);
}

void CellEditBox::keyPressEvent(QKeyEvent *event)
{
    bool handled = false;
    const int code = GridView::VirtualKeyCode(event);
    if (code != 0)
        Q_EMIT keyDown(code, GridView::ShiftState(event->modifiers()), &handled);
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
