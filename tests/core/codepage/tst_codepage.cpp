#include "core/codepage/codepage.h"

#include <QTest>
#include <cerrno>
#include <iconv.h>

namespace {

// The converter run over the whole input, resynchronising after each undefined byte or pair:
// what the codec's tables must give back byte for byte.
QString converterDecode(const QByteArray &bytes)
{
    static const iconv_t cd = iconv_open("UTF-16LE", "CP932");
    QString out(bytes.size(), Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *o = reinterpret_cast<char *>(out.data());
    size_t outLeft = size_t(out.size()) * 2;
    auto isLead = [](uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    auto isTrail = [](uchar b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; };
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) {
        const size_t skip = isLead(uchar(in[0])) && inLeft >= 2 && isTrail(uchar(in[1])) ? 2 : 1;
        in += skip;
        inLeft -= skip;
        *reinterpret_cast<char16_t *>(o) = QChar::ReplacementCharacter;
        o += 2;
        outLeft -= 2;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - qsizetype(outLeft) / 2);
    return out;
}

// The converter's bytes for one UTF-16 unit; empty when it has none.
QByteArray converterEncode(char16_t unit)
{
    static const iconv_t cd = iconv_open("CP932", "UTF-16LE");
    char bytes[4];
    char *in = reinterpret_cast<char *>(&unit);
    size_t inLeft = 2;
    char *o = bytes;
    size_t outLeft = sizeof bytes;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1))
        return QByteArray();
    return QByteArray(bytes, o - bytes);
}

} // namespace

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
    void tablesAgreeWithConverter_data();
    void tablesAgreeWithConverter();
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

void TestCodepage::tablesAgreeWithConverter_data()
{
    // Every byte pair, alone and between the neighbours that change how it is read: a lead
    // byte before it, a lead byte cut off after it.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("alone") << QByteArray() << QByteArray();
    QTest::newRow("after a lead byte") << QByteArray("\x81") << QByteArray();
    QTest::newRow("before a cut lead byte") << QByteArray("a") << QByteArray("\x98");
}

void TestCodepage::tablesAgreeWithConverter()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    for (int pair = 0; pair < 0x10000; ++pair) {
        const QByteArray bytes = before + char(pair >> 8) + char(pair & 0xFF) + after;
        const QString expected = converterDecode(bytes);
        if (Cp932::decode(bytes) != expected)
            QFAIL(
                qPrintable(QStringLiteral("decoding %1").arg(QString::fromLatin1(bytes.toHex()))));
    }
    // Every unit outside the surrogates: encode() gives the converter's bytes, writeExact()
    // writes them exactly when they read back as the unit.
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (QChar::isSurrogate(u))
            continue;
        const QString text = QChar(char16_t(u));
        const QByteArray expected = converterEncode(char16_t(u));
        const Cp932::Encoded e = Cp932::encode(text);
        char written[2];
        const char *end = Cp932::writeExact(text, written);
        const bool exact = !expected.isEmpty() && converterDecode(expected) == text;
        if (e.ok == expected.isEmpty() || (e.ok && e.bytes != expected) ||
            (end != nullptr) != exact || (exact && QByteArray(written, end - written) != expected))
            QFAIL(qPrintable(QStringLiteral("encoding U+%1").arg(uint(u), 4, 16, QChar(u'0'))));
    }
}

QTEST_GUILESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
