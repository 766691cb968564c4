// The analysis window over an 18-runner race: switching to the trifecta (4,896 tickets) and
// showing the sorted table, sorting it, pasting the 153 quinella odds of a matrix, and
// redrawing the chart after a recalculation. Run with QT_QPA_PLATFORM=offscreen;
// --analysis-png=<file> and
// --chart-png=<file> save one frame of each.

#include "core/analysis/documentanalysis.h"
#include "core/document/oddsdocument.h"
#include "core/editing/clipboardrange.h"
#include "ui/analysis/analysiswindow.h"
#include "ui/analysis/chartwindow.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int Runners = 18;

OddsDocument race()
{
    OddsDocument doc;
    doc.setCountText(0, QString::number(Runners));
    doc.buildTable();
    doc.runnerTable.setText(RatioRow, FirstDataCol, QStringLiteral("1"));
    for (int r = 1; r <= Runners; ++r) {
        doc.runnerTable.setText(r + 1, ColName, QStringLiteral("ﾃｽﾄﾎｰｽ%1").arg(r));
        doc.runnerTable.setText(r + 1, FirstDataCol, QString::number(40 + (r * 37) % 97));
    }
    return doc;
}

// The quinella view of the race, copied whole: 153 estimates in the matrix layout.
QString quinellaMatrixText(OddsDocument doc)
{
    doc.recalculate();
    doc.estimateQuinella();
    Grid &g = doc.quinellaMatrix;
    g.setCurrent(0, 0);
    g.setSelection(g.rows() - 1, g.cols() - 1);
    return copyRange(g, false);
}

struct Fixture
{
    OddsDocument doc = race();
    DocumentAnalysis analysis{&doc};
    AnalysisWindow window{&analysis};
    Fixture()
    {
        window.resize(1000, 700);
        window.show();
        if (!analysis.race().error.isEmpty())
            qFatal("%s", qPrintable(analysis.race().error));
    }
};

void BM_SwitchToTrifectaAndShowSorted(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.window.setBetType(BetType::Win);
        state.ResumeTiming();
        f.window.setBetType(BetType::Trifecta);
        f.window.view()->viewport()->repaint();
    }
    state.counters["rows"] = f.window.view()->model()->rowCount();
}
BENCHMARK(BM_SwitchToTrifectaAndShowSorted)->Unit(benchmark::kMillisecond);

void BM_SortTrifectaRows(benchmark::State &state)
{
    Fixture f;
    f.window.setBetType(BetType::Trifecta);
    int column = 0;
    for (auto _ : state) {
        // Alternating columns: every sort starts from another order.
        column = column == 2 ? 0 : 2;
        f.window.view()->sortByColumn(column, Qt::AscendingOrder);
        f.window.view()->viewport()->repaint();
    }
}
BENCHMARK(BM_SortTrifectaRows)->Unit(benchmark::kMillisecond);

void BM_PasteQuinellaMatrix(benchmark::State &state)
{
    Fixture f;
    f.window.setBetType(BetType::Quinella);
    const QString text = quinellaMatrixText(f.doc);
    for (auto _ : state) {
        state.PauseTiming();
        AnalysisInputs cleared = f.analysis.inputs();
        cleared.actualOf(BetType::Quinella).clear();
        f.analysis.state().setInputs(cleared);
        state.ResumeTiming();
        if (!f.window.pasteText(text))
            state.SkipWithError("the matrix was refused");
        f.window.view()->viewport()->repaint();
    }
}
BENCHMARK(BM_PasteQuinellaMatrix)->Unit(benchmark::kMillisecond);

void BM_ChartRedraw(benchmark::State &state)
{
    OddsDocument doc = race();
    DocumentAnalysis analysis(&doc);
    ChartWindow chart(&analysis);
    chart.resize(900, 600);
    chart.show();
    AnalysisInputs inputs = analysis.inputs();
    for (auto _ : state) {
        // Another beta: the race is analysed again and every bar and point moves.
        inputs.parameters.beta = inputs.parameters.beta == 1.0 ? 1.3 : 1.0;
        analysis.state().setInputs(inputs);
        chart.repaint();
        QCoreApplication::processEvents(); // the scene lays itself out and paints
    }
}
BENCHMARK(BM_ChartRedraw)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--analysis-png=", 15) == 0) {
            Fixture f;
            f.window.setBetType(BetType::Quinella);
            f.window.pasteText(quinellaMatrixText(f.doc));
            f.window.grab().save(QString::fromLocal8Bit(argv[i] + 15));
        } else if (std::strncmp(argv[i], "--chart-png=", 12) == 0) {
            OddsDocument doc = race();
            DocumentAnalysis analysis(&doc);
            ChartWindow chart(&analysis);
            chart.resize(900, 600);
            chart.show();
            chart.grab().save(QString::fromLocal8Bit(argv[i] + 12));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
