#pragma once
// The print preview window: a toolbar (commands, page indicator, font size and copies) over
// the sheet view, and the panel shown while pages print. The printing itself is PrintJob's.

#include "ui/print/printjob.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QFrame;
class OddsDocument;
class SheetView;

class PrintPreviewWindow : public QWidget
{
    Q_OBJECT
public:
    // The toolbar's commands, in the order of its buttons.
    enum Command { Close, PrintCurrentPage, PrintAllPages, NextPage, SavePdf, CommandCount };

    // The one preview window, created on first use; closing it deletes it.
    static PrintPreviewWindow *instance();
    // The window if it is open, else null.
    static PrintPreviewWindow *existing();

    // Lays the grid out and shows page 1. gridOwner: when it is destroyed the window closes,
    // so the window never draws a grid that no longer exists.
    void showGrid(Grid *grid, const QString &title, int fontSize, bool reflectFontColor,
                  bool reverseFontColor, bool changeRowColor, QObject *gridOwner = nullptr);
    // The same for a table of records: its fixed rows head every page, and cells with a
    // background or text colour of their own are printed in it.
    void showTable(Grid *grid, const QString &title, int fontSize, QObject *gridOwner);

    // The Print command: the grid the document shows (the quinella matrix when visible),
    // titled "馬連:"/"集計:" + title + ":" + date, font size 9, options off.
    static void printDocument(OddsDocument &document, QObject *documentWindow);

    void runCommand(Command command);
    // The panel's キャンセル: pages not yet sent are dropped.
    void cancelPrinting();

    PrintLayout &layout() { return m_job.layout(); }
    PageGeometry pageGeometry() const { return m_job.geometry(); }
    bool printerAvailable() const { return m_job.printerAvailable(); }
    void showPage(int page);

    QString pageIndicatorText() const;
    QPushButton *button(Command command) const;
    QLineEdit *fontSizeBox() const { return m_fontSizeBox; }
    QLineEdit *copiesBox() const { return m_copiesBox; }
    QScrollBar *fontSizeSpinner() const { return m_fontSizeSpinner; }
    QScrollBar *copiesSpinner() const { return m_copiesSpinner; }
    SheetView *sheet() const { return m_sheet; }
    QWidget *printingPanel() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PrintPreviewWindow(QWidget *parent = nullptr);
    ~PrintPreviewWindow() override;

    void layOut();
    void numberBoxDone(QLineEdit *box);
    void fontSizeChanged(int value);
    void copiesChanged(int value);
    void printPages(Command command);
    void savePdf();
    void releaseGrid();
    void setPrinting(bool printing);
    void showError(const QString &routine, const LayoutError &error);

    PrintJob m_job;
    QPointer<QObject> m_gridOwner;
    bool m_entering = false;
    bool m_tableOptions = false; // showTable rather than showGrid
    bool m_cancelRequested = false;
    bool m_closePending = false;

    QPushButton *m_buttons[CommandCount] = {};
    QLabel *m_pageNumber = nullptr;
    QLabel *m_pageCaption = nullptr;
    QFrame *m_pageFrame = nullptr;
    QLabel *m_fontSizeCaption = nullptr;
    QLineEdit *m_fontSizeBox = nullptr;
    QScrollBar *m_fontSizeSpinner = nullptr;
    QFrame *m_fontSizeFrame = nullptr;
    QLabel *m_copiesCaption = nullptr;
    QLineEdit *m_copiesBox = nullptr;
    QScrollBar *m_copiesSpinner = nullptr;
    QFrame *m_copiesFrame = nullptr;
    SheetView *m_sheet = nullptr;
    QFrame *m_printingPanel = nullptr;
    QFrame *m_printingFrame = nullptr;
    QLabel *m_printingLabel = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
