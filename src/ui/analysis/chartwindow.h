#pragma once
// The support chart of one document: each runner's support as a bar in its bracket's colour,
// the estimated win odds (and the actual ones where entered) as lines on a second axis.

#include "core/analysis/documentanalysis.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;
class QStackedBarSeries;
class QValueAxis;

class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWindow(DocumentAnalysis *analysis, QWidget *parent = nullptr);

    // Shows the analysis as it is now; the series and axes stay, their values change.
    void redraw();
    // Empty text when saved, else why not.
    QString savePng(const QString &path);
    void savePngAs();

    QChart *chart() const { return m_chart; }
    QChartView *chartView() const { return m_view; }
    QValueAxis *supportAxis() const { return m_support; }

private:
    QBarSet *bracketSet(int bracket, const RunnerInfo &runner, int runners);

    QPointer<DocumentAnalysis> m_analysis;
    QChart *m_chart;
    QChartView *m_view;
    QStackedBarSeries *m_bars;
    // One set per bracket (0: none), stacked, so that every bar takes its bracket's colour.
    std::array<QBarSet *, 9> m_sets{};
    QLineSeries *m_estimatedEdge; // a wider white line under the estimated odds
    QLineSeries *m_estimated;
    QScatterSeries *m_actual;
    QBarCategoryAxis *m_runners;
    QValueAxis *m_support;
    QLogValueAxis *m_odds;
};
