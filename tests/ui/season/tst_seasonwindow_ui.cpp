// The 成績 window: a folder read off the GUI thread, cancelled part way, fitted, and the fit
// stored as the defaults of new analyses.
#include "core/analysisfile/analysisinputs.h"
#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"
#include "testfiles.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/season/calibrationchart.h"
#include "ui/season/seasoncontroller.h"
#include "ui/season/seasonwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <random>

namespace {

// Races of 10 runners with stakes (投票金), their first three drawn in proportion to them.
void writeSeason(const QString &folder, int races, bool withResults)
{
    QDir().mkpath(folder);
    std::mt19937 rng(17);
    for (int i = 0; i < races; ++i) {
        std::vector<double> stakes(10);
        for (double &s : stakes)
            s = std::uniform_int_distribution<int>(100, 5000)(rng);
        std::vector<double> left = stakes;
        QStringList places;
        for (int k = 0; k < 3; ++k) {
            const int r = std::discrete_distribution<int>(left.begin(), left.end())(rng);
            left[size_t(r)] = 0;
            places << QString::number(r + 1);
        }
        QString text =
            QStringLiteral("縦枠,横枠,R%1,2024/01/%2,予想,控除,投票\r\n10,1,a,b,%3,85,1\r\n"
                           "番,枠,名,順位,オッズ,当選金,人気,投票金\r…,…,…,…,…,…,比率→,1")
                .arg(i)
                .arg(i % 28 + 1)
                .arg(withResults ? places.join(u'-') : QStringLiteral("結果"));
        for (int r = 0; r < 10; ++r)
            text += QStringLiteral("\r%1,,,,,,,%2").arg(r + 1).arg(stakes[size_t(r)]);
        writeAll(QStringLiteral("%1/r%2.csv").arg(folder).arg(i, 4, 10, QChar(u'0')),
                 Cp932::encode(text + QStringLiteral("\r\n")).bytes);
    }
}

} // namespace

class TestSeasonWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readsFolderAndRemembersIt();
    void cancelKeepsWhatWasRead();
    void defaultsGoToTheSettings();

private:
    SeasonWindow *open(const QString &folder);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_main;
    QStringList m_starts;
};

void TestSeasonWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_starts.clear();
    m_main = std::make_unique<MainWindow>(m_dir->path() + u'/');
    m_main->startUp();
}

void TestSeasonWindow::cleanup()
{
    m_main->close();
    m_main.reset();
    SeasonController::folderDialog = nullptr;
    m_dir.reset();
}

SeasonWindow *TestSeasonWindow::open(const QString &folder)
{
    SeasonController::folderDialog = [this, folder](const QString &start) {
        m_starts << start;
        return folder;
    };
    m_main->season()->seasonAction->trigger();
    QMdiSubWindow *sub = m_main->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<SeasonWindow *>(sub->widget()) : nullptr;
}

void TestSeasonWindow::readsFolderAndRemembersIt()
{
    const QString folder = m_dir->filePath(QStringLiteral("season"));
    writeSeason(folder + QStringLiteral("/done"), 5, true);
    writeSeason(folder + QStringLiteral("/open"), 2, false);
    SeasonWindow *w = open(folder);
    QVERIFY(w);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    QCOMPARE(w->races().size(), size_t(7));
    QCOMPARE(w->summary().races, 5);
    QCOMPARE(w->summary().excluded, 2);
    QVERIFY2(w->summaryText().startsWith(QStringLiteral("レース 5　除外 2　")),
             qPrintable(w->summaryText()));
    QCOMPARE(w->table()->model()->rowCount(), 7);
    QVERIFY(!w->chart()->points().isEmpty());
    QCOMPARE(m_main->mdiArea()->activeSubWindow()->windowTitle(),
             QStringLiteral("成績 - ") + folder);

    // Sorted by the winner's probability, excluded races last.
    w->table()->sortByColumn(5, Qt::DescendingOrder);
    QCOMPARE(w->table()->model()->index(6, 4).data().toString(), QStringLiteral("除外: 結果なし"));

    // Opened with its first control focused; Tab leaves the table; Enter opens a race.
    QApplication::setActiveWindow(m_main.get());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QVERIFY(w->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(!w->table()->tabKeyNavigation());
    w->table()->setFocus();
    QTest::keyClick(w->table(), Qt::Key_Tab);
    QVERIFY(!w->table()->hasFocus());
    QSignalSpy opened(w, &SeasonWindow::openRequested);
    w->table()->setFocus();
    w->table()->setCurrentIndex(w->table()->model()->index(0, 1));
    QTest::keyClick(w->table(), Qt::Key_Return);
    QCOMPARE(opened.size(), 1);

    // The next time the dialog starts where the last season was.
    open(folder);
    QCOMPARE(m_starts.last(), folder);
}

void TestSeasonWindow::cancelKeepsWhatWasRead()
{
    const QString folder = m_dir->filePath(QStringLiteral("big"));
    writeSeason(folder, 600, true);
    SeasonWindow *w = open(folder);
    QVERIFY(w && w->busy());
    QSignalSpy idle(w, &SeasonWindow::idle);
    w->cancel();
    QVERIFY(idle.wait(2000));
    QVERIFY(!w->busy());
    QVERIFY2(w->races().size() < 600, qPrintable(QString::number(w->races().size())));
    QCOMPARE(size_t(w->table()->model()->rowCount()), w->races().size());
}

void TestSeasonWindow::defaultsGoToTheSettings()
{
    const QString folder = m_dir->filePath(QStringLiteral("season"));
    writeSeason(folder, 120, true);
    SeasonWindow *w = open(folder);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    w->makeDefaults();
    QCOMPARE(w->noteText(), QStringLiteral("先に当てはめてください。"));

    w->fit();
    QVERIFY2(w->lastFit().ok(), qPrintable(w->fitText()));
    w->makeDefaults();
    QCOMPARE(w->noteText(), QStringLiteral("これからの分析の既定にしました。"));
    AnalysisInputs stored;
    loadAnalysisPreferences(m_main->settingsPath(), &stored);
    QCOMPARE(stored.parameters.model, OrderModel::Harville);
    QVERIFY(std::fabs(stored.parameters.beta - w->lastFit().values[0].value) < 1e-6);
}

QTEST_MAIN(TestSeasonWindow)
#include "tst_seasonwindow_ui.moc"
