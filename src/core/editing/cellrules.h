#pragma once
// The rules the document window applies around the cell editor: which characters a committed
// text loses, when the input method may be used, the header highlight and the selection status
// line. Grid data only, so they live in the core.

#include "core/document/grid.h"

#include <QString>

// text without what a document file cannot hold in a field: half- and full-width commas, CR
// and LF. Nothing else goes, unlike stripSeparators; characters code page 932 keeps only as a
// look-alike (〜, −, ¥) take that look-alike's form, so that the text reads back as written.
QString removeFieldSeparators(const QString &text);

// Input-method modes of the editor.
enum ImeMode : int { ImeFree = 0, ImeDisabled = 3 };

// text without every character of delStr + double quote + CR + LF, matched as text (so
// full-width forms go as well). An empty delStr stands for , _ = ! # $ % & ' ( ) ~.
QString stripSeparators(const QString &text, const QString &delStr = QString());

// Free for remarks ("備考" weight), the header row, the name column and columns whose weight
// reads as 0; disabled elsewhere (numbers are typed there).
int imeModeForCell(const Grid &grid, int row, int col);

// "c1:r1～c2:r2=sum   ☆" + full-width runner number + "番の" + header + "=" + current text,
// rows shown less one, line breaks removed.
QString selectionStatus(const Grid &grid);

// Clears every cell between the two corners (either order, bounds included).
void deleteRange(Grid &grid, int fromCol, int fromRow, int toCol, int toRow);

// Header highlight of the current cell's row and column (columns 2 onward only).
void leaveEditor(Grid &grid, int focusRow, int focusCol);
// Returns false when nothing was highlighted (columns 0 and 1): the focus cell stays then.
bool focusGrid(Grid &grid, int *focusRow, int *focusCol);
