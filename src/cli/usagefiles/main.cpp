// Writes a manual page or the shell completion from its template and the usage entries the
// programs print with --help.
//   kirrel-usage-files kirrel|kirrel-cli|completion TEMPLATE OUTPUT VERSION DATE
#include "cli/helptext.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 6) {
        std::fputs(
            "usage: kirrel-usage-files kirrel|kirrel-cli|completion TEMPLATE OUTPUT VERSION DATE\n",
            stderr);
        return 2;
    }
    const QByteArray program = argv[1];
    QFile in(QString::fromLocal8Bit(argv[2]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kirrel-usage-files: %s: %s\n", argv[2], qPrintable(in.errorString()));
        return 1;
    }
    const QString templ = QString::fromUtf8(in.readAll());
    const QString version = QString::fromLocal8Bit(argv[4]);
    const QString date = QString::fromLocal8Bit(argv[5]);
    const QString page = program == "kirrel-cli"   ? cliManPage(templ, version, date)
                         : program == "completion" ? cliCompletion(templ)
                                                   : programManPage(templ, version, date);
    QSaveFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly) || out.write(page.toUtf8()) < 0 || !out.flush() ||
        !out.commit()) {
        std::fprintf(stderr, "kirrel-usage-files: %s: %s\n", argv[3],
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
