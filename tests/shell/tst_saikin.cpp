#include "platform/inifile.h"
#include "shell/saikin.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Item
{
    bool visible = false;
    QString caption;
    QString tag;
};

class FakeMenu : public RecentMenu
{
public:
    explicit FakeMenu(int items) : items(size_t(items)) {}
    std::vector<Item> items;

    int itemCount() const override { return int(items.size()); }
    void addItem() override { items.emplace_back(); }
    void setItemVisible(int i, bool v) override { items.at(size_t(i)).visible = v; }
    void setItemCaption(int i, const QString &c) override { items.at(size_t(i)).caption = c; }
    void setItemTag(int i, const QString &t) override { items.at(size_t(i)).tag = t; }

    // Captions of the visible items in menu order.
    QStringList shown() const
    {
        QStringList out;
        for (const Item &item : items)
            if (item.visible)
                out << item.caption;
        return out;
    }
};

const QString Section = QString::fromUtf16(RecentSection);

// Values of the section in key order.
QStringList Stored(const QString &ini)
{
    QStringList out;
    for (const QString &key : GetIniKeys(ini, Section, QStringLiteral("@")))
        if (!key.isEmpty())
            out << key + QLatin1Char('=') + GetIni(ini, Section, key);
    return out;
}

} // namespace

class TestSaikin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sortedAppend_data();
    void sortedAppend();
    void addPutsNewestOnTop_data();
    void addPutsNewestOnTop();
    void menuShowsElevenWithBaseNames();
    void storesAllEntriesWithTwoDigitKeys();
    void loadSortsAndSkipsEmptyValues();
    void missingFileLeavesListEmpty();
};

void TestSaikin::sortedAppend_data()
{
    QTest::addColumn<QStringList>("appended");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("ascending text order")
        << QStringList{"/b", "/c", "/a"} << QStringList{"/a", "/b", "/c"};
    QTest::newRow("case ignored, equal entries keep their order")
        << QStringList{"/B", "/a", "/b"} << QStringList{"/a", "/B", "/b"};
    QTest::newRow("duplicates are all kept") << QStringList{"/x", "/x"} << QStringList{"/x", "/x"};
}

void TestSaikin::sortedAppend()
{
    QFETCH(QStringList, appended);
    QFETCH(QStringList, expected);
    RecentFileList list;
    for (const QString &s : appended)
        list.addItem(s);
    QCOMPARE(list.entries(), expected);
    list.insertItem(0, QStringLiteral("/zzz"));
    QCOMPARE(list.at(0), QStringLiteral("/zzz"));
}

void TestSaikin::addPutsNewestOnTop_data()
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
    QTest::newRow("repeats already in the list are dropped")
        << QStringList{"/p", "/q", "/p", "/q"} << QStringList{"/r"}
        << QStringList{"/r", "/p", "/q"};
    QTest::newRow("blank entries are dropped")
        << QStringList{"  ", "/p", ""} << QStringList{"/r"} << QStringList{"/r", "/p"};
}

void TestSaikin::addPutsNewestOnTop()
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
    QCOMPARE(Stored(ini).mid(0, expected.size()), stored);
}

void TestSaikin::menuShowsElevenWithBaseNames()
{
    FakeMenu menu(11);
    RecentFileList list(QString(), &menu);
    for (int i = 1; i <= 12; ++i)
        list.add(QStringLiteral("/races/day%1.csv").arg(i));
    QCOMPARE(list.count(), 12);
    QCOMPARE(menu.itemCount(), 11);
    QStringList expected;
    for (int i = 12; i >= 2; --i)
        expected << QStringLiteral("day%1").arg(i);
    QCOMPARE(menu.shown(), expected);
    QCOMPARE(menu.items.at(0).tag, QStringLiteral("/races/day12.csv"));

    // A menu with fewer items grows; a shorter list hides the rest.
    FakeMenu small(2);
    RecentFileList three;
    three.insertItem(0, QStringLiteral("/a/Default.def"));
    three.insertItem(1, QStringLiteral("/my.data/run.csv"));
    three.insertItem(2, QStringLiteral("/c.csv"));
    MakeSaikin(three, &small);
    QCOMPARE(small.shown(), (QStringList{"Default", "run", "c"}));
    MakeSaikin(RecentFileList(), &small);
    QCOMPARE(small.shown(), QStringList{});
}

void TestSaikin::storesAllEntriesWithTwoDigitKeys()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    RecentFileList list(ini);
    for (int i = 1; i <= 12; ++i)
        list.add(QStringLiteral("/f%1").arg(i));
    const QStringList stored = Stored(ini);
    QCOMPARE(stored.size(), 12);
    QCOMPARE(stored.first(), QStringLiteral("01=/f12"));
    QCOMPARE(stored.at(9), QStringLiteral("10=/f3"));
    QCOMPARE(stored.last(), QStringLiteral("12=/f1"));
}

void TestSaikin::loadSortsAndSkipsEmptyValues()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("KirrelSys.ini"));
    QVERIFY(PutIni(ini, Section, QStringLiteral("01"), QStringLiteral("/z/last.csv")));
    QVERIFY(PutIni(ini, Section, QStringLiteral("02"), QString()));
    QVERIFY(PutIni(ini, Section, QStringLiteral("03"), QStringLiteral("/A/first.csv")));
    QVERIFY(PutIni(ini, Section, QStringLiteral("04"), QStringLiteral("/m/mid.csv")));
    QVERIFY(PutIni(ini, Section, QStringLiteral("05"), QStringLiteral("/m/mid.csv")));

    FakeMenu menu(11);
    RecentFileList list(ini, &menu);
    list.insertItem(0, QStringLiteral("/stale"));
    list.load();
    QCOMPARE(list.entries(),
             (QStringList{"/A/first.csv", "/m/mid.csv", "/m/mid.csv", "/z/last.csv"}));
    QCOMPARE(menu.shown(), (QStringList{"first", "mid", "mid", "last"}));

    // The next use drops the repeat; the leftover key 05 stays in the file.
    list.add(QStringLiteral("/n/new.csv"));
    QCOMPARE(list.entries(),
             (QStringList{"/n/new.csv", "/A/first.csv", "/m/mid.csv", "/z/last.csv"}));
    QCOMPARE(Stored(ini).size(), 5);
}

void TestSaikin::missingFileLeavesListEmpty()
{
    QTemporaryDir dir;
    FakeMenu menu(11);
    menu.setItemVisible(3, true);
    RecentFileList list(dir.filePath(QStringLiteral("none.ini")), &menu);
    list.load();
    QCOMPARE(list.count(), 0);
    QCOMPARE(menu.shown(), QStringList{});
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.ini"))));
}

QTEST_GUILESS_MAIN(TestSaikin)
#include "tst_saikin.moc"
