#include "ui/desktop/windowtools.h"

#include "core/text/textcompare.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/screenmetrics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QStringList documentFileFilters()
{
    return {QStringLiteral("csv(*.csv)"), QStringLiteral("*.csv;*.txt"),
            QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")};
}

QString showFileDialog(QWidget *owner, const QStringList &filter, const QString &initialFolder,
                       const QString &initialName, const QString &title, const QString &mode)
{
    FileDialogRequest request;
    request.save = !textEquals(mode, QStringLiteral("LOAD"));
    request.filters = filter;
    request.folder = initialFolder.isEmpty() ? QDir::currentPath() : initialFolder;
    request.fileName = initialName;
    if (!title.isEmpty())
        request.title = title;
    else
        request.title =
            request.save ? QStringLiteral("ファイルを保存する") : QStringLiteral("ファイルを開く");

    const QString chosen = runFileDialog(owner, request);
    if (chosen.isEmpty())
        return QString();
    const QString path = QFileInfo(chosen).absoluteFilePath();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return path;
}

Result<QString> privateInstanceFolder(const QString &parent)
{
    const QString folder =
        QDir(parent).filePath(QStringLiteral("kirrel-%1").arg(qulonglong(::getuid())));
    const QByteArray native = QFile::encodeName(folder);
    const auto fail = [&](const QString &reason) {
        return Result<QString>::failure(folder + QStringLiteral(": ") + reason);
    };
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // lstat: a link planted under the name is refused, not followed.
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(st.st_mode))
        return fail(QStringLiteral("not a folder"));
    if (st.st_uid != ::getuid())
        return fail(QStringLiteral("belongs to another user"));
    if ((st.st_mode & 077) != 0)
        return fail(QStringLiteral("other users can enter it (chmod 700 makes it usable)"));
    return Result<QString>::success(folder);
}

Result<QString> instanceLockPath()
{
    const QString name = QStringLiteral("kirrel.lock");
    // Asked only when set: unset, Qt would make a folder of its own and warn about it.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        // An empty folder would put the lock at "/".
        if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
            return Result<QString>::success(QDir(runtime).filePath(name));
    }
    Result<QString> folder = privateInstanceFolder(QDir::tempPath());
    if (folder.ok())
        folder.value = QDir(folder.value).filePath(name);
    return folder;
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
    const Result<QString> path = instanceLockPath();
    return path.ok() ? lockSingleInstance(path.value) : nullptr;
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
        const int points = int(std::lround(fontPixels * twipsPerPixelY())) / 20;
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

namespace {

QMargins frameOf(const QWidget *w)
{
    const QRect outer = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Runs fitIntoScreen at the window's first exposure, when its frame is known.
class FitWhenShown : public QObject
{
public:
    FitWhenShown(QWidget *window) : QObject(window->windowHandle()), m_window(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && m_window->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            fitIntoScreen(m_window);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_window;
};

} // namespace

void fitIntoScreen(QWidget *window, const QWidget *near)
{
    const QWidget *anchor = near && near->isVisible() ? near : window;
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const bool shown = window->isVisible();
    const QMargins frame = shown || anchor == window ? frameOf(window) : frameOf(anchor);

    const QSize inner = window->size().boundedTo(area.size().shrunkBy(frame));
    const QSize outer = inner.grownBy(frame);
    QPoint at = window->frameGeometry().topLeft();
    if (!shown && anchor != window)
        at = anchor->frameGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2);
    at.setX(std::clamp(at.x(), area.left(), area.right() + 1 - outer.width()));
    at.setY(std::clamp(at.y(), area.top(), area.bottom() + 1 - outer.height()));
    if (inner != window->size())
        window->resize(inner);
    // Unshown, a place of our own: else the window manager places it as it likes.
    if (!shown || at != window->frameGeometry().topLeft())
        window->move(at);
}

void fitIntoScreenWhenShown(QWidget *window)
{
    window->winId(); // the native window, to watch its exposure
    if (QWindow *native = window->windowHandle())
        native->installEventFilter(new FitWhenShown(window));
}
