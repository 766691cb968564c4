// The result field (結果) shows at once when its text does not read as the race's finishing
// order; the text stays as typed.
#include "ui/document/documentwindow.h"

#include "core/racemodel/resultcheck.h"

#include <QLineEdit>
#include <QPalette>
#include <QToolTip>

void DocumentWindow::checkResultField()
{
    QLineEdit *box = titleBoxes[5];
    const QString problem = resultFieldProblem(m_doc);
    if (problem == box->toolTip())
        return;
    QPalette palette = box->parentWidget()->palette();
    if (!problem.isEmpty())
        palette.setColor(QPalette::Text, QColor(220, 0, 0));
    box->setPalette(palette);
    if (QToolTip::isVisible()) // showing the old reason
        QToolTip::hideText();
    box->setToolTip(problem);
    box->setAccessibleDescription(problem);
}
