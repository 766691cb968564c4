#pragma once
// The analysis side of the main window: the 分析 menu, one DocumentAnalysis per document, its
// analysis and chart sub-windows (closed with their document), the sidecar read after a
// document is opened and written after it is saved, and the preferred parameters.

#include "core/analysisfile/analysisinputs.h"
#include "ui/desktop/dialogs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ChartWindow;
class AnalysisWindow;
class DocumentAnalysis;
class DocumentWindow;
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

    // "分析(&A)" with its two items, for the main window to place on its bar (before the
    // Window menu); bar is its parent.
    QMenu *createMenu(QMenuBar *bar);
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
    // A sidecar that could not be read when the document was opened stays as it is until the
    // analysis is changed; then it is kept under another name first. A failure is shown, the
    // document marked changed again; false then. closing: the save asked for by closing.
    bool documentSaved(DocumentWindow *doc, const QString &path, bool closing = false);
    // After the document was read from path: its sidecar, when there is one.
    void documentOpened(DocumentWindow *doc, const QString &path);

    // The model, λ, ρ, β, payout ratios and thresholds of inputs become the defaults of new
    // analyses (in the settings file). Empty when stored, else why not.
    QString storeDefaults(const AnalysisInputs &inputs);
    // The 急落 threshold (percent) into the settings file and every open analysis window.
    // Empty when stored, else why not.
    QString storeDropThreshold(double percent);

    // The Edit commands while an analysis window is active; false when none is.
    bool copy();
    bool paste();

private:
    struct Entry
    {
        DocumentAnalysis *analysis = nullptr;
        QTimer *pending = nullptr;
        QList<QPointer<QMdiSubWindow>> windows;
        QString refusedSidecar; // read at opening and refused: never written over unchanged
    };
    // The one place the analysis hears of changes to a document's data.
    void watch(DocumentWindow *doc, Entry &entry);
    void forget(DocumentWindow *doc);
    QMdiSubWindow *addWindow(DocumentWindow *doc, QWidget *window, const QString &prefix);
    DocumentWindow *currentDocument() const;
    void updateActions();
    void showProblem(const QString &text, MsgIcon icon = MsgIcon::Warning);

    QMdiArea *m_mdi;
    QString m_settingsFile;
    QWidget *m_owner;
    QHash<DocumentWindow *, Entry> m_entries;
    AnalysisInputs m_preferences; // the defaults of new analyses, as the settings file holds them
    double m_dropThreshold;
};
