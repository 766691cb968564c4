#include "core/system/systemtools.h"

#include "core/text/textcompare.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <array>
#include <cstdlib>

#if !defined(KIRREL_VERSION_MAJOR) || !defined(KIRREL_VERSION_MINOR) ||                            \
    !defined(KIRREL_VERSION_PATCH)
#error "The build gives the version (project VERSION in CMakeLists.txt)"
#endif

namespace {

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// Writing a file is the only reliable test (read-only mounts, ACLs, running as root).
bool canWriteIn(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(withSlash(folder) + QStringLiteral(".kirrel-probe-XXXXXX"));
    return probe.open();
}

// Both resolved, so that a link to the build tree counts as the tree.
bool isInside(const QString &folder, const QString &tree)
{
    const QString f = QFileInfo(folder).canonicalFilePath();
    const QString t = QFileInfo(tree).canonicalFilePath();
    if (f.isEmpty() || t.isEmpty())
        return false;
    return f == t || f.startsWith(withSlash(t));
}

QString padded(int value, int width)
{
    const QString digits = QString::number(std::abs(qint64(value))).rightJustified(width, u'0');
    return value < 0 ? u'-' + digits : digits;
}

} // namespace

QString splitPath(const QString &path, const QString &templ)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString ext = dot < 0 ? QString() : name.mid(dot);
    const QString base = dot < 0 ? name : name.left(dot);

    const std::array<std::pair<QString, QString>, 3> parts = {{
        {QStringLiteral("フォルダ名"), folder},
        {QStringLiteral("ファイル名"), base},
        {QStringLiteral("拡張子"), ext},
    }};
    QString out;
    for (qsizetype i = 0; i < templ.size();) {
        bool replaced = false;
        for (const auto &[selector, value] : parts) {
            const qsizetype len = textMatchLength(templ, i, selector);
            if (len > 0) {
                out += value;
                i += len;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += templ[i++];
    }
    return out;
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString appFolderPath(const QString &programFolder, const QString &buildTree)
{
    if (isInside(programFolder, buildTree) && canWriteIn(programFolder))
        return withSlash(programFolder);
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!user.isEmpty() && QDir().mkpath(user))
        return withSlash(user);
    // Nothing better: reads still work, writes fail quietly.
    return programFolder.isEmpty() ? QString() : withSlash(programFolder);
}

QString appFolderPath()
{
#ifdef KIRREL_BUILD_TREE
    const QString buildTree = QStringLiteral(KIRREL_BUILD_TREE);
#else
    const QString buildTree;
#endif
    return appFolderPath(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QString(),
                         buildTree);
}

QString versionText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + padded(minor, 2) + u'.' + padded(revision, 4);
}

QString versionText()
{
    return versionText(KIRREL_VERSION_MAJOR, KIRREL_VERSION_MINOR, KIRREL_VERSION_PATCH);
}
