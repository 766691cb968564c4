#pragma once
// GUI-free arithmetic of the owner-drawn button: which skin frame shows which look, where a
// frame lies in the skin strip, the nine-part stretch, the hover animation, the caption font
// fitting and the shape data. Kept apart from the widget so it can be tested directly.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>

enum class ButtonLook { Up, Hover, Pressed, Disabled };

// The states the button passes through. Normal (after a click) and Enabled (after enabling)
// look like Up but are states of their own, as the button reports them.
enum class ButtonState { Up, Move, Down, Normal, Enabled, Disabled };

ButtonLook lookOfState(ButtonState state);

// Frame number per look for a frame-layout code; phase is the hover animation phase (0..3).
struct ButtonFrames
{
    int up = 0;
    int pressed = 0;
    int hover = 0;
    int disabled = 0;
    int forLook(ButtonLook look) const;
    bool operator==(const ButtonFrames &) const = default;
};
ButtonFrames frameTable(int frameLayout, int phase = 0);

// Step from one frame to the next in the skin strip for a frame-direction code.
QPoint frameStep(int frameDirection, int buttonWidth, int buttonHeight, int btnW, int btnH);
// Source rectangle of frame n.
QRect frameRect(int n, int left, int top, int width, int height, QPoint step);

// The hover animation runs 0,1,2,3,2,1,0,1,... : advances phase, reversing dir (+1/-1) at the ends.
void advancePhase(int &phase, int &dir);

// Whether a mouse-button code (1 left, 2 right, 4 middle) presses a button with this Response.
constexpr bool responds(int button, int response)
{
    return (button & response) != 0;
}

// One piece of a stretched copy: source rectangle -> destination rectangle.
struct BltPiece
{
    QRect src;
    QRect dst;
    bool operator==(const BltPiece &) const = default;
};
// Pieces that stretch src onto (0, 0, dstW, dstH) keeping a border of stretchBorder pixels
// unstretched (stretchBorder 0: one piece). Corners are copied 1:1, edges stretched along their
// length only.
QList<BltPiece> ninePartPieces(const QRect &src, int dstW, int dstH, int stretchBorder);

// Target width in pixels of the character "あ": CapSize, or 90 % of the inner height when 0;
// at least 10.
int captionTarget(int capSize, int innerHeight);
// Point size whose "あ" is widthOf(points) == target wide, searched from the size that the
// screen's vertical twips per pixel suggests; without an exact size, the size measured last
// after three turns each way. widthOf measures at a point size.
int fitCaptionPointSize(int target, double twipsPerPixelY, const std::function<int(int)> &widthOf);

// Text-drawing layout flags (1 centre, 2 right, 4 vertical centre, 8 bottom, 0x10 word break,
// 0x20 single line, 0x100 no clip, 0x800 no prefix) as Qt alignment and text flags.
int captionAlignToQt(int capAlign);

// Whether a character takes a full-width cell and stands upright in vertical writing.
bool isWideChar(char32_t c);

// Rows of a rounded rectangle (0, 0, w, h) whose corner ellipse is corner x corner pixels.
QList<QRect> roundRectRows(int w, int h, int corner);

// Region data: a 32-byte header (size 32, type 1, rectangle count, buffer size, bounds) then
// rectangles of four little-endian 32-bit integers (left, top, right, bottom; right and bottom
// exclusive). ok is false when the data is malformed; empty rectangles are dropped.
struct RegionRects
{
    bool ok = false;
    QList<QRect> rects;
};
RegionRects parseRegionData(const QByteArray &data);
QByteArray makeRegionData(const QList<QRect> &rects);
// Rectangle lists are united in chunks of this many.
constexpr int RegionChunk = 1024;
