#include "ui/controls/skinbutton.h"
#include "ui/controls/skinimage.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
QImage Frame(int n)
{
    return SkinImage::Get()->PicBtn().toImage().copy(n * 64, 0, 64, 50);
}

QImage Shot(SkinButton &b)
{
    return b.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent ev(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

void Press(QWidget *w, QPoint pos, Qt::MouseButton b = Qt::LeftButton)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, b, b);
}
void Release(QWidget *w, QPoint pos, Qt::MouseButton b = Qt::LeftButton)
{
    SendMouse(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton);
}
void Move(QWidget *w, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

bool SendKey(QWidget *w, QEvent::Type type, int key, bool autoRepeat = false)
{
    const QString text = key == Qt::Key_Space    ? QStringLiteral(" ")
                         : key == Qt::Key_Return ? QStringLiteral("\r")
                                                 : QString();
    QKeyEvent ev(type, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(w, &ev);
    return ev.isAccepted();
}

// The document window's set-up of its first button.
void SetUpLikeDocument(SkinButton &b, const QString &caption, int left = 790)
{
    b.setGeometry(left, 0, 64, 50);
    b.SetButton(SkinImage::Get()->PicBtn(), caption, 0, 0, 64, 50, 6, 0, 20, true, false, left, 0,
                64, 50);
}

// A skinned button without caption or rounded shape, whose pixels are the skin frame's.
void SetUpPlain(SkinButton &b, int kazu = 6)
{
    b.SetButton(SkinImage::Get()->PicBtn(), QString(), 0, 0, 64, 50, kazu, 0, 0, false, false);
}

class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys.append(e->key()); }
};
} // namespace

class TestUcButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void skinIsThreeFrames();
    void looksDrawTheirSkinFrame_data();
    void looksDrawTheirSkinFrame();
    void stretchedSkinKeepsCorners();
    void negativeHokanBecomesTwo();
    void borderEffectFace_data();
    void borderEffectFace();
    void clickOnReleaseAfterPress_data();
    void clickOnReleaseAfterPress();
    void releaseWithoutPressDoesNotClick();
    void dragOutsideShowsUpAndBackShowsPressed();
    void doubleClickClicksTwice();
    void keyboard_data();
    void keyboard();
    void enterNeverPropagates();
    void heldKeyClicksOnceOnRealRelease();
    void disabledDrawsDisabledFrameAndIsSilent();
    void enablingAgainShowsUp();
    void roundedCornersMask();
    void customShapeMaskAndHitTest();
    void malformedShapeLeavesShape();
    void hoverAnimationTicks();
    void focusLostUse();
    void tooltip();
    void captionFontFitsCapSize_data();
    void captionFontFitsCapSize();
    void autoFontIsJapaneseBold();
    void captionIsDrawn();
    void propertiesRoundTrip();
    void missingPropertiesReadDefaults();
};

void TestUcButton::skinIsThreeFrames()
{
    QCOMPARE(SkinImage::Get()->PicBtn().size(), QSize(192, 50));
    QVERIFY(Frame(0) != Frame(1) && Frame(1) != Frame(2));
}

void TestUcButton::looksDrawTheirSkinFrame_data()
{
    QTest::addColumn<int>("kazu");
    QTest::addColumn<QString>("action");
    QTest::addColumn<ButtonState>("state");
    QTest::addColumn<int>("frame");
    QTest::newRow("6 up: frame 0") << 6 << "none" << ButtonState::Up << 0;
    QTest::newRow("6 hover: frame 1") << 6 << "hover" << ButtonState::Move << 1;
    QTest::newRow("6 pressed: frame 2") << 6 << "press" << ButtonState::Down << 2;
    QTest::newRow("6 disabled: frame 2") << 6 << "disable" << ButtonState::Disabled << 2;
    QTest::newRow("6 after a click: up frame while over it")
        << 6 << "click" << ButtonState::Normal << 0;
    QTest::newRow("4 pressed: frame 0") << 4 << "press" << ButtonState::Down << 0;
    QTest::newRow("5 up: frame 1") << 5 << "none" << ButtonState::Up << 1;
    QTest::newRow("9 hover: frame 2") << 9 << "hover" << ButtonState::Move << 2;
}

