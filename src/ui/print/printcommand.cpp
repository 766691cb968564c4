// The Print command of the main window. Kept apart from the preview window so that the
// window builds and tests without the document model.
#include "core/document/oddsdocument.h"
#include "ui/print/printpreviewwindow.h"

void PrintPreviewWindow::printDocument(OddsDocument &document, QObject *documentWindow)
{
    const bool quinella = document.quinellaVisible();
    Grid *grid = quinella ? &document.quinellaMatrix : &document.runnerTable;
    const QString title = printTitle(document.titleText(0), document.titleText(1), quinella);
    instance()->showGrid(grid, title, 9, false, false, false, documentWindow);
}
