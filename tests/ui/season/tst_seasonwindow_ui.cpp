// The 成績 window: a folder read off the GUI thread, cancelled part way, fitted, and the fit
// stored as the defaults of new analyses.
#include "core/analysisfile/analysisinputs.h"
#include "core/codepage/codepage.h"
#include "core/season/seasonverdict.h"
#include "core/settings/inifile.h"
#include "testfiles.h"
#include "ui/desktop/tableexport.h"
#include "ui/desktop/termlabel.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/season/calibrationchart.h"
#include "ui/season/columnspane.h"
#include "ui/season/comparepane.h"
#include "ui/season/seasoncontroller.h"
#include "ui/season/seasonwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
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

// Races of 10 runners with stakes (投票金, the market) and an own forecast (予想): both noisy
// views of the strengths the first three are drawn from, or the forecast pure noise and the
// order drawn from the stakes.
void writeOwnSeason(const QString &folder, int races, bool informative)
{
    QDir().mkpath(folder);
    std::mt19937 rng(29);
    std::normal_distribution<double> normal;
    for (int i = 0; i < races; ++i) {
        std::vector<double> strength(10), stakes(10), own(10), w(10);
        for (size_t r = 0; r < 10; ++r) {
            strength[r] = normal(rng);
            stakes[r] = std::round(1000 * std::exp(strength[r] + 0.8 * normal(rng)));
            own[r] = std::round(
                100 * std::exp(informative ? strength[r] + 0.8 * normal(rng) : normal(rng)));
            w[r] = informative ? std::exp(strength[r]) : stakes[r];
        }
        QStringList places;
        for (int k = 0; k < 3; ++k) {
            const int r = std::discrete_distribution<int>(w.begin(), w.end())(rng);
            w[size_t(r)] = 0;
            places << QString::number(r + 1);
        }
        QString text =
            QStringLiteral("縦枠,横枠,R%1,2024/02/%2,予想,控除,投票\r\n10,2,a,b,%3,85,1\r\n"
                           "番,枠,名,順位,オッズ,当選金,人気,投票金,予想\r"
                           "…,…,…,…,…,…,比率→,1,1")
                .arg(i)
                .arg(i % 28 + 1)
                .arg(places.join(u'-'));
        for (size_t r = 0; r < 10; ++r)
            text += QStringLiteral("\r%1,,,,,,,%2,%3").arg(r + 1).arg(stakes[r]).arg(own[r]);
        writeAll(QStringLiteral("%1/r%2.csv").arg(folder).arg(i, 4, 10, QChar(u'0')),
                 Cp932::encode(text + QStringLiteral("\r\n")).bytes);
    }
}

// A CSV text's rows, fields unquoted.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
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
    void comparisonInWords_data();
    void comparisonInWords();
    void fittedValuesUsedUnrounded();
    void tableExportsRoundTrip();
    void openAgainFromTheDefaults();

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
    // Each number of the summary explains itself, the one in brackets too.
    QStringList explained;
    for (const TermLabel *label : w->findChildren<TermLabel *>())
        if (label->plainText() == w->summaryText())
            for (const auto &[part, explanation] : label->explainedParts())
                if (!explanation.isEmpty())
                    explained << part.section(u' ', 0, 0);
    QCOMPARE(explained, QStringList({"レース", "除外", "対数尤度", "勝ち馬のみ", "ブライアスコア",
                                     "本命（確率1位）の勝利", "1番人気の勝利"}));
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

void TestSeasonWindow::comparisonInWords_data()
{
    QTest::addColumn<bool>("informative");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("own columns add to the market")
        << true << QStringLiteral("自分の列は市場にない情報を持っています（尤度比 ");
    QTest::newRow("own columns are noise")
        << false << QStringLiteral("自分の列を加えても市場だけのモデルより良くなりません（p = ");
}

void TestSeasonWindow::comparisonInWords()
{
    QFETCH(bool, informative);
    QFETCH(QString, verdict);
    const QString folder = m_dir->filePath(QStringLiteral("own"));
    writeOwnSeason(folder, 200, informative);
    SeasonWindow *w = open(folder);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    auto *compare = w->comparePane()->findChild<QPushButton *>(QStringLiteral("compare"));
    QVERIFY(compare && compare->isEnabled());
    compare->click();
    const SeasonComparison &c = w->comparePane()->comparison();
    QVERIFY(c.ok());
    QCOMPARE(c.races, 200);
    QCOMPARE(w->comparePane()->tableModel()->rowCount(), 6);
    const QString text = w->comparePane()->verdictText();
    QVERIFY2(text.contains(verdict), qPrintable(text));
    // The same evidence as the test's numbers.
    const LikelihoodRatio &lr = c.tests[1];
    QCOMPARE(lr.small + u' ' + lr.large, QStringLiteral("market combined"));
    QVERIFY2(text.contains(lr.p < 0.0001 ? QStringLiteral("p < 0.0001")
                                         : QStringLiteral("p = ") + pValueText(lr.p)),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("AIC で最も良いのは ")));
    QVERIFY(w->comparePane()->tableModel()->index(0, 0).data().toString().startsWith(
        QStringLiteral("Harville (β)")));
    // The 列 view shows the columns model's one column.
    QCOMPARE(w->columnsPane()->chart()->values().size(), size_t(1));
    QCOMPARE(w->columnsPane()->tableModel()->index(0, 0).data().toString(), QStringLiteral("予想"));
    // The calibration's bins, with their intervals, as a table.
    QCOMPARE(w->calibrationTable()->rowCount(), 9);
    QCOMPARE(w->chart()->intervals().size(), w->chart()->points().size());
}

