#include "core/skinbutton/buttonlogic.h"

#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>

ButtonLook lookOfState(ButtonState state)
{
    switch (state) {
    case ButtonState::Move:
        return ButtonLook::Hover;
    case ButtonState::Down:
        return ButtonLook::Pressed;
    case ButtonState::Disabled:
        return ButtonLook::Disabled;
    case ButtonState::Up:
    case ButtonState::Normal:
    case ButtonState::Enabled:
        break;
    }
    return ButtonLook::Up;
}

int ButtonFrames::forLook(ButtonLook look) const
{
    switch (look) {
    case ButtonLook::Hover:
        return hover;
    case ButtonLook::Pressed:
        return pressed;
    case ButtonLook::Disabled:
        return disabled;
    case ButtonLook::Up:
        break;
    }
    return up;
}

ButtonFrames frameTable(int frameLayout, int phase)
{
    // Columns: up, pressed, hover, disabled.
    switch (frameLayout) {
    case 0:
    case 10:
        return {0, 0, 0, 0};
    case 1:
        return {0, 1, 0, 0};
    case 2:
        return {0, 1, 2, 1};
    case 3:
        return {0, 1, 2, 3};
    case 4:
        return {0, 0, 1, 0};
    case 5:
        return {1, 0, 0, 0};
    case 7:
        return {0, 2, 1, 3};
    case 8:
        return {0, 2, 1, 0};
    case 9:
        return {2, 2, 2, 2};
    case 11:
        return {0, 5, 1 + phase, 5};
    default:
        return {0, 2, 1, 2};
    }
}

QPoint frameStep(int frameDirection, int buttonWidth, int buttonHeight, int btnW, int btnH)
{
    switch (frameDirection) {
    case 0:
        return {buttonWidth, 0};
    case 1:
        return {0, buttonHeight};
    case 2:
        return {btnW, btnH};
    default:
        return {0, 0};
    }
}

QRect frameRect(int n, int left, int top, int width, int height, QPoint step)
{
    return QRect(left + n * step.x(), top + n * step.y(), width, height);
}

void advancePhase(int &phase, int &dir)
{
    if (dir != 1 && dir != -1)
        dir = 1;
    phase = std::clamp(phase + dir, 0, 3);
    if (phase == 3)
        dir = -1;
    else if (phase == 0)
        dir = 1;
}

QList<BltPiece> ninePartPieces(const QRect &src, int dstW, int dstH, int stretchBorder)
{
    QList<BltPiece> pieces;
    if (src.width() <= 0 || src.height() <= 0 || dstW <= 0 || dstH <= 0)
        return pieces;
    // A border wider than half of either rectangle would leave a negative centre.
    const int room = std::min({src.width(), src.height(), dstW, dstH});
    const int k = std::min(stretchBorder, (room - 1) / 2);
    if (k <= 0) {
        pieces.append({src, QRect(0, 0, dstW, dstH)});
        return pieces;
    }
    const int sx = src.x(), sy = src.y(), sw = src.width(), sh = src.height();
    const int sIn = sw - 2 * k, sInH = sh - 2 * k;
    const int dIn = dstW - 2 * k, dInH = dstH - 2 * k;
    // Edges: stretched along their length only.
    pieces.append({QRect(sx, sy + k, k, sInH), QRect(0, k, k, dInH)});
    pieces.append({QRect(sx + sw - k, sy + k, k, sInH), QRect(dstW - k, k, k, dInH)});
    pieces.append({QRect(sx + k, sy, sIn, k), QRect(k, 0, dIn, k)});
    pieces.append({QRect(sx + k, sy + sh - k, sIn, k), QRect(k, dstH - k, dIn, k)});
    // Corners: copied 1:1.
    pieces.append({QRect(sx, sy, k, k), QRect(0, 0, k, k)});
    pieces.append({QRect(sx + sw - k, sy, k, k), QRect(dstW - k, 0, k, k)});
    pieces.append({QRect(sx, sy + sh - k, k, k), QRect(0, dstH - k, k, k)});
    pieces.append({QRect(sx + sw - k, sy + sh - k, k, k), QRect(dstW - k, dstH - k, k, k)});
    pieces.append({QRect(sx + k, sy + k, sIn, sInH), QRect(k, k, dIn, dInH)});
    return pieces;
}

int captionTarget(int capSize, int innerHeight)
{
    const int target = capSize != 0 ? capSize : int(0.9 * innerHeight);
    return std::max(target, 10);
}

