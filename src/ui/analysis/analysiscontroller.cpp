#include "ui/analysis/analysiscontroller.h"

#include "core/analysis/documentanalysis.h"
#include "core/file/documentfile.h"
#include "ui/analysis/analysiswindow.h"
#include "ui/analysis/chartwindow.h"
#include "ui/desktop/dialogs.h"
#include "ui/document/documentwindow.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

bool isTemplate(const DocumentWindow *doc, const QString &path)
{
    const QString templatePath = defaultPath(doc->appFolder());
    if (path == templatePath)
        return true;
    const QString a = QFileInfo(path).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(templatePath).canonicalFilePath();
}

} // namespace

AnalysisController::AnalysisController(QMdiArea *mdi, const QString &settingsFile, QWidget *owner)
    : QObject(owner), m_mdi(mdi), m_settingsFile(settingsFile), m_owner(owner)
{
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &AnalysisController::updateActions);
    loadAnalysisPreferences(m_settingsFile, &m_preferences);
    m_dropThreshold = loadDropThreshold(m_settingsFile);
}

AnalysisController::~AnalysisController()
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        delete it->analysis;
}

QMenu *AnalysisController::createMenu(QMenuBar *bar)
{
    auto *menu = new QMenu(QStringLiteral("分析(&A)"), bar);
    analysisAction = menu->addAction(QStringLiteral("買い目分析(&B)..."));
    chartAction = menu->addAction(QStringLiteral("グラフ(&G)..."));
    connect(analysisAction, &QAction::triggered, this, [this] {
        if (DocumentWindow *doc = currentDocument())
            openAnalysisWindow(doc);
    });
    connect(chartAction, &QAction::triggered, this, [this] {
        if (DocumentWindow *doc = currentDocument())
            openChartWindow(doc);
    });
    connect(menu, &QMenu::aboutToShow, this, &AnalysisController::updateActions);
    updateActions();
    return menu;
}

void AnalysisController::updateActions()
{
    const bool any = currentDocument() != nullptr;
    if (analysisAction)
        analysisAction->setEnabled(any);
    if (chartAction)
        chartAction->setEnabled(any);
}

DocumentWindow *AnalysisController::currentDocument() const
{
    return documentOf(m_mdi->currentSubWindow());
}

DocumentWindow *AnalysisController::documentOf(QMdiSubWindow *sub) const
{
    if (!sub)
        return nullptr;
    if (DocumentWindow *doc = DocumentWindow::fromWidget(sub))
        return doc;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        if (it->windows.contains(sub))
            return it.key();
    return nullptr;
}

QList<QMdiSubWindow *> AnalysisController::windowsOf(DocumentWindow *doc) const
{
    QList<QMdiSubWindow *> out;
    for (const QPointer<QMdiSubWindow> &sub : m_entries.value(doc).windows)
        if (sub)
            out.append(sub);
    return out;
}

AnalysisWindow *AnalysisController::activeAnalysisWindow() const
{
    QMdiSubWindow *sub = m_mdi->currentSubWindow();
    return sub ? qobject_cast<AnalysisWindow *>(sub->widget()) : nullptr;
}

DocumentAnalysis *AnalysisController::analysisOf(DocumentWindow *doc)
{
    auto it = m_entries.find(doc);
    if (it != m_entries.end())
        return it->analysis;
    Entry &entry = m_entries[doc];
    entry.analysis = new DocumentAnalysis(&doc->document());
    entry.analysis->state().resetInputs(m_preferences);
    watch(doc, entry);
    return entry.analysis;
}

void AnalysisController::watch(DocumentWindow *doc, Entry &entry)
{
    // Edits, pastes, deletes, loads, undo and count changes all end in a refresh of the window;
    // the pool box changes the support without one. Bursts are analysed once.
    entry.pending = new QTimer(entry.analysis);
    entry.pending->setSingleShot(true);
    entry.pending->setInterval(0);
    DocumentAnalysis *analysis = entry.analysis;
    connect(entry.pending, &QTimer::timeout, analysis, [this, doc, analysis] {
        if (!windowsOf(doc).isEmpty())
            analysis->documentChanged();
    });
    QTimer *pending = entry.pending;
    const auto schedule = [pending] { pending->start(); };
    connect(doc, &DocumentWindow::contentsChanged, pending, schedule);
    connect(doc->poolBox, &QLineEdit::textEdited, pending, schedule);
    // The inputs are saved beside the document: changing them is a change of the document.
    connect(&analysis->state(), &AnalysisState::changed, doc, [doc, analysis] {
        if (analysis->state().isChanged()) // not when a sidecar was just read or written
            doc->markChanged();
    });
    connect(doc, &QObject::destroyed, this, [this, doc] { forget(doc); });
    connect(doc, &QWidget::windowTitleChanged, this, [this, doc](const QString &caption) {
        for (QMdiSubWindow *sub : windowsOf(doc))
            sub->setWindowTitle(sub->property("prefix").toString() + caption);
    });
}

void AnalysisController::forget(DocumentWindow *doc)
{
    const auto it = m_entries.find(doc);
    if (it == m_entries.end())
        return;
    const Entry entry = *it;
    m_entries.erase(it);
    for (const QPointer<QMdiSubWindow> &sub : entry.windows)
        if (sub)
            sub->close();
    delete entry.analysis;
}

