#include "core/document/oddsdocument.h"
#include "ui/desktop/dialogs.h"
#include "ui/print/printpreviewwindow.h"
#include "ui/print/sheetview.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

Grid raceGrid(int rows, int cols = 8)
{
    Grid g;
    g.setSize(rows, cols);
    g.setFixedRows(1);
    for (int c = 0; c < cols; ++c) {
        g.setColWidth(c, c == 2 ? 2400 : 900);
        g.setText(0, c, QStringLiteral("列%1").arg(c));
    }
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.setText(r, c, QString::number(r * 100 + c));
    return g;
}

int pdfPageCount(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    return int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class tst_PrintPreviewWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void windowShape();
    void nextPageWraps();
    void showPageClamps();
    void numberBoxes_data();
    void numberBoxes();
    void fontSizeRepaginates();
    void spinnerUpArrowCountsUp();
    void draggingKeepsSheetOnPanel();
    void wideWindowCentresSheet();
    void resizeKeepsScrolledRegion();
    void printWithoutPrinter_data();
    void printWithoutPrinter();
    void savePdf();
    void savePdfFailure();
    void failedWriteKeepsOldPdf();
    void closingReleasesGrid();
    void ownerGoneClosesWindow();
    void escapeCloses();
    void printCommand_data();
    void printCommand();

private:
    PrintPreviewWindow *open(int rows, int fontSize = 9,
                             const QString &title = QStringLiteral("T"));
    Grid m_grid;
    QStringList m_captions;
    QStringList m_texts;
    QString m_saveAnswer;
    QList<FileDialogRequest> m_dialogs;
};

void tst_PrintPreviewWindow::initTestCase()
{
    PrintJob::ignorePrinters = true;
    DialogHooks::messageBox = [this](const MessageBoxRequest &r) {
        m_captions.append(r.title);
        m_texts.append(r.text);
        return MsgAnswer::Ok;
    };
    DialogHooks::fileDialog = [this](const FileDialogRequest &r) {
        m_dialogs.append(r);
        return m_saveAnswer;
    };
}

void tst_PrintPreviewWindow::init()
{
    m_captions.clear();
    m_texts.clear();
    m_saveAnswer.clear();
    m_dialogs.clear();
}

void tst_PrintPreviewWindow::cleanup()
{
    if (PrintPreviewWindow *w = PrintPreviewWindow::existing())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!PrintPreviewWindow::existing());
}

PrintPreviewWindow *tst_PrintPreviewWindow::open(int rows, int fontSize, const QString &title)
{
    m_grid = raceGrid(rows);
    PrintPreviewWindow *w = PrintPreviewWindow::instance();
    w->showGrid(&m_grid, title, fontSize, false, false, false);
    return w;
}

void tst_PrintPreviewWindow::windowShape()
{
    PrintPreviewWindow *w = open(38, 9, QStringLiteral("A(\\\\)B(\\R)C"));
    QVERIFY(w->isVisible());
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(w->windowModality(), Qt::NonModal);
    // The designed size, as far as the screen has room (800 x 800 offscreen).
    QCOMPARE(w->size(), QSize(1024, 768).boundedTo(w->screen()->availableGeometry().size()));
    QCOMPARE(w->windowTitle(), QStringLiteral("A B C の印刷"));
    const QStringList captions = {"閉じる", "ページ印刷", "全て印刷", "改ページ", "PDF保存"};
    for (int i = 0; i < captions.size(); ++i) {
        QCOMPARE(w->button(PrintPreviewWindow::Command(i))->text(), captions.at(i));
        QCOMPARE(w->button(PrintPreviewWindow::Command(i))->geometry(),
                 QRect(4 * (i + 1) + 80 * i, 4, 80, 24));
    }
    const PageGeometry g = w->pageGeometry();
    QCOMPARE(g.pageWidth, 16836);
    QCOMPARE(g.printableHeight, 11568);
    // Paper and view at one twip of page to one twip of screen (15 twips a pixel here).
    QCOMPARE(w->sheet()->paper()->size(), QSize(1122, 794));
    QCOMPARE(w->sheet()->picture()->size(), QSize(1058, 771));
    QVERIFY(w->printingPanel()->isHidden());
}

