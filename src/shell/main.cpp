// The start routine: one instance only, the program folder, the main window.
#include "platform/fonts.h"
#include "shell/frmmain.h"
#include "shell/modtools.h"
#include "shell/modtools_ui.h"

#include <QApplication>
#include <QLockFile>

namespace {

int Main(int &argc, char **argv)
{
    QApplication app(argc, argv);
    // Taken before any window exists; held until the program ends.
    const std::unique_ptr<QLockFile> instanceLock = CheckPrevInstance();
    if (!instanceLock)
        return 0;

    RegisterJapaneseFontSubstitutes();
    const QString AppFolder = GetAppFolder();

    frmMain mainWindow(AppFolder);
    mainWindow.StartUp();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    return Main(argc, argv);
}
