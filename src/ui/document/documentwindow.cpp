#include "ui/document/documentwindow.h"

#include "core/file/fieldnames.h"
#include "core/text/datetext.h"
#include "core/text/textcompare.h"
#include "ui/controls/skinbutton.h"
#include "ui/controls/skinimage.h"
#include "ui/desktop/accessiblerole.h"
#include "ui/desktop/fonts.h"
#include "ui/desktop/keymapping.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/document/celleditor.h"
#include "ui/document/fieldtextvalidator.h"
#include "ui/grid/gridview.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
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

// Menus and switching programs move the focus away only for a moment.
bool isPassingFocusChange(const QEvent *event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

void syncText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

int pixelsY(int twips)
{
    return int(std::lround(twips / twipsPerPixelY()));
}

const char *const TagProperty = "Tag";

} // namespace

DocumentWindow::DocumentWindow(const QString &appFolder, QWidget *parent)
    : QWidget(parent), m_appFolder(appFolder)
{
    buildWidgets();
}

DocumentWindow::~DocumentWindow()
{
    // The document goes before the child widgets do: their last focus changes and the views'
    // grid pointers must not reach it.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        child->removeEventFilter(this);
        child->disconnect(this);
    }
    runnerTable->setGrid(nullptr);
    quinellaMatrix->setGrid(nullptr);
}

bool DocumentWindow::isDocumentWindow(const QWidget *widget)
{
    return qobject_cast<const DocumentWindow *>(widget) != nullptr;
}

DocumentWindow *DocumentWindow::fromWidget(QWidget *widget)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(widget))
        widget = sub->widget();
    return qobject_cast<DocumentWindow *>(widget);
}