void tst_PrintPreviewWindow::nextPageWraps()
{
    PrintPreviewWindow *w = open(38, 20);
    const int pages = w->layout().data[0].pageCount;
    QVERIFY2(pages >= 2, "20-point type needs more than one page for 38 rows");
    QCOMPARE(w->pageIndicatorText(), pageIndicator(1, pages));
    for (int p = 2; p <= pages; ++p) {
        w->runCommand(PrintPreviewWindow::NextPage);
        QCOMPARE(w->pageIndicatorText(), pageIndicator(p, pages));
    }
    w->runCommand(PrintPreviewWindow::NextPage);
    QCOMPARE(w->pageIndicatorText(), pageIndicator(1, pages));

    open(3, 9);
    w->runCommand(PrintPreviewWindow::NextPage);
    QCOMPARE(w->pageIndicatorText(), QStringLiteral("01/01"));
}

void tst_PrintPreviewWindow::showPageClamps()
{
    PrintPreviewWindow *w = open(38, 20);
    const int pages = w->layout().data[0].pageCount;
    w->showPage(99);
    QCOMPARE(w->pageIndicatorText(), pageIndicator(pages, pages));
    QCOMPARE(w->layout().data[0].currentPage, pages);
    w->showPage(0);
    QCOMPARE(w->pageIndicatorText(), pageIndicator(1, pages));
}

void tst_PrintPreviewWindow::numberBoxes_data()
{
    QTest::addColumn<bool>("copies");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spinner");
    QTest::newRow("copies 150 + Enter -> 99") << true << "150" << true << "99" << 99;
    QTest::newRow("copies 0 + Enter -> 1") << true << "0" << true << "1" << 1;
    QTest::newRow("copies 7 on leaving") << true << "7" << false << "7" << 7;
    QTest::newRow("copies: letters are dropped") << true << "1a2" << true << "12" << 12;
    QTest::newRow("copies: empty reads as 1") << true << "" << false << "1" << 1;
    QTest::newRow("copies: huge number -> 99")
        << true << "99999999999999999999" << true << "99" << 99;
    QTest::newRow("font 3 on leaving -> 6") << false << "3" << false << "6" << 6;
    QTest::newRow("font 45 + Enter -> 30") << false << "45" << true << "30" << 30;
    QTest::newRow("font 12 stays") << false << "12" << true << "12" << 12;
    QTest::newRow("font: empty reads as 6") << false << "" << true << "6" << 6;
}

void tst_PrintPreviewWindow::numberBoxes()
{
    QFETCH(bool, copies);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    PrintPreviewWindow *w = open(38);
    QLineEdit *box = copies ? w->copiesBox() : w->fontSizeBox();
    QScrollBar *bar = copies ? w->copiesSpinner() : w->fontSizeSpinner();
    box->clear();
    QTest::keyClicks(box, typed);
    if (enter) {
        QTest::keyClick(box, Qt::Key_Return);
    } else {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &leave);
    }
    QTEST(box->text(), "text");
    QTEST(bar->value(), "spinner");
    if (!copies)
        QTEST(w->layout().data[0].fontSize, "spinner");
}

void tst_PrintPreviewWindow::fontSizeRepaginates()
{
    PrintPreviewWindow *w = open(38, 9);
    const int pagesAt9 = w->layout().data[0].pageCount;
    w->fontSizeSpinner()->setValue(24);
    QCOMPARE(w->fontSizeBox()->text(), QStringLiteral("24"));
    QCOMPARE(w->layout().data[1].fontSize, 24);
    const int pagesAt24 = w->layout().data[0].pageCount;
    QVERIFY2(pagesAt24 > pagesAt9,
             qPrintable(QStringLiteral("%1 -> %2").arg(pagesAt9).arg(pagesAt24)));
    QCOMPARE(w->pageIndicatorText(), pageIndicator(1, pagesAt24));
}

void tst_PrintPreviewWindow::spinnerUpArrowCountsUp()
{
    PrintPreviewWindow *w = open(3);
    QScrollBar *bar = w->copiesSpinner();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 2));
    QCOMPARE(bar->value(), 2);
    QCOMPARE(w->copiesBox()->text(), QStringLiteral("2"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 2));
    QCOMPARE(bar->value(), 1);
}

