#pragma once
// Message boxes and file dialogs behind small functions, so that the windows never build a
// QMessageBox or QFileDialog themselves and tests can answer them through the hooks.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

enum class MsgIcon { Information, Warning, Question };
// SaveDiscardCancel: 保存(&S) / 保存しない(&N) / キャンセル.
enum class MsgButtons { Ok, YesNo, SaveDiscardCancel };
enum class MsgAnswer { Ok, Yes, No, Save, Discard, Cancel };

struct MessageBoxRequest
{
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::Ok;
    // For owners that stay on top themselves, so that the box is not hidden behind them.
    bool stayOnTop = false;
};

// Modal to owner. Closing the box without a choice answers No, or Cancel (as does Escape).
MsgAnswer showMessageBox(QWidget *owner, const MessageBoxRequest &request);

struct FileDialogRequest
{
    bool save = false;
    // Pairs: description, then patterns separated by ";" ("csv(*.csv)", "*.csv;*.txt").
    QStringList filters;
    QString folder;
    QString fileName;
    QString title;
};

// Shows the open or save dialog modal to owner and returns the chosen path, "" when cancelled.
// The open dialog accepts only an existing file; the save dialog asks before overwriting.
QString runFileDialog(QWidget *owner, const FileDialogRequest &request);

// Asks where to save (in the current folder; suffix added to a name without it), then writes
// with write, which returns why it failed or "": a failure is shown in a warning box.
void saveThroughDialog(QWidget *owner, FileDialogRequest request, const QString &suffix,
                       const std::function<QString(const QString &path)> &write);

// Tests set these to answer instead of showing anything; null means the real dialogs.
struct DialogHooks
{
    static std::function<MsgAnswer(const MessageBoxRequest &)> messageBox;
    static std::function<QString(const FileDialogRequest &)> fileDialog;
};
