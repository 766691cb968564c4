// The analysis and chart windows in the main window: following the document, pasted odds, the
// stake panel, the sidecar beside a saved document and closing with the document.
#include "core/analysis/documentanalysis.h"
#include "core/editing/clipboardrange.h"
#include "core/settings/inifile.h"
#include "testfiles.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/analysis/analysistablemodel.h"
#include "ui/analysis/analysiswindow.h"
#include "ui/analysis/chartwindow.h"
#include "ui/analysis/stakepanel.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/tablesort.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/print/printpreviewwindow.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <memory>

class TestAnalysisWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tableFollowsDocument();
    void hitColumnFollowsTypedResult();
    void pastedMatrixLandsOnPairs();
    void typedOdds_data();
    void typedOdds();
    void stakesOfSelection();
    void sidecarBesideSavedDocument();
    void failedSidecarTellsAndKeepsDocument_data();
    void failedSidecarTellsAndKeepsDocument();
    void onlyEntriesChangeAnalysis_data();
    void onlyEntriesChangeAnalysis();
    void defaultsOnlyByButton();
    void numbersShownHonestly_data();
    void numbersShownHonestly();
    void closingDocumentClosesItsWindows();
    void printsTopRowsAsShown();
    void chartReadsOnEveryColour();
    void topRowsFilterKeepsPicks_data();
    void topRowsFilterKeepsPicks();
    void checkColumnPicksAndReadingChangesNothing();
    void keyboardSortsByCurrentColumn();

private:
    DocumentWindow *openRace();
    AnalysisWindow *analysisWindow(DocumentWindow *doc);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QMdiSubWindow *subWindowOf(QWidget *window) const;
    // The model row of a ticket, -1 when the table has none.
    static int rowOf(const AnalysisWindow *w, const Ticket &t);
    // Changes the control of that accessible name as a user would ("pick", "odds": a row, odds).
    static void change(AnalysisWindow *w, const QString &control);
    // Checks 買う on the first n rows in view and clears it on the others.
    static void pickFirst(AnalysisWindow *w, int n);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_main;
    QStringList m_fileAnswers;
    QList<MessageBoxRequest> m_boxes;
    QList<MsgAnswer> m_boxAnswers;
};

void TestAnalysisWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile::copy(dataPath(QStringLiteral("race18.csv")), path(QStringLiteral("race18.csv")));
    m_boxes.clear();
    m_boxAnswers.clear();
    DialogHooks::fileDialog = [this](const FileDialogRequest &) {
        return m_fileAnswers.isEmpty() ? QString() : m_fileAnswers.takeFirst();
    };
    DialogHooks::messageBox = [this](const MessageBoxRequest &r) {
        m_boxes.append(r);
        return m_boxAnswers.isEmpty() ? MsgAnswer::No : m_boxAnswers.takeFirst();
    };
    m_main = std::make_unique<MainWindow>(m_dir->path() + u'/');
    m_main->startUp();
}

void TestAnalysisWindow::cleanup()
{
    m_main->close();
    m_main.reset();
    DialogHooks::fileDialog = nullptr;
    DialogHooks::messageBox = nullptr;
    m_dir.reset();
}

DocumentWindow *TestAnalysisWindow::openRace()
{
    m_main->openFile(path(QStringLiteral("race18.csv")));
    return m_main->activeDocument();
}

AnalysisWindow *TestAnalysisWindow::analysisWindow(DocumentWindow *doc)
{
    return qobject_cast<AnalysisWindow *>(m_main->analysis()->openAnalysisWindow(doc)->widget());
}

QMdiSubWindow *TestAnalysisWindow::subWindowOf(QWidget *window) const
{
    for (QMdiSubWindow *sub : m_main->mdiArea()->subWindowList())
        if (sub->widget() == window)
            return sub;
    return nullptr;
}

int TestAnalysisWindow::rowOf(const AnalysisWindow *w, const Ticket &t)
{
    for (int r = 0; r < w->model()->rowCount(); ++r)
        if (w->model()->row(r).ticket == t)
            return r;
    return -1;
}

