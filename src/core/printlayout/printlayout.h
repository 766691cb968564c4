#pragma once
// Page layout of a grid on landscape pages: title block, ruled table, footer.
// The same routines draw the preview picture, the printer and the PDF file; each target is
// a Surface whose coordinates are twips (1440 per inch) from the top-left of its printable area.

#include "core/document/grid.h"

#include <QDate>
#include <QString>
#include <array>
#include <vector>

// What a drawing target offers the layout. Text positions are the top-left of the text line.
class Surface
{
public:
    virtual ~Surface() = default;

    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setTextColor(Color c) = 0;
    virtual void setLineWidth(int width) = 0;

    virtual double textWidth(const QString &text) = 0;
    virtual double textHeight(const QString &text) = 0;
    virtual void drawText(int x, int y, const QString &text) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, Color c) = 0;
    virtual void fillBox(int x1, int y1, int x2, int y2, Color c) = 0;

    // Size of the drawable area in twips.
    virtual int scaleWidth() const = 0;
    virtual int scaleHeight() const = 0;

    // A target that can no longer draw (a printer that went away) says why; 0 = fine.
    virtual int errorNumber() const { return 0; }
    virtual QString errorDescription() const { return QString(); }
};

// Records what is drawn while measuring on another surface, to draw it later. A printed page
// is laid out first and sent only when no cancel came in meanwhile.
class RecordingSurface : public Surface
{
public:
    explicit RecordingSurface(Surface &measure) : m_measure(measure) {}

    void setFontName(const QString &name) override;
    void setFontSize(int points) override;
    void setFontBold(bool bold) override;
    void setTextColor(Color c) override;
    void setLineWidth(int width) override;
    double textWidth(const QString &text) override { return m_measure.textWidth(text); }
    double textHeight(const QString &text) override { return m_measure.textHeight(text); }
    void drawText(int x, int y, const QString &text) override;
    void drawLine(int x1, int y1, int x2, int y2, Color c) override;
    void fillBox(int x1, int y1, int x2, int y2, Color c) override;
    int scaleWidth() const override { return m_measure.scaleWidth(); }
    int scaleHeight() const override { return m_measure.scaleHeight(); }
    int errorNumber() const override { return m_measure.errorNumber(); }
    QString errorDescription() const override { return m_measure.errorDescription(); }

    void replay(Surface &target) const;
    bool isEmpty() const { return m_ops.empty(); }

private:
    enum class Op { FontName, FontSize, Bold, TextColor, LineWidth, Text, Line, Box };
    struct Step
    {
        Op op;
        int a = 0, b = 0, c = 0, d = 0;
        Color color = 0;
        QString text;
    };
    void record(Op op, int a = 0, int b = 0, int c = 0, int d = 0, Color color = 0,
                const QString &text = QString())
    {
        m_ops.push_back(Step{op, a, b, c, d, color, text});
    }
    Surface &m_measure;
    std::vector<Step> m_ops;
};

// Measured layout of one target. Index 0 = preview picture, 1 = printer.
struct PrintData
{
    QString fontName;
    int fontSize = 0;
    int lineHeight = 0;
    int charWidth = 0;
    int rowsPerPage = 0;
    int pageCount = 0;
    int currentPage = 0;
    int leftMargin = 0;
    int rightEdge = 0;
    int topMargin = 0;
    int bottomEdge = 0;
    int gridTop = 0;
};

enum PrintDevice : int { DevicePreview = 0, DevicePrinter = 1 };

// Page and printable area in twips.
struct PageGeometry
{
    int pageWidth = 16836;
    int pageHeight = 11904;
    int printableWidth = 15876;
    int printableHeight = 11568;
};
// Used when no printer answers.
constexpr PageGeometry FallbackPageGeometry{};

// An error of a drawing step, shown by the window as "エラー番号：" + number + "エラー内容：" +
// text.
struct LayoutError
{
    int number = 0;
    QString description;
    bool ok() const { return number == 0; }
};

// Error number used for every failure of a printer or file target.
constexpr int PrinterErrorNumber = 482;

inline const QString TitleSeparator = QStringLiteral("(\\\\)");
inline const QString RightPartMarker = QStringLiteral("(\\R)");
inline const QString Ellipsis = QString(QChar(0x2026));

// Grid rows s .. e - 1 shown on one page (below the header rows, when repeated).
struct PageRows
{
    int first = 0;
    int end = 0;
};

class PrintLayout
{
public:
    // Layout state of the preview window.
    Grid *grid = nullptr;
    QString title;
    int totalColWidth = 0;
    bool reflectFontColor = false;
    bool reverseFontColor = false;
    bool changeRowColor = false;
    // Rows printed again at the top of every page (a table's column header); 0 for none.
    int headerRows = 0;
    // Cells with a background colour of their own get it on paper too.
    bool cellBackgrounds = false;
    std::array<PrintData, 2> data;

    // Targets. Without a printer surface the printer record is measured on the preview.
    Surface *preview = nullptr;
    Surface *printer = nullptr;
    // Printable area of the printer (or the fallback), used for the printer record's edges.
    int printerWidth = FallbackPageGeometry.printableWidth;
    int printerHeight = FallbackPageGeometry.printableHeight;

    // Footer date; invalid = today.
    QDate date;

    // First part of the window's entry: stores the grid and options, resets both records,
    // clamps the font size (0 = the grid's own) and sums the column widths. Returns the font
    // size in effect.
    int setup(Grid *outMsfGrid, const QString &outTitle, int outFontSize, bool reflect,
              bool reverse, bool rowColor);

    void initPrintData();
    void calcPages(int device);
    PageRows rowsOfPage(int page, int device) const;
    // Clamps a page number into 1 .. pageCount of the device.
    int validPage(int page, int device) const;

    LayoutError writeTitle(int device);
    LayoutError writeFooter(int page, int device);
    LayoutError writeGrid(int page, int device);

    Surface *target(int device) const;
    int titleLineCount() const;
    int rowHeight(int device) const;
    // headerRows as far as a page of rowsPerPage rows can repeat them.
    int repeatedHeaderRows(int rowsPerPage) const;
};

// Whole twips, halves to the even neighbour (the default rounding mode); 0 for a value that
// is not finite, the nearest end of the int range beyond it.
int roundEven(double x);

// Font sizes the layout accepts.
constexpr int MinFontSize = 6;
constexpr int MaxFontSize = 30;
int clampFontSize(int points);

// n-th field (from 1) of a delimited text; empty when the text has fewer fields.
QString parse(const QString &s, int n, const QString &sep);

// Title with its markers replaced by one space, for the window caption.
QString plainTitle(const QString &title);

// "集計:" or "馬連:" + title + ":" + date: the title of the Print command.
QString printTitle(const QString &title, const QString &date, bool quinella);

// Longest prefix of text that, followed by "…" and widened by inset, stays under width;
// "…" alone when not even one character fits.
QString cutWithEllipsis(Surface &surface, const QString &text, double width, double inset = 0);

// Page indicator of the preview: "03/12".
QString pageIndicator(int page, int pageCount);
