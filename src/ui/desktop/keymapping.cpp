#include "ui/desktop/keymapping.h"

#include <QKeyEvent>

namespace {

Qt::KeyboardModifiers countedModifiers(QKeyCombination key)
{
    return key.keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

} // namespace

KeyCommand clipboardCommand(QKeyCombination key, bool inTextField)
{
    const Qt::KeyboardModifiers mods = countedModifiers(key);
    const Qt::Key k = key.key();
    if (mods == Qt::ControlModifier) {
        switch (k) {
        case Qt::Key_C:
        case Qt::Key_Insert:
            return KeyCommand::Copy;
        case Qt::Key_X:
            return KeyCommand::Cut;
        case Qt::Key_V:
            return KeyCommand::Paste;
        default:
            return KeyCommand::None;
        }
    }
    if (mods == Qt::ShiftModifier) {
        if (k == Qt::Key_Insert)
            return KeyCommand::Paste;
        if (k == Qt::Key_Delete && inTextField)
            return KeyCommand::Cut;
    }
    return KeyCommand::None;
}

KeyCommand gridCommand(QKeyCombination key)
{
    if (key.key() == Qt::Key_A && countedModifiers(key) == Qt::ControlModifier)
        return KeyCommand::SelectAll;
    if (key.key() == Qt::Key_Delete)
        return KeyCommand::DeleteSelection;
    return KeyCommand::None;
}

KeyCommand cellEditorCommand(QKeyCombination key)
{
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCommand::Commit;
    case Qt::Key_Escape:
        return KeyCommand::Cancel;
    case Qt::Key_Down:
        return KeyCommand::NextRow;
    case Qt::Key_Up:
        return KeyCommand::PreviousRow;
    default:
        return KeyCommand::None;
    }
}

GridMove gridMove(QKeyCombination key)
{
    GridMove move;
    const Qt::KeyboardModifiers mods = countedModifiers(key);
    move.extend = mods & Qt::ShiftModifier;
    move.toEdge = mods & Qt::ControlModifier;
    switch (key.key()) {
    case Qt::Key_Left:
        move.step = GridMove::Left;
        break;
    case Qt::Key_Right:
        move.step = GridMove::Right;
        break;
    case Qt::Key_Up:
        move.step = GridMove::Up;
        break;
    case Qt::Key_Down:
        move.step = GridMove::Down;
        break;
    case Qt::Key_PageUp:
        move.step = GridMove::PageUp;
        break;
    case Qt::Key_PageDown:
        move.step = GridMove::PageDown;
        break;
    case Qt::Key_Home:
        move.step = GridMove::Home;
        break;
    case Qt::Key_End:
        move.step = GridMove::End;
        break;
    default:
        break;
    }
    return move;
}

QString typedCharacter(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::AltModifier)
        return {};
    const int key = event->key();
    if (mods & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return QString(QChar(key - Qt::Key_A + 1));
        return {};
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    const QString text = event->text();
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
            return {};
    return text;
}
