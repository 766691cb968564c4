#include "ui/analysis/chartwindow.h"

#include "core/analysis/oddstrend.h"
#include "core/document/oddsdocument.h"
#include "ui/analysis/oddstrendchart.h"
#include "ui/desktop/pngsave.h"
#include "ui/desktop/uicolor.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

namespace {

// The document's first two title lines that hold text: the charts' titles start with them.
QStringList titleLines(const OddsDocument *doc)
{
    QStringList title;
    for (int i = 0; doc && i < 2; ++i)
        if (!doc->titleText(i).trimmed().isEmpty())
            title << doc->titleText(i).trimmed();
    return title;
}

} // namespace

ChartWindow::ChartWindow(DocumentAnalysis *analysis, QWidget *parent)
    : QWidget(parent), m_analysis(analysis)
{
    setObjectName(QStringLiteral("ChartWindow"));
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_tabs = new QTabWidget(this);
    m_view = new QChartView(m_chart);
    m_view->setRenderHint(QPainter::Antialiasing);

    m_bars = new QStackedBarSeries;
    // Lines and markers in neutral dark colours with a white edge, so that they stand out on
    // every bracket colour from white to black.
    m_estimatedEdge = new QLineSeries;
    m_estimatedEdge->setPen(QPen(Qt::white, 5));
    m_estimated = new QLineSeries;
    m_estimated->setName(QStringLiteral("推定単勝オッズ"));
    m_estimated->setPen(QPen(QColor(90, 90, 90), 2));
    m_estimated->setPointsVisible(true);
    m_actual = new QScatterSeries;
    m_actual->setName(QStringLiteral("実単勝オッズ"));
    m_actual->setMarkerSize(11);
    m_actual->setColor(QColor(30, 30, 30));
    m_actual->setBorderColor(Qt::white);
    m_chart->addSeries(m_bars);
    m_chart->addSeries(m_estimatedEdge);
    m_chart->addSeries(m_estimated);
    m_chart->addSeries(m_actual);
    m_chart->legend()->markers(m_estimatedEdge).constFirst()->setVisible(false);
    m_runners = new QBarCategoryAxis;
    m_support = new QValueAxis;
    m_support->setTitleText(QStringLiteral("支持率 (%)"));
    m_support->setLabelFormat(QStringLiteral("%.0f"));
    m_odds = new QLogValueAxis;
    m_odds->setBase(10);
    m_odds->setTitleText(QStringLiteral("単勝オッズ"));
    m_odds->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_runners, Qt::AlignBottom);
    m_chart->addAxis(m_support, Qt::AlignLeft);
    m_chart->addAxis(m_odds, Qt::AlignRight);
    m_bars->attachAxis(m_runners);
    m_bars->attachAxis(m_support);
    for (QXYSeries *line :
         {static_cast<QXYSeries *>(m_estimatedEdge), static_cast<QXYSeries *>(m_estimated),
          static_cast<QXYSeries *>(m_actual)}) {
        line->attachAxis(m_runners);
        line->attachAxis(m_odds);
    }

    auto *save = new QPushButton(QStringLiteral("PNGで保存..."), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    m_trend = new OddsTrendChart;
    m_tabs->addTab(m_view, QStringLiteral("支持率と単勝オッズ"));
    m_tabs->addTab(m_trend, QStringLiteral("オッズ推移"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &ChartWindow::savePngAs);
    connect(analysis, &DocumentAnalysis::updated, this, &ChartWindow::redraw);
    redraw();
}

QBarSet *ChartWindow::bracketSet(int bracket, const RunnerInfo &runner, int runners)
{
    QBarSet *&set = m_sets[size_t(bracket)];
    if (!set) {
        set = new QBarSet(bracket ? QStringLiteral("%1枠").arg(bracket) : QStringLiteral("支持率"));
        set->setBorderColor(QColor(60, 60, 60));
        m_bars->append(set);
    }
    set->setColor(runner.bracketColor == NoColor ? QColor(120, 160, 220)
                                                 : toQColor(runner.bracketColor));
    if (set->count() != runners) {
        set->remove(0, set->count());
        set->append(QList<qreal>(runners, 0.0));
    }
    return set;
}

void ChartWindow::redraw()
{
    if (!m_analysis)
        return;
    const AnalysedRace &race = m_analysis->race();
    const ActualOdds &actualWin = m_analysis->inputs().actualOf(BetType::Win);
    const int n = race.runnerCount();
    QStringList categories;
    QList<QPointF> estimated;
    QList<QPointF> actual;
    std::array<bool, 9> used{};
    double highestOdds = 10;
    double highestSupport = 1;
    for (int i = 0; i < n; ++i) {
        const RunnerInfo &r = race.runners[size_t(i)];
        categories << QStringLiteral("%1 %2").arg(r.number).arg(r.name);
        used[size_t(r.bracket)] = true;
        bracketSet(r.bracket, r, n);
        highestSupport = std::max(highestSupport, r.supportPercent);
        if (r.estimatedWinOdds > 0) {
            estimated.append(QPointF(i, r.estimatedWinOdds));
            highestOdds = std::max(highestOdds, r.estimatedWinOdds);
        }
        if (const auto it = actualWin.find({r.number, 0, 0}); it != actualWin.end()) {
            actual.append(QPointF(i, it->second.odds));
            highestOdds = std::max(highestOdds, it->second.odds);
        }
        for (int b = 0; b < 9; ++b) {
            QBarSet *set = m_sets[size_t(b)];
            const double value = b == r.bracket ? r.supportPercent : 0;
            if (set && set->at(i) != value)
                set->replace(i, value);
        }
    }
    for (int b = 0; b < 9; ++b) {
        if (m_sets[size_t(b)] && !used[size_t(b)]) {
            m_bars->remove(m_sets[size_t(b)]);
            m_sets[size_t(b)] = nullptr;
        }
    }
    m_estimatedEdge->replace(estimated);
    m_estimated->replace(estimated);
    m_actual->replace(actual);
    if (m_runners->categories() != categories) {
        m_runners->clear();
        m_runners->append(categories);
        m_runners->setLabelsAngle(n > 10 ? -90 : 0);
    }
    // The next step of 5 (10 above 50) above the largest support, not a "nice" range that
    // can leave half the chart empty.
    const double step = highestSupport > 50 ? 10 : 5;
    const double top = std::ceil(highestSupport / step) * step;
    m_support->setRange(0, top);
    m_support->setTickCount(int(top / step) + 1);
    m_odds->setRange(1, std::pow(10, std::ceil(std::log10(highestOdds))));
    QStringList title = titleLines(m_analysis->document());
    title << (race.error.isEmpty() ? QStringLiteral("支持率 (%) と単勝オッズ") : race.error);
    m_chart->setTitle(title.join(QStringLiteral("　")));
    redrawTrend();
}

void ChartWindow::redrawTrend()
{
    const AnalysedRace &race = m_analysis->race();
    const OddsTrend trend = winOddsTrend(m_analysis->inputs(), race.runnerCount());
    QStringList title = titleLines(m_analysis->document());
    title << (trend.snapshots.empty() ? QStringLiteral("単勝の実オッズがありません")
                                      : QStringLiteral("単勝オッズの推移"));
    m_trend->setTrend(trend, race.runners, title.join(QStringLiteral("　")));
}

QWidget *ChartWindow::shownChart() const
{
    return m_tabs->currentWidget();
}

QString ChartWindow::savePng(const QString &path)
{
    return saveWidgetPng(shownChart(), path);
}

void ChartWindow::savePngAs()
{
    saveWidgetPngAs(shownChart(),
                    shownChart() == m_trend ? QStringLiteral("oddstrend.png")
                                            : QStringLiteral("chart.png"),
                    QStringLiteral("グラフを保存"));
}
