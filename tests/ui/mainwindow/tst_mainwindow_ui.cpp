// The main window through its menu actions: documents, file commands, the template, the
// recent-file menu, stored geometry, window arrangement and the Edit shortcuts.
#include "core/codepage/codepage.h"
#include "core/file/documentfile.h"
#include "core/settings/inifile.h"
#include "testfiles.h"
#include "ui/desktop/dialogs.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/mainwindow/recentfilesholder.h"
#include "ui/print/printpreviewwindow.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpWithoutSettings();
    void storedGeometry_data();
    void storedGeometry();
    void geometryWrittenAtCloseAndRestored();
    void closingMinimizedKeepsStoredGeometry();
    void newDocumentsAreNumbered();
    void saveAsNames_data();
    void saveAsNames();
    void saveAsRewrittenNameAsksBeforeOverwriting();
    void saveAsksForNameOnlyWhenUntitledOrTemplate();
    void failedSaveWarnsAndKeepsOldFile();
    void openChosenFile_data();
    void openChosenFile();
    void openAlreadyOpenActivates();
    void openUnreadableKeepsUntitledDocument();
    void makeDefault_data();
    void makeDefault();
    void recentFilesMenu();
    void closeAndNoDocumentCommands();
    void viewAndCloseKeys();
    void closeChangedDocumentAsks_data();
    void closeChangedDocumentAsks();
    void exitAsksForEachChangedDocument();
    void versionBox();
    void tiling_data();
    void tiling();
    void cascadeKeepsDesignedSize();
    void newWindowsOpenInView();
    void windowOpenedMaximizedRestoresToDesignedSize();
    void windowMenuActivates();
    void editShortcutBeatsLineEdit();
    void shutdownClosesEverythingWithoutQuestion();
    void settingsWriteFailureIsToldOnce();

