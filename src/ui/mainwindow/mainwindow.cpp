#include "ui/mainwindow/mainwindow.h"

#include "core/settings/inifile.h"
#include "core/settings/recentfiles.h"
#include "core/system/systemtools.h"
#include "core/text/numbertext.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/windowtools.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/recentfilesholder.h"
#include "ui/print/printpreviewwindow.h"
#include "ui/season/seasoncontroller.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <cmath>

namespace {

const QString PosSection = QStringLiteral("POS");

// The decimal text of a single-precision number, as the geometry has always been stored.
QString singleText(double value)
{
    return QString::number(double(float(value)), 'g', 7).toUpper();
}

QRect screenRect(const QWidget *widget)
{
    const QScreen *screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

bool isMenuShortcut(const QKeyEvent *key)
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

// recentFileActions: the recent-file items between recentSeparator and recentEndSeparator.
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
                         [owner = m_owner, index] { owner->openRecentFile(index); });
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

MainWindow::MainWindow(const QString &appFolder, QWidget *parent)
    : QMainWindow(parent), m_appFolder(appFolder),
      m_recentFiles(std::make_unique<RecentFilesHolder>())
{
    setWindowTitle(QStringLiteral("Kirrel"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();
    m_analysis = new AnalysisController(m_mdi, settingsPath(), this);
    QMenu *analysisMenu = m_analysis->createMenu(menuBar());
    menuBar()->insertMenu(windowMenu->menuAction(), analysisMenu);
    m_season = new SeasonController(m_mdi, settingsPath(), this);
    m_season->addTo(analysisMenu);
    m_season->openDocument = [this](const QString &path) { openFile(path); };
    // Fitted values become the defaults of the analyses opened from now on, as the analysis
    // window's button of the same name makes its own.
    m_season->analysisDefaults = [this](const AnalysisInputs &in) {
        return m_analysis->storeDefaults(in);
    };
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
    fileMenu = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    newAction = fileMenu->addAction(QStringLiteral("新規作成(&N)"));
    newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    openAction = fileMenu->addAction(QStringLiteral("開く(&O)..."));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    closeAction = fileMenu->addAction(QStringLiteral("閉じる(&C)"));
    fileSeparator0 = fileMenu->addSeparator();
    saveAction = fileMenu->addAction(QStringLiteral("上書き保存(&S)"));
    saveAsAction = fileMenu->addAction(QStringLiteral("名前を付けて保存(&A)..."));
    defaultSeparator = fileMenu->addSeparator();
    makeDefaultAction = fileMenu->addAction(QStringLiteral("デフォルトにする"));
    fileSeparator1 = fileMenu->addSeparator();
    printAction = fileMenu->addAction(QStringLiteral("印刷(&P)..."));
    recentSeparator = fileMenu->addSeparator();
    recentEndSeparator = fileMenu->addSeparator();
    exitAction = fileMenu->addAction(QStringLiteral("終了(&X)"));

    editMenu = bar->addMenu(QStringLiteral("編集(&E)"));
    undoAction = editMenu->addAction(QStringLiteral("元に戻す(&U)"));
    editSeparator = editMenu->addSeparator();
    cutAction = editMenu->addAction(QStringLiteral("切り取り(&T)"));
    cutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    copyAction = editMenu->addAction(QStringLiteral("ｺﾋﾟｰ(&C)"));
    copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    pasteAction = editMenu->addAction(QStringLiteral("貼り付け(&P)"));
    pasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    // The document window's two buttons, for the keyboard as well.
    viewMenu = bar->addMenu(QStringLiteral("表示(&V)"));
    quinellaAction = viewMenu->addAction(QStringLiteral("馬連(&Q)"));
    quinellaAction->setShortcut(QKeySequence(Qt::Key_F6));
    tallyAction = viewMenu->addAction(QStringLiteral("集計(&T)"));
    tallyAction->setShortcut(QKeySequence(Qt::Key_F9));

    windowMenu = bar->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    newWindowAction = windowMenu->addAction(QStringLiteral("新しいｳｨﾝﾄﾞｳを開く(&N)"));
    windowSeparator = windowMenu->addSeparator();
    cascadeAction = windowMenu->addAction(QStringLiteral("重ねて表示(&C)"));
    tileHorizontalAction = windowMenu->addAction(QStringLiteral("上下に並べて表示(&H)"));
    tileVerticalAction = windowMenu->addAction(QStringLiteral("左右に並べて表示(&V)"));

    versionAction = bar->addAction(QStringLiteral("バージョン情報"));

    // The desktop's standard keys where nothing else takes them (Ctrl+S, Ctrl+P). Close takes
    // Ctrl+F4 and Ctrl+W for the active sub-window, analysis windows included.
    saveAction->setShortcuts(QKeySequence::Save);
    printAction->setShortcuts(QKeySequence::Print);
    closeAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)});

