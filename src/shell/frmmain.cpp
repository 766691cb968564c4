#include "shell/frmmain.h"

#include "files/documentfile.h"
#include "model/frmdocument.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"
#include "platform/screenmetrics.h"
#include "platform/text.h"
#include "printing/frmmsgridprint.h"
#include "shell/frmsystem.h"
#include "shell/modtools.h"
#include "shell/modtools_ui.h"
#include "shell/saikin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
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

QString UntitledCaption()
{
    return QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ ");
}

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
    RecentMenuActions(frmMain *owner, QMenu *menu, QAction *before)
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
    frmMain *m_owner;
    QMenu *m_menu;
    QAction *m_before;
};

frmMain::frmMain(const QString &AppFolder, QWidget *parent)
    : QMainWindow(parent), m_appFolder(AppFolder), m_system(std::make_unique<frmSystem>())
{
    setWindowTitle(QStringLiteral("Kirrel"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();
    // The Edit shortcuts must win over the focused control's own Ctrl+C/X/V.
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    // Documents hold a pointer to the recent list: they go before frmSystem does.
    delete m_mdi;
    m_mdi = nullptr;
}

void frmMain::buildMenus()
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

    connect(mnuFileNew, &QAction::triggered, this, &frmMain::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    connect(mnuFileClose, &QAction::triggered, this, &frmMain::mnuFileClose_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmMain::mnuFileSaveAs_Click);
    connect(mnuDefault, &QAction::triggered, this, &frmMain::mnuDefault_Click);
    connect(mnuFilePrint, &QAction::triggered, this, &frmMain::mnuFilePrint_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEditUndo, &QAction::triggered, this, &frmMain::mnuEditUndo_Click);
    connect(mnuEditCut, &QAction::triggered, this, &frmMain::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &frmMain::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &frmMain::mnuEditPaste_Click);
    connect(mnuWindowNewWindow, &QAction::triggered, this, &frmMain::mnuWindowNewWindow_Click);
    connect(mnuWindowCascade, &QAction::triggered, this, &frmMain::mnuWindowCascade_Click);
    connect(mnuWindowTileHorizontal, &QAction::triggered, this,
            &frmMain::mnuWindowTileHorizontal_Click);
    connect(mnuWindowTileVertical, &QAction::triggered, this,
            &frmMain::mnuWindowTileVertical_Click);
    connect(mnuVersion, &QAction::triggered, this, &frmMain::mnuVersion_Click);
    connect(mnuWindow, &QMenu::aboutToShow, this, &frmMain::updateWindowMenu);
}

QString frmMain::settingsPath() const
{
    return m_appFolder + QStringLiteral("KirrelSys.ini");
}

QList<QAction *> frmMain::mnuFiles() const
{
    return m_recentMenu->items;
}

// ---- start-up and shutdown ----

void frmMain::StartUp()
{
    LoadSettings();
    loadSystem();
    show();
    MakeSaikin(m_system->lstFile, m_recentMenu.get());
}

void frmMain::loadSystem()
{
    if (m_systemLoaded)
        return;
    m_systemLoaded = true;
    m_system->Form_Load(settingsPath(), m_recentMenu.get());
}

void frmMain::MDIForm_Load()
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

double frmMain::twipsLeft() const
{
    return pos().x() * TwipsPerPixelX();
}
double frmMain::twipsTop() const
{
    return pos().y() * TwipsPerPixelY();
}
double frmMain::twipsWidth() const
{
    return width() * TwipsPerPixelX();
}
double frmMain::twipsHeight() const
{
    return height() * TwipsPerPixelY();
}

void frmMain::LoadSettings()
{
    const QString ini = settingsPath();
    MDIForm_Load();

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    const QRect screen = ScreenRect(this);
    const double screenW = screen.width() * tppX;
    const double screenH = screen.height() * tppY;

    double left = TextToNumber(GetIni(ini, PosSection, QStringLiteral("MainLeft")));
    double top = TextToNumber(GetIni(ini, PosSection, QStringLiteral("MainTop")));
    double width = twipsWidth();
    double height = twipsHeight();
    const double w = TextToNumber(GetIni(ini, PosSection, QStringLiteral("MainWidth")));
    if (w > 1600)
        width = w;
    if (w > screenW)
        width = screenW;
    const double h = TextToNumber(GetIni(ini, PosSection, QStringLiteral("MainHeight")));
    if (h > 1600)
        height = h;
    if (h > screenH)
        height = screenH;
    if (left + width > screenW)
        left = screenW - width;
    if (top + height > screenH)
        top = screenH - height;

    move(int(std::lround(left / tppX)), int(std::lround(top / tppY)));
    resize(int(std::lround(width / tppX)), int(std::lround(height / tppY)));
}

void frmMain::SaveSettings()
{
    if (isMinimized())
        return;
    const QString ini = settingsPath();
    // Write errors are not the user's concern at shutdown.
    PutIni(ini, PosSection, QStringLiteral("MainLeft"), SingleText(twipsLeft()));
    PutIni(ini, PosSection, QStringLiteral("MainTop"), SingleText(twipsTop()));
    PutIni(ini, PosSection, QStringLiteral("MainWidth"), SingleText(twipsWidth()));
    PutIni(ini, PosSection, QStringLiteral("MainHeight"), SingleText(twipsHeight()));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    MDIForm_Unload();
    event->accept();
}

void frmMain::MDIForm_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    SaveSettings();
    // Unsaved documents are discarded without a question.
    m_mdi->closeAllSubWindows();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    if (frmMsGridPrint *preview = frmMsGridPrint::existing())
        preview->close();
    m_system->close();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
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

frmDocument *frmMain::LoadNewDoc()
{
    loadSystem();
    ++NewDocCount;
    auto *doc = new frmDocument(&m_system->lstFile, m_appFolder);
    const QString caption = UntitledCaption() + QString::number(NewDocCount);
    doc->setWindowTitle(caption);
    doc->setTxtTitle(0, caption);
    QMdiSubWindow *sub = m_mdi->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Size and place before showing: a window that opens maximized comes back to these when
    // restored. The place is where a cascade would put it; the area's own placement pushes a
    // window of the designed size mostly out of view once one is open.
    sub->resize(frmDocument::DesignWidth, frmDocument::DesignHeight);
    sub->move(cascadePlace(int(m_mdi->subWindowList().size()) - 1, sub->size()));
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    doc->InitForm();
    doc->LoadDefault();
    doc->setTxtTitle(1, FormatDate(QDate::currentDate(), QStringLiteral("yyyy/mm/dd")));
    return doc;
}

void frmMain::OpenFIle(const QString &wkFile)
{
    if (!FileExists(wkFile))
        return;
    // Letter case counts on this file system: a.csv and A.csv are two documents.
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (!frmDocument::isDocumentWindow(sub->widget()))
            continue;
        if (SameFile(sub->widget()->windowTitle(), wkFile)) {
            m_mdi->setActiveSubWindow(sub);
            sub->widget()->setFocus();
            return;
        }
    }
    frmDocument *doc = LoadNewDoc();
    doc->LoadCSV(wkFile);
}

frmDocument *frmMain::activeDocument() const
{
    QMdiSubWindow *sub = m_mdi ? m_mdi->currentSubWindow() : nullptr;
    return sub ? frmDocument::fromWidget(sub->widget()) : nullptr;
}

QList<frmDocument *> frmMain::documents() const
{
    QList<frmDocument *> out;
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (frmDocument *doc = frmDocument::fromWidget(sub->widget()))
            out.append(doc);
    return out;
}

bool frmMain::saveDocument(frmDocument *doc, const QString &path)
{
    const FileResult result = doc->SaveCSV(path);
    if (result.ok)
        return true;
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("ファイルを保存できませんでした。\n") + path + u'\n' + result.message;
    box.icon = MsgIcon::Warning;
    box.buttons = MsgButtons::Ok;
    ShowMessageBox(this, box);
    return false;
}

// ---- File menu ----

void frmMain::mnuFileNew_Click()
{
    LoadNewDoc();
}

void frmMain::mnuWindowNewWindow_Click()
{
    LoadNewDoc();
}

void frmMain::mnuFileOpen_Click()
{
    if (!activeDocument())
        LoadNewDoc();
    const QString chosen = ShowFileDialog(this, DocumentFileFilters(), QDir::currentPath() + u'/',
                                          QStringLiteral("オッズファイル"), QStringLiteral("開く"),
                                          QStringLiteral("LOAD"));
    if (chosen.isEmpty())
        return;
    // Letter case counts here (a.csv is not a.Csv): a file that exists is opened under the
    // name chosen, and only a name with no file behind it gets ".csv".
    OpenFIle(QFileInfo(chosen).isFile() ? chosen : AppendCsv(chosen));
}

void frmMain::mnuFileClose_Click()
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        sub->close();
}