void TestAnalysisWindow::tableFollowsDocument()
{
    DocumentWindow *doc = openRace();
    QVERIFY(m_main->analysis()->analysisAction->isEnabled());
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType::Win);
    const auto top = [w] { return w->model()->row(w->rowsInViewOrder(false).front()).ticket[0]; };
    QVERIFY2(w->model()->rowCount() == 18, qPrintable(w->statusText()));
    QCOMPARE(top(), 1);
    const QString supportBefore = doc->document().runnerTable.text(2, ColSupport);

    // Runners 1 and 18 swap their data through a cut and a paste, as a user would.
    Grid &g = doc->document().runnerTable;
    const int last = g.cols() - 1;
    g.setCurrent(2, FirstDataCol);
    g.setSelection(2, last);
    const QString first = copyRange(g, false);
    g.setCurrent(19, FirstDataCol);
    g.setSelection(19, last);
    const QString eighteenth = copyRange(g, false);
    pasteRange(g, first);
    g.setCurrent(2, FirstDataCol);
    g.setSelection(2, last);
    pasteRange(g, eighteenth);
    doc->refreshFromDocument();
    QTRY_COMPARE(top(), 18);
    QCOMPARE(doc->document().runnerTable.text(2, ColSupport), supportBefore);

    doc->recalculate();
    QCOMPARE(top(), 18);
}

void TestAnalysisWindow::hitColumnFollowsTypedResult()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType::Win);
    doc->titleBoxes[5]->setFocus();
    doc->titleBoxes[5]->selectAll();
    QTest::keyClicks(doc->titleBoxes[5], QStringLiteral("3-1-2"));
    QTRY_VERIFY(w->model()->hitColumn() >= 0);
    QCOMPARE(w->model()->index(rowOf(w, {3, 0, 0}), w->model()->hitColumn()).data().toString(),
             QStringLiteral("✓"));
}

void TestAnalysisWindow::pastedMatrixLandsOnPairs()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType::Quinella);
    QCOMPARE(w->model()->rowCount(), 153);
    // The document's own quinella view, copied whole, lands pair by pair.
    doc->recalculate();
    doc->estimateQuinella();
    Grid &matrix = doc->document().quinellaMatrix;
    matrix.setCurrent(0, 0);
    matrix.setSelection(matrix.rows() - 1, matrix.cols() - 1);
    QVERIFY(w->pasteText(copyRange(matrix, false)));
    for (int r = 0; r < w->model()->rowCount(); ++r) {
        const AnalysisRow &row = w->model()->row(r);
        QCOMPARE(row.actualOdds, row.documentEstimate);
        QCOMPARE(row.ratio, row.actualOdds / row.estimatedOdds);
    }

    const double kept = w->model()->row(rowOf(w, {1, 2, 0})).actualOdds;
    QVERIFY(!w->pasteText(QStringLiteral("1-2\t99\n1-19\t5\n")));
    QVERIFY2(w->statusText().contains(QStringLiteral("2 行目")), qPrintable(w->statusText()));
    QCOMPARE(w->model()->row(rowOf(w, {1, 2, 0})).actualOdds, kept);

    // Typed into the table, and sorted by it.
    const int row = rowOf(w, {17, 18, 0});
    QVERIFY(w->model()->setData(w->model()->index(row, AnalysisTableModel::ActualCol),
                                QStringLiteral("9999999"), Qt::EditRole));
    w->view()->sortByColumn(AnalysisTableModel::ActualCol, Qt::DescendingOrder);
    QCOMPARE(w->rowsInViewOrder(false).front(), row);
    QCOMPARE(m_main->analysis()
                 ->analysisOf(doc)
                 ->inputs()
                 .actualOf(BetType::Quinella)
                 .at({17, 18, 0})
                 .odds,
             9999999.0);
}

