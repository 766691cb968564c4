#include "ui/controls/skinimage.h"

#include <QCoreApplication>

SkinImage *SkinImage::Get()
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

void InitControlsResources()
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
    InitControlsResources();
    m_picBtn.load(QStringLiteral(":/controls/button_skin.png"));
}