void TestUcButton::looksDrawTheirSkinFrame()
{
    QFETCH(int, kazu);
    QFETCH(QString, action);
    QFETCH(ButtonState, state);
    QFETCH(int, frame);
    SkinButton b;
    SetUpPlain(b, kazu);
    QCOMPARE(b.size(), QSize(64, 50));
    if (action == "hover")
        Move(&b, QPoint(20, 20));
    else if (action == "press")
        Press(&b, QPoint(20, 20));
    else if (action == "disable")
        b.setEnabled(false);
    else if (action == "click") {
        Press(&b, QPoint(20, 20));
        Release(&b, QPoint(20, 20));
    }
    QCOMPARE(b.State(), state);
    QCOMPARE(b.CurrentFrame(), frame);
    QCOMPARE(Shot(b), Frame(frame).convertToFormat(QImage::Format_RGB32));
}

void TestUcButton::stretchedSkinKeepsCorners()
{
    SkinButton b;
    SetUpPlain(b);
    b.setButtonHokan(12);
    b.resize(160, 70);
    const QImage shot = Shot(b);
    const QImage up = Frame(0).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.copy(0, 0, 12, 12), up.copy(0, 0, 12, 12));
    QCOMPARE(shot.copy(148, 58, 12, 12), up.copy(52, 38, 12, 12));
    // The top edge is stretched along its length only: its rows stay the frame's rows.
    QCOMPARE(shot.pixelColor(80, 0), up.pixelColor(32, 0));
    QCOMPARE(shot.pixelColor(80, 69), up.pixelColor(32, 49));
}

void TestUcButton::negativeHokanBecomesTwo()
{
    SkinButton b;
    SetUpPlain(b);
    b.setButtonHokan(-5);
    QCOMPARE(b.ButtonHokan(), -5);
    Shot(b);
    QCOMPARE(b.ButtonHokan(), 2);
}

void TestUcButton::borderEffectFace_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QColor>("face");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("bottomRight");
    QTest::newRow("up: back up, light top-left edges")
        << "none" << QColor(200, 200, 200) << QColor(240, 240, 240) << QColor(40, 40, 40);
    QTest::newRow("hover: back up, white top-left edges")
        << "hover" << QColor(200, 200, 200) << QColor(255, 255, 255) << QColor(40, 40, 40);
    QTest::newRow("pressed: back down, edges swapped")
        << "press" << QColor(150, 150, 150) << QColor(40, 40, 40) << QColor(255, 255, 255);
    QTest::newRow("disabled: drawn as pressed")
        << "disable" << QColor(150, 150, 150) << QColor(40, 40, 40) << QColor(255, 255, 255);
}

void TestUcButton::borderEffectFace()
{
    QFETCH(QString, action);
    QFETCH(QColor, face);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);
    SkinButton b;
    // The bordered face covers the skin.
    b.SetButton(SkinImage::Get()->PicBtn(), QString(), 0, 0, 64, 50, 6, 0, 0, false, true);
    if (action == "hover")
        Move(&b, QPoint(20, 20));
    else if (action == "press")
        Press(&b, QPoint(20, 20));
    else if (action == "disable")
        b.setEnabled(false);
    const QImage shot = Shot(b);
    QCOMPARE(shot.pixelColor(30, 25), face);
    QCOMPARE(shot.pixelColor(30, 0), topLeft);
    QCOMPARE(shot.pixelColor(0, 25), topLeft);
    QCOMPARE(shot.pixelColor(30, 49), bottomRight);
    QCOMPARE(shot.pixelColor(63, 25), bottomRight);
    // The left edge is drawn after the bottom one and owns that corner; the right edge stops
    // one short, leaving the bottom-right corner to the bottom edge.
    QCOMPARE(shot.pixelColor(0, 49), topLeft);
    QCOMPARE(shot.pixelColor(63, 0), bottomRight);
}

