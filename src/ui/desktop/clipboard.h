#pragma once
// The desktop clipboard for cell ranges: the same text as plain text and under the rich-text
// format, so spreadsheets and editors take it either way.

#include <QString>

class QMimeData;

inline constexpr char ClipboardRtfFormat[] = "text/rtf";

struct ClipboardTexts
{
    QString plain;
    QString rtf; // the rich-text entry read as text, not converted
};

// Replaces the clipboard's content with one entry holding text under both formats.
void SetClipboardText(const QString &text);
ClipboardTexts GetClipboardTexts();

// The same on mime data, for callers that own the data (drag and drop, tests).
QMimeData *MakeClipboardMimeData(const QString &text);
ClipboardTexts ClipboardTextsOf(const QMimeData *data);
