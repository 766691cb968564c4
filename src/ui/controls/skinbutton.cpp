#include "ui/controls/skinbutton.h"

#include "ui/controls/skinimage.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/uicolor.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolTip>

namespace {
int ButtonCode(Qt::MouseButtons buttons)
{
    return int(buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton));
}

QRegion UniteAll(QList<QRegion> parts)
{
    // Pairwise rounds keep each union small instead of growing one region rectangle by rectangle.
    while (parts.size() > 1) {
        QList<QRegion> next;
        next.reserve((parts.size() + 1) / 2);
        for (qsizetype i = 0; i < parts.size(); i += 2)
            next.append(i + 1 < parts.size() ? parts[i].united(parts[i + 1]) : parts[i]);
        parts = std::move(next);
    }
    return parts.isEmpty() ? QRegion() : parts.first();
}

Qt::CursorShape StandardPointer(int n)
{
    switch (n) {
    case 2:
        return Qt::CrossCursor;
    case 3:
        return Qt::IBeamCursor;
    case 5:
    case 15:
        return Qt::SizeAllCursor;
    case 6:
        return Qt::SizeBDiagCursor;
    case 7:
        return Qt::SizeVerCursor;
    case 8:
        return Qt::SizeFDiagCursor;
    case 9:
        return Qt::SizeHorCursor;
    case 10:
        return Qt::UpArrowCursor;
    case 11:
        return Qt::WaitCursor;
    case 12:
        return Qt::ForbiddenCursor;
    case 13:
        return Qt::BusyCursor;
    case 14:
        return Qt::WhatsThisCursor;
    default:
        return Qt::ArrowCursor;
    }
}

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

QRegion RegionFromRects(const QList<QRect> &rects)
{
    QList<QRegion> chunks;
    for (qsizetype at = 0; at < rects.size(); at += RegionChunk) {
        QList<QRegion> parts;
        const qsizetype end = std::min(rects.size(), at + RegionChunk);
        parts.reserve(end - at);
        for (qsizetype i = at; i < end; ++i)
            parts.append(QRegion(rects[i]));
        chunks.append(UniteAll(std::move(parts)));
    }
    return UniteAll(std::move(chunks));
}

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

void SkinButton::AutoFont()
{
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    QString chosen;
    // The designed faces (the first one tried twice), then any installed Japanese family.
    for (const QString &face : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ ゴシック"),
                                QStringLiteral("ＭＳ 明朝")}) {
        QFont probe(m_font);
        probe.setFamilies({face});
        const QString resolved = QFontInfo(probe).family();
        if (japanese.contains(resolved)) {
            chosen = resolved;
            break;
        }
    }
    if (chosen.isEmpty() && !japanese.isEmpty())
        chosen = japanese.first();
    if (chosen.isEmpty())
        return;
    m_font.setFamilies({chosen});
    m_font.setBold(true);
    iRefresh();
}

int SkinButton::GetFontWidth(const QString &wkStr) const
{
    return qRound(QFontMetricsF(m_font).horizontalAdvance(wkStr));
}

