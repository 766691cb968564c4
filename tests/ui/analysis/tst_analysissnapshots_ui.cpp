// The analysis window over time: 前回, 変化 and the 急落 flag, the snapshot chooser and the
// 払戻 panel.
#include "core/analysis/documentanalysis.h"
#include "core/settings/inifile.h"
#include "testfiles.h"
#include "ui/analysis/analysiscontroller.h"
#include "ui/analysis/analysistablemodel.h"
#include "ui/analysis/analysiswindow.h"
#include "ui/analysis/payoutpanel.h"
#include "ui/desktop/clipboard.h"
#include "ui/desktop/dialogs.h"
#include "ui/document/documentwindow.h"
#include "ui/mainwindow/mainwindow.h"

#include <QComboBox>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestAnalysisSnapshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void suddenDropAtThreshold_data();
    void suddenDropAtThreshold();
    void earlierSnapshotShownAndDeleted();
    void payoutsEntered_data();
    void payoutsEntered();
    void editPasteGoesToPayoutBox();

private:
    AnalysisWindow *openWindow();
    // Snapshots of 馬連 1-2 (row 0 of race18), newest first, two minutes apart.
    static void setHistory(AnalysisWindow *w, const std::vector<double> &odds);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_main;
    QList<MsgAnswer> m_answers;
};

void TestAnalysisSnapshots::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile::copy(dataPath(QStringLiteral("race18.csv")), m_dir->filePath(QStringLiteral("r.csv")));
    m_answers.clear();
    DialogHooks::messageBox = [this](const MessageBoxRequest &) {
        return m_answers.isEmpty() ? MsgAnswer::No : m_answers.takeFirst();
    };
}

void TestAnalysisSnapshots::cleanup()
{
    m_main->close();
    m_main.reset();
    DialogHooks::messageBox = nullptr;
    m_dir.reset();
}

AnalysisWindow *TestAnalysisSnapshots::openWindow()
{
    m_main = std::make_unique<MainWindow>(m_dir->path() + u'/');
    m_main->startUp();
    m_main->openFile(m_dir->filePath(QStringLiteral("r.csv")));
    return qobject_cast<AnalysisWindow *>(
        m_main->analysis()->openAnalysisWindow(m_main->activeDocument())->widget());
}

void TestAnalysisSnapshots::setHistory(AnalysisWindow *w, const std::vector<double> &odds)
{
    AnalysisInputs in = w->analysis()->inputs();
    const QDateTime last(QDate(2026, 12, 12), QTime(14, 10));
    const Ticket ticket{1, 2, 0};
    in.actualOf(BetType::Quinella) = {{ticket, odds[0]}};
    in.latestTime[size_t(BetType::Quinella)] = snapshotTimeText(last);
    in.earlierOf(BetType::Quinella).clear();
    for (size_t k = 1; k < odds.size(); ++k)
        in.earlierOf(BetType::Quinella)
            .push_back({snapshotTimeText(last.addSecs(-120 * int(k))), {{ticket, odds[k]}}});
    w->analysis()->state().setInputs(in);
}

void TestAnalysisSnapshots::suddenDropAtThreshold_data()
{
    QTest::addColumn<QString>("setting"); // DropThreshold in the settings file
    QTest::addColumn<double>("previous"); // 0: only one snapshot
    QTest::addColumn<double>("now");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("drop");
    QTest::newRow("exactly 30 % by default") << "" << 10.0 << 7.0 << "-30.0% 急落" << true;
    QTest::newRow("just short of it") << "" << 10.0 << 7.1 << "-29.0%" << false;
    // (3.0 - 2.1) / 3.0 is a hair below 0.3 as a double; the row shows -30.0 %.
    QTest::newRow("30 % as shown") << "" << 3.0 << 2.1 << "-30.0% 急落" << true;
    QTest::newRow("a rise") << "" << 10.0 << 12.5 << "+25.0%" << false;
    QTest::newRow("threshold from the settings") << "25" << 10.0 << 7.5 << "-25.0% 急落" << true;
    QTest::newRow("unreadable setting: 30") << "x" << 10.0 << 7.5 << "-25.0%" << false;
    QTest::newRow("no earlier snapshot") << "" << 0.0 << 7.0 << "" << false;
}

void TestAnalysisSnapshots::suddenDropAtThreshold()
{
    QFETCH(QString, setting);
    QFETCH(double, previous);
    QFETCH(double, now);
    QFETCH(QString, change);
    QFETCH(bool, drop);
    if (!setting.isEmpty())
        QVERIFY(writeSetting(m_dir->filePath(QStringLiteral("KirrelSys.ini")),
                             QStringLiteral("Analysis"), QStringLiteral("DropThreshold"), setting)
                    .ok);
    AnalysisWindow *w = openWindow();
    setHistory(w, previous > 0 ? std::vector<double>{now, previous} : std::vector<double>{now});
    const AnalysisTableModel *m = w->model();
    const int row = 0; // 1-2 is the race's most probable pair
    QCOMPARE(m->row(row).ticket, (Ticket{1, 2, 0}));
    QCOMPARE(m->index(row, AnalysisTableModel::ChangeCol).data().toString(), change);
    QCOMPARE(m->index(row, AnalysisTableModel::PreviousCol).data().toString(),
             previous > 0 ? QString::number(previous, 'f', 1) : QString());
    QCOMPARE(m->isSuddenDrop(row), drop);
    QCOMPARE(m->index(row, AnalysisTableModel::TicketCol).data(Qt::ForegroundRole).isValid(), drop);
    QCOMPARE(w->view()->isColumnHidden(AnalysisTableModel::ChangeCol), previous == 0);
    // Copied and printed, the row has the columns shown: 前回 and 変化 only with an earlier
    // snapshot.
    const QStringList lines = analysisRowsText(*m, {row}).split(QStringLiteral("\r\n"));
    const QStringList header = lines[0].split(u'\t');
    const QStringList fields = lines[1].split(u'\t');
    QCOMPARE(header.size(), m->columnCount() - (previous > 0 ? 0 : 2));
    QCOMPARE(header.contains(QStringLiteral("前回")), previous > 0);
    QCOMPARE(header.indexOf(QStringLiteral("変化")) >= 0
                 ? fields[header.indexOf(QStringLiteral("変化"))]
                 : QString(),
             change);
    QCOMPARE(fields[header.indexOf(QStringLiteral("実オッズ"))], QString::number(now, 'f', 1));
    Grid printed;
    fillAnalysisPrintGrid(printed, *m, {row}, w->view()->fontMetrics(), 15);
    QCOMPARE(printed.cols(), header.size());
    QCOMPARE(printed.cellForeColor(1, AnalysisTableModel::TicketCol),
             drop ? rgb(150, 0, 0) : NoColor); // readable on every row colour
    for (int c = 0; c < printed.cols(); ++c) {
        QCOMPARE(printed.text(0, c), header[c]);
        QCOMPARE(printed.text(1, c), fields[c]);
    }
}

