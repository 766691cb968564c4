#include "ui/mainwindow/mainwindow.h"

#include "core/file/documentfile.h"
#include "core/settings/inifile.h"
#include "core/settings/recentfiles.h"
#include "core/system/systemtools.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/windowtools.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/recentfilesholder.h"
#include "ui/print/printpreviewwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <cmath>

namespace {

const QString PosSection = QStringLiteral("POS");

// The decimal text of a single-precision number, as the geometry has always been stored.
QString SingleText(double value)
{
    return QString::number(double(float(value)), 'g', 7).toUpper();
}

QRect ScreenRect(const QWidget *widget)
{
    const QScreen *screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// The designed name rule: ".csv" appended, a doubled ".csv.csv" turned into ".Csv".
QString AppendCsv(const QString &chosen)
{
    QString name = chosen + QStringLiteral(".csv");
    const qsizetype at = TextIndexOf(name, QStringLiteral(".csv.csv"));
    if (at >= 0)
        name.replace(at, 8, QStringLiteral(".Csv"));
    return name;
}

bool SameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool IsMenuShortcut(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                           Qt::AltModifier | Qt::MetaModifier);
    if (mods != Qt::ControlModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_N:
    case Qt::Key_O:
    case Qt::Key_X:
    case Qt::Key_C:
    case Qt::Key_V:
        return true;
    default:
        return false;
    }
}

} // namespace

// mnuFiles: the recent-file items between mnuFileBar3 and Bar.
class RecentMenuActions : public RecentMenu
{
public:
    RecentMenuActions(MainWindow *owner, QMenu *menu, QAction *before)
        : m_owner(owner), m_menu(menu), m_before(before)
    {
    }
    int itemCount() const override { return int(items.size()); }
    void addItem() override
    {
        const int index = int(items.size());
        auto *action = new QAction(m_menu);
        action->setVisible(false);
        QObject::connect(action, &QAction::triggered, m_owner,
                         [owner = m_owner, index] { owner->mnuFiles_Click(index); });
        m_menu->insertAction(m_before, action);
        items.append(action);
    }
    void setItemVisible(int index, bool visible) override
    {
        if (QAction *a = items.value(index))
            a->setVisible(visible);
    }
    void setItemCaption(int index, const QString &caption) override
    {
        // A "&" in a file name is shown, not taken as an access key.
        if (QAction *a = items.value(index))
            a->setText(QString(caption).replace(u'&', QStringLiteral("&&")));
    }
    void setItemTag(int index, const QString &tag) override
    {
        if (QAction *a = items.value(index))
            a->setData(tag);
    }

    QList<QAction *> items;

private:
    MainWindow *m_owner;
    QMenu *m_menu;
    QAction *m_before;
};

