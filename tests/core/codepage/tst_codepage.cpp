#include "core/codepage/codepage.h"

#include <QTest>

class TestCodepage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void decodeInvalid_data();
    void decodeInvalid();
    void encodeUnencodable_data();
    void encodeUnencodable();
    void largeDocumentRoundTrip();
};

void TestCodepage::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("kanji") << "縦枠" << QByteArray("\x8f\x63\x98\x67");
    QTest::newRow("circled digit (NEC row 13)") << "①" << QByteArray("\x87\x40");
    QTest::newRow("full-width tilde") << "～" << QByteArray("\x81\x60");
    QTest::newRow("full-width backslash") << "＼" << QByteArray("\x81\x5f");
    QTest::newRow("half-width katakana") << "ｵ" << QByteArray("\xb5");
    QTest::newRow("backslash stays backslash") << "\\" << QByteArray("\x5c");
    QTest::newRow("tilde stays tilde") << "~" << QByteArray("\x7e");
    QTest::newRow("control bytes unchanged") << "\x1a\x1c\x7f" << QByteArray("\x1a\x1c\x7f");
    QTest::newRow("CR LF and tab") << "a\tb\r\n" << QByteArray("a\tb\r\n");
    QTest::newRow("NUL byte") << QString(QChar(0)) << QByteArray(1, '\0');
    QTest::newRow("IBM extension") << "纊" << QByteArray("\xfa\x5c");
    QTest::newRow("user-defined area") << QString(QChar(0xE000)) << QByteArray("\xf0\x40");
    QTest::newRow("mixed line") << "1,ｵｯｽﾞ,馬連"
                                << QByteArray("1,\xb5\xaf\xbd\xde,\x94\x6e\x98\x41");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestCodepage::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const Cp932::Encoded e = Cp932::encode(text);
    QVERIFY(e.ok);
    QCOMPARE(e.badIndex, qsizetype(-1));
    QCOMPARE(e.bytes, bytes);
    QCOMPARE(Cp932::decode(bytes), text);
}

void TestCodepage::decodeInvalid_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("undefined single byte 0x80") << QByteArray("a\x80z") << "a" + bad + "z";
    QTest::newRow("undefined single byte 0xA0") << QByteArray("\xa0") << bad;
    QTest::newRow("undefined single byte 0xFD") << QByteArray("\xfd\xfe\xff") << bad + bad + bad;
    QTest::newRow("unassigned pair is one replacement") << QByteArray("\x85\x40x") << bad + "x";
    QTest::newRow("lead byte before ASCII keeps the ASCII")
        << QByteArray("\x81\x20\x8f\x63") << bad + " 縦";
    QTest::newRow("lead byte at the end") << QByteArray("ab\x8f") << "ab" + bad;
    QTest::newRow("rest after bad bytes kept")
        << QByteArray("\x80\x8f\x63\x98\x67") << bad + "縦枠";
}

void TestCodepage::decodeInvalid()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(Cp932::decode(bytes), expected);
}

void TestCodepage::encodeUnencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("badIndex");
    QTest::addColumn<uint>("badChar");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("emoji after text")
        << "ab😀c" << qsizetype(2) << uint(0x1F600) << QByteArray("ab?c");
    QTest::newRow("hangul") << "한" << qsizetype(0) << uint(0xD55C) << QByteArray("?");
    QTest::newRow("first of several reported")
        << "x한😀" << qsizetype(1) << uint(0xD55C) << QByteArray("x??");
    QTest::newRow("replacement character")
        << QString(QChar::ReplacementCharacter) << qsizetype(0) << uint(0xFFFD) << QByteArray("?");
    QTest::newRow("lone high surrogate at end")
        << "a" + QString(QChar(0xD800)) << qsizetype(1) << uint(0xD800) << QByteArray("a?");
    QTest::newRow("lone low surrogate inside")
        << QString(QChar(0xDC00)) + "縦" << qsizetype(0) << uint(0xDC00) << QByteArray("?\x8f\x63");
}

void TestCodepage::encodeUnencodable()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, badIndex);
    QFETCH(uint, badChar);
    QFETCH(QByteArray, bytes);
    const Cp932::Encoded e = Cp932::encode(text);
    QVERIFY(!e.ok);
    QCOMPARE(e.badIndex, badIndex);
    QCOMPARE(uint(e.badChar), badChar);
    QCOMPARE(e.bytes, bytes);
}

void TestCodepage::largeDocumentRoundTrip()
{
    // A 36-runner, 36-column document worth of mixed text survives both directions.
    QString text;
    for (int r = 0; r < 36; ++r) {
        for (int c = 0; c < 36; ++c)
            text += QStringLiteral("ｵｯｽﾞ縦枠①%1,").arg(r * c);
        text += QStringLiteral("\r\n");
    }
    const Cp932::Encoded e = Cp932::encode(text);
    QVERIFY(e.ok);
    QCOMPARE(Cp932::decode(e.bytes), text);
}

QTEST_GUILESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
