#include "core/editing/cellrules.h"

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"

#include <algorithm>

QString stripSeparators(const QString &text, const QString &delStr)
{
    static const QString defaultSet = QStringLiteral(",_=!#$%&'()~");
    const QString set =
        foldText((delStr.isEmpty() ? defaultSet : delStr) + QStringLiteral("\"\r\n"));
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const QString folded = foldText(QString(ch));
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

int imeModeForCell(const Grid &grid, int row, int col)
{
    const QString weight = grid.text(RatioRow, col);
    if (textEquals(weight, QStringLiteral("備考")) || row == HeaderRow || col == ColName ||
        textToNumber(weight) == 0)
        return ImeFree;
    return ImeDisabled;
}

QString selectionStatus(const Grid &grid)
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
                QStringLiteral("   ☆") + toFullWidth(grid.text(grid.row(), ColNumber)) +
                QStringLiteral("番の") + grid.text(HeaderRow, grid.col()) + QLatin1Char('=') +
                grid.text(grid.row(), grid.col());
    s.remove(QStringLiteral("\r\n"));
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    return s;
}

void deleteRange(Grid &grid, int fromCol, int fromRow, int toCol, int toRow)
{
    for (int r = std::min(fromRow, toRow); r <= std::max(fromRow, toRow); ++r)
        for (int c = std::min(fromCol, toCol); c <= std::max(fromCol, toCol); ++c)
            grid.setText(r, c, QString());
}

void leaveEditor(Grid &grid, int focusRow, int focusCol)
{
    grid.setCellBackColor(focusRow, 0, (focusRow % 2) ? rgb(240, 240, 240) : rgb(255, 255, 255));
    grid.setCellBackColor(0, focusCol, rgb(200, 200, 200));
}

bool focusGrid(Grid &grid, int *focusRow, int *focusCol)
{
    const int r = grid.row();
    const int c = grid.col();
    if (c <= 1)
        return false;
    grid.setCellBackColor(r, 0, rgb(50, 200, 255));
    grid.setCellBackColor(0, c, rgb(50, 200, 255));
    *focusRow = r;
    *focusCol = c;
    return true;
}
