#pragma once
// SkinButton: the owner-drawn push button of the document window. It draws a frame of a skin
// picture (or a flat face with a three-dimensional frame) for four looks, up, hover, pressed
// and disabled, with a bold Japanese caption sized to CapSize, and raises its own click and
// mouse signals. Mouse-button codes are 1 left, 2 right, 4 middle.

#include "core/document/color.h"
#include "core/skinbutton/buttonlogic.h"

#include <QByteArray>
#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <QVariantMap>
#include <QWidget>

class QTimer;

// One region from many rectangles, united in chunks of RegionChunk.
QRegion regionFromRects(const QList<QRect> &rects);

class SkinButton : public QWidget
{
    Q_OBJECT
public:
    explicit SkinButton(QWidget *parent = nullptr);
    ~SkinButton() override;

    // One-call set-up. skin is the shared skin picture (a null pixmap: no picture); it is kept as
    // an implicitly shared copy. placeX..placeHeight place the control when all are 0 or more;
    // captionSize > 0 sets capSize(), -1 fits the caption font again; cornerSize != 0 sets
    // cornerSize(). unusedShape is not used.
    void setButton(const QPixmap &skin, const QString &captionText, int x, int y, int w, int h,
                   int frameLayout, int frameDirection, int cornerSize, bool unusedShape,
                   bool borderEffect, int placeX = -1, int placeY = -1, int placeWidth = -1,
                   int placeHeight = -1, int captionSize = 0, int btnW = 0, int btnH = 0);
    void setForeColor(Color upColor, Color moveColor, Color downColor);
    void setBackColor(Color upColor, Color moveColor, Color downColor);
    // Rotated caption at (x, y) turned angle degrees counter-clockwise; upright draws full-width
    // characters upright for vertical writing.
    void setRotatedCaption(int x, int y, int angle, bool use, bool upright);
    // Tooltip shown centred below the control; "" removes it.
    void makeTip(const QString &text);
    void refreshLook();
    void autoFont();
    int getFontWidth(const QString &text) const;
    // Draws the source rectangle of pic stretched onto (0, 0, dstW, dstH), keeping a border of
    // stretchBorder() pixels unstretched (a negative stretchBorder() becomes 2 here).
    void fitBlt(QPainter &painter, const QPixmap &pic, int dstW, int dstH, int srcX, int srcY,
                int srcW, int srcH);
    void releasePointer();
    // Registers the button's interface for assistive technology (every button calls it).
    static void installAccessibility();

    // Properties.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int capSize() const { return m_capSize; }
    void setCapSize(int capSize);
    int capAlign() const { return m_capAlign; }
    void setCapAlign(int capAlign);
    bool enabled() const { return isEnabled(); } // set with QWidget::setEnabled
    int buttonLeft() const { return m_buttonLeft; }
    void setButtonLeft(int v);
    int buttonTop() const { return m_buttonTop; }
    void setButtonTop(int v);
    int buttonWidth() const { return m_buttonWidth; }
    void setButtonWidth(int v); // also resizes the control
    int buttonHeight() const { return m_buttonHeight; }
    void setButtonHeight(int v); // also resizes the control
    int frameLayout() const { return m_frameLayout; }
    void setFrameLayout(int v);
    int frameDirection() const { return m_frameDirection; }
    void setFrameDirection(int v);
    int stretchBorder() const { return m_stretchBorder; }
    void setStretchBorder(int v);
    int cornerSize() const { return m_cornerSize; }
    void setCornerSize(int v);
    const QPixmap &skin() const { return m_skin; }
    void setSkin(const QPixmap &skin);
    Color foreColorUp() const { return m_foreUp; }
    Color foreColorMove() const { return m_foreMove; }
    Color foreColorDown() const { return m_foreDown; }
    Color backColorUp() const { return m_backUp; }
    Color backColorMove() const { return m_backMove; }
    Color backColorDown() const { return m_backDown; }
    bool borderEffect() const { return m_borderEffect; }
    void setBorderEffect(bool v);
    // Kept and persisted only; they do not change drawing or behaviour.
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v) { m_borderWidth = v; }
    Color borderColorU() const { return m_borderColorU; }
    void setBorderColorU(Color c) { m_borderColorU = c; }
    Color borderColorD() const { return m_borderColorD; }
    void setBorderColorD(Color c) { m_borderColorD = c; }
    bool focusGotUse() const { return m_focusGotUse; }
    void setFocusGotUse(bool v) { m_focusGotUse = v; }
    int response() const { return m_response; }
    void setResponse(int v) { m_response = v; }
    // 0 the control's own pointer, 1..15 a standard pointer, others leave the pointer alone.
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int v);
    // Window-shape region data (see parseRegionData); shorter than 4 bytes removes nothing.
    QByteArray regionData() const { return m_regionData; }
    void setRegionData(const QByteArray &data);
    bool focusLostUse() const { return m_focusLostUse; }
    void setFocusLostUse(bool v) { m_focusLostUse = v; }
    bool keyboardUse() const { return m_keyboardUse; }
    void setKeyboardUse(bool v) { m_keyboardUse = v; }
    QFont captionFont() const { return m_font; }
    void setCaptionFont(const QFont &font); // copies family, size, bold and italic

    // Form persistence under the property names; values equal to their defaults are left out
    // and missing keys read back as those defaults.
    QVariantMap writeProperties() const;
    void readProperties(const QVariantMap &bag);

    // Observable state.
    ButtonState state() const { return m_state; }
    ButtonLook currentLook() const { return lookOfState(m_state); }
    int phase() const { return m_phase; }
    int currentFrame() const; // skin frame number of the current look
    QString tipText() const { return m_tip; }
    const QRegion &hitRegion() const { return m_hitRegion; }
    QTimer *animationTimer() const { return m_timer; }