void TestUcButton::clickOnReleaseAfterPress_data()
{
    QTest::addColumn<int>("response");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<bool>("clicks");
    QTest::addColumn<ButtonState>("pressedState");
    QTest::newRow("left, released inside")
        << 7 << int(Qt::LeftButton) << QPoint(30, 30) << true << ButtonState::Down;
    QTest::newRow("left, released outside still clicks")
        << 7 << int(Qt::LeftButton) << QPoint(300, -40) << true << ButtonState::Down;
    QTest::newRow("right with Response 7")
        << 7 << int(Qt::RightButton) << QPoint(30, 30) << true << ButtonState::Down;
    QTest::newRow("middle with Response 4")
        << 4 << int(Qt::MiddleButton) << QPoint(30, 30) << true << ButtonState::Down;
    QTest::newRow("Response 1: right only hovers, no click")
        << 1 << int(Qt::RightButton) << QPoint(30, 30) << false << ButtonState::Move;
    QTest::newRow("Response 0: nothing presses")
        << 0 << int(Qt::LeftButton) << QPoint(30, 30) << false << ButtonState::Up;
}

void TestUcButton::clickOnReleaseAfterPress()
{
    QFETCH(int, response);
    QFETCH(int, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(bool, clicks);
    QFETCH(ButtonState, pressedState);
    SkinButton b;
    SetUpPlain(b);
    b.setResponse(response);
    if (pressedState == ButtonState::Move)
        Move(&b, QPoint(30, 30), Qt::MouseButton(button));
    QSignalSpy click(&b, &SkinButton::Click), clickBtn(&b, &SkinButton::ClickBtn),
        up(&b, &SkinButton::MouseUp), down(&b, &SkinButton::MouseDown);
    Press(&b, QPoint(30, 30), Qt::MouseButton(button));
    QCOMPARE(b.State(), pressedState);
    QCOMPARE(down.size(), 1);
    QCOMPARE(down.first().first().toInt(), button);
    Release(&b, releaseAt, Qt::MouseButton(button));
    QCOMPARE(up.size(), 1);
    QCOMPARE(click.size(), clicks ? 1 : 0);
    QCOMPARE(clickBtn.size(), clicks ? 1 : 0);
    if (clicks) {
        QCOMPARE(clickBtn.first().first().toInt(), button);
        QCOMPARE(b.State(), ButtonState::Normal);
    } else {
        QCOMPARE(b.State(), ButtonState::Up);
    }
}

void TestUcButton::releaseWithoutPressDoesNotClick()
{
    SkinButton b;
    SetUpPlain(b);
    QSignalSpy click(&b, &SkinButton::Click), up(&b, &SkinButton::MouseUp);
    Release(&b, QPoint(30, 30));
    QCOMPARE(up.size(), 1);
    QCOMPARE(click.size(), 0);
    // A completed click does not leave a press behind for the next release.
    Press(&b, QPoint(30, 30));
    Release(&b, QPoint(30, 30));
    Release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 1);
}

void TestUcButton::dragOutsideShowsUpAndBackShowsPressed()
{
    SkinButton b;
    SetUpPlain(b);
    QSignalSpy lost(&b, &SkinButton::MouseLostFocus), moved(&b, &SkinButton::MouseMove);
    Press(&b, QPoint(30, 30));
    Move(&b, QPoint(-5, 30), Qt::LeftButton);
    QCOMPARE(b.State(), ButtonState::Up);
    QCOMPARE(lost.size(), 1);
    Move(&b, QPoint(10, 12), Qt::LeftButton);
    QCOMPARE(b.State(), ButtonState::Down);
    QCOMPARE(moved.last().at(0).toInt(), 1);
    QCOMPARE(moved.last().at(1).toFloat(), 10.0f);
    QCOMPARE(moved.last().at(2).toFloat(), 12.0f);
    Move(&b, QPoint(64, 10), Qt::LeftButton); // one past the last column
    QCOMPARE(b.State(), ButtonState::Up);
}