MainWindow::MainWindow(const QString &AppFolder, QWidget *parent)
    : QMainWindow(parent), m_appFolder(AppFolder), m_system(std::make_unique<RecentFilesHolder>())
{
    setWindowTitle(QStringLiteral("Kirrel"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();
    m_analysis = new AnalysisController(m_mdi, settingsPath(), this);
    m_analysis->attach(this);
    // The Edit shortcuts must win over the focused control's own Ctrl+C/X/V.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The documents go before the rest of the window.
    delete m_mdi;
    m_mdi = nullptr;
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFileNew = mnuFile->addAction(QStringLiteral("新規作成(&N)"));
    mnuFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen = mnuFile->addAction(QStringLiteral("開く(&O)..."));
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileClose = mnuFile->addAction(QStringLiteral("閉じる(&C)"));
    mnuFileBar0 = mnuFile->addSeparator();
    mnuFileSave = mnuFile->addAction(QStringLiteral("上書き保存(&S)"));
    mnuFileSaveAs = mnuFile->addAction(QStringLiteral("名前を付けて保存(&A)..."));
    mnuBarr = mnuFile->addSeparator();
    mnuDefault = mnuFile->addAction(QStringLiteral("デフォルトにする"));
    mnuFileBar1 = mnuFile->addSeparator();
    mnuFilePrint = mnuFile->addAction(QStringLiteral("印刷(&P)..."));
    mnuFileBar3 = mnuFile->addSeparator();
    Bar = mnuFile->addSeparator();
    mnuFileExit = mnuFile->addAction(QStringLiteral("終了(&X)"));

    mnuEdit = bar->addMenu(QStringLiteral("編集(&E)"));
    mnuEditUndo = mnuEdit->addAction(QStringLiteral("元に戻す(&U)"));
    mnuEditBar0 = mnuEdit->addSeparator();
    mnuEditCut = mnuEdit->addAction(QStringLiteral("切り取り(&T)"));
    mnuEditCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuEditCopy = mnuEdit->addAction(QStringLiteral("ｺﾋﾟｰ(&C)"));
    mnuEditCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditPaste = mnuEdit->addAction(QStringLiteral("貼り付け(&P)"));
    mnuEditPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    mnuWindow = bar->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    mnuWindowNewWindow = mnuWindow->addAction(QStringLiteral("新しいｳｨﾝﾄﾞｳを開く(&N)"));
    mnuWindowBar0 = mnuWindow->addSeparator();
    mnuWindowCascade = mnuWindow->addAction(QStringLiteral("重ねて表示(&C)"));
    mnuWindowTileHorizontal = mnuWindow->addAction(QStringLiteral("上下に並べて表示(&H)"));
    mnuWindowTileVertical = mnuWindow->addAction(QStringLiteral("左右に並べて表示(&V)"));

    mnuVersion = bar->addAction(QStringLiteral("バージョン情報"));

    // Shortcuts work while a menu is closed and whichever child has the focus.
    for (QAction *a : {mnuFileNew, mnuFileOpen, mnuEditCut, mnuEditCopy, mnuEditPaste}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }

    m_recentMenu = std::make_unique<RecentMenuActions>(this, mnuFile, Bar);
    for (int i = 0; i < 11; ++i)
        m_recentMenu->addItem();

    connect(mnuFileNew, &QAction::triggered, this, &MainWindow::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &MainWindow::mnuFileOpen_Click);
    connect(mnuFileClose, &QAction::triggered, this, &MainWindow::mnuFileClose_Click);
    connect(mnuFileSave, &QAction::triggered, this, &MainWindow::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &MainWindow::mnuFileSaveAs_Click);
    connect(mnuDefault, &QAction::triggered, this, &MainWindow::mnuDefault_Click);
    connect(mnuFilePrint, &QAction::triggered, this, &MainWindow::mnuFilePrint_Click);
    connect(mnuFileExit, &QAction::triggered, this, &MainWindow::mnuFileExit_Click);
    connect(mnuEditUndo, &QAction::triggered, this, &MainWindow::mnuEditUndo_Click);
    connect(mnuEditCut, &QAction::triggered, this, &MainWindow::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &MainWindow::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &MainWindow::mnuEditPaste_Click);
    connect(mnuWindowNewWindow, &QAction::triggered, this, &MainWindow::mnuWindowNewWindow_Click);
    connect(mnuWindowCascade, &QAction::triggered, this, &MainWindow::mnuWindowCascade_Click);
    connect(mnuWindowTileHorizontal, &QAction::triggered, this,
            &MainWindow::mnuWindowTileHorizontal_Click);
    connect(mnuWindowTileVertical, &QAction::triggered, this,
            &MainWindow::mnuWindowTileVertical_Click);
    connect(mnuVersion, &QAction::triggered, this, &MainWindow::mnuVersion_Click);
    connect(mnuWindow, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
}

QString MainWindow::settingsPath() const
{
    return m_appFolder + QStringLiteral("KirrelSys.ini");
}

QList<QAction *> MainWindow::mnuFiles() const
{
    return m_recentMenu->items;
}

// ---- start-up and shutdown ----

void MainWindow::StartUp()
{
    LoadSettings();
    loadSystem();
    show();
    rebuildRecentMenu(m_system->recentFiles, m_recentMenu.get());
}

void MainWindow::loadSystem()
{
    if (m_systemLoaded)
        return;
    m_systemLoaded = true;
    m_system->Form_Load(settingsPath(), m_recentMenu.get());
}

void MainWindow::MDIForm_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    resize(1024, 768);
    // The template enters the recent list when the first document loads it, so the stored list
    // has to be read first.
    loadSystem();
    LoadNewDoc();
    for (QAction *item : m_recentMenu->items)
        item->setVisible(false);
}

double MainWindow::twipsLeft() const
{
    return pos().x() * TwipsPerPixelX();
}
double MainWindow::twipsTop() const
{
    return pos().y() * TwipsPerPixelY();
}
double MainWindow::twipsWidth() const
{
    return width() * TwipsPerPixelX();
}
double MainWindow::twipsHeight() const
{
    return height() * TwipsPerPixelY();
}

void MainWindow::LoadSettings()
{
    const QString ini = settingsPath();
    MDIForm_Load();

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    const QRect screen = ScreenRect(this);
    const double screenW = screen.width() * tppX;
    const double screenH = screen.height() * tppY;

    double left = textToNumber(readSetting(ini, PosSection, QStringLiteral("MainLeft")));
    double top = textToNumber(readSetting(ini, PosSection, QStringLiteral("MainTop")));
    double width = twipsWidth();
    double height = twipsHeight();
    const double w = textToNumber(readSetting(ini, PosSection, QStringLiteral("MainWidth")));
    if (w > 1600)
        width = w;
    if (w > screenW)
        width = screenW;
    const double h = textToNumber(readSetting(ini, PosSection, QStringLiteral("MainHeight")));
    if (h > 1600)
        height = h;
    if (h > screenH)
        height = screenH;
    if (left + width > screenW)
        left = screenW - width;
    if (top + height > screenH)
        top = screenH - height;
    // A stored position left of or above the screen would open the window out of reach; the
    // title bar is kept on the screen also when the window is larger than it.
    left = std::max(left, 0.0);
    top = std::max(top, 0.0);

    move(screen.x() + int(std::lround(left / tppX)), screen.y() + int(std::lround(top / tppY)));
    resize(int(std::lround(width / tppX)), int(std::lround(height / tppY)));
}

void MainWindow::SaveSettings()
{
    if (isMinimized())
        return;
    const FileResult written =
        writeSettings(settingsPath(), PosSection,
                      {{QStringLiteral("MainLeft"), SingleText(twipsLeft())},
                       {QStringLiteral("MainTop"), SingleText(twipsTop())},
                       {QStringLiteral("MainWidth"), SingleText(twipsWidth())},
                       {QStringLiteral("MainHeight"), SingleText(twipsHeight())}});
    reportSettingsFailure(written);
}

void MainWindow::reportSettingsFailure(const FileResult &result)
{
    // Once a run is enough: the next write to the same file would only fail the same way.
    if (result.ok || m_settingsFailureShown)
        return;
    m_settingsFailureShown = true;
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("設定ファイルを保存できませんでした。\n") + settingsPath() + u'\n' +
               result.message;
    box.icon = MsgIcon::Warning;
    box.buttons = MsgButtons::Ok;
    ShowMessageBox(this, box);
}

void MainWindow::recordRecentFile(const QString &path)
{
    reportSettingsFailure(m_system->recentFiles.add(path));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every changed document asks first; Cancel on any of them keeps every window open.
    if (!m_unloaded) {
        const QList<DocumentWindow *> docs = documents();
        for (DocumentWindow *doc : docs) {
            if (!mayClose(doc)) {
                event->ignore();
                return;
            }
        }
    }
    MDIForm_Unload();
    event->accept();
}

void MainWindow::MDIForm_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    SaveSettings();
    m_mdi->closeAllSubWindows();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    if (PrintPreviewWindow *preview = PrintPreviewWindow::existing())
        preview->close();
    m_system->close();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this &&
        IsMenuShortcut(static_cast<QKeyEvent *>(event))) {
        // Not accepted: the key stroke goes to the menu's shortcut, not to the control.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- documents ----

DocumentWindow *MainWindow::LoadNewDoc()
{
    loadSystem();
    ++NewDocCount;
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
    doc->startFresh(NewDocCount);
    // A new document built from the template goes on the recent-file list like an opened file.
    if (!doc->document().isUntitled())
        recordRecentFile(doc->document().filePath());
    return doc;
}

void MainWindow::openFile(const QString &wkFile)
{
    if (!fileExists(wkFile))
        return;
    // Letter case counts on this file system: a.csv and A.csv are two documents.
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        const DocumentWindow *doc = DocumentWindow::fromWidget(sub);
        if (!doc || doc->document().isUntitled())
            continue;
        if (SameFile(doc->document().filePath(), wkFile)) {
            m_mdi->setActiveSubWindow(sub);
            sub->widget()->setFocus();
            return;
        }
    }
    DocumentWindow *doc = LoadNewDoc();
    if (doc->loadDocument(wkFile).ok) {
        recordRecentFile(wkFile);
        m_analysis->documentOpened(doc, wkFile);
    }
}

void MainWindow::openFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (fileExists(path))
            openFile(path);
        else
            LoadNewDoc()->loadDocument(path);
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
        m_analysis->documentSaved(doc, path);
        return true;
    }
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("ファイルを保存できませんでした。\n") + path + u'\n' + result.message;
    box.icon = MsgIcon::Warning;
    box.buttons = MsgButtons::Ok;
    ShowMessageBox(this, box);
    return false;
}