void frmMain::mnuFileSave_Click()
{
    frmDocument *doc = activeDocument();
    if (!doc)
        return;
    const QString c = doc->windowTitle();
    if (TextLike(c, QStringLiteral("*.Def*")) || TextLike(c, QStringLiteral("*新規オッズ*"))) {
        mnuFileSaveAs_Click();
        return;
    }
    saveDocument(doc, c);
}

void frmMain::mnuFileSaveAs_Click()
{
    frmDocument *doc = activeDocument();
    if (!doc)
        return;
    const QString c = doc->windowTitle();
    QString name;
    QString folder;
    if (FileExists(c)) {
        name = SplitPath(c, QStringLiteral("ファイル名"));
        folder = SplitPath(c, QStringLiteral("フォルダ名"));
    } else {
        name = c;
        folder = QDir::currentPath() + u'/';
    }
    const QString chosen =
        ShowFileDialog(this, DocumentFileFilters(), folder, name,
                       QStringLiteral("名前を付けて保存"), QStringLiteral("SAVE"));
    if (chosen.isEmpty())
        return;
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
            return;
    }
    if (saveDocument(doc, path))
        doc->setWindowTitle(path);
}

void frmMain::mnuDefault_Click()
{
    frmDocument *doc = activeDocument();
    if (!doc)
        return;
    MessageBoxRequest ask;
    ask.title = QStringLiteral("デフォルトにする");
    ask.text = QStringLiteral("次回の新規作成時に、このファイルが使用されます\nよろしいですか?");
    ask.icon = MsgIcon::Information;
    ask.buttons = MsgButtons::YesNo;
    if (ShowMessageBox(this, ask) != MsgAnswer::Yes)
        return;
    saveDocument(doc, DefaultPath(m_appFolder));
}