void TestUcButton::doubleClickClicksTwice()
{
    SkinButton b;
    SetUpPlain(b);
    QSignalSpy click(&b, &SkinButton::Click), down(&b, &SkinButton::MouseDown);
    Press(&b, QPoint(30, 30));
    Release(&b, QPoint(30, 30));
    SendMouse(&b, QEvent::MouseButtonDblClick, QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(b.State(), ButtonState::Down);
    Release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 2);
    QCOMPARE(down.size(), 1);

    // A double click whose first click did not press the control counts as an ordinary press.
    SkinButton c;
    SetUpPlain(c);
    QSignalSpy click2(&c, &SkinButton::Click);
    SendMouse(&c, QEvent::MouseButtonDblClick, QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(c.State(), ButtonState::Down);
    Release(&c, QPoint(30, 30));
    QCOMPARE(click2.size(), 1);
}

void TestUcButton::keyboard_data()
{
    QTest::addColumn<bool>("keyBordUse");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("response");
    QTest::addColumn<bool>("clicks");
    QTest::newRow("Space clicks with KeyBordUse") << true << int(Qt::Key_Space) << 7 << true;
    QTest::newRow("Enter clicks with KeyBordUse") << true << int(Qt::Key_Return) << 7 << true;
    QTest::newRow("keypad Enter clicks with KeyBordUse") << true << int(Qt::Key_Enter) << 7 << true;
    QTest::newRow("Space does nothing without KeyBordUse")
        << false << int(Qt::Key_Space) << 7 << false;
    QTest::newRow("Enter does nothing without KeyBordUse")
        << false << int(Qt::Key_Return) << 7 << false;
    QTest::newRow("other keys never click") << true << int(Qt::Key_A) << 7 << false;
    QTest::newRow("keys act as the left button: Response 2 ignores them")
        << true << int(Qt::Key_Space) << 2 << false;
}

void TestUcButton::keyboard()
{
    QFETCH(bool, keyBordUse);
    QFETCH(int, key);
    QFETCH(int, response);
    QFETCH(bool, clicks);
    SkinButton b;
    SetUpPlain(b);
    b.setKeyBordUse(keyBordUse);
    b.setResponse(response);
    QSignalSpy click(&b, &SkinButton::Click), clickBtn(&b, &SkinButton::ClickBtn);
    SendKey(&b, QEvent::KeyPress, key);
    if (clicks)
        QCOMPARE(b.State(), ButtonState::Down);
    SendKey(&b, QEvent::KeyRelease, key);
    QCOMPARE(click.size(), clicks ? 1 : 0);
    if (clicks)
        QCOMPARE(clickBtn.first().first().toInt(), 1);
    // A release alone (the key went down elsewhere) never clicks.
    SendKey(&b, QEvent::KeyRelease, key);
    QCOMPARE(click.size(), clicks ? 1 : 0);
}

void TestUcButton::enterNeverPropagates()
{
    KeyRecorder parent;
    auto *b = new SkinButton(&parent);
    SetUpPlain(*b);
    QVERIFY(SendKey(b, QEvent::KeyPress, Qt::Key_Return));
    SendKey(b, QEvent::KeyPress, Qt::Key_Space);
    SendKey(b, QEvent::KeyPress, Qt::Key_A);
    QCOMPARE(parent.keys, (QList<int>{Qt::Key_Space, Qt::Key_A}));
    b->setKeyBordUse(true);
    SendKey(b, QEvent::KeyPress, Qt::Key_Space);
    QCOMPARE(parent.keys.size(), 2);
}

void TestUcButton::heldKeyClicksOnceOnRealRelease()
{
    SkinButton b;
    SetUpPlain(b);
    b.setKeyBordUse(true);
    QSignalSpy click(&b, &SkinButton::Click);
    SendKey(&b, QEvent::KeyPress, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        SendKey(&b, QEvent::KeyRelease, Qt::Key_Space, true);
        SendKey(&b, QEvent::KeyPress, Qt::Key_Space, true);
    }
    QCOMPARE(click.size(), 0);
    SendKey(&b, QEvent::KeyRelease, Qt::Key_Space);
    QCOMPARE(click.size(), 1);
}

void TestUcButton::disabledDrawsDisabledFrameAndIsSilent()
{
    SkinButton b;
    SetUpPlain(b);
    QSignalSpy lost(&b, &SkinButton::MouseLostFocus);
    b.setEnabled(false);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(b.State(), ButtonState::Disabled);
    QCOMPARE(Shot(b), Frame(2).convertToFormat(QImage::Format_RGB32));
    QSignalSpy click(&b, &SkinButton::Click), down(&b, &SkinButton::MouseDown);
    b.setKeyBordUse(true);
    Press(&b, QPoint(30, 30));
    Release(&b, QPoint(30, 30));
    SendKey(&b, QEvent::KeyPress, Qt::Key_Space);
    SendKey(&b, QEvent::KeyRelease, Qt::Key_Space);
    QCOMPARE(click.size(), 0);
    QCOMPARE(down.size(), 0);
    QCOMPARE(b.State(), ButtonState::Disabled);
    // A parent being disabled disables the control as well.
    QWidget parent;
    auto *child = new SkinButton(&parent);
    SetUpPlain(*child);
    parent.setEnabled(false);
    QCOMPARE(child->State(), ButtonState::Disabled);
}

void TestUcButton::enablingAgainShowsUp()
{
    SkinButton b;
    SetUpPlain(b);
    b.setEnabled(false);
    b.setEnabled(true);
    QCOMPARE(b.State(), ButtonState::Enabled);
    QCOMPARE(Shot(b), Frame(0).convertToFormat(QImage::Format_RGB32));
    QSignalSpy click(&b, &SkinButton::Click);
    Press(&b, QPoint(30, 30));
    Release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 1);
}

