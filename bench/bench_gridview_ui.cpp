// Repaint cost of the grid view: a full 36 x 36 grid, every cell visible, with texts and colours.
// Run with QT_QPA_PLATFORM=offscreen; pass --grid-png=<file> to save one painted frame.

#include "core/document/grid.h"
#include "ui/grid/gridview.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

void fill(Grid &grid, int rows, int cols)
{
    grid.setSize(rows, cols);
    grid.setFixedRows(0);
    grid.setFixedCols(1);
    grid.setFontSize(12);
    const QString names[] = {QStringLiteral("投票金"), QStringLiteral("単勝"),
                             QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("予想B")};
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            grid.setCellBackColor(r, c, r % 2 ? rgb(240, 240, 240) : rgb(255, 255, 255));
            if (r == 0)
                grid.setText(r, c, names[c % 4]);
            else if (c == 0)
                grid.setText(r, c, QString::number(r));
            else
                grid.setText(r, c, QString::number(r * 37.5 + c, 'f', 1));
        }
    }
    for (int c = 0; c < cols; ++c)
        grid.setColWidth(c, c == 0 ? 320 : 800);
    grid.setText(2, 2, QStringLiteral("とても長い馬の名前が入ります"));
    grid.setCellBackColor(3, 3, rgb(255, 200, 200));
    grid.setCurrent(2, 3);
    grid.setSelection(5, 6);
}

QSize fullSize(const GridView &view, const Grid &grid)
{
    const QRect last = view.cellRect(grid.rows() - 1, grid.cols() - 1);
    return QSize(last.right() + 4, last.bottom() + 4);
}

void BM_PaintFull36x36(benchmark::State &state)
{
    Grid grid;
    fill(grid, 36, 36);
    GridView view;
    view.setGrid(&grid);
    view.resize(fullSize(view, grid));
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state)
        view.viewport()->repaint(); // synchronous paint into the window's backing store
}
BENCHMARK(BM_PaintFull36x36)->Unit(benchmark::kMillisecond);

// After a recalculation every text may be new, so nothing is shaped yet.
void BM_PaintFull36x36NewTexts(benchmark::State &state)
{
    Grid grid;
    fill(grid, 36, 36);
    GridView view;
    view.setGrid(&grid);
    view.resize(fullSize(view, grid));
    view.show();
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (int r = 1; r < 36; ++r)
            for (int c = 1; c < 36; ++c)
                grid.setText(r, c, QString::number(round * 1000.5 + r * 36 + c, 'f', 1));
        state.ResumeTiming();
        view.viewport()->repaint();
    }
}
BENCHMARK(BM_PaintFull36x36NewTexts)->Unit(benchmark::kMillisecond);

// A document window's worth of a large grid: only the visible cells cost.
void BM_PaintWindowOf200x60(benchmark::State &state)
{
    Grid grid;
    fill(grid, 200, 60);
    GridView view;
    view.setGrid(&grid);
    view.resize(1000, 600);
    view.show();
    view.ensureVisible(150, 40);
    QCoreApplication::processEvents();
    for (auto _ : state)
        view.viewport()->repaint(); // synchronous paint into the window's backing store
}
BENCHMARK(BM_PaintWindowOf200x60)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--grid-png=", 11) == 0) {
            Grid grid;
            fill(grid, 36, 36);
            GridView view;
            view.setGrid(&grid);
            view.resize(700, 400);
            view.show();
            view.grab().save(QString::fromLocal8Bit(argv[i] + 11));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
