// The document window's cell editor: opening it over the current cell from the runner table's
// keys, clicks and focus changes, its own keys, and the commit of its text into the table.
#include "ui/document/documentwindow.h"

#include "core/codepage/codepage.h"
#include "core/editing/cellrules.h"
#include "core/text/textcompare.h"
#include "ui/desktop/keymapping.h"
#include "ui/document/celleditor.h"
#include "ui/grid/gridview.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTimer>

void DocumentWindow::leaveEditor()
{
    ::leaveEditor(m_doc.runnerTable, m_focusRow, m_focusCol);
    refreshGrid();
}

void DocumentWindow::focusGrid()
{
    ::focusGrid(m_doc.runnerTable, &m_focusRow, &m_focusCol);
    refreshGrid();
}

void DocumentWindow::deleteRange(int fromCol, int fromRow, int toCol, int toRow)
{
    ::deleteRange(m_doc.runnerTable, fromCol, fromRow, toCol, toRow);
    refreshGrid();
}

void DocumentWindow::selectFieldText(QLineEdit *inTxtCtrl)
{
    if (!inTxtCtrl)
        inTxtCtrl = qobject_cast<QLineEdit *>(focusWidget());
    if (!inTxtCtrl)
        return;
    inTxtCtrl->setFocus(Qt::OtherFocusReason);
    inTxtCtrl->selectAll();
}

