// Pagination and drawing of one page of a 38 x 43 table, into the preview picture (screen
// resolution) and into a 300-dpi printer-sized image. Target: 20 ms a page or less.
#include "core/printlayout/printlayout.h"
#include "ui/print/paintersurface.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

Grid table()
{
    Grid g;
    g.setSize(38, 43);
    g.setFixedRows(1);
    g.setFontName(QStringLiteral("IPAGothic"));
    for (int c = 0; c < 43; ++c) {
        g.setColWidth(c, c == 2 ? 2000 : 700);
        g.setColAlignment(c, c == 2 ? 1 : 7);
        g.setText(0, c, QStringLiteral("データ%1").arg(c));
    }
    for (int r = 1; r < 38; ++r) {
        g.setText(r, 2, QStringLiteral("サンプルホース%1").arg(r));
        for (int c = 0; c < 43; ++c)
            if (c != 2)
                g.setText(r, c, QString::number(r * 13.7 + c, 'f', 1));
    }
    return g;
}

struct Setup
{
    Grid grid = table();
    PainterSurface surface{FallbackPageGeometry.printableWidth,
                           FallbackPageGeometry.printableHeight};
    PrintLayout layout;
    Setup()
    {
        layout.preview = &surface;
        layout.setup(&grid, QStringLiteral("集計:Race 11(\\R)2003/12/15"), 9, false, false, true);
    }
};

void drawPage(benchmark::State &state, double dpi)
{
    Setup s;
    const double scale = dpi / 1440.0;
    QImage image(int(FallbackPageGeometry.printableWidth * scale),
                 int(FallbackPageGeometry.printableHeight * scale), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        s.surface.begin(&painter);
        s.layout.initPrintData();
        s.layout.writeTitle(DevicePreview);
        s.layout.writeFooter(1, DevicePreview);
        s.layout.writeGrid(1, DevicePreview);
        s.surface.end();
    }
    state.counters["rows/page"] = s.layout.data[0].rowsPerPage;
}

void BM_Paginate(benchmark::State &state)
{
    Setup s;
    for (auto _ : state) {
        s.layout.initPrintData();
        benchmark::DoNotOptimize(s.layout.data[0].pageCount);
    }
}
BENCHMARK(BM_Paginate)->Unit(benchmark::kMillisecond);

// Layout alone: measuring and cutting texts, without rasterising them.
void BM_LayoutPageOnly(benchmark::State &state)
{
    Setup s;
    s.layout.initPrintData();
    for (auto _ : state) {
        RecordingSurface recorder(s.surface);
        s.layout.preview = &recorder;
        s.layout.writeTitle(DevicePreview);
        s.layout.writeFooter(1, DevicePreview);
        s.layout.writeGrid(1, DevicePreview);
        s.layout.preview = &s.surface;
    }
}
BENCHMARK(BM_LayoutPageOnly)->Unit(benchmark::kMillisecond);

void BM_PreviewPage(benchmark::State &state)
{
    drawPage(state, 96);
}
BENCHMARK(BM_PreviewPage)->Unit(benchmark::kMillisecond);

void BM_Printer300DpiPage(benchmark::State &state)
{
    drawPage(state, 300);
}
BENCHMARK(BM_Printer300DpiPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
