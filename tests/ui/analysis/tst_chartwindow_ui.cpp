// The chart window's two views: オッズ推移 follows the win snapshots, PNG saves the view shown.
#include "core/analysis/documentanalysis.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "testfiles.h"
#include "ui/analysis/chartwindow.h"
#include "ui/analysis/oddstrendchart.h"

#include <QChartView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TestChartWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trendFollowsSnapshotsAndSavesShownView();
};

void TestChartWindow::trendFollowsSnapshotsAndSavesShownView()
{
    OddsDocument doc;
    QVERIFY(loadDocument(doc, dataPath(QStringLiteral("race18.csv"))).ok);
    DocumentAnalysis analysis(&doc);
    ChartWindow w(&analysis);
    AnalysisInputs in = analysis.inputs();
    pasteSnapshot(&in, BetType::Win, {{{1, 0, 0}, 3.0}, {{2, 0, 0}, 5.0}},
                  QStringLiteral("2026-12-12 13:00:00"));
    pasteSnapshot(&in, BetType::Win, {{{1, 0, 0}, 2.5}}, QStringLiteral("2026-12-12 14:00:00"));
    analysis.state().setInputs(in);
    QCOMPARE(w.trendChart()->trend(), winOddsTrend(in, 18));
    QCOMPARE(w.trendChart()->endLabels(), QStringList({"1", "2"}));
    QTemporaryDir dir;
    const QList<QWidget *> views{w.chartView(), w.trendChart()};
    for (int shown = 0; shown < 2; ++shown) {
        w.tabs()->setCurrentIndex(shown);
        const QString path = dir.filePath(QStringLiteral("chart.png"));
        QCOMPARE(w.savePng(path), QString());
        const QImage saved(path);
        const auto picture = [&](int k) {
            return views[k]->grab().toImage().convertToFormat(saved.format());
        };
        QCOMPARE(saved, picture(shown));
        QVERIFY(saved != picture(1 - shown));
    }
}

QTEST_MAIN(TestChartWindow)
#include "tst_chartwindow_ui.moc"
