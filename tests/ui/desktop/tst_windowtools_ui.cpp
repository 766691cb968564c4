// The window routines: file dialog requests, the single-instance lock (in process and with the
// built program), control placement and the Japanese font substitutes.
#include "ui/desktop/dialogs.h"
#include "ui/desktop/fonts.h"
#include "ui/desktop/windowtools.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <sys/stat.h>
#include <unistd.h>

class TestWindowTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void fileDialogRequest_data();
    void fileDialogRequest();
    void chosenFolderBecomesCurrent();
    void lockAllowsOneHolder();
    void lockNeverAtRoot();
    void privateFolder_data();
    void privateFolder();
    void secondProgramEndsAtOnce_data();
    void secondProgramEndsAtOnce();
    void moveCtrl_data();
    void moveCtrl();
    void japaneseFacesAreSubstituted_data();
    void japaneseFacesAreSubstituted();
};

void TestWindowTools::cleanup()
{
    DialogHooks::fileDialog = nullptr;
}

void TestWindowTools::fileDialogRequest_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("shownTitle");
    QTest::newRow("LOAD opens with its own title") << "LOAD"
                                                   << "開く" << false << "開く";
    QTest::newRow("load matches as text") << "load"
                                          << "" << false << "ファイルを開く";
    QTest::newRow("SAVE without title gets the save title") << "SAVE"
                                                            << "" << true << "ファイルを保存する";
    QTest::newRow("any other mode saves") << "xyz"
                                          << "名前を付けて保存" << true << "名前を付けて保存";
}

void TestWindowTools::fileDialogRequest()
{
    QFETCH(QString, mode);
    QFETCH(QString, title);
    QFETCH(bool, save);
    QFETCH(QString, shownTitle);
    FileDialogRequest seen;
    DialogHooks::fileDialog = [&](const FileDialogRequest &r) {
        seen = r;
        return QString();
    };
    const QString result = showFileDialog(nullptr, documentFileFilters(), QString(),
                                          QStringLiteral("オッズファイル"), title, mode);
    QCOMPARE(result, QString());
    QCOMPARE(seen.save, save);
    QCOMPARE(seen.title, shownTitle);
    QCOMPARE(seen.folder, QDir::currentPath());
    QCOMPARE(seen.fileName, QStringLiteral("オッズファイル"));
}

void TestWindowTools::chosenFolderBecomesCurrent()
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    DialogHooks::fileDialog = [&](const FileDialogRequest &) {
        return dir.path() + QStringLiteral("/sub/../race.csv");
    };
    const QString result = showFileDialog(nullptr, documentFileFilters(), QString(), QString(),
                                          QString(), QStringLiteral("SAVE"));
    const QString now = QDir::currentPath();
    QDir::setCurrent(old);
    QCOMPARE(result, dir.path() + QStringLiteral("/race.csv"));
    QCOMPARE(now, dir.path());
}

void TestWindowTools::lockAllowsOneHolder()
{
    QTemporaryDir dir;
    const QString lockPath = dir.filePath(QStringLiteral("kirrel.lock"));
    auto first = lockSingleInstance(lockPath);
    QVERIFY(first);
    QVERIFY(!lockSingleInstance(lockPath));
    first.reset();
    QVERIFY(lockSingleInstance(lockPath));
}

void TestWindowTools::lockNeverAtRoot()
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const bool had = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    // A runtime folder that cannot be used.
    qputenv("XDG_RUNTIME_DIR", "/proc/1/nonexistent");
    const QString path = instanceLockPath().value;
    if (had)
        qputenv("XDG_RUNTIME_DIR", saved);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    QVERIFY(QFileInfo(path).isAbsolute());
    QVERIFY2(QFileInfo(path).absolutePath() != QStringLiteral("/"), qPrintable(path));
    QVERIFY(QFileInfo(QFileInfo(path).absolutePath()).isDir());
}

enum class Planted { Nothing, OwnerOnly, OpenToOthers, Link, File, OtherUser };
Q_DECLARE_METATYPE(Planted)

void TestWindowTools::privateFolder_data()
{
    QTest::addColumn<Planted>("planted"); // what is at the folder's name beforehand
    QTest::addColumn<QString>("refusal"); // empty: the folder is used
    QTest::newRow("made owner-only") << Planted::Nothing << QString();
    QTest::newRow("an owner-only folder is used") << Planted::OwnerOnly << QString();
    QTest::newRow("open to others")
        << Planted::OpenToOthers << "other users can enter it (chmod 700 makes it usable)";
    QTest::newRow("a link to a folder of ours") << Planted::Link << "not a folder";
    QTest::newRow("a file") << Planted::File << "not a folder";
    QTest::newRow("another user's folder") << Planted::OtherUser << "belongs to another user";
}

