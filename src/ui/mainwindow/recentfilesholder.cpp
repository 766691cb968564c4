#include "ui/mainwindow/recentfilesholder.h"

#include "ui/desktop/windowtools.h"

RecentFilesHolder::RecentFilesHolder(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("RecentFilesHolder"));
    setAttribute(Qt::WA_DontShowOnScreen);
}

void RecentFilesHolder::load(const QString &iniPath, RecentMenu *mnuFiles)
{
    int width = 320;
    centerWindow(this, width, 240, false);
    recentFiles.setIniPath(iniPath);
    recentFiles.setMenu(mnuFiles);
    loadRecentFiles(iniPath, mnuFiles, recentFiles);
}