void SkinButton::FitBlt(QPainter &painter, const QPixmap &pic, int DstW, int DstH, int SrcX,
                        int SrcY, int SrcW, int SrcH)
{
    if (m_buttonHokan < 0)
        m_buttonHokan = 2;
    const auto pieces = NinePartPieces(QRect(SrcX, SrcY, SrcW, SrcH), DstW, DstH, m_buttonHokan);
    for (const BltPiece &piece : pieces)
        painter.drawPixmap(piece.dst, pic, piece.src);
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

int SkinButton::CurrentFrame() const
{
    const ButtonLook look = isEnabled() ? Look() : ButtonLook::Disabled;
    return FrameTable(m_buttonKazu, m_phase).forLook(look);
}

void SkinButton::AnimationTick()
{
    if (Look() != ButtonLook::Hover || m_buttonKazu != 11 || !isEnabled()) {
        m_timer->stop();
        return;
    }
    AdvancePhase(m_phase, m_phaseDir);
    iRefresh();
}

void SkinButton::paintEvent(QPaintEvent *)
{
    if (m_destroying)
        return;
    QPainter painter(this);
    const int w = width(), h = height();
    painter.fillRect(0, 0, w, h, ToQColor(m_surface));

    const ButtonFrames frames = FrameTable(m_buttonKazu, m_phase);
    const QPoint step = FrameStep(m_buttonMuki, m_buttonWidth, m_buttonHeight, m_btnW, m_btnH);
    const ButtonLook look = isEnabled() ? Look() : ButtonLook::Disabled;
    const int frame = frames.forLook(look);

    Color caption, back, edgeLight, edgeDark;
    switch (look) {
    case ButtonLook::Hover:
        caption = m_foreMove;
        back = m_backUp;
        edgeLight = Rgb(255, 255, 255);
        edgeDark = Rgb(40, 40, 40);
        break;
    case ButtonLook::Pressed:
    case ButtonLook::Disabled:
        caption = m_foreDown;
        back = m_backDown;
        edgeLight = Rgb(40, 40, 40);
        edgeDark = Rgb(255, 255, 255);
        break;
    case ButtonLook::Up:
    default:
        caption = m_foreUp;
        back = m_backUp;
        edgeLight = Rgb(240, 240, 240);
        edgeDark = Rgb(40, 40, 40);
        break;
    }

    if (!m_skin.isNull()) {
        const QRect src =
            FrameRect(frame, m_buttonLeft, m_buttonTop, m_buttonWidth, m_buttonHeight, step);
        FitBlt(painter, m_skin, w, h, src.x(), src.y(), src.width(), src.height());
    }

    if (m_borderEffect) {
        m_surface = back;
        painter.fillRect(0, 0, w, h, ToQColor(back));
        // Top and left in the light edge colour, bottom and right in the dark one; the left
        // edge is drawn last but one, so it owns the bottom-left pixel.
        painter.fillRect(0, 0, w, 1, ToQColor(edgeLight));
        painter.fillRect(0, h - 1, w, 1, ToQColor(edgeDark));
        painter.fillRect(0, 0, 1, h, ToQColor(edgeLight));
        painter.fillRect(w - 1, 0, 1, h - 1, ToQColor(edgeDark));
    }

    if (m_caption.isEmpty())
        return;
    if (m_capUse) {
        DrawRotatedCaption(painter, ToQColor(caption));
    } else {
        painter.setFont(m_font);
        painter.setPen(ToQColor(caption));
        painter.drawText(QRect(0, 2, w, h - 2), CaptionAlignToQt(m_capAlign), m_caption);
    }
}

void SkinButton::DrawRotatedCaption(QPainter &painter, const QColor &color)
{
    QFont f = m_font;
    if (f.pointSizeF() > 1)
        f.setPointSizeF(f.pointSizeF() - 1);
    f.setBold(false);
    painter.save();
    painter.setFont(f);
    painter.setPen(color);
    painter.translate(m_capX, m_capY);
    painter.rotate(-m_capRad);
    const QFontMetricsF fm(f);
    if (!m_capTate) {
        painter.drawText(QPointF(0, fm.ascent()), m_caption);
    } else {
        // Vertical writing: full-width characters turn a quarter back so they stand upright
        // along a line that runs downwards; narrow ones lie along the line.
        qreal x = 0;
        for (const uint code : m_caption.toUcs4()) {
            const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
            const qreal advance = fm.horizontalAdvance(ch);
            if (IsWideChar(code)) {
                painter.save();
                painter.translate(x + advance / 2, fm.height() / 2);
                painter.rotate(-90);
                painter.drawText(QRectF(-advance / 2, -fm.height() / 2, advance, fm.height()),
                                 Qt::AlignCenter, ch);
                painter.restore();
            } else {
                painter.drawText(QPointF(x, fm.ascent()), ch);
            }
            x += advance;
        }
    }
    painter.restore();
}

void SkinButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A rounded shape follows the size; a custom shape is the host's business.
    if (m_buttonMaru >= 1 && !m_hasHitRegion)
        ApplyRoundCorners();
    iRefresh();
}

void SkinButton::DoMouseMove(int button, double x, double y)
{
    const bool outside = x < 0 || y < 0 || x >= width() || y >= height() ||
                         (m_hasHitRegion && !m_hitRegion.contains(QPoint(int(x), int(y))));
    if (outside) {
        m_state = ButtonState::Up;
        iRefresh();
        ReleaseMouse();
        Q_EMIT MouseLostFocus();
        return;
    }
    m_state = Responds(button, m_response) ? ButtonState::Down : ButtonState::Move;
    iRefresh();
    Q_EMIT MouseMove(button, float(x), float(y));
}

