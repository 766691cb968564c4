#include "ui/desktop/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QString RangeFormat = QString::fromLatin1(ClipboardRangeFormat);
// Programs here end lines with LF alone, the range text with CR LF. A text without a single
// CR LF is taken as such a program's lines; a text that has one keeps any LF as cell text.
QString rangeLineEnds(const QString &text)
{
    if (!text.contains(u'\n') || text.contains(QLatin1String("\r\n")))
        return text;
    QString out = text;
    out.replace(u'\n', QLatin1String("\r\n"));
    return out;
}

} // namespace

QMimeData *makeClipboardMimeData(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    // Desktop programs ask for the charset by name as well.
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    data->setData(RangeFormat, text.toUtf8());
    return data;
}

ClipboardTexts clipboardTextsOf(const QMimeData *data)
{
    ClipboardTexts t;
    if (!data)
        return t;
    t.plain = rangeLineEnds(data->text());
    // Rich text from other programs is markup, never cell text: only our own entry is read.
    if (data->hasFormat(RangeFormat))
        t.second = rangeLineEnds(QString::fromUtf8(data->data(RangeFormat)));
    return t;
}

void setClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // The clipboard owns the data and drops what it held before.
    clipboard->setMimeData(makeClipboardMimeData(text), QClipboard::Clipboard);
}

ClipboardTexts getClipboardTexts()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return {};
    return clipboardTextsOf(clipboard->mimeData(QClipboard::Clipboard));
}
