#pragma once
// The skin picture shared by every SkinButton: 192 x 50 pixels, three 64 x 50 frames side by
// side (up, hover, pressed/disabled).

#include <QPixmap>

// Registers the images of this folder (the skin and the button pointer) once.
void initControlsResources();

class SkinImage
{
public:
    // Loaded on first use; released when the application quits.
    static SkinImage *get();

    const QPixmap &buttonSkin() const { return m_buttonSkin; }

private:
    SkinImage();
    QPixmap m_buttonSkin;
};
