#pragma once
// The window routines of the shared tools: file dialogs, the single-instance rule, control
// placement and window centring.

#include "core/racemodel/result.h"

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;
class QWidget;

// The filter list the program passes: "csv(*.csv)" / "*.csv;*.txt", "全てのﾌｧｲﾙ(*.*)" / "*.*".
QStringList documentFileFilters();

// mode "LOAD" (as text) opens, anything else saves. An empty title becomes "ファイルを開く" or
// "ファイルを保存する"; an empty folder the current one. The first filter is selected. The chosen
// file's folder becomes the current folder, so the next dialog started there opens where this one
// ended. "" when cancelled.
QString showFileDialog(QWidget *owner, const QStringList &filter, const QString &initialFolder,
                       const QString &initialName, const QString &title, const QString &mode);

// Where the single-instance lock (and its socket) lives: the user's runtime folder
// ($XDG_RUNTIME_DIR), or without one the folder privateInstanceFolder gives under the temporary
// folder. A failure, telling the folder and the reason, when that folder cannot be used safely.
Result<QString> instanceLockPath();

// parent/kirrel-<user id>, created owner-only (0700) when missing and used only while it is a
// folder (not a link) of this user that no one else can enter; else a failure telling the
// folder and the reason.
Result<QString> privateInstanceFolder(const QString &parent);

// Takes the single-instance lock. Null when another instance holds it: the caller ends at once.
// The lock is held as long as the returned object lives.
std::unique_ptr<QLockFile> lockSingleInstance();
std::unique_ptr<QLockFile> lockSingleInstance(const QString &lockPath);

// Places control in its container's units; -1 leaves a value unchanged. fontPixels (-1: keep)
// sets the font to (fontPixels * vertical twips per pixel, rounded) / 20 points.
void moveControl(QWidget *control, int left, int top, int width, int height, int fontPixels = -1);

// Centres window on the desktop (pixels, outer size). clientSize: width and height are the
// inner size; the frame is added, and the new width is handed back. left or top other than -1
// is used as given.
void centerWindow(QWidget *window, int &width, int height, bool clientSize, int left = -1,
                  int top = -1);

// Keeps a top-level window, frame included, inside the available area of its screen (the
// desktop less its panels): shrinks it where it is larger, then moves it in. A window not shown
// yet is centred over near, if given, and counted with near's frame, as the window manager will
// frame it alike; once shown, the window's own frame counts.
void fitIntoScreen(QWidget *window, const QWidget *near = nullptr);

// fitIntoScreen once more as soon as the window is on the screen with its real frame.
void fitIntoScreenWhenShown(QWidget *window);
