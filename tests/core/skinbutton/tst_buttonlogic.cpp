#include "core/skinbutton/buttonlogic.h"

#include <QTest>

class TestButtonLogic : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frameTableCases_data();
    void frameTableCases();
    void animatedHoverFollowsPhase();
    void frameStepCases_data();
    void frameStepCases();
    void lookOfStateCases_data();
    void lookOfStateCases();
    void phaseRunsBackAndForth();
    void ninePartPiecesCases_data();
    void ninePartPiecesCases();
    void ninePartKeepsCornersAndCoversTarget_data();
    void ninePartKeepsCornersAndCoversTarget();
    void captionTargetCases_data();
    void captionTargetCases();
    void fitCaptionPointSizeCases_data();
    void fitCaptionPointSizeCases();
    void captionAlign_data();
    void captionAlign();
    void roundRectRowsCases();
    void regionDataRoundTrip();
    void malformedRegionData_data();
    void malformedRegionData();
};

void TestButtonLogic::frameTableCases_data()
{
    QTest::addColumn<int>("frameLayout");
    QTest::addColumn<QList<int>>("frames"); // up, pressed, hover, disabled
    QTest::newRow("0: one frame for all") << 0 << QList<int>{0, 0, 0, 0};
    QTest::newRow("10: one frame for all") << 10 << QList<int>{0, 0, 0, 0};
    QTest::newRow("1: pressed is frame 1") << 1 << QList<int>{0, 1, 0, 0};
    QTest::newRow("2: disabled shares pressed") << 2 << QList<int>{0, 1, 2, 1};
    QTest::newRow("3: four frames in look order") << 3 << QList<int>{0, 1, 2, 3};
    QTest::newRow("4: hover only") << 4 << QList<int>{0, 0, 1, 0};
    QTest::newRow("5: up is frame 1") << 5 << QList<int>{1, 0, 0, 0};
    QTest::newRow("6: other codes: up hover pressed strip") << 6 << QList<int>{0, 2, 1, 2};
    QTest::newRow("7: hover before pressed, own disabled") << 7 << QList<int>{0, 2, 1, 3};
    QTest::newRow("8: disabled shows up frame") << 8 << QList<int>{0, 2, 1, 0};
    QTest::newRow("9: frame 2 for all") << 9 << QList<int>{2, 2, 2, 2};
    QTest::newRow("11 phase 0: animated hover") << 11 << QList<int>{0, 5, 1, 5};
    QTest::newRow("negative code: other") << -1 << QList<int>{0, 2, 1, 2};
    QTest::newRow("12: other") << 12 << QList<int>{0, 2, 1, 2};
}

void TestButtonLogic::frameTableCases()
{
    QFETCH(int, frameLayout);
    QFETCH(QList<int>, frames);
    const ButtonFrames f = frameTable(frameLayout);
    QCOMPARE((QList<int>{f.up, f.pressed, f.hover, f.disabled}), frames);
    QCOMPARE(f.forLook(ButtonLook::Up), frames[0]);
    QCOMPARE(f.forLook(ButtonLook::Pressed), frames[1]);
    QCOMPARE(f.forLook(ButtonLook::Hover), frames[2]);
    QCOMPARE(f.forLook(ButtonLook::Disabled), frames[3]);
}

void TestButtonLogic::animatedHoverFollowsPhase()
{
    for (int phase = 0; phase <= 3; ++phase)
        QCOMPARE(frameTable(11, phase).hover, 1 + phase);
    // Only code 11 animates.
    QCOMPARE(frameTable(6, 3).hover, 1);
}

void TestButtonLogic::frameStepCases_data()
{
    QTest::addColumn<int>("frameDirection");
    QTest::addColumn<QPoint>("step");
    QTest::newRow("0: frames side by side") << 0 << QPoint(64, 0);
    QTest::newRow("1: frames stacked") << 1 << QPoint(0, 50);
    QTest::newRow("2: the steps given to SetButton, signed") << 2 << QPoint(-70, 5);
    QTest::newRow("3: every frame at the same place") << 3 << QPoint(0, 0);
}

