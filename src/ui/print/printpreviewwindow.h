#pragma once
// The print preview window: one landscape sheet at full size in a draggable, scrollable panel,
// page and font-size controls, and the print commands (one print job per page).

#include "core/printlayout/printlayout.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QFrame;
class QPrinter;
class OddsDocument;
class PreviewBack;
class PreviewView;
class PainterSurface;

class PrintPreviewWindow : public QWidget
{
    Q_OBJECT
public:
    // The one preview window, created on first use; closing it deletes it.
    static PrintPreviewWindow *instance();
    // The window if it is open, else null.
    static PrintPreviewWindow *existing();

    // Lays the grid out and shows page 1. gridOwner: when it is destroyed the window closes,
    // so the window never draws a grid that no longer exists.
    void PrintMSFlexGrid(Grid *outMsfGrid, const QString &outTitle, int outFontSize,
                         bool reflectFontColor, bool reverseFontColor, bool changeRowColor,
                         QObject *gridOwner = nullptr);

    // The Print command: the grid the document shows (the quinella matrix when visible),
    // titled "馬連:"/"集計:" + title + ":" + date, font size 9, options off.
    static void PrintDocument(OddsDocument &document, QObject *documentWindow);

    // Test hooks: answer the save dialog and observe message boxes instead of showing them.
    static std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>
        saveFileNameHook;
    static std::function<void(const QString &caption, const QString &text)> messageBoxHook;
    // Tests: behave as if no printer were installed.
    static bool ignorePrinters;

    // Commands of the toolbar: 0 close, 1 print page, 2 print all, 3 next page, 4 save PDF.
    void cmdMenu_Click(int index);
    void cmdCancel_Click();

    // Layout state, for the window's own routines and for tests.
    PrintLayout &layout() { return m_layout; }
    void ShowPage(int page);
    // Prints one page as a job of its own; false with the error when the job failed.
    bool PrintPage(int page, LayoutError *error);
    // Every page into one PDF file, written through a temporary file.
    LayoutError SavePdf(const QString &fileName);

    QString pageIndicatorText() const;
    QLineEdit *txtFontSize() const { return m_txtFontSize; }
    QLineEdit *txtCopies() const { return m_txtCopies; }
    QScrollBar *scrFontSize() const { return m_scrFontSize; }
    QScrollBar *scrCopies() const { return m_scrCopies; }
    QScrollBar *ScrX() const { return m_scrX; }
    QScrollBar *ScrY() const { return m_scrY; }
    QWidget *picBack() const;
    QWidget *picPaper() const { return m_picPaper; }
    QWidget *picView() const;
    QWidget *picPrinting() const;
    QPushButton *button(int index) const;
    PageGeometry pageGeometry() const { return m_geometry; }
    bool printerAvailable() const;
    // Paper position in twips inside the back panel.
    QPoint paperPos() const { return QPoint(m_paperLeft, m_paperTop); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PrintPreviewWindow(QWidget *parent = nullptr);
    ~PrintPreviewWindow() override;

    friend class PreviewBack;
    void InitFrm();
    void InitPrintData();
    void readPageGeometry();
    void updateScrollBar(QScrollBar *bar, int paperSize, int backSize, int &keptMax);
    void ScrX_Change(int value);
    void ScrY_Change(int value);
    void placePaper();
    void picBack_MouseDown(Qt::MouseButton button, QPoint twips);
    void picBack_MouseMove(Qt::MouseButtons buttons, QPoint twips);
    void dragTo(QPoint twips);
    void numberBoxDone(QLineEdit *box);
    void scrFontSize_Change(int value);
    void scrCopies_Change(int value);
    void releaseGrid();
    void setPrinting(bool printing);
    bool ensurePrinter();
    void showError(const QString &routine, const LayoutError &error);
    int twipsX(int px) const;
    int twipsY(int px) const;
    int pixelsX(int twips) const;
    int pixelsY(int twips) const;

    PrintLayout m_layout;
    QPointer<QObject> m_gridOwner;
    bool m_ownerGuarded = false;
    bool m_entering = false;
    bool CancelRequested = false;
    bool m_printing = false;
    bool m_closePending = false;
    PageGeometry m_geometry;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<PainterSurface> m_previewSurface;
    std::unique_ptr<PainterSurface> m_printerSurface;
    double m_tppX = 15;
    double m_tppY = 15;

    QPushButton *m_cmdMenu[5] = {};
    QLabel *m_lblPageNo = nullptr;
    QLabel *m_lblPage = nullptr;
    QFrame *m_shpPage = nullptr;
    QLabel *m_lblFontSize = nullptr;
    QLineEdit *m_txtFontSize = nullptr;
    QScrollBar *m_scrFontSize = nullptr;
    QFrame *m_shpFontSize = nullptr;
    QLabel *m_lblCopies = nullptr;
    QLineEdit *m_txtCopies = nullptr;
    QScrollBar *m_scrCopies = nullptr;
    QFrame *m_shpCopies = nullptr;
    PreviewBack *m_picBack = nullptr;
    QWidget *m_picPaper = nullptr;
    PreviewView *m_picView = nullptr;
    QScrollBar *m_scrX = nullptr;
    QScrollBar *m_scrY = nullptr;
    QWidget *m_imgCorner = nullptr;
    QFrame *m_picPrinting = nullptr;
    QFrame *m_shpPrinting = nullptr;
    QLabel *m_lblPrinting = nullptr;
    QPushButton *m_cmdCancel = nullptr;

    // Geometry in twips, as the layout computes it.
    int m_backWidth = 0;
    int m_backHeight = 0;
    int m_paperLeft = 0;
    int m_paperTop = 0;
    int m_viewLeft = 0;
    int m_viewTop = 0;
    int m_keptMaxX = 0; // previous scroll maxima (the bars' tags)
    int m_keptMaxY = 0;
    int m_maxX = 0;
    int m_maxY = 0;
    QString m_paperTag; // drag anchor: halfW,halfH,ax,ay
};
