#pragma once
// Reading and replacing files without surprises. A read takes regular files only (a FIFO or a
// device would block or never end) and never more than a limit. A file is replaced only once its
// new contents are on the disk: written through a temporary file in the same folder, every write
// checked, synced, then renamed over the old one. On any failure the old file stays byte for byte.

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

struct FileResult
{
    bool ok = true;
    // User-readable cause when not ok, without the path (the caller names the file).
    QString message;

    explicit operator bool() const { return ok; }
};

// Reads a whole regular file of at most maxBytes. Missing files, folders, special files (FIFO,
// device, socket) and larger files are refused; tooLarge is the message for the last case.
FileResult readRegularFile(const QString &path, qint64 maxBytes, QByteArray *bytes,
                           const QString &tooLarge);

// How a read ended. NotRegular: a pipe, device or socket where only regular files are taken;
// NotFileOrPipe: a device or socket where pipes are taken too. error: errno of the failures.
enum class ReadStatus { Read, Missing, Folder, NotRegular, NotFileOrPipe, TooLarge, Failed };
struct InputRead
{
    ReadStatus status = ReadStatus::Read;
    int error = 0;

    bool ok() const { return status == ReadStatus::Read; }
};

// A command-line input: "-" is standard input; any other path a regular file or a pipe (a FIFO,
// /dev/stdin, a shell's <(...)), read to its end but never past maxBytes. A FIFO with no writer
// yet is waited for, as any reader of it would. Folders, devices and sockets are refused.
InputRead readInput(const QString &path, qint64 maxBytes, QByteArray *bytes);

// A regular file of at most maxBytes, opened without blocking and then examined by its
// descriptor: a name swapped for a FIFO in between is refused, never waited on.
InputRead readRegular(const QString &path, qint64 maxBytes, QByteArray *bytes);

// The reason the windows show for a failed read (tooLarge for TooLarge); ok for Read.
FileResult explainRead(const InputRead &read, const QString &tooLarge);

// Writes every byte to device; not ok, with the device's reason, when it takes fewer.
FileResult writeAll(QIODevice &device, const QByteArray &bytes);

// Why no file can be written at path, found before anything is touched; "" when none.
QString pathProblem(const QString &path);

// Replaces the file at path (through a symbolic link: its target) with what write puts into the
// device it is given. Keeps the old file's permission bits (and owner, where allowed); a new file
// gets 0666 less the umask. Not ok, with the reason, when anything fails; the old file then stays
// as it was and no temporary file is left behind.
using DeviceWriter = std::function<FileResult(QIODevice &)>;
FileResult replaceFile(const QString &path, const DeviceWriter &write);
FileResult replaceFile(const QString &path, const QByteArray &bytes);
