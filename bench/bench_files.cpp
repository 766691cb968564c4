#include "editing/undoring.h"
#include "files/documentfile.h"
#include "model/oddsdocument.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The largest document: 36 runners, 36 data columns, every cell filled.
void FillLargest(OddsDocument &doc)
{
    doc.setTxtKazu(0, QStringLiteral("36"));
    doc.setTxtKazu(1, QStringLiteral("36"));
    doc.InitForm();
    for (int r = 2; r < doc.MSFlex.rows(); ++r) {
        doc.MSFlex.setText(r, 2, QStringLiteral("ｷﾙﾚﾙ%1号").arg(r));
        for (int c = 7; c < doc.MSFlex.cols(); ++c)
            doc.MSFlex.setText(r, c, QString::number((r * 37 + c * 11) % 500 + 1));
    }
    doc.Syukei();
}

void BM_SaveLoadRoundTrip(benchmark::State &state)
{
    OddsDocument doc;
    FillLargest(doc);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    for (auto _ : state) {
        const FileResult saved = CsvFileSave(doc, doc.MSFlex, path);
        OddsDocument back;
        const FileResult loaded = LoadCSV(back, path, nullptr);
        if (!saved.ok || !loaded.ok)
            state.SkipWithError("round trip failed");
        benchmark::DoNotOptimize(back.MSFlex.text(37, 42));
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
        EncodeDocument(doc, doc.MSFlex, &bytes);
        OddsDocument back;
        LoadDocumentBytes(back, bytes);
        benchmark::DoNotOptimize(back.MSFlex.text(37, 42));
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
        ring.UndoStock(doc);
        benchmark::DoNotOptimize(ring.UndoBack(doc));
    }
}
BENCHMARK(BM_UndoStockAndBack)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
