#pragma once
// Small services the windows share: paths, the program folder and the version text.

#include <QString>

// Fills template: every "フォルダ名" becomes the folder of path (with its trailing "/"), every
// "ファイル名" the base name without extension, every "拡張子" the extension with its ".".
// Selectors match as text; text filled in is never searched again. A name without "." has
// no extension; an empty path gives empty parts.
QString splitPath(const QString &path, const QString &templ);

// True when a file or a folder exists at path.
bool fileExists(const QString &path);

// Where the settings file and the template live, with a trailing "/": the program's folder while
// it runs from the build tree it was built in (and that folder can be written); otherwise, as
// for an installed program, the per-user data folder (created), never a folder of programs.
QString appFolderPath();
// The same choice for a given program folder and build tree.
QString appFolderPath(const QString &programFolder, const QString &buildTree);

// "0.95.0025": major, minor as two digits, revision as four; versionText() is the version the
// build gives (the project's VERSION in CMakeLists.txt).
QString versionText();
QString versionText(int major, int minor, int revision);
