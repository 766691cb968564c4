#include "ui/mainwindow/recentfilesholder.h"

void RecentFilesHolder::load(const QString &iniPath, RecentMenu *recentFileActions)
{
    recentFiles.setIniPath(iniPath);
    recentFiles.setMenu(recentFileActions);
    loadRecentFiles(iniPath, recentFileActions, recentFiles);
}
