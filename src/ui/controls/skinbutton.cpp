// Set-up, properties and their persistence.
#include "ui/controls/skinbutton.h"

#include "ui/controls/skinimage.h"

#include <QTimer>
#include <QToolTip>

namespace {

// Values a stored form without the entry reads back; equal values are not written.
struct PropertyDefaults
{
    static constexpr int CapSize = 16;
    static constexpr int CapAlign = 37;
    static constexpr int ButtonWidth = 96;
    static constexpr int ButtonHeight = 32;
    static constexpr int ButtonKazu = 3;
    static constexpr int ButtonMuki = 1;
    static constexpr Color ForeColorUp = Rgb(255, 255, 255);
    static constexpr Color ForeColorMove = Rgb(255, 255, 0);
    static constexpr Color ForeColorDown = Rgb(0, 0, 255);
    static constexpr Color BackColorUp = Rgb(220, 220, 220);
    static constexpr Color BackColorMove = Rgb(230, 230, 230);
    static constexpr Color BackColorDown = Rgb(190, 190, 190);
    static constexpr Color BorderColorU = Rgb(244, 244, 244);
    static constexpr Color BorderColorD = Rgb(40, 40, 40);
};

} // namespace

SkinButton::SkinButton(QWidget *parent) : QWidget(parent)
{
    InitControlsResources();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_surface = [this] {
        const QColor c = palette().color(QPalette::Button);
        return Rgb(c.red(), c.green(), c.blue());
    }();
    m_timer = new QTimer(this);
    m_timer->setInterval(300);
    connect(m_timer, &QTimer::timeout, this, &SkinButton::AnimationTick);
    m_font = font();
    AutoFont();
    FitCaptionSize();
    ApplyPointer();
}

SkinButton::~SkinButton()
{
    m_destroying = true;
    m_timer->stop();
}

void SkinButton::SetButton(const QPixmap &skin, const QString &iCaption, int X, int Y, int W, int H,
                           int Kazu, int Muki, int Maru, bool opRGN, bool BdEffect, int Nx, int Ny,
                           int Nw, int Nh, int CapSz, int BtnW, int BtnH)
{
    Q_UNUSED(opRGN);
    setCaption(iCaption);
    m_buttonLeft = X;
    m_buttonTop = Y;
    setButtonWidth(W);
    setButtonHeight(H);
    m_buttonMuki = Muki;
    m_borderEffect = BdEffect;
    m_buttonKazu = Kazu;
    m_btnW = BtnW;
    m_btnH = BtnH;
    if (CapSz > 0)
        setCapSize(CapSz);
    m_skin = skin;
    if (Nx >= 0 && Ny >= 0 && Nw >= 0 && Nh >= 0)
        setGeometry(Nx, Ny, Nw, Nh);
    if (CapSz == -1)
        FitCaptionSize();
    if (Maru != 0)
        setButtonMaru(Maru);
    iRefresh();
}

void SkinButton::SetForeColor(Color UpColor, Color MoveColor, Color DownColor)
{
    m_foreUp = UpColor;
    m_foreMove = MoveColor;
    m_foreDown = DownColor;
    iRefresh();
}

void SkinButton::SetBackColor(Color UpColor, Color MoveColor, Color DownColor)
{
    m_backUp = UpColor;
    m_backMove = MoveColor;
    m_backDown = DownColor;
    iRefresh();
}

void SkinButton::SetCapRad(int X, int Y, int Rad, bool Use, bool Tate)
{
    m_capX = X;
    m_capY = Y;
    m_capRad = Rad;
    m_capUse = Use;
    m_capTate = Tate;
}

void SkinButton::MakeTip(const QString &wkStr)
{
    if (wkStr == m_tip)
        return;
    if (QToolTip::isVisible() && underMouse())
        QToolTip::hideText();
    m_tip = wkStr;
    setToolTip(wkStr);
}

void SkinButton::iRefresh()
{
    if (m_destroying)
        return;
    if (!isEnabled())
        m_state = ButtonState::Disabled;
    // The animation keeps its beat while the pointer moves over the control.
    if (Look() == ButtonLook::Hover && m_buttonKazu == 11) {
        if (!m_timer->isActive())
            m_timer->start();
    } else {
        m_timer->stop();
    }
    update();
}

void SkinButton::ReleaseMouse()
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void SkinButton::setCaption(const QString &caption)
{
    m_caption = caption;
    FitCaptionSize();
    AutoFont();
    iRefresh();
}

void SkinButton::setCapSize(int capSize)
{
    m_capSize = capSize;
    FitCaptionSize();
    iRefresh();
}

void SkinButton::setCapAlign(int capAlign)
{
    m_capAlign = capAlign;
    iRefresh();
}

void SkinButton::setButtonLeft(int v)
{
    m_buttonLeft = v;
    iRefresh();
}

void SkinButton::setButtonTop(int v)
{
    m_buttonTop = v;
    iRefresh();
}

void SkinButton::setButtonWidth(int v)
{
    m_buttonWidth = v;
    resize(std::max(v, 0), height());
    iRefresh();
}

void SkinButton::setButtonHeight(int v)
{
    m_buttonHeight = v;
    resize(width(), std::max(v, 0));
    iRefresh();
}

void SkinButton::setButtonKazu(int v)
{
    m_buttonKazu = v;
    iRefresh();
}

void SkinButton::setButtonMuki(int v)
{
    m_buttonMuki = v;
    iRefresh();
}

void SkinButton::setButtonHokan(int v)
{
    m_buttonHokan = v;
    iRefresh();
}

void SkinButton::setButtonMaru(int v)
{
    m_buttonMaru = v;
    if (v >= 1) {
        ApplyRoundCorners();
        iRefresh();
    }
}

