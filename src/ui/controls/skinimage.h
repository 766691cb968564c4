#pragma once
// The hidden window that holds the skin picture shared by every SkinButton: 192 x 50 pixels,
// three 64 x 50 frames side by side (up, hover, pressed/disabled).

#include <QPixmap>
#include <QWidget>

// Registers the images of this folder (the skin and the button pointer) once.
void InitControlsResources();

class SkinImage : public QWidget
{
    Q_OBJECT
public:
    // Created on first use, never shown.
    static SkinImage *Get();

    const QPixmap &PicBtn() const { return m_picBtn; }

private:
    SkinImage();
    QPixmap m_picBtn;
};
