#include "shell/frmsystem.h"

#include "shell/modtools_ui.h"

frmSystem::frmSystem(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("frmSystem"));
    setAttribute(Qt::WA_DontShowOnScreen);
}

void frmSystem::Form_Load(const QString &iniPath, RecentMenu *mnuFiles)
{
    int width = 320;
    CenterForm(this, width, 240, false);
    lstFile.setIniPath(iniPath);
    lstFile.setMenu(mnuFiles);
    LoadSaikin(iniPath, mnuFiles, lstFile);
}
