#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray sjis(const QString &text)
{
    return Cp932::encode(text).bytes;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void getIni_data();
    void getIni();
    void getIniMissingFile();
    void getIniKeys_data();
    void getIniKeys();
    void putIni_data();
    void putIni();
    void putIniRejects_data();
    void putIniRejects();
    void putIniFailsWithoutFolder();
    void roundTripManyKeys();

private:
    QString writeFile(const QByteArray &bytes);
    QByteArray readFile() const;

    QTemporaryDir m_dir;
    QString m_path;
};

void TestIniFile::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath("KirrelSys.ini");
    QFile::remove(m_path);
}

QString TestIniFile::writeFile(const QByteArray &bytes)
{
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(bytes);
    return m_path;
}

QByteArray TestIniFile::readFile() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void TestIniFile::getIni_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray pos = "[POS]\r\nMainLeft=1200\r\nMainTop=  345  \r\n";
    QTest::newRow("plain value") << pos << "POS"
                                 << "MainLeft"
                                 << "1200";
    QTest::newRow("section and key ignore case") << pos << "pos"
                                                 << "MAINLEFT"
                                                 << "1200";
    QTest::newRow("full-width section name") << pos << "ＰＯＳ"
                                             << "MainLeft"
                                             << "1200";
    QTest::newRow("blanks around value trimmed") << pos << "POS"
                                                 << "MainTop"
                                                 << "345";
    QTest::newRow("missing key") << pos << "POS"
                                 << "MainWidth"
                                 << "";
    QTest::newRow("missing section") << pos << "SIZE"
                                     << "MainLeft"
                                     << "";
    QTest::newRow("blanks around names") << QByteArray(" [ POS ] \r\n  MainLeft \t= 7\r\n") << "POS"
                                         << "MainLeft"
                                         << "7";
    QTest::newRow("key of another section not found")
        << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n") << "B"
        << "k"
        << "";
    QTest::newRow("key before any section not found") << QByteArray("k=1\r\n[A]\r\n") << "A"
                                                      << "k"
                                                      << "";
    QTest::newRow("first of duplicate keys") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << "A"
                                             << "k"
                                             << "1";
    QTest::newRow("value with equals sign") << QByteArray("[A]\r\nk=a=b\r\n") << "A"
                                            << "k"
                                            << "a=b";
    QTest::newRow("enclosing quotes dropped") << QByteArray("[A]\r\nk=\" x \"\r\n") << "A"
                                              << "k"
                                              << " x ";
    QTest::newRow("comment with equals sign is no key") << QByteArray("[A]\r\n;k=1\r\n") << "A"
                                                        << ";k"
                                                        << "";
    QTest::newRow("LF line ends, no final newline") << QByteArray("[A]\nk=1\nj=2") << "A"
                                                    << "j"
                                                    << "2";
    QTest::newRow("japanese section and path")
        << sjis("[最近使ったファイル]\r\n01=/home/u/馬連.csv\r\n") << "最近使ったファイル"
        << "01"
        << "/home/u/馬連.csv";
    QTest::newRow("a path of 4096 bytes comes back whole")
        << "[A]\r\nk=/" + QByteArray(4095, 'x') + "\r\n"
        << "A"
        << "k"
        << "/" + QString(4095, u'x');
    QTest::newRow("longer values cut at 4096 bytes")
        << sjis("[A]\r\nk=" + QString(2100, u'馬') + "\r\n") << "A"
        << "k" << QString(2048, u'馬');
    QTest::newRow("double-byte character never split")
        << sjis("[A]\r\nk=a" + QString(2048, u'馬') + "\r\n") << "A"
        << "k"
        << "a" + QString(2047, u'馬');
    QTest::newRow("half-width katakana is one byte")
        << sjis("[A]\r\nk=" + QString(4200, u'ｵ') + "\r\n") << "A"
        << "k" << QString(4096, u'ｵ');
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\x80[\x81=\r\r\n\x00=", 11) << "A"
                                    << "k"
                                    << "";
    QTest::newRow("bad bytes elsewhere do not hide values")
        << QByteArray("\x80\xff\r\n[A]\r\nk=1\r\n") << "A"
        << "k"
        << "1";
    QTest::newRow("one huge line") << QByteArray(1 << 20, '[') << "A"
                                   << "k"
                                   << "";
}

void TestIniFile::getIni()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeFile(content);
    QCOMPARE(readSetting(m_path, section, key), expected);
}

void TestIniFile::getIniMissingFile()
{
    QCOMPARE(readSetting(m_dir.filePath("none.ini"), "POS", "MainLeft"), QString());
    QCOMPARE(readSetting(m_dir.path(), "POS", "MainLeft"), QString()); // a folder
    QCOMPARE(settingKeys(m_dir.filePath("none.ini"), "POS", "@"), QStringList());
}

void TestIniFile::getIniKeys_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("expected");

    const QByteArray recent = sjis("[POS]\r\nMainLeft=1\r\n[最近使ったファイル]\r\n02=/b.csv\r\n"
                                   "01=/a.csv\r\n; note\r\n\r\n[X]\r\nz=1\r\n");
    QTest::newRow("file order and trailing empty element")
        << recent << "最近使ったファイル" << QStringList{"02", "01", ""};
    QTest::newRow("section matched as text") << recent << "pos" << QStringList{"MainLeft", ""};
    QTest::newRow("missing section") << recent << "Y" << QStringList();
    QTest::newRow("empty section") << QByteArray("[A]\r\n[B]\r\nk=1\r\n") << "A" << QStringList();
    QTest::newRow("comments only") << QByteArray("[A]\r\n;k=1\r\nxyz\r\n") << "A" << QStringList();
    QTest::newRow("names trimmed, values may be empty")
        << QByteArray("[A]\r\n  k1 =\r\nk2=x\r\n") << "A" << QStringList{"k1", "k2", ""};
    QTest::newRow("name holding the separator stays whole")
        << QByteArray("[A]\r\na@b=1\r\n") << "A" << QStringList{"a@b", ""};
}