void SkinButton::DoMouseDown(int button, double x, double y)
{
    m_dblClick = false;
    m_pressed = Responds(button, m_response);
    if (m_pressed)
        DoMouseMove(button, x, y);
    Q_EMIT MouseDown(button);
}

void SkinButton::DoMouseUp(int button)
{
    m_dblClick = false;
    // Only a release that ends a press on this control clicks, wherever the pointer is now.
    m_pressFlag = m_pressed && Responds(button, m_response);
    m_pressed = false;
    m_state = ButtonState::Move;
    iRefresh();
    const QPointer<SkinButton> self(this);
    if (isEnabled() && m_pressFlag) {
        m_state = ButtonState::Normal;
        iRefresh();
        Q_EMIT MouseUp(button);
        if (self)
            Q_EMIT Click();
        if (self)
            Q_EMIT ClickBtn(button);
    } else {
        m_state = ButtonState::Up;
        iRefresh();
        Q_EMIT MouseUp(button);
    }
}

void SkinButton::ClickNotice()
{
    m_dblClick = m_pressFlag;
    m_pressFlag = false;
}

void SkinButton::mousePressEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    DoMouseDown(ButtonCode(event->button()), p.x(), p.y());
    event->accept();
}

void SkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointer<SkinButton> self(this);
    DoMouseUp(ButtonCode(event->button()));
    if (self)
        ClickNotice();
    event->accept();
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click arrives here instead of as a press.
    if (!m_dblClick) {
        mousePressEvent(event);
        return;
    }
    m_pressed = true;
    DoMouseMove(1, 10, 10);
    m_dblClick = false;
    event->accept();
}

void SkinButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    DoMouseMove(ButtonCode(event->buttons()), p.x(), p.y());
    event->accept();
}

void SkinButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (isEnabled())
        DoMouseMove(0, -10, -10);
}

void SkinButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool space = event->key() == Qt::Key_Space;
    if (m_keyBordUse && (enter || space))
        DoMouseDown(1, 10, 10);
    // Enter never reaches another handler (a dialog's default button, the parent window).
    if (enter || (m_keyBordUse && space)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinButton::keyReleaseEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool space = event->key() == Qt::Key_Space;
    if (m_keyBordUse && (enter || space)) {
        // A held key repeats as release/press pairs: only the real release clicks.
        if (!event->isAutoRepeat())
            DoMouseUp(1);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void SkinButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // A key held down when the focus left can no longer be released here.
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        m_pressed = false;
    if (m_focusLostUse)
        DoMouseMove(0, -10, -10);
}

void SkinButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    ApplyPointer();
    if (!isEnabled()) {
        m_pressed = false;
        Q_EMIT MouseLostFocus();
    } else {
        m_state = ButtonState::Enabled;
    }
    iRefresh();
}

bool SkinButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (m_tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(mapToGlobal(QPoint(width() / 2, height())), m_tip, this, rect());
        }
        return true;
    }
    return QWidget::event(event);
}

void SkinButton::FitCaptionSize()
{
    const int target = CaptionTarget(m_capSize, height());
    const int points = FitCaptionPointSize(target, TwipsPerPixelY(), [this](int pt) {
        QFont probe(m_font);
        probe.setPointSize(pt);
        return QFontMetrics(probe).horizontalAdvance(QStringLiteral("あ"));
    });
    m_font.setPointSize(points);
}

void SkinButton::ApplyRoundCorners()
{
    if (width() <= 0 || height() <= 0)
        return;
    setMask(RegionFromRects(RoundRectRows(width(), height(), m_buttonMaru)));
}

void SkinButton::ApplyPointer()
{
    if (!isEnabled()) {
        unsetCursor();
        return;
    }
    if (m_mousePointer == 0)
        setCursor(QCursor(QPixmap(QStringLiteral(":/controls/hand.png")), 14, 0));
    else if (m_mousePointer >= 1 && m_mousePointer <= 15)
        setCursor(StandardPointer(m_mousePointer));
}
