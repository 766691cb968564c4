#include "core/system/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return qt_error_string(error);
}

FileResult failed(const QString &format, int error)
{
    return {false, format.arg(systemReason(error))};
}

// Closes a descriptor and, unless released, removes the temporary file it was opened for.
class TemporaryFile
{
public:
    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
    int fd = -1;
    QByteArray name;
};

bool openTemporary(const QString &folder, const QString &base, mode_t mode, TemporaryFile *temp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/.%2.%3.tmp")
                .arg(folder, base)
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray encoded = QFile::encodeName(name);
        const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            temp->fd = fd;
            temp->name = encoded;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Makes the rename itself durable; the new file is complete either way, so failures are ignored.
void syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace {

struct Descriptor
{
    int fd = -1;
    bool owned = true;
    ~Descriptor()
    {
        if (owned && fd >= 0)
            ::close(fd);
    }
};

ReadStatus readStatusOf(const struct stat &st, bool pipesToo)
{
    if (S_ISREG(st.st_mode))
        return ReadStatus::Read;
    if (S_ISDIR(st.st_mode))
        return ReadStatus::Folder;
    if (!pipesToo)
        return ReadStatus::NotRegular;
    return S_ISFIFO(st.st_mode) ? ReadStatus::Read : ReadStatus::NotFileOrPipe;
}

// Reads to the end. The size is a hint: a file that grows while it is read, or a pipe, is still
// cut off at the limit.
InputRead readToEnd(int fd, qint64 size, qint64 maxBytes, QByteArray *bytes)
{
    if (size > maxBytes)
        return {ReadStatus::TooLarge, 0};
    QByteArray data(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled > maxBytes)
                return {ReadStatus::TooLarge, 0};
            data.resize(std::min<qsizetype>(qsizetype(maxBytes) + 1, filled * 2 + 4096));
        }
        // A pipe is opened non-blocking: wait for data, or for its last writer to leave. A FIFO
        // that no writer has opened yet is not readable, so this waits for one too.
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return {ReadStatus::Failed, errno};
        }
        const ssize_t n = ::read(fd, data.data() + filled, size_t(data.size() - filled));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return {ReadStatus::Failed, errno};
        }
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > maxBytes)
        return {ReadStatus::TooLarge, 0};
    data.resize(filled);
    *bytes = std::move(data);
    return {};
}

InputRead readPath(const QString &path, bool pipesToo, qint64 maxBytes, QByteArray *bytes)
{
    bytes->clear();
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO with no writer returns at once, to be refused or
    // waited on while it is read.
    Descriptor d{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    struct stat st;
    if (d.fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || path.isEmpty())
            return {ReadStatus::Missing, error};
        // A socket cannot be opened at all.
        if (::stat(name.constData(), &st) == 0 && readStatusOf(st, pipesToo) != ReadStatus::Read)
            return {readStatusOf(st, pipesToo), 0};
        return {ReadStatus::Failed, error};
    }
    if (::fstat(d.fd, &st) != 0)
        return {ReadStatus::Failed, errno};
    if (const ReadStatus kind = readStatusOf(st, pipesToo); kind != ReadStatus::Read)
        return {kind, 0};
    return readToEnd(d.fd, S_ISREG(st.st_mode) ? st.st_size : 0, maxBytes, bytes);
}

} // namespace

FileResult explainRead(const InputRead &read, const QString &tooLarge)
{
    switch (read.status) {
    case ReadStatus::Read:
        return {};
    case ReadStatus::Missing:
        return {false, QStringLiteral("ファイルがありません。")};
    case ReadStatus::Folder:
        return {false, QStringLiteral("ファイルではなくフォルダーです。")};
    case ReadStatus::NotRegular:
        return {false,
                QStringLiteral("通常のファイルではありません (パイプ、デバイスまたはソケット)。")};
    case ReadStatus::NotFileOrPipe:
        return {false, QStringLiteral(
                           "通常のファイルでもパイプでもありません (デバイスまたはソケット)。")};
    case ReadStatus::TooLarge:
        return {false, tooLarge};
    case ReadStatus::Failed:
        break;
    }
    return failed(QStringLiteral("ファイルを読めません (%1)。"), read.error);
}

FileResult readRegularFile(const QString &path, qint64 maxBytes, QByteArray *bytes,
                           const QString &tooLarge)
{
    return explainRead(readPath(path, false, maxBytes, bytes), tooLarge);
}

