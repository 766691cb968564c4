// The colours that carry a meaning read at 4.5:1 or more on what they are drawn on, in the
// light palette, a dark one and a mid-grey one.
#include "ui/desktop/uicolor.h"

#include <QApplication>
#include <QStyle>
#include <QTest>

Q_DECLARE_METATYPE(QPalette)

class TestUiColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contrastRatioKnownValues()
    {
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white) * 10), 210);
        QCOMPARE(contrastRatio(QColor(118, 118, 118), Qt::white) >= 4.5, true);
        QCOMPARE(contrastRatio(QColor(119, 119, 119), Qt::white) < 4.6, true);
        QCOMPARE(contrastRatio(Qt::red, Qt::red), 1.0);
    }

    void meaningColorsReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("dark");
        QTest::newRow("light (the style's)") << QApplication::style()->standardPalette() << false;
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 45));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::AlternateBase, QColor(50, 50, 50));
        dark.setColor(QPalette::Text, QColor(235, 235, 235));
        QTest::newRow("dark") << dark << true;
        QPalette grey = dark;
        grey.setColor(QPalette::Base, QColor(90, 90, 90));
        grey.setColor(QPalette::AlternateBase, QColor(100, 100, 100));
        grey.setColor(QPalette::Window, QColor(95, 95, 95));
        grey.setColor(QPalette::Text, QColor(255, 255, 255));
        QTest::newRow("mid-grey dark") << grey << true;
    }
    void meaningColorsReadable()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, dark);
        QCOMPARE(isDarkPalette(palette), dark);
        const MeaningColors m = meaningColors(palette);
        const QColor text = palette.color(QPalette::Text);
        const auto readable = [](const QColor &fore, const QColor &back, const char *what) {
            const double ratio = contrastRatio(fore, back);
            QVERIFY2(ratio >= ReadableContrast,
                     qPrintable(QStringLiteral("%1: %2 on %3 is %4:1")
                                    .arg(QLatin1String(what), fore.name(), back.name())
                                    .arg(ratio, 0, 'f', 2)));
        };
        readable(text, m.overlooked, "割安 row");
        readable(text, m.overBet, "過剰人気 row");
        for (const QColor &back : {palette.color(QPalette::Base),
                                   palette.color(QPalette::AlternateBase), m.overlooked, m.overBet})
            readable(m.drop, back, "急落");
        for (const QColor &back : {palette.color(QPalette::Base), palette.color(QPalette::Window)})
            readable(m.error, back, "error");
        // The two bands stay apart from each other and from a plain row.
        QVERIFY(m.overlooked != m.overBet);
        QVERIFY(m.overlooked != palette.color(QPalette::Base));
    }

    void paperColorsReadable()
    {
        // Printed on white with black text, whatever the screen shows.
        const MeaningColors paper = lightMeaningColors();
        for (const QColor &back : {QColor(Qt::white), paper.overlooked, paper.overBet}) {
            QVERIFY(contrastRatio(Qt::black, back) >= ReadableContrast);
            QVERIFY(contrastRatio(paper.drop, back) >= ReadableContrast);
        }
    }
};

QTEST_MAIN(TestUiColor)
#include "tst_uicolor_ui.moc"