void TestWindowTools::privateFolder()
{
    QFETCH(Planted, planted);
    QFETCH(QString, refusal);
    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    const QString path = parent.filePath(QStringLiteral("kirrel-%1").arg(::getuid()));
    const QByteArray native = QFile::encodeName(path);
    switch (planted) {
    case Planted::Nothing:
        break;
    case Planted::OwnerOnly:
    case Planted::OpenToOthers:
    case Planted::OtherUser:
        QVERIFY(::mkdir(native.constData(), planted == Planted::OpenToOthers ? 0755 : 0700) == 0);
        QVERIFY(::chmod(native.constData(), planted == Planted::OpenToOthers ? 0755 : 0700) == 0);
        if (planted == Planted::OtherUser && ::chown(native.constData(), 65534, 65534) != 0)
            QSKIP("giving a folder to another user needs root");
        break;
    case Planted::Link:
        QVERIFY(QDir(parent.path()).mkdir(QStringLiteral("ours")));
        QVERIFY(QFile::link(parent.filePath(QStringLiteral("ours")), path));
        break;
    case Planted::File: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        break;
    }
    }
    const Result<QString> folder = privateInstanceFolder(parent.path());
    if (refusal.isEmpty()) {
        QVERIFY(folder.ok());
        QCOMPARE(folder.value, path);
        struct stat st;
        QVERIFY(::lstat(native.constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
    } else {
        QVERIFY(!folder.ok());
        QCOMPARE(folder.error, path + QStringLiteral(": ") + refusal);
    }
}

void TestWindowTools::secondProgramEndsAtOnce_data()
{
    QTest::addColumn<bool>("runtimeFolder");
    QTest::newRow("in the runtime folder") << true;
    QTest::newRow("without a runtime folder: in the temporary folder") << false;
}

void TestWindowTools::secondProgramEndsAtOnce()
{
    QFETCH(bool, runtimeFolder);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../kirrel");
    if (!QFileInfo(program).isExecutable())
        QSKIP("the kirrel program is not built");
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (runtimeFolder) {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    } else {
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), runtime.path());
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString lockFolder = runtimeFolder
                                   ? runtime.path()
                                   : runtime.filePath(QStringLiteral("kirrel-%1").arg(::getuid()));

    // Free lock: the program runs until it is stopped.
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    QVERIFY(!first.waitForFinished(1500));
    QTRY_VERIFY(QFile::exists(QDir(lockFolder).filePath(QStringLiteral("kirrel.lock"))));

    // Held lock: a second start ends at once and quietly.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());

    first.kill();
    QVERIFY(first.waitForFinished(5000));
}

void TestWindowTools::moveCtrl_data()
{
    QTest::addColumn<QRect>("given"); // -1 = leave unchanged
    QTest::addColumn<int>("fontPixels");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<int>("points");
    QTest::newRow("all four given move and size at once")
        << QRect(100, 24, 180, 24) << 18 << QRect(100, 24, 180, 24) << 13;
    QTest::newRow("-1 keeps that value") << QRect(-1, 5, -1, 30) << -1 << QRect(7, 5, 40, 30) << 9;
    QTest::newRow("font pixels to points: 12 px is 9 pt")
        << QRect(-1, -1, -1, -1) << 12 << QRect(7, 8, 40, 20) << 9;
}

void TestWindowTools::moveCtrl()
{
    QFETCH(QRect, given);
    QFETCH(int, fontPixels);
    QFETCH(QRect, expected);
    QFETCH(int, points);
    QWidget parent;
    QLineEdit box(&parent);
    box.setGeometry(7, 8, 40, 20);
    QFont font = box.font();
    font.setPointSize(9);
    box.setFont(font);
    moveControl(&box, given.x(), given.y(), given.width(), given.height(), fontPixels);
    QCOMPARE(box.geometry(), expected);
    QCOMPARE(box.font().pointSize(), points);
}

void TestWindowTools::japaneseFacesAreSubstituted_data()
{
    QTest::addColumn<QString>("designed");
    QTest::addColumn<QString>("installed");
    QTest::newRow("gothic") << "ＭＳ ゴシック"
                            << "IPAGothic";
    QTest::newRow("proportional gothic") << "ＭＳ Ｐゴシック"
                                         << "IPAPGothic";
    QTest::newRow("mincho") << "ＭＳ 明朝"
                            << "IPAMincho";
    QTest::newRow("UI gothic") << "MS UI Gothic"
                               << "IPAPGothic";
}

void TestWindowTools::japaneseFacesAreSubstituted()
{
    QFETCH(QString, designed);
    QFETCH(QString, installed);
    if (!QFontDatabase::families(QFontDatabase::Japanese).contains(installed))
        QSKIP("the IPA fonts are not installed");
    const QHash<QString, QString> registered = registerJapaneseFontSubstitutes();
    QCOMPARE(registered.value(designed), installed);
    QCOMPARE(QFontInfo(QFont(designed, 12)).family(), installed);
}

QTEST_MAIN(TestWindowTools)
#include "tst_windowtools_ui.moc"