void TestButtonLogic::frameStepCases()
{
    QFETCH(int, frameDirection);
    QFETCH(QPoint, step);
    QCOMPARE(frameStep(frameDirection, 64, 50, -70, 5), step);
    QCOMPARE(frameRect(2, 3, 4, 64, 50, step), QRect(3 + 2 * step.x(), 4 + 2 * step.y(), 64, 50));
}

void TestButtonLogic::lookOfStateCases_data()
{
    QTest::addColumn<ButtonState>("state");
    QTest::addColumn<ButtonLook>("look");
    QTest::newRow("Move hovers") << ButtonState::Move << ButtonLook::Hover;
    QTest::newRow("Down presses") << ButtonState::Down << ButtonLook::Pressed;
    QTest::newRow("False disables") << ButtonState::Disabled << ButtonLook::Disabled;
    QTest::newRow("Up") << ButtonState::Up << ButtonLook::Up;
    QTest::newRow("Normal after a click is up") << ButtonState::Normal << ButtonLook::Up;
    QTest::newRow("UP after enabling is up") << ButtonState::Enabled << ButtonLook::Up;
}

void TestButtonLogic::lookOfStateCases()
{
    QFETCH(ButtonState, state);
    QFETCH(ButtonLook, look);
    QCOMPARE(lookOfState(state), look);
}

void TestButtonLogic::phaseRunsBackAndForth()
{
    int phase = 0, dir = 1;
    QList<int> seen;
    for (int i = 0; i < 9; ++i) {
        advancePhase(phase, dir);
        seen.append(phase);
    }
    QCOMPARE(seen, (QList<int>{1, 2, 3, 2, 1, 0, 1, 2, 3}));
    // A phase out of range is brought back rather than running away.
    phase = 7;
    dir = 1;
    advancePhase(phase, dir);
    QCOMPARE(phase, 3);
    QCOMPARE(dir, -1);
}

void TestButtonLogic::ninePartPiecesCases_data()
{
    QTest::addColumn<QRect>("src");
    QTest::addColumn<QSize>("dst");
    QTest::addColumn<int>("stretchBorder");
    QTest::addColumn<QList<BltPiece>>("pieces");
    QTest::newRow("0 stretches the frame as a whole")
        << QRect(64, 0, 64, 50) << QSize(128, 40) << 0
        << QList<BltPiece>{{QRect(64, 0, 64, 50), QRect(0, 0, 128, 40)}};
    QTest::newRow("frame too small for any border stretches whole")
        << QRect(0, 0, 2, 2) << QSize(100, 100) << 2
        << QList<BltPiece>{{QRect(0, 0, 2, 2), QRect(0, 0, 100, 100)}};
    QTest::newRow("empty destination draws nothing")
        << QRect(0, 0, 64, 50) << QSize(0, 50) << 4 << QList<BltPiece>{};
}

void TestButtonLogic::ninePartPiecesCases()
{
    QFETCH(QRect, src);
    QFETCH(QSize, dst);
    QFETCH(int, stretchBorder);
    QFETCH(QList<BltPiece>, pieces);
    QCOMPARE(ninePartPieces(src, dst.width(), dst.height(), stretchBorder), pieces);
}

void TestButtonLogic::ninePartKeepsCornersAndCoversTarget_data()
{
    QTest::addColumn<int>("stretchBorder");
    QTest::addColumn<int>("k"); // the border actually kept
    QTest::addColumn<QSize>("dst");
    QTest::newRow("enlarged") << 6 << 6 << QSize(150, 80);
    QTest::newRow("shrunk") << 6 << 6 << QSize(30, 20);
    QTest::newRow("border wider than half the frame is narrowed") << 30 << 24 << QSize(64, 50);
    QTest::newRow("border wider than half the target is narrowed") << 10 << 7 << QSize(100, 15);
}

