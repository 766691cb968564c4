#include "ui/season/seasontablemodel.h"

#include <QColor>
#include <QDir>

void SeasonTableModel::setSeason(const QString &folder, const std::vector<SeasonRace> *races,
                                 std::vector<RaceEvaluation> evaluations)
{
    beginResetModel();
    m_folder = folder;
    m_races = races;
    m_evaluations = std::move(evaluations);
    endResetModel();
}

QString SeasonTableModel::filePath(int row) const
{
    return m_races && row >= 0 && row < rowCount() ? (*m_races)[size_t(row)].file : QString();
}

int SeasonTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_races ? 0 : int(std::min(m_races->size(), m_evaluations.size()));
}

int SeasonTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LogLikelihood + 1;
}

QVariant SeasonTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SeasonRace &race = (*m_races)[size_t(index.row())];
    const RaceEvaluation &e = m_evaluations[size_t(index.row())];
    const bool counted = e.exclusion == Exclusion::None;
    if (role == Qt::ForegroundRole)
        return counted ? QVariant() : QVariant(QColor(128, 128, 128));
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Runners && index.column() != Result
                   ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                   : QVariant();
    if (role == Qt::ToolTipRole && index.column() == Result && !race.unreadable.isEmpty())
        return race.unreadable;
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    const bool sort = role == SortRole;
    switch (Column(index.column())) {
    case File:
        return QDir(m_folder).relativeFilePath(race.file);
    case Title:
        return race.title;
    case Date:
        if (!sort)
            return race.dateText;
        // Dates in order, texts that hold none after them.
        return race.date.isValid() ? race.date.toString(Qt::ISODate)
                                   : QStringLiteral("~") + race.dateText;
    case Runners:
        return race.runnerCount;
    case Result:
        return counted ? race.result.text()
                       : QStringLiteral("除外: ") + exclusionText(e.exclusion, race.result);
    case WinProbability:
        if (!counted)
            return sort ? QVariant(-1.0) : QVariant();
        return sort ? QVariant(e.pwin) : QVariant(QString::number(e.pwin, 'f', 4));
    case WinRank:
        if (!counted)
            return sort ? QVariant(1 << 30) : QVariant();
        return e.winRank;
    case LogLikelihood:
        if (!counted)
            return sort ? QVariant(-1e300) : QVariant();
        return sort ? QVariant(e.loglik) : QVariant(QString::number(e.loglik, 'f', 3));
    }
    return {};
}

QVariant SeasonTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole) {
        static const char *const tips[] = {
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            "実際の1着-2着-3着です。",
            "モデルが勝ち馬に付けていた勝率です。高いほど当たっていました。",
            "勝ち馬がモデルの勝率で何番目だったかです。1 なら本命が勝ちました。",
            "実際の1～3着の起こりやすさの対数です。0 に近いほど当たっていました。"};
        return section >= 0 && section <= LogLikelihood && tips[section]
                   ? QVariant(QString::fromUtf8(tips[section]))
                   : QVariant();
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const names[] = {"ファイル", "タイトル",     "日付",     "頭数",
                                        "結果",     "勝ち馬の確率", "その順位", "対数尤度"};
    return section >= 0 && section <= LogLikelihood ? QString::fromUtf8(names[section])
                                                    : QVariant();
}