void DocumentWindow::buildWidgets()
{
    setObjectName(QStringLiteral("DocumentWindow"));
    resize(DesignWidth, DesignHeight);

    m_doc.twipsPerPixelX = twipsPerPixelX();
    m_doc.twipsPerPixelY = twipsPerPixelY();
    m_measurer = std::make_unique<FontMeasurer>(defaultFontFamily());
    m_doc.setMeasurer(m_measurer.get());
    m_doc.setTitleText(1, formatDate(QDate::currentDate(), QStringLiteral("yyyy年mm月dd日(aaa)")));

    // Grids first, so the header panel and the editor lie in front of them.
    runnerTable = new GridView(this);
    runnerTable->setObjectName(QStringLiteral("runnerTable"));
    runnerTable->setGrid(&m_doc.runnerTable);
    quinellaMatrix = new GridView(this);
    quinellaMatrix->setObjectName(QStringLiteral("quinellaMatrix"));
    quinellaMatrix->setGrid(&m_doc.quinellaMatrix);
    quinellaMatrix->hide();

    headerPanel = new QWidget(this);
    headerPanel->setObjectName(QStringLiteral("headerPanel"));
    headerPanel->setAutoFillBackground(true);
    QFont headerFont(defaultFontFamily());
    // 18 pixels high: 13 points at 96 dpi.
    headerFont.setPointSize(int(18 * twipsPerPixelY() / 20));
    // A larger system font enlarges the header as it does the grid.
    if (font().pointSizeF() > GridView::DesignFontPoints)
        headerFont.setPointSizeF(headerFont.pointSizeF() * font().pointSizeF() /
                                 GridView::DesignFontPoints);

    const QString captions[4] = {QStringLiteral("縦枠"), QStringLiteral("横枠"),
                                 QStringLiteral("控除"), QStringLiteral("投票金")};
    for (int i = 0; i < 4; ++i) {
        fieldLabels[i] = new QLabel(captions[i], headerPanel);
        fieldLabels[i]->setObjectName(QStringLiteral("fieldLabels%1").arg(i));
        fieldLabels[i]->setFont(headerFont);
    }
    auto makeEdit = [&](const QString &name, bool numbers = false) {
        auto *edit = new InputModeEdit(headerPanel);
        edit->setObjectName(name);
        edit->setFont(headerFont);
        edit->setValidator(new FieldTextValidator(numbers, edit));
        if (numbers)
            edit->setIme(ImeDisabled);
        return edit;
    };
    for (int i = 0; i < 2; ++i) {
        countBoxes[i] = makeEdit(QStringLiteral("countBoxes%1").arg(i), true);
        fieldLabels[i]->setBuddy(countBoxes[i]);
        connect(countBoxes[i], &QLineEdit::textEdited, this,
                [this, i](const QString &text) { countBoxEdited(i, text); });
        connect(countBoxes[i], &QLineEdit::returnPressed, this, &DocumentWindow::confirmCounts);
    }
    for (int i = 0; i < 6; ++i) {
        titleBoxes[i] = makeEdit(QStringLiteral("titleBoxes%1").arg(i));
        titleLabels[i] = new QLabel(titleFieldCaption(i), headerPanel);
        titleLabels[i]->setObjectName(QStringLiteral("titleLabels%1").arg(i));
        titleLabels[i]->setBuddy(titleBoxes[i]);
        connect(titleBoxes[i], &QLineEdit::textEdited, this, [this, i](const QString &text) {
            m_doc.setTitleText(i, text);
            markChanged();
            if (i == 5) { // the analysis follows the result
                checkResultField();
                Q_EMIT contentsChanged();
            }
        });
    }
    payoutRatioBox = makeEdit(QStringLiteral("payoutRatioBox"), true);
    fieldLabels[2]->setBuddy(payoutRatioBox);
    connect(payoutRatioBox, &QLineEdit::textEdited, this, &DocumentWindow::markChanged);
    connect(payoutRatioBox, &QLineEdit::returnPressed, this, [this] {
        confirmPayoutRatio();
        recalculate();
    });
    poolBox = makeEdit(QStringLiteral("poolBox"), true);
    fieldLabels[3]->setBuddy(poolBox);
    connect(poolBox, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_doc.setPoolText(text);
        markChanged();
    });

    const QString buttonCaptions[2] = {QStringLiteral("馬連"), QStringLiteral("集計")};
    const QPixmap &skin = SkinImage::get()->buttonSkin();
    for (int k = 0; k < 2; ++k) {
        commandButtons[k] = new SkinButton(headerPanel);
        commandButtons[k]->setObjectName(QStringLiteral("commandButtons%1").arg(k));
        commandButtons[k]->setButton(skin, buttonCaptions[k], 0, 0, 64, 50, 6, 0, 20, true, false,
                                     790 + k * 64, 0, 64, 50);
        commandButtons[k]->setKeyboardUse(true);
        connect(commandButtons[k], &SkinButton::click, this,
                [this, k] { commandButtonClicked(k); });
    }

    statusPanel = new QWidget(this);
    statusPanel->setObjectName(QStringLiteral("statusPanel"));
    statusPanel->setAutoFillBackground(true);
    statusLine = new QLabel(QStringLiteral("ステータス"), statusPanel);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Read out as the window's status bar; the label's text changes are announced with it.
    setAccessibleRole(statusPanel, QAccessible::StatusBar);
    statusPanel->setAccessibleName(QStringLiteral("ステータス"));
    runnerTable->setAccessibleName(QStringLiteral("出走表"));
    quinellaMatrix->setAccessibleName(QStringLiteral("馬連表"));
    // The header row names the columns, the runner number the rows; in the matrix a pair
    // names the estimate beside it.
    runnerTable->setAccessibleHeaders(HeaderRow, [](int, int) { return int(ColNumber); });
    quinellaMatrix->setAccessibleHeaders(-1, [this](int row, int col) {
        return col > 0 && m_doc.quinellaMatrix.text(row, col - 1).contains(QLatin1Char('-'))
                   ? col - 1
                   : -1;
    });
    quinellaMatrix->setCellDescription([this](int row, int col) {
        const QString pair = col > 0 ? m_doc.quinellaMatrix.text(row, col - 1) : QString();
        return pair.contains(QLatin1Char('-')) ? QStringLiteral("馬連 %1").arg(pair) : QString();
    });
    runnerTable->setCellDescription([this](int row, int col) {
        const Grid &g = m_doc.runnerTable;
        if (row <= HeaderRow || col == ColNumber)
            return QString();
        return QStringLiteral("%1番 %2").arg(g.text(row, ColNumber), g.text(HeaderRow, col));
    });

    cellEditor = new CellEditBox(this);
    cellEditor->setAccessibleName(QStringLiteral("セルの編集"));
    cellEditor->hide();

    connect(runnerTable, &GridView::keyDown, this, &DocumentWindow::gridKeyDown);
    connect(quinellaMatrix, &GridView::keyDown, this, &DocumentWindow::gridKeyDown);
    connect(runnerTable, &GridView::keyPress, this, &DocumentWindow::gridKeyPress);
    connect(runnerTable, &GridView::inputMethod, this, &DocumentWindow::gridInputMethod);
    // Numbers are typed with the input method off; nothing is typed in the computed columns
    // or the quinella matrix.
    runnerTable->setInputMethodRule([this](int row, int col) {
        return col != ColRank && col != ColOdds && col != ColPayout &&
               imeModeForCell(m_doc.runnerTable, row, col) == ImeFree;
    });
    quinellaMatrix->setInputMethodRule([](int, int) { return false; });
    connect(runnerTable, &GridView::doubleClicked, this, &DocumentWindow::gridDoubleClicked);
    connect(runnerTable, &GridView::mouseDown, this, &DocumentWindow::gridMouseDown);
    connect(runnerTable, &GridView::gotFocus, this, &DocumentWindow::gridGotFocus);
    connect(runnerTable, &GridView::selChange, this, &DocumentWindow::gridSelectionChanged);
    connect(cellEditor, &CellEditBox::keyDown, this, &DocumentWindow::editorKeyDown);
    connect(cellEditor, &CellEditBox::lostFocus, this, &DocumentWindow::editorLostFocus);
    connect(cellEditor, &CellEditBox::compositionChanged, this,
            &DocumentWindow::editorCompositionChanged);

    // The window sees key presses before its controls, so the clipboard keys reach the edit
    // commands wherever the focus is.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);

    refreshFromDocument();
    layoutWidgets();
}

