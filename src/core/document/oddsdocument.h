#pragma once
// One race: the runner table, the quinella matrix, the fields around them and the
// operations that shape and recalculate them. No window: DocumentWindow shows it.

#include "core/document/grid.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

class QDate;

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

    // Identity: the file last read or written ("" while untitled) and whether anything changed
    // since. Rules compare caption(); the marker of displayCaption() is for the eye only.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    bool isUntitled() const { return m_filePath.isEmpty(); }
    // A template file (Default.def): Save asks for a name rather than overwrite it.
    bool isTemplate() const;
    bool isChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }
    // The file path, or the untitled name ("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 3").
    QString caption() const;
    // caption() with " *" while changed.
    QString displayCaption() const;

    // A new document as the program makes one: untitled number n, the title field holding its
    // name, the table built for the default counts, then the template (when a loader is given)
    // and today's date in the date field. Unchanged afterwards.
    void startFresh(int untitledNumber, const QDate &today,
                    const std::function<void()> &loadTemplate = {});

    // Fields. Setting a count or the payout ratio runs its change rule.
    QString countText(int i) const { return m_countTexts[size_t(i & 1)]; }
    void setCountText(int i, const QString &text);
    // The counts the runner table was last built for. Files and undo snapshots hold these, so
    // they never disagree with the table while a typed count waits for Enter.
    QString builtCountText(int i) const { return m_built[size_t(i & 1)]; }
    // True when buildTable would give the table another number of rows or columns.
    bool countsChangeShape() const;
    QString payoutRatioText() const { return m_payoutRatioText; }
    void setPayoutRatioText(const QString &text);
    QString poolText() const { return m_poolText; }
    void setPoolText(const QString &text) { m_poolText = text; }
    QString titleText(int i) const;
    void setTitleText(int i, const QString &text);

    int runnerCount = 2;
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
    // Puts back a table as an undo snapshot holds it: shape, texts, colours and widths, taken
    // as built for the current counts. The current cell stays (within the table) and the
    // selection collapses onto it.
    void restoreTable(const Grid &table);
    void fitColumnWidths();
    void recalculate();
    void computeValues();
    QStringList columnContributions(int col, const double &ratio) const;
    // Score of every runner (index 1..runnerCount) from the weighted data columns and the
    // current pool (poolText()): after recalculate, the scores its support shares were made from.
    std::vector<double> supportScores() const;
    // False when there is no layout for the runner count field: nothing is changed then.
    bool estimateQuinella();
    bool buildQuinellaMatrix();

    // Which table is in front: the quinella matrix after estimateQuinella, the runner table
    // after building or recalculating.
    bool quinellaVisible() const { return m_quinellaInFront; }

private:
    // columnContributions as numbers: each entry as textToNumber reads its text back. The texts are
    // built only when asked for; the recalculation needs just the numbers.
    std::vector<double> columnContribution(int col, double ratio, QStringList *texts) const;

    // The width in pixels of every runner-table text as last measured, so that fitting the
    // columns measures only the texts that changed. Kept per cell with the text it belongs to;
    // any other measurer, font size or table shape measures afresh. A copy of the document
    // starts without one.
    struct MeasuredWidths
    {
        struct Entry
        {
            const QChar *chars = nullptr; // where text's characters lie; null: not measured
            QString text;
            double px = 0;
        };
        const TextMeasurer *measurer = nullptr;
        double pointSize = 0;
        int rows = 0;
        int cols = 0;
        std::vector<Entry> entries;
        // The widths last fitted, for the texts of the stamp and that twips-per-pixel.
        Grid::TextStamp stamp;
        double twipsPerPixel = 0;
        std::vector<int> fitted;

        MeasuredWidths() = default;
        MeasuredWidths(const MeasuredWidths &) {}
        MeasuredWidths &operator=(const MeasuredWidths &) { return *this = MeasuredWidths(); }
        MeasuredWidths(MeasuredWidths &&) = default;
        MeasuredWidths &operator=(MeasuredWidths &&) = default;
    };
    MeasuredWidths m_widths;

    std::array<QString, 2> m_countTexts;
    std::array<QString, 2> m_built;
    QString m_payoutRatioText;
    QString m_poolText;
    std::array<QString, 6> m_title;
    const TextMeasurer *m_measurer = nullptr;
    QString m_filePath;
    QString m_untitledName;
    bool m_changed = false;
    bool m_quinellaInFront = false;
};

// Truncates toward zero to the given number of decimals, through the number's text.
double truncateDecimals(double value, int digits);

// Bracket ("枠") texts of runners 1..n for 8 <= n <= 24, else empty.
QStringList bracketTable(int runnerCount);
