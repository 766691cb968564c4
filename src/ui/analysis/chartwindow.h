#pragma once
// The charts of one document. 支持率: each runner's support as a bar in its bracket's colour,
// the estimated win odds (and the actual ones where entered) as lines on a second axis.
// オッズ推移: each runner's win odds over the win snapshots.

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
class QTabWidget;
class QValueAxis;
class OddsTrendChart;

class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWindow(DocumentAnalysis *analysis, QWidget *parent = nullptr);

    // Shows the analysis as it is now; the series and axes stay, their values change.
    void redraw();
    // The chart shown, saved; empty text when saved, else why not.
    QString savePng(const QString &path);
    void savePngAs();

    QChart *chart() const { return m_chart; }
    QChartView *chartView() const { return m_view; }
    QValueAxis *supportAxis() const { return m_support; }
    QTabWidget *tabs() const { return m_tabs; }
    OddsTrendChart *trendChart() const { return m_trend; }

private:
    void redrawTrend();
    QWidget *shownChart() const;
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
    QTabWidget *m_tabs;
    OddsTrendChart *m_trend;
};
