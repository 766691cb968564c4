#pragma once
// The season window's table: one row per document with its result and how the model saw it,
// or why it does not count. Sorting goes by the numbers, not by their texts.

#include "core/season/season.h"

#include <QAbstractTableModel>
#include <vector>

class SeasonTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { File, Title, Date, Runners, Result, WinProbability, WinRank, LogLikelihood };
    // Holds the raw value of a cell for sorting.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // folder: shown file names are relative to it.
    void setSeason(const QString &folder, const std::vector<SeasonRace> *races,
                   std::vector<RaceEvaluation> evaluations);
    QString filePath(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString m_folder;
    const std::vector<SeasonRace> *m_races = nullptr;
    std::vector<RaceEvaluation> m_evaluations;
};