Q_SIGNALS:
    void click();
    void clickBtn(int button);
    void mouseMove(int button, float x, float y);
    void mouseUp(int button);
    void mouseDown(int button);
    void mouseLostFocus();

public Q_SLOTS:
    // One 300 ms step of the hover animation (frameLayout() 11).
    void animationTick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void doMouseMove(int button, double x, double y);
    void doMouseDown(int button, double x, double y);
    void doMouseUp(int button);
    void clickNotice();
    void fitCaptionSize();
    void applyRoundCorners();
    void applyPointer();
    void drawRotatedCaption(QPainter &painter, const QColor &color);
    void drawFocusFrame(QPainter &painter);

    ButtonState m_state = ButtonState::Up;
    QString m_caption;
    int m_capSize = 20;
    int m_capAlign = 37;
    int m_buttonLeft = 0;
    int m_buttonTop = 0;
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
    int m_frameLayout = 0;
    int m_frameDirection = 0;
    int m_stretchBorder = 0;
    int m_cornerSize = -1;
    int m_btnW = 0;
    int m_btnH = 0;
    QPixmap m_skin;
    Color m_foreUp = rgb(60, 60, 60);
    Color m_foreMove = rgb(0, 0, 0);
    Color m_foreDown = rgb(90, 90, 90);
    Color m_backUp = rgb(200, 200, 200);
    Color m_backMove = rgb(230, 230, 230);
    Color m_backDown = rgb(150, 150, 150);
    Color m_surface; // the current back colour: kept from the last bordered drawing
    bool m_borderEffect = true;
    int m_borderWidth = 1;
    Color m_borderColorU = 0;
    Color m_borderColorD = 0;
    int m_response = 7;
    int m_mousePointer = 0;
    QByteArray m_regionData;
    QRegion m_hitRegion;
    bool m_hasHitRegion = false;
    bool m_focusGotUse = false;
    bool m_focusLostUse = false;
    bool m_keyboardUse = false;
    QFont m_font;

    bool m_pressed = false;            // a responding button went down on this control
    bool m_pressFlag = false;          // the last release clicked
    bool m_doubleClickPresses = false; // the next double click counts as a press
    bool m_keyDown = false;            // Space or Enter went down on this control
    bool m_destroying = false;

    int m_phase = 0;
    int m_phaseDir = 1;
    QTimer *m_timer = nullptr;

    QString m_tip;

    int m_capX = 0;
    int m_capY = 0;
    int m_captionAngle = 0;
    bool m_capUse = false;
    bool m_captionUpright = false;
};
