// The look: skin frames or a flat face, the caption, its font, the rounded outline.
#include "ui/controls/skinbutton.h"

#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/uicolor.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

namespace {

QRegion uniteAll(QList<QRegion> parts)
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

} // namespace

QRegion regionFromRects(const QList<QRect> &rects)
{
    QList<QRegion> chunks;
    for (qsizetype at = 0; at < rects.size(); at += RegionChunk) {
        QList<QRegion> parts;
        const qsizetype end = std::min(rects.size(), at + RegionChunk);
        parts.reserve(end - at);
        for (qsizetype i = at; i < end; ++i)
            parts.append(QRegion(rects[i]));
        chunks.append(uniteAll(std::move(parts)));
    }
    return uniteAll(std::move(chunks));
}

void SkinButton::autoFont()
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
    refreshLook();
}

int SkinButton::getFontWidth(const QString &text) const
{
    return qRound(QFontMetricsF(m_font).horizontalAdvance(text));
}

void SkinButton::fitBlt(QPainter &painter, const QPixmap &pic, int dstW, int dstH, int srcX,
                        int srcY, int srcW, int srcH)
{
    if (m_stretchBorder < 0)
        m_stretchBorder = 2;
    const auto pieces = ninePartPieces(QRect(srcX, srcY, srcW, srcH), dstW, dstH, m_stretchBorder);
    for (const BltPiece &piece : pieces)
        painter.drawPixmap(piece.dst, pic, piece.src);
}

int SkinButton::currentFrame() const
{
    const ButtonLook look = isEnabled() ? currentLook() : ButtonLook::Disabled;
    return frameTable(m_frameLayout, m_phase).forLook(look);
}

void SkinButton::paintEvent(QPaintEvent *)
{
    if (m_destroying)
        return;
    QPainter painter(this);
    const int w = width(), h = height();
    painter.fillRect(0, 0, w, h, toQColor(m_surface));

    const ButtonFrames frames = frameTable(m_frameLayout, m_phase);
    const QPoint step = frameStep(m_frameDirection, m_buttonWidth, m_buttonHeight, m_btnW, m_btnH);
    const ButtonLook look = isEnabled() ? currentLook() : ButtonLook::Disabled;
    const int frame = frames.forLook(look);

    Color caption, back, edgeLight, edgeDark;
    switch (look) {
    case ButtonLook::Hover:
        caption = m_foreMove;
        back = m_backUp;
        edgeLight = rgb(255, 255, 255);
        edgeDark = rgb(40, 40, 40);
        break;
    case ButtonLook::Pressed:
    case ButtonLook::Disabled:
        caption = m_foreDown;
        back = m_backDown;
        edgeLight = rgb(40, 40, 40);
        edgeDark = rgb(255, 255, 255);
        break;
    case ButtonLook::Up:
    default:
        caption = m_foreUp;
        back = m_backUp;
        edgeLight = rgb(240, 240, 240);
        edgeDark = rgb(40, 40, 40);
        break;
    }

    if (!m_skin.isNull()) {
        const QRect src =
            frameRect(frame, m_buttonLeft, m_buttonTop, m_buttonWidth, m_buttonHeight, step);
        fitBlt(painter, m_skin, w, h, src.x(), src.y(), src.width(), src.height());
    }

    if (m_borderEffect) {
        m_surface = back;
        painter.fillRect(0, 0, w, h, toQColor(back));
        // Top and left in the light edge colour, bottom and right in the dark one; the left
        // edge is drawn last but one, so it owns the bottom-left pixel.
        painter.fillRect(0, 0, w, 1, toQColor(edgeLight));
        painter.fillRect(0, h - 1, w, 1, toQColor(edgeDark));
        painter.fillRect(0, 0, 1, h, toQColor(edgeLight));
        painter.fillRect(w - 1, 0, 1, h - 1, toQColor(edgeDark));
    }

    if (!m_caption.isEmpty()) {
        if (m_capUse) {
            drawRotatedCaption(painter, toQColor(caption));
        } else {
            painter.setFont(m_font);
            painter.setPen(toQColor(caption));
            painter.drawText(QRect(0, 2, w, h - 2), captionAlignToQt(m_capAlign), m_caption);
        }
    }
    if (hasFocus())
        drawFocusFrame(painter);
}

// A frame inside the rounded outline, in the palette's highlight with a light line inside it,
// so that it shows on light and dark skins alike.
void SkinButton::drawFocusFrame(QPainter &painter)
{
    const int inset = 3;
    const QRectF frame = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (frame.width() < 4 || frame.height() < 4)
        return;
    const qreal radius = m_cornerSize >= 1 ? std::max(m_cornerSize / 2.0 - inset, 0.0) : 0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(frame, radius, radius);
    painter.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
    painter.drawRoundedRect(frame.adjusted(2, 2, -2, -2), std::max(radius - 2, 0.0),
                            std::max(radius - 2, 0.0));
    painter.restore();
}

void SkinButton::drawRotatedCaption(QPainter &painter, const QColor &color)
{
    QFont f = m_font;
    if (f.pointSizeF() > 1)
        f.setPointSizeF(f.pointSizeF() - 1);
    f.setBold(false);
    painter.save();
    painter.setFont(f);
    painter.setPen(color);
    painter.translate(m_capX, m_capY);
    painter.rotate(-m_captionAngle);
    const QFontMetricsF fm(f);
    if (!m_captionUpright) {
        painter.drawText(QPointF(0, fm.ascent()), m_caption);
    } else {
        // Vertical writing: full-width characters turn a quarter back so they stand upright
        // along a line that runs downwards; narrow ones lie along the line.
        qreal x = 0;
        for (const uint code : m_caption.toUcs4()) {
            const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
            const qreal advance = fm.horizontalAdvance(ch);
            if (isWideChar(code)) {
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
    if (m_cornerSize >= 1 && !m_hasHitRegion)
        applyRoundCorners();
    refreshLook();
}

void SkinButton::fitCaptionSize()
{
    const int target = captionTarget(m_capSize, height());
    const int points = fitCaptionPointSize(target, twipsPerPixelY(), [this](int pt) {
        QFont probe(m_font);
        probe.setPointSize(pt);
        return QFontMetrics(probe).horizontalAdvance(QStringLiteral("あ"));
    });
    m_font.setPointSize(points);
}

void SkinButton::applyRoundCorners()
{
    if (width() <= 0 || height() <= 0)
        return;
    setMask(regionFromRects(roundRectRows(width(), height(), m_cornerSize)));
}
