#pragma once
// What a key stroke means, in the one place that knows: the document window, its cell editor and
// the grid view ask here and act on the answer. Only Shift, Ctrl and Alt count as modifiers.

#include <QString>
#include <Qt>

class QKeyEvent;

enum class KeyCommand {
    None,
    // The document window's edit commands.
    Copy,
    Cut,
    Paste,
    SelectAll,
    DeleteSelection,
    // The open cell editor.
    Commit,
    Cancel,
    NextRow,
    PreviousRow,
};

// Ctrl+C and Ctrl+Insert copy, Ctrl+X cuts, Ctrl+V and Shift+Insert paste, with exactly that
// modifier. In a text field Shift+Delete cuts as well; on a grid it is a Delete.
KeyCommand clipboardCommand(QKeyCombination key, bool inTextField);
// A grid's own commands: Ctrl+A selects everything, Delete with any modifier clears.
KeyCommand gridCommand(QKeyCombination key);
// Enter commits, Escape cancels, Down and Up leave for the next or previous row.
KeyCommand cellEditorCommand(QKeyCombination key);

// Moving the current cell of a grid. Shift extends the selection; Ctrl goes to the edge
// (Home and End with Ctrl also to the first or last row).
struct GridMove
{
    enum Step { None, Left, Right, Up, Down, PageUp, PageDown, Home, End };
    Step step = None;
    bool extend = false;
    bool toEdge = false;
};
GridMove gridMove(QKeyCombination key);

// The character a key types on a grid: printable text, Enter "\r", Escape "\x1b", Backspace
// "\b", Ctrl+letter its control character (Ctrl+A "\x01"); empty with Alt, for Delete and for
// keys that type nothing.
QString typedCharacter(const QKeyEvent *event);
