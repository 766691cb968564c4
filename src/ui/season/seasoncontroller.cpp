#include "ui/season/seasoncontroller.h"

#include "core/analysisfile/analysisinputs.h"
#include "core/settings/inifile.h"
#include "ui/season/seasonwindow.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {

const QString Section = QStringLiteral("Season");
const QString FolderKey = QStringLiteral("Folder");

} // namespace

std::function<QString(const QString &)> SeasonController::folderDialog;

SeasonController::SeasonController(QMdiArea *mdi, const QString &settingsFile, QWidget *owner)
    : QObject(owner), m_mdi(mdi), m_settingsFile(settingsFile), m_owner(owner)
{
}

void SeasonController::addTo(QMenu *menu)
{
    menu->addSeparator();
    seasonAction = menu->addAction(QStringLiteral("成績(&S)..."));
    connect(seasonAction, &QAction::triggered, this, &SeasonController::chooseSeason);
}

QMdiSubWindow *SeasonController::chooseSeason()
{
    QString start = readSetting(m_settingsFile, Section, FolderKey);
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    const QString folder = folderDialog
                               ? folderDialog(start)
                               : QFileDialog::getExistingDirectory(
                                     m_owner, QStringLiteral("成績を調べるフォルダ"), start);
    if (folder.isEmpty())
        return nullptr;
    // Not remembering it is no reason to keep the user from the season.
    writeSetting(m_settingsFile, Section, FolderKey, folder);
    return openSeason(folder);
}

QMdiSubWindow *SeasonController::openSeason(const QString &folder)
{
    // A folder already open is brought to the front, not read a second time.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        const auto *open = qobject_cast<SeasonWindow *>(sub->widget());
        if (open && (open->folder() == folder ||
                     (!canonical.isEmpty() &&
                      QFileInfo(open->folder()).canonicalFilePath() == canonical))) {
            sub->showNormal();
            m_mdi->setActiveSubWindow(sub);
            sub->raise();
            return sub;
        }
    }
    auto *window = new SeasonWindow(folder);
    // From the stored defaults of new analyses.
    AnalysisInputs stored;
    loadAnalysisPreferences(m_settingsFile, &stored);
    SeasonModel start;
    start.order = stored.parameters.model;
    start.lambda = stored.parameters.lambda;
    start.rho = stored.parameters.rho;
    start.beta = stored.parameters.beta;
    start.combine = stored.parameters.combine;
    start.alpha = stored.parameters.alpha;
    start.gamma = stored.parameters.gamma;
    window->setStartModel(start);
    window->setDefaultsStore([this](const SeasonDefaults &d) { return storeDefaults(d); });
    connect(window, &SeasonWindow::openRequested, this, [this](const QString &path) {
        if (openDocument)
            openDocument(path);
    });
    QMdiSubWindow *sub = m_mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(QStringLiteral("成績 - ") + QDir::toNativeSeparators(folder));
    // In view from its top left corner, one title bar down per window already open.
    const QRect area = m_mdi->viewport()->rect();
    sub->resize(QSize(1100, 680).boundedTo(area.size()));
    const int step = 24 * int((m_mdi->subWindowList().size() - 1) % 8);
    sub->move(std::max(0, std::min(step, area.width() - sub->width())),
              std::max(0, std::min(step, area.height() - sub->height())));
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    window->start();
    return sub;
}

QString SeasonController::storeDefaults(const SeasonDefaults &d)
{
    AnalysisInputs in;
    loadAnalysisPreferences(m_settingsFile, &in);
    in.parameters.model = d.model;
    in.parameters.combine = d.combine;
    if (d.combine) {
        in.parameters.alpha = d.alpha;
        in.parameters.gamma = d.gamma;
    } else {
        in.parameters.beta = d.beta;
    }
    if (d.model == OrderModel::Discount) {
        in.parameters.lambda = d.lambda;
        in.parameters.rho = d.rho;
    }
    if (analysisDefaults)
        return analysisDefaults(in);
    return saveAnalysisPreferences(m_settingsFile, in)
               ? QString()
               : QStringLiteral("%1 に書き込めませんでした。").arg(m_settingsFile);
}