    // Shortcuts work while a menu is closed and whichever child has the focus.
    for (QAction *a : {newAction, openAction, closeAction, saveAction, printAction, cutAction,
                       copyAction, pasteAction, quinellaAction, tallyAction}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }

    m_recentMenu = std::make_unique<RecentMenuActions>(this, fileMenu, recentEndSeparator);
    for (int i = 0; i < 11; ++i)
        m_recentMenu->addItem();

    connect(newAction, &QAction::triggered, this, &MainWindow::newDocument);
    connect(openAction, &QAction::triggered, this, &MainWindow::openDocument);
    connect(closeAction, &QAction::triggered, this, &MainWindow::closeDocument);
    connect(saveAction, &QAction::triggered, this, &MainWindow::saveActiveDocument);
    connect(saveAsAction, &QAction::triggered, this, &MainWindow::saveActiveDocumentAs);
    connect(makeDefaultAction, &QAction::triggered, this, &MainWindow::makeTemplate);
    connect(printAction, &QAction::triggered, this, &MainWindow::printDocument);
    connect(exitAction, &QAction::triggered, this, &MainWindow::exitProgram);
    connect(undoAction, &QAction::triggered, this, &MainWindow::undoCommand);
    connect(cutAction, &QAction::triggered, this, &MainWindow::cutCommand);
    connect(copyAction, &QAction::triggered, this, &MainWindow::copyCommand);
    connect(pasteAction, &QAction::triggered, this, &MainWindow::pasteCommand);
    connect(newWindowAction, &QAction::triggered, this, &MainWindow::newWindow);
    connect(cascadeAction, &QAction::triggered, this, &MainWindow::cascadeWindows);
    connect(tileHorizontalAction, &QAction::triggered, this, &MainWindow::tileOneAboveTheOther);
    connect(tileVerticalAction, &QAction::triggered, this, &MainWindow::tileSideBySide);
    connect(versionAction, &QAction::triggered, this, &MainWindow::showVersion);
    connect(windowMenu, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
    // A sub-window's own menu gives its Close the same keys: with two windows open the keys
    // would be ambiguous and close nothing. The File menu's Close acts for every one of them.
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        const QList<QKeySequence> keys = closeAction->shortcuts();
        for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
            if (!sub->systemMenu())
                continue;
            for (QAction *a : sub->systemMenu()->actions()) {
                QList<QKeySequence> own = a->shortcuts();
                const qsizetype before = own.size();
                own.removeIf([&](const QKeySequence &k) { return keys.contains(k); });
                if (own.size() != before)
                    a->setShortcuts(own);
            }
        }
    });
    connect(quinellaAction, &QAction::triggered, this, [this] {
        if (DocumentWindow *doc = activeDocument())
            doc->estimateQuinella();
    });
    connect(tallyAction, &QAction::triggered, this, [this] {
        if (DocumentWindow *doc = activeDocument())
            doc->recalculate();
    });
    connect(viewMenu, &QMenu::aboutToShow, this, [this] {
        const bool any = activeDocument() != nullptr;
        quinellaAction->setEnabled(any);
        tallyAction->setEnabled(any);
    });
}

QString MainWindow::settingsPath() const
{
    return m_appFolder + QStringLiteral("KirrelSys.ini");
}

QList<QAction *> MainWindow::recentFileActions() const
{
    return m_recentMenu->items;
}

void MainWindow::openRecentFile(int index)
{
    if (QAction *item = m_recentMenu->items.value(index))
        openFile(item->data().toString());
}

