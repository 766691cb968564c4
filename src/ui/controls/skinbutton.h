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
QRegion RegionFromRects(const QList<QRect> &rects);

class SkinButton : public QWidget
{
    Q_OBJECT
public:
    explicit SkinButton(QWidget *parent = nullptr);
    ~SkinButton() override;

    // One-call set-up. skin is the shared skin picture (a null pixmap: no picture); it is kept as
    // an implicitly shared copy. Nx..Nh place the control when all are 0 or more; CapSz > 0 sets
    // CapSize, -1 fits the caption font again; Maru != 0 sets ButtonMaru. opRGN is not used.
    void SetButton(const QPixmap &skin, const QString &iCaption, int X, int Y, int W, int H,
                   int Kazu, int Muki, int Maru, bool opRGN, bool BdEffect, int Nx = -1,
                   int Ny = -1, int Nw = -1, int Nh = -1, int CapSz = 0, int BtnW = 0,
                   int BtnH = 0);
    void SetForeColor(Color UpColor, Color MoveColor, Color DownColor);
    void SetBackColor(Color UpColor, Color MoveColor, Color DownColor);
    // Rotated caption at (X, Y) turned Rad degrees counter-clockwise; Tate draws full-width
    // characters upright for vertical writing.
    void SetCapRad(int X, int Y, int Rad, bool Use, bool Tate);
    // Tooltip shown centred below the control; "" removes it.
    void MakeTip(const QString &wkStr);
    void iRefresh();
    void AutoFont();
    int GetFontWidth(const QString &wkStr) const;
    // Draws the source rectangle of pic stretched onto (0, 0, DstW, DstH), keeping a border of
    // ButtonHokan pixels unstretched (a negative ButtonHokan becomes 2 here).
    void FitBlt(QPainter &painter, const QPixmap &pic, int DstW, int DstH, int SrcX, int SrcY,
                int SrcW, int SrcH);
    void ReleaseMouse();

    // Properties.
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int CapSize() const { return m_capSize; }
    void setCapSize(int capSize);
    int CapAlign() const { return m_capAlign; }
    void setCapAlign(int capAlign);
    bool Enabled() const { return isEnabled(); } // set with QWidget::setEnabled
    int ButtonLeft() const { return m_buttonLeft; }
    void setButtonLeft(int v);
    int ButtonTop() const { return m_buttonTop; }
    void setButtonTop(int v);
    int ButtonWidth() const { return m_buttonWidth; }
    void setButtonWidth(int v); // also resizes the control
    int ButtonHeight() const { return m_buttonHeight; }
    void setButtonHeight(int v); // also resizes the control
    int ButtonKazu() const { return m_buttonKazu; }
    void setButtonKazu(int v);
    int ButtonMuki() const { return m_buttonMuki; }
    void setButtonMuki(int v);
    int ButtonHokan() const { return m_buttonHokan; }
    void setButtonHokan(int v);
    int ButtonMaru() const { return m_buttonMaru; }
    void setButtonMaru(int v);
    const QPixmap &PicButton() const { return m_skin; }
    void setPicButton(const QPixmap &skin);
    Color ForeColorUp() const { return m_foreUp; }
    Color ForeColorMove() const { return m_foreMove; }
    Color ForeColorDown() const { return m_foreDown; }
    Color BackColorUp() const { return m_backUp; }
    Color BackColorMove() const { return m_backMove; }
    Color BackColorDown() const { return m_backDown; }
    bool BorderEffect() const { return m_borderEffect; }
    void setBorderEffect(bool v);
    // Kept and persisted only; they do not change drawing or behaviour.
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v) { m_borderWidth = v; }
    Color BorderColorU() const { return m_borderColorU; }
    void setBorderColorU(Color c) { m_borderColorU = c; }
    Color BorderColorD() const { return m_borderColorD; }
    void setBorderColorD(Color c) { m_borderColorD = c; }
    bool FocusGotUse() const { return m_focusGotUse; }
    void setFocusGotUse(bool v) { m_focusGotUse = v; }
    int Response() const { return m_response; }
    void setResponse(int v) { m_response = v; }
    // 0 the control's own pointer, 1..15 a standard pointer, others leave the pointer alone.
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int v);
    // Window-shape region data (see ParseRegionData); shorter than 4 bytes removes nothing.
    QByteArray Rgn() const { return m_rgn; }
    void setRgn(const QByteArray &data);
    bool FocusLostUse() const { return m_focusLostUse; }
    void setFocusLostUse(bool v) { m_focusLostUse = v; }
    bool KeyBordUse() const { return m_keyBordUse; }
    void setKeyBordUse(bool v) { m_keyBordUse = v; }
    QFont Font() const { return m_font; }
    void setCaptionFont(const QFont &font); // copies family, size, bold and italic

    // Form persistence under the property names; values equal to their defaults are left out
    // and missing keys read back as those defaults.
    QVariantMap WriteProperties() const;
    void ReadProperties(const QVariantMap &bag);

    // Observable state.
    ButtonState State() const { return m_state; }
    ButtonLook Look() const { return LookOfState(m_state); }
    int Phase() const { return m_phase; }
    int CurrentFrame() const; // skin frame number of the current look
    QString TipText() const { return m_tip; }
    const QRegion &HitRegion() const { return m_hitRegion; }
    QTimer *AnimationTimer() const { return m_timer; }