// Typing into a 実オッズ cell reads what pasting reads; text that is not odds is refused with a
// Japanese reason and changes nothing; an empty cell clears.
void TestAnalysisWindow::typedOdds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // the 実オッズ cell afterwards
    QTest::addColumn<QString>("status"); // part of the status line; empty when taken
    const int quinella = int(BetType::Quinella);
    QTest::newRow("plain") << quinella << "12.3"
                           << "12.3"
                           << "";
    QTest::newRow("full width with a comma") << quinella << "１，２３４．５"
                                             << "1234.5"
                                             << "";
    QTest::newRow("empty clears") << quinella << ""
                                  << ""
                                  << "";
    QTest::newRow("a range of wide odds") << int(BetType::Wide) << "3.4 - 4.1"
                                          << "3.4-4.1"
                                          << "";
    const QString refused = QStringLiteral("実オッズにできません：");
    QTest::newRow("a word") << quinella << "abc"
                            << "5.0" << refused + "「abc」はオッズとして読めません";
    QTest::newRow("decimal comma") << quinella << "12,5"
                                   << "5.0" << refused + "「12,5」";
    QTest::newRow("below 1.0") << quinella << "0.9"
                               << "5.0" << refused + "「0.9」";
    QTest::newRow("a range of quinella odds")
        << quinella << "3.4-4.1"
        << "5.0" << refused + "「3.4-4.1」は幅のあるオッズです";
}

void TestAnalysisWindow::typedOdds()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType(type));
    const int row = rowOf(w, {1, 2, 0});
    const QModelIndex cell = w->model()->index(row, AnalysisTableModel::ActualCol);
    QVERIFY(w->model()->setData(cell, QStringLiteral("5"), Qt::EditRole));
    QCOMPARE(w->model()->setData(cell, typed, Qt::EditRole), status.isEmpty());
    QCOMPARE(w->model()->data(cell, Qt::DisplayRole).toString(), shown);
    QVERIFY2(status.isEmpty() ? !w->statusText().contains(QStringLiteral("できません"))
                              : w->statusText().startsWith(status),
             qPrintable(w->statusText()));
    const ActualOdds &stored = w->analysis()->inputs().actualOf(BetType(type));
    QCOMPARE(stored.count({1, 2, 0}), size_t(shown.isEmpty() ? 0 : 1));
}

void TestAnalysisWindow::pickFirst(AnalysisWindow *w, int n)
{
    for (int r = 0; r < w->proxy()->rowCount(); ++r)
        QVERIFY(w->proxy()->setData(w->proxy()->index(r, AnalysisTableModel::PickCol),
                                    r < n ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
}

void TestAnalysisWindow::stakesOfSelection()
{
    AnalysisWindow *w = analysisWindow(openRace());
    w->setBetType(BetType::Win);
    const auto pick = [w](int proxyRows) { pickFirst(w, proxyRows); };
    pick(1);
    QVERIFY(!w->stakePanel()->lossShown());
    QCOMPARE(w->stakePanel()->lines()->rowCount(), 1);
    // Every runner together pays back only the payout ratio.
    pick(18);
    QVERIFY(w->stakePanel()->lossShown());
    QVERIFY(w->stakePanel()->combinedOddsText().startsWith(QStringLiteral("合成オッズ 0.")));
    QCOMPARE(w->analysis()->inputs().picksOf(BetType::Win).size(), size_t(18));

    // Budgets and bankrolls up to 10^12 yen are shown as stored and kept at the next change.
    AnalysisInputs big = w->analysis()->inputs();
    big.budget = 1000000000000;
    big.bankroll = 999999999999;
    w->analysis()->state().setInputs(big);
    QDoubleSpinBox *budget = nullptr;
    for (auto *box : w->stakePanel()->findChildren<QDoubleSpinBox *>())
        if (box->accessibleName() == QStringLiteral("予算"))
            budget = box;
    QVERIFY(budget);
    QCOMPARE(budget->value(), 1e12);
    w->stakePanel()->findChild<QCheckBox *>()->click();
    QCOMPARE(w->analysis()->inputs().budget, 1000000000000);
    QCOMPARE(w->analysis()->inputs().bankroll, 999999999999);

    // Odds stamped ahead of the clock are pointed out.
    QVERIFY(!w->statusText().contains(QStringLiteral("未来の時刻")));
    AnalysisInputs ahead = w->analysis()->inputs();
    ahead.latestTime[size_t(BetType::Win)] = QStringLiteral("2099-01-01 00:00:00");
    w->analysis()->state().setInputs(ahead);
    QVERIFY2(w->statusText().contains(QStringLiteral("2099-01-01 00:00:00 は未来の時刻")),
             qPrintable(w->statusText()));
}

void TestAnalysisWindow::sidecarBesideSavedDocument()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType::Exacta);
    QVERIFY(w->pasteText(QStringLiteral("2>1\t12.5\n")));
    m_fileAnswers << path(QStringLiteral("copy.csv"));
    m_main->saveActiveDocumentAs();
    QCOMPARE(m_boxes.size(), 0);
    const Result<AnalysisInputs> written = readSidecar(path(QStringLiteral("copy.csv.analysis")));
    QVERIFY(written.value == w->analysis()->inputs());

    m_boxAnswers << MsgAnswer::Yes;
    m_main->makeTemplate(); // the template: never a sidecar
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.analysis")}),
             QStringList{"copy.csv.analysis"});

    subWindowOf(doc)->close();
    QTRY_VERIFY(!m_main->documents().contains(doc));
    m_main->openFile(path(QStringLiteral("copy.csv")));
    DocumentWindow *again = m_main->activeDocument();
    QVERIFY(m_main->analysis()->analysisOf(again)->inputs() == written.value);
    AnalysisWindow *shown = analysisWindow(again);
    QCOMPARE(shown->model()->row(rowOf(shown, {2, 1, 0})).actualOdds, 12.5);
}

