#pragma once
// The main window: the menu bar, the document sub-windows, the file commands and the stored
// window geometry. Every command acts on the active document window, or on none.

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

class AnalysisController;
class SeasonController;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class DocumentWindow;
class RecentFilesHolder;
class RecentMenuActions;
struct FileResult;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // appFolder ends in "/": the settings file and the template live there.
    explicit MainWindow(const QString &appFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up after the single-instance check: the load step (default size, first document),
    // the stored geometry, the recent-file list, showing the window.
    void startUp();

    // Reads "POS" and applies it over the default size; the first call runs the load step.
    void loadSettings();
    // Writes "POS" unless the window is minimized.
    void saveSettings();

    // A new document window: untitled caption, shown, buildTable, the template, today's date.
    DocumentWindow *newDocumentWindow();
    // Activates the window that shows path, else opens it in a new one. A missing file is
    // ignored.
    void openFile(const QString &path);
    // Files named on the command line or handed over by a later start: each opens as "開く"
    // opens it, a file that cannot be read in a window that says why; then the main window comes
    // to the front.
    void openFiles(const QStringList &paths);

    QString appFolder() const { return m_appFolder; }
    QString settingsPath() const;
    int newDocumentCount = 0;

    DocumentWindow *activeDocument() const;
    QList<DocumentWindow *> documents() const;
    QMdiArea *mdiArea() const { return m_mdi; }
    RecentFilesHolder *recentFilesHolder() const { return m_recentFiles.get(); }
    AnalysisController *analysis() const { return m_analysis; }
    SeasonController *season() const { return m_season; }

    // Geometry as stored: frame position and window size, in twips.
    double twipsLeft() const;
    double twipsTop() const;
    double twipsWidth() const;
    double twipsHeight() const;

    // Menu handlers.
    void newDocument();
    void openDocument();
    void closeDocument();
    void saveActiveDocument();
    void saveActiveDocumentAs();
    void makeTemplate();
    void printDocument();
    void openRecentFile(int index);
    void exitProgram();
    void undoCommand();
    void cutCommand();
    void copyCommand();
    void pasteCommand();
    void newWindow();
    void cascadeWindows();
    void tileOneAboveTheOther();
    void tileSideBySide();
    void showVersion();

    // Rebuilds the window list below the Window menu's items (done each time it opens).
    void updateWindowMenu();
    QList<QAction *> windowListActions() const { return m_windowList; }
    // The recent-file items in menu order.
    QList<QAction *> recentFileActions() const;

    QMenu *fileMenu = nullptr;
    QMenu *editMenu = nullptr;
    QMenu *windowMenu = nullptr;
    QMenu *viewMenu = nullptr;
    QAction *quinellaAction = nullptr; // 馬連 (F6): the quinella matrix of the active document
    QAction *tallyAction = nullptr;    // 集計 (F9): recalculates it and shows its table
    QAction *newAction = nullptr;
    QAction *openAction = nullptr;
    QAction *closeAction = nullptr;
    QAction *fileSeparator0 = nullptr;
    QAction *saveAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *defaultSeparator = nullptr;
    QAction *makeDefaultAction = nullptr;
    QAction *fileSeparator1 = nullptr;
    QAction *printAction = nullptr;
    QAction *recentSeparator = nullptr;
    QAction *recentEndSeparator = nullptr;
    QAction *exitAction = nullptr;
    QAction *undoAction = nullptr;
    QAction *editSeparator = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *newWindowAction = nullptr;
    QAction *windowSeparator = nullptr;
    QAction *cascadeAction = nullptr;
    QAction *tileHorizontalAction = nullptr;
    QAction *tileVerticalAction = nullptr;
    QAction *versionAction = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void loadWindow();
    void unloadWindow();
    void loadSystem();
    // Writes through the document (saveAs: the path becomes its file); a failure is shown with
    // the file and the reason. A path enters the recent-file list only once it has been written.
    bool saveWindowDocument(DocumentWindow *doc, const QString &path, bool saveAs);
    // Save and Save As of one document; false when nothing was written (cancelled or failed).
    bool saveDocument(DocumentWindow *doc);
    bool saveDocumentAs(DocumentWindow *doc);
    // A changed document asks whether to save it first; false keeps it open.
    bool mayClose(DocumentWindow *doc);
    // Puts a path that was read or written on the recent-file list.
    void recordRecentFile(const QString &path);
    // Tells the user, once a run, that the settings file could not be written.
    void reportSettingsFailure(const FileResult &result);
    void tile(bool oneAboveTheOther);
    // Top-left corner of the index-th window of a cascade of windows of this size.
    QPoint cascadePlace(int index, const QSize &size) const;
    QList<QMdiSubWindow *> arrangeableWindows() const;

    QString m_appFolder;
    QMdiArea *m_mdi = nullptr;
    std::unique_ptr<RecentFilesHolder> m_recentFiles;
    std::unique_ptr<RecentMenuActions> m_recentMenu;
    QList<QAction *> m_windowList;
    bool m_loaded = false;
    bool m_recentFilesLoaded = false;
    bool m_unloaded = false;
    bool m_savingToClose = false; // the close question's 保存 is running
    bool m_settingsFailureShown = false;
    AnalysisController *m_analysis = nullptr;
    SeasonController *m_season = nullptr;
};
