#include "ui/mainwindow/recentfilesholder.h"

void RecentFilesHolder::load(const QString &iniPath, RecentMenu *mnuFiles)
{
    recentFiles.setIniPath(iniPath);
    recentFiles.setMenu(mnuFiles);
    loadRecentFiles(iniPath, mnuFiles, recentFiles);
}
