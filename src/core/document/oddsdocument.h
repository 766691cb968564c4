#pragma once
// One race: the runner table, the quinella matrix, the fields around them and the
// operations that shape and recalculate them. No window: DocumentWindow shows it.

#include "core/document/grid.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Text measurement is a platform service: the windows pass real font metrics,
// tests and kirrel-cli a fixed-width fake.
class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    // Width in pixels of text drawn in the grid's font at the given point size.
    virtual double textWidth(const QString &text, double pointSize) const = 0;
};

// Runner-table vocabulary.
enum RunnerTable : int {
    HeaderRow = 0,
    RatioRow = 1,
    FirstRunnerRow = 2,
    ColNumber = 0,
    ColBracket = 1,
    ColName = 2,
    ColRank = 3,
    ColOdds = 4,
    ColPayout = 5,
    ColSupport = 6,
    FirstDataCol = 7,
};

class OddsDocument
{
public:
    OddsDocument();

    // Fields. Setting a count or the payout ratio runs its change rule.
    QString countText(int i) const { return m_kazu[size_t(i & 1)]; }
    void setCountText(int i, const QString &text);
    QString payoutRatioText() const { return m_koujyo; }
    void setPayoutRatioText(const QString &text);
    QString poolText() const { return m_haitou; }
    void setPoolText(const QString &text) { m_haitou = text; }
    QString titleText(int i) const;
    void setTitleText(int i, const QString &text);

    int RunnerCount = 2;
    Grid runnerTable;         // runner table
    Grid quinellaMatrix;      // quinella matrix; visible = the quinella view
    QStringList rankList;     // kept in ascending text order
    QStringList quinellaList; // insertion order

    // Platform metrics used by the layout; the windows set the real ones. Without a measurer,
    // fitColumnWidths estimates: half-width characters (ASCII, half-width katakana) half an em, all
    // others one em, em = point size * 96 / 72 pixels.
    void setMeasurer(const TextMeasurer *measurer) { m_measurer = measurer; }
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;

    void buildTable();
    void fitColumnWidths();
    void recalculate();
    void SuperOdds();
    QStringList columnContributions(int col, const double &ratio) const;
    // Score of every runner (index 1..RunnerCount) from the weighted data columns and the
    // current pool (poolText()): after recalculate, the scores its support shares were made from.
    std::vector<double> SupportScores() const;
    // False when there is no layout for the runner count field: nothing is changed then.
    bool estimateQuinella();
    bool buildQuinellaMatrix();

    bool quinellaVisible() const { return quinellaMatrix.isVisible(); }

private:
    // columnContributions as numbers: each entry as textToNumber reads its text back. The texts are
    // built only when asked for; the recalculation needs just the numbers.
    std::vector<double> ColumnContribution(int col, double ratio, QStringList *texts) const;

    std::array<QString, 2> m_kazu;
    QString m_koujyo;
    QString m_haitou;
    std::array<QString, 6> m_title;
    const TextMeasurer *m_measurer = nullptr;
};

// Truncates toward zero to the given number of decimals, through the number's text.
double truncateDecimals(double value, int digits);

// Bracket ("枠") texts of runners 1..n for 8 <= n <= 24, else empty.
QStringList BracketTable(int runnerCount);