void TestButtonLogic::ninePartKeepsCornersAndCoversTarget()
{
    QFETCH(int, stretchBorder);
    QFETCH(int, k);
    QFETCH(QSize, dst);
    const QRect src(64, 0, 64, 50);
    const int w = dst.width(), h = dst.height();
    const auto pieces = ninePartPieces(src, w, h, stretchBorder);
    QCOMPARE(pieces.size(), 9);
    // Every destination pixel is covered exactly once.
    QList<int> cover(w * h, 0);
    for (const BltPiece &p : pieces) {
        QVERIFY(src.contains(p.src));
        for (int y = p.dst.top(); y <= p.dst.bottom(); ++y)
            for (int x = p.dst.left(); x <= p.dst.right(); ++x)
                ++cover[y * w + x];
    }
    QCOMPARE(cover.count(1), w * h);
    // Corners are copied unscaled from the matching corner of the frame.
    QVERIFY(pieces.contains(BltPiece{QRect(64, 0, k, k), QRect(0, 0, k, k)}));
    QVERIFY(pieces.contains(BltPiece{QRect(128 - k, 50 - k, k, k), QRect(w - k, h - k, k, k)}));
    // Edges keep their thickness.
    for (const BltPiece &p : pieces)
        if (p.dst.width() == k || p.dst.height() == k)
            QVERIFY(p.src.width() == k || p.src.height() == k);
}

void TestButtonLogic::captionTargetCases_data()
{
    QTest::addColumn<int>("capSize");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("target");
    QTest::newRow("CapSize is the target") << 20 << 50 << 20;
    QTest::newRow("0 is 90 % of a 30 px height") << 0 << 30 << 27;
    QTest::newRow("0 takes the whole part of 90 %") << 0 << 25 << 22;
    QTest::newRow("at least 10") << 4 << 50 << 10;
    QTest::newRow("0 on a low control is at least 10") << 0 << 5 << 10;
}

void TestButtonLogic::captionTargetCases()
{
    QFETCH(int, capSize);
    QFETCH(int, height);
    QFETCH(int, target);
    QCOMPARE(captionTarget(capSize, height), target);
}

void TestButtonLogic::fitCaptionPointSizeCases_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("pixelsPerPoint100"); // measured width = size * this / 100
    QTest::addColumn<int>("size");
    QTest::newRow("start size fits at once (20 px, 96 dpi)") << 20 << 134 << 15;
    QTest::newRow("wider face: steps down to the match") << 20 << 200 << 10;
    QTest::newRow("start size never below 8") << 10 << 100 << 10;
    // Between two sizes (7 px: 6 too narrow, 9 too wide) it swings 3 times each way and
    // stops on the size set last.
    QTest::newRow("no exact size: stops after three turns each way") << 23 << 300 << 7;
    QTest::newRow("never wide enough: the search is bounded") << 20 << 0 << 15 + 63;
    QTest::newRow("always too wide: stops at 1 point") << 20 << 100000 << 1;
}

void TestButtonLogic::fitCaptionPointSizeCases()
{
    QFETCH(int, target);
    QFETCH(int, pixelsPerPoint100);
    QFETCH(int, size);
    QList<int> tried;
    const int got = fitCaptionPointSize(target, 15.0, [&](int pt) {
        tried.append(pt);
        return pt * pixelsPerPoint100 / 100;
    });
    QCOMPARE(got, size);
    QCOMPARE(tried.last(), size);
}

void TestButtonLogic::captionAlign_data()
{
    QTest::addColumn<int>("capAlign");
    QTest::addColumn<int>("flags");
    QTest::newRow("37: centred single line, & marks a mnemonic")
        << 37
        << int(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
    QTest::newRow("0: top left, several lines")
        << 0 << int(Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic);
    QTest::newRow("vertical centre needs a single line")
        << 4 << int(Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic);
    QTest::newRow("right bottom single line, no prefix")
        << (2 | 8 | 0x20 | 0x800) << int(Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine);
    QTest::newRow("word break, no clip, tabs")
        << (0x10 | 0x100 | 0x40 | 0x800)
        << int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip |
               Qt::TextExpandTabs);
}