void TestAnalysisWindow::failedSidecarTellsAndKeepsDocument_data()
{
    QTest::addColumn<bool>("closing"); // saved by the close question's 保存
    QTest::newRow("save") << false;
    QTest::newRow("close, save") << true;
}

void TestAnalysisWindow::failedSidecarTellsAndKeepsDocument()
{
    QFETCH(bool, closing);
    DocumentWindow *doc = openRace();
    analysisWindow(doc);
    QDir(m_dir->path()).mkdir(QStringLiteral("race18.csv.analysis"));
    const QByteArray before = readAll(path(QStringLiteral("race18.csv")));
    doc->setTitleText(2, QStringLiteral("改題"));
    doc->markChanged();
    if (closing) {
        m_boxAnswers << MsgAnswer::Save;
        subWindowOf(doc)->close();
    } else {
        m_main->saveActiveDocument();
    }
    QCOMPARE(m_boxes.size(), closing ? 2 : 1);
    const QString told = m_boxes.last().text;
    QVERIFY(told.startsWith(QStringLiteral("文書は保存しましたが、分析を保存できませんでした")));
    QCOMPARE(told.contains(QStringLiteral("ウィンドウは閉じずに残します")), closing);
    QVERIFY(readAll(path(QStringLiteral("race18.csv"))) != before);
    // Open and still changed: closing it again asks again.
    QCoreApplication::processEvents();
    QVERIFY(m_main->documents().contains(doc));
    QVERIFY(doc->document().isChanged());
}

void TestAnalysisWindow::onlyEntriesChangeAnalysis_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("keptAs"); // where the refused file is then; "" for unmoved
    QTest::newRow("bet type") << "券種"
                              << "";
    QTest::newRow("model") << "モデル"
                           << "";
    for (const char *entry : {"λ", "β", "払戻率", "割安のしきい値", "予算", "pick", "odds"})
        QTest::newRow(entry) << QString::fromUtf8(entry) << ".unreadable";
    QTest::newRow("odds, name taken") << "odds"
                                      << ".unreadable.2";
}

void TestAnalysisWindow::onlyEntriesChangeAnalysis()
{
    QFETCH(QString, control);
    QFETCH(QString, keptAs);
    const QString sidecar = path(QStringLiteral("race18.csv.analysis"));
    const QByteArray refused("[Analysis]\r\nBetType=xyz\r\n[quinella]\r\n1-2=12.3\r\n");
    QVERIFY(writeAll(sidecar, refused));
    if (keptAs.endsWith(u'2'))
        QVERIFY(writeAll(sidecar + QStringLiteral(".unreadable"), "older"));
    DocumentWindow *doc = openRace();
    change(analysisWindow(doc), control);
    QCOMPARE(doc->document().isChanged(), !keptAs.isEmpty());
    doc->markChanged();
    m_main->saveActiveDocument();
    m_main->saveActiveDocument();
    QCOMPARE(readAll(sidecar + keptAs), refused); // refused, then kept byte for byte
    QCOMPARE(m_boxes.size(), keptAs.isEmpty() ? 1 : 2);
    QVERIFY(m_boxes.last().text.contains(keptAs.isEmpty() ? sidecar : sidecar + keptAs));
}

