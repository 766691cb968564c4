#pragma once
// Cell ranges of the runner table as clipboard text: cells by TAB, every row ended by CR LF.
// The platform clipboard and the undo snapshot before a paste are the caller's job: copy
// and cut store the returned text as plain text and once more under the program's own
// type; paste takes pushUndo first and passes both clipboard texts.

#include "core/document/grid.h"

#include <QString>

// Text of the selected range (current cell to selection corner, either order). With
// erase, cut: clears the copied cells of runner rows (row > 1) in the name column and
// the data columns (column 2 and 7 onward); headers, weights, numbers, brackets and
// computed columns stay.
QString copyRange(Grid &grid, bool erase);

// Writes the clipboard text (plainText, or secondText when plainText is empty) into the
// selection: rows from the current row down to the selection row, columns from the current
// column to the selection column, so a corner above or left of the current cell receives
// nothing. Lines split at CR LF, cells at TAB; a row past the last line repeats the
// previous line's cells (so a text ending in CR LF leaves further rows unchanged), and a
// missing cell leaves the grid cell as it is. A cell loses what a document file cannot
// hold (removeFieldSeparators), so "1,234" arrives as 1234; a number cell (input method off
// there) takes full-width digits and signs as ASCII. Nothing is recalculated.
// Counts the clipboard's cells and those of them that found a cell of the selection, so that
// cells left out can be told to the user.
struct PasteCount
{
    qsizetype clipboardCells = 0;
    qsizetype pastedCells = 0;
};
PasteCount pasteRange(Grid &grid, const QString &plainText, const QString &secondText = QString());
