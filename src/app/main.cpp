// The start routine: one instance only, the program folder, the main window.
#include "core/system/systemtools.h"
#include "ui/desktop/fonts.h"
#include "ui/desktop/windowtools.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QTranslator>

namespace {

int Main(int &argc, char **argv)
{
    QApplication app(argc, argv);
    // Taken before any window exists; held until the program ends.
    const std::unique_ptr<QLockFile> instanceLock = lockSingleInstance();
    if (!instanceLock)
        return 0;

    RegisterJapaneseFontSubstitutes();
    // Qt's own dialog texts (buttons, the overwrite question) in Japanese where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    const QString AppFolder = appFolderPath();

    MainWindow mainWindow(AppFolder);
    mainWindow.StartUp();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    return Main(argc, argv);
}