void tst_PrintPreviewWindow::draggingKeepsSheetOnPanel()
{
    PrintPreviewWindow *w = open(38);
    QWidget *back = w->sheet()->panel();
    const int backW = back->width() * 15;
    const int backH = back->height() * 15;
    const QPoint start(back->width() / 2, back->height() / 2);
    const QPoint before = w->sheet()->paperPos();
    sendMouse(back, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(back->cursor().shape(), Qt::ClosedHandCursor);
    QCOMPARE(w->sheet()->paperPos(), before);

    // The sheet follows the pointer from where it was when the button went down.
    sendMouse(back, QEvent::MouseMove, start - QPoint(4, 2), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w->sheet()->paperPos(), before - QPoint(60, 30));
    QCOMPARE(w->sheet()->scrollX()->value(), 60 - before.x());

    // However far it is dragged, its edges never come inside the panel.
    sendMouse(back, QEvent::MouseMove, start + QPoint(5000, 5000), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w->sheet()->paperPos(), QPoint(0, 0));
    sendMouse(back, QEvent::MouseMove, start - QPoint(5000, 5000), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w->sheet()->paperPos(), QPoint(backW - 16836, backH - 11904));
    QCOMPARE(w->sheet()->scrollX()->value(), 16836 - backW);
    QCOMPARE(w->sheet()->scrollY()->value(), 11904 - backH);

    sendMouse(back, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    sendMouse(back, QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    QCOMPARE(back->cursor().shape(), Qt::OpenHandCursor);
}

void tst_PrintPreviewWindow::wideWindowCentresSheet()
{
    PrintPreviewWindow *w = open(38);
    w->resize(1300, 768);
    QVERIFY(!w->sheet()->scrollX()->isEnabled());
    QVERIFY(w->sheet()->scrollY()->isEnabled());
    QWidget *back = w->sheet()->panel();
    const int backW = back->width() * 15;
    const int centred = backW / 2 - 16836 / 2;
    QCOMPARE(w->sheet()->paperPos().x(), std::max(0, (backW - 16836) / 2));
    const QPoint start(back->width() / 2, back->height() / 2);
    sendMouse(back, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(back, QEvent::MouseMove, start + QPoint(-200, -10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w->sheet()->paperPos().x(), centred);
    QCOMPARE(w->sheet()->paperPos().y(), -150);
}

void tst_PrintPreviewWindow::resizeKeepsScrolledRegion()
{
    PrintPreviewWindow *w = open(38);
    QScrollBar *x = w->sheet()->scrollX();
    QScrollBar *y = w->sheet()->scrollY();
    x->setValue(x->maximum() / 2);
    y->setValue(y->maximum());
    QCOMPARE(w->sheet()->paperPos(), QPoint(-x->value(), -y->value()));
    w->resize(700, 500);
    QVERIFY(qAbs(x->value() - x->maximum() / 2) <= 1);
    QCOMPARE(y->value(), y->maximum());
    QCOMPARE(w->sheet()->paperPos(), QPoint(-x->value(), -y->value()));
}

void tst_PrintPreviewWindow::printWithoutPrinter_data()
{
    QTest::addColumn<PrintPreviewWindow::Command>("command");
    QTest::newRow("print page") << PrintPreviewWindow::PrintCurrentPage;
    QTest::newRow("print all") << PrintPreviewWindow::PrintAllPages;
}

void tst_PrintPreviewWindow::printWithoutPrinter()
{
    QFETCH(PrintPreviewWindow::Command, command);
    PrintPreviewWindow *w = open(38);
    QVERIFY(!w->printerAvailable());
    w->runCommand(command);
    QCOMPARE(m_captions, QStringList{QStringLiteral("cmdMenu_Click(PrintPreviewWindow)")});
    QCOMPARE(m_texts, QStringList{QStringLiteral(
                          "エラー番号：482\nエラー内容：使用できるプリンターがありません")});
    QVERIFY(w->printingPanel()->isHidden());
    QVERIFY(w->button(PrintPreviewWindow::PrintAllPages)->isEnabled());
}

void tst_PrintPreviewWindow::savePdf()
{
    QTemporaryDir dir;
    PrintPreviewWindow *w = open(38, 20);
    m_saveAnswer = dir.filePath(QStringLiteral("race"));
    w->button(PrintPreviewWindow::SavePdf)->click();
    QVERIFY2(m_texts.isEmpty(), qPrintable(m_texts.join(QLatin1Char('|'))));
    QCOMPARE(m_dialogs.size(), 1);
    QVERIFY(m_dialogs.first().save);
    QCOMPARE(m_dialogs.first().title, QStringLiteral("PDF保存"));
    QCOMPARE(m_dialogs.first().filters,
             QStringList({QStringLiteral("PDF"), QStringLiteral("*.pdf")}));
    const QString file = dir.filePath(QStringLiteral("race.pdf"));
    QVERIFY(QFile::exists(file));
    QCOMPARE(pdfPageCount(file), w->layout().data[1].pageCount);
    QVERIFY(w->layout().data[1].pageCount >= 2);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("race.pdf")});
}

void tst_PrintPreviewWindow::savePdfFailure()
{
    QTemporaryDir dir;
    PrintPreviewWindow *w = open(38);
    m_saveAnswer = dir.filePath(QStringLiteral("missing/race.pdf"));
    w->runCommand(PrintPreviewWindow::SavePdf);
    QCOMPARE(m_captions, QStringList{QStringLiteral("cmdMenu_Click(PrintPreviewWindow)")});
    QVERIFY(m_texts.first().startsWith(QStringLiteral("エラー番号：482\nエラー内容：")));
    QVERIFY(!QFile::exists(m_saveAnswer));

    // Cancelling the dialog writes nothing and says nothing.
    m_captions.clear();
    m_saveAnswer.clear();
    w->runCommand(PrintPreviewWindow::SavePdf);
    QVERIFY(m_captions.isEmpty());
}

// A write that fails part way (here at a file size limit, as on a full disk) is reported and
// leaves the PDF that was there as it was, with no temporary file beside it.
void tst_PrintPreviewWindow::failedWriteKeepsOldPdf()
{
    QTemporaryDir dir;
    m_saveAnswer = dir.filePath(QStringLiteral("race.pdf"));
    QFile old(m_saveAnswer);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    PrintPreviewWindow *w = open(3);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    w->runCommand(PrintPreviewWindow::SavePdf);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(m_texts.size(), 1);
    QVERIFY(m_texts.first().startsWith(QStringLiteral("エラー番号：482\nエラー内容：")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("race.pdf")});
}

void tst_PrintPreviewWindow::closingReleasesGrid()
{
    PrintPreviewWindow *w = open(38);
    QPointer<PrintPreviewWindow> first(w);
    w->runCommand(PrintPreviewWindow::Close);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QVERIFY(!PrintPreviewWindow::existing());
    PrintPreviewWindow *again = open(5);
    QVERIFY(again->isVisible());
    QCOMPARE(again->layout().grid, &m_grid);
}

void tst_PrintPreviewWindow::ownerGoneClosesWindow()
{
    auto owner = std::make_unique<QObject>();
    auto grid = std::make_unique<Grid>(raceGrid(38));
    PrintPreviewWindow *w = PrintPreviewWindow::instance();
    w->showGrid(grid.get(), QStringLiteral("T"), 9, false, false, false, owner.get());
    QPointer<PrintPreviewWindow> guard(w);
    grid.reset();
    owner.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
}

void tst_PrintPreviewWindow::escapeCloses()
{
    PrintPreviewWindow *w = open(5);
    QPointer<PrintPreviewWindow> guard(w);
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
    QCOMPARE(QAccessible::queryAccessibleInterface(open(5))->role(), QAccessible::Window);
}

void tst_PrintPreviewWindow::printCommand_data()
{
    QTest::addColumn<bool>("quinella");
    QTest::addColumn<QString>("title");
    QTest::newRow("runner table: 集計") << false << "集計:Race 11:2003/12/15";
    QTest::newRow("quinella shown: 馬連") << true << "馬連:Race 11:2003/12/15";
}

void tst_PrintPreviewWindow::printCommand()
{
    QFETCH(bool, quinella);
    OddsDocument doc;
    doc.setCountText(0, QStringLiteral("8"));
    doc.setCountText(1, QStringLiteral("1"));
    doc.buildTable();
    doc.setTitleText(0, QStringLiteral("Race 11"));
    doc.setTitleText(1, QStringLiteral("2003/12/15"));
    if (quinella) {
        doc.runnerTable.setText(RatioRow, FirstDataCol, QStringLiteral("1"));
        for (int r = 0; r < 8; ++r)
            doc.runnerTable.setText(FirstRunnerRow + r, FirstDataCol,
                                    QString::number(100 * (r + 1)));
        doc.recalculate();
        QVERIFY(doc.estimateQuinella());
    }
    QCOMPARE(doc.quinellaVisible(), quinella);
    QObject window;
    PrintPreviewWindow::printDocument(doc, &window);
    PrintPreviewWindow *w = PrintPreviewWindow::existing();
    QVERIFY(w);
    QTEST(w->layout().title, "title");
    QCOMPARE(w->layout().grid, quinella ? &doc.quinellaMatrix : &doc.runnerTable);
    QCOMPARE(w->layout().data[0].fontSize, 9);
    QVERIFY(!w->layout().reflectFontColor && !w->layout().changeRowColor);
    // The document's view is as it was.
    QCOMPARE(doc.quinellaVisible(), quinella);
}

QTEST_MAIN(tst_PrintPreviewWindow)
#include "tst_printpreviewwindow_ui.moc"
