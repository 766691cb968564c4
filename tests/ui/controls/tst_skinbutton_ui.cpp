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
QImage skinFrame(int n)
{
    return SkinImage::get()->buttonSkin().toImage().copy(n * 64, 0, 64, 50);
}

QImage shotOf(SkinButton &b)
{
    return b.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent ev(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

void press(QWidget *w, QPoint pos, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, pos, b, b);
}
void release(QWidget *w, QPoint pos, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton);
}
void move(QWidget *w, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    sendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

bool sendKey(QWidget *w, QEvent::Type type, int key, bool autoRepeat = false)
{
    const QString text = key == Qt::Key_Space    ? QStringLiteral(" ")
                         : key == Qt::Key_Return ? QStringLiteral("\r")
                                                 : QString();
    QKeyEvent ev(type, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(w, &ev);
    return ev.isAccepted();
}

// The document window's set-up of its first button.
void setUpLikeDocument(SkinButton &b, const QString &caption, int left = 790)
{
    b.setGeometry(left, 0, 64, 50);
    b.setButton(SkinImage::get()->buttonSkin(), caption, 0, 0, 64, 50, 6, 0, 20, true, false, left,
                0, 64, 50);
}

// A skinned button without caption or rounded shape, whose pixels are the skin frame's.
void setUpPlain(SkinButton &b, int frameLayout = 6)
{
    b.setButton(SkinImage::get()->buttonSkin(), QString(), 0, 0, 64, 50, frameLayout, 0, 0, false,
                false);
}

class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys.append(e->key()); }
};
} // namespace

class TestSkinButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void skinIsThreeFrames();
    void looksDrawTheirSkinFrame_data();
    void looksDrawTheirSkinFrame();
    void stretchedSkinKeepsCorners();
    void negativeStretchBorderBecomesTwo();
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

void TestSkinButton::skinIsThreeFrames()
{
    QCOMPARE(SkinImage::get()->buttonSkin().size(), QSize(192, 50));
    QVERIFY(skinFrame(0) != skinFrame(1) && skinFrame(1) != skinFrame(2));
}

void TestSkinButton::looksDrawTheirSkinFrame_data()
{
    QTest::addColumn<int>("frameLayout");
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

void TestSkinButton::looksDrawTheirSkinFrame()
{
    QFETCH(int, frameLayout);
    QFETCH(QString, action);
    QFETCH(ButtonState, state);
    QFETCH(int, frame);
    SkinButton b;
    setUpPlain(b, frameLayout);
    QCOMPARE(b.size(), QSize(64, 50));
    if (action == "hover")
        move(&b, QPoint(20, 20));
    else if (action == "press")
        press(&b, QPoint(20, 20));
    else if (action == "disable")
        b.setEnabled(false);
    else if (action == "click") {
        press(&b, QPoint(20, 20));
        release(&b, QPoint(20, 20));
    }
    QCOMPARE(b.state(), state);
    QCOMPARE(b.currentFrame(), frame);
    QCOMPARE(shotOf(b), skinFrame(frame).convertToFormat(QImage::Format_RGB32));
}

void TestSkinButton::stretchedSkinKeepsCorners()
{
    SkinButton b;
    setUpPlain(b);
    b.setStretchBorder(12);
    b.resize(160, 70);
    const QImage shot = shotOf(b);
    const QImage up = skinFrame(0).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.copy(0, 0, 12, 12), up.copy(0, 0, 12, 12));
    QCOMPARE(shot.copy(148, 58, 12, 12), up.copy(52, 38, 12, 12));
    // The top edge is stretched along its length only: its rows stay the frame's rows.
    QCOMPARE(shot.pixelColor(80, 0), up.pixelColor(32, 0));
    QCOMPARE(shot.pixelColor(80, 69), up.pixelColor(32, 49));
}

void TestSkinButton::negativeStretchBorderBecomesTwo()
{
    SkinButton b;
    setUpPlain(b);
    b.setStretchBorder(-5);
    QCOMPARE(b.stretchBorder(), -5);
    shotOf(b);
    QCOMPARE(b.stretchBorder(), 2);
}

void TestSkinButton::borderEffectFace_data()
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