void TestAnalysisSnapshots::earlierSnapshotShownAndDeleted()
{
    AnalysisWindow *w = openWindow();
    setHistory(w, {7.0, 10.0, 20.0});
    const AnalysisTableModel *m = w->model();
    QCOMPARE(w->snapshotBox()->count(), 3);
    QCOMPARE(w->snapshotBox()->currentText(), QStringLiteral("最新　2026-12-12 14:10:00"));
    w->snapshotBox()->setCurrentIndex(1);
    QCOMPARE(m->row(0).actualOdds, 10.0);
    QCOMPARE(m->index(0, AnalysisTableModel::ActualCol).flags() & Qt::ItemIsEditable, 0);
    // A time out of order is refused; one in order is the snapshot's.
    QVERIFY(!w->setSnapshotTime(QStringLiteral("2026-12-12 14:30:00")));
    QVERIFY(w->statusText().contains(QStringLiteral("2026-12-12 14:10:00")));
    QVERIFY(w->setSnapshotTime(QStringLiteral("2026-12-12 14:07:30")));
    QCOMPARE(snapshotTimeOf(w->analysis()->inputs(), BetType::Quinella, 1),
             QStringLiteral("2026-12-12 14:07:30"));
    // Deleting asks first: No keeps it, Yes deletes it and shows the next older one.
    m_answers = {MsgAnswer::No, MsgAnswer::Yes};
    w->deleteSnapshot();
    QCOMPARE(snapshotCount(w->analysis()->inputs(), BetType::Quinella), 3);
    w->deleteSnapshot();
    QVERIFY(m_answers.isEmpty()); // asked twice
    QCOMPARE(snapshotCount(w->analysis()->inputs(), BetType::Quinella), 2);
    QCOMPARE(m->row(0).actualOdds, 20.0);
    QVERIFY(w->analysis()->state().isChanged());
    // A paste into a full history brings the latest back into view and says what went.
    setHistory(w, std::vector<double>(size_t(MaxSnapshots), 10.0));
    QVERIFY(w->pasteText(QStringLiteral("1-2 5.0")));
    QCOMPARE(w->snapshotBox()->currentIndex(), 0);
    QCOMPARE(m->row(0).actualOdds, 5.0);
    QCOMPARE(snapshotCount(w->analysis()->inputs(), BetType::Quinella), MaxSnapshots);
    QCOMPARE(w->statusText(),
             QStringLiteral("オッズの時点は200までなので、いちばん古い時点を消しました。"));
}

void TestAnalysisSnapshots::payoutsEntered_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // the panel's lines after; empty when refused
    QTest::addColumn<QString>("message");
    QTest::newRow("page") << "3-7-12"
                          << "複勝 ７ 1,150円 3 210円 5番人気"
                          << "複勝 3 210円\n複勝 7 1,150円\n"
                          << "払戻 2 件を入れました。";
    QTest::newRow("wrong") << "3-7-12"
                           << "単勝 7 350円"
                           << ""
                           << "払戻 単勝 7 350円 は結果 3-7-12 と合いません";
    QTest::newRow("no result: not checked") << ""
                                            << "単勝 7 350"
                                            << "単勝 7 350円\n"
                                            << "1 件";
}

void TestAnalysisSnapshots::payoutsEntered()
{
    QFETCH(QString, result);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    AnalysisWindow *w = openWindow();
    m_main->activeDocument()->setTitleText(5, result);
    w->analysis()->documentChanged();
    PayoutPanel *panel = w->payoutPanel();
    panel->editor()->setPlainText(text);
    panel->apply();
    QVERIFY2(panel->messageText().contains(message), qPrintable(panel->messageText()));
    QCOMPARE(w->analysis()->inputs().payouts.empty(), stored.isEmpty());
    QCOMPARE(panel->editor()->toPlainText(), stored.isEmpty() ? text : stored);
}

void TestAnalysisSnapshots::editPasteGoesToPayoutBox()
{
    AnalysisWindow *w = openWindow();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    w->payoutPanel()->editor()->setFocus();
    setClipboardText(QStringLiteral("単勝 7 350円"));
    QVERIFY(m_main->analysis()->paste());
    QCOMPARE(w->payoutPanel()->editor()->toPlainText(), QStringLiteral("単勝 7 350円"));
    QVERIFY(w->analysis()->inputs().actualOf(BetType::Quinella).empty());
}

QTEST_MAIN(TestAnalysisSnapshots)
#include "tst_analysissnapshots_ui.moc"
