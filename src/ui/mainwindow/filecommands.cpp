#include "ui/mainwindow/mainwindow.h"

#include "core/file/documentfile.h"
#include "core/system/systemtools.h"
#include "core/text/textcompare.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/windowtools.h"
#include "ui/document/documentwindow.h"
#include "ui/print/printpreviewwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>

namespace {

// The designed name rule: ".csv" appended, a doubled ".csv.csv" turned into ".Csv".
QString appendCsv(const QString &chosen)
{
    QString name = chosen + QStringLiteral(".csv");
    const qsizetype at = textIndexOf(name, QStringLiteral(".csv.csv"));
    if (at >= 0)
        name.replace(at, 8, QStringLiteral(".Csv"));
    return name;
}

bool sameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

// ---- documents ----

DocumentWindow *MainWindow::newDocumentWindow()
{
    loadSystem();
    ++newDocumentCount;
    auto *doc = new DocumentWindow(m_appFolder);
    // Once the program is ending, every document has had its question.
    doc->closeGuard = [this](DocumentWindow &closing) { return m_unloaded || mayClose(&closing); };
    QMdiSubWindow *sub = m_mdi->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Size and place before showing: a window that opens maximized comes back to these when
    // restored. The place is where a cascade would put it; the area's own placement pushes a
    // window of the designed size mostly out of view once one is open.
    sub->resize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight);
    sub->move(cascadePlace(int(m_mdi->subWindowList().size()) - 1, sub->size()));
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    doc->startFresh(newDocumentCount);
    // A new document built from the template goes on the recent-file list like an opened file.
    if (!doc->document().isUntitled())
        recordRecentFile(doc->document().filePath());
    return doc;
}

void MainWindow::openFile(const QString &path)
{
    if (!fileExists(path))
        return;
    // Letter case counts on this file system: a.csv and A.csv are two documents.
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        const DocumentWindow *doc = DocumentWindow::fromWidget(sub);
        if (!doc || doc->document().isUntitled())
            continue;
        if (sameFile(doc->document().filePath(), path)) {
            m_mdi->setActiveSubWindow(sub);
            sub->widget()->setFocus();
            return;
        }
    }
    DocumentWindow *doc = newDocumentWindow();
    if (doc->loadDocument(path).ok) {
        recordRecentFile(path);
        m_analysis->documentOpened(doc, path);
    }
}

void MainWindow::openFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (fileExists(path))
            openFile(path);
        else
            newDocumentWindow()->loadDocument(path);
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

DocumentWindow *MainWindow::activeDocument() const
{
    QMdiSubWindow *sub = m_mdi ? m_mdi->currentSubWindow() : nullptr;
    if (!sub)
        return nullptr;
    // An analysis or chart window stands for its document.
    DocumentWindow *doc = DocumentWindow::fromWidget(sub->widget());
    return doc ? doc : m_analysis->documentOf(sub);
}

QList<DocumentWindow *> MainWindow::documents() const
{
    QList<DocumentWindow *> out;
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (DocumentWindow *doc = DocumentWindow::fromWidget(sub->widget()))
            out.append(doc);
    return out;
}

bool MainWindow::saveWindowDocument(DocumentWindow *doc, const QString &path, bool saveAs)
{
    const FileResult result = saveAs ? doc->saveDocumentAs(path) : doc->saveDocument(path);
    if (result.ok) {
        recordRecentFile(path);
        // A document whose analysis could not be written is not closed: that would lose it.
        return m_analysis->documentSaved(doc, path, m_savingToClose);
    }
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("ファイルを保存できませんでした。\n") + path + u'\n' + result.message;
    box.icon = MsgIcon::Warning;
    box.buttons = MsgButtons::Ok;
    showMessageBox(this, box);
    return false;
}

// ---- File menu ----

void MainWindow::newDocument()
{
    newDocumentWindow();
}

void MainWindow::newWindow()
{
    newDocumentWindow();
}

