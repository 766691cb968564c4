#include "ui/desktop/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

std::function<MsgAnswer(const MessageBoxRequest &)> DialogHooks::messageBox;
std::function<QString(const FileDialogRequest &)> DialogHooks::fileDialog;

MsgAnswer showMessageBox(QWidget *owner, const MessageBoxRequest &request)
{
    if (DialogHooks::messageBox)
        return DialogHooks::messageBox(request);

    const QMessageBox::Icon icon = request.icon == MsgIcon::Warning    ? QMessageBox::Warning
                                   : request.icon == MsgIcon::Question ? QMessageBox::Question
                                                                       : QMessageBox::Information;
    if (request.buttons == MsgButtons::SaveDiscardCancel) {
        QMessageBox box(icon, request.title, request.text, QMessageBox::NoButton, owner);
        QPushButton *save = box.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
        QPushButton *discard =
            box.addButton(QStringLiteral("保存しない(&N)"), QMessageBox::DestructiveRole);
        QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save)
            return MsgAnswer::Save;
        return box.clickedButton() == discard ? MsgAnswer::Discard : MsgAnswer::Cancel;
    }
    const bool yesNo = request.buttons == MsgButtons::YesNo;
    QMessageBox box(icon, request.title, request.text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    if (request.stayOnTop) {
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int result = box.exec();
    if (!yesNo)
        return MsgAnswer::Ok;
    return result == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

namespace {

// "csv(*.csv)" + "*.csv;*.txt" -> "csv(*.csv) (*.csv *.txt)": Qt takes the patterns from the
// last parentheses, and the dialog shows only the description (HideNameFilterDetails).
QStringList nameFilters(const QStringList &pairs)
{
    QStringList out;
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        QStringList patterns = pairs[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        out << pairs[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return out;
}

} // namespace

QString runFileDialog(QWidget *owner, const FileDialogRequest &request)
{
    if (DialogHooks::fileDialog)
        return DialogHooks::fileDialog(request);

    QFileDialog dialog(owner, request.title, request.folder);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList filters = nameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void saveThroughDialog(QWidget *owner, FileDialogRequest request, const QString &suffix,
                       const std::function<QString(const QString &path)> &write)
{
    request.save = true;
    request.folder = QDir::currentPath() + u'/';
    QString path = runFileDialog(owner, request);
    if (path.isEmpty())
        return;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    const QString error = write(path);
    if (error.isEmpty())
        return;
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.text = error;
    box.icon = MsgIcon::Warning;
    showMessageBox(owner, box);
}
