#include "controls/frmpic.h"

#include <QCoreApplication>
#include <QPointer>

frmPic *frmPic::Get()
{
    static QPointer<frmPic> instance;
    if (!instance) {
        instance = new frmPic;
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

frmPic::frmPic()
{
    InitControlsResources();
    m_picBtn.load(QStringLiteral(":/controls/button_skin.png"));
    setObjectName(QStringLiteral("frmPic"));
    setAttribute(Qt::WA_DontShowOnScreen);
}
