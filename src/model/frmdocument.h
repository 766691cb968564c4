#pragma once
// The document window: one OddsDocument shown through the header fields, the two buttons,
// the runner table and the quinella matrix, with the in-place cell editor, the clipboard
// keys and the undo ring. The widgets hold no document data of their own: every operation
// changes the document and then refreshes the widgets from it.

#include "editing/undoring.h"
#include "files/documentfile.h"
#include "model/oddsdocument.h"

#include <QString>
#include <QWidget>
#include <memory>

class CellEditBox;
class GridView;
class QLabel;
class QLineEdit;
class RecentFileList;
class UcButton;

class frmDocument : public QWidget
{
    Q_OBJECT
public:
    // recent may be null (no recent-file list); AppFolder ends in "/".
    explicit frmDocument(RecentFileList *recent, const QString &AppFolder,
                         QWidget *parent = nullptr);
    ~frmDocument() override;

    // True for a document window (the widget itself, not its sub-window frame).
    static bool isDocumentWindow(const QWidget *widget);
    static frmDocument *fromWidget(QWidget *widget);

    OddsDocument &document() { return m_doc; }
    const OddsDocument &document() const { return m_doc; }
    QString AppFolder() const { return m_appFolder; }

    // Operations the main window calls. Each leaves the widgets showing the document.
    void InitForm();
    void Syukei();
    // Shows the quinella matrix; for a runner count without a layout the runner table stays
    // in view and the status line says why.
    void Umaren();
    // On success the caption becomes wkFile. On failure the document is left exactly as it
    // was and the status line names the file and the reason.
    FileResult LoadCSV(const QString &wkFile);
    // Loads the template when it exists; true when it was loaded.
    bool LoadDefault();
    // The caption is not changed; on failure the document and the old file stay intact and
    // the result says why (the caller shows it).
    FileResult SaveCSV(const QString &wkFile);
    void UndoStock();
    void UndoBack();
    // Clipboard keys: (67,2) and (45,2) copy, (88,2) cut, (86,2) and (45,1) paste; every
    // other combination does nothing. Always on the runner table's selection.
    void Form_KeyDown(int KeyCode, int Shift);
    // The grid in view: the quinella matrix when shown, else the runner table, else null.
    Grid *GetFlex();
    QString txtTitle(int Index) const;
    void setTxtTitle(int Index, const QString &text);

    // Re-reads every widget from the document (fields, grids, which grid is in front).
    void RefreshFromDocument();

    // Cell editor.
    // Opens txtEdit over the current cell of the runner table showing the cell's text (wkStr
    // "$$$") with the caret at its end. Ime: 0 free, 3 input method disabled.
    void GridEdit(int KeyAscii, int x, int y, const QString &wkStr, int Ime);
    void FocusFlex();
    void LostFlex();
    void DeleteData(int wX1, int wY1, int wX2, int wY2);
    // Focuses the box (the focused one when null) and selects its whole text.
    void TxtGotFocus(QLineEdit *inTxtCtrl = nullptr);
    bool isEditing() const;
    int FocusRow() const { return m_focusRow; }
    int FocusCol() const { return m_focusCol; }
    const UndoRing &undoRing() const { return m_undo; }
    QString statusText() const;

    // Controls, named as designed. The title boxes are txtTitleBox because txtTitle(i)
    // reads their text.
    QWidget *PicUp = nullptr;
    QWidget *PicDown = nullptr;
    QLabel *lblData[4] = {};
    QLineEdit *txtKazu[2] = {};
    QLineEdit *txtKoujyo = nullptr;
    QLineEdit *txtHaitou = nullptr;
    QLineEdit *txtTitleBox[6] = {};
    QLabel *lblStatus = nullptr;
    GridView *MSFlex = nullptr;
    GridView *MSFlexUma = nullptr;
    UcButton *UcBtnMenu[2] = {};
    CellEditBox *txtEdit = nullptr;

    static constexpr int DesignWidth = 960; // pixels
    static constexpr int DesignHeight = 620;
    static constexpr int PicUpTwips = 780;
    static constexpr int PicDownTwips = 320;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void UcBtnMenu_Click(int Index);
    void MSFlex_KeyDown(int KeyCode, int Shift, bool *handled);
    void MSFlex_KeyPress(const QString &text);
    void MSFlex_DblClick();
    void MSFlex_MouseDown();
    void MSFlex_GotFocus();
    void MSFlex_SelChange();
    void txtEdit_KeyDown(int KeyCode, int Shift, bool *handled);
    void txtEdit_KeyPress(int KeyAscii);
    void txtEdit_LostFocus();
    void txtTitle_GotFocus(int Index);
    void txtTitle_LostFocus(int Index);
    void txtKazu_Change(int Index, const QString &text);
    void txtKoujyo_Change(const QString &text);
    void hideEditor();
    void refreshGrid();
    void pasteOrdered();

    OddsDocument m_doc;
    UndoRing m_undo;
    RecentFileList *m_recent = nullptr;
    QString m_appFolder;
    std::unique_ptr<TextMeasurer> m_measurer;
    int m_focusRow = 0;
    int m_focusCol = 0;
    bool m_shown = false;
};