// ---- start-up and shutdown ----

void MainWindow::startUp()
{
    loadSettings();
    loadSystem();
    // The stored place can be off a smaller screen, or under its panels, frame included.
    fitIntoScreenWhenShown(this);
    show();
    rebuildRecentMenu(m_recentFiles->recentFiles, m_recentMenu.get());
}

void MainWindow::loadSystem()
{
    if (m_recentFilesLoaded)
        return;
    m_recentFilesLoaded = true;
    m_recentFiles->load(settingsPath(), m_recentMenu.get());
}

void MainWindow::loadWindow()
{
    if (m_loaded)
        return;
    m_loaded = true;
    resize(1024, 768);
    // The template enters the recent list when the first document loads it, so the stored list
    // has to be read first.
    loadSystem();
    newDocumentWindow();
    for (QAction *item : m_recentMenu->items)
        item->setVisible(false);
}

double MainWindow::twipsLeft() const
{
    return pos().x() * twipsPerPixelX();
}
double MainWindow::twipsTop() const
{
    return pos().y() * twipsPerPixelY();
}
double MainWindow::twipsWidth() const
{
    return width() * twipsPerPixelX();
}
double MainWindow::twipsHeight() const
{
    return height() * twipsPerPixelY();
}

void MainWindow::loadSettings()
{
    const QString ini = settingsPath();
    loadWindow();

    const double tppX = twipsPerPixelX();
    const double tppY = twipsPerPixelY();
    const QRect screen = screenRect(this);
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

void MainWindow::saveSettings()
{
    if (isMinimized())
        return;
    const FileResult written =
        writeSettings(settingsPath(), PosSection,
                      {{QStringLiteral("MainLeft"), singleText(twipsLeft())},
                       {QStringLiteral("MainTop"), singleText(twipsTop())},
                       {QStringLiteral("MainWidth"), singleText(twipsWidth())},
                       {QStringLiteral("MainHeight"), singleText(twipsHeight())}});
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
    showMessageBox(this, box);
}

void MainWindow::recordRecentFile(const QString &path)
{
    reportSettingsFailure(m_recentFiles->recentFiles.add(path));
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
    unloadWindow();
    event->accept();
}

void MainWindow::unloadWindow()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    saveSettings();
    m_mdi->closeAllSubWindows();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    if (PrintPreviewWindow *preview = PrintPreviewWindow::existing())
        preview->close();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this &&
        isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        // Not accepted: the key stroke goes to the menu's shortcut, not to the control.
        event->ignore();
        return true;
    }
    // A document window of the designed size stays within an area smaller than it (a large
    // scale, a small screen): its header then wraps instead of running out of view. Windows
    // the user sized are left as they are.
    if (event->type() == QEvent::Resize && m_mdi && watched == m_mdi->viewport()) {
        const QSize designed(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight);
        const QSize room = m_mdi->viewport()->size();
        for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
            if (DocumentWindow::fromWidget(sub) && sub->size() == designed && !sub->isMaximized() &&
                !sub->isMinimized() &&
                (room.width() < designed.width() || room.height() < designed.height())) {
                const QSize size = designed.boundedTo(room);
                const QPoint at(std::clamp(sub->x(), 0, room.width() - size.width()),
                                std::clamp(sub->y(), 0, room.height() - size.height()));
                sub->setGeometry(QRect(at, size));
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Edit menu ----

void MainWindow::undoCommand()
{
    if (DocumentWindow *doc = activeDocument())
        doc->undo();
}

void MainWindow::cutCommand()
{
    if (m_analysis->activeAnalysisWindow())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->cut();
}

void MainWindow::copyCommand()
{
    if (m_analysis->copy())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->copy();
}

void MainWindow::pasteCommand()
{
    if (m_analysis->paste())
        return;
    if (DocumentWindow *doc = activeDocument())
        doc->paste();
}

// ---- Version ----

void MainWindow::showVersion()
{
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = QStringLiteral("Ver") + versionText() + QStringLiteral("\nKirrel 開発チーム");
    box.icon = MsgIcon::Information;
    box.buttons = MsgButtons::Ok;
    showMessageBox(this, box);
}
