#include "core/settings/inifile.h"
#include "core/settings/recentfiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Menu items as (visible, caption, tag).
class FakeMenu : public RecentMenu
{
public:
    explicit FakeMenu(int items) : visible(items), caption(items), tag(items) {}
    QList<bool> visible;
    QStringList caption;
    QStringList tag;

    int itemCount() const override { return int(visible.size()); }
    void addItem() override
    {
        visible << false;
        caption << QString();
        tag << QString();
    }
    void setItemVisible(int i, bool v) override { visible[i] = v; }
    void setItemCaption(int i, const QString &c) override { caption[i] = c; }
    void setItemTag(int i, const QString &t) override { tag[i] = t; }

    QStringList shown() const
    {
        QStringList out;
        for (int i = 0; i < itemCount(); ++i)
            if (visible[i])
                out << caption[i];
        return out;
    }
};

const QString Section = QString::fromUtf16(RecentSection);

// "key=value" of the section in file order.
QStringList storedEntries(const QString &ini)
{
    QStringList out;
    for (const QString &key : settingKeys(ini, Section, QStringLiteral("@")))
        if (!key.isEmpty())
            out << key + QLatin1Char('=') + readSetting(ini, Section, key);
    return out;
}

} // namespace

class TestRecentFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sortedAppend_data();
    void sortedAppend();
    void addPutsNewestOnTop_data();
    void addPutsNewestOnTop();
    void menuShowsElevenBaseNames();
    void loadSortsAndSkipsEmptyValues();
    void pathsSurviveARestartWhole();
};

void TestRecentFiles::sortedAppend_data()
{
    QTest::addColumn<QStringList>("appended");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("ascending text order")
        << QStringList{"/b", "/c", "/a"} << QStringList{"/a", "/b", "/c"};
    QTest::newRow("case ignored, equal entries keep their order, repeats kept")
        << QStringList{"/B", "/a", "/b", "/a"} << QStringList{"/a", "/a", "/B", "/b"};
}

void TestRecentFiles::sortedAppend()
{
    QFETCH(QStringList, appended);
    QFETCH(QStringList, expected);
    RecentFileList list;
    for (const QString &s : appended)
        list.addItem(s);
    QCOMPARE(list.entries(), expected);
}

void TestRecentFiles::addPutsNewestOnTop_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a, b, a again: a then b")
        << QStringList{} << QStringList{"/d/a.csv", "/d/b.csv", "/d/a.csv"}
        << QStringList{"/d/a.csv", "/d/b.csv"};
    QTest::newRow("letter case makes different entries")
        << QStringList{} << QStringList{"/x/A.csv", "/x/a.csv"}
        << QStringList{"/x/a.csv", "/x/A.csv"};
    QTest::newRow("repeats and blank entries already in the list are dropped")
        << QStringList{"/p", "  ", "/q", "/p", "", "/q"} << QStringList{"/r"}
        << QStringList{"/r", "/p", "/q"};
}

void TestRecentFiles::addPutsNewestOnTop()
{
    QFETCH(QStringList, start);
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    RecentFileList list(ini);
    for (int i = 0; i < start.size(); ++i)
        list.insertItem(i, start.at(i));
    for (const QString &path : added)
        list.add(path);
    QCOMPARE(list.entries(), expected);

    QStringList stored;
    for (int i = 0; i < expected.size(); ++i)
        stored << QStringLiteral("%1=%2").arg(i + 1, 2, 10, QLatin1Char('0')).arg(expected.at(i));
    QCOMPARE(storedEntries(ini), stored);
}

void TestRecentFiles::menuShowsElevenBaseNames()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    FakeMenu menu(2); // grows on demand
    RecentFileList list(ini, &menu);
    list.add(QStringLiteral("/my.data/Default.def"));
    for (int i = 1; i <= 11; ++i)
        list.add(QStringLiteral("/races/day%1.csv").arg(i));

    QCOMPARE(menu.itemCount(), 11);
    QStringList expected;
    for (int i = 11; i >= 1; --i)
        expected << QStringLiteral("day%1").arg(i);
    QCOMPARE(menu.shown(), expected);
    QCOMPARE(menu.tag.first(), QStringLiteral("/races/day11.csv"));
    // The list and the file keep all twelve.
    QCOMPARE(storedEntries(ini).last(), QStringLiteral("12=/my.data/Default.def"));

    rebuildRecentMenu(RecentFileList(), &menu);
    QCOMPARE(menu.shown(), QStringList());
}

void TestRecentFiles::loadSortsAndSkipsEmptyValues()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    const QStringList values{"/z/last.csv", "", "/A/first.csv", "/m/mid.csv", "/m/mid.csv"};
    for (int i = 0; i < values.size(); ++i)
        QVERIFY(writeSetting(ini, Section, QStringLiteral("0%1").arg(i + 1), values.at(i)));

    FakeMenu menu(11);
    RecentFileList list(ini, &menu);
    list.insertItem(0, QStringLiteral("/stale"));
    list.load();
    QCOMPARE(list.entries(),
             (QStringList{"/A/first.csv", "/m/mid.csv", "/m/mid.csv", "/z/last.csv"}));
    QCOMPARE(menu.shown(), (QStringList{"first", "mid", "mid", "last"}));

    // The next use drops the repeat; the leftover key 05 stays in the file.
    list.add(QStringLiteral("/n/new.csv"));
    QCOMPARE(storedEntries(ini), (QStringList{"01=/n/new.csv", "02=/A/first.csv", "03=/m/mid.csv",
                                              "04=/z/last.csv", "05=/m/mid.csv"}));

    RecentFileList none(dir.filePath(QStringLiteral("none.ini")), &menu);
    none.load();
    QCOMPARE(none.count(), 0);
    QCOMPARE(menu.shown(), QStringList());
}

void TestRecentFiles::pathsSurviveARestartWhole()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    const QString longPath = QLatin1Char('/') + QString(4000, u'd') + QStringLiteral("/a.csv");
    const QString changing = QStringLiteral("/races/1〜3.csv"); // would come back as 1～3
    RecentFileList list(ini);
    for (const QString &path : {longPath, changing, QStringLiteral("/races/b.csv")})
        QVERIFY(list.add(path).ok);
    QCOMPARE(list.count(), 3);
    QCOMPARE(storedEntries(ini), (QStringList{"01=/races/b.csv", "02=" + longPath}));

    RecentFileList again(ini);
    again.load();
    QCOMPARE(again.entries(), (QStringList{longPath, QStringLiteral("/races/b.csv")}));
}

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