int DocumentWindow::layoutHeader()
{
    // The designed places, grown with the fonts: the counts, the title boxes in two rows of
    // three with their captions above, the payout ratio and pool, then the two buttons.
    const int rowH = std::max(24, QFontMetrics(countBoxes[0]->font()).height() + 6);
    const int capH = QFontMetrics(titleLabels[0]->font()).height();
    const int numberW = std::max(
        50, QFontMetrics(countBoxes[0]->font()).horizontalAdvance(QStringLiteral("000")) + 14);
    const int titleW = std::max(180, QFontMetrics(titleBoxes[0]->font()).averageCharWidth() * 14);
    const int poolW = 2 * numberW;
    const int buttonW = commandButtons[0]->width();
    const int buttonH = commandButtons[0]->height();
    for (int i = 0; i < 2; ++i) {
        fieldLabels[i]->setGeometry(i * numberW, 0, numberW, rowH);
        countBoxes[i]->setGeometry(i * numberW, rowH, numberW, rowH);
    }
    int x = 2 * numberW;
    for (int i = 0; i < 6; ++i) {
        const int left = x + (i % 3) * titleW;
        const int top = (i / 3) * (capH + rowH);
        titleLabels[i]->setGeometry(left + 2, top, titleW - 2, capH);
        titleBoxes[i]->setGeometry(left, top + capH, titleW, rowH);
    }
    const int titlesH = 2 * (capH + rowH);
    x += 3 * titleW;
    int y = 0;
    // The right-hand group goes on a line of its own when it would leave the window.
    const int groupW = numberW + poolW + 2 * buttonW;
    if (x + groupW > width() && width() > 0) {
        x = 0;
        y = titlesH + 2;
    }
    fieldLabels[2]->setGeometry(x, y, numberW, rowH);
    payoutRatioBox->setGeometry(x, y + rowH, numberW, rowH);
    fieldLabels[3]->setGeometry(x + numberW, y, poolW, rowH);
    poolBox->setGeometry(x + numberW, y + rowH, poolW, rowH);
    for (int k = 0; k < 2; ++k)
        commandButtons[k]->move(x + numberW + poolW + k * buttonW, y);
    return std::max({titlesH, y + 2 * rowH, y + buttonH}) + 2;
}

void DocumentWindow::layoutWidgets()
{
    const int upH = std::max(pixelsY(PicUpTwips), layoutHeader());
    const int downH =
        std::max(pixelsY(PicDownTwips), QFontMetrics(statusLine->font()).height() + 6);
    headerPanel->setGeometry(0, 0, width(), upH);
    statusPanel->setGeometry(0, std::max(upH, height() - downH), width(), downH);
    // A window lower than the two panels leaves the grids no room until it grows again.
    const QRect gridRect(0, upH, width(), std::max(0, height() - downH - upH));
    runnerTable->setGeometry(gridRect);
    quinellaMatrix->setGeometry(gridRect);
    const int inset = int(std::lround(60 / twipsPerPixelX()));
    statusLine->setGeometry(inset, int(std::lround(60 / twipsPerPixelY())), statusPanel->width(),
                            statusPanel->height());
}

void DocumentWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWidgets();
}

void DocumentWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The designed size is the outer size of the window.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        // No larger than the area shows (a large scale): the header wraps instead.
        QSize size(DesignWidth, DesignHeight);
        const QSize room = sub->mdiArea() ? sub->mdiArea()->viewport()->size() : QSize();
        if (room.width() >= DesignWidth / 4 && room.height() >= DesignHeight / 4)
            size = size.boundedTo(room);
        if (!sub->isMaximized() && !sub->isMinimized())
            sub->resize(size);
    }
}

void DocumentWindow::refreshFromDocument()
{
    for (int i = 0; i < 2; ++i)
        syncText(countBoxes[i], m_doc.countText(i));
    syncText(payoutRatioBox, m_doc.payoutRatioText());
    syncText(poolBox, m_doc.poolText());
    for (int i = 0; i < 6; ++i)
        syncText(titleBoxes[i], m_doc.titleText(i));

    runnerTable->setVisible(true);
    runnerTable->refresh();
    quinellaMatrix->refresh();
    // The keyboard follows the table in front (before a focused matrix hides, so that the focus
    // does not pass through the next control on its way).
    const bool gridFocused = runnerTable->hasFocus() || quinellaMatrix->hasFocus();
    if (gridFocused && !m_doc.quinellaVisible())
        runnerTable->setFocus(Qt::OtherFocusReason);
    quinellaMatrix->setVisible(m_doc.quinellaVisible());
    if (gridFocused && m_doc.quinellaVisible())
        quinellaMatrix->setFocus(Qt::OtherFocusReason);
    if (quinellaMatrix->isVisibleTo(this))
        quinellaMatrix->raise();
    if (isEditing())
        cellEditor->raise();
    checkResultField();
    Q_EMIT contentsChanged();
}

void DocumentWindow::refreshGrid()
{
    runnerTable->refresh();
    Q_EMIT contentsChanged();
}

void DocumentWindow::hideEditor()
{
    // Hiding the focused editor would hand the focus to the next field in the tab order.
    if (cellEditor->hasFocus() && runnerTable->isVisible())
        runnerTable->setFocus(Qt::OtherFocusReason);
    cellEditor->hide();
}

bool DocumentWindow::isEditing() const
{
    return cellEditor && cellEditor->isVisibleTo(this);
}

QString DocumentWindow::statusText() const
{
    return statusLine->text();
}

void DocumentWindow::refreshStatus()
{
    statusLine->setText(selectionStatus(m_doc.runnerTable));
}

void DocumentWindow::markChanged()
{
    if (m_doc.isChanged())
        return;
    m_doc.setChanged(true);
    updateCaption();
}

void DocumentWindow::updateCaption()
{
    setWindowTitle(m_doc.displayCaption());
}

