// Win odds over the snapshots as the chart draws them: the order of the snapshots, gaps, labels.
#include "core/analysis/oddstrend.h"

#include <QTest>

class TestOddsTrend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void winOddsOverTime_data();
    void winOddsOverTime();
};

namespace {

// "time|1=3.4 2=5" per snapshot, newest first; the first is the latest.
AnalysisInputs withHistory(const QStringList &history)
{
    OddsHistory snapshots;
    for (const QString &text : history) {
        const QStringList parts = text.split(u'|');
        snapshots.push_back({parts[0], {}});
        for (const QString &entry : parts[1].split(u' ', Qt::SkipEmptyParts)) {
            const QStringList pair = entry.split(u'=');
            snapshots.back().odds[{pair[0].toInt(), 0, 0}] = QuotedOdds(pair[1].toDouble());
        }
    }
    AnalysisInputs in;
    in.latestTime[size_t(BetType::Win)] = snapshots[0].time;
    in.actualOf(BetType::Win) = snapshots[0].odds;
    in.earlierOf(BetType::Win).assign(snapshots.begin() + 1, snapshots.end());
    return in;
}

// "label odds..." per snapshot shown, oldest first, "-" for a gap.
QString shownText(const OddsTrend &trend)
{
    QStringList columns;
    for (size_t k = 0; k < trend.snapshots.size(); ++k) {
        QStringList cells{trend.labels[k]};
        for (const std::vector<double> &runner : trend.odds)
            cells << (runner[k] > 0 ? QString::number(runner[k]) : QStringLiteral("-"));
        columns << cells.join(u' ');
    }
    return columns.join(QStringLiteral(" | "));
}

} // namespace

void TestOddsTrend::winOddsOverTime_data()
{
    QTest::addColumn<QStringList>("history"); // newest first
    QTest::addColumn<int>("runners");
    QTest::addColumn<QString>("shown");
    QTest::newRow("as taken, a runner missing once, one beyond the field")
        << QStringList{"2026-12-12 14:05:00|1=2.1 2=8 3=4.4 5=9", "2026-12-12 13:30:00|1=3.4 3=4.5",
                       "2026-12-12 10:00:00|1=4 2=6.5 3=5"}
        << 3 << "10:00 4 6.5 5 | 13:30 3.4 - 4.5 | 14:05 2.1 8 4.4";
    QTest::newRow("a time corrected to before an older one")
        << QStringList{"2026-12-12 09:00:00|1=2", "2026-12-12 13:30:00|1=3",
                       "2026-12-12 10:00:00|1=4"}
        << 1 << "09:00 2 | 10:00 4 | 13:30 3";
    QTest::newRow("one without a time stays where it was taken")
        << QStringList{"2026-12-12 09:00:00|1=2", "|1=5", "2026-12-12 13:30:00|1=3",
                       "2026-12-12 10:00:00|1=4"}
        << 1 << "09:00 2 | 10:00 4 | 時刻なし 5 | 13:30 3";
    QTest::newRow("latest of an older file, without a time")
        << QStringList{"|1=5 2=3"} << 2 << "時刻なし 5 3";
    QTest::newRow("nothing entered yet") << QStringList{"|"} << 2 << "";
    QTest::newRow("a time with seconds, a malformed one")
        << QStringList{"2026-12-12 09:05:30|1=2", "2026-12-12 9:05:00|1=3",
                       "2026-12-12 09:05:00|1=4"}
        << 1 << "09:05:00 4 | 時刻なし 3 | 09:05:30 2";
    QTest::newRow("from the evening before")
        << QStringList{"2026-12-12 09:05:00|1=2", "2026-12-11 18:00:00|1=4"} << 1
        << "12/11 18:00 4 | 12/12 09:05 2";
    QTest::newRow("an emptied snapshot with a time is a gap")
        << QStringList{"2026-12-12 14:00:00|", "2026-12-12 13:00:00|1=5"} << 1
        << "13:00 5 | 14:00 -";
}

void TestOddsTrend::winOddsOverTime()
{
    QFETCH(QStringList, history);
    QFETCH(int, runners);
    QFETCH(QString, shown);
    const AnalysisInputs in = withHistory(history);
    const OddsTrend trend = winOddsTrend(in, runners);
    QCOMPARE(shownText(trend), shown);
    QCOMPARE(int(trend.odds.size()), runners);
}

QTEST_GUILESS_MAIN(TestOddsTrend)
#include "tst_oddstrend.moc"
