#include "core/text/narrownumber.h"

namespace {

QChar narrowed(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u >= u'０' && u <= u'９')
        return QChar(u'0' + (u - u'０'));
    switch (u) {
    case u'．':
    case u'。':
    case u'｡':
        return QChar(u'.');
    case u'＋':
        return QChar(u'+');
    case u'－':
    case u'−':
    case u'ー':
    case u'ｰ':
        return QChar(u'-');
    case u'　':
        return QChar(u' ');
    default:
        return ch;
    }
}

} // namespace

QString narrowNumberText(const QString &text)
{
    QString out = text;
    for (QChar &ch : out)
        ch = narrowed(ch);
    return out;
}