void DocumentWindow::closeEvent(QCloseEvent *event)
{
    if (closeGuard && !closeGuard(*this)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void DocumentWindow::startFresh(int untitledNumber)
{
    m_doc.startFresh(untitledNumber, QDate::currentDate(), [this] { loadTemplate(); });
    hideEditor();
    refreshFromDocument();
    updateCaption();
}

void DocumentWindow::buildTable()
{
    hideEditor();
    m_doc.buildTable();
    refreshFromDocument();
}

void DocumentWindow::confirmCounts()
{
    // The snapshot holds the counts the table is built for, with that table.
    if (m_doc.countsChangeShape())
        pushUndo();
    buildTable();
}

void DocumentWindow::recalculate()
{
    hideEditor();
    m_doc.recalculate();
    refreshFromDocument();
}

void DocumentWindow::estimateQuinella()
{
    hideEditor();
    if (!m_doc.estimateQuinella()) {
        statusLine->setText(
            QStringLiteral("馬連表は2～18頭立てのときに作れます（縦枠 %1）。出走表のままです。")
                .arg(m_doc.countText(0)));
    }
    refreshFromDocument();
}

void DocumentWindow::commandButtonClicked(int index)
{
    if (index == 0)
        estimateQuinella();
    else if (index == 1)
        recalculate();
}

FileResult DocumentWindow::loadDocument(const QString &path)
{
    // A file that is not a document must not leave the window half filled.
    const OddsDocument before = m_doc;
    const FileResult result = ::loadDocument(m_doc, path);
    hideEditor();
    if (result.ok) {
        m_doc.setFilePath(path);
        m_doc.setChanged(false);
        // Widths follow the file's texts, not the defaults the table was built with.
        m_doc.fitColumnWidths();
        updateCaption();
    } else {
        m_doc = before;
        statusLine->setText(
            QStringLiteral("「%1」を読み込めませんでした：%2").arg(path, result.message));
    }
    refreshFromDocument();
    return result;
}

bool DocumentWindow::loadTemplate()
{
    const QString path = defaultPath(m_appFolder);
    if (!QFileInfo::exists(path))
        return false;
    return loadDocument(path).ok;
}

FileResult DocumentWindow::saveDocument(const QString &path)
{
    commitOpenEditor();
    confirmPayoutRatio();
    const FileResult result = ::saveDocument(m_doc, path);
    if (result.ok && !m_doc.isUntitled() && path == m_doc.filePath()) {
        m_doc.setChanged(false);
        updateCaption();
    }
    return result;
}

FileResult DocumentWindow::saveDocumentAs(const QString &path)
{
    const FileResult result = saveDocument(path);
    if (result.ok) {
        m_doc.setFilePath(path);
        m_doc.setChanged(false);
        updateCaption();
    }
    return result;
}

void DocumentWindow::pushUndo()
{
    // The header highlight follows the cursor, not the document: snapshots go without it.
    Grid &g = m_doc.runnerTable;
    const Color rowHeader = g.cellBackColor(m_focusRow, ColNumber);
    const Color colHeader = g.cellBackColor(HeaderRow, m_focusCol);
    ::leaveEditor(g, m_focusRow, m_focusCol);
    m_undo.pushUndo(m_doc);
    g.setCellBackColor(HeaderRow, m_focusCol, colHeader);
    g.setCellBackColor(m_focusRow, ColNumber, rowHeader);
    markChanged();
}

void DocumentWindow::undo()
{
    if (!m_undo.undo(m_doc))
        return;
    markChanged();
    ::focusGrid(m_doc.runnerTable, &m_focusRow, &m_focusCol);
    refreshFromDocument();
    refreshStatus();
}

Grid *DocumentWindow::gridInView()
{
    return m_doc.quinellaVisible() ? &m_doc.quinellaMatrix : &m_doc.runnerTable;
}

QString DocumentWindow::titleText(int index) const
{
    return m_doc.titleText(index);
}

void DocumentWindow::setTitleText(int index, const QString &text)
{
    m_doc.setTitleText(index, text);
    if (index >= 0 && index < 6)
        syncText(titleBoxes[index], m_doc.titleText(index));
}

void DocumentWindow::countBoxEdited(int index, const QString &text)
{
    m_doc.setCountText(index, text);
    syncText(countBoxes[index], m_doc.countText(index));
    markChanged();
}

void DocumentWindow::confirmPayoutRatio()
{
    m_doc.setPayoutRatioText(payoutRatioBox->text());
    syncText(payoutRatioBox, m_doc.payoutRatioText());
}

bool DocumentWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const KeyCommand command = clipboardCommand(
            static_cast<QKeyEvent *>(event)->keyCombination(), watched == focusedTextField());
        if (command == KeyCommand::None)
            break;
        if (event->type() == QEvent::ShortcutOverride) {
            // Not claimed: a menu shortcut with these keys runs the command; without one the
            // key comes back here as a key press. Either way it acts once.
            event->ignore();
            return true;
        }
        runCommand(command);
        return true;
    }
    case QEvent::Hide:
        if (watched == cellEditor)
            endComposition();
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // Leaving the grid in the middle of a composition types nothing, neither here nor in
        // the control the focus goes to (an input method may carry the reading along).
        if (watched == runnerTable && event->type() == QEvent::FocusOut &&
            !isPassingFocusChange(event))
            dropComposition();
        if (watched == payoutRatioBox && event->type() == QEvent::FocusOut)
            confirmPayoutRatio();
        for (int i = 0; i < 6; ++i) {
            if (watched != titleBoxes[i])
                continue;
            // Coming back from a menu or another program continues the same visit, but a
            // first visit that starts that way must still remember the text.
            const bool passing = isPassingFocusChange(event);
            if (event->type() == QEvent::FocusIn) {
                if (!passing || !titleBoxes[i]->property(TagProperty).isValid())
                    titleBoxGotFocus(i);
            } else if (!passing) {
                titleBoxLostFocus(i);
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentWindow::titleBoxGotFocus(int index)
{
    QLineEdit *box = titleBoxes[index];
    box->setProperty(TagProperty, box->text());
    selectFieldText(box);
    // A click places the caret after the focus arrives; select again once it has.
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus())
            box->selectAll();
    });
}

void DocumentWindow::titleBoxLostFocus(int index)
{
    QLineEdit *box = titleBoxes[index];
    const QVariant remembered = box->property(TagProperty);
    box->setProperty(TagProperty, QVariant());
    if (remembered.isValid() && !textEquals(remembered.toString(), box->text()))
        pushUndo();
}