void TestAnalysisWindow::change(AnalysisWindow *w, const QString &control)
{
    if (control == QLatin1String("pick"))
        return pickFirst(w, 1);
    if (control == QLatin1String("odds"))
        return void(w->pasteText(QStringLiteral("1-2\t9.9\n")));
    for (QWidget *box : w->findChildren<QWidget *>()) {
        if (box->accessibleName() != control || control.isEmpty())
            continue;
        if (auto *combo = qobject_cast<QComboBox *>(box))
            combo->setCurrentIndex(combo->currentIndex() == 1 ? 2 : 1);
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(box))
            spin->stepBy(2);
    }
}

void TestAnalysisWindow::defaultsOnlyByButton()
{
    AnalysisWindow *w = analysisWindow(openRace());
    change(w, QStringLiteral("λ"));
    change(w, QStringLiteral("払戻率"));
    const QString ini = path(QStringLiteral("KirrelSys.ini"));
    QVERIFY(readSetting(ini, QStringLiteral("Analysis"), QStringLiteral("Lambda")).isEmpty());
    w->makeDefaults();
    QCOMPARE(readSetting(ini, QStringLiteral("Analysis"), QStringLiteral("Ratio.quinella")),
             QStringLiteral("0.785"));
    m_main->newDocument();
    QCOMPARE(m_main->analysis()->analysisOf(m_main->activeDocument())->inputs().parameters.lambda,
             0.83);
    w->restoreJraRatios();
    QCOMPARE(w->analysis()->inputs().parameters.payoutRatio, AnalysisParameters{}.payoutRatio);
}

void TestAnalysisWindow::numbersShownHonestly_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("picks");       // the most probable tickets picked
    QTest::addColumn<bool>("overBudget"); // and tickets with a chance under 0.0005 %
    QTest::newRow("trifecta") << int(BetType::Trifecta) << 1 << false;
    QTest::newRow("quinella, every ticket") << int(BetType::Quinella) << 153 << true;
    QTest::newRow("place, no Kelly") << int(BetType::Place) << 3 << false;
}

void TestAnalysisWindow::numbersShownHonestly()
{
    QFETCH(int, type);
    QFETCH(int, picks);
    QFETCH(bool, overBudget);
    AnalysisWindow *w = analysisWindow(openRace());
    w->setBetType(BetType(type));
    pickFirst(w, picks);
    const QString summary = w->stakePanel()->combinedOddsText();
    QCOMPARE(summary.contains(QStringLiteral("予算超過")), overBudget);
    QVERIFY2(summary.contains(QRegularExpression(QStringLiteral("合計 \\d{1,3}(,\\d{3})+円"))),
             qPrintable(summary));
    const QModelIndexList chances = w->model()->match(
        w->model()->index(0, AnalysisTableModel::ProbabilityCol), Qt::DisplayRole,
        QRegularExpression(QStringLiteral("^(<0.001|0.000)$")), -1, Qt::MatchRegularExpression);
    QCOMPARE(chances.isEmpty(), type == int(BetType::Place));
    for (const QModelIndex &chance : chances)
        QCOMPARE(chance.data().toString(), QStringLiteral("<0.001"));
    QCOMPARE(w->findChild<QCheckBox *>()->toolTip().contains(betTypeLabel(BetType(type))),
             type == int(BetType::Place));
    for (QAbstractSpinBox *box : w->findChildren<QAbstractSpinBox *>())
        QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->text()));
    QVERIFY(!w->view()->horizontalScrollBar()->isVisible()); // every column in view
    // Tickets without actual odds come last, whichever way a column is sorted.
    w->pasteText(ticketText(BetType(type), w->model()->row(1).ticket) + QStringLiteral("\t99\n"));
    for (const auto order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        w->view()->sortByColumn(AnalysisTableModel::ValueCol, order);
        QCOMPARE(w->rowsInViewOrder(false).front(), 1);
    }
}

