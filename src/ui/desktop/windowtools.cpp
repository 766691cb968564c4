#include "ui/desktop/windowtools.h"

#include "core/text/text.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/screenmetrics.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <cmath>
#include <unistd.h>

QStringList DocumentFileFilters()
{
    return {QStringLiteral("csv(*.csv)"), QStringLiteral("*.csv;*.txt"),
            QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")};
}

QString showFileDialog(QWidget *owner, const QStringList &filter, const QString &initialFolder,
                       const QString &initialName, const QString &title, const QString &mode)
{
    FileDialogRequest request;
    request.save = !TextEquals(mode, QStringLiteral("LOAD"));
    request.filters = filter;
    request.folder = initialFolder.isEmpty() ? QDir::currentPath() : initialFolder;
    request.fileName = initialName;
    if (!title.isEmpty())
        request.title = title;
    else
        request.title =
            request.save ? QStringLiteral("ファイルを保存する") : QStringLiteral("ファイルを開く");

    const QString chosen = RunFileDialog(owner, request);
    if (chosen.isEmpty())
        return QString();
    const QString path = QFileInfo(chosen).absoluteFilePath();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return path;
}

QString InstanceLockPath()
{
    const QString name = QStringLiteral("kirrel.lock");
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // An empty folder would put the lock at "/".
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(name);
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("kirrel-%1.lock").arg(qulonglong(::getuid())));
}

std::unique_ptr<QLockFile> lockSingleInstance(const QString &lockPath)
{
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Only a dead holder makes the lock stale, never its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

std::unique_ptr<QLockFile> lockSingleInstance()
{
    return lockSingleInstance(InstanceLockPath());
}

void moveControl(QWidget *control, int left, int top, int width, int height, int fontPixels)
{
    if (!control)
        return;
    if (left != -1 && top != -1 && width != -1 && height != -1) {
        control->setGeometry(left, top, width, height);
    } else {
        const QRect r = control->geometry();
        control->move(left != -1 ? left : r.x(), top != -1 ? top : r.y());
        control->resize(width != -1 ? width : r.width(), height != -1 ? height : r.height());
    }
    if (fontPixels != -1) {
        const int points = int(std::lround(fontPixels * TwipsPerPixelY())) / 20;
        if (points > 0) {
            QFont font = control->font();
            font.setPointSize(points);
            control->setFont(font);
        }
    }
}

void centerWindow(QWidget *window, int &width, int height, bool clientSize, int left, int top)
{
    if (!window)
        return;
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int frameW = window->frameGeometry().width() - window->width();
    const int frameH = window->frameGeometry().height() - window->height();
    if (clientSize) {
        width += frameW;
        height += frameH;
    }
    const int x = desktop.width() / 2 - width / 2;
    const int y = desktop.height() / 2 - height / 2;
    window->move(left == -1 ? x : left, top == -1 ? y : top);
    window->resize(std::max(0, width - frameW), std::max(0, height - frameH));
    window->update();
}