void MainWindow::openDocument()
{
    if (!activeDocument())
        newDocumentWindow();
    const QString chosen = showFileDialog(this, documentFileFilters(), QDir::currentPath() + u'/',
                                          QStringLiteral("オッズファイル"), QStringLiteral("開く"),
                                          QStringLiteral("LOAD"));
    if (chosen.isEmpty())
        return;
    // Letter case counts here (a.csv is not a.Csv): a file that exists is opened under the
    // name chosen, and only a name with no file behind it gets ".csv".
    openFile(QFileInfo(chosen).isFile() ? chosen : appendCsv(chosen));
}

void MainWindow::closeDocument()
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        sub->close();
}

bool MainWindow::mayClose(DocumentWindow *doc)
{
    if (!doc->hasUnsavedChanges())
        return true;
    if (QMdiSubWindow *sub = qobject_cast<QMdiSubWindow *>(doc->parentWidget()))
        m_mdi->setActiveSubWindow(sub);
    MessageBoxRequest ask;
    ask.title = QStringLiteral("Kirrel");
    ask.text = QStringLiteral("「%1」は変更されています。\n閉じる前に保存しますか?")
                   .arg(doc->document().caption());
    ask.icon = MsgIcon::Question;
    ask.buttons = MsgButtons::SaveDiscardCancel;
    switch (showMessageBox(this, ask)) {
    case MsgAnswer::Save: {
        const QScopedValueRollback<bool> closing(m_savingToClose, true);
        return saveDocument(doc);
    }
    case MsgAnswer::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::saveActiveDocument()
{
    if (DocumentWindow *doc = activeDocument())
        saveDocument(doc);
}

bool MainWindow::saveDocument(DocumentWindow *doc)
{
    // Untitled documents and templates get a name first, so the template is not overwritten
    // by accident.
    const OddsDocument &d = doc->document();
    if (d.isUntitled() || d.isTemplate())
        return saveDocumentAs(doc);
    return saveWindowDocument(doc, d.filePath(), false);
}

void MainWindow::saveActiveDocumentAs()
{
    if (DocumentWindow *doc = activeDocument())
        saveDocumentAs(doc);
}

bool MainWindow::saveDocumentAs(DocumentWindow *doc)
{
    const QString c = doc->document().caption();
    QString name;
    QString folder;
    if (!doc->document().isUntitled() && fileExists(c)) {
        name = splitPath(c, QStringLiteral("ファイル名"));
        folder = splitPath(c, QStringLiteral("フォルダ名"));
    } else {
        name = c;
        folder = QDir::currentPath() + u'/';
    }
    const QString chosen =
        showFileDialog(this, documentFileFilters(), folder, name,
                       QStringLiteral("名前を付けて保存"), QStringLiteral("SAVE"));
    if (chosen.isEmpty())
        return false;
    const bool hasCsv = chosen.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const QString path = hasCsv ? chosen : chosen + QStringLiteral(".csv");
    // The dialog asked about the name chosen, not about the one with ".csv" added.
    if (path != chosen && QFileInfo::exists(path)) {
        MessageBoxRequest ask;
        ask.title = QStringLiteral("名前を付けて保存");
        ask.text = path + QStringLiteral(" は既に存在します。\n上書きしますか?");
        ask.icon = MsgIcon::Warning;
        ask.buttons = MsgButtons::YesNo;
        if (showMessageBox(this, ask) != MsgAnswer::Yes)
            return false;
    }
    return saveWindowDocument(doc, path, true);
}

void MainWindow::makeTemplate()
{
    DocumentWindow *doc = activeDocument();
    if (!doc)
        return;
    MessageBoxRequest ask;
    ask.title = QStringLiteral("デフォルトにする");
    ask.text = QStringLiteral("次回の新規作成時に、このファイルが使用されます\nよろしいですか?");
    ask.icon = MsgIcon::Information;
    ask.buttons = MsgButtons::YesNo;
    if (showMessageBox(this, ask) != MsgAnswer::Yes)
        return;
    saveWindowDocument(doc, defaultPath(m_appFolder), false);
}

void MainWindow::printDocument()
{
    DocumentWindow *doc = activeDocument();
    if (!doc)
        return;
    PrintPreviewWindow::printDocument(doc->document(), doc);
}

void MainWindow::exitProgram()
{
    close();
}