void TestUcButton::roundedCornersMask()
{
    SkinButton b;
    SetUpLikeDocument(b, QStringLiteral("馬連"));
    QCOMPARE(b.geometry(), QRect(790, 0, 64, 50));
    QCOMPARE(b.ButtonMaru(), 20);
    const QRegion mask = b.mask();
    for (const QPoint &p : {QPoint(0, 0), QPoint(63, 0), QPoint(0, 49), QPoint(63, 49)})
        QVERIFY(!mask.contains(p));
    for (const QPoint &p : {QPoint(32, 0), QPoint(0, 25), QPoint(63, 25), QPoint(32, 49)})
        QVERIFY(mask.contains(p));
    // The shape follows a resize.
    b.show();
    b.resize(100, 60);
    QCoreApplication::sendPostedEvents();
    QVERIFY(!b.mask().contains(QPoint(99, 59)));
    QVERIFY(b.mask().contains(QPoint(99, 30)));
    // A corner size below 1 leaves the shape alone.
    SkinButton plain;
    plain.setButtonMaru(0);
    QVERIFY(plain.mask().isEmpty());
}

void TestUcButton::customShapeMaskAndHitTest()
{
    SkinButton b;
    SetUpPlain(b);
    const QList<QRect> parts{QRect(0, 0, 20, 50), QRect(44, 0, 20, 50)};
    b.setRgn(MakeRegionData(parts));
    QCOMPARE(b.Rgn(), MakeRegionData(parts));
    QCOMPARE(b.mask(), QRegion(parts[0]).united(parts[1]));
    QSignalSpy lost(&b, &SkinButton::MouseLostFocus);
    Move(&b, QPoint(10, 10));
    QCOMPARE(b.State(), ButtonState::Move);
    Move(&b, QPoint(30, 10)); // in the gap between the two parts
    QCOMPARE(b.State(), ButtonState::Up);
    QCOMPARE(lost.size(), 1);

    // Many rectangles are built in chunks and still give the same shape.
    QList<QRect> rows;
    for (int y = 0; y < 3000; ++y)
        rows.append(QRect(y % 7, y, 10, 1));
    QRegion expected;
    for (const QRect &r : rows)
        expected += r;
    QCOMPARE(RegionFromRects(rows), expected);
}

