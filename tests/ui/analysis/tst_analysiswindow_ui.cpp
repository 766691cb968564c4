// The analysis and chart windows in the main window: following the document, pasted odds, the
// stake panel, the sidecar beside a saved document and closing with the document.
#include "core/analysis/documentanalysis.h"
#include "core/editing/clipboardrange.h"
#include "testfiles.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/analysis/analysistablemodel.h"
#include "ui/analysis/analysiswindow.h"
#include "ui/analysis/chartwindow.h"
#include "ui/analysis/stakepanel.h"
#include "ui/desktop/dialogs.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/print/printpreviewwindow.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestAnalysisWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tableFollowsDocument();
    void pastedMatrixLandsOnPairs();
    void typedOdds_data();
    void typedOdds();
    void stakesOfSelection();
    void sidecarBesideSavedDocument();
    void failedSidecarTellsAndKeepsDocument();
    void closingDocumentClosesItsWindows();
    void printsTopRowsAsShown();

private:
    DocumentWindow *openRace();
    AnalysisWindow *analysisWindow(DocumentWindow *doc);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QMdiSubWindow *subWindowOf(QWidget *window) const;
    // The model row of a ticket, -1 when the table has none.
    static int rowOf(const AnalysisWindow *w, const Ticket &t);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_main;
    QStringList m_fileAnswers;
    QList<MessageBoxRequest> m_boxes;
    QList<MsgAnswer> m_boxAnswers;
};

void TestAnalysisWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile::copy(DataPath(QStringLiteral("race18.csv")), path(QStringLiteral("race18.csv")));
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
    m_main->StartUp();
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
    doc->RefreshFromDocument();
    QTRY_COMPARE(top(), 18);
    QCOMPARE(doc->document().runnerTable.text(2, ColSupport), supportBefore);

    doc->recalculate();
    QCOMPARE(top(), 18);
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

void TestAnalysisWindow::stakesOfSelection()
{
    AnalysisWindow *w = analysisWindow(openRace());
    w->setBetType(BetType::Win);
    const auto pick = [w](int proxyRows) {
        w->view()->clearSelection();
        for (int r = 0; r < proxyRows; ++r)
            w->view()->selectionModel()->select(
                w->proxy()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    pick(1);
    QVERIFY(!w->stakePanel()->lossShown());
    QCOMPARE(w->stakePanel()->lines()->rowCount(), 1);
    // Every runner together pays back only the payout ratio.
    pick(18);
    QVERIFY(w->stakePanel()->lossShown());
    QVERIFY(w->stakePanel()->combinedOddsText().startsWith(QStringLiteral("合成オッズ 0.")));
    QCOMPARE(w->analysis()->inputs().picksOf(BetType::Win).size(), size_t(18));
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
    const Result<AnalysisInputs> written = ReadSidecar(path(QStringLiteral("copy.csv.analysis")));
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

void TestAnalysisWindow::failedSidecarTellsAndKeepsDocument()
{
    DocumentWindow *doc = openRace();
    analysisWindow(doc);
    QDir(m_dir->path()).mkdir(QStringLiteral("race18.csv.analysis"));
    const QByteArray before = ReadAll(path(QStringLiteral("race18.csv")));
    doc->setTitleText(2, QStringLiteral("改題"));
    m_main->saveActiveDocument();
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].text.startsWith(
        QStringLiteral("文書は保存しましたが、分析を保存できませんでした")));
    QVERIFY(ReadAll(path(QStringLiteral("race18.csv"))) != before);
}

void TestAnalysisWindow::closingDocumentClosesItsWindows()
{
    DocumentWindow *doc = openRace();
    AnalysisController *c = m_main->analysis();
    QMdiSubWindow *table = c->openAnalysisWindow(doc);
    QMdiSubWindow *chart = c->openChartWindow(doc);
    QCOMPARE(table->windowTitle(), QStringLiteral("買い目分析 - ") + doc->windowTitle());
    QVERIFY(qobject_cast<ChartWindow *>(chart->widget()));
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
    // The bet type in view is saved with the document: choosing it is a change of the document.
    QVERIFY(doc->document().isChanged());
    QCOMPARE(int(w->rowsInViewOrder(false).size()), 4896);

    // The ten most probable tickets, shown longest odds first: the print follows the view.
    w->setTopRows(10);
    w->view()->sortByColumn(AnalysisTableModel::EstimatedCol, Qt::DescendingOrder);
    const std::vector<int> shown = w->rowsInViewOrder(false);
    QCOMPARE(int(shown.size()), 10);
    for (const int r : shown)
        QVERIFY(r < 10);
    w->print();
    QVERIFY(PrintPreviewWindow::existing());
    const Grid &g = w->printGrid();
    QCOMPARE(g.rows(), 11);
    QCOMPARE(g.text(0, AnalysisTableModel::TicketCol), QStringLiteral("買い目"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(g.text(i + 1, AnalysisTableModel::TicketCol),
                 TicketText(BetType::Trifecta, w->model()->row(shown[size_t(i)]).ticket));

    w->setTopRows(0);
    QCOMPARE(int(w->rowsInViewOrder(false).size()), 4896);
    // The preview shows the window's grid: it closes with the window.
    subWindowOf(w)->close();
    QTRY_VERIFY(!PrintPreviewWindow::existing());
}

QTEST_MAIN(TestAnalysisWindow)
#include "tst_analysiswindow_ui.moc"
