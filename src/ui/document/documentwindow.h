#pragma once
// The document window: one OddsDocument shown through the header fields, the two buttons,
// the runner table and the quinella matrix, with the in-place cell editor, the clipboard
// keys and the undo ring. The widgets hold no document data of their own: every operation
// changes the document and then refreshes the widgets from it.

#include "core/document/oddsdocument.h"
#include "core/editing/cellrules.h"
#include "core/editing/clipboardrange.h"
#include "core/editing/undoring.h"
#include "core/file/documentfile.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

enum class KeyCommand;
class CellEditBox;
class GridView;
class QInputMethodEvent;
class QLabel;
class QLineEdit;
class SkinButton;

class DocumentWindow : public QWidget
{
    Q_OBJECT
public:
    // appFolder ends in "/".
    explicit DocumentWindow(const QString &appFolder, QWidget *parent = nullptr);
    ~DocumentWindow() override;

    // True for a document window (the widget itself, not its sub-window frame).
    static bool isDocumentWindow(const QWidget *widget);
    static DocumentWindow *fromWidget(QWidget *widget);

    OddsDocument &document() { return m_doc; }
    const OddsDocument &document() const { return m_doc; }
    QString appFolder() const { return m_appFolder; }

    // Operations the main window calls. Each leaves the widgets showing the document.
    // The fresh-document recipe with the template from the program folder.
    void startFresh(int untitledNumber);
    void buildTable();
    // Enter in a count box: the table is rebuilt for the counts, and a change of its shape can
    // be undone.
    void confirmCounts();
    void recalculate();
    // Shows the quinella matrix; for a runner count without a layout the runner table stays
    // in view and the status line says why.
    void estimateQuinella();
    // On success path becomes the document's file, unchanged. On failure the document is left
    // exactly as it was and the status line names the file and the reason.
    FileResult loadDocument(const QString &path);
    // Loads the template when it exists; true when it was loaded.
    bool loadTemplate();
    // The document's file stays what it was (a written copy, such as the template, leaves it
    // changed); on failure the document and the old file stay intact and the result says why
    // (the caller shows it).
    FileResult saveDocument(const QString &path);
    // As saveDocument; on success path becomes the document's file, unchanged.
    FileResult saveDocumentAs(const QString &path);
    // Both save what the window shows: text in the open cell editor that differs from its cell
    // is committed first, as Enter commits it (undo snapshot, recalculation).
    void commitOpenEditor();
    // The document changed, or the open cell editor holds text its cell does not.
    bool hasUnsavedChanges() const;
    // Asked before the window closes; false keeps it open. None: it closes.
    std::function<bool(DocumentWindow &)> closeGuard;
    void pushUndo();
    void undo();
    // Something the document carries beside its table changed (its analysis inputs).
    void markChanged();
    // Edit commands. While the cell editor or a header field has the focus they act on its
    // text. Otherwise on the grid in view: the runner table's selection, or in the quinella
    // view the matrix, which copy copies and the others leave as it is (it is computed),
    // saying so in the status line. Paste takes an undo snapshot; delete recalculates.
    void copy();
    void cut();
    void paste();
    void selectAll();
    void deleteSelection();
    // The grid in view: the quinella matrix when shown, else the runner table.
    Grid *gridInView();
    QString titleText(int index) const;
    void setTitleText(int index, const QString &text);

    // Re-reads every widget from the document (fields, grids, which grid is in front).
    void refreshFromDocument();

    // Cell editor.
    // Opens cellEditor over the current cell of the runner table showing the cell's text with the
    // caret at its end. Not while the quinella matrix is in front: the table behind it is hidden.
    // Without takeFocus the grid keeps the focus (a composition that started there goes on).
    void openEditor(ImeMode ime, bool takeFocus = true);
    void focusGrid();
    void leaveEditor();
    void deleteRange(int fromCol, int fromRow, int toCol, int toRow);
    // Focuses the box (the focused one when null) and selects its whole text.
    void selectFieldText(QLineEdit *inTxtCtrl = nullptr);
    bool isEditing() const;
    int focusRow() const { return m_focusRow; }
    int focusCol() const { return m_focusCol; }
    const UndoRing &undoRing() const { return m_undo; }
    QString statusText() const;

    // Controls, named as designed. The title boxes are titleBoxes because titleText(i)
    // reads their text.
    QWidget *headerPanel = nullptr;
    QWidget *statusPanel = nullptr;
    QLabel *fieldLabels[4] = {};
    QLineEdit *countBoxes[2] = {};
    QLineEdit *payoutRatioBox = nullptr;
    QLineEdit *poolBox = nullptr;
    QLineEdit *titleBoxes[6] = {};
    QLabel *titleLabels[6] = {}; // the captions above the title boxes
    QLabel *statusLine = nullptr;
    GridView *runnerTable = nullptr;
    GridView *quinellaMatrix = nullptr;
    SkinButton *commandButtons[2] = {};
    CellEditBox *cellEditor = nullptr;

    static constexpr int DesignWidth = 960; // pixels
    static constexpr int DesignHeight = 620;
    static constexpr int PicUpTwips = 780;
    static constexpr int PicDownTwips = 320;

Q_SIGNALS:
    // After every operation that may have changed the document's data (edit, paste, delete,
    // load, undo, counts); the analysis windows follow it.
    void contentsChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildWidgets();
    void layoutWidgets();
    // Places the header's controls for the fonts in use, wrapping the right-hand group below
    // the rest when the window is too narrow for one line; returns the header's height.
    int layoutHeader();
    void commandButtonClicked(int index);
    void gridKeyDown(QKeyCombination key, bool *handled);
    void gridKeyPress(const QString &text);
    void gridDoubleClicked();
    void gridMouseDown();
    void gridGotFocus();
    void gridSelectionChanged();
    void editorKeyDown(QKeyCombination key, bool *handled);
    void commitEditor();
    bool editorHoldsChange() const;
    void editorLostFocus();
    void gridInputMethod(QInputMethodEvent *event);
    void editorCompositionChanged();
    void handOverComposition();
    void endComposition();
    void dropComposition();
    // Red text and a tooltip saying why, while the result does not read as a finishing order.
    void checkResultField();
    void titleBoxGotFocus(int index);
    void titleBoxLostFocus(int index);
    void countBoxEdited(int index, const QString &text);
    // The ratio box is typed into freely; its range rule runs when the text is confirmed.
    void confirmPayoutRatio();
    void updateCaption();
    void refreshStatus();
    void hideEditor();
    void refreshGrid();
    PasteCount pasteOrdered();
    void runCommand(KeyCommand command);
    QLineEdit *focusedTextField() const;
    bool refusedInQuinellaView(const QString &command);

    OddsDocument m_doc;
    UndoRing m_undo;
    QString m_appFolder;
    std::unique_ptr<TextMeasurer> m_measurer;
    int m_focusRow = 0;
    int m_focusCol = 0;
    bool m_shown = false;
    // The editor shows a composition that started on the runner table, which keeps the focus
    // until the input method has committed.
    bool m_composing = false;
};
