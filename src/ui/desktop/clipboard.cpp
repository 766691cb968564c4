#include "ui/desktop/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QString RangeFormat = QString::fromLatin1(ClipboardRangeFormat);
// Programs here end lines with LF alone, the range text with CR LF. A text without a single
// CR LF is taken as such a program's lines; a text that has one keeps any LF as cell text.
QString RangeLineEnds(const QString &text)
{
    if (!text.contains(u'\n') || text.contains(QLatin1String("\r\n")))
        return text;
    QString out = text;
    out.replace(u'\n', QLatin1String("\r\n"));
    return out;
}

} // namespace

QMimeData *MakeClipboardMimeData(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    // Desktop programs ask for the charset by name as well.
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    data->setData(RangeFormat, text.toUtf8());
    return data;
}

ClipboardTexts ClipboardTextsOf(const QMimeData *data)
{
    ClipboardTexts t;
    if (!data)
        return t;
    t.plain = RangeLineEnds(data->text());
    // Rich text from other programs is markup, never cell text: only our own entry is read.
    if (data->hasFormat(RangeFormat))
        t.second = RangeLineEnds(QString::fromUtf8(data->data(RangeFormat)));
    return t;
}

void SetClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // The clipboard owns the data and drops what it held before.
    clipboard->setMimeData(MakeClipboardMimeData(text), QClipboard::Clipboard);
}

ClipboardTexts GetClipboardTexts()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return {};
    return ClipboardTextsOf(clipboard->mimeData(QClipboard::Clipboard));
}
