#include "core/system/safefile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Passes writes on to another device until a chosen byte, then fails like a full disk.
class FailAt : public QIODevice
{
public:
    FailAt(QIODevice &inner, qint64 failAt) : m_inner(inner), m_room(failAt)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        if (m_room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = m_inner.write(data, std::min(m_room, len));
        m_room -= std::max<qint64>(n, 0);
        return n;
    }

private:
    QIODevice &m_inner;
    qint64 m_room;
};

QByteArray payload(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failureAtAnyByteKeepsOldFile_data();
    void failureAtAnyByteKeepsOldFile();
    void fileSizeLimitKeepsOldFile();
    void fullFileSystemKeepsOldFile_data();
    void fullFileSystemKeepsOldFile();
    void permissionsKept_data();
    void permissionsKept();
    void savingThroughLinkKeepsLink();
    void specialFilesRefusedAtOnce_data();
    void specialFilesRefusedAtOnce();
};

void TestSafeFile::failureAtAnyByteKeepsOldFile_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("failAt");
    QTest::newRow("nothing written") << 100 << 0;
    QTest::newRow("small file, last byte") << 100 << 99;
    QTest::newRow("at a page boundary") << 20000 << 4096;
    QTest::newRow("large file, last byte") << 20000 << 19999;
}

void TestSafeFile::failureAtAnyByteKeepsOldFile()
{
    QFETCH(int, size);
    QFETCH(int, failAt);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(writeAll(path, "old contents"));
    const QStringList before = entriesOf(dir.path());
    const FileResult r = replaceFile(path, [&](QIODevice &device) {
        FailAt failing(device, failAt);
        return writeAll(failing, payload(size));
    });
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("No space left")), qPrintable(r.message));
    QCOMPARE(readAll(path), QByteArray("old contents"));
    QCOMPARE(entriesOf(dir.path()), before);
}

void TestSafeFile::fileSizeLimitKeepsOldFile()
{
    // The kernel refuses bytes past the limit as a full disk would, with no root needed.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(writeAll(path, "old"));
    const QStringList before = entriesOf(dir.path());
    struct rlimit old;
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult shortFile = replaceFile(path, payload(1500));
    const FileResult longFile = replaceFile(path, payload(100000));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!shortFile.ok && !longFile.ok);
    QVERIFY2(shortFile.message.contains(QStringLiteral("File too large")),
             qPrintable(shortFile.message));
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(entriesOf(dir.path()), before);
}

void TestSafeFile::fullFileSystemKeepsOldFile_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("small file, all in one write") << 3000;
    QTest::newRow("larger than the file system") << 100000;
}

void TestSafeFile::fullFileSystemKeepsOldFile()
{
    QFETCH(int, size);
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)
        QSKIP("this system does not let the test mount a file system");
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const bool prepared = writeAll(path, "old\n");
    // Fill what is left; the fill fails once the file system is full.
    QFile fill(dir.filePath(QStringLiteral("fill")));
    if (fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        while (fill.write(payload(1024)) > 0) {
        }
    fill.close();
    const QStringList before = entriesOf(dir.path());
    const FileResult r = replaceFile(path, payload(size));
    const QByteArray after = readAll(path);
    const QStringList entries = entriesOf(dir.path());
    ::umount(mountPoint.constData());
    QVERIFY(prepared);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("No space left")), qPrintable(r.message));
    QCOMPARE(after, QByteArray("old\n"));
    QCOMPARE(entries, before);
}

void TestSafeFile::permissionsKept_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0464") << 0464;
    QTest::newRow("0600") << 0600;
    QTest::newRow("0755") << 0755;
}

void TestSafeFile::permissionsKept()
{
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(writeAll(path, "old"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    const FileResult r = replaceFile(path, QByteArray("new"));
    if (::geteuid() != 0 && !(mode & 0200)) {
        QVERIFY(!r.ok); // read-only for its owner
        return;
    }
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(readAll(path), QByteArray("new"));
    QCOMPARE(modeOf(path), mode_t(mode));
}

void TestSafeFile::savingThroughLinkKeepsLink()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("real.csv"));
    const QString link = dir.filePath(QStringLiteral("link.csv"));
    QVERIFY(writeAll(target, "old"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(replaceFile(link, QByteArray("new")).ok);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(target), QByteArray("new"));
}

void TestSafeFile::specialFilesRefusedAtOnce_data()
{
    QTest::addColumn<QString>("path"); // "fifo" = a FIFO with no writer
    QTest::addColumn<QString>("cause");
    QTest::newRow("FIFO") << "fifo"
                          << "通常のファイルではありません";
    QTest::newRow("device") << "/dev/zero"
                            << "通常のファイルではありません";
    QTest::newRow("folder") << "/tmp"
                            << "フォルダー";
    QTest::newRow("missing") << "/nonexistent/x.csv"
                             << "ファイルがありません";
}

void TestSafeFile::specialFilesRefusedAtOnce()
{
    QFETCH(QString, path);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    if (path == QLatin1String("fifo")) {
        path = dir.filePath(path);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    QByteArray bytes;
    const FileResult r = readRegularFile(path, 1000, &bytes, QStringLiteral("too large"));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(cause), qPrintable(r.message));
    QVERIFY(bytes.isEmpty());
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