void SkinButton::setPicButton(const QPixmap &skin)
{
    m_skin = skin;
    iRefresh();
}

void SkinButton::setBorderEffect(bool v)
{
    m_borderEffect = v;
    iRefresh();
}

void SkinButton::setMousePointer(int v)
{
    m_mousePointer = v;
    ApplyPointer();
}

void SkinButton::setRgn(const QByteArray &data)
{
    m_rgn = data;
    if (data.size() <= 6)
        return;
    // Malformed data leaves the shape as it was.
    const RegionRects parsed = ParseRegionData(data);
    if (!parsed.ok || parsed.rects.isEmpty())
        return;
    m_hitRegion = RegionFromRects(parsed.rects);
    m_hasHitRegion = true;
    setMask(m_hitRegion);
    iRefresh();
}

void SkinButton::setCaptionFont(const QFont &font)
{
    m_font.setFamilies(font.families().isEmpty() ? QStringList{font.family()} : font.families());
    if (font.pointSizeF() > 0)
        m_font.setPointSizeF(font.pointSizeF());
    else if (font.pixelSize() > 0)
        m_font.setPixelSize(font.pixelSize());
    m_font.setBold(font.bold());
    m_font.setItalic(font.italic());
    iRefresh();
}

QVariantMap SkinButton::WriteProperties() const
{
    using D = PropertyDefaults;
    QVariantMap bag;
    auto put = [&bag](const char *key, const QVariant &value, const QVariant &def) {
        if (value != def)
            bag.insert(QString::fromLatin1(key), value);
    };
    put("Caption", m_caption, QString());
    put("CapSize", m_capSize, D::CapSize);
    put("ButtonKazu", m_buttonKazu, D::ButtonKazu);
    put("ButtonMuki", m_buttonMuki, D::ButtonMuki);
    put("ButtonWidth", m_buttonWidth, D::ButtonWidth);
    put("ButtonHeight", m_buttonHeight, D::ButtonHeight);
    put("ButtonHokan", m_buttonHokan, 0);
    put("ButtonLeft", m_buttonLeft, 0);
    put("ButtonTop", m_buttonTop, 0);
    put("ButtonMaru", m_buttonMaru, 0);
    put("ForeColorUp", m_foreUp, D::ForeColorUp);
    put("ForeColorMove", m_foreMove, D::ForeColorMove);
    put("ForeColorDown", m_foreDown, D::ForeColorDown);
    put("Response", m_response, 7);
    put("MousePointer", m_mousePointer, 0);
    put("RGN", m_rgn, QByteArray());
    put("BorderWidth", m_borderWidth, 1);
    put("BorderColorU", m_borderColorU, D::BorderColorU);
    put("BorderColorD", m_borderColorD, D::BorderColorD);
    put("BorderEffect", m_borderEffect, true);
    put("BackColorUp", m_backUp, D::BackColorUp);
    put("BackColorMove", m_backMove, D::BackColorMove);
    put("BackColorDown", m_backDown, D::BackColorDown);
    put("CapAlign", m_capAlign, D::CapAlign);
    put("FocusGotUse", m_focusGotUse, false);
    put("FocusLostUse", m_focusLostUse, false);
    put("KeyBordUse", m_keyBordUse, false);
    put("Enabled", isEnabled(), true);
    return bag;
}

void SkinButton::ReadProperties(const QVariantMap &bag)
{
    using D = PropertyDefaults;
    auto num = [&bag](const char *key, qint64 def) {
        return bag.value(QString::fromLatin1(key), def).toLongLong();
    };
    auto flag = [&bag](const char *key, bool def) {
        return bag.value(QString::fromLatin1(key), def).toBool();
    };
    auto color = [&](const char *key, Color def) { return Color(num(key, def)); };

    m_caption = bag.value(QStringLiteral("Caption")).toString();
    m_capSize = int(num("CapSize", D::CapSize));
    m_buttonKazu = int(num("ButtonKazu", D::ButtonKazu));
    m_buttonMuki = int(num("ButtonMuki", D::ButtonMuki));
    m_buttonWidth = int(num("ButtonWidth", D::ButtonWidth));
    m_buttonHeight = int(num("ButtonHeight", D::ButtonHeight));
    resize(std::max(m_buttonWidth, 0), std::max(m_buttonHeight, 0));
    m_buttonHokan = int(num("ButtonHokan", 0));
    m_buttonLeft = int(num("ButtonLeft", 0));
    m_buttonTop = int(num("ButtonTop", 0));
    m_foreUp = color("ForeColorUp", D::ForeColorUp);
    m_foreMove = color("ForeColorMove", D::ForeColorMove);
    m_foreDown = color("ForeColorDown", D::ForeColorDown);
    m_response = int(num("Response", 7));
    m_borderWidth = int(num("BorderWidth", 1));
    m_borderColorU = color("BorderColorU", D::BorderColorU);
    m_borderColorD = color("BorderColorD", D::BorderColorD);
    m_borderEffect = flag("BorderEffect", true);
    m_backUp = color("BackColorUp", D::BackColorUp);
    m_backMove = color("BackColorMove", D::BackColorMove);
    m_backDown = color("BackColorDown", D::BackColorDown);
    m_capAlign = int(num("CapAlign", D::CapAlign));
    m_focusGotUse = flag("FocusGotUse", false);
    m_focusLostUse = flag("FocusLostUse", false);
    m_keyBordUse = flag("KeyBordUse", false);
    FitCaptionSize();
    AutoFont();
    setButtonMaru(int(num("ButtonMaru", 0)));
    setRgn(bag.value(QStringLiteral("RGN")).toByteArray());
    setEnabled(flag("Enabled", true));
    setMousePointer(int(num("MousePointer", 0)));
    iRefresh();
}
