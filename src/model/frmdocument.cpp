#include "model/frmdocument.h"

#include "controls/frmpic.h"
#include "controls/ucbutton.h"
#include "editing/celleditor.h"
#include "editing/clipboardrange.h"
#include "model/gridview.h"
#include "platform/clipboard.h"
#include "platform/screenmetrics.h"
#include "platform/text.h"
#include "shell/saikin.h"

#include <QDate>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTimer>
#include <cmath>

namespace {

// Column fitting measures in the grid's face at the size it asks for.
class FontMeasurer : public TextMeasurer
{
public:
    explicit FontMeasurer(const QString &family) : m_family(family) {}
    double textWidth(const QString &text, double pointSize) const override
    {
        auto it = m_metrics.find(pointSize);
        if (it == m_metrics.end()) {
            QFont font(m_family);
            font.setPointSizeF(pointSize);
            it = m_metrics.insert(pointSize, QFontMetricsF(font));
        }
        return it->horizontalAdvance(text);
    }

private:
    QString m_family;
    mutable QHash<double, QFontMetricsF> m_metrics;
};

bool IsClipboardKey(int code, int shift)
{
    return ((code == 67 || code == 88 || code == 86 || code == 45) && shift == 2) ||
           (code == 45 && shift == 1);
}

// Menus and switching programs move the focus away only for a moment.
bool IsPassingFocusChange(const QEvent *event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

void SyncText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

int PixelsY(int twips)
{
    return int(std::lround(twips / TwipsPerPixelY()));
}

const char *const TagProperty = "Tag";

} // namespace

frmDocument::frmDocument(RecentFileList *recent, const QString &AppFolder, QWidget *parent)
    : QWidget(parent), m_recent(recent), m_appFolder(AppFolder)
{
    Form_Load();
}

frmDocument::~frmDocument()
{
    // The document goes before the child widgets do: their last focus changes and the views'
    // grid pointers must not reach it.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        child->removeEventFilter(this);
        child->disconnect(this);
    }
    MSFlex->setGrid(nullptr);
    MSFlexUma->setGrid(nullptr);
}

bool frmDocument::isDocumentWindow(const QWidget *widget)
{
    return qobject_cast<const frmDocument *>(widget) != nullptr;
}

frmDocument *frmDocument::fromWidget(QWidget *widget)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(widget))
        widget = sub->widget();
    return qobject_cast<frmDocument *>(widget);
}

