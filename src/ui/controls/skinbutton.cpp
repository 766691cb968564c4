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
    static constexpr int FrameLayout = 3;
    static constexpr int FrameDirection = 1;
    static constexpr Color ForeColorUp = rgb(255, 255, 255);
    static constexpr Color ForeColorMove = rgb(255, 255, 0);
    static constexpr Color ForeColorDown = rgb(0, 0, 255);
    static constexpr Color BackColorUp = rgb(220, 220, 220);
    static constexpr Color BackColorMove = rgb(230, 230, 230);
    static constexpr Color BackColorDown = rgb(190, 190, 190);
    static constexpr Color BorderColorU = rgb(244, 244, 244);
    static constexpr Color BorderColorD = rgb(40, 40, 40);
};

} // namespace

SkinButton::SkinButton(QWidget *parent) : QWidget(parent)
{
    initControlsResources();
    installAccessibility();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_surface = [this] {
        const QColor c = palette().color(QPalette::Button);
        return rgb(c.red(), c.green(), c.blue());
    }();
    m_timer = new QTimer(this);
    m_timer->setInterval(300);
    connect(m_timer, &QTimer::timeout, this, &SkinButton::animationTick);
    m_font = font();
    autoFont();
    fitCaptionSize();
    applyPointer();
}

SkinButton::~SkinButton()
{
    m_destroying = true;
    m_timer->stop();
}

void SkinButton::setButton(const QPixmap &skin, const QString &captionText, int x, int y, int w,
                           int h, int frameLayout, int frameDirection, int cornerSize,
                           bool unusedShape, bool borderEffect, int placeX, int placeY,
                           int placeWidth, int placeHeight, int captionSize, int btnW, int btnH)
{
    Q_UNUSED(unusedShape);
    setCaption(captionText);
    m_buttonLeft = x;
    m_buttonTop = y;
    setButtonWidth(w);
    setButtonHeight(h);
    m_frameDirection = frameDirection;
    m_borderEffect = borderEffect;
    m_frameLayout = frameLayout;
    m_btnW = btnW;
    m_btnH = btnH;
    if (captionSize > 0)
        setCapSize(captionSize);
    m_skin = skin;
    if (placeX >= 0 && placeY >= 0 && placeWidth >= 0 && placeHeight >= 0)
        setGeometry(placeX, placeY, placeWidth, placeHeight);
    if (captionSize == -1)
        fitCaptionSize();
    if (cornerSize != 0)
        setCornerSize(cornerSize);
    refreshLook();
}

void SkinButton::setForeColor(Color upColor, Color moveColor, Color downColor)
{
    m_foreUp = upColor;
    m_foreMove = moveColor;
    m_foreDown = downColor;
    refreshLook();
}

void SkinButton::setBackColor(Color upColor, Color moveColor, Color downColor)
{
    m_backUp = upColor;
    m_backMove = moveColor;
    m_backDown = downColor;
    refreshLook();
}

void SkinButton::setRotatedCaption(int x, int y, int angle, bool use, bool upright)
{
    m_capX = x;
    m_capY = y;
    m_captionAngle = angle;
    m_capUse = use;
    m_captionUpright = upright;
}

void SkinButton::makeTip(const QString &text)
{
    if (text == m_tip)
        return;
    if (QToolTip::isVisible() && underMouse())
        QToolTip::hideText();
    m_tip = text;
    setToolTip(text);
}

void SkinButton::refreshLook()
{
    if (m_destroying)
        return;
    if (!isEnabled())
        m_state = ButtonState::Disabled;
    // The animation keeps its beat while the pointer moves over the control.
    if (currentLook() == ButtonLook::Hover && m_frameLayout == 11) {
        if (!m_timer->isActive())
            m_timer->start();
    } else {
        m_timer->stop();
    }
    update();
}

void SkinButton::releasePointer()
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void SkinButton::setCaption(const QString &caption)
{
    m_caption = caption;
    fitCaptionSize();
    autoFont();
    refreshLook();
}

void SkinButton::setCapSize(int capSize)
{
    m_capSize = capSize;
    fitCaptionSize();
    refreshLook();
}

void SkinButton::setCapAlign(int capAlign)
{
    m_capAlign = capAlign;
    refreshLook();
}