// ---- File menu ----

void MainWindow::mnuFileNew_Click()
{
    LoadNewDoc();
}

void MainWindow::mnuWindowNewWindow_Click()
{
    LoadNewDoc();
}

void MainWindow::mnuFileOpen_Click()
{
    if (!activeDocument())
        LoadNewDoc();
    const QString chosen = showFileDialog(this, DocumentFileFilters(), QDir::currentPath() + u'/',
                                          QStringLiteral("オッズファイル"), QStringLiteral("開く"),
                                          QStringLiteral("LOAD"));
    if (chosen.isEmpty())
        return;
    // Letter case counts here (a.csv is not a.Csv): a file that exists is opened under the
    // name chosen, and only a name with no file behind it gets ".csv".
    openFile(QFileInfo(chosen).isFile() ? chosen : AppendCsv(chosen));
}

void MainWindow::mnuFileClose_Click()
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        sub->close();
}

bool MainWindow::mayClose(DocumentWindow *doc)
{
    if (!doc->document().isChanged())
        return true;
    if (QMdiSubWindow *sub = qobject_cast<QMdiSubWindow *>(doc->parentWidget()))
        m_mdi->setActiveSubWindow(sub);
    MessageBoxRequest ask;
    ask.title = QStringLiteral("Kirrel");
    ask.text = QStringLiteral("「%1」は変更されています。\n閉じる前に保存しますか?")
                   .arg(doc->document().caption());
    ask.icon = MsgIcon::Question;
    ask.buttons = MsgButtons::SaveDiscardCancel;
    switch (ShowMessageBox(this, ask)) {
    case MsgAnswer::Save:
        return saveDocument(doc);
    case MsgAnswer::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::mnuFileSave_Click()
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

void MainWindow::mnuFileSaveAs_Click()
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
        showFileDialog(this, DocumentFileFilters(), folder, name,
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
        if (ShowMessageBox(this, ask) != MsgAnswer::Yes)
            return false;
    }
    return saveWindowDocument(doc, path, true);
}

void MainWindow::mnuDefault_Click()
{
    DocumentWindow *doc = activeDocument();
    if (!doc)
        return;
    MessageBoxRequest ask;
    ask.title = QStringLiteral("デフォルトにする");
    ask.text = QStringLiteral("次回の新規作成時に、このファイルが使用されます\nよろしいですか?");
    ask.icon = MsgIcon::Information;
    ask.buttons = MsgButtons::YesNo;
    if (ShowMessageBox(this, ask) != MsgAnswer::Yes)
        return;
    saveWindowDocument(doc, DefaultPath(m_appFolder), false);
}

void MainWindow::mnuFilePrint_Click()
{
    DocumentWindow *doc = activeDocument();
    if (!doc)
        return;
    PrintPreviewWindow::PrintDocument(doc->document(), doc);
}

void MainWindow::mnuFiles_Click(int Index)
{
    if (QAction *item = m_recentMenu->items.value(Index))
        openFile(item->data().toString());
}

void MainWindow::mnuFileExit_Click()
{
    close();
}

// ---- Edit menu ----

void MainWindow::mnuEditUndo_Click()
{
    if (DocumentWindow *doc = activeDocument())
        doc->undo();
}

void MainWindow::mnuEditCut_Click()
{
    if (m_analysis->activeAnalysisWindow())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->cut();
}

void MainWindow::mnuEditCopy_Click()
{
    if (m_analysis->copy())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->copy();
}

void MainWindow::mnuEditPaste_Click()
{
    if (m_analysis->paste())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->paste();
}

// ---- Window menu ----

QPoint MainWindow::cascadePlace(int index, const QSize &size) const
{
    const QRect area = m_mdi->viewport()->rect();
    // One title bar lower and to the right each time; back to the corner before a window
    // would leave the area.
    int step = 24;
    for (const QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->widget() && !sub->isMinimized()) {
            step = std::max(8, sub->widget()->y());
            break;
        }
    }
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(1, room / step + 1);
    const int k = index % places;
    return {k * step, k * step};
}

