#pragma once
// The support chart of one document: each runner's support as a bar in its bracket's colour,
// the estimated win odds (and the actual ones where entered) as lines on a second axis.

#include "core/analysis/documentanalysis.h"

#include <QPointer>
#include <QWidget>

class QChart;
class QChartView;

class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWindow(DocumentAnalysis *analysis, QWidget *parent = nullptr);

    // Builds the chart again from the analysis.
    void redraw();
    // Empty text when saved, else why not.
    QString savePng(const QString &path);
    void savePngAs();

    QChart *chart() const { return m_chart; }
    QChartView *chartView() const { return m_view; }

private:
    QPointer<DocumentAnalysis> m_analysis;
    QChart *m_chart;
    QChartView *m_view;
};