void TestSkinButton::borderEffectFace()
{
    QFETCH(QString, action);
    QFETCH(QColor, face);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);
    SkinButton b;
    // The bordered face covers the skin.
    b.setButton(SkinImage::get()->buttonSkin(), QString(), 0, 0, 64, 50, 6, 0, 0, false, true);
    if (action == "hover")
        move(&b, QPoint(20, 20));
    else if (action == "press")
        press(&b, QPoint(20, 20));
    else if (action == "disable")
        b.setEnabled(false);
    const QImage shot = shotOf(b);
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

void TestSkinButton::clickOnReleaseAfterPress_data()
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

void TestSkinButton::clickOnReleaseAfterPress()
{
    QFETCH(int, response);
    QFETCH(int, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(bool, clicks);
    QFETCH(ButtonState, pressedState);
    SkinButton b;
    setUpPlain(b);
    b.setResponse(response);
    if (pressedState == ButtonState::Move)
        move(&b, QPoint(30, 30), Qt::MouseButton(button));
    QSignalSpy click(&b, &SkinButton::click), clickBtn(&b, &SkinButton::clickBtn),
        up(&b, &SkinButton::mouseUp), down(&b, &SkinButton::mouseDown);
    press(&b, QPoint(30, 30), Qt::MouseButton(button));
    QCOMPARE(b.state(), pressedState);
    QCOMPARE(down.size(), 1);
    QCOMPARE(down.first().first().toInt(), button);
    release(&b, releaseAt, Qt::MouseButton(button));
    QCOMPARE(up.size(), 1);
    QCOMPARE(click.size(), clicks ? 1 : 0);
    QCOMPARE(clickBtn.size(), clicks ? 1 : 0);
    if (clicks) {
        QCOMPARE(clickBtn.first().first().toInt(), button);
        QCOMPARE(b.state(), ButtonState::Normal);
    } else {
        QCOMPARE(b.state(), ButtonState::Up);
    }
}

void TestSkinButton::releaseWithoutPressDoesNotClick()
{
    SkinButton b;
    setUpPlain(b);
    QSignalSpy click(&b, &SkinButton::click), up(&b, &SkinButton::mouseUp);
    release(&b, QPoint(30, 30));
    QCOMPARE(up.size(), 1);
    QCOMPARE(click.size(), 0);
    // A completed click does not leave a press behind for the next release.
    press(&b, QPoint(30, 30));
    release(&b, QPoint(30, 30));
    release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 1);
}

void TestSkinButton::dragOutsideShowsUpAndBackShowsPressed()
{
    SkinButton b;
    setUpPlain(b);
    QSignalSpy lost(&b, &SkinButton::mouseLostFocus), moved(&b, &SkinButton::mouseMove);
    press(&b, QPoint(30, 30));
    move(&b, QPoint(-5, 30), Qt::LeftButton);
    QCOMPARE(b.state(), ButtonState::Up);
    QCOMPARE(lost.size(), 1);
    move(&b, QPoint(10, 12), Qt::LeftButton);
    QCOMPARE(b.state(), ButtonState::Down);
    QCOMPARE(moved.last().at(0).toInt(), 1);
    QCOMPARE(moved.last().at(1).toFloat(), 10.0f);
    QCOMPARE(moved.last().at(2).toFloat(), 12.0f);
    move(&b, QPoint(64, 10), Qt::LeftButton); // one past the last column
    QCOMPARE(b.state(), ButtonState::Up);
}

