#include "ui/analysis/chartwindow.h"

#include "ui/desktop/dialogs.h"
#include "ui/desktop/uicolor.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

ChartWindow::ChartWindow(DocumentAnalysis *analysis, QWidget *parent)
    : QWidget(parent), m_analysis(analysis)
{
    setObjectName(QStringLiteral("ChartWindow"));
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    auto *save = new QPushButton(QStringLiteral("PNGで保存..."), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &ChartWindow::savePngAs);
    connect(analysis, &DocumentAnalysis::updated, this, &ChartWindow::redraw);
    redraw();
}

void ChartWindow::redraw()
{
    if (!m_analysis)
        return;
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }

    const AnalysedRace &race = m_analysis->race();
    const ActualOdds &actualWin = m_analysis->inputs().actualOf(BetType::Win);
    const int n = race.runnerCount();
    QStringList categories;
    // One set per bracket, stacked, so that every bar takes its runner's bracket colour.
    std::array<QBarSet *, 9> sets{};
    auto *bars = new QStackedBarSeries;
    auto *estimated = new QLineSeries;
    estimated->setName(QStringLiteral("推定単勝オッズ"));
    auto *actual = new QScatterSeries;
    actual->setName(QStringLiteral("実単勝オッズ"));
    actual->setMarkerSize(9);
    double highestOdds = 10;
    double highestSupport = 1;
    for (int i = 0; i < n; ++i) {
        const RunnerInfo &r = race.runners[size_t(i)];
        categories << QStringLiteral("%1 %2").arg(r.number).arg(r.name);
        const int b = r.bracket;
        if (!sets[size_t(b)]) {
            sets[size_t(b)] =
                new QBarSet(b ? QStringLiteral("%1枠").arg(b) : QStringLiteral("支持率"));
            sets[size_t(b)]->setColor(r.bracketColor == NoColor ? QColor(120, 160, 220)
                                                                : ToQColor(r.bracketColor));
            sets[size_t(b)]->setBorderColor(QColor(60, 60, 60));
            for (int k = 0; k < n; ++k)
                sets[size_t(b)]->append(0);
        }
        sets[size_t(b)]->replace(i, r.supportPercent);
        highestSupport = std::max(highestSupport, r.supportPercent);
        if (r.estimatedWinOdds > 0) {
            estimated->append(i, r.estimatedWinOdds);
            highestOdds = std::max(highestOdds, r.estimatedWinOdds);
        }
        if (const auto it = actualWin.find({r.number, 0, 0}); it != actualWin.end()) {
            actual->append(i, it->second);
            highestOdds = std::max(highestOdds, it->second);
        }
    }
    for (QBarSet *set : sets)
        if (set)
            bars->append(set);
    bars->setName(QStringLiteral("支持率"));
    m_chart->addSeries(bars);
    m_chart->addSeries(estimated);
    m_chart->addSeries(actual);
    m_chart->setTitle(race.error.isEmpty() ? QStringLiteral("支持率 (%) と単勝オッズ")
                                           : race.error);

    auto *runners = new QBarCategoryAxis;
    runners->append(categories);
    runners->setLabelsAngle(n > 10 ? -90 : 0);
    auto *support = new QValueAxis;
    support->setRange(0, std::ceil(highestSupport / 5) * 5);
    support->setTitleText(QStringLiteral("支持率 (%)"));
    support->setLabelFormat(QStringLiteral("%.0f"));
    auto *odds = new QLogValueAxis;
    odds->setBase(10);
    odds->setRange(1, std::pow(10, std::ceil(std::log10(highestOdds))));
    odds->setTitleText(QStringLiteral("単勝オッズ"));
    odds->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(runners, Qt::AlignBottom);
    m_chart->addAxis(support, Qt::AlignLeft);
    m_chart->addAxis(odds, Qt::AlignRight);
    bars->attachAxis(runners);
    bars->attachAxis(support);
    for (QXYSeries *line :
         {static_cast<QXYSeries *>(estimated), static_cast<QXYSeries *>(actual)}) {
        line->attachAxis(runners);
        line->attachAxis(odds);
    }
}

QString ChartWindow::savePng(const QString &path)
{
    const QPixmap picture = m_view->grab();
    QSaveFile file(path);
    if (picture.isNull() || !file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") ||
        !file.flush() || !file.commit())
        return QStringLiteral("%1 に保存できませんでした。%2").arg(path, file.errorString());
    return {};
}

void ChartWindow::savePngAs()
{
    FileDialogRequest request;
    request.save = true;
    request.filters = {QStringLiteral("PNG画像"), QStringLiteral("*.png")};
    request.folder = QDir::currentPath() + u'/';
    request.fileName = QStringLiteral("chart.png");
    request.title = QStringLiteral("グラフを保存");
    QString path = RunFileDialog(this, request);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    const QString error = savePng(path);
    if (error.isEmpty())
        return;
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = error;
    box.icon = MsgIcon::Warning;
    ShowMessageBox(this, box);
}
