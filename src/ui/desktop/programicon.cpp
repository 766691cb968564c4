#include "ui/desktop/programicon.h"

#include <QApplication>
#include <QIcon>

void applyProgramIcon()
{
    // The resource lives in a static library: nothing registers it unless asked.
    Q_INIT_RESOURCE(desktop);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kirrel.png")));
}