void TestSkinButton::doubleClickClicksTwice()
{
    SkinButton b;
    setUpPlain(b);
    QSignalSpy click(&b, &SkinButton::click), down(&b, &SkinButton::mouseDown);
    press(&b, QPoint(30, 30));
    release(&b, QPoint(30, 30));
    sendMouse(&b, QEvent::MouseButtonDblClick, QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(b.state(), ButtonState::Down);
    release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 2);
    QCOMPARE(down.size(), 1);

    // A double click whose first click did not press the control counts as an ordinary press.
    SkinButton c;
    setUpPlain(c);
    QSignalSpy click2(&c, &SkinButton::click);
    sendMouse(&c, QEvent::MouseButtonDblClick, QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(c.state(), ButtonState::Down);
    release(&c, QPoint(30, 30));
    QCOMPARE(click2.size(), 1);
}

void TestSkinButton::keyboard_data()
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

void TestSkinButton::keyboard()
{
    QFETCH(bool, keyBordUse);
    QFETCH(int, key);
    QFETCH(int, response);
    QFETCH(bool, clicks);
    SkinButton b;
    setUpPlain(b);
    b.setKeyboardUse(keyBordUse);
    b.setResponse(response);
    QSignalSpy click(&b, &SkinButton::click), clickBtn(&b, &SkinButton::clickBtn);
    sendKey(&b, QEvent::KeyPress, key);
    if (clicks)
        QCOMPARE(b.state(), ButtonState::Down);
    sendKey(&b, QEvent::KeyRelease, key);
    QCOMPARE(click.size(), clicks ? 1 : 0);
    if (clicks)
        QCOMPARE(clickBtn.first().first().toInt(), 1);
    // A release alone (the key went down elsewhere) never clicks.
    sendKey(&b, QEvent::KeyRelease, key);
    QCOMPARE(click.size(), clicks ? 1 : 0);
}

void TestSkinButton::enterNeverPropagates()
{
    KeyRecorder parent;
    auto *b = new SkinButton(&parent);
    setUpPlain(*b);
    QVERIFY(sendKey(b, QEvent::KeyPress, Qt::Key_Return));
    sendKey(b, QEvent::KeyPress, Qt::Key_Space);
    sendKey(b, QEvent::KeyPress, Qt::Key_A);
    QCOMPARE(parent.keys, (QList<int>{Qt::Key_Space, Qt::Key_A}));
    b->setKeyboardUse(true);
    sendKey(b, QEvent::KeyPress, Qt::Key_Space);
    QCOMPARE(parent.keys.size(), 2);
}

void TestSkinButton::heldKeyClicksOnceOnRealRelease()
{
    SkinButton b;
    setUpPlain(b);
    b.setKeyboardUse(true);
    QSignalSpy click(&b, &SkinButton::click);
    sendKey(&b, QEvent::KeyPress, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        sendKey(&b, QEvent::KeyRelease, Qt::Key_Space, true);
        sendKey(&b, QEvent::KeyPress, Qt::Key_Space, true);
    }
    QCOMPARE(click.size(), 0);
    sendKey(&b, QEvent::KeyRelease, Qt::Key_Space);
    QCOMPARE(click.size(), 1);
}

void TestSkinButton::disabledDrawsDisabledFrameAndIsSilent()
{
    SkinButton b;
    setUpPlain(b);
    QSignalSpy lost(&b, &SkinButton::mouseLostFocus);
    b.setEnabled(false);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(b.state(), ButtonState::Disabled);
    QCOMPARE(shotOf(b), skinFrame(2).convertToFormat(QImage::Format_RGB32));
    QSignalSpy click(&b, &SkinButton::click), down(&b, &SkinButton::mouseDown);
    b.setKeyboardUse(true);
    press(&b, QPoint(30, 30));
    release(&b, QPoint(30, 30));
    sendKey(&b, QEvent::KeyPress, Qt::Key_Space);
    sendKey(&b, QEvent::KeyRelease, Qt::Key_Space);
    QCOMPARE(click.size(), 0);
    QCOMPARE(down.size(), 0);
    QCOMPARE(b.state(), ButtonState::Disabled);
    // A parent being disabled disables the control as well.
    QWidget parent;
    auto *child = new SkinButton(&parent);
    setUpPlain(*child);
    parent.setEnabled(false);
    QCOMPARE(child->state(), ButtonState::Disabled);
}

void TestSkinButton::enablingAgainShowsUp()
{
    SkinButton b;
    setUpPlain(b);
    b.setEnabled(false);
    b.setEnabled(true);
    QCOMPARE(b.state(), ButtonState::Enabled);
    QCOMPARE(shotOf(b), skinFrame(0).convertToFormat(QImage::Format_RGB32));
    QSignalSpy click(&b, &SkinButton::click);
    press(&b, QPoint(30, 30));
    release(&b, QPoint(30, 30));
    QCOMPARE(click.size(), 1);
}

void TestSkinButton::roundedCornersMask()
{
    SkinButton b;
    setUpLikeDocument(b, QStringLiteral("馬連"));
    QCOMPARE(b.geometry(), QRect(790, 0, 64, 50));
    QCOMPARE(b.cornerSize(), 20);
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
    plain.setCornerSize(0);
    QVERIFY(plain.mask().isEmpty());
}

void TestSkinButton::customShapeMaskAndHitTest()
{
    SkinButton b;
    setUpPlain(b);
    const QList<QRect> parts{QRect(0, 0, 20, 50), QRect(44, 0, 20, 50)};
    b.setRegionData(makeRegionData(parts));
    QCOMPARE(b.regionData(), makeRegionData(parts));
    QCOMPARE(b.mask(), QRegion(parts[0]).united(parts[1]));
    QSignalSpy lost(&b, &SkinButton::mouseLostFocus);
    move(&b, QPoint(10, 10));
    QCOMPARE(b.state(), ButtonState::Move);
    move(&b, QPoint(30, 10)); // in the gap between the two parts
    QCOMPARE(b.state(), ButtonState::Up);
    QCOMPARE(lost.size(), 1);

    // Many rectangles are built in chunks and still give the same shape.
    QList<QRect> rows;
    for (int y = 0; y < 3000; ++y)
        rows.append(QRect(y % 7, y, 10, 1));
    QRegion expected;
    for (const QRect &r : rows)
        expected += r;
    QCOMPARE(regionFromRects(rows), expected);
}

void TestSkinButton::malformedShapeLeavesShape()
{
    SkinButton b;
    setUpLikeDocument(b, QString());
    const QRegion rounded = b.mask();
    QByteArray data = makeRegionData({QRect(0, 0, 5, 5)});
    data[8] = 9; // claims nine rectangles
    b.setRegionData(data);
    QCOMPARE(b.mask(), rounded);
    b.setRegionData(QByteArray("abc"));
    QCOMPARE(b.mask(), rounded);
    move(&b, QPoint(30, 30));
    QCOMPARE(b.state(), ButtonState::Move);
}

void TestSkinButton::hoverAnimationTicks()
{
    SkinButton b;
    setUpPlain(b, 11);
    QTimer *timer = b.animationTimer();
    QCOMPARE(timer->interval(), 300);
    QVERIFY(!timer->isActive());
    move(&b, QPoint(20, 20));
    QVERIFY(timer->isActive());
    QList<int> frames{b.currentFrame()};
    for (int i = 0; i < 7; ++i) {
        QMetaObject::invokeMethod(timer, "timeout"); // one beat, as the timer gives it
        frames.append(b.currentFrame());
    }
    QCOMPARE(frames, (QList<int>{1, 2, 3, 4, 3, 2, 1, 2}));
    // Moving within the control keeps the beat going.
    move(&b, QPoint(21, 20));
    QVERIFY(timer->isActive());
    QCOMPARE(b.currentFrame(), 2);
    // Leaving stops it; the phase carries over to the next hover.
    move(&b, QPoint(-10, -10));
    QVERIFY(!timer->isActive());
    QCOMPARE(b.currentFrame(), 0);
    b.animationTick();
    QCOMPARE(b.phase(), 1);
    move(&b, QPoint(20, 20));
    QCOMPARE(b.currentFrame(), 2);
    // Pressing shows frame 5 and stops the beat.
    press(&b, QPoint(20, 20));
    QVERIFY(!timer->isActive());
    QCOMPARE(b.currentFrame(), 5);
}

void TestSkinButton::focusLostUse()
{
    for (const bool use : {false, true}) {
        SkinButton b;
        setUpPlain(b);
        b.setFocusLostUse(use);
        move(&b, QPoint(20, 20));
        QSignalSpy lost(&b, &SkinButton::mouseLostFocus);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(&b, &out);
        QCOMPARE(b.state(), use ? ButtonState::Up : ButtonState::Move);
        QCOMPARE(lost.size(), use ? 1 : 0);
    }
}

void TestSkinButton::tooltip()
{
    SkinButton b;
    QCOMPARE(b.tipText(), QString());
    b.makeTip(QStringLiteral("馬連を計算"));
    QCOMPARE(b.tipText(), QStringLiteral("馬連を計算"));
    QCOMPARE(b.toolTip(), QStringLiteral("馬連を計算"));
    b.makeTip(QStringLiteral("馬連を計算"));
    QCOMPARE(b.toolTip(), QStringLiteral("馬連を計算"));
    b.makeTip(QString());
    QCOMPARE(b.tipText(), QString());
    QCOMPARE(b.toolTip(), QString());
}

void TestSkinButton::captionFontFitsCapSize_data()
{
    QTest::addColumn<int>("capSize");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("target");
    QTest::newRow("new button: 20 px") << 20 << 50 << 20;
    QTest::newRow("0 on a 30 px control: 27 px") << 0 << 30 << 27;
    QTest::newRow("small sizes are raised to 10 px") << 6 << 50 << 10;
}

void TestSkinButton::captionFontFitsCapSize()
{
    QFETCH(int, capSize);
    QFETCH(int, height);
    QFETCH(int, target);
    SkinButton b;
    b.resize(64, height);
    b.setCapSize(capSize);
    // Point sizes move the width in steps of about 1.33 px: the nearest size is within one.
    QVERIFY2(qAbs(b.getFontWidth(QStringLiteral("あ")) - target) <= 1,
             qPrintable(QString::number(b.getFontWidth(QStringLiteral("あ")))));
    // CapSize 0 fits once, when set: a later resize keeps the size.
    const int before = b.captionFont().pointSize();
    b.resize(64, height * 2);
    QCOMPARE(b.captionFont().pointSize(), before);
}

void TestSkinButton::autoFontIsJapaneseBold()
{
    SkinButton b;
    b.setCaption(QStringLiteral("集計"));
    const QFont f = b.captionFont();
    QVERIFY(f.bold());
    const QString family = QFontInfo(f).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
             qPrintable(family));
    // A font set by the host is kept, bold and italic included.
    QFont host(family, 9);
    host.setItalic(true);
    b.setCaptionFont(host);
    QCOMPARE(b.captionFont().pointSize(), 9);
    QVERIFY(b.captionFont().italic());
    QVERIFY(!b.captionFont().bold());
}