void TestAnalysisWindow::closingDocumentClosesItsWindows()
{
    DocumentWindow *doc = openRace();
    AnalysisController *c = m_main->analysis();
    QMdiSubWindow *table = c->openAnalysisWindow(doc);
    QMdiSubWindow *chart = c->openChartWindow(doc);
    QCOMPARE(table->windowTitle(), QStringLiteral("買い目分析 - ") + doc->windowTitle());
    QVERIFY(qobject_cast<ChartWindow *>(chart->widget()));
    // グラフ again brings the same window to the front.
    m_main->mdiArea()->setActiveSubWindow(table);
    const qsizetype windows = m_main->mdiArea()->subWindowList().size();
    QCOMPARE(c->openChartWindow(doc), chart);
    QCOMPARE(m_main->mdiArea()->activeSubWindow(), chart);
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), windows);
    m_main->updateWindowMenu();
    QStringList listed;
    for (QAction *a : m_main->windowListActions())
        listed << a->text();
    QVERIFY(listed.join(u'|').contains(QStringLiteral("グラフ - ")));
    QCOMPARE(c->documentOf(table), doc);

    subWindowOf(doc)->close();
    QTRY_COMPARE(m_main->mdiArea()->subWindowList().size(), 1); // the untitled first document
}

void TestAnalysisWindow::printsTopRowsAsShown()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    w->setBetType(BetType::Trifecta);
    // The bet type in view is saved with the next save, but looking at it changes nothing.
    QVERIFY(!doc->document().isChanged());
    QCOMPARE(int(w->rowsInViewOrder(false).size()), 4896);

    // The ten most probable tickets, shown longest odds first: the print follows the view.
    w->setTopRows(10);
    w->view()->sortByColumn(AnalysisTableModel::EstimatedCol, Qt::DescendingOrder);
    const std::vector<int> shown = w->rowsInViewOrder(false);
    QCOMPARE(int(shown.size()), 10);
    for (const int r : shown)
        QVERIFY(r < 10);
    // An overlooked ticket is printed in its colour, numbers to the right, a header on every
    // page and the title saying how the numbers were made.
    QVERIFY(w->pasteText(ticketText(BetType::Trifecta, w->model()->row(shown[0]).ticket) +
                         QStringLiteral("\t99999\n")));
    w->print();
    QVERIFY(PrintPreviewWindow::existing());
    const PrintLayout &layout = PrintPreviewWindow::existing()->layout();
    QCOMPARE(layout.headerRows, 1);
    QVERIFY(layout.reflectFontColor); // the red of 急落
    QVERIFY2(layout.title.contains(QStringLiteral("Harville　β 1.00　払戻率 72.5%")),
             qPrintable(layout.title));
    const Grid &g = w->printGrid();
    // One snapshot: 前回 and 変化, hidden on screen, are not printed either.
    QCOMPARE(g.cols(), w->model()->columnCount() - 2);
    QCOMPARE(g.text(0, AnalysisTableModel::PreviousCol), QStringLiteral("実÷推定"));
    QCOMPARE(g.cellBackColor(1, AnalysisTableModel::ValueCol - 2), rgb(255, 200, 140));
    QCOMPARE(g.colAlignment(AnalysisTableModel::ActualCol), 7);
    QCOMPARE(g.rows(), 11);
    QCOMPARE(g.text(0, AnalysisTableModel::TicketCol), QStringLiteral("買い目"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(g.text(i + 1, AnalysisTableModel::TicketCol),
                 ticketText(BetType::Trifecta, w->model()->row(shown[size_t(i)]).ticket));

    w->setTopRows(0);
    QCOMPARE(int(w->rowsInViewOrder(false).size()), 4896);
    // The preview shows the window's grid: it closes with the window.
    subWindowOf(w)->close();
    QTRY_VERIFY(!PrintPreviewWindow::existing());
}

void TestAnalysisWindow::chartReadsOnEveryColour()
{
    DocumentWindow *doc = openRace();
    auto *w = qobject_cast<ChartWindow *>(m_main->analysis()->openChartWindow(doc)->widget());
    double highest = 0;
    for (const RunnerInfo &r : m_main->analysis()->analysisOf(doc)->race().runners)
        highest = std::max(highest, r.supportPercent);
    // The support axis ends at the next step of 5 above the largest support.
    QCOMPARE(w->supportAxis()->max(), std::ceil(highest / 5) * 5);
    QVERIFY(w->chart()->title().startsWith(doc->document().titleText(0)));
    QVERIFY(!doc->document().titleText(0).isEmpty());
}

void TestAnalysisWindow::topRowsFilterKeepsPicks_data()
{
    QTest::addColumn<int>("top");        // rows kept by the filter
    QTest::addColumn<bool>("pickShown"); // the picked third row among them
    QTest::newRow("top 1 hides the pick") << 1 << false;
    QTest::newRow("top 3 keeps it") << 3 << true;
}

void TestAnalysisWindow::topRowsFilterKeepsPicks()
{
    QFETCH(int, top);
    QFETCH(bool, pickShown);
    AnalysisWindow *w = analysisWindow(openRace());
    const QModelIndex third = w->proxy()->index(2, 0);
    w->view()->setFocus();
    w->view()->setCurrentIndex(third);
    QTest::keyClick(w->view(), Qt::Key_Space);
    const Ticket ticket = w->model()->row(w->proxy()->mapToSource(third).row()).ticket;
    const std::set<Ticket> picked{ticket};

    // The spin box stepped up one at a time, as a user does; back to すべて; other bet types.
    auto *topRows = w->findChild<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly);
    for (int n = 1; n <= top; ++n)
        QTest::keyClick(topRows, Qt::Key_Up);
    QCOMPARE(w->proxy()->rowCount(), top);
    int checked = 0;
    for (int r = 0; r < w->proxy()->rowCount(); ++r)
        checked += w->proxy()->index(r, AnalysisTableModel::PickCol).data(Qt::CheckStateRole) ==
                   Qt::Checked;
    QCOMPARE(checked, pickShown ? 1 : 0);
    QCOMPARE(w->stakePanel()->lines()->item(0, 0)->text(), ticketText(BetType::Quinella, ticket));
    topRows->setValue(0);
    QCOMPARE(w->proxy()->rowCount(), 153);
    QCOMPARE(w->model()->row(w->pickedRows().at(0)).ticket, ticket);
    topRows->setValue(top);
    for (const BetType type : {BetType::Trifecta, BetType::Win, BetType::Quinella})
        w->setBetType(type);
    QCOMPARE(w->proxy()->rowCount(), top);
    QCOMPARE(w->analysis()->inputs().picksOf(BetType::Quinella), picked);
}

