#include "ui/controls/skinimage.h"

#include <QCoreApplication>
#include <QPointer>

SkinImage *SkinImage::Get()
{
    static QPointer<SkinImage> instance;
    if (!instance) {
        instance = new SkinImage;
        // Top-level widgets must go before the application object does.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, instance.data(),
                         &QObject::deleteLater);
    }
    return instance.data();
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
    setObjectName(QStringLiteral("SkinImage"));
    setAttribute(Qt::WA_DontShowOnScreen);
}
