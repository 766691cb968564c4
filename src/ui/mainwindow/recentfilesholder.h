#pragma once
// The hidden window that holds the recent-file list for the whole run. It is never shown.

#include "core/settings/recentfiles.h"

#include <QWidget>

class RecentFilesHolder : public QWidget
{
    Q_OBJECT
public:
    explicit RecentFilesHolder(QWidget *parent = nullptr);

    // Fills recentFiles from the settings file and builds the recent-file menu.
    void load(const QString &iniPath, RecentMenu *mnuFiles);

    RecentFileList recentFiles;
};