private:
    MainWindow *start();
    QString path(const QString &name) const { return m_appFolder + name; }
    void writeIni(const QString &left, const QString &top, const QString &width,
                  const QString &height);
    QSize screenPx() const { return QGuiApplication::primaryScreen()->geometry().size(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_appFolder;
    QString m_oldCwd;
    std::unique_ptr<MainWindow> m_main;
    QStringList m_fileAnswers;
    QList<FileDialogRequest> m_fileRequests;
    QList<MsgAnswer> m_boxAnswers;
    QList<MessageBoxRequest> m_boxes;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_appFolder = m_dir->path() + u'/';
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_fileAnswers.clear();
    m_fileRequests.clear();
    m_boxAnswers.clear();
    m_boxes.clear();
    DialogHooks::fileDialog = [this](const FileDialogRequest &r) {
        m_fileRequests.append(r);
        return m_fileAnswers.isEmpty() ? QString() : m_fileAnswers.takeFirst();
    };
    DialogHooks::messageBox = [this](const MessageBoxRequest &r) {
        m_boxes.append(r);
        return m_boxAnswers.isEmpty() ? MsgAnswer::No : m_boxAnswers.takeFirst();
    };
}

void TestMainWindow::cleanup()
{
    if (m_main)
        m_main->close();
    m_main.reset();
    DialogHooks::fileDialog = nullptr;
    DialogHooks::messageBox = nullptr;
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

MainWindow *TestMainWindow::start()
{
    if (m_main)
        m_main->close();
    m_main = std::make_unique<MainWindow>(m_appFolder);
    m_main->startUp();
    return m_main.get();
}

void TestMainWindow::writeIni(const QString &left, const QString &top, const QString &width,
                              const QString &height)
{
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    const QString pos = QStringLiteral("POS");
    QVERIFY(writeSetting(ini, pos, QStringLiteral("MainLeft"), left));
    QVERIFY(writeSetting(ini, pos, QStringLiteral("MainTop"), top));
    QVERIFY(writeSetting(ini, pos, QStringLiteral("MainWidth"), width));
    QVERIFY(writeSetting(ini, pos, QStringLiteral("MainHeight"), height));
}

void TestMainWindow::startUpWithoutSettings()
{
    MainWindow *w = start();
    QCOMPARE(w->windowTitle(), QStringLiteral("Kirrel"));
    QCOMPARE(w->size(), QSize(1024, 768));
    // At the top-left corner, also where the default is larger than the screen.
    QCOMPARE(w->pos(), QPoint(0, 0));
    QCOMPARE(w->documents().size(), 1);
    QCOMPARE(w->activeDocument()->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    for (QAction *item : w->recentFileActions())
        QVERIFY(!item->isVisible());
    QVERIFY(!QFile::exists(path(QStringLiteral("KirrelSys.ini"))));
}

void TestMainWindow::storedGeometry_data()
{
    // Values in twips; at 15 twips per pixel. Expected pixels; -1 = the screen's extent.
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("expectLeft");
    QTest::addColumn<int>("expectWidth");
    QTest::newRow("width above 1600 twips is taken over") << "150"
                                                          << "6000" << 10 << 400;
    QTest::newRow("width of exactly 1600 keeps the default") << "0"
                                                             << "1600" << -2 << 1024;
    QTest::newRow("text that is no number reads as 0") << "abc"
                                                       << "wide" << -2 << 1024;
    QTest::newRow("wider than the screen is cut to the screen") << "0"
                                                                << "999999" << 0 << -1;
    QTest::newRow("right edge off the screen moves the window left") << "99990"
                                                                     << "9000" << -3 << 600;
    QTest::newRow("left of and above the screen is pulled onto it") << "-100000"
                                                                    << "9000" << 0 << 600;
}

void TestMainWindow::storedGeometry()
{
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(int, expectLeft);
    QFETCH(int, expectWidth);
    const bool above = left.startsWith(u'-');
    writeIni(left, above ? left : QStringLiteral("30"), width, QStringLiteral("4500"));
    MainWindow *w = start();
    const int screenW = screenPx().width();
    const int wantWidth = expectWidth == -1 ? screenW : expectWidth;
    QCOMPARE(w->width(), wantWidth);
    int wantLeft = expectLeft;
    if (expectLeft == -2) // the default size at the left edge, even when wider than the screen
        wantLeft = 0;
    if (expectLeft == -3)
        wantLeft = screenW - wantWidth;
    QCOMPARE(w->x(), wantLeft);
    QCOMPARE(w->height(), 300);
    QCOMPARE(w->y(), above ? 0 : 2);
}

void TestMainWindow::geometryWrittenAtCloseAndRestored()
{
    MainWindow *w = start();
    w->setGeometry(30, 45, 600, 450);
    w->move(30, 45);
    w->close();
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    const QString pos = QStringLiteral("POS");
    QCOMPARE(readSetting(ini, pos, QStringLiteral("MainLeft")), QStringLiteral("450"));
    QCOMPARE(readSetting(ini, pos, QStringLiteral("MainTop")), QStringLiteral("675"));
    QCOMPARE(readSetting(ini, pos, QStringLiteral("MainWidth")), QStringLiteral("9000"));
    QCOMPARE(readSetting(ini, pos, QStringLiteral("MainHeight")), QStringLiteral("6750"));
    QCOMPARE(settingKeys(ini, pos, QStringLiteral("@")),
             QStringList({"MainLeft", "MainTop", "MainWidth", "MainHeight", ""}));

    MainWindow *again = start();
    QCOMPARE(again->pos(), QPoint(30, 45));
    QCOMPARE(again->size(), QSize(600, 450));
}

void TestMainWindow::closingMinimizedKeepsStoredGeometry()
{
    writeIni(QStringLiteral("300"), QStringLiteral("300"), QStringLiteral("6000"),
             QStringLiteral("4500"));
    MainWindow *w = start();
    w->move(100, 100);
    w->showMinimized();
    QVERIFY(w->isMinimized());
    w->close();
    QCOMPARE(readSetting(path(QStringLiteral("KirrelSys.ini")), QStringLiteral("POS"),
                         QStringLiteral("MainLeft")),
             QStringLiteral("300"));
}

void TestMainWindow::newDocumentsAreNumbered()
{
    MainWindow *w = start();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    for (int n = 2; n <= 4; ++n) {
        w->newAction->trigger();
        DocumentWindow *doc = w->activeDocument();
        const QString caption = QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ ") + QString::number(n);
        QCOMPARE(doc->windowTitle(), caption);
        QCOMPARE(doc->titleText(0), caption);
        QCOMPARE(doc->titleText(1), today);
    }
    w->newWindowAction->trigger();
    QCOMPARE(w->activeDocument()->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 5"));
    QCOMPARE(w->documents().size(), 5);
}

void TestMainWindow::saveAsNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("a bare name gets .csv") << "abc"
                                           << "abc.csv";
    QTest::newRow("a .csv name is written as chosen") << "abc.csv"
                                                      << "abc.csv";
    QTest::newRow("a .CSV name is written as chosen") << "abc.CSV"
                                                      << "abc.CSV";
    QTest::newRow("another extension gets .csv after it") << "abc.txt"
                                                          << "abc.txt.csv";
}

void TestMainWindow::saveAsNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    MainWindow *w = start();
    DocumentWindow *doc = w->activeDocument();
    m_fileAnswers << path(chosen);
    w->saveAsAction->trigger();
    QCOMPARE(m_fileRequests.size(), 1);
    QVERIFY(m_fileRequests[0].save);
    QCOMPARE(m_fileRequests[0].title, QStringLiteral("名前を付けて保存"));
    QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({QStringLiteral("KirrelSys.ini"), written}));
    QCOMPARE(doc->windowTitle(), path(written));
    QCOMPARE(readSetting(path(QStringLiteral("KirrelSys.ini")),
                         QStringLiteral("最近使ったファイル"), QStringLiteral("01")),
             path(written));
    QVERIFY(m_boxes.isEmpty());
}

void TestMainWindow::saveAsRewrittenNameAsksBeforeOverwriting()
{
    const QString target = path(QStringLiteral("abc.csv"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    MainWindow *w = start();
    m_fileAnswers << path(QStringLiteral("abc"));
    m_boxAnswers << MsgAnswer::No;
    w->saveAsAction->trigger();
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].text.contains(target));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    old.close();
    QVERIFY(w->activeDocument()->windowTitle().startsWith(QStringLiteral("新規")));

    m_fileAnswers << path(QStringLiteral("abc"));
    m_boxAnswers << MsgAnswer::Yes;
    w->saveAsAction->trigger();
    QCOMPARE(w->activeDocument()->windowTitle(), target);
    QVERIFY(QFileInfo(target).size() > 3);
}

void TestMainWindow::saveAsksForNameOnlyWhenUntitledOrTemplate()
{
    MainWindow *w = start();
    w->saveAction->trigger(); // untitled: the Save As dialog, cancelled
    QCOMPARE(m_fileRequests.size(), 1);
    QCOMPARE(m_fileRequests[0].fileName, QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    QCOMPARE(m_fileRequests[0].folder, QDir::currentPath() + u'/');
    QCOMPARE(m_fileRequests[0].filters,
             QStringList({"csv(*.csv)", "*.csv;*.txt", "全てのﾌｧｲﾙ(*.*)", "*.*"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());

    m_fileAnswers << path(QStringLiteral("race.csv"));
    w->saveAsAction->trigger();
    DocumentWindow *doc = w->activeDocument();
    doc->setTitleText(0, QStringLiteral("Race 11"));
    w->saveAction->trigger();
    QCOMPARE(m_fileRequests.size(), 2);
    QFile file(path(QStringLiteral("race.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Race 11"));

    // The template is never overwritten by Save: it asks for a name in its folder.
    QVERIFY(QFile::copy(path(QStringLiteral("race.csv")), path(QStringLiteral("Default.def"))));
    doc->document().setFilePath(path(QStringLiteral("Default.def")));
    w->saveAction->trigger();
    QCOMPARE(m_fileRequests.size(), 3);
    QCOMPARE(m_fileRequests[2].fileName, QStringLiteral("Default"));
    QCOMPARE(m_fileRequests[2].folder, m_appFolder);
}

void TestMainWindow::failedSaveWarnsAndKeepsOldFile()
{
    MainWindow *w = start();
    m_fileAnswers << path(QStringLiteral("race.csv"));
    w->saveAsAction->trigger();
    const QByteArray before = [&] {
        QFile f(path(QStringLiteral("race.csv")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!before.isEmpty());

    DocumentWindow *doc = w->activeDocument();
    doc->setTitleText(2, QStringLiteral("\U0001F40E")); // no such character in code page 932
    m_fileAnswers << path(QStringLiteral("other.csv"));
    w->saveAsAction->trigger();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].icon, MsgIcon::Warning);
    QVERIFY(m_boxes[0].text.contains(path(QStringLiteral("other.csv"))));
    QCOMPARE(doc->windowTitle(), path(QStringLiteral("race.csv")));
    QVERIFY(!QFile::exists(path(QStringLiteral("other.csv"))));
    // Only the file that was written is on the list and in the settings file.
    QCOMPARE(w->recentFilesHolder()->recentFiles.entries(),
             QStringList{path(QStringLiteral("race.csv"))});
    QCOMPARE(settingKeys(path(QStringLiteral("KirrelSys.ini")),
                         QStringLiteral("最近使ったファイル"), QStringLiteral("@")),
             QStringList({"01", ""}));

    w->saveAction->trigger();
    QCOMPARE(m_boxes.size(), 2);
    QFile f(path(QStringLiteral("race.csv")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestMainWindow::openChosenFile_data()
{
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("opened"); // "" = nothing opened
    QTest::newRow("an existing file opens as chosen") << "Race.CSV"
                                                      << "Race.CSV"
                                                      << "Race.CSV";
    QTest::newRow("a bare name finds name.csv") << "race.csv"
                                                << "race"
                                                << "race.csv";
    QTest::newRow("a name that exists nowhere is ignored") << "race.csv"
                                                           << "none"
                                                           << "";
}

void TestMainWindow::openChosenFile()
{
    QFETCH(QString, onDisk);
    QFETCH(QString, chosen);
    QFETCH(QString, opened);
    QVERIFY(QFile::copy(QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv"), path(onDisk)));
    MainWindow *w = start();
    m_fileAnswers << path(chosen);
    w->openAction->trigger();
    QCOMPARE(m_fileRequests.size(), 1);
    QVERIFY(!m_fileRequests[0].save);
    QCOMPARE(m_fileRequests[0].title, QStringLiteral("開く"));
    QCOMPARE(m_fileRequests[0].fileName, QStringLiteral("オッズファイル"));
    if (opened.isEmpty()) {
        QCOMPARE(w->documents().size(), 1);
        return;
    }
    QCOMPARE(w->documents().size(), 2);
    QCOMPARE(w->activeDocument()->windowTitle(), path(opened));
    QCOMPARE(w->activeDocument()->document().runnerCount, 18);
    QCOMPARE(w->newDocumentCount, 2);
}

void TestMainWindow::openAlreadyOpenActivates()
{
    QVERIFY(QFile::copy(QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv"),
                        path(QStringLiteral("a.csv"))));
    MainWindow *w = start();
    w->closeAction->trigger();
    QCOMPARE(w->documents().size(), 0);

    // No document open: an untitled one stays beside the file.
    m_fileAnswers << path(QStringLiteral("a.csv"));
    w->openAction->trigger();
    QCOMPARE(w->documents().size(), 2);
    DocumentWindow *opened = w->activeDocument();
    w->newAction->trigger();
    QVERIFY(w->activeDocument() != opened);

    w->openFile(m_dir->path() + QStringLiteral("/./a.csv"));
    QCOMPARE(w->documents().size(), 3);
    QCOMPARE(w->activeDocument(), opened);

    // Another letter case is another file here.
    QVERIFY(QFile::copy(path(QStringLiteral("a.csv")), path(QStringLiteral("A.csv"))));
    w->openFile(path(QStringLiteral("A.csv")));
    QCOMPARE(w->documents().size(), 4);
    QCOMPARE(w->activeDocument()->windowTitle(), path(QStringLiteral("A.csv")));
}

void TestMainWindow::openUnreadableKeepsUntitledDocument()
{
    QFile broken(path(QStringLiteral("broken.csv")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("x\r\n");
    broken.close();
    MainWindow *w = start();
    m_fileAnswers << broken.fileName();
    w->openAction->trigger();
    QCOMPARE(w->documents().size(), 2);
    DocumentWindow *doc = w->activeDocument();
    QCOMPARE(doc->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 2"));
    QVERIFY(doc->statusText().contains(QStringLiteral("broken.csv")));
    QVERIFY(m_boxes.isEmpty());
}

void TestMainWindow::makeDefault_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::newRow("No writes nothing") << MsgAnswer::No;
    QTest::newRow("Yes writes the template") << MsgAnswer::Yes;
}

void TestMainWindow::makeDefault()
{
    QFETCH(MsgAnswer, answer);
    MainWindow *w = start();
    DocumentWindow *doc = w->activeDocument();
    doc->setTitleText(0, QStringLiteral("Template race"));
    m_boxAnswers << answer;
    w->makeDefaultAction->trigger();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QStringLiteral("デフォルトにする"));
    QCOMPARE(m_boxes[0].text,
             QStringLiteral("次回の新規作成時に、このファイルが使用されます\nよろしいですか?"));
    QCOMPARE(m_boxes[0].icon, MsgIcon::Information);
    QCOMPARE(m_boxes[0].buttons, MsgButtons::YesNo);
    QCOMPARE(doc->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    const QString def = path(QStringLiteral("Default.def"));
    QCOMPARE(QFile::exists(def), answer == MsgAnswer::Yes);
    if (answer != MsgAnswer::Yes)
        return;
    QCOMPARE(w->recentFilesHolder()->recentFiles.at(0), def);
    w->newAction->trigger();
    QCOMPARE(w->activeDocument()->windowTitle(), def);
    QCOMPARE(w->activeDocument()->titleText(0), QStringLiteral("Template race"));
    QCOMPARE(w->activeDocument()->titleText(1),
             QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    QCOMPARE(w->recentFileActions().at(0)->text(), QStringLiteral("Default"));
}

void TestMainWindow::recentFilesMenu()
{
    for (const char *name : {"b.csv", "a.csv"})
        QVERIFY(QFile::copy(QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv"),
                            path(QString::fromLatin1(name))));
    MainWindow *w = start();
    const auto open = [&](const char *name) {
        m_fileAnswers << path(QString::fromLatin1(name));
        w->openAction->trigger();
    };
    open("a.csv");
    w->closeAction->trigger(); // so that a is read again, not just activated
    open("b.csv");
    open("a.csv");
    QCOMPARE(w->documents().size(), 3); // untitled, b, a
    const QList<QAction *> items = w->recentFileActions();
    QCOMPARE(items[0]->text(), QStringLiteral("a"));
    QCOMPARE(items[1]->text(), QStringLiteral("b"));
    QVERIFY(items[1]->isVisible());
    QVERIFY(!items[2]->isVisible());
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    const QString section = QStringLiteral("最近使ったファイル");
    QCOMPARE(readSetting(ini, section, QStringLiteral("01")), path(QStringLiteral("a.csv")));
    QCOMPARE(readSetting(ini, section, QStringLiteral("02")), path(QStringLiteral("b.csv")));

    // A click opens (here: activates) the file of the item.
    items[1]->trigger();
    QCOMPARE(w->activeDocument()->windowTitle(), path(QStringLiteral("b.csv")));
    QCOMPARE(w->documents().size(), 3);
    // Closed, a click reads the file again and puts it on top.
    w->closeAction->trigger();
    items[1]->trigger();
    QCOMPARE(w->documents().size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("b"));
    QCOMPARE(items[1]->text(), QStringLiteral("a"));

    // A removed file stays in the menu and its click does nothing.
    QVERIFY(QFile::remove(path(QStringLiteral("a.csv"))));
    w->closeAction->trigger();
    items[1]->trigger();
    QCOMPARE(w->documents().size(), 2);
    QCOMPARE(items[1]->text(), QStringLiteral("a"));

    // After a restart the order is that of the paths, not of use.
    MainWindow *again = start();
    QCOMPARE(again->recentFileActions()[0]->text(), QStringLiteral("a"));
    QCOMPARE(again->recentFileActions()[1]->text(), QStringLiteral("b"));
}

void TestMainWindow::closeChangedDocumentAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAsName"); // "": Save As cancelled
    QTest::addColumn<bool>("closed");
    QTest::newRow("save, named") << int(MsgAnswer::Save) << "race" << true;
    QTest::newRow("save, Save As cancelled") << int(MsgAnswer::Save) << "" << false;
    QTest::newRow("don't save") << int(MsgAnswer::Discard) << "" << true;
    QTest::newRow("cancel") << int(MsgAnswer::Cancel) << "" << false;
}

void TestMainWindow::closeChangedDocumentAsks()
{
    QFETCH(int, answer);
    QFETCH(QString, saveAsName);
    QFETCH(bool, closed);
    MainWindow *w = start();
    DocumentWindow *doc = w->activeDocument();
    QTest::keyClicks(doc->titleBoxes[0], QStringLiteral("Race"));
    QCOMPARE(doc->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1 *"));
    m_boxAnswers << MsgAnswer(answer);
    if (!saveAsName.isEmpty())
        m_fileAnswers << path(saveAsName);
    w->mdiArea()->currentSubWindow()->close(); // the close box
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].buttons, MsgButtons::SaveDiscardCancel);
    QVERIFY(m_boxes[0].text.contains(QStringLiteral("「新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1」")));
    QTRY_COMPARE(w->documents().size(), closed ? 0 : 1);
    QCOMPARE(QFile::exists(path(QStringLiteral("race.csv"))), !saveAsName.isEmpty());
}

void TestMainWindow::exitAsksForEachChangedDocument()
{
    MainWindow *w = start(); // untouched: closes without a question
    for (const QString &typed : {QStringLiteral("a"), QStringLiteral("b")}) {
        w->newAction->trigger();
        QTest::keyClicks(w->activeDocument()->titleBoxes[0], typed);
    }
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    m_boxAnswers << MsgAnswer::Discard << MsgAnswer::Cancel;
    w->exitAction->trigger();
    QCOMPARE(m_boxes.size(), 2);
    QVERIFY(w->isVisible());
    QCOMPARE(w->documents().size(), 3);
    QVERIFY(readSetting(ini, QStringLiteral("POS"), QStringLiteral("MainWidth")).isEmpty());

    m_boxAnswers << MsgAnswer::Discard << MsgAnswer::Discard;
    w->exitAction->trigger();
    QCOMPARE(m_boxes.size(), 4);
    QVERIFY(!w->isVisible());
    QVERIFY(!readSetting(ini, QStringLiteral("POS"), QStringLiteral("MainWidth")).isEmpty());
}

void TestMainWindow::closeAndNoDocumentCommands()
{
    MainWindow *w = start();
    w->newAction->trigger();
    w->closeAction->trigger();
    QCOMPARE(w->documents().size(), 1);
    w->closeAction->trigger();
    QCOMPARE(w->documents().size(), 0);
    for (QAction *a : {w->closeAction, w->saveAction, w->saveAsAction, w->makeDefaultAction,
                       w->printAction, w->undoAction, w->cutAction, w->copyAction, w->pasteAction})
        a->trigger();
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(m_fileRequests.isEmpty());
    QVERIFY(!PrintPreviewWindow::existing());
    QCOMPARE(w->documents().size(), 0);
}

// 馬連 F6 and 集計 F9 wherever the focus is in the document; Ctrl+F4 closes the active one.
void TestMainWindow::viewAndCloseKeys()
{
    MainWindow *w = start();
    w->newAction->trigger();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    DocumentWindow *doc = w->activeDocument();
    QCOMPARE(w->documents().size(), 2);
    for (QWidget *focus :
         {static_cast<QWidget *>(doc->runnerTable), static_cast<QWidget *>(doc->titleBoxes[0])}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F6);
        QVERIFY(doc->document().quinellaVisible());
        // The keyboard goes with the table in front, and back.
        if (focus == doc->runnerTable)
            QCOMPARE(QApplication::focusWidget(), doc->quinellaMatrix);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QVERIFY(!doc->document().quinellaVisible());
        QCOMPARE(QApplication::focusWidget(), focus);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(w->documents().size(), 1);
    QVERIFY(!w->documents().contains(doc));
}

void TestMainWindow::versionBox()
{
    MainWindow *w = start();
    w->versionAction->trigger();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QStringLiteral("Kirrel"));
    QCOMPARE(m_boxes[0].buttons, MsgButtons::Ok);
    QCOMPARE(m_boxes[0].icon, MsgIcon::Information);
    const QStringList lines = m_boxes[0].text.split(u'\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("Ver0.95.0025"));
    QVERIFY(!lines[1].isEmpty());
}

void TestMainWindow::tiling_data()
{
    QTest::addColumn<bool>("oneAboveTheOther");
    QTest::newRow("one above the other: full width, heights share the area") << true;
    QTest::newRow("side by side: full height, widths share the area") << false;
}

void TestMainWindow::tiling()
{
    QFETCH(bool, oneAboveTheOther);
    MainWindow *w = start();
    w->newAction->trigger();
    w->newAction->trigger();
    w->newAction->trigger();
    QList<QMdiSubWindow *> subs = w->mdiArea()->subWindowList();
    subs[0]->showMinimized();
    const QRect minimized = subs[0]->geometry();
    (oneAboveTheOther ? w->tileHorizontalAction : w->tileVerticalAction)->trigger();
    const QRect area = w->mdiArea()->viewport()->rect();
    QCOMPARE(subs[0]->geometry(), minimized);
    int covered = 0;
    for (int i = 1; i < 4; ++i) {
        const QRect g = subs[i]->geometry();
        if (oneAboveTheOther) {
            QCOMPARE(g.left(), 0);
            QCOMPARE(g.width(), area.width());
            covered += g.height();
        } else {
            QCOMPARE(g.top(), 0);
            QCOMPARE(g.height(), area.height());
            covered += g.width();
        }
    }
    QCOMPARE(covered, oneAboveTheOther ? area.height() : area.width());
}

void TestMainWindow::cascadeKeepsDesignedSize()
{
    MainWindow *w = start();
    w->newAction->trigger();
    w->newAction->trigger();
    w->newAction->trigger();
    QList<QMdiSubWindow *> subs = w->mdiArea()->subWindowList();
    subs[0]->showMinimized();
    const QRect minimized = subs[0]->geometry();
    subs[1]->showMaximized();
    w->mdiArea()->setActiveSubWindow(subs[2]);
    w->cascadeAction->trigger();

    QCOMPARE(subs[0]->geometry(), minimized);
    const QSize designed = QSize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight)
                               .boundedTo(w->mdiArea()->viewport()->size());
    for (int i = 1; i < 4; ++i) {
        QVERIFY(!subs[i]->isMaximized());
        QCOMPARE(subs[i]->size(), designed);
    }
    // The active window lies on top, one step further down and right than the others.
    const QList<QMdiSubWindow *> stack = w->mdiArea()->subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(stack.last(), subs[2]);
    QCOMPARE(w->mdiArea()->currentSubWindow(), subs[2]);
    QVERIFY(subs[2]->y() > 0);
    QCOMPARE(subs[2]->x(), subs[2]->y());
}

void TestMainWindow::newWindowsOpenInView()
{
    MainWindow *w = start();
    for (int i = 0; i < 4; ++i)
        w->newAction->trigger();
    const QRect area = w->mdiArea()->viewport()->rect();
    QPoint previous(-1, -1);
    for (QMdiSubWindow *sub : w->mdiArea()->subWindowList()) {
        QCOMPARE(sub->size(), QSize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight));
        QVERIFY2(area.contains(sub->geometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(sub->x()).arg(sub->y())));
        QVERIFY(sub->pos() != previous);
        previous = sub->pos();
    }
}

void TestMainWindow::windowOpenedMaximizedRestoresToDesignedSize()
{
    MainWindow *w = start();
    w->mdiArea()->currentSubWindow()->showMaximized();
    w->newAction->trigger();
    QMdiSubWindow *sub = w->mdiArea()->currentSubWindow();
    QVERIFY(sub->isMaximized());
    sub->showNormal();
    QCOMPARE(sub->size(), QSize(DocumentWindow::DesignWidth, DocumentWindow::DesignHeight));
}

void TestMainWindow::windowMenuActivates()
{
    MainWindow *w = start();
    w->newAction->trigger();
    w->updateWindowMenu();
    const QList<QAction *> list = w->windowListActions();
    QCOMPARE(list.size(), 3); // separator and two windows
    QVERIFY(list[1]->text().endsWith(QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1")));
    QVERIFY(list[2]->isChecked());
    list[1]->trigger();
    QCOMPARE(w->activeDocument()->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    w->updateWindowMenu();
    QCOMPARE(w->windowListActions().size(), 3);
}

void TestMainWindow::editShortcutBeatsLineEdit()
{
    MainWindow *w = start();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    DocumentWindow *doc = w->activeDocument();
    QLineEdit *field = doc->titleBoxes[0];
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QSignalSpy copy(w->copyAction, &QAction::triggered);
    QSignalSpy paste(w->pasteAction, &QAction::triggered);
    QSignalSpy cut(w->cutAction, &QAction::triggered);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(copy.size(), 1);
    QCOMPARE(cut.size(), 1);
    QCOMPARE(paste.size(), 1);
    QSignalSpy newDoc(w->newAction, &QAction::triggered);
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(newDoc.size(), 1);
}

void TestMainWindow::shutdownClosesEverythingWithoutQuestion()
{
    MainWindow *w = start();
    w->newAction->trigger();
    w->activeDocument()->setTitleText(0, QStringLiteral("unsaved"));
    w->printAction->trigger();
    QVERIFY(PrintPreviewWindow::existing());
    w->exitAction->trigger();
    QVERIFY(!w->isVisible());
    QTRY_VERIFY(!PrintPreviewWindow::existing() || !PrintPreviewWindow::existing()->isVisible());
    QCOMPARE(w->mdiArea()->subWindowList().size(), 0);
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(!readSetting(path(QStringLiteral("KirrelSys.ini")), QStringLiteral("POS"),
                         QStringLiteral("MainWidth"))
                 .isEmpty());
}

void TestMainWindow::settingsWriteFailureIsToldOnce()
{
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    const QByteArray old("[POS]\r\nMainLeft=15\r\n");
    QVERIFY(writeAll(ini, old));
    QVERIFY(QFile::setPermissions(ini, QFileDevice::ReadOwner));
    QVERIFY(QFile::copy(QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv"),
                        path(QStringLiteral("a.csv"))));
    MainWindow *w = start();
    m_fileAnswers << path(QStringLiteral("a.csv"));
    w->openAction->trigger();
    w->close();
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(
        m_boxes[0].text.startsWith(QStringLiteral("設定ファイルを保存できませんでした。\n") + ini),
        qPrintable(m_boxes[0].text));
    QCOMPARE(readAll(ini), old);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow_ui.moc"