void TestUcButton::malformedShapeLeavesShape()
{
    SkinButton b;
    SetUpLikeDocument(b, QString());
    const QRegion rounded = b.mask();
    QByteArray data = MakeRegionData({QRect(0, 0, 5, 5)});
    data[8] = 9; // claims nine rectangles
    b.setRgn(data);
    QCOMPARE(b.mask(), rounded);
    b.setRgn(QByteArray("abc"));
    QCOMPARE(b.mask(), rounded);
    Move(&b, QPoint(30, 30));
    QCOMPARE(b.State(), ButtonState::Move);
}

void TestUcButton::hoverAnimationTicks()
{
    SkinButton b;
    SetUpPlain(b, 11);
    QTimer *timer = b.AnimationTimer();
    QCOMPARE(timer->interval(), 300);
    QVERIFY(!timer->isActive());
    Move(&b, QPoint(20, 20));
    QVERIFY(timer->isActive());
    QList<int> frames{b.CurrentFrame()};
    for (int i = 0; i < 7; ++i) {
        QMetaObject::invokeMethod(timer, "timeout"); // one beat, as the timer gives it
        frames.append(b.CurrentFrame());
    }
    QCOMPARE(frames, (QList<int>{1, 2, 3, 4, 3, 2, 1, 2}));
    // Moving within the control keeps the beat going.
    Move(&b, QPoint(21, 20));
    QVERIFY(timer->isActive());
    QCOMPARE(b.CurrentFrame(), 2);
    // Leaving stops it; the phase carries over to the next hover.
    Move(&b, QPoint(-10, -10));
    QVERIFY(!timer->isActive());
    QCOMPARE(b.CurrentFrame(), 0);
    b.AnimationTick();
    QCOMPARE(b.Phase(), 1);
    Move(&b, QPoint(20, 20));
    QCOMPARE(b.CurrentFrame(), 2);
    // Pressing shows frame 5 and stops the beat.
    Press(&b, QPoint(20, 20));
    QVERIFY(!timer->isActive());
    QCOMPARE(b.CurrentFrame(), 5);
}

void TestUcButton::focusLostUse()
{
    for (const bool use : {false, true}) {
        SkinButton b;
        SetUpPlain(b);
        b.setFocusLostUse(use);
        Move(&b, QPoint(20, 20));
        QSignalSpy lost(&b, &SkinButton::MouseLostFocus);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(&b, &out);
        QCOMPARE(b.State(), use ? ButtonState::Up : ButtonState::Move);
        QCOMPARE(lost.size(), use ? 1 : 0);
    }
}

void TestUcButton::tooltip()
{
    SkinButton b;
    QCOMPARE(b.TipText(), QString());
    b.MakeTip(QStringLiteral("馬連を計算"));
    QCOMPARE(b.TipText(), QStringLiteral("馬連を計算"));
    QCOMPARE(b.toolTip(), QStringLiteral("馬連を計算"));
    b.MakeTip(QStringLiteral("馬連を計算"));
    QCOMPARE(b.toolTip(), QStringLiteral("馬連を計算"));
    b.MakeTip(QString());
    QCOMPARE(b.TipText(), QString());
    QCOMPARE(b.toolTip(), QString());
}

void TestUcButton::captionFontFitsCapSize_data()
{
    QTest::addColumn<int>("capSize");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("target");
    QTest::newRow("new button: 20 px") << 20 << 50 << 20;
    QTest::newRow("0 on a 30 px control: 27 px") << 0 << 30 << 27;
    QTest::newRow("small sizes are raised to 10 px") << 6 << 50 << 10;
}