void DocumentWindow::openEditor(ImeMode ime, bool takeFocus)
{
    if (m_doc.quinellaVisible())
        return;
    Grid &g = m_doc.runnerTable;
    leaveEditor();
    focusGrid();
    cellEditor->setIme(ime);
    cellEditor->setFont(runnerTable->gridFont());
    cellEditor->setText(g.text(g.row(), g.col()));
    cellEditor->setCursorPosition(int(cellEditor->text().size()));

    runnerTable->ensureVisible(g.row(), g.col());
    QRect rect = runnerTable->cellRect(g.row(), g.col());
    if (!rect.isValid())
        return;
    rect.translate(runnerTable->pos());
    const QWidget *viewport = runnerTable->viewport();
    const QRect room(viewport->mapTo(this, QPoint(0, 0)), viewport->size());
    cellEditor->placeOver(rect, room);
    // A screen reader says which cell is being edited.
    cellEditor->setAccessibleName(QStringLiteral("%1番 %2 を編集")
                                      .arg(g.text(g.row(), ColNumber), g.text(HeaderRow, g.col())));
    cellEditor->show();
    cellEditor->raise();
    if (takeFocus)
        cellEditor->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::gridInputMethod(QInputMethodEvent *event)
{
    if (event->preeditString().isEmpty() && event->commitString().isEmpty())
        return;
    Grid &g = m_doc.runnerTable;
    const int col = g.col();
    if (col == ColRank || col == ColOdds || col == ColPayout)
        return;
    openEditor(ImeMode(imeModeForCell(g, g.row(), col)), false);
    if (!isEditing())
        return;
    // As a typed character does, the composition replaces the cell's text.
    cellEditor->setText(QString());
    m_composing = true;
    runnerTable->setCompositionTarget(cellEditor);
    QCoreApplication::sendEvent(cellEditor, event);
}

void DocumentWindow::editorCompositionChanged()
{
    if (!m_composing || !cellEditor->preeditText().isEmpty())
        return;
    if (cellEditor->text().isEmpty()) {
        // The composition was taken back (Escape): nothing was typed.
        endComposition();
        cellEditor->hide();
        return;
    }
    // Not now: moving the focus inside the input method's delivery makes it deliver again.
    QTimer::singleShot(0, this, &DocumentWindow::handOverComposition);
}

void DocumentWindow::handOverComposition()
{
    if (!m_composing || !cellEditor->preeditText().isEmpty())
        return;
    endComposition();
    if (isEditing() && runnerTable->hasFocus())
        cellEditor->setFocus(Qt::OtherFocusReason);
    else if (!cellEditor->hasFocus())
        cellEditor->hide(); // the user went elsewhere meanwhile: nothing is stored
}

void DocumentWindow::endComposition()
{
    m_composing = false;
    runnerTable->setCompositionTarget(nullptr);
}

void DocumentWindow::dropComposition()
{
    if (!m_composing)
        return;
    endComposition();
    QInputMethodEvent clear;
    QCoreApplication::sendEvent(cellEditor, &clear);
    cellEditor->hide();
    // The input method still holds the reading. Some answer the reset by committing it, later
    // and to whatever has the focus by then; the application's input-method guard drops that.
    QGuiApplication::inputMethod()->reset();
}

void DocumentWindow::gridKeyDown(QKeyCombination key, bool *handled)
{
    // F2 edits the current cell's text where a double click would.
    if (key == QKeyCombination(Qt::Key_F2) && sender() == runnerTable) {
        Grid &g = m_doc.runnerTable;
        if (!m_doc.quinellaVisible() && (g.col() < ColRank || g.col() > ColSupport))
            openEditor(ImeMode(imeModeForCell(g, g.row(), g.col())));
        *handled = true;
        return;
    }
    const KeyCommand command = gridCommand(key);
    if (command != KeyCommand::None) {
        runCommand(command);
        *handled = true;
    }
}

void DocumentWindow::gridKeyPress(const QString &text)
{
    Grid &g = m_doc.runnerTable;
    const int col = g.col();
    if (col == ColRank || col == ColOdds || col == ColPayout)
        return;
    // Enter, Escape, Backspace and Ctrl+letter (the character of Ctrl+A among them) would only
    // put a control character in the cell.
    if (text.isEmpty() || text.front().unicode() < 0x20 || text.front().unicode() == 0x7f)
        return;
    openEditor(ImeMode(imeModeForCell(g, g.row(), col)));
    if (!isEditing())
        return;
    cellEditor->setText(text);
    cellEditor->setCursorPosition(int(text.size()));
}

void DocumentWindow::gridDoubleClicked()
{
    Grid &g = m_doc.runnerTable;
    const int col = g.col();
    if (col >= ColRank && col <= ColSupport)
        return;
    openEditor(ImeMode(imeModeForCell(g, g.row(), col)));
    if (isEditing())
        selectFieldText(cellEditor);
}

void DocumentWindow::gridMouseDown()
{
    dropComposition();
    leaveEditor();
    focusGrid();
}

void DocumentWindow::gridGotFocus()
{
    leaveEditor();
    focusGrid();
}

void DocumentWindow::gridSelectionChanged()
{
    dropComposition();
    leaveEditor();
    focusGrid();
    refreshStatus();
}

void DocumentWindow::editorKeyDown(QKeyCombination key, bool *handled)
{
    Grid &g = m_doc.runnerTable;
    const KeyCommand command = cellEditorCommand(key);
    switch (command) {
    case KeyCommand::Cancel:
        hideEditor();
        *handled = true;
        break;
    case KeyCommand::Commit:
    case KeyCommand::NextRow:
        runnerTable->setFocus(Qt::OtherFocusReason);
        // The commit of Enter (recalculation included) completes before the move.
        if (command == KeyCommand::Commit)
            commitEditor();
        else
            cellEditor->hide();
        if (g.row() < g.rows() - 1) {
            runnerTable->setCurrentCell(g.row() + 1, g.col());
            gridDoubleClicked();
        }
        *handled = true;
        break;
    case KeyCommand::PreviousRow:
        runnerTable->setFocus(Qt::OtherFocusReason);
        cellEditor->hide();
        if (g.row() > g.fixedRows())
            runnerTable->setCurrentCell(g.row() - 1, g.col());
        *handled = true;
        break;
    default:
        break;
    }
}

void DocumentWindow::commitEditor()
{
    Grid &g = m_doc.runnerTable;
    cellEditor->hide();
    QString s = cellEditor->text();
    const bool changed = !textEquals(s, g.text(g.row(), g.col()));
    if (!changed && !textEquals(g.text(0, 0), QStringLiteral("*")))
        return;
    pushUndo();
    s = Cp932::storableForms(stripSeparators(s));
    g.setText(g.row(), g.col(), s);
    const int row = g.row();
    const int col = g.col();
    recalculate();
    if (g.row() != row || g.col() != col)
        runnerTable->setCurrentCell(row, col);
    refreshStatus();
}

bool DocumentWindow::editorHoldsChange() const
{
    if (!isEditing())
        return false;
    const Grid &g = m_doc.runnerTable;
    return !textEquals(cellEditor->text(), g.text(g.row(), g.col()));
}

bool DocumentWindow::hasUnsavedChanges() const
{
    return m_doc.isChanged() || editorHoldsChange();
}

void DocumentWindow::commitOpenEditor()
{
    if (!editorHoldsChange())
        return;
    if (cellEditor->hasFocus())
        runnerTable->setFocus(Qt::OtherFocusReason);
    commitEditor();
}

void DocumentWindow::editorLostFocus()
{
    cellEditor->hide();
}
