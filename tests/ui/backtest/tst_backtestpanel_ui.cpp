// The バックテスト tab: the folder played off the GUI thread as kirrel-cli plays it, the races
// with bets listed, the equity curve drawn and saved.
#include "core/codepage/codepage.h"
#include "testfiles.h"
#include "ui/backtest/backtestpanel.h"
#include "ui/desktop/pngsave.h"
#include "ui/desktop/termlabel.h"

#include <QCategoryAxis>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineSeries>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestBacktestPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void playsTheFolder();
};

// Win odds of 9999.9 on `favoured` and 1.0 on the others: only that runner is bought.
static void race(const QString &path, const QString &date, const QString &result, int favoured,
                 const QByteArray &payouts)
{
    QStringList lines = Cp932::decode(readAll(dataPath(QStringLiteral("race18.csv"))))
                            .split(QStringLiteral("\r\n"));
    QStringList header = lines[0].split(u',');
    QStringList values = lines[1].split(u',');
    header[3] = date;
    values[4] = result;
    lines[0] = header.join(u',');
    lines[1] = values.join(u',');
    QVERIFY(writeAll(path, Cp932::encode(lines.join(QStringLiteral("\r\n"))).bytes));
    QByteArray analysis = "[Analysis]\r\nVersion=3\r\n[win]\r\n";
    for (int r = 1; r <= 18; ++r)
        analysis += QByteArray::number(r) + (r == favoured ? "=9999.9\r\n" : "=1.0\r\n");
    QVERIFY(writeAll(path + QStringLiteral(".analysis"), analysis + payouts));
}

void TestBacktestPanel::playsTheFolder()
{
    QTemporaryDir dir;
    race(dir.filePath("b.csv"), "2026/05/02", "1-2-3", 1, "[Payouts]\r\nwin 1=500\r\n");
    race(dir.filePath("c.csv"), "2026/05/01", "2-3-4", 5, "");
    race(dir.filePath("a.csv"), "2026/05/03", "4-5-6", 7, "");

    BacktestPanel panel(dir.path());
    panel.resize(1000, 600);
    QSignalSpy idle(&panel, &BacktestPanel::idle);
    BacktestSettings s = panel.settings();
    s.rule.flatStake = 200;
    panel.setSettings(s);
    panel.run();
    QVERIFY(idle.wait(20000));
    // c loses 200, b pays 5 x 500, a loses 200.
    QCOMPARE(panel.summaryText(),
             QStringLiteral("レース 3（購入 3）　3点　的中 1　投資 600円　払戻 1,000円　回収率 "
                            "166.7%　損益 400円　最大ドローダウン 200円　最長連敗 1"));
    // Every number of the summary and every control explains itself, each in its own words.
    const auto *summary = panel.findChild<TermLabel *>();
    QVERIFY(summary);
    QStringList parts;
    QSet<QString> explanations;
    for (const auto &[part, explanation] : summary->explainedParts()) {
        parts << part;
        explanations << explanation;
    }
    QCOMPARE(parts,
             QStringList({"レース 3", "購入 3", "3点", "的中 1", "投資 600円", "払戻 1,000円",
                          "回収率 166.7%", "損益 400円", "最大ドローダウン 200円", "最長連敗 1"}));
    QCOMPARE(explanations.size(), parts.size());
    QVERIFY(!explanations.contains(QString()));
    for (QWidget *control : panel.findChildren<QWidget *>())
        if (qobject_cast<QComboBox *>(control) || qobject_cast<QAbstractSpinBox *>(control))
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->accessibleName()));
    QTableView *table = panel.table();
    QCOMPARE(table->model()->rowCount(), 3);
    QCOMPARE(table->model()->index(1, 1).data().toString(), QStringLiteral("b.csv"));
    QCOMPARE(table->model()->index(1, 5).data().toString(), QStringLiteral("600"));
    const auto *curve = qobject_cast<QLineSeries *>(panel.chart()->chart()->series().first());
    QCOMPARE(curve->points(), (QList<QPointF>{{0, 0}, {1, -200}, {2, 600}, {3, 400}}));
    // The races' dates along the curve.
    QCategoryAxis *dates = nullptr;
    for (QAbstractAxis *axis : panel.chart()->chart()->axes(Qt::Horizontal))
        dates = dates ? dates : qobject_cast<QCategoryAxis *>(axis);
    QVERIFY(dates && dates->isVisible());
    QCOMPARE(dates->categoriesLabels(), QStringList({"5/1", "5/2", "5/3"}));
    QCOMPARE(dates->titleText(), QStringLiteral("日付（2026年）"));
    // The breakdown: the winner at odds 9999.9 in the last band, each the model's rank 1.
    QStandardItemModel *bands = panel.breakdownTable();
    QCOMPARE(bands->rowCount(), 15);
    QCOMPARE(bands->index(6, 1).data().toString(), QStringLiteral("100倍～"));
    QCOMPARE(bands->index(6, 2).data().toString(), QStringLiteral("3"));
    QCOMPARE(bands->index(6, 3).data().toString(), QStringLiteral("1"));
    QCOMPARE(bands->index(6, 7).data().toString(), QStringLiteral("166.7%"));
    // The result says what it was run with; a change of the rule or the model greys it.
    QVERIFY2(panel.conditionsText().startsWith(QStringLiteral("単勝、払戻率 80.0%、実÷推定 ≧ "
                                                              "1.200、定額 200円、Harville β "
                                                              "1.0000、")),
             qPrintable(panel.conditionsText()));
    QVERIFY(panel.chart()->chart()->title().contains(QStringLiteral("定額 200円")));
    QVERIFY(!panel.stale() && table->isEnabled());
    s.rule.threshold = 1.5;
    panel.setSettings(s);
    QVERIFY(panel.stale() && !table->isEnabled());
    s.rule.threshold = 1.2;
    panel.setSettings(s);
    QVERIFY(!panel.stale() && table->isEnabled());
    SeasonModel model;
    model.beta = 1.00001; // beyond the boxes' four decimals
    panel.setModelSource([model] { return model; });
    panel.checkConditions();
    QVERIFY(panel.stale());
    const QString png = dir.filePath("curve.png");
    QCOMPARE(saveWidgetPng(panel.chart(), png), QString());
    QVERIFY(readAll(png).startsWith("\x89PNG"));
}

QTEST_MAIN(TestBacktestPanel)
#include "tst_backtestpanel_ui.moc"