void SkinButton::setButtonLeft(int v)
{
    m_buttonLeft = v;
    refreshLook();
}

void SkinButton::setButtonTop(int v)
{
    m_buttonTop = v;
    refreshLook();
}

void SkinButton::setButtonWidth(int v)
{
    m_buttonWidth = v;
    resize(std::max(v, 0), height());
    refreshLook();
}

void SkinButton::setButtonHeight(int v)
{
    m_buttonHeight = v;
    resize(width(), std::max(v, 0));
    refreshLook();
}

void SkinButton::setFrameLayout(int v)
{
    m_frameLayout = v;
    refreshLook();
}

void SkinButton::setFrameDirection(int v)
{
    m_frameDirection = v;
    refreshLook();
}

void SkinButton::setStretchBorder(int v)
{
    m_stretchBorder = v;
    refreshLook();
}

void SkinButton::setCornerSize(int v)
{
    m_cornerSize = v;
    if (v >= 1) {
        applyRoundCorners();
        refreshLook();
    }
}

void SkinButton::setSkin(const QPixmap &skin)
{
    m_skin = skin;
    refreshLook();
}

void SkinButton::setBorderEffect(bool v)
{
    m_borderEffect = v;
    refreshLook();
}

void SkinButton::setMousePointer(int v)
{
    m_mousePointer = v;
    applyPointer();
}

void SkinButton::setRegionData(const QByteArray &data)
{
    m_regionData = data;
    if (data.size() <= 6)
        return;
    // Malformed data leaves the shape as it was.
    const RegionRects parsed = parseRegionData(data);
    if (!parsed.ok || parsed.rects.isEmpty())
        return;
    m_hitRegion = regionFromRects(parsed.rects);
    m_hasHitRegion = true;
    setMask(m_hitRegion);
    refreshLook();
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
    refreshLook();
}

QVariantMap SkinButton::writeProperties() const
{
    using D = PropertyDefaults;
    QVariantMap bag;
    auto put = [&bag](const char *key, const QVariant &value, const QVariant &def) {
        if (value != def)
            bag.insert(QString::fromLatin1(key), value);
    };
    put("Caption", m_caption, QString());
    put("CapSize", m_capSize, D::CapSize);
    put("ButtonKazu", m_frameLayout, D::FrameLayout);
    put("ButtonMuki", m_frameDirection, D::FrameDirection);
    put("ButtonWidth", m_buttonWidth, D::ButtonWidth);
    put("ButtonHeight", m_buttonHeight, D::ButtonHeight);
    put("ButtonHokan", m_stretchBorder, 0);
    put("ButtonLeft", m_buttonLeft, 0);
    put("ButtonTop", m_buttonTop, 0);
    put("ButtonMaru", m_cornerSize, 0);
    put("ForeColorUp", m_foreUp, D::ForeColorUp);
    put("ForeColorMove", m_foreMove, D::ForeColorMove);
    put("ForeColorDown", m_foreDown, D::ForeColorDown);
    put("Response", m_response, 7);
    put("MousePointer", m_mousePointer, 0);
    put("RGN", m_regionData, QByteArray());
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
    put("KeyBordUse", m_keyboardUse, false);
    put("Enabled", isEnabled(), true);
    return bag;
}

void SkinButton::readProperties(const QVariantMap &bag)
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
    m_frameLayout = int(num("ButtonKazu", D::FrameLayout));
    m_frameDirection = int(num("ButtonMuki", D::FrameDirection));
    m_buttonWidth = int(num("ButtonWidth", D::ButtonWidth));
    m_buttonHeight = int(num("ButtonHeight", D::ButtonHeight));
    resize(std::max(m_buttonWidth, 0), std::max(m_buttonHeight, 0));
    m_stretchBorder = int(num("ButtonHokan", 0));
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
    m_keyboardUse = flag("KeyBordUse", false);
    fitCaptionSize();
    autoFont();
    setCornerSize(int(num("ButtonMaru", 0)));
    setRegionData(bag.value(QStringLiteral("RGN")).toByteArray());
    setEnabled(flag("Enabled", true));
    setMousePointer(int(num("MousePointer", 0)));
    refreshLook();
}