void frmDocument::Form_Load()
{
    setObjectName(QStringLiteral("frmDocument"));
    resize(DesignWidth, DesignHeight);

    m_doc.twipsPerPixelX = TwipsPerPixelX();
    m_doc.twipsPerPixelY = TwipsPerPixelY();
    m_measurer = std::make_unique<FontMeasurer>(GridView::DefaultFontFamily());
    m_doc.setMeasurer(m_measurer.get());
    m_doc.setTxtTitle(1, FormatDate(QDate::currentDate(), QStringLiteral("yyyy年mm月dd日(aaa)")));

    // Grids first, so the header panel and the editor lie in front of them.
    MSFlex = new GridView(this);
    MSFlex->setObjectName(QStringLiteral("MSFlex"));
    MSFlex->setGrid(&m_doc.MSFlex);
    MSFlexUma = new GridView(this);
    MSFlexUma->setObjectName(QStringLiteral("MSFlexUma"));
    MSFlexUma->setGrid(&m_doc.MSFlexUma);
    MSFlexUma->hide();

    PicUp = new QWidget(this);
    PicUp->setObjectName(QStringLiteral("PicUp"));
    PicUp->setAutoFillBackground(true);
    QFont headerFont(GridView::DefaultFontFamily());
    // 18 pixels high: 13 points at 96 dpi.
    headerFont.setPointSize(int(18 * TwipsPerPixelY() / 20));

    const QString captions[4] = {QStringLiteral("縦枠"), QStringLiteral("横枠"),
                                 QStringLiteral("控除"), QStringLiteral("投票金")};
    const QRect labelRects[4] = {
        {0, 0, 50, 24}, {50, 0, 50, 24}, {640, 0, 50, 24}, {690, 0, 100, 24}};
    for (int i = 0; i < 4; ++i) {
        lblData[i] = new QLabel(captions[i], PicUp);
        lblData[i]->setObjectName(QStringLiteral("lblData%1").arg(i));
        lblData[i]->setFont(headerFont);
        lblData[i]->setGeometry(labelRects[i]);
    }
    auto makeEdit = [&](const QString &name, const QRect &rect) {
        auto *edit = new QLineEdit(PicUp);
        edit->setObjectName(name);
        edit->setFont(headerFont);
        edit->setGeometry(rect);
        return edit;
    };
    for (int i = 0; i < 2; ++i) {
        txtKazu[i] = makeEdit(QStringLiteral("txtKazu%1").arg(i), QRect(i * 50, 24, 50, 24));
        connect(txtKazu[i], &QLineEdit::textEdited, this,
                [this, i](const QString &text) { txtKazu_Change(i, text); });
        connect(txtKazu[i], &QLineEdit::returnPressed, this, &frmDocument::InitForm);
    }
    for (int i = 0; i < 6; ++i) {
        txtTitleBox[i] = makeEdit(QStringLiteral("txtTitle%1").arg(i),
                                  QRect(100 + (i % 3) * 180, (i / 3) * 24, 180, 24));
        connect(txtTitleBox[i], &QLineEdit::textEdited, this,
                [this, i](const QString &text) { m_doc.setTxtTitle(i, text); });
    }
    txtKoujyo = makeEdit(QStringLiteral("txtKoujyo"), QRect(640, 24, 50, 24));
    connect(txtKoujyo, &QLineEdit::textEdited, this, &frmDocument::txtKoujyo_Change);
    connect(txtKoujyo, &QLineEdit::returnPressed, this, &frmDocument::Syukei);
    txtHaitou = makeEdit(QStringLiteral("txtHaitou"), QRect(690, 24, 100, 24));
    connect(txtHaitou, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_doc.setTxtHaitou(text); });

    const QString buttonCaptions[2] = {QStringLiteral("馬連"), QStringLiteral("集計")};
    const QPixmap &skin = frmPic::Get()->PicBtn();
    for (int k = 0; k < 2; ++k) {
        UcBtnMenu[k] = new UcButton(PicUp);
        UcBtnMenu[k]->setObjectName(QStringLiteral("UcBtnMenu%1").arg(k));
        UcBtnMenu[k]->SetButton(skin, buttonCaptions[k], 0, 0, 64, 50, 6, 0, 20, true, false,
                                790 + k * 64, 0, 64, 50);
        connect(UcBtnMenu[k], &UcButton::Click, this, [this, k] { UcBtnMenu_Click(k); });
    }

    PicDown = new QWidget(this);
    PicDown->setObjectName(QStringLiteral("PicDown"));
    PicDown->setAutoFillBackground(true);
    lblStatus = new QLabel(QStringLiteral("ステータス"), PicDown);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    txtEdit = new CellEditBox(this);
    txtEdit->hide();

    connect(MSFlex, &GridView::keyDown, this, &frmDocument::MSFlex_KeyDown);
    connect(MSFlex, &GridView::keyPress, this, &frmDocument::MSFlex_KeyPress);
    connect(MSFlex, &GridView::dblClick, this, &frmDocument::MSFlex_DblClick);
    connect(MSFlex, &GridView::mouseDown, this, &frmDocument::MSFlex_MouseDown);
    connect(MSFlex, &GridView::gotFocus, this, &frmDocument::MSFlex_GotFocus);
    connect(MSFlex, &GridView::selChange, this, &frmDocument::MSFlex_SelChange);
    connect(txtEdit, &CellEditBox::keyDown, this, &frmDocument::txtEdit_KeyDown);
    connect(txtEdit, &CellEditBox::lostFocus, this, &frmDocument::txtEdit_LostFocus);

    // The window sees key presses before its controls, so the clipboard keys work wherever
    // the focus is.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);

    RefreshFromDocument();
    Form_Resize();
}

void frmDocument::Form_Resize()
{
    const int upH = PixelsY(PicUpTwips);
    const int downH = PixelsY(PicDownTwips);
    PicUp->setGeometry(0, 0, width(), upH);
    PicDown->setGeometry(0, std::max(upH, height() - downH), width(), downH);
    // A window lower than the two panels leaves the grids no room until it grows again.
    const QRect gridRect(0, upH, width(), std::max(0, height() - downH - upH));
    MSFlex->setGeometry(gridRect);
    MSFlexUma->setGeometry(gridRect);
    const int inset = int(std::lround(60 / TwipsPerPixelX()));
    lblStatus->setGeometry(inset, int(std::lround(60 / TwipsPerPixelY())), PicDown->width(),
                           PicDown->height());
}