void TestButtonLogic::captionAlign()
{
    QFETCH(int, capAlign);
    QFETCH(int, flags);
    QCOMPARE(captionAlignToQt(capAlign), flags);
}

void TestButtonLogic::roundRectRowsCases()
{
    const int w = 64, h = 50;
    const auto rows = roundRectRows(w, h, 20);
    auto inside = [&rows](int x, int y) {
        for (const QRect &r : rows)
            if (r.contains(x, y))
                return true;
        return false;
    };
    for (const QPoint &corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1),
                                 QPoint(w - 1, h - 1), QPoint(1, 1), QPoint(w - 2, h - 2)})
        QVERIFY2(!inside(corner.x(), corner.y()),
                 qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
    for (const QPoint &p : {QPoint(32, 0), QPoint(32, h - 1), QPoint(0, 25), QPoint(w - 1, 25),
                            QPoint(5, 5), QPoint(32, 25)})
        QVERIFY2(inside(p.x(), p.y()), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    // Left-right and top-bottom symmetric.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QCOMPARE(inside(x, y), inside(w - 1 - x, y));
            QCOMPARE(inside(x, y), inside(x, h - 1 - y));
        }
    // Straight edges merge into bands: 10 rows of rounding top and bottom, one band between.
    QVERIFY(rows.size() < 22);
    QCOMPARE(roundRectRows(10, 10, 0), QList<QRect>{QRect(0, 0, 10, 10)});
    QVERIFY(roundRectRows(0, 10, 20).isEmpty());
}

void TestButtonLogic::regionDataRoundTrip()
{
    const QList<QRect> rects{QRect(0, 0, 10, 5), QRect(20, 0, 5, 5), QRect(0, 5, 25, 20)};
    const QByteArray data = makeRegionData(rects);
    QCOMPARE(data.size(), 32 + 3 * 16);
    const RegionRects parsed = parseRegionData(data);
    QVERIFY(parsed.ok);
    QCOMPARE(parsed.rects, rects);
    // Right and bottom are exclusive: the first rectangle ends at 10, 5.
    QCOMPARE(data.mid(32, 16), QByteArray::fromHex("00000000"
                                                   "00000000"
                                                   "0a000000"
                                                   "05000000"));
}

void TestButtonLogic::malformedRegionData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("rects");
    const QByteArray good = makeRegionData({QRect(1, 2, 3, 4), QRect(5, 6, 7, 8)});
    QTest::newRow("well formed") << good << true << 2;
    QTest::newRow("shorter than the header") << good.left(31) << false << 0;
    QByteArray badSize = good;
    badSize[0] = 40;
    QTest::newRow("header size not 32") << badSize << false << 0;
    QByteArray badType = good;
    badType[4] = 2;
    QTest::newRow("type not rectangles") << badType << false << 0;
    QTest::newRow("count beyond the bytes present") << good.left(32 + 16 + 8) << false << 0;
    QByteArray hugeCount = good;
    hugeCount[11] = char(0x7f);
    QTest::newRow("huge count is not trusted") << hugeCount << false << 0;
    QByteArray negative = good;
    negative[11] = char(0x80);
    QTest::newRow("negative count") << negative << false << 0;
    QTest::newRow("empty rectangles are dropped")
        << makeRegionData({QRect(0, 0, 0, 5), QRect(3, 3, 2, 2)}) << true << 1;
    QTest::newRow("no rectangles") << makeRegionData({}) << true << 0;
}

void TestButtonLogic::malformedRegionData()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, ok);
    QFETCH(int, rects);
    const RegionRects parsed = parseRegionData(data);
    QCOMPARE(parsed.ok, ok);
    QCOMPARE(parsed.rects.size(), rects);
}

QTEST_GUILESS_MAIN(TestButtonLogic)
#include "tst_buttonlogic.moc"
