#include "core/document/oddsdocument.h"
#include "core/editing/undoring.h"
#include "core/file/documentfile.h"
#include "core/settings/recentfiles.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The largest document: 36 runners, 36 data columns, every cell filled.
void fillLargest(OddsDocument &doc)
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
    fillLargest(doc);
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
    fillLargest(doc);
    for (auto _ : state) {
        QByteArray bytes;
        encodeDocument(doc, doc.runnerTable, &bytes);
        OddsDocument back;
        loadDocumentBytes(back, bytes);
        benchmark::DoNotOptimize(back.runnerTable.text(37, 42));
    }
}
BENCHMARK(BM_EncodeDecodeInMemory)->Unit(benchmark::kMicrosecond);

// One undo step: a snapshot and its restore.
void BM_UndoStockAndBack(benchmark::State &state)
{
    OddsDocument doc;
    fillLargest(doc);
    UndoRing ring;
    for (auto _ : state) {
        ring.pushUndo(doc);
        benchmark::DoNotOptimize(ring.undo(doc));
    }
}
BENCHMARK(BM_UndoStockAndBack)->Unit(benchmark::kMicrosecond);

// Hostile inputs at the size limit (64 MiB): the read must stay bounded in time and memory.
// Peak memory of the same inputs through kirrel-cli is measured with /usr/bin/time -v.
enum HostileKind { ShortLines, LoneCrs, OneLineOfCommas, OverlongCell, LargestAccepted };

QByteArray hostile(HostileKind kind)
{
    constexpr qsizetype Size = MaxDocumentBytes;
    QByteArray bytes("\x8f\x63\x98\x67,\x89\xa1\x98\x67,a,b,c,x,y\r\n36,36,a,b,c,85,1\r\n");
    switch (kind) {
    case ShortLines:
        while (bytes.size() + 2 <= Size)
            bytes += "1\r";
        break;
    case LoneCrs:
        bytes += QByteArray(Size - bytes.size(), '\r');
        break;
    case OneLineOfCommas:
        bytes += QByteArray(Size - bytes.size(), ',');
        break;
    case OverlongCell:
        bytes += "1,2," + QByteArray(20 * 1024 * 1024, 'x');
        break;
    case LargestAccepted:
        // 38 rows of 43 cells of MaxCellText double-byte characters.
        for (int r = 0; r < 38; ++r) {
            for (int c = 0; c < 43; ++c) {
                for (qsizetype i = 0; i < MaxCellText; ++i)
                    bytes += "\x94\x6e";
                bytes += c < 42 ? ',' : '\r';
            }
        }
        break;
    }
    return bytes;
}

void BM_ReadHostile(benchmark::State &state)
{
    const QByteArray bytes = hostile(HostileKind(state.range(0)));
    for (auto _ : state) {
        OddsDocument doc;
        doc.buildTable();
        benchmark::DoNotOptimize(loadDocumentBytes(doc, bytes).ok);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadHostile)
    ->ArgName("kind")
    ->DenseRange(ShortLines, LargestAccepted)
    ->Unit(benchmark::kMillisecond);

// The largest accepted document recalculated: every per-cell operation on cells at the cap.
void BM_RecalculateLargestAccepted(benchmark::State &state)
{
    OddsDocument doc;
    doc.buildTable();
    loadDocumentBytes(doc, hostile(LargestAccepted));
    for (auto _ : state)
        doc.recalculate();
}
BENCHMARK(BM_RecalculateLargestAccepted)->Unit(benchmark::kMillisecond);

// One open or save with a long recent-file list: one settings write, whatever the length.
void BM_AddRecentFile(benchmark::State &state)
{
    QTemporaryDir dir;
    RecentFileList list(dir.filePath(QStringLiteral("KirrelSys.ini")));
    for (int i = 0; i < state.range(0); ++i)
        list.insertItem(i, QStringLiteral("/home/user/races/race%1.csv").arg(i));
    list.add(QStringLiteral("/home/user/races/race0.csv"));
    for (auto _ : state)
        list.add(QStringLiteral("/home/user/races/race%1.csv").arg(state.iterations() % 7));
}
BENCHMARK(BM_AddRecentFile)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