void frmDocument::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmDocument::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The designed size is the outer size of the window.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        if (!sub->isMaximized() && !sub->isMinimized())
            sub->resize(DesignWidth, DesignHeight);
    }
}

void frmDocument::RefreshFromDocument()
{
    for (int i = 0; i < 2; ++i)
        SyncText(txtKazu[i], m_doc.txtKazu(i));
    SyncText(txtKoujyo, m_doc.txtKoujyo());
    SyncText(txtHaitou, m_doc.txtHaitou());
    for (int i = 0; i < 6; ++i)
        SyncText(txtTitleBox[i], m_doc.txtTitle(i));

    MSFlex->setVisible(m_doc.MSFlex.isVisible());
    MSFlex->refresh();
    MSFlexUma->refresh();
    MSFlexUma->setVisible(m_doc.MSFlexUma.isVisible());
    if (MSFlexUma->isVisibleTo(this))
        MSFlexUma->raise();
    if (isEditing())
        txtEdit->raise();
}

void frmDocument::refreshGrid()
{
    MSFlex->refresh();
}

void frmDocument::hideEditor()
{
    // Hiding the focused editor would hand the focus to the next field in the tab order.
    if (txtEdit->hasFocus() && MSFlex->isVisible())
        MSFlex->setFocus(Qt::OtherFocusReason);
    txtEdit->hide();
}

bool frmDocument::isEditing() const
{
    return txtEdit && txtEdit->isVisibleTo(this);
}

QString frmDocument::statusText() const
{
    return lblStatus->text();
}

void frmDocument::InitForm()
{
    hideEditor();
    m_doc.InitForm();
    RefreshFromDocument();
}

void frmDocument::Syukei()
{
    hideEditor();
    m_doc.Syukei();
    RefreshFromDocument();
}

void frmDocument::Umaren()
{
    hideEditor();
    if (!m_doc.Umaren()) {
        lblStatus->setText(
            QStringLiteral("馬連表は2～18頭立てのときに作れます（縦枠 %1）。出走表のままです。")
                .arg(m_doc.txtKazu(0)));
    }
    RefreshFromDocument();
}

void frmDocument::UcBtnMenu_Click(int Index)
{
    if (Index == 0)
        Umaren();
    else if (Index == 1)
        Syukei();
}

FileResult frmDocument::LoadCSV(const QString &wkFile)
{
    // A file that is not a document must not leave the window half filled.
    const OddsDocument before = m_doc;
    const FileResult result = ::LoadCSV(m_doc, wkFile, m_recent);
    hideEditor();
    if (result.ok) {
        setWindowTitle(wkFile);
    } else {
        m_doc = before;
        lblStatus->setText(
            QStringLiteral("「%1」を読み込めませんでした：%2").arg(wkFile, result.message));
    }
    RefreshFromDocument();
    return result;
}

bool frmDocument::LoadDefault()
{
    const QString path = DefaultPath(m_appFolder);
    if (!QFileInfo::exists(path))
        return false;
    return LoadCSV(path).ok;
}

FileResult frmDocument::SaveCSV(const QString &wkFile)
{
    return ::SaveCSV(m_doc, wkFile, m_recent);
}

void frmDocument::UndoStock()
{
    m_undo.UndoStock(m_doc);
}

void frmDocument::UndoBack()
{
    if (m_undo.UndoBack(m_doc))
        RefreshFromDocument();
}

Grid *frmDocument::GetFlex()
{
    if (m_doc.MSFlexUma.isVisible())
        return &m_doc.MSFlexUma;
    if (m_doc.MSFlex.isVisible())
        return &m_doc.MSFlex;
    return nullptr;
}

QString frmDocument::txtTitle(int Index) const
{
    return m_doc.txtTitle(Index);
}

void frmDocument::setTxtTitle(int Index, const QString &text)
{
    m_doc.setTxtTitle(Index, text);
    if (Index >= 0 && Index < 6)
        SyncText(txtTitleBox[Index], m_doc.txtTitle(Index));
}

void frmDocument::txtKazu_Change(int Index, const QString &text)
{
    m_doc.setTxtKazu(Index, text);
    SyncText(txtKazu[Index], m_doc.txtKazu(Index));
}

void frmDocument::txtKoujyo_Change(const QString &text)
{
    m_doc.setTxtKoujyo(text);
    SyncText(txtKoujyo, m_doc.txtKoujyo());
}

