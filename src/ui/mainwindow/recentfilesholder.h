#pragma once
// The recent-file list of the whole run and the menu it keeps up to date.

#include "core/settings/recentfiles.h"

class RecentFilesHolder
{
public:
    // Fills recentFiles from the settings file and builds the recent-file menu.
    void load(const QString &iniPath, RecentMenu *recentFileActions);

    RecentFileList recentFiles;
};