InputRead readRegular(const QString &path, qint64 maxBytes, QByteArray *bytes)
{
    return readPath(path, false, maxBytes, bytes);
}

InputRead readInput(const QString &path, qint64 maxBytes, QByteArray *bytes)
{
    if (path != QLatin1String("-"))
        return readPath(path, true, maxBytes, bytes);
    bytes->clear();
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) != 0)
        return {ReadStatus::Failed, errno};
    if (const ReadStatus kind = readStatusOf(st, true); kind != ReadStatus::Read)
        return {kind, 0};
    return readToEnd(STDIN_FILENO, S_ISREG(st.st_mode) ? st.st_size : 0, maxBytes, bytes);
}

FileResult writeAll(QIODevice &device, const QByteArray &bytes)
{
    // A short write is retried, so a full device reports its own error.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return {false,
                    QStringLiteral("書き込みに失敗しました (%1)。").arg(device.errorString())};
        done += n;
    }
    // A buffered file reports the failure of its last bytes only when they are flushed.
    if (auto *file = qobject_cast<QFileDevice *>(&device); file && !file->flush())
        return {false, QStringLiteral("書き込みに失敗しました (%1)。").arg(file->errorString())};
    return {};
}

QString pathProblem(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("保存先のファイル名がありません。");
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("同じ名前のフォルダーがあります。");
    // The nearest existing ancestor tells a missing folder from a file in its place.
    QString folder = info.absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            break;
        folder = up;
    }
    if (folder != info.absolutePath()) {
        if (QFileInfo(folder).isFile())
            return QStringLiteral("「%1」はフォルダーではなくファイルです。")
                .arg(QDir::toNativeSeparators(folder));
        return QStringLiteral("保存先のフォルダー「%1」がありません。")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    }
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("「%1」はフォルダーではなくファイルです。")
            .arg(QDir::toNativeSeparators(folder));
    if (info.exists() && !info.isFile()) {
        // Renaming over a device or a pipe would replace it with a plain file.
        return QStringLiteral("通常のファイルではありません。");
    }
    if (info.exists()) {
        // A read-only file is not replaced, even by a user whom the system would allow to.
        // WriteUser is left out: for the superuser it is always set.
        const auto writeBits =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & writeBits))
            return QStringLiteral("ファイルが読み取り専用です。");
    }
    return QString();
}

FileResult replaceFile(const QString &path, const DeviceWriter &write)
{
    const QString problem = pathProblem(path);
    if (!problem.isEmpty())
        return {false, problem};
    // Saving through a link keeps the link and replaces what it points to.
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray encodedTarget = QFile::encodeName(target);

    struct stat old;
    const bool hadOld = ::stat(encodedTarget.constData(), &old) == 0;
    TemporaryFile temp;
    if (!openTemporary(folder, QFileInfo(target).fileName(), hadOld ? 0600 : 0666, &temp))
        return failed(QStringLiteral("一時ファイルを作成できません (%1)。"), errno);
    if (hadOld) {
        // Owner first: changing it may clear the set-id bits that the mode then restores.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(temp.fd, old.st_uid, old.st_gid);
        if (::fchmod(temp.fd, old.st_mode & 07777) != 0)
            return failed(QStringLiteral("ファイルの権限を保てません (%1)。"), errno);
    }

    {
        // Unbuffered: every write reaches the file system at once and reports its own failure.
        QFile device;
        if (!device.open(temp.fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                         QFileDevice::DontCloseHandle))
            return {
                false,
                QStringLiteral("一時ファイルを作成できません (%1)。").arg(device.errorString())};
        const FileResult written = write(device);
        if (!written.ok)
            return written;
        if (!device.flush())
            return {false,
                    QStringLiteral("書き込みに失敗しました (%1)。").arg(device.errorString())};
    }
    if (::fsync(temp.fd) != 0)
        return failed(QStringLiteral("書き込みに失敗しました (%1)。"), errno);
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        return failed(QStringLiteral("書き込みに失敗しました (%1)。"), errno);
    if (::rename(temp.name.constData(), encodedTarget.constData()) != 0)
        return failed(QStringLiteral("ファイルを置き換えられません (%1)。"), errno);
    temp.name.clear();
    syncFolder(folder);
    return {};
}

FileResult replaceFile(const QString &path, const QByteArray &bytes)
{
    return replaceFile(path, [&bytes](QIODevice &device) { return writeAll(device, bytes); });
}