void TestSeasonWindow::fittedValuesUsedUnrounded()
{
    const QString folder = m_dir->filePath(QStringLiteral("own"));
    writeOwnSeason(folder, 120, true);
    SeasonWindow *w = open(folder);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    w->fit();
    QVERIFY(w->lastFit().ok());
    const double beta = w->lastFit().values[0].value;
    QVERIFY(w->useFit(w->lastFit()));
    QVERIFY(idle.wait(10000));
    QCOMPARE(w->model().beta, beta); // exactly
    // Shown with four decimals.
    bool shown = false;
    for (const QDoubleSpinBox *box : w->findChildren<QDoubleSpinBox *>())
        shown = shown || box->text() == QString::number(beta, 'f', 4);
    QVERIFY(shown);
    // The season is evaluated at it.
    SeasonModel exact;
    exact.beta = beta;
    SeasonEvaluator evaluator(exact);
    for (const SeasonRace &race : w->races())
        evaluator.add(race);
    QCOMPARE(w->summary().loglik, evaluator.summary().loglik);

    // The comparison's discount row, and the market model as the combined one at alpha 0.
    w->comparePane()->compare();
    w->comparePane()->selectModel(QStringLiteral("discount"));
    const SeasonFit discount = w->comparePane()->chosen()->fit;
    Q_EMIT w->comparePane()->useRequested(discount);
    QVERIFY(idle.wait(10000));
    QCOMPARE(w->model().order, OrderModel::Discount);
    QCOMPARE(w->model().lambda, discount.value(Coefficient::Lambda));
    QCOMPARE(w->model().rho, discount.value(Coefficient::Rho));
    w->comparePane()->selectModel(QStringLiteral("market"));
    QVERIFY(w->useFit(w->comparePane()->chosen()->fit));
    QVERIFY(idle.wait(10000));
    QVERIFY(w->model().combine);
    QCOMPARE(w->model().alpha, 0.0);
    QCOMPARE(w->model().gamma, w->comparePane()->chosen()->fit.value(Coefficient::Gamma));
}

void TestSeasonWindow::tableExportsRoundTrip()
{
    const QString folder = m_dir->filePath(QStringLiteral("season"));
    writeSeason(folder, 6, true);
    // A name with a comma and a quote: a field the CSV has to quote.
    QVERIFY(QFile::rename(folder + QStringLiteral("/r0000.csv"),
                          folder + QStringLiteral("/a,\"b\".csv")));
    SeasonWindow *w = open(folder);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    w->comparePane()->compare();
    for (QAbstractItemModel *model :
         {w->seasonTable(), static_cast<QAbstractItemModel *>(w->comparePane()->tableModel())}) {
        const QString path = m_dir->filePath(QStringLiteral("table.csv"));
        QCOMPARE(saveTableCsv(*model, path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(bytes.mid(3)));
        QCOMPARE(rows.size(), model->rowCount() + 1);
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c)
                QCOMPARE(rows[r + 1][c], model->index(r, c).data().toString());
        QCOMPARE(rows[0][0], model->headerData(0, Qt::Horizontal).toString());
        // The clipboard's text: the same cells between tabs.
        const QStringList lines = tableTabText(*model).split(u'\n');
        QCOMPARE(lines[1].split(u'\t'), rows[1]);
    }
    QVERIFY(tableTabText(*w->seasonTable()).contains(QStringLiteral("a,\"b\".csv")));
}

void TestSeasonWindow::openAgainFromTheDefaults()
{
    AnalysisInputs stored;
    stored.parameters.model = OrderModel::Discount;
    stored.parameters.beta = 1.234567891234;
    stored.parameters.lambda = 0.87654321;
    QVERIFY(saveAnalysisPreferences(m_main->settingsPath(), stored));
    const QString folder = m_dir->filePath(QStringLiteral("season"));
    writeSeason(folder, 4, true);
    SeasonWindow *w = open(folder);
    QCOMPARE(w->model().order, OrderModel::Discount);
    QCOMPARE(w->model().beta, 1.234567891234);
    QCOMPARE(w->model().lambda, 0.87654321);
    QSignalSpy idle(w, &SeasonWindow::idle);
    QVERIFY(idle.wait(10000));
    const int windows = int(m_main->mdiArea()->subWindowList().size());
    m_main->mdiArea()->activateNextSubWindow();
    QCOMPARE(qobject_cast<SeasonWindow *>(open(folder + u'/')), w);
    QCOMPARE(int(m_main->mdiArea()->subWindowList().size()), windows);
}

QTEST_MAIN(TestSeasonWindow)
#include "tst_seasonwindow_ui.moc"
