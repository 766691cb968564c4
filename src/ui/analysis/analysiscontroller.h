#pragma once
// The analysis side of the main window: the 分析 menu, one DocumentAnalysis per document, its
// analysis and chart sub-windows (closed with their document), the sidecar read after a
// document is opened and written after it is saved, and the preferred parameters.

#include "core/analysis/analysisinputs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ChartWindow;
class AnalysisWindow;
class DocumentAnalysis;
class DocumentWindow;
class MainWindow;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QTimer;
class QWidget;

class AnalysisController : public QObject
{
    Q_OBJECT
public:
    // settingsFile holds the preferred parameters; owner parents the message boxes.
    AnalysisController(QMdiArea *mdi, const QString &settingsFile, QWidget *owner);
    ~AnalysisController() override;

    // The 分析 menu before the Window menu.
    void attach(MainWindow *main);
    // "分析(&A)" with its two items, placed before `before` on the bar.
    QMenu *addMenu(QMenuBar *bar, QAction *before);
    QAction *analysisAction = nullptr;
    QAction *chartAction = nullptr;

    // The document's analysis, made (and watched) on first use.
    DocumentAnalysis *analysisOf(DocumentWindow *doc);
    QMdiSubWindow *openAnalysisWindow(DocumentWindow *doc);
    QMdiSubWindow *openChartWindow(DocumentWindow *doc);
    // The document a sub-window shows or analyses; null for none.
    DocumentWindow *documentOf(QMdiSubWindow *sub) const;
    QList<QMdiSubWindow *> windowsOf(DocumentWindow *doc) const;
    AnalysisWindow *activeAnalysisWindow() const;

    // After the document was written to path: the sidecar beside it (never for the template).
    // A failure is shown; false then.
    bool documentSaved(DocumentWindow *doc, const QString &path);
    // After the document was read from path: its sidecar, when there is one.
    void documentOpened(DocumentWindow *doc, const QString &path);

    // The Edit commands while an analysis window is active; false when none is.
    bool copy();
    bool paste();

private:
    struct Entry
    {
        DocumentAnalysis *analysis = nullptr;
        QTimer *pending = nullptr;
        QList<QPointer<QMdiSubWindow>> windows;
    };
    // The one place the analysis hears of changes to a document's data.
    void watch(DocumentWindow *doc, Entry &entry);
    void forget(DocumentWindow *doc);
    QMdiSubWindow *addWindow(DocumentWindow *doc, QWidget *window, const QString &prefix);
    DocumentWindow *currentDocument() const;
    void updateActions();
    void showProblem(const QString &text);
    void keepPreferences();

    QMdiArea *m_mdi;
    QString m_settingsFile;
    QWidget *m_owner;
    QHash<DocumentWindow *, Entry> m_entries;
    QTimer *m_preferenceTimer;
    QPointer<DocumentAnalysis> m_preferenceSource;
    AnalysisInputs m_preferences; // as the settings file holds them
};
