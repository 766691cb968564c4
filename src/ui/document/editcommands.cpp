// The document window's edit commands: which target a command acts on (the focused text field,
// the runner table or the computed quinella matrix) and the clipboard exchange of cell ranges.
#include "ui/document/documentwindow.h"

#include "core/editing/clipboardrange.h"
#include "ui/desktop/clipboard.h"
#include "ui/desktop/keymapping.h"
#include "ui/document/celleditor.h"
#include "ui/grid/gridview.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>

void DocumentWindow::runCommand(KeyCommand command)
{
    switch (command) {
    case KeyCommand::Copy:
        copy();
        break;
    case KeyCommand::Cut:
        cut();
        break;
    case KeyCommand::Paste:
        paste();
        break;
    case KeyCommand::SelectAll:
        selectAll();
        break;
    case KeyCommand::DeleteSelection:
        deleteSelection();
        break;
    default:
        break;
    }
}

QLineEdit *DocumentWindow::focusedTextField() const
{
    QWidget *focus = focusWidget();
    if (focus == cellEditor)
        return isEditing() ? cellEditor : nullptr;
    auto *edit = qobject_cast<QLineEdit *>(focus);
    return edit && edit->parentWidget() == headerPanel ? edit : nullptr;
}

bool DocumentWindow::refusedInQuinellaView(const QString &command)
{
    if (!m_doc.quinellaVisible())
        return false;
    statusLine->setText(QStringLiteral("馬連表は計算結果のため%1できません。").arg(command));
    return true;
}

void DocumentWindow::copy()
{
    if (QLineEdit *field = focusedTextField())
        field->copy();
    else if (Grid *grid = gridInView())
        setClipboardText(copyRange(*grid, false));
}

void DocumentWindow::cut()
{
    if (QLineEdit *field = focusedTextField()) {
        field->cut();
    } else if (!refusedInQuinellaView(QStringLiteral("切り取り"))) {
        setClipboardText(copyRange(m_doc.runnerTable, true));
        markChanged();
        refreshGrid();
        refreshStatus();
    }
}

void DocumentWindow::paste()
{
    if (QLineEdit *field = focusedTextField()) {
        field->paste();
    } else if (!refusedInQuinellaView(QStringLiteral("貼り付け"))) {
        pushUndo();
        const PasteCount count = pasteOrdered();
        refreshGrid();
        refreshStatus();
        // A paste fills the selection; cells that did not fit are not dropped without a word.
        if (count.pastedCells < count.clipboardCells)
            statusLine->setText(
                QStringLiteral("%1 セルのうち %2 セルを貼り付けました（選択範囲に合わせました）")
                    .arg(count.clipboardCells)
                    .arg(count.pastedCells));
    }
}

void DocumentWindow::selectAll()
{
    if (QLineEdit *field = focusedTextField()) {
        field->selectAll();
        return;
    }
    GridView *view = m_doc.quinellaVisible() ? quinellaMatrix : runnerTable;
    const Grid *grid = view->grid();
    view->setCurrentCell(0, 0);
    view->setSelectionCorner(grid->rows() - 1, grid->cols() - 1);
}

void DocumentWindow::deleteSelection()
{
    if (refusedInQuinellaView(QStringLiteral("削除")))
        return;
    const Grid &g = m_doc.runnerTable;
    deleteRange(g.col(), g.row(), g.colSel(), g.rowSel());
    markChanged();
    recalculate();
    refreshStatus();
}

PasteCount DocumentWindow::pasteOrdered()
{
    // A range selected upwards or leftwards gets the text as well: paste from its top-left
    // cell, then give the selection back as the user made it.
    Grid &g = m_doc.runnerTable;
    const int row = g.row();
    const int col = g.col();
    const int rowSel = g.rowSel();
    const int colSel = g.colSel();
    g.setCurrent(std::min(row, rowSel), std::min(col, colSel));
    g.setSelection(std::max(row, rowSel), std::max(col, colSel));
    const ClipboardTexts texts = getClipboardTexts();
    const PasteCount count = pasteRange(g, texts.plain, texts.second);
    g.setCurrent(row, col);
    g.setSelection(rowSel, colSel);
    return count;
}
