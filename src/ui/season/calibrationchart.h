#pragma once
// How well calibrated the win probabilities were: per bin the mean probability against the
// share of winners with its Wilson 95 % interval, and the diagonal a calibrated model lies on.
// A bin's count and numbers are in the tooltip of its point, not in labels that collide.

#include "core/season/season.h"

#include <QWidget>

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;

class CalibrationChart : public QWidget
{
    Q_OBJECT
public:
    explicit CalibrationChart(QWidget *parent = nullptr);
    void setBins(const std::array<CalibrationBin, 9> &bins);

    // The points shown: mean p and the observed win frequency, for the bins with runners.
    QList<QPointF> points() const;
    // The intervals drawn: per bin with runners its low and high share of winners.
    QList<std::pair<double, double>> intervals() const;
    // What the tooltip of a bin's point says.
    static QString binText(const CalibrationBin &bin);
    // The chart itself, whole even while its room scrolls.
    QWidget *picture() const;

private:
    QChart *m_chart;
    QChartView *m_view;
    // One series per bin, so that each point's label can show its own runner count.
    std::array<QScatterSeries *, 9> m_observed{};
    std::array<QLineSeries *, 9> m_intervals{};
    std::array<CalibrationBin, 9> m_bins{};
    QLineSeries *m_diagonal;
};