void MainWindow::mnuWindowCascade_Click()
{
    // Qt's own cascade sizes each window to its size hint; a document window has none and
    // would shrink to its title bar. The documents get their designed size instead.
    const QList<QMdiSubWindow *> windows = arrangeableWindows();
    const QSize size = QSize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight)
                           .boundedTo(m_mdi->viewport()->size());
    const int n = int(windows.size());
    // The bottom of the stack first, so the active window ends on top at the last place.
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows[n - 1 - i];
        if (sub->isMaximized())
            sub->showNormal();
        sub->setGeometry(QRect(cascadePlace(i, size), size));
        sub->raise();
    }
}

QList<QMdiSubWindow *> MainWindow::arrangeableWindows() const
{
    QList<QMdiSubWindow *> out;
    // Top of the stack first, so the active window leads.
    const QList<QMdiSubWindow *> stack = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it)
        if (!(*it)->isMinimized() && (*it)->isVisible())
            out.append(*it);
    return out;
}

void MainWindow::tile(bool oneAboveTheOther)
{
    const QList<QMdiSubWindow *> windows = arrangeableWindows();
    if (windows.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows[i];
        if (sub->isMaximized())
            sub->showNormal();
        if (oneAboveTheOther) {
            const int top = area.height() * i / n;
            const int bottom = area.height() * (i + 1) / n;
            sub->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n;
            const int right = area.width() * (i + 1) / n;
            sub->setGeometry(left, 0, right - left, area.height());
        }
    }
}

void MainWindow::mnuWindowTileHorizontal_Click()
{
    tile(true);
}

void MainWindow::mnuWindowTileVertical_Click()
{
    tile(false);
}

void MainWindow::updateWindowMenu()
{
    for (QAction *a : std::as_const(m_windowList))
        delete a;
    m_windowList.clear();
    const QList<QMdiSubWindow *> windows = m_mdi->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowList.append(mnuWindow->addSeparator());
    QMdiSubWindow *current = m_mdi->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow *sub : windows) {
        ++number;
        QString title = sub->windowTitle();
        title.replace(u'&', QStringLiteral("&&"));
        QAction *a = mnuWindow->addAction(
            (number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number)) +
            title);
        a->setCheckable(true);
        a->setChecked(sub == current);
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowList.append(a);
    }
}

// ---- Version ----

void MainWindow::mnuVersion_Click()
{
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("Ver") + versionText() + QStringLiteral("\nKirrel 開発チーム");
    box.icon = MsgIcon::Information;
    box.buttons = MsgButtons::Ok;
    ShowMessageBox(this, box);
}
