// The Print command of the main window. Kept apart from the preview window so that the
// window builds and tests without the document model.
#include "model/oddsdocument.h"
#include "printing/frmmsgridprint.h"

void frmMsGridPrint::PrintDocument(OddsDocument &document, QObject *documentWindow)
{
    const bool quinella = document.quinellaVisible();
    Grid *grid = quinella ? &document.MSFlexUma : &document.MSFlex;
    const QString title = PrintTitle(document.txtTitle(0), document.txtTitle(1), quinella);
    instance()->PrintMSFlexGrid(grid, title, 9, false, false, false, documentWindow);
}