Q_SIGNALS:
    void Click();
    void ClickBtn(int Button);
    void MouseMove(int Button, float X, float Y);
    void MouseUp(int Button);
    void MouseDown(int Button);
    void MouseLostFocus();

public Q_SLOTS:
    // One 300 ms step of the hover animation (ButtonKazu 11).
    void AnimationTick();

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
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void DoMouseMove(int button, double x, double y);
    void DoMouseDown(int button, double x, double y);
    void DoMouseUp(int button);
    void ClickNotice();
    void FitCaptionSize();
    void ApplyRoundCorners();
    void ApplyPointer();
    void DrawRotatedCaption(QPainter &painter, const QColor &color);

    ButtonState m_state = ButtonState::Up;
    QString m_caption;
    int m_capSize = 20;
    int m_capAlign = 37;
    int m_buttonLeft = 0;
    int m_buttonTop = 0;
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
    int m_buttonKazu = 0;
    int m_buttonMuki = 0;
    int m_buttonHokan = 0;
    int m_buttonMaru = -1;
    int m_btnW = 0;
    int m_btnH = 0;
    QPixmap m_skin;
    Color m_foreUp = Rgb(60, 60, 60);
    Color m_foreMove = Rgb(0, 0, 0);
    Color m_foreDown = Rgb(90, 90, 90);
    Color m_backUp = Rgb(200, 200, 200);
    Color m_backMove = Rgb(230, 230, 230);
    Color m_backDown = Rgb(150, 150, 150);
    Color m_surface; // the current back colour: kept from the last bordered drawing
    bool m_borderEffect = true;
    int m_borderWidth = 1;
    Color m_borderColorU = 0;
    Color m_borderColorD = 0;
    int m_response = 7;
    int m_mousePointer = 0;
    QByteArray m_rgn;
    QRegion m_hitRegion;
    bool m_hasHitRegion = false;
    bool m_focusGotUse = false;
    bool m_focusLostUse = false;
    bool m_keyBordUse = false;
    QFont m_font;

    bool m_pressed = false;   // a responding button went down on this control
    bool m_pressFlag = false; // the last release clicked
    bool m_dblClick = false;  // the next double click counts as a press
    bool m_keyDown = false;   // Space or Enter went down on this control
    bool m_destroying = false;

    int m_phase = 0;
    int m_phaseDir = 1;
    QTimer *m_timer = nullptr;

    QString m_tip;

    int m_capX = 0;
    int m_capY = 0;
    int m_capRad = 0;
    bool m_capUse = false;
    bool m_capTate = false;
};
