#pragma once
// The sheet of the print preview at full size (one twip of paper to one twip of screen) on a
// dark panel with scroll bars: the sheet is dragged with the mouse or scrolled, and never
// leaves a gap at an edge it could cover. Positions are in twips.

#include "core/printlayout/printlayout.h"

#include <QImage>
#include <QWidget>
#include <optional>

class QScrollBar;
class SheetPanel;
class SheetPicture;

class SheetView : public QWidget
{
    Q_OBJECT
public:
    explicit SheetView(QWidget *parent = nullptr);

    // Places panel, bars and sheet for the widget's present size and the given sheet,
    // keeping the scrolled region where it can.
    void layOut(const PageGeometry &geometry);

    // The picture of the printable area; call showImage() after drawing into it.
    QImage &image();
    void showImage();

    QWidget *panel() const;
    QWidget *paper() const { return m_paper; }
    QWidget *picture() const;
    QScrollBar *scrollX() const { return m_scrollX; }
    QScrollBar *scrollY() const { return m_scrollY; }
    QPoint paperPos() const { return m_paperPos; }

private:
    friend class SheetPanel;
    void press(Qt::MouseButton button, QPoint twips);
    void move(Qt::MouseButtons buttons, QPoint twips);
    void dragTo(QPoint twips);
    void scrolledX(int value);
    void scrolledY(int value);
    void placePaper();
    int pixelsX(int twips) const;
    int pixelsY(int twips) const;

    SheetPanel *m_panel = nullptr;
    QWidget *m_paper = nullptr;
    SheetPicture *m_picture = nullptr;
    QScrollBar *m_scrollX = nullptr;
    QScrollBar *m_scrollY = nullptr;
    QWidget *m_corner = nullptr;
    double m_tppX = 15;
    double m_tppY = 15;

    PageGeometry m_geometry;
    QSize m_panelSize;  // twips
    QPoint m_paperPos;  // twips, inside the panel
    QSize m_keptMaxima; // the bars' previous maxima, to keep their relative positions
    // Set by a press: the paper position that puts the sheet where it was when the pointer
    // is at the panel's centre.
    std::optional<QPoint> m_dragAnchor;
};
