#include "ui/desktop/pngsave.h"

#include "ui/desktop/dialogs.h"

#include <QDir>
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
    request.save = true;
    request.filters = {QStringLiteral("PNG画像"), QStringLiteral("*.png")};
    request.folder = QDir::currentPath() + u'/';
    request.fileName = fileName;
    request.title = title;
    QString path = runFileDialog(widget, request);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    const QString error = saveWidgetPng(widget, path);
    if (error.isEmpty())
        return;
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = error;
    box.icon = MsgIcon::Warning;
    showMessageBox(widget, box);
}