QMdiSubWindow *AnalysisController::addWindow(DocumentWindow *doc, QWidget *window,
                                             const QString &prefix)
{
    QMdiSubWindow *sub = m_mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setProperty("prefix", prefix);
    sub->setWindowTitle(prefix + doc->windowTitle());
    m_entries[doc].windows.append(sub);
    // In view, one title bar further down than the last one, rather than wherever the area
    // puts it (often half outside).
    const QRect area = m_mdi->viewport()->rect();
    sub->resize(sub->sizeHint().expandedTo(QSize(1000, 640)).boundedTo(area.size()));
    const int step = 24 * int((m_mdi->subWindowList().size() - 1) % 8);
    sub->move(std::max(0, std::min(step, area.width() - sub->width())),
              std::max(0, std::min(step, area.height() - sub->height())));
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    return sub;
}

QMdiSubWindow *AnalysisController::openAnalysisWindow(DocumentWindow *doc)
{
    DocumentAnalysis *analysis = analysisOf(doc);
    analysis->documentChanged();
    auto *window = new AnalysisWindow(analysis);
    window->setDefaultsStore([this](const AnalysisInputs &in) { return storeDefaults(in); });
    window->setDropThreshold(m_dropThreshold);
    window->setThresholdStore([this](double percent) { return storeDropThreshold(percent); });
    return addWindow(doc, window, QStringLiteral("買い目分析 - "));
}

QMdiSubWindow *AnalysisController::openChartWindow(DocumentWindow *doc)
{
    // The document's chart already open comes to the front rather than a second one.
    if (const auto it = m_entries.find(doc); it != m_entries.end())
        for (const QPointer<QMdiSubWindow> &sub : it->windows)
            if (sub && qobject_cast<ChartWindow *>(sub->widget())) {
                sub->showNormal();
                m_mdi->setActiveSubWindow(sub);
                sub->raise();
                return sub;
            }
    DocumentAnalysis *analysis = analysisOf(doc);
    analysis->documentChanged();
    return addWindow(doc, new ChartWindow(analysis), QStringLiteral("グラフ - "));
}

bool AnalysisController::documentSaved(DocumentWindow *doc, const QString &path, bool closing)
{
    const QString sidecar = sidecarPath(path);
    const auto it = m_entries.find(doc);
    // A document never analysed gets no sidecar, unless one of another document is in the way.
    if (isTemplate(doc, path) || (it == m_entries.end() && !QFileInfo::exists(sidecar)))
        return true;
    DocumentAnalysis *analysis = analysisOf(doc);
    Entry &entry = m_entries[doc];
    const auto fail = [&](const QString &why) {
        // The analysis is not on the disk: the document counts as changed until it is.
        doc->markChanged();
        QString text = QStringLiteral("文書は保存しましたが、分析を保存できませんでした。\n%1\n%2")
                           .arg(sidecar, why);
        if (closing)
            text += QStringLiteral("\n分析の入力を失わないよう、ウィンドウは閉じずに残します。");
        showProblem(text);
        return false;
    };
    QString keptAs;
    if (!entry.refusedSidecar.isEmpty() && entry.refusedSidecar == sidecar) {
        // What could not be read is not written over while nothing was entered in its place.
        if (!analysis->state().isChanged())
            return true;
        const Result<QString> aside = setAsideSidecar(sidecar);
        if (!aside.ok())
            return fail(QStringLiteral("読み込めなかった分析ファイルを別名で残せませんでした：") +
                        aside.error);
        keptAs = aside.value;
    }
    entry.refusedSidecar.clear();
    const QString error = writeSidecar(sidecar, analysis->inputs());
    if (!error.isEmpty()) {
        if (!keptAs.isEmpty())
            return fail(error +
                        QStringLiteral("\n読み込めなかった分析ファイルは %1 に残してあります。")
                            .arg(keptAs));
        return fail(error);
    }
    analysis->state().setChanged(false);
    if (!keptAs.isEmpty())
        showProblem(QStringLiteral("読み込めなかった分析ファイルを %1 として残し、%2 "
                                   "には今の分析を保存しました。")
                        .arg(keptAs, sidecar),
                    MsgIcon::Information);
    return true;
}

void AnalysisController::documentOpened(DocumentWindow *doc, const QString &path)
{
    const QString sidecar = sidecarPath(path);
    if (!QFileInfo::exists(sidecar))
        return;
    const Result<AnalysisInputs> read = readSidecar(sidecar);
    if (!read.ok()) {
        analysisOf(doc);
        m_entries[doc].refusedSidecar = sidecar;
        showProblem(QStringLiteral("分析ファイルを読み込めませんでした。\n%1\n%2\n"
                                   "このファイルは、分析を変更して保存するまでそのまま残します。")
                        .arg(sidecar, japaneseText(read.problem)));
        return;
    }
    analysisOf(doc)->state().resetInputs(read.value);
}

bool AnalysisController::copy()
{
    AnalysisWindow *w = activeAnalysisWindow();
    if (w)
        w->copy();
    return w != nullptr;
}

bool AnalysisController::paste()
{
    AnalysisWindow *w = activeAnalysisWindow();
    if (w)
        w->paste();
    return w != nullptr;
}

void AnalysisController::showProblem(const QString &text, MsgIcon icon)
{
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = text;
    box.icon = icon;
    showMessageBox(m_owner, box);
}

QString AnalysisController::storeDefaults(const AnalysisInputs &inputs)
{
    if (!saveAnalysisPreferences(m_settingsFile, inputs))
        return QStringLiteral("%1 に書き込めませんでした。").arg(m_settingsFile);
    m_preferences = inputs;
    return {};
}

QString AnalysisController::storeDropThreshold(double percent)
{
    m_dropThreshold = percent;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        for (const QPointer<QMdiSubWindow> &sub : it->windows)
            if (auto *window = sub ? qobject_cast<AnalysisWindow *>(sub->widget()) : nullptr)
                window->setDropThreshold(percent);
    if (!saveDropThreshold(m_settingsFile, percent))
        return QStringLiteral("%1 に書き込めませんでした。").arg(m_settingsFile);
    return {};
}
