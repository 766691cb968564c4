#pragma once
// How well calibrated the win probabilities were: per bin the mean probability against the
// share of winners, the diagonal a calibrated model lies on, and the ±2σ band it would stay in.

#include "core/season/season.h"

#include <QWidget>

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QAreaSeries;

class CalibrationChart : public QWidget
{
    Q_OBJECT
public:
    explicit CalibrationChart(QWidget *parent = nullptr);
    void setBins(const std::array<CalibrationBin, 9> &bins);

    // The points shown: mean p and the observed win frequency, for the bins with runners.
    QList<QPointF> points() const;

private:
    QChart *m_chart;
    QChartView *m_view;
    // One series per bin, so that each point's label can show its own runner count.
    std::array<QScatterSeries *, 9> m_observed{};
    QLineSeries *m_diagonal;
    QLineSeries *m_bandHigh;
    QLineSeries *m_bandLow;
    QAreaSeries *m_band;
};
