#pragma once
// Small services the windows share: paths, the program folder and the version text.

#include <QString>

inline constexpr int AppVersionMajor = 0;
inline constexpr int AppVersionMinor = 95;
inline constexpr int AppVersionRevision = 25;

// Fills template: every "フォルダ名" becomes the folder of path (with its trailing "/"), every
// "ファイル名" the base name without extension, every "拡張子" the extension with its ".".
// Selectors match as text; text filled in is never searched again. A name without "." has
// no extension; an empty path gives empty parts.
QString splitPath(const QString &path, const QString &templ);

// True when a file or a folder exists at path.
bool fileExists(const QString &path);

// The program's folder with a trailing "/"; when it cannot be written (a system-wide install),
// the per-user data folder (created), so settings and the template still persist.
QString appFolderPath();
// The same choice for a given program folder.
QString appFolderPath(const QString &programFolder);

// "0.95.0025": major, minor as two digits, revision as four.
QString versionText();
QString versionText(int major, int minor, int revision);
