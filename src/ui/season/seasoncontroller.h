#pragma once
// 分析 → 成績: asks for a folder (the last one is remembered in the settings file) and opens
// its season in a sub-window of the main window.

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QWidget;
struct AnalysisInputs;
struct SeasonDefaults;

class SeasonController : public QObject
{
    Q_OBJECT
public:
    SeasonController(QMdiArea *mdi, const QString &settingsFile, QWidget *owner);

    // "成績(&S)..." at the end of menu.
    void addTo(QMenu *menu);
    QAction *seasonAction = nullptr;

    // Asks for the folder, then opens it; null when none was chosen.
    QMdiSubWindow *chooseSeason();
    // "成績 - <folder>", reading at once.
    QMdiSubWindow *openSeason(const QString &folder);

    // Opens a document the table was double-clicked on.
    std::function<void(const QString &path)> openDocument;
    // 分析の既定にする: the fitted values over the preferred parameters of the settings file.
    // Empty when stored, else why not.
    QString storeDefaults(const SeasonDefaults &defaults);
    // Where the analysis keeps its defaults; without it they go to the settings file directly.
    std::function<QString(const AnalysisInputs &)> analysisDefaults;

    // Tests answer the folder dialog here: the start folder in, the chosen one out ("" = none).
    static std::function<QString(const QString &start)> folderDialog;

private:
    QMdiArea *m_mdi;
    QString m_settingsFile;
    QWidget *m_owner;
};
