#pragma once
// The desktop clipboard for cell ranges: the text as plain text, which spreadsheets and editors
// take, and the very same characters once more under the program's own type.

#include <QString>

class QMimeData;

inline constexpr char ClipboardRangeFormat[] = "application/x-kirrel-range";

struct ClipboardTexts
{
    QString plain;
    QString second; // the program's own entry, read when the plain text is empty
};

// Replaces the clipboard's content with one entry holding text under both types.
void setClipboardText(const QString &text);
ClipboardTexts getClipboardTexts();

// The same on mime data, for callers that own the data (drag and drop, tests).
QMimeData *makeClipboardMimeData(const QString &text);
ClipboardTexts clipboardTextsOf(const QMimeData *data);
