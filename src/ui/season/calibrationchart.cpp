#include "ui/season/calibrationchart.h"

#include "core/season/calibrationinterval.h"
#include "ui/desktop/chartroom.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

CalibrationChart::CalibrationChart(QWidget *parent) : QWidget(parent)
{
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setTitle(QStringLiteral("較正"));
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);

    m_diagonal = new QLineSeries;
    m_diagonal->setName(QStringLiteral("対角線"));
    m_diagonal->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    m_diagonal->append({QPointF(0, 0), QPointF(1, 1)});

    auto *x = new QValueAxis;
    x->setRange(0, 1);
    x->setTitleText(QStringLiteral("平均の確率"));
    x->setLabelFormat(QStringLiteral("%.1f"));
    x->setTickCount(6);
    auto *y = new QValueAxis;
    y->setRange(0, 1);
    y->setTitleText(QStringLiteral("勝った割合"));
    y->setLabelFormat(QStringLiteral("%.1f"));
    y->setTickCount(6);
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);
    QList<QAbstractSeries *> all = {m_diagonal};
    for (size_t i = 0; i < m_intervals.size(); ++i) {
        QLineSeries *interval = m_intervals[i] = new QLineSeries;
        interval->setName(QStringLiteral("95% 区間 (Wilson)"));
        interval->setPen(QPen(QColor(120, 160, 220), 3));
        all << interval;
    }
    for (size_t i = 0; i < m_observed.size(); ++i) {
        QScatterSeries *bin = m_observed[i] = new QScatterSeries;
        bin->setName(QStringLiteral("実際の勝率"));
        bin->setMarkerSize(9);
        bin->setColor(QColor(200, 60, 40));
        bin->setBorderColor(QColor(200, 60, 40));
        connect(bin, &QScatterSeries::hovered, this, [this, i](const QPointF &, bool state) {
            if (state)
                QToolTip::showText(QCursor::pos(), binText(m_bins[i]), this);
            else
                QToolTip::hideText();
        });
        all << bin;
    }
    for (QAbstractSeries *series : all) {
        m_chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    for (size_t i = 1; i < m_observed.size(); ++i) {
        for (QLegendMarker *marker : m_chart->legend()->markers(m_observed[i]))
            marker->setVisible(false);
        for (QLegendMarker *marker : m_chart->legend()->markers(m_intervals[i]))
            marker->setVisible(false);
    }
    setToolTip(QStringLiteral("確率の帯ごとに、平均の確率と実際に勝った割合を比べます。点が対角線"
                              "に近いほど確率が正しく、縦の線は勝った割合の 95% 区間です。"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chartWithRoom(m_view, this));
}

void CalibrationChart::setBins(const std::array<CalibrationBin, 9> &bins)
{
    m_bins = bins;
    for (size_t i = 0; i < bins.size(); ++i) {
        const CalibrationBin &b = bins[i];
        m_observed[i]->clear();
        m_intervals[i]->clear();
        if (b.count == 0)
            continue;
        const double p = b.meanP();
        const auto [low, high] = wilsonInterval(b.wins, b.count);
        m_observed[i]->append(p, double(b.wins) / b.count);
        m_intervals[i]->append({QPointF(p, low), QPointF(p, high)});
    }
}

QString CalibrationChart::binText(const CalibrationBin &b)
{
    const auto [low, high] = wilsonInterval(b.wins, b.count);
    return QStringLiteral("確率 %1～%2: %3頭、平均の確率 %4、勝ち %5 (%6)、95%区間 %7～%8")
        .arg(b.low, 0, 'f', 2)
        .arg(b.high, 0, 'f', 2)
        .arg(b.count)
        .arg(b.meanP(), 0, 'f', 4)
        .arg(b.wins)
        .arg(b.count > 0 ? double(b.wins) / b.count : 0.0, 0, 'f', 4)
        .arg(low, 0, 'f', 4)
        .arg(high, 0, 'f', 4);
}

QList<std::pair<double, double>> CalibrationChart::intervals() const
{
    QList<std::pair<double, double>> out;
    for (const QLineSeries *interval : m_intervals)
        if (interval->count() == 2)
            out << std::pair{interval->at(0).y(), interval->at(1).y()};
    return out;
}

QList<QPointF> CalibrationChart::points() const
{
    QList<QPointF> out;
    for (const QScatterSeries *point : m_observed)
        out << point->points();
    return out;
}

QWidget *CalibrationChart::picture() const
{
    return m_view;
}