void TestUcButton::captionFontFitsCapSize()
{
    QFETCH(int, capSize);
    QFETCH(int, height);
    QFETCH(int, target);
    SkinButton b;
    b.resize(64, height);
    b.setCapSize(capSize);
    // Point sizes move the width in steps of about 1.33 px: the nearest size is within one.
    QVERIFY2(qAbs(b.GetFontWidth(QStringLiteral("あ")) - target) <= 1,
             qPrintable(QString::number(b.GetFontWidth(QStringLiteral("あ")))));
    // CapSize 0 fits once, when set: a later resize keeps the size.
    const int before = b.Font().pointSize();
    b.resize(64, height * 2);
    QCOMPARE(b.Font().pointSize(), before);
}

void TestUcButton::autoFontIsJapaneseBold()
{
    SkinButton b;
    b.setCaption(QStringLiteral("集計"));
    const QFont f = b.Font();
    QVERIFY(f.bold());
    const QString family = QFontInfo(f).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
             qPrintable(family));
    // A font set by the host is kept, bold and italic included.
    QFont host(family, 9);
    host.setItalic(true);
    b.setCaptionFont(host);
    QCOMPARE(b.Font().pointSize(), 9);
    QVERIFY(b.Font().italic());
    QVERIFY(!b.Font().bold());
}

void TestUcButton::captionIsDrawn()
{
    SkinButton b;
    SetUpLikeDocument(b, QStringLiteral("集計"), 854);
    b.setButtonMaru(-1);
    b.clearMask();
    const QImage shot = Shot(b);
    const QImage up = Frame(0).convertToFormat(QImage::Format_RGB32);
    // Dark caption pixels in the middle, the skin untouched along the edges.
    int dark = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 8; x < 56; ++x)
            if (shot.pixelColor(x, y).lightness() < 120)
                ++dark;
    QVERIFY2(dark > 40, qPrintable(QString::number(dark)));
    QCOMPARE(shot.copy(0, 0, 64, 4), up.copy(0, 0, 64, 4));
    QCOMPARE(shot.copy(0, 0, 4, 50), up.copy(0, 0, 4, 50));
    // Rotated captions draw too.
    b.SetCapRad(20, 45, 90, true, false);
    b.iRefresh();
    QVERIFY(Shot(b) != shot);
}

void TestUcButton::propertiesRoundTrip()
{
    SkinButton a;
    a.SetButton(QPixmap(), QStringLiteral("馬連"), 3, 4, 70, 40, 11, 2, 15, true, false, -1, -1, -1,
                -1, 22, 5, 6);
    a.SetForeColor(Rgb(1, 2, 3), Rgb(4, 5, 6), Rgb(7, 8, 9));
    a.setKeyBordUse(true);
    a.setRgn(MakeRegionData({QRect(0, 0, 30, 40)}));
    a.setEnabled(false);
    const QVariantMap bag = a.WriteProperties();
    QCOMPARE(bag.value("Caption").toString(), QStringLiteral("馬連"));
    QCOMPARE(bag.value("ButtonKazu").toInt(), 11);
    QCOMPARE(bag.value("Enabled").toBool(), false);
    QVERIFY(!bag.contains("Response")); // equal to its default
    QVERIFY(!bag.contains("FocusLostUse"));
    SkinButton b;
    b.ReadProperties(bag);
    QCOMPARE(b.WriteProperties(), bag);
    QCOMPARE(b.size(), QSize(70, 40));
    QCOMPARE(b.mask(), QRegion(0, 0, 30, 40));
    QVERIFY(!b.isEnabled());
}

void TestUcButton::missingPropertiesReadDefaults()
{
    // A stored form without entries sizes the control and writes nothing back.
    SkinButton b;
    b.ReadProperties({});
    QCOMPARE(b.size(), QSize(96, 32));
    QCOMPARE(b.ButtonKazu(), 3);
    QVERIFY(b.isEnabled());
    QVERIFY(b.WriteProperties().isEmpty());
}

QTEST_MAIN(TestUcButton)
#include "tst_skinbutton_ui.moc"
