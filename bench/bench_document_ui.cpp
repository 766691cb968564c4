// Enter in the cell editor until the window is painted again: commit, undo snapshot, column
// fitting with real font metrics, the full recalculation, the editor reopening one row down and
// a synchronous repaint, on a 36 x 36 runner table (34 runners, 29 data columns).
// Run with QT_QPA_PLATFORM=offscreen.

#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

namespace {

void sendKey(QWidget *target, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void fill(DocumentWindow &win)
{
    OddsDocument &doc = win.document();
    doc.setCountText(0, QStringLiteral("34"));
    doc.setCountText(1, QStringLiteral("29"));
    win.buildTable();
    Grid &g = doc.runnerTable;
    for (int r = 2; r < g.rows(); ++r) {
        g.setText(r, 2, QStringLiteral("ｷﾙﾚﾙﾎﾞｰｲ%1").arg(r));
        for (int c = 7; c < g.cols(); ++c) {
            // Stakes, odds and points, so every kind of weighted column is computed.
            const double v = c == 8 ? 1.5 + r * 0.7 : 100.0 * ((r * 7 + c * 3) % 23 + 1);
            g.setText(r, c, QString::number(v));
        }
    }
    win.recalculate();
}

void runCommits(benchmark::State &state, QSize size)
{
    DocumentWindow win{QString()};
    fill(win);
    win.resize(size);
    win.show();
    QCoreApplication::processEvents();
    const Grid &g = win.document().runnerTable;
    if (g.rows() != 36 || g.cols() != 36) {
        state.SkipWithError("table is not 36 x 36");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        win.runnerTable->setFocus();
        win.runnerTable->setCurrentCell(2 + round % 33, 7 + round % 29);
        if (g.col() == 8 || (g.col() >= 3 && g.col() <= 5))
            win.runnerTable->setCurrentCell(g.row(), 7);
        sendKey(win.runnerTable, Qt::Key_1, QStringLiteral("1"));
        win.cellEditor->setText(QString::number(100 + round));
        state.ResumeTiming();

        sendKey(win.cellEditor, Qt::Key_Return, QStringLiteral("\r"));
        win.repaint();
    }
    state.counters["undo_pos"] = win.undoRing().undoPos();
}

void BM_EnterCommitDesignedWindow(benchmark::State &state)
{
    runCommits(state, {960, 620});
}
BENCHMARK(BM_EnterCommitDesignedWindow)->Unit(benchmark::kMillisecond);

// Every cell of the table in view.
void BM_EnterCommitWholeTableInView(benchmark::State &state)
{
    runCommits(state, {2600, 1100});
}
BENCHMARK(BM_EnterCommitWholeTableInView)->Unit(benchmark::kMillisecond);

// The recalculation alone, for comparison.
void BM_RecalculateInWindow36x36(benchmark::State &state)
{
    DocumentWindow win{QString()};
    fill(win);
    for (auto _ : state)
        win.document().recalculate();
}
BENCHMARK(BM_RecalculateInWindow36x36)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
