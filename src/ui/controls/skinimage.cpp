#include "ui/controls/skinimage.h"

#include <QCoreApplication>

SkinImage *SkinImage::get()
{
    static SkinImage *instance = nullptr;
    if (!instance) {
        instance = new SkinImage;
        // A pixmap must go before the application object does.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] {
            delete instance;
            instance = nullptr;
        });
    }
    return instance;
}

void initControlsResources()
{
    // The resource lives in a static library: referencing it keeps the linker from dropping it.
    static const bool done = [] {
        Q_INIT_RESOURCE(controls);
        return true;
    }();
    Q_UNUSED(done);
}

SkinImage::SkinImage()
{
    initControlsResources();
    m_buttonSkin.load(QStringLiteral(":/controls/button_skin.png"));
}
