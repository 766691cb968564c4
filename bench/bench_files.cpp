#include "core/document/oddsdocument.h"
#include "core/editing/undoring.h"
#include "core/file/documentfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The largest document: 36 runners, 36 data columns, every cell filled.
void FillLargest(OddsDocument &doc)
{
    doc.setCountText(0, QStringLiteral("36"));
    doc.setCountText(1, QStringLiteral("36"));
    doc.buildTable();
    for (int r = 2; r < doc.runnerTable.rows(); ++r) {
        doc.runnerTable.setText(r, 2, QStringLiteral("ｷﾙﾚﾙ%1号").arg(r));
        for (int c = 7; c < doc.runnerTable.cols(); ++c)
            doc.runnerTable.setText(r, c, QString::number((r * 37 + c * 11) % 500 + 1));
    }
    doc.recalculate();
}

void BM_SaveLoadRoundTrip(benchmark::State &state)
{
    OddsDocument doc;
    FillLargest(doc);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    for (auto _ : state) {
        const FileResult saved = writeDocument(doc, doc.runnerTable, path);
        OddsDocument back;
        const FileResult loaded = loadDocument(back, path);
        if (!saved.ok || !loaded.ok)
            state.SkipWithError("round trip failed");
        benchmark::DoNotOptimize(back.runnerTable.text(37, 42));
    }
}
BENCHMARK(BM_SaveLoadRoundTrip)->Unit(benchmark::kMicrosecond);

// The same without the disk: encoding, decoding and filling only.
void BM_EncodeDecodeInMemory(benchmark::State &state)
{
    OddsDocument doc;
    FillLargest(doc);
    for (auto _ : state) {
        QByteArray bytes;
        EncodeDocument(doc, doc.runnerTable, &bytes);
        OddsDocument back;
        LoadDocumentBytes(back, bytes);
        benchmark::DoNotOptimize(back.runnerTable.text(37, 42));
    }
}
BENCHMARK(BM_EncodeDecodeInMemory)->Unit(benchmark::kMicrosecond);

// One undo step: a snapshot and its restore.
void BM_UndoStockAndBack(benchmark::State &state)
{
    OddsDocument doc;
    FillLargest(doc);
    UndoRing ring;
    for (auto _ : state) {
        ring.pushUndo(doc);
        benchmark::DoNotOptimize(ring.undo(doc));
    }
}
BENCHMARK(BM_UndoStockAndBack)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