void TestIniFile::getIniKeys()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QStringList, expected);
    writeFile(content);
    QCOMPARE(settingKeys(m_path, section, "@"), expected);
}

void TestIniFile::putIni_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("first write creates the file")
        << false << QByteArray() << "POS"
        << "MainLeft"
        << "1200" << QByteArray("[POS]\r\nMainLeft=1200\r\n");
    QTest::newRow("existing value replaced in place, spelling kept")
        << true << QByteArray("; top\r\n[POS]\r\nMainLeft=1\r\nMainTop=2\r\n[X]\r\nq=1\r\n")
        << "pos"
        << "MAINLEFT"
        << "99" << QByteArray("; top\r\n[POS]\r\nMainLeft=99\r\nMainTop=2\r\n[X]\r\nq=1\r\n");
    QTest::newRow("new key at the end of its section before blank lines")
        << true << QByteArray("[POS]\r\nA=1\r\n\r\n[X]\r\nq=1\r\n") << "POS"
        << "B"
        << "2" << QByteArray("[POS]\r\nA=1\r\nB=2\r\n\r\n[X]\r\nq=1\r\n");
    QTest::newRow("new key into an empty last section")
        << true << QByteArray("[A]\r\nk=1\r\n[B]\r\n") << "B"
        << "j"
        << "2" << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
    QTest::newRow("new section at the end of the file")
        << true << QByteArray("[A]\r\nk=1") << "B"
        << "j"
        << "2" << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
    QTest::newRow("LF lines end CR LF afterwards") << true << QByteArray("[A]\nk=1\n") << "A"
                                                   << "k"
                                                   << "3" << QByteArray("[A]\r\nk=3\r\n");
    QTest::newRow("undecodable lines kept byte for byte")
        << true << QByteArray("\x80\xff junk\r\n[A]\r\nk=\x85\x40\r\n") << "A"
        << "j"
        << "1" << QByteArray("\x80\xff junk\r\n[A]\r\nk=\x85\x40\r\nj=1\r\n");
    QTest::newRow("empty file") << true << QByteArray() << "A"
                                << "k"
                                << "" << QByteArray("[A]\r\nk=\r\n");
    QTest::newRow("japanese in code page 932")
        << false << QByteArray() << "最近使ったファイル"
        << "01"
        << "/u/ｵｯｽﾞ.csv" << sjis("[最近使ったファイル]\r\n01=/u/ｵｯｽﾞ.csv\r\n");
}

void TestIniFile::putIni()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (exists)
        writeFile(before);
    QVERIFY(writeSetting(m_path, section, key, value));
    QCOMPARE(readFile(), after);
    QCOMPARE(readSetting(m_path, section, key), value);
}

void TestIniFile::putIniRejects_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("value not in code page 932") << "A"
                                                << "k"
                                                << "/home/한.csv";
    QTest::newRow("section not in code page 932") << "😀"
                                                  << "k"
                                                  << "v";
    QTest::newRow("line break in value") << "A"
                                         << "k"
                                         << "a\nb";
    QTest::newRow("CR in value") << "A"
                                 << "k"
                                 << "a\rb";
    QTest::newRow("equals sign in key") << "A"
                                        << "k=1"
                                        << "v";
    QTest::newRow("blank key") << "A"
                               << "  "
                               << "v";
    QTest::newRow("key looking like a section") << "A"
                                                << "[B]"
                                                << "v";
    QTest::newRow("closing bracket in section") << "A]x"
                                                << "k"
                                                << "v";
}

void TestIniFile::putIniRejects()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray before("[A]\r\nk=old\r\n");
    writeFile(before);
    QVERIFY(!writeSetting(m_path, section, key, value));
    QCOMPARE(readFile(), before);
}

void TestIniFile::putIniFailsWithoutFolder()
{
    QVERIFY(!writeSetting(m_dir.filePath("missing/KirrelSys.ini"), "POS", "MainLeft", "1"));
    QVERIFY(!QFile::exists(m_dir.filePath("missing")));
    QVERIFY(!writeSetting(m_dir.path(), "POS", "MainLeft", "1")); // a folder
}

void TestIniFile::roundTripManyKeys()
{
    // The recent-file list writes keys 01..n one by one; reading gives them back in order.
    QStringList expected;
    for (int i = 1; i <= 120; ++i) {
        const QString key = QString::number(i).rightJustified(2, u'0');
        QVERIFY(
            writeSetting(m_path, "最近使ったファイル", key, QString("/data/レース%1.csv").arg(i)));
        expected << key;
    }
    QVERIFY(writeSetting(m_path, "POS", "MainLeft", "10"));
    QVERIFY(writeSetting(m_path, "最近使ったファイル", "05", "/x.csv"));
    expected << QString();
    QCOMPARE(settingKeys(m_path, "最近使ったファイル", "@"), expected);
    QCOMPARE(readSetting(m_path, "最近使ったファイル", "05"), QString("/x.csv"));
    QCOMPARE(readSetting(m_path, "最近使ったファイル", "120"), QString("/data/レース120.csv"));
    QCOMPARE(readSetting(m_path, "POS", "MainLeft"), QString("10"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
