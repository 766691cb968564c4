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
void SetClipboardText(const QString &text);
ClipboardTexts GetClipboardTexts();

// The same on mime data, for callers that own the data (drag and drop, tests).
QMimeData *MakeClipboardMimeData(const QString &text);
ClipboardTexts ClipboardTextsOf(const QMimeData *data);