// Clipboard ------------------------------------------------------------------------------

void frmDocument::Form_KeyDown(int KeyCode, int Shift)
{
    Grid &g = m_doc.MSFlex;
    if ((KeyCode == 67 || KeyCode == 45) && Shift == 2) {
        SetClipboardText(FxGridCopyis(g, false));
    } else if (KeyCode == 88 && Shift == 2) {
        SetClipboardText(FxGridCopyis(g, true));
        refreshGrid();
    } else if ((KeyCode == 86 && Shift == 2) || (KeyCode == 45 && Shift == 1)) {
        UndoStock();
        pasteOrdered();
        refreshGrid();
    }
}

void frmDocument::pasteOrdered()
{
    // A range selected upwards or leftwards gets the text as well: paste from its top-left
    // cell, then give the selection back as the user made it.
    Grid &g = m_doc.MSFlex;
    const int row = g.row();
    const int col = g.col();
    const int rowSel = g.rowSel();
    const int colSel = g.colSel();
    g.setCurrent(std::min(row, rowSel), std::min(col, colSel));
    g.setSelection(std::max(row, rowSel), std::max(col, colSel));
    const ClipboardTexts texts = GetClipboardTexts();
    FxGridPaste(g, texts.plain, texts.rtf);
    g.setCurrent(row, col);
    g.setSelection(rowSel, colSel);
}

