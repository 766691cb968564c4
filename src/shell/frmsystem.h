#pragma once
// The hidden window that holds the recent-file list for the whole run. It is never shown.

#include "shell/saikin.h"

#include <QWidget>

class frmSystem : public QWidget
{
    Q_OBJECT
public:
    explicit frmSystem(QWidget *parent = nullptr);

    // Fills lstFile from the settings file and builds the recent-file menu.
    void Form_Load(const QString &iniPath, RecentMenu *mnuFiles);

    RecentFileList lstFile;
};
