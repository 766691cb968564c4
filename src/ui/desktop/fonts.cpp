#include "ui/desktop/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace {

struct Face
{
    const char16_t *designed;
    QStringList preferred;
};

QStringList gothicFaces()
{
    return {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
            QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")};
}

} // namespace

QHash<QString, QString> registerJapaneseFontSubstitutes()
{
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    const QStringList pGothic = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")};
    const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"),
                                QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPMincho")};
    const Face faces[] = {
        {u"ＭＳ ゴシック", gothicFaces()},
        {u"ＭＳ Ｐゴシック", pGothic},
        {u"ＭＳ 明朝", mincho},
        {u"MS UI Gothic", pGothic},
    };

    QHash<QString, QString> registered;
    for (const Face &face : faces) {
        QString chosen;
        for (const QString &family : face.preferred) {
            if (japanese.contains(family, Qt::CaseInsensitive)) {
                chosen = family;
                break;
            }
        }
        // Any Japanese face beats a Latin fallback.
        if (chosen.isEmpty() && !japanese.isEmpty())
            chosen = japanese.first();
        if (chosen.isEmpty())
            continue;
        const QString designed = QString::fromUtf16(face.designed);
        QFont::insertSubstitution(designed, chosen);
        registered.insert(designed, chosen);
    }
    return registered;
}

QString defaultFontFamily()
{
    static const QString family = [] {
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        for (const QString &preferred : gothicFaces())
            if (japanese.contains(preferred, Qt::CaseInsensitive))
                return preferred;
        return japanese.isEmpty() ? QGuiApplication::font().family() : japanese.first();
    }();
    return family;
}
