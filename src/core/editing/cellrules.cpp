#include "core/editing/cellrules.h"

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"

#include <algorithm>

QString stripSeparators(const QString &wkStr, const QString &delStr)
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

QString removeFieldSeparators(const QString &text)
{
    QString out = Cp932::storableForms(text);
    out.removeIf(
        [](QChar ch) { return ch == u',' || ch == QChar(0xFF0C) || ch == u'\r' || ch == u'\n'; });
    return out;
}

int ImeModeForCell(const Grid &grid, int row, int col)
{
    const QString weight = grid.text(RatioRow, col);
    if (TextEquals(weight, QStringLiteral("備考")) || row == HeaderRow || col == ColName ||
        textToNumber(weight) == 0)
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
            sum += textToNumber(grid.text(r, c));

    QString s = QString::number(c1) + QLatin1Char(':') + QString::number(r1 - 1) +
                QStringLiteral("～") + QString::number(c2) + QLatin1Char(':') +
                QString::number(r2 - 1) + QLatin1Char('=') + numberToText(sum) +
                QStringLiteral("   ☆") + ToFullWidth(grid.text(grid.row(), ColNumber)) +
                QStringLiteral("番の") + grid.text(HeaderRow, grid.col()) + QLatin1Char('=') +
                grid.text(grid.row(), grid.col());
    s.remove(QStringLiteral("\r\n"));
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    return s;
}

void deleteRange(Grid &grid, int wX1, int wY1, int wX2, int wY2)
{
    for (int r = std::min(wY1, wY2); r <= std::max(wY1, wY2); ++r)
        for (int c = std::min(wX1, wX2); c <= std::max(wX1, wX2); ++c)
            grid.setText(r, c, QString());
}

void leaveEditor(Grid &grid, int FocusRow, int FocusCol)
{
    grid.setCellBackColor(FocusRow, 0, (FocusRow % 2) ? Rgb(240, 240, 240) : Rgb(255, 255, 255));
    grid.setCellBackColor(0, FocusCol, Rgb(200, 200, 200));
}

bool focusGrid(Grid &grid, int *FocusRow, int *FocusCol)
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
