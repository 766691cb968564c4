#include "core/editing/clipboardrange.h"

#include "core/editing/cellrules.h"
#include "core/text/narrownumber.h"

#include <QStringList>
#include <algorithm>

namespace {

bool isCutCell(int row, int col)
{
    // Runner rows only; numbers, brackets and the computed columns are never cleared.
    return row > 1 && col > 1 && (col < 3 || col > 6);
}

} // namespace

QString copyRange(Grid &grid, bool erase)
{
    const int c1 = std::min(grid.col(), grid.colSel());
    const int c2 = std::max(grid.col(), grid.colSel());
    const int r1 = std::min(grid.row(), grid.rowSel());
    const int r2 = std::max(grid.row(), grid.rowSel());

    QString text;
    for (int r = r1; r <= r2; ++r) {
        for (int c = c1; c <= c2; ++c) {
            text += grid.text(r, c);
            if (c != c2)
                text += QLatin1Char('\t');
            if (erase && isCutCell(r, c))
                grid.setText(r, c, QString());
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

PasteCount pasteRange(Grid &grid, const QString &plainText, const QString &secondText)
{
    const QString text = plainText.isEmpty() ? secondText : plainText;
    const QStringList lines = text.split(QLatin1String("\r\n"));

    PasteCount count;
    // The empty line after the final CR LF holds no cell.
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines.at(i).isEmpty())
            count.clipboardCells += lines.at(i).count(QLatin1Char('\t')) + 1;

    const int lastRow = std::min(grid.rowSel(), grid.rows() - 1);
    const int lastCol = std::min(grid.colSel(), grid.cols() - 1);
    qsizetype i = 0;
    QStringList fields;
    for (int r = grid.row(); r <= lastRow; ++r, ++i) {
        if (i < lines.size()) {
            const QString &line = lines.at(i);
            fields = line.isEmpty() ? QStringList() : line.split(QLatin1Char('\t'));
            // A repeated line's cells were counted at their first use.
            count.pastedCells += std::clamp<qsizetype>(lastCol - grid.col() + 1, 0, fields.size());
        }
        qsizetype j = 0;
        for (int c = grid.col(); c <= lastCol; ++c, ++j) {
            if (j >= fields.size())
                continue;
            // Spreadsheets and input methods hand over full-width digits, which read as 0.
            const bool number = imeModeForCell(grid, r, c) == ImeDisabled;
            const QString &field = fields.at(j);
            grid.setText(r, c, removeFieldSeparators(number ? narrowNumberText(field) : field));
        }
    }
    return count;
}
