// What a document knows of itself (file, untitled, template, changed, caption), the fresh
// document, and a document that never disagrees with its own file.
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/text.h"

#include <QDate>
#include <QTest>

class TestDocumentState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void identity_data();
    void identity();
    void freshDocument();
    void savedCountsAreTheBuiltOnes();
    void computedColumnsFitTheirValues();
};

void TestDocumentState::identity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("untitled");
    QTest::addColumn<bool>("isTemplate");
    QTest::addColumn<QString>("shown");

    QTest::newRow("untitled") << "" << false << true << false << "新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 7";
    QTest::newRow("untitled, changed") << "" << true << true << false << "新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 7 *";
    QTest::newRow("file") << "/r/race.csv" << false << false << false << "/r/race.csv";
    QTest::newRow("file, changed") << "/r/race.csv" << true << false << false << "/r/race.csv *";
    QTest::newRow("template") << "/app/Default.def" << false << false << true << "/app/Default.def";
    QTest::newRow("template in capitals")
        << "/app/DEFAULT.DEF" << true << false << true << "/app/DEFAULT.DEF *";
    QTest::newRow("a .def folder is no template")
        << "/x.def/race.csv" << false << false << false << "/x.def/race.csv";
}

void TestDocumentState::identity()
{
    QFETCH(QString, path);
    QFETCH(bool, changed);
    QFETCH(bool, untitled);
    QFETCH(bool, isTemplate);
    QFETCH(QString, shown);

    OddsDocument doc;
    doc.startFresh(7, QDate(2024, 5, 6));
    doc.setFilePath(path);
    doc.setChanged(changed);
    QCOMPARE(doc.isUntitled(), untitled);
    QCOMPARE(doc.isTemplate(), isTemplate);
    QCOMPARE(doc.displayCaption(), shown);
    // Rules never see the marker.
    QCOMPARE(doc.caption(), untitled ? QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 7") : path);
}

void TestDocumentState::freshDocument()
{
    OddsDocument doc;
    QStringList seenByTemplate;
    doc.startFresh(3, QDate(2024, 5, 6), [&] {
        seenByTemplate << doc.titleText(0) << QString::number(doc.runnerTable.rows());
        doc.setTitleText(1, QStringLiteral("from the template"));
        doc.setFilePath(QStringLiteral("/app/Default.def"));
    });
    QCOMPARE(seenByTemplate, QStringList({"新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 3", "20"}));
    QCOMPARE(doc.titleText(1), QStringLiteral("2024/05/06"));
    QCOMPARE(doc.caption(), QStringLiteral("/app/Default.def"));
    QVERIFY(!doc.isChanged());
}

void TestDocumentState::savedCountsAreTheBuiltOnes()
{
    OddsDocument doc;
    doc.buildTable();
    doc.setCountText(0, QStringLiteral("10")); // typed, not confirmed with Enter
    doc.setCountText(1, QStringLiteral("2"));
    QVERIFY(doc.countsChangeShape());
    QVERIFY(ValuesLine(doc).startsWith(QStringLiteral("18,8,")));

    // Read back, the file has the table it was written with.
    OddsDocument reread;
    QVERIFY(LoadDocumentBytes(reread, DocumentText(doc, doc.runnerTable).toUtf8()).ok);
    QCOMPARE(reread.runnerTable.rows(), doc.runnerTable.rows());
    QCOMPARE(reread.runnerTable.cols(), doc.runnerTable.cols());

    doc.buildTable();
    QVERIFY(!doc.countsChangeShape());
    QVERIFY(ValuesLine(doc).startsWith(QStringLiteral("10,2,")));
}

void TestDocumentState::computedColumnsFitTheirValues()
{
    OddsDocument doc;
    doc.buildTable();
    for (int r = FirstRunnerRow; r < doc.runnerTable.rows(); ++r)
        doc.runnerTable.setText(r, FirstDataCol, QString::number(r * 1234567));
    doc.recalculate();
    auto widths = [&doc] {
        QList<int> out;
        for (int c = 0; c < doc.runnerTable.cols(); ++c)
            out << doc.runnerTable.colWidth(c);
        return out;
    };
    const QList<int> afterRecalculation = widths();
    doc.fitColumnWidths();
    QCOMPARE(afterRecalculation, widths());
}

QTEST_GUILESS_MAIN(TestDocumentState)
#include "tst_documentstate.moc"
