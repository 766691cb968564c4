#pragma once
// Room for a chart's axes. A chart squeezed below the size its title, axis titles, tick labels
// and legend need draws its labels as "…"; a large scale factor or font makes that happen in an
// ordinary window. The chart view gets a smallest size from its fonts and sits in a scroll area
// that scrolls instead of squeezing it further.

class QChartView;
class QScrollArea;
class QWidget;

// The scroll area holding the view, to be placed where the view would be.
QScrollArea *chartWithRoom(QChartView *view, QWidget *parent);
// Sets the view's smallest size again; call after the chart's title gains or loses lines.
void updateChartRoom(QChartView *view);