// Moving and selecting only read: the 買う column (Space or its box) picks, and the stake panel,
// copying and printing follow it. Tab leaves the table.
void TestAnalysisWindow::checkColumnPicksAndReadingChangesNothing()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    QVERIFY(!doc->document().isChanged());
    QTableView *view = w->view();
    view->setFocus();
    view->setCurrentIndex(w->proxy()->index(0, AnalysisTableModel::TicketCol));
    for (const auto &[key, mods] :
         {std::pair{Qt::Key_Down, Qt::NoModifier}, std::pair{Qt::Key_Down, Qt::ShiftModifier},
          std::pair{Qt::Key_End, Qt::NoModifier}, std::pair{Qt::Key_Home, Qt::ControlModifier},
          std::pair{Qt::Key_Down, Qt::ShiftModifier}})
        QTest::keyClick(view, key, mods);
    QCOMPARE(view->selectionModel()->selectedRows().size(), 2);
    QVERIFY(w->analysis()->inputs().picksOf(BetType::Quinella).empty());
    QVERIFY(!doc->document().isChanged());
    QCOMPARE(w->stakePanel()->lines()->rowCount(), 0);

    // Space checks the current row and the selection with it; again clears them.
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(w->analysis()->inputs().picksOf(BetType::Quinella).size(), size_t(2));
    QVERIFY(doc->document().isChanged());
    QCOMPARE(w->stakePanel()->lines()->rowCount(), 2);
    QCOMPARE(w->proxy()->index(1, 0).data(Qt::CheckStateRole), QVariant(Qt::Checked));
    QCOMPARE(w->proxy()->index(1, 0).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("買う"));
    view->clearSelection();
    view->setCurrentIndex(w->proxy()->index(1, AnalysisTableModel::ProbabilityCol));
    QTest::keyClick(view, Qt::Key_Space);
    const std::set<Ticket> picks = w->analysis()->inputs().picksOf(BetType::Quinella);
    QCOMPARE(picks.size(), size_t(1));
    QCOMPARE(*picks.begin(),
             w->model()->row(w->proxy()->mapToSource(w->proxy()->index(0, 0)).row()).ticket);

    // Copy carries the picked rows; the printed table marks them.
    w->copy();
    const QStringList lines =
        QApplication::clipboard()->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(QStringLiteral("買う\t買い目")));
    QVERIFY(lines[1].startsWith(QStringLiteral("✓\t")));
    w->print();
    QCOMPARE(w->printGrid().text(1, 0), QStringLiteral("✓"));
    QCOMPARE(w->printGrid().text(2, 0), QString());
    if (PrintPreviewWindow *preview = PrintPreviewWindow::existing())
        preview->close();

    // Tab moves on from the table to the next control of the window (the focus the window
    // keeps; the test's windows need not be active).
    view->setFocus();
    QCOMPARE(m_main->focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Tab);
    QWidget *next = m_main->focusWidget();
    QVERIFY2(next != view && w->isAncestorOf(next), next ? next->metaObject()->className() : "");
}

