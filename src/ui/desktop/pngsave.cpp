#include "ui/desktop/pngsave.h"

#include "ui/desktop/dialogs.h"

#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

QString saveWidgetPng(QWidget *widget, const QString &path)
{
    const QPixmap picture = widget->grab();
    QSaveFile file(path);
    if (picture.isNull() || !file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") ||
        !file.flush() || !file.commit())
        return QStringLiteral("%1 に保存できませんでした。%2").arg(path, file.errorString());
    return {};
}

void saveWidgetPngAs(QWidget *widget, const QString &fileName, const QString &title)
{
    FileDialogRequest request;
    request.filters = {QStringLiteral("PNG画像"), QStringLiteral("*.png")};
    request.fileName = fileName;
    request.title = title;
    saveThroughDialog(widget, request, QStringLiteral(".png"),
                      [widget](const QString &path) { return saveWidgetPng(widget, path); });
}
