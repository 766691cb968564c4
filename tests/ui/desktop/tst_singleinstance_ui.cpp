// A later start and the running instance, both ends in this process: the later start runs on a
// thread of its own, as blocking as in the real program.
#include "ui/desktop/singleinstance.h"
#include "ui/desktop/windowtools.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

enum class Outcome { Runs, HandedOver, Fails };
Q_DECLARE_METATYPE(Outcome)

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void claim_data();
    void claim();
};

void TestSingleInstance::claim_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<int>("listenAfterMs"); // -1: the holder never listens
    QTest::addColumn<int>("leaveAfterMs");  // -1: the holder stays
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Outcome>("outcome");

    const QStringList two{"/home/u/races/a.csv", "/home/u/競馬/b.csv"};
    QTest::newRow("nobody runs") << false << -1 << -1 << two << Outcome::Runs;
    QTest::newRow("running instance takes the files")
        << true << 0 << -1 << two << Outcome::HandedOver;
    QTest::newRow("no files: only shown")
        << true << 0 << -1 << QStringList{} << Outcome::HandedOver;
    QTest::newRow("holder still starting") << true << 400 << -1 << two << Outcome::HandedOver;
    QTest::newRow("holder ends while starting") << true << -1 << 400 << two << Outcome::Runs;
    QTest::newRow("holder never answers") << true << -1 << -1 << two << Outcome::Fails;
}

void TestSingleInstance::claim()
{
    QFETCH(bool, held);
    QFETCH(int, listenAfterMs);
    QFETCH(int, leaveAfterMs);
    QFETCH(QStringList, files);
    QFETCH(Outcome, outcome);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString lockPath = dir.filePath("kirrel.lock");
    std::unique_ptr<QLockFile> holder = held ? lockSingleInstance(lockPath) : nullptr;
    QCOMPARE(bool(holder), held);
    // A holder that was killed leaves its socket file behind; the next one must still listen.
    QFile leftOver(instanceSocketPath(lockPath));
    QVERIFY(leftOver.open(QIODevice::WriteOnly));
    leftOver.close();
    InstanceListener listener;
    QSignalSpy received(&listener, &InstanceListener::filesReceived);
    if (listenAfterMs >= 0)
        QTimer::singleShot(listenAfterMs, &listener,
                           [&] { QVERIFY(listener.listen(instanceSocketPath(lockPath))); });
    if (leaveAfterMs >= 0)
        QTimer::singleShot(leaveAfterMs, this, [&] { holder.reset(); });

    const int patienceMs = 1500;
    InstanceClaim claim;
    QElapsedTimer clock;
    clock.start();
    QThread *later = QThread::create([&] { claim = claimInstance(lockPath, files, patienceMs); });
    later->start();
    QTRY_VERIFY_WITH_TIMEOUT(later->isFinished(), 10000);
    delete later;

    QCOMPARE(bool(claim.lock), outcome == Outcome::Runs);
    QCOMPARE(claim.handedOver, outcome == Outcome::HandedOver);
    if (outcome == Outcome::Fails) {
        QVERIFY(clock.elapsed() >= patienceMs);
        QVERIFY2(claim.error.contains(instanceSocketPath(lockPath)), qPrintable(claim.error));
    } else {
        QCOMPARE(claim.error, QString());
    }
    if (outcome == Outcome::HandedOver) {
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), files);
    } else {
        QCOMPARE(received.size(), 0);
    }
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance_ui.moc"