int fitCaptionPointSize(int target, double twipsPerPixelY, const std::function<int(int)> &widthOf)
{
    int size = std::max(int(std::lround(target * twipsPerPixelY)) / 20, 8);
    int measured = size;
    int decreased = 0, increased = 0;
    // Sizes swing around a target that lies between two sizes; the turn counts end that. The
    // bound and the floor end a search whose measurement never turns (a face without the
    // character).
    for (int step = 0; step < 64; ++step) {
        measured = size;
        const int width = widthOf(size);
        if (width == target)
            break;
        if (width > target) {
            if (size <= 1)
                break;
            --size;
            ++decreased;
        } else {
            ++size;
            ++increased;
        }
        if (decreased >= 3 && increased >= 3)
            break;
    }
    // The font keeps the size it was last set to and measured at.
    return measured;
}

int captionAlignToQt(int capAlign)
{
    int flags = 0;
    if (capAlign & 0x1)
        flags |= Qt::AlignHCenter;
    else if (capAlign & 0x2)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Vertical placement only applies to a single line.
    if (capAlign & 0x20) {
        flags |= Qt::TextSingleLine;
        if (capAlign & 0x4)
            flags |= Qt::AlignVCenter;
        else if (capAlign & 0x8)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (capAlign & 0x10)
            flags |= Qt::TextWordWrap;
    }
    if (capAlign & 0x40)
        flags |= Qt::TextExpandTabs;
    if (capAlign & 0x100)
        flags |= Qt::TextDontClip;
    if (!(capAlign & 0x800))
        flags |= Qt::TextShowMnemonic;
    return flags;
}

bool isWideChar(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

QList<QRect> roundRectRows(int w, int h, int corner)
{
    QList<QRect> rows;
    if (w <= 0 || h <= 0)
        return rows;
    const double rx = std::min(corner, w) / 2.0;
    const double ry = std::min(corner, h) / 2.0;
    auto insetAt = [&](int y) {
        if (rx <= 0 || ry <= 0)
            return 0;
        const double yc = y + 0.5;
        double dy = 0;
        if (yc < ry)
            dy = ry - yc;
        else if (yc > h - ry)
            dy = yc - (h - ry);
        else
            return 0;
        const double t = 1.0 - (dy * dy) / (ry * ry);
        const double span = t > 0 ? rx * std::sqrt(t) : 0.0;
        // A pixel belongs to the shape when its centre lies inside the corner ellipse.
        return int(std::ceil(rx - span - 0.5));
    };
    for (int y = 0; y < h; ++y) {
        const int inset = insetAt(y);
        if (2 * inset >= w)
            continue;
        const QRect row(inset, y, w - 2 * inset, 1);
        if (!rows.isEmpty() && rows.last().left() == row.left() && rows.last().bottom() + 1 == y)
            rows.last().setBottom(y);
        else
            rows.append(row);
    }
    return rows;
}

namespace {
constexpr int HeaderSize = 32;
constexpr int RectSize = 16;

qint32 readInt(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<qint32>(data.constData() + at);
}

void appendInt(QByteArray &data, qint32 v)
{
    char bytes[4];
    qToLittleEndian<qint32>(v, bytes);
    data.append(bytes, 4);
}

void appendRect(QByteArray &data, const QRect &r)
{
    appendInt(data, r.left());
    appendInt(data, r.top());
    appendInt(data, r.left() + r.width());
    appendInt(data, r.top() + r.height());
}
} // namespace

RegionRects parseRegionData(const QByteArray &data)
{
    RegionRects result;
    if (data.size() < HeaderSize)
        return result;
    const qint32 headerSize = readInt(data, 0);
    const qint32 type = readInt(data, 4);
    const qint32 count = readInt(data, 8);
    // The count is checked against the bytes actually present, never trusted.
    if (headerSize != HeaderSize || type != 1 || count < 0 ||
        qint64(count) * RectSize > data.size() - HeaderSize)
        return result;
    result.rects.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        const qsizetype at = HeaderSize + qsizetype(i) * RectSize;
        const qint64 left = readInt(data, at), top = readInt(data, at + 4);
        const qint64 right = readInt(data, at + 8), bottom = readInt(data, at + 12);
        if (right <= left || bottom <= top || right - left > INT_MAX || bottom - top > INT_MAX)
            continue;
        result.rects.append(QRect(int(left), int(top), int(right - left), int(bottom - top)));
    }
    result.ok = true;
    return result;
}

QByteArray makeRegionData(const QList<QRect> &rects)
{
    QRect bounds;
    for (const QRect &r : rects)
        bounds = bounds.united(r);
    QByteArray data;
    data.reserve(HeaderSize + rects.size() * RectSize);
    appendInt(data, HeaderSize);
    appendInt(data, 1);
    appendInt(data, qint32(rects.size()));
    appendInt(data, qint32(rects.size() * RectSize));
    appendRect(data, bounds);
    for (const QRect &r : rects)
        appendRect(data, r);
    return data;
}
