// Printing through a real CUPS queue that writes PDF files (scripts/cups-test.sh sets it up
// and exports CUPS_SERVER, KIRREL_CUPS_PDF_OUT and KIRREL_CUPS_QUEUE). Skips with the reason
// when there is none.
#include "ui/desktop/dialogs.h"
#include "ui/print/printpreviewwindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

Grid raceTable(int rows)
{
    Grid g;
    g.setSize(rows, 10);
    g.setFixedRows(1);
    for (int c = 0; c < 10; ++c) {
        g.setColWidth(c, c == 2 ? 2400 : 1000);
        g.setText(0, c, QStringLiteral("項目%1").arg(c));
    }
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < 10; ++c)
            g.setText(r, c, c == 2 ? QStringLiteral("ウマ%1").arg(r) : QString::number(r + c));
    return g;
}

int pdfinfoPages(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(QString::fromLocal8Bit(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool queueEmpty()
{
    QProcess p;
    p.start(QStringLiteral("lpstat"), {QStringLiteral("-o")});
    return p.waitForFinished(5000) && p.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

class tst_PrintCups : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void printAllPages();
    void cancelDiscardsEveryPage();
    void pdfButtonHasSamePages();

private:
    QStringList outputFiles() const;
    // Waits until the queue is idle and at least count files arrived.
    bool waitForFiles(int count);
    QDir m_out;
    Grid m_grid;
    QStringList m_errors;
};

void tst_PrintCups::initTestCase()
{
    const QString out = qEnvironmentVariable("KIRREL_CUPS_PDF_OUT");
    if (out.isEmpty())
        QSKIP("no test print queue: run through scripts/test.sh, which starts one "
              "(CUPS could not start, or the tests ran on their own)");
    if (QPrinterInfo::defaultPrinter().isNull())
        QSKIP("the test print queue does not answer: no default printer");
    // Pages go to this run's own queue, never to one that another run on the machine set up.
    const QString queue = qEnvironmentVariable("KIRREL_CUPS_QUEUE");
    if (!queue.isEmpty())
        QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), queue);
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    m_out.setPath(out);
    DialogHooks::messageBox = [this](const MessageBoxRequest &r) {
        m_errors.append(r.title + QLatin1Char(' ') + r.text);
        return MsgAnswer::Ok;
    };
}

void tst_PrintCups::init()
{
    m_errors.clear();
    QVERIFY(waitForFiles(0));
    for (const QString &f : outputFiles())
        QFile::remove(m_out.filePath(f));
    m_grid = raceTable(38);
}

void tst_PrintCups::cleanup()
{
    if (PrintPreviewWindow *w = PrintPreviewWindow::existing())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList tst_PrintCups::outputFiles() const
{
    return m_out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

bool tst_PrintCups::waitForFiles(int count)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        if (outputFiles().size() >= count && queueEmpty())
            return true;
        QTest::qWait(100);
    }
    return false;
}

void tst_PrintCups::printAllPages()
{
    PrintPreviewWindow *w = PrintPreviewWindow::instance();
    w->showGrid(&m_grid, QStringLiteral("集計:Race 11:2003/12/15"), 12, false, false, false);
    QVERIFY(w->printerAvailable());
    const int pages = w->layout().data[DevicePrinter].pageCount;
    QVERIFY2(pages >= 2, "12-point type should need more than one page for 38 rows");

    w->runCommand(PrintPreviewWindow::PrintAllPages);
    QCOMPARE(m_errors, QStringList());
    QVERIFY(waitForFiles(pages));
    const QStringList files = outputFiles();
    QCOMPARE(files.size(), pages); // one job per page
    int printed = 0;
    for (const QString &f : files) {
        const int n = pdfinfoPages(m_out.filePath(f));
        QCOMPARE(n, 1);
        printed += n;
    }
    QCOMPARE(printed, pages);
}

void tst_PrintCups::cancelDiscardsEveryPage()
{
    PrintPreviewWindow *w = PrintPreviewWindow::instance();
    w->showGrid(&m_grid, QStringLiteral("T"), 12, false, false, false);
    QVERIFY(w->layout().data[DevicePrinter].pageCount >= 2);
    // Pressed while the first page is in progress: seen when that page processes events.
    QTimer::singleShot(0, w, [w] {
        QVERIFY(w->printingPanel()->isVisible());
        w->cancelPrinting();
    });
    w->runCommand(PrintPreviewWindow::PrintAllPages);
    QVERIFY(!w->printingPanel()->isVisible());

    // A later command prints again; jobs run in order, so the discarded ones would come first.
    w->runCommand(PrintPreviewWindow::PrintCurrentPage);
    QVERIFY(waitForFiles(1));
    QTest::qWait(300);
    QCOMPARE(outputFiles().size(), 1);
    QCOMPARE(m_errors, QStringList());
}

void tst_PrintCups::pdfButtonHasSamePages()
{
    QTemporaryDir dir;
    DialogHooks::fileDialog = [&dir](const FileDialogRequest &) {
        return dir.filePath(QStringLiteral("sheet.pdf"));
    };
    PrintPreviewWindow *w = PrintPreviewWindow::instance();
    w->showGrid(&m_grid, QStringLiteral("T"), 12, false, false, false);
    w->runCommand(PrintPreviewWindow::SavePdf);
    DialogHooks::fileDialog = nullptr;
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(pdfinfoPages(dir.filePath(QStringLiteral("sheet.pdf"))),
             w->layout().data[DevicePrinter].pageCount);
}

QTEST_MAIN(tst_PrintCups)
#include "tst_printcups_ui.moc"