void TestSkinButton::captionIsDrawn()
{
    SkinButton b;
    setUpLikeDocument(b, QStringLiteral("集計"), 854);
    b.setCornerSize(-1);
    b.clearMask();
    const QImage shot = shotOf(b);
    const QImage up = skinFrame(0).convertToFormat(QImage::Format_RGB32);
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
    b.setRotatedCaption(20, 45, 90, true, false);
    b.refreshLook();
    QVERIFY(shotOf(b) != shot);
}

void TestSkinButton::propertiesRoundTrip()
{
    SkinButton a;
    a.setButton(QPixmap(), QStringLiteral("馬連"), 3, 4, 70, 40, 11, 2, 15, true, false, -1, -1, -1,
                -1, 22, 5, 6);
    a.setForeColor(rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9));
    a.setKeyboardUse(true);
    a.setRegionData(makeRegionData({QRect(0, 0, 30, 40)}));
    a.setEnabled(false);
    const QVariantMap bag = a.writeProperties();
    QCOMPARE(bag.value("Caption").toString(), QStringLiteral("馬連"));
    QCOMPARE(bag.value("ButtonKazu").toInt(), 11);
    QCOMPARE(bag.value("Enabled").toBool(), false);
    QVERIFY(!bag.contains("Response")); // equal to its default
    QVERIFY(!bag.contains("FocusLostUse"));
    SkinButton b;
    b.readProperties(bag);
    QCOMPARE(b.writeProperties(), bag);
    QCOMPARE(b.size(), QSize(70, 40));
    QCOMPARE(b.mask(), QRegion(0, 0, 30, 40));
    QVERIFY(!b.isEnabled());
}

void TestSkinButton::missingPropertiesReadDefaults()
{
    // A stored form without entries sizes the control and writes nothing back.
    SkinButton b;
    b.readProperties({});
    QCOMPARE(b.size(), QSize(96, 32));
    QCOMPARE(b.frameLayout(), 3);
    QVERIFY(b.isEnabled());
    QVERIFY(b.writeProperties().isEmpty());
}

QTEST_MAIN(TestSkinButton)
#include "tst_skinbutton_ui.moc"
