#include "core/editing/clipboardrange.h"

#include "core/editing/cellrules.h"
#include "core/text/narrownumber.h"

#include <QStringList>
#include <algorithm>

namespace {

bool IsCutCell(int row, int col)
{
    // Runner rows only; numbers, brackets and the computed columns are never cleared.
    return row > 1 && col > 1 && (col < 3 || col > 6);
}

} // namespace

QString copyRange(Grid &FxGrid, bool iErase)
{
    const int c1 = std::min(FxGrid.col(), FxGrid.colSel());
    const int c2 = std::max(FxGrid.col(), FxGrid.colSel());
    const int r1 = std::min(FxGrid.row(), FxGrid.rowSel());
    const int r2 = std::max(FxGrid.row(), FxGrid.rowSel());

    QString text;
    for (int r = r1; r <= r2; ++r) {
        for (int c = c1; c <= c2; ++c) {
            text += FxGrid.text(r, c);
            if (c != c2)
                text += QLatin1Char('\t');
            if (iErase && IsCutCell(r, c))
                FxGrid.setText(r, c, QString());
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

void pasteRange(Grid &FxGrid, const QString &plainText, const QString &secondText)
{
    const QString text = plainText.isEmpty() ? secondText : plainText;
    const QStringList lines = text.split(QLatin1String("\r\n"));

    const int lastRow = std::min(FxGrid.rowSel(), FxGrid.rows() - 1);
    const int lastCol = std::min(FxGrid.colSel(), FxGrid.cols() - 1);
    qsizetype i = 0;
    QStringList fields;
    for (int r = FxGrid.row(); r <= lastRow; ++r, ++i) {
        if (i < lines.size()) {
            const QString &line = lines.at(i);
            fields = line.isEmpty() ? QStringList() : line.split(QLatin1Char('\t'));
        }
        qsizetype j = 0;
        for (int c = FxGrid.col(); c <= lastCol; ++c, ++j) {
            if (j >= fields.size())
                continue;
            // Spreadsheets and input methods hand over full-width digits, which read as 0.
            const bool number = ImeModeForCell(FxGrid, r, c) == ImeDisabled;
            const QString &field = fields.at(j);
            FxGrid.setText(r, c, removeFieldSeparators(number ? narrowNumberText(field) : field));
        }
    }
}