// Ctrl+Shift+Up and Down sort by the current cell's column, and Shift+F10's menu does the same;
// sorting only reads.
void TestAnalysisWindow::keyboardSortsByCurrentColumn()
{
    DocumentWindow *doc = openRace();
    AnalysisWindow *w = analysisWindow(doc);
    QTableView *view = w->view();
    const auto isSorted = [&](int column, Qt::SortOrder order) {
        const QAbstractItemModel *m = view->model();
        for (int r = 1; r < m->rowCount(); ++r) {
            const double a = m->index(r - 1, column).data(AnalysisTableModel::SortRole).toDouble();
            const double b = m->index(r, column).data(AnalysisTableModel::SortRole).toDouble();
            if (order == Qt::AscendingOrder ? a > b : a < b)
                return false;
        }
        return m->rowCount() > 2 && view->horizontalHeader()->sortIndicatorSection() == column &&
               view->horizontalHeader()->sortIndicatorOrder() == order;
    };
    view->setFocus();
    for (const int column :
         {int(AnalysisTableModel::EstimatedCol), int(AnalysisTableModel::ProbabilityCol)}) {
        view->setCurrentIndex(view->model()->index(3, column));
        QTest::keyClick(view, sortAscendingKey.key(), sortAscendingKey.keyboardModifiers());
        QVERIFY(isSorted(column, Qt::AscendingOrder));
        QTest::keyClick(view, sortDescendingKey.key(), sortDescendingKey.keyboardModifiers());
        QVERIFY(isSorted(column, Qt::DescendingOrder));
        QCOMPARE(view->currentIndex().column(), column);
    }

    view->setCurrentIndex(view->model()->index(0, AnalysisTableModel::EstimatedCol));
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    auto *menu = view->findChild<QMenu *>();
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(menu->actions().size(), 2);
    QVERIFY(menu->actions()[0]->text().startsWith(QStringLiteral("この列で昇順に並べ替え")));
    menu->actions()[0]->trigger();
    QVERIFY(isSorted(AnalysisTableModel::EstimatedCol, Qt::AscendingOrder));
    menu->close();

    QVERIFY(!doc->document().isChanged());
    QVERIFY(w->analysis()->inputs().picksOf(BetType::Quinella).empty());
}

QTEST_MAIN(TestAnalysisWindow)
#include "tst_analysiswindow_ui.moc"
