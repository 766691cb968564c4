#include "core/system/systemtools.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestSystemTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitPathCases_data();
    void splitPathCases();
    void fileExistsCases();
    void appFolder();
    void appFolderChoice_data();
    void appFolderChoice();
    void versionTextCases_data();
    void versionTextCases();
};

void TestSystemTools::splitPathCases_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QString>("expected");

    const QString run = "/home/u/my.data/run.csv";
    QTest::newRow("base name despite dotted folder") << run << "ファイル名"
                                                     << "run";
    QTest::newRow("folder keeps trailing slash") << run << "フォルダ名"
                                                 << "/home/u/my.data/";
    QTest::newRow("extension with dot") << run << "拡張子"
                                        << ".csv";
    QTest::newRow("all three rebuild the path") << run << "フォルダ名ファイル名拡張子" << run;
    QTest::newRow("template text kept") << run << "[ファイル名]"
                                        << "[run]";
    QTest::newRow("template default") << "/opt/kirrel/Default.def"
                                      << "ファイル名"
                                      << "Default";
    QTest::newRow("only the last extension") << "/r/a.csv.csv"
                                             << "ファイル名|拡張子"
                                             << "a.csv|.csv";
    QTest::newRow("extension case kept") << "/r/Race.CSV"
                                         << "ファイル名拡張子"
                                         << "Race.CSV";
    QTest::newRow("no extension in name, dot in folder") << "/home/u/my.data/run"
                                                         << "フォルダ名|ファイル名|拡張子"
                                                         << "/home/u/my.data/|run|";
    QTest::newRow("folder named like the file") << "/x/a.csv/a.csv"
                                                << "フォルダ名"
                                                << "/x/a.csv/";
    QTest::newRow("no folder") << "run.csv"
                               << "フォルダ名|ファイル名"
                               << "|run";
    QTest::newRow("empty path") << ""
                                << "フォルダ名ファイル名拡張子"
                                << "";
    QTest::newRow("filled text never replaced again") << "/拡張子/ファイル名.txt"
                                                      << "フォルダ名"
                                                      << "/拡張子/";
    QTest::newRow("selector matched as text") << run << "ﾌｧｲﾙ名"
                                              << "run";
}

void TestSystemTools::splitPathCases()
{
    QFETCH(QString, path);
    QFETCH(QString, templ);
    QFETCH(QString, expected);
    QCOMPARE(splitPath(path, templ), expected);
}

void TestSystemTools::fileExistsCases()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath("a.csv"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(fileExists(dir.filePath("a.csv")));
    QVERIFY(fileExists(dir.path()));
    QVERIFY(!fileExists(dir.filePath("b.csv")));
    QVERIFY(!fileExists(QString()));
}

void TestSystemTools::appFolder()
{
    // This test runs from its build tree.
    QCOMPARE(appFolderPath(), QCoreApplication::applicationDirPath() + "/");
}

void TestSystemTools::appFolderChoice_data()
{
    QTest::addColumn<QString>("program"); // "@" = the build tree, "~" = a folder beside it
    QTest::addColumn<bool>("treeKnown");
    QTest::addColumn<bool>("besideItself");

    QTest::newRow("build tree") << "@" << true << true;
    QTest::newRow("folder inside the build tree") << "@/tests" << true << true;
    QTest::newRow("installed in a writable folder") << "~" << true << false;
    QTest::newRow("name that only starts like the tree") << "@-other" << true << false;
    QTest::newRow("installed in a missing folder") << "/nonexistent/kirrel/bin" << true << false;
    QTest::newRow("no build tree compiled in") << "@" << false << false;
}

void TestSystemTools::appFolderChoice()
{
    QFETCH(QString, program);
    QFETCH(bool, treeKnown);
    QFETCH(bool, besideItself);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString tree = root.filePath("build");
    for (const char *sub : {"build/tests", "build-other", "bin"})
        QVERIFY(QDir(root.path()).mkpath(sub));
    program.replace('@', tree).replace('~', root.filePath("bin"));

    QStandardPaths::setTestModeEnabled(true);
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString chosen = appFolderPath(program, treeKnown ? tree : QString());
    QStandardPaths::setTestModeEnabled(false);
    QCOMPARE(chosen, besideItself ? program + "/" : user + "/");
    QVERIFY(QFileInfo(chosen).isDir());
    // The write probe leaves nothing behind.
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestSystemTools::versionTextCases_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");
    // The build's own version is checked through the programs' --version.
    QTest::newRow("program version") << 0 << 95 << 25 << "0.95.0025";
    QTest::newRow("padded") << 1 << 2 << 3 << "1.02.0003";
    QTest::newRow("wider than the mask") << 12 << 345 << 67890 << "12.345.67890";
}

void TestSystemTools::versionTextCases()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    QCOMPARE(versionText(major, minor, revision), expected);
    QCOMPARE(versionText(), QString("0.95.0025"));
}

QTEST_GUILESS_MAIN(TestSystemTools)
#include "tst_systemtools.moc"