bool frmDocument::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const int code = GridView::VirtualKeyCode(key);
        const int shift = GridView::ShiftState(key->modifiers());
        if (!IsClipboardKey(code, shift))
            break;
        if (event->type() == QEvent::ShortcutOverride) {
            // Not claimed: a menu shortcut with these keys runs the command; without one the
            // key comes back here as a key press. Either way it acts once.
            event->ignore();
            return true;
        }
        Form_KeyDown(code, shift);
        return true;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        for (int i = 0; i < 6; ++i) {
            if (watched != txtTitleBox[i])
                continue;
            // Coming back from a menu or another program continues the same visit, but a
            // first visit that starts that way must still remember the text.
            const bool passing = IsPassingFocusChange(event);
            if (event->type() == QEvent::FocusIn) {
                if (!passing || !txtTitleBox[i]->property(TagProperty).isValid())
                    txtTitle_GotFocus(i);
            } else if (!passing) {
                txtTitle_LostFocus(i);
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Cell editor ----------------------------------------------------------------------------

void frmDocument::LostFlex()
{
    ::LostFlex(m_doc.MSFlex, m_focusRow, m_focusCol);
    refreshGrid();
}

void frmDocument::FocusFlex()
{
    ::FocusFlex(m_doc.MSFlex, &m_focusRow, &m_focusCol);
    refreshGrid();
}

void frmDocument::DeleteData(int wX1, int wY1, int wX2, int wY2)
{
    ::DeleteData(m_doc.MSFlex, wX1, wY1, wX2, wY2);
    refreshGrid();
}

void frmDocument::TxtGotFocus(QLineEdit *inTxtCtrl)
{
    if (!inTxtCtrl)
        inTxtCtrl = qobject_cast<QLineEdit *>(focusWidget());
    if (!inTxtCtrl)
        return;
    inTxtCtrl->setFocus(Qt::OtherFocusReason);
    inTxtCtrl->selectAll();
}

void frmDocument::GridEdit(int KeyAscii, int x, int y, const QString &wkStr, int Ime)
{
    Q_UNUSED(KeyAscii);
    Grid &g = m_doc.MSFlex;
    LostFlex();
    FocusFlex();
    txtEdit->setIme(Ime);
    txtEdit->setFont(MSFlex->gridFont());
    txtEdit->setText(wkStr == QLatin1String("$$$") ? g.text(g.row(), g.col()) : wkStr);
    txtEdit->setCursorPosition(int(txtEdit->text().size()));

    MSFlex->ensureVisible(g.row(), g.col());
    QRect rect = MSFlex->cellRect(g.row(), g.col());
    if (!rect.isValid())
        return;
    rect.translate(MSFlex->pos());
    if (x >= 0 && y >= 0)
        rect.moveTopLeft(QPoint(x, y));
    txtEdit->setGeometry(rect);
    txtEdit->show();
    txtEdit->raise();
    txtEdit->setFocus(Qt::OtherFocusReason);
}

void frmDocument::MSFlex_KeyDown(int KeyCode, int Shift, bool *handled)
{
    Grid &g = m_doc.MSFlex;
    if (KeyCode == 65 && Shift == 2) {
        g.setTag(QStringLiteral("-1"));
        MSFlex->setCurrentCell(0, 0);
        MSFlex->setSelectionCorner(g.rows() - 1, g.cols() - 1);
        *handled = true;
    } else if (KeyCode == 46) {
        DeleteData(g.col(), g.row(), g.colSel(), g.rowSel());
        Syukei();
        *handled = true;
    }
}

void frmDocument::MSFlex_KeyPress(const QString &text)
{
    Grid &g = m_doc.MSFlex;
    if (g.tag() == QLatin1String("-1")) {
        g.setTag(QString());
        return;
    }
    const int col = g.col();
    if (col == ColRank || col == ColOdds || col == ColPayout)
        return;
    // Enter, Escape, Backspace and Ctrl+letter would only put a control character in the cell.
    if (text.isEmpty() || text.front().unicode() < 0x20 || text.front().unicode() == 0x7f)
        return;
    GridEdit(32, -1, -1, QStringLiteral("$$$"), ImeModeForCell(g, g.row(), col));
    txtEdit->setText(text);
    txtEdit->setCursorPosition(int(text.size()));
    g.setTag(QString());
}

void frmDocument::MSFlex_DblClick()
{
    Grid &g = m_doc.MSFlex;
    const int col = g.col();
    if (col >= ColRank && col <= ColSupport)
        return;
    GridEdit(32, -1, -1, QStringLiteral("$$$"), ImeModeForCell(g, g.row(), col));
    TxtGotFocus(txtEdit);
}

void frmDocument::MSFlex_MouseDown()
{
    LostFlex();
    FocusFlex();
}

void frmDocument::MSFlex_GotFocus()
{
    LostFlex();
    FocusFlex();
}

void frmDocument::MSFlex_SelChange()
{
    LostFlex();
    FocusFlex();
    lblStatus->setText(SelectionStatus(m_doc.MSFlex));
}

void frmDocument::txtEdit_KeyDown(int KeyCode, int Shift, bool *handled)
{
    Q_UNUSED(Shift);
    Grid &g = m_doc.MSFlex;
    switch (KeyCode) {
    case 27:
        hideEditor();
        *handled = true;
        break;
    case 13:
    case 40:
        MSFlex->setFocus(Qt::OtherFocusReason);
        // The commit of Enter (recalculation included) completes before the move.
        if (KeyCode == 13)
            txtEdit_KeyPress(13);
        else
            txtEdit->hide();
        if (g.row() < g.rows() - 1) {
            MSFlex->setCurrentCell(g.row() + 1, g.col());
            MSFlex_DblClick();
        }
        *handled = true;
        break;
    case 38:
        MSFlex->setFocus(Qt::OtherFocusReason);
        txtEdit->hide();
        if (g.row() > g.fixedRows())
            MSFlex->setCurrentCell(g.row() - 1, g.col());
        *handled = true;
        break;
    default:
        break;
    }
}

void frmDocument::txtEdit_KeyPress(int KeyAscii)
{
    if (KeyAscii != 13)
        return;
    Grid &g = m_doc.MSFlex;
    txtEdit->hide();
    QString s = txtEdit->text();
    const bool changed = !TextEquals(s, g.text(g.row(), g.col()));
    if (!changed && !TextEquals(g.text(0, 0), QStringLiteral("*")))
        return;
    UndoStock();
    s = StrReplace(s);
    g.setText(g.row(), g.col(), s);
    const int row = g.row();
    const int col = g.col();
    Syukei();
    if (g.row() != row || g.col() != col)
        MSFlex->setCurrentCell(row, col);
}

void frmDocument::txtEdit_LostFocus()
{
    txtEdit->hide();
}

void frmDocument::txtTitle_GotFocus(int Index)
{
    QLineEdit *box = txtTitleBox[Index];
    box->setProperty(TagProperty, box->text());
    TxtGotFocus(box);
    // A click places the caret after the focus arrives; select again once it has.
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus())
            box->selectAll();
    });
}

void frmDocument::txtTitle_LostFocus(int Index)
{
    QLineEdit *box = txtTitleBox[Index];
    const QVariant remembered = box->property(TagProperty);
    box->setProperty(TagProperty, QVariant());
    if (remembered.isValid() && !TextEquals(remembered.toString(), box->text()))
        UndoStock();
}
