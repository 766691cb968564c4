#pragma once
// Sorting a table without the mouse. On the table, Ctrl+Shift+Up sorts by the current cell's
// column in ascending order and Ctrl+Shift+Down in descending order; the Menu key and Shift+F10
// open a menu with both at the current cell. A right click on a cell or a column header opens
// the same menu for the column under the pointer.

#include <QKeySequence>

class QTableView;

inline constexpr QKeyCombination sortAscendingKey{Qt::CTRL | Qt::SHIFT | Qt::Key_Up};
inline constexpr QKeyCombination sortDescendingKey{Qt::CTRL | Qt::SHIFT | Qt::Key_Down};

// For a view with sorting enabled; the view owns what this adds.
void addKeyboardSort(QTableView *view);
