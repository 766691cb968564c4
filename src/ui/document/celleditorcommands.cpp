// The document window's cell editor: opening it over the current cell from the runner table's
// keys, clicks and focus changes, its own keys, and the commit of its text into the table.
#include "ui/document/documentwindow.h"

#include "core/codepage/codepage.h"
#include "core/editing/cellrules.h"
#include "core/text/textcompare.h"
#include "ui/desktop/keymapping.h"
#include "ui/document/celleditor.h"
#include "ui/grid/gridview.h"

#include <QLineEdit>

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

void DocumentWindow::deleteRange(int wX1, int wY1, int wX2, int wY2)
{
    ::deleteRange(m_doc.runnerTable, wX1, wY1, wX2, wY2);
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

void DocumentWindow::openEditor(ImeMode ime)
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
    cellEditor->setGeometry(rect);
    cellEditor->show();
    cellEditor->raise();
    cellEditor->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::gridKeyDown(QKeyCombination key, bool *handled)
{
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
    openEditor(ImeMode(ImeModeForCell(g, g.row(), col)));
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
    openEditor(ImeMode(ImeModeForCell(g, g.row(), col)));
    if (isEditing())
        selectFieldText(cellEditor);
}

void DocumentWindow::gridMouseDown()
{
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
    const bool changed = !TextEquals(s, g.text(g.row(), g.col()));
    if (!changed && !TextEquals(g.text(0, 0), QStringLiteral("*")))
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

void DocumentWindow::editorLostFocus()
{
    cellEditor->hide();
}
