#pragma once
// The win odds of every runner over the win snapshots: one line per runner in its bracket's
// colour on a log axis, broken where a snapshot has no odds for it, its number at its end.

#include "core/analysis/analysistable.h"
#include "core/analysis/oddstrend.h"

#include <QChartView>
#include <vector>

class QCategoryAxis;
class QGraphicsRectItem;
class QLineSeries;
class QLogValueAxis;

class OddsTrendChart : public QChartView
{
    Q_OBJECT
public:
    explicit OddsTrendChart(QWidget *parent = nullptr);

    // Draws again only when the trend or the runners' brackets differ from those shown.
    void setTrend(const OddsTrend &trend, const std::vector<RunnerInfo> &runners,
                  const QString &title);

    const OddsTrend &trend() const { return m_trend; }
    // The numbers at the lines' ends, in runner order.
    QStringList endLabels() const;

private:
    struct EndLabel
    {
        QGraphicsRectItem *box;
        QLineSeries *series;
        QPointF value;
    };

    void placeEndLabels();

    QCategoryAxis *m_times;
    QLogValueAxis *m_odds;
    OddsTrend m_trend;
    std::vector<std::pair<int, Color>> m_brackets;
    std::vector<EndLabel> m_endLabels;
};
