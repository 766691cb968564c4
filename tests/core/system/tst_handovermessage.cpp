#include "core/system/handovermessage.h"

#include <QTest>
#include <QtEndian>

namespace {

QByteArray number(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

} // namespace

class TestHandOverMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void refused_data();
    void refused();
};

void TestHandOverMessage::roundTrip_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::newRow("no files: only raise the window") << QStringList{};
    QTest::newRow("two files") << QStringList{"/home/u/races/a.csv", "/tmp/b c.csv"};
    QTest::newRow("Japanese, empty and a line break")
        << QStringList{"/home/u/競馬/有馬記念.csv", "", "/tmp/odd\nname.csv"};
}

void TestHandOverMessage::roundTrip()
{
    QFETCH(QStringList, files);
    const QByteArray frame = encodeHandOver(files);
    QStringList decoded{"left over"};
    // Every cut before the end waits for more: a reader never takes half a file name.
    for (qsizetype cut = 0; cut < frame.size(); ++cut)
        QCOMPARE(parseHandOver(frame.left(cut), &decoded), HandOverParse::Incomplete);
    QCOMPARE(decoded, QStringList{"left over"});
    QCOMPARE(parseHandOver(frame, &decoded), HandOverParse::Complete);
    QCOMPARE(decoded, files);
}

void TestHandOverMessage::refused_data()
{
    QTest::addColumn<QByteArray>("received");
    const QByteArray one = encodeHandOver({"/a.csv"});
    QTest::newRow("another program's bytes") << QByteArray("GET / HTTP/1.0\r\n");
    QTest::newRow("bytes after the frame") << one + 'x';
    QTest::newRow("more files than allowed") << QByteArray("KRL1") + number(HandOverMaxFiles + 1);
    QTest::newRow("a name longer than a frame may be")
        << QByteArray("KRL1") + number(1) + number(quint32(HandOverMaxBytes) + 1);
    QTest::newRow("frame over the size limit") << QByteArray("KRL1") + number(1) +
                                                      number(quint32(HandOverMaxBytes)) +
                                                      QByteArray(HandOverMaxBytes, 'a');
}

void TestHandOverMessage::refused()
{
    QFETCH(QByteArray, received);
    QStringList files;
    QCOMPARE(parseHandOver(received, &files), HandOverParse::Invalid);
    QCOMPARE(files, QStringList());
}

QTEST_GUILESS_MAIN(TestHandOverMessage)
#include "tst_handovermessage.moc"