void frmMain::mnuFilePrint_Click()
{
    frmDocument *doc = activeDocument();
    if (!doc)
        return;
    frmMsGridPrint::PrintDocument(doc->document(), doc);
}

void frmMain::mnuFiles_Click(int Index)
{
    if (QAction *item = m_recentMenu->items.value(Index))
        OpenFIle(item->data().toString());
}

void frmMain::mnuFileExit_Click()
{
    close();
}

// ---- Edit menu ----

void frmMain::mnuEditUndo_Click()
{
    if (frmDocument *doc = activeDocument())
        doc->UndoBack();
}

void frmMain::mnuEditCut_Click()
{
    if (frmDocument *doc = activeDocument())
        doc->Form_KeyDown(88, 2);
}

void frmMain::mnuEditCopy_Click()
{
    if (frmDocument *doc = activeDocument())
        doc->Form_KeyDown(67, 2);
}

void frmMain::mnuEditPaste_Click()
{
    if (frmDocument *doc = activeDocument())
        doc->Form_KeyDown(86, 2);
}

// ---- Window menu ----

QPoint frmMain::cascadePlace(int index, const QSize &size) const
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

void frmMain::mnuWindowCascade_Click()
{
    // Qt's own cascade sizes each window to its size hint; a document window has none and
    // would shrink to its title bar. The documents get their designed size instead.
    const QList<QMdiSubWindow *> windows = arrangeableWindows();
    const QSize size = QSize(frmDocument::DesignWidth, frmDocument::DesignHeight)
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

QList<QMdiSubWindow *> frmMain::arrangeableWindows() const
{
    QList<QMdiSubWindow *> out;
    // Top of the stack first, so the active window leads.
    const QList<QMdiSubWindow *> stack = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it)
        if (!(*it)->isMinimized() && (*it)->isVisible())
            out.append(*it);
    return out;
}

void frmMain::tile(bool oneAboveTheOther)
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

void frmMain::mnuWindowTileHorizontal_Click()
{
    tile(true);
}

void frmMain::mnuWindowTileVertical_Click()
{
    tile(false);
}

void frmMain::updateWindowMenu()
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

void frmMain::mnuVersion_Click()
{
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("Ver") + GetVersionText() + QStringLiteral("\nKirrel 開発チーム");
    box.icon = MsgIcon::Information;
    box.buttons = MsgButtons::Ok;
    ShowMessageBox(this, box);
}
