#include "ui/season/calibrationchart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
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

    m_bandHigh = new QLineSeries(this);
    m_bandLow = new QLineSeries(this);
    m_band = new QAreaSeries(m_bandHigh, m_bandLow);
    m_band->setName(QStringLiteral("±2σ"));
    m_band->setColor(QColor(120, 160, 220, 70));
    m_band->setBorderColor(QColor(120, 160, 220, 140));
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
    QList<QAbstractSeries *> all = {m_band, m_diagonal};
    for (QScatterSeries *&bin : m_observed) {
        bin = new QScatterSeries;
        bin->setName(QStringLiteral("実際の勝率"));
        bin->setMarkerSize(9);
        bin->setColor(QColor(200, 60, 40));
        bin->setBorderColor(QColor(200, 60, 40));
        bin->setPointLabelsVisible(true);
        bin->setPointLabelsClipping(false);
        all << bin;
    }
    for (QAbstractSeries *series : all) {
        m_chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    for (size_t i = 1; i < m_observed.size(); ++i)
        for (QLegendMarker *marker : m_chart->legend()->markers(m_observed[i]))
            marker->setVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void CalibrationChart::setBins(const std::array<CalibrationBin, 9> &bins)
{
    QList<QPointF> high, low;
    for (size_t i = 0; i < bins.size(); ++i) {
        const CalibrationBin &b = bins[i];
        QScatterSeries *point = m_observed[i];
        point->clear();
        if (b.count == 0)
            continue;
        const double p = b.meanP();
        const double sigma = std::sqrt(p * (1 - p) / b.count);
        point->append(p, double(b.wins) / b.count);
        point->setPointLabelsFormat(QString::number(b.count));
        high << QPointF(p, std::min(1.0, p + 2 * sigma));
        low << QPointF(p, std::max(0.0, p - 2 * sigma));
    }
    m_bandHigh->replace(high);
    m_bandLow->replace(low);
}

QList<QPointF> CalibrationChart::points() const
{
    QList<QPointF> out;
    for (const QScatterSeries *point : m_observed)
        out << point->points();
    return out;
}
