// The バックテスト tab: the folder played off the GUI thread as kirrel-cli plays it, the races
// with bets listed, the equity curve drawn and saved.
#include "core/codepage/codepage.h"
#include "testfiles.h"
#include "ui/backtest/backtestpanel.h"
#include "ui/desktop/pngsave.h"

#include <QChartView>
#include <QLineSeries>
#include <QSignalSpy>
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
    QTableView *table = panel.table();
    QCOMPARE(table->model()->rowCount(), 3);
    QCOMPARE(table->model()->index(1, 1).data().toString(), QStringLiteral("b.csv"));
    QCOMPARE(table->model()->index(1, 5).data().toString(), QStringLiteral("600"));
    const auto *curve = qobject_cast<QLineSeries *>(panel.chart()->chart()->series().first());
    QCOMPARE(curve->points(), (QList<QPointF>{{0, 0}, {1, -200}, {2, 600}, {3, 400}}));
    const QString png = dir.filePath("curve.png");
    QCOMPARE(saveWidgetPng(panel.chart(), png), QString());
    QVERIFY(readAll(png).startsWith("\x89PNG"));
}

QTEST_MAIN(TestBacktestPanel)
#include "tst_backtestpanel_ui.moc"
