// The start routine: one instance only (a later start hands its files over), the program
// folder, the main window.
#include "cli/helptext.h"
#include "core/system/systemtools.h"
#include "ui/desktop/fonts.h"
#include "ui/desktop/inputmethodguard.h"
#include "ui/desktop/programicon.h"
#include "ui/desktop/singleinstance.h"
#include "ui/desktop/windowtools.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QTranslator>
#include <cstdio>
#include <string_view>

namespace {

// Long enough for a first instance that is still starting to begin listening.
constexpr int HandOverPatienceMs = 5000;

// Absolute paths: a running instance that gets them has another current folder.
QStringList documentArguments(const QApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kirrel, a racing odds worksheet"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("documents to open"),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);
    QStringList files;
    for (const QString &arg : parser.positionalArguments())
        files << QFileInfo(arg).absoluteFilePath();
    return files;
}

int runProgram(int &argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(versionText());
    QGuiApplication::setDesktopFileName(QStringLiteral("kirrel"));
    const QStringList files = documentArguments(app);

    // Taken before any window exists; held until the program ends.
    const Result<QString> lockPath = instanceLockPath();
    InstanceClaim claim;
    if (!lockPath.ok()) {
        std::fprintf(stderr, "kirrel: %s; this start runs without the one-instance check\n",
                     qUtf8Printable(lockPath.error));
    } else {
        claim = claimInstance(lockPath.value, files, HandOverPatienceMs);
        if (!claim.lock) {
            if (claim.handedOver)
                return 0;
            std::fprintf(stderr, "kirrel: %s\n", qUtf8Printable(claim.error));
            return 1;
        }
    }

    applyProgramIcon();
    registerJapaneseFontSubstitutes();
    InputMethodGuard::install();
    // Qt's own dialog texts (buttons, the overwrite question) in Japanese where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    MainWindow mainWindow(appFolderPath());
    mainWindow.startUp();
    if (!files.isEmpty())
        mainWindow.openFiles(files);

    InstanceListener listener;
    QObject::connect(&listener, &InstanceListener::filesReceived, &mainWindow,
                     &MainWindow::openFiles);
    if (lockPath.ok() && !listener.listen(instanceSocketPath(lockPath.value)))
        std::fprintf(stderr, "kirrel: later starts cannot hand over files: %s\n",
                     qUtf8Printable(listener.errorString()));
    return app.exec();
}

// --help and --version answer before anything needs a display: "kirrel --version" works over
// ssh, in a package's checks and on a console. Nothing after "--" is an option.
int answerWithoutDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            return -1;
        QByteArray text;
        if (arg == "--help" || arg == "-h" || arg == "--help-all")
            text = programUsage().toUtf8();
        else if (arg == "--version" || arg == "-v")
            text = QStringLiteral("kirrel %1\n").arg(versionText()).toUtf8();
        else
            continue;
        const bool written =
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) &&
            std::fflush(stdout) == 0;
        if (!written)
            std::perror("kirrel: standard output");
        return written ? 0 : 1;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const int answered = answerWithoutDisplay(argc, argv);
    if (answered >= 0)
        return answered;
    return runProgram(argc, argv);
}
