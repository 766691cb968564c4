// Start-up to the first document window shown, and the memory of twenty open documents.
// The process-level figures run this program again as a child, so they include creating the
// application object, the font set-up and the dynamic loading of a real start.
#include "ui/desktop/fonts.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

QString g_program;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void waitShown(MainWindow &w)
{
    while (!(w.activeDocument() && w.activeDocument()->isVisible() && w.isVisible()))
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// An 18-runner template, so every new document is a full race.
void writeTemplate(const QString &appFolder)
{
    MainWindow w(appFolder);
    DocumentWindow *doc = w.newDocumentWindow();
    doc->document().setCountText(0, QStringLiteral("18"));
    doc->buildTable();
    doc->saveDocument(appFolder + QStringLiteral("Default.def"));
}

// Child: start as the program does and report when the first document is on screen.
int childStartUp()
{
    QElapsedTimer timer;
    timer.start();
    int argc = 1;
    char name[] = "kirrel";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    registerJapaneseFontSubstitutes();
    QTemporaryDir dir;
    MainWindow w(dir.path() + u'/');
    w.startUp();
    waitShown(w);
    std::printf("%lld\n", static_cast<long long>(timer.nsecsElapsed()));
    std::fflush(stdout);
    return 0;
}

// Child: twenty documents from the template, then the resident size.
int childMemory()
{
    int argc = 1;
    char name[] = "kirrel";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    registerJapaneseFontSubstitutes();
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    writeTemplate(folder);
    MainWindow w(folder);
    w.startUp();
    waitShown(w);
    const double before = residentMegabytes();
    while (w.documents().size() < 20)
        w.newDocumentWindow();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    std::printf("%f %f\n", residentMegabytes(), before);
    std::fflush(stdout);
    return 0;
}

QByteArray runChild(const char *mode)
{
    QProcess child;
    child.start(g_program, {QString::fromLatin1(mode)});
    child.waitForFinished(60000);
    return child.readAllStandardOutput().trimmed();
}

void BM_ProcessStartUpToFirstDocument(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const QByteArray inside = runChild("--child-startup");
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["in_process_ms"] = inside.toDouble() / 1e6;
    }
}
BENCHMARK(BM_ProcessStartUpToFirstDocument)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The same steps with the application and fonts already warm.
void BM_StartUpToFirstDocument(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    for (auto _ : state) {
        auto w = std::make_unique<MainWindow>(folder);
        w->startUp();
        waitShown(*w);
        state.PauseTiming();
        w.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstDocument)->Unit(benchmark::kMillisecond);

void BM_TwentyDocumentsResident(benchmark::State &state)
{
    for (auto _ : state) {
        const QList<QByteArray> fields = runChild("--child-memory").split(' ');
        if (fields.size() == 2) {
            state.counters["resident_MB"] = fields[0].toDouble();
            state.counters["before_MB"] = fields[1].toDouble();
        }
    }
}
BENCHMARK(BM_TwentyDocumentsResident)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--child-startup") == 0)
        return childStartUp();
    if (argc > 1 && std::strcmp(argv[1], "--child-memory") == 0)
        return childMemory();

    QApplication app(argc, argv);
    registerJapaneseFontSubstitutes();
    g_program = QCoreApplication::applicationFilePath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
