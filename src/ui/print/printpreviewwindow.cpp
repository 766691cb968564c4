#include "ui/print/printpreviewwindow.h"

#include "ui/desktop/accessiblerole.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/windowtools.h"
#include "ui/print/sheetview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <climits>

namespace {

const QString WindowName = QStringLiteral("PrintPreviewWindow");

// Toolbar metrics in pixels.
constexpr int Gap = 4;
constexpr int ButtonTop = 4;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 24;
constexpr int IndicatorWidth = 40;
constexpr int BoxWidth = 24;
constexpr int SpinnerWidth = 20;
constexpr int LabelHeight = 18;
constexpr int PanelWidth = 360;
constexpr int PanelHeight = 110;
constexpr int MaxCopies = 99;

QPointer<PrintPreviewWindow> s_instance;

// An empty box reads as its lower bound; digits beyond the int range read as the largest value.
int boxValue(const QString &text, int lower)
{
    if (text.isEmpty())
        return lower;
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok)
        return text.size() > 18 ? INT_MAX : lower;
    return int(std::clamp<qlonglong>(v, INT_MIN, INT_MAX));
}

} // namespace

PrintPreviewWindow *PrintPreviewWindow::instance()
{
    if (!s_instance)
        s_instance = new PrintPreviewWindow;
    return s_instance;
}

PrintPreviewWindow *PrintPreviewWindow::existing()
{
    return s_instance;
}

PrintPreviewWindow::PrintPreviewWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window still ends the program while the preview is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFocusPolicy(Qt::ClickFocus);

    const QFont buttonFont(QStringLiteral("ＭＳ 明朝"), 9);
    const QStringList captions = {QStringLiteral("閉じる"), QStringLiteral("ページ印刷"),
                                  QStringLiteral("全て印刷"), QStringLiteral("改ページ"),
                                  QStringLiteral("PDF保存")};
    for (int i = 0; i < CommandCount; ++i) {
        m_buttons[i] = new QPushButton(captions.at(i), this);
        m_buttons[i]->setFont(buttonFont);
        m_buttons[i]->setFocusPolicy(Qt::TabFocus);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] { runCommand(Command(i)); });
    }
    // Escape does what 閉じる does, wherever the focus is in the window.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { runCommand(Close); });
    setAccessibleRole(this, QAccessible::Window);
    auto frame = [this] {
        auto *f = new QFrame(this);
        f->setFrameShape(QFrame::Box);
        f->setFrameShadow(QFrame::Plain);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        f->lower();
        return f;
    };
    auto label = [this](const QString &text) {
        auto *l = new QLabel(text, this);
        l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        return l;
    };
    m_pageFrame = frame();
    m_pageNumber = label(QStringLiteral("99/99"));
    m_pageNumber->setAlignment(Qt::AlignCenter);
    m_pageCaption = label(QStringLiteral("ページ"));
    m_fontSizeFrame = frame();
    m_fontSizeCaption = label(QStringLiteral("フォントサイズ"));
    m_copiesFrame = frame();
    m_copiesCaption = label(QStringLiteral("部数"));

    auto numberBox = [this](const QString &text) {
        auto *box = new QLineEdit(text, this);
        box->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
        box->setInputMethodHints(Qt::ImhDigitsOnly);
        box->setAlignment(Qt::AlignRight);
        box->setTextMargins(0, 0, 0, 0);
        box->installEventFilter(this);
        return box;
    };
    auto spinner = [this](int lo, int hi, int value) {
        auto *bar = new QScrollBar(Qt::Vertical, this);
        bar->setRange(lo, hi);
        bar->setValue(value);
        // A spinner counts up with its upper arrow: the bar's steps run the other way.
        bar->setInvertedAppearance(true);
        connect(bar, &QAbstractSlider::actionTriggered, bar, [bar](int action) {
            int step = 0;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd:
                step = -bar->singleStep();
                break;
            case QAbstractSlider::SliderSingleStepSub:
                step = bar->singleStep();
                break;
            case QAbstractSlider::SliderPageStepAdd:
                step = -bar->pageStep();
                break;
            case QAbstractSlider::SliderPageStepSub:
                step = bar->pageStep();
                break;
            default:
                return;
            }
            bar->setSliderPosition(bar->value() + step);
        });
        return bar;
    };
    m_fontSizeBox = numberBox(QStringLiteral("9"));
    m_fontSizeSpinner = spinner(MinFontSize, MaxFontSize, 9);
    m_copiesBox = numberBox(QStringLiteral("1"));
    m_copiesSpinner = spinner(1, MaxCopies, 1);
    connect(m_fontSizeSpinner, &QScrollBar::valueChanged, this,
            &PrintPreviewWindow::fontSizeChanged);
    connect(m_copiesSpinner, &QScrollBar::valueChanged, this, &PrintPreviewWindow::copiesChanged);

    m_sheet = new SheetView(this);

    m_printingPanel = new QFrame(this);
    m_printingPanel->setFrameShape(QFrame::Panel);
    m_printingPanel->setFrameShadow(QFrame::Raised);
    m_printingPanel->setLineWidth(2);
    m_printingPanel->setAutoFillBackground(true);
    m_printingPanel->setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    m_printingFrame = new QFrame(m_printingPanel);
    m_printingFrame->setFrameShape(QFrame::Box);
    m_printingFrame->setFrameShadow(QFrame::Plain);
    const QFont uiFont(QStringLiteral("MS UI Gothic"), 9);
    m_printingLabel =
        new QLabel(QStringLiteral("現在、ドキュメントを印刷しています"), m_printingPanel);
    m_printingLabel->setFont(uiFont);
    m_printingLabel->setAlignment(Qt::AlignCenter);
    m_cancelButton = new QPushButton(QStringLiteral("キャンセル"), m_printingPanel);
    m_cancelButton->setFont(uiFont);
    connect(m_cancelButton, &QPushButton::clicked, this, &PrintPreviewWindow::cancelPrinting);
    m_printingPanel->hide();

    m_job.onLayoutError = [this](const QString &routine, const LayoutError &error) {
        showError(routine, error);
    };

    // 1032 x 795 pixels with the frame; the layout works on the inner area.
    resize(1024, 768);
    layOut();
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QWidget *PrintPreviewWindow::printingPanel() const
{
    return m_printingPanel;
}

QPushButton *PrintPreviewWindow::button(Command command) const
{
    return command >= 0 && command < CommandCount ? m_buttons[command] : nullptr;
}

QString PrintPreviewWindow::pageIndicatorText() const
{
    return m_pageNumber->text();
}

void PrintPreviewWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void PrintPreviewWindow::layOut()
{
    const PageGeometry before = m_job.geometry();
    m_job.readPageGeometry();
    const PageGeometry g = m_job.geometry();

    int left = Gap;
    for (QPushButton *b : m_buttons) {
        b->setGeometry(left, ButtonTop, ButtonWidth, ButtonHeight);
        left += ButtonWidth + Gap;
    }
    const int lastRight = m_buttons[CommandCount - 1]->geometry().right() + 1;
    const int labelTop = ButtonTop + (ButtonHeight - LabelHeight) / 2;

    // Wide enough for the page counter of a long print ("0001/1225"), never narrower.
    const int pages = std::max(1, layout().data[DevicePreview].pageCount);
    const int indicatorWidth =
        std::max(IndicatorWidth,
                 m_pageNumber->fontMetrics().horizontalAdvance(pageIndicator(pages, pages)) + 6);
    m_pageNumber->setGeometry(lastRight + 2 * Gap, labelTop, indicatorWidth, LabelHeight);
    const int pageLabelWidth = m_pageCaption->sizeHint().width();
    m_pageCaption->setGeometry(m_pageNumber->geometry().right() + 1 + Gap, labelTop, pageLabelWidth,
                               LabelHeight);
    m_pageFrame->setGeometry(lastRight + Gap, ButtonTop, indicatorWidth + pageLabelWidth + 16,
                             ButtonHeight);

    auto group = [&](QFrame *shape, QLabel *caption, QLineEdit *box, QScrollBar *bar, int after) {
        const int captionWidth = caption->sizeHint().width();
        caption->setGeometry(after + 2 * Gap, labelTop, captionWidth, LabelHeight);
        box->setGeometry(caption->geometry().right() + 1 + Gap, labelTop, BoxWidth, LabelHeight);
        bar->setGeometry(box->geometry().right() + 1, labelTop, SpinnerWidth, LabelHeight);
        shape->setGeometry(after + Gap, ButtonTop, captionWidth + BoxWidth + SpinnerWidth + 16,
                           ButtonHeight);
        return shape->geometry().right() + 1;
    };
    const int fontRight = group(m_fontSizeFrame, m_fontSizeCaption, m_fontSizeBox,
                                m_fontSizeSpinner, m_pageFrame->geometry().right() + 1);
    group(m_copiesFrame, m_copiesCaption, m_copiesBox, m_copiesSpinner, fontRight);

    const int sheetTop = 2 * Gap + ButtonHeight;
    m_sheet->setGeometry(0, sheetTop, width(), std::max(0, height() - sheetTop));
    m_sheet->layOut(g);

    m_printingPanel->setGeometry((width() - PanelWidth) / 2, (height() - PanelHeight) / 2,
                                 PanelWidth, PanelHeight);
    const int inner = m_printingPanel->frameWidth();
    m_printingFrame->setGeometry(Gap, Gap, PanelWidth - 2 * inner - 2 * Gap - 2,
                                 PanelHeight - 2 * inner - 2 * Gap - 2);
    m_printingLabel->setGeometry(2 * Gap, 3 * Gap, PanelWidth - 4 * Gap, 24);
    m_cancelButton->setGeometry((PanelWidth - 100) / 2, PanelHeight - 3 * Gap - 28, 100, 28);
    m_printingPanel->raise();

    // A printer that appeared or went away changes the sheet: draw the page again on it.
    if (layout().grid && (before.printableWidth != g.printableWidth ||
                          before.printableHeight != g.printableHeight)) {
        showPage(layout().data[DevicePreview].currentPage);
    }
    if (isVisible())
        setFocus();
}

bool PrintPreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && (box == m_fontSizeBox || box == m_copiesBox)) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                numberBoxDone(box);
                return true;
            }
            const QString text = key->text();
            const bool character = !text.isEmpty() && text.at(0).isPrint();
            if (character && !(text.size() == 1 && text.at(0) >= QLatin1Char('0') &&
                               text.at(0) <= QLatin1Char('9')))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            numberBoxDone(box);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PrintPreviewWindow::numberBoxDone(QLineEdit *box)
{
    const bool copies = box == m_copiesBox;
    const int lower = copies ? 1 : MinFontSize;
    const int upper = copies ? MaxCopies : MaxFontSize;
    QScrollBar *bar = copies ? m_copiesSpinner : m_fontSizeSpinner;
    const int value = boxValue(box->text(), lower);
    if (value < lower || box->text().isEmpty()) {
        box->setText(QString::number(lower));
        bar->setValue(lower);
    } else if (value > upper) {
        box->setText(QString::number(upper));
        bar->setValue(upper);
    } else {
        bar->setValue(value);
    }
}

void PrintPreviewWindow::fontSizeChanged(int value)
{
    m_fontSizeBox->setText(QString::number(value));
    for (PrintData &d : layout().data)
        d.fontSize = value;
    // The entry draws its first page itself once everything is set.
    if (!m_entering && layout().grid)
        showPage(layout().data[DevicePreview].currentPage);
}

void PrintPreviewWindow::copiesChanged(int value)
{
    m_copiesBox->setText(value > 0 ? QString::number(value) : QStringLiteral("1"));
}

void PrintPreviewWindow::showTable(Grid *grid, const QString &title, int fontSize,
                                   QObject *gridOwner)
{
    const QScopedValueRollback<bool> table(m_tableOptions, true);
    showGrid(grid, title, fontSize, true, false, false, gridOwner);
}

void PrintPreviewWindow::showGrid(Grid *grid, const QString &title, int fontSize,
                                  bool reflectFontColor, bool reverseFontColor, bool changeRowColor,
                                  QObject *gridOwner)
{
    if (m_job.printing())
        return;
    if (m_gridOwner)
        disconnect(m_gridOwner, nullptr, this, nullptr);
    m_gridOwner = gridOwner;
    if (gridOwner)
        connect(gridOwner, &QObject::destroyed, this, [this] {
            layout().grid = nullptr;
            close();
        });
    m_entering = true;
    const int size =
        layout().setup(grid, title, fontSize, reflectFontColor, reverseFontColor, changeRowColor);
    layout().headerRows = m_tableOptions ? grid->fixedRows() : 0;
    layout().cellBackgrounds = m_tableOptions;
    m_fontSizeSpinner->setValue(size);
    m_fontSizeBox->setText(QString::number(size));
    setWindowTitle(plainTitle(title) + QStringLiteral(" の印刷"));
    m_entering = false;
    if (!isVisible()) {
        // Over the window that asked, and all of it on the screen, however small that is.
        fitIntoScreen(this, QApplication::activeWindow());
        fitIntoScreenWhenShown(this);
        show();
    }
    showPage(1);
}

void PrintPreviewWindow::showPage(int page)
{
    m_job.paginate();
    page = layout().validPage(page, DevicePreview);
    m_pageNumber->setText(pageIndicator(page, layout().data[DevicePreview].pageCount));
    if (m_pageNumber->fontMetrics().horizontalAdvance(m_pageNumber->text()) + 6 >
        m_pageNumber->width())
        layOut();

    const PageGeometry g = m_job.geometry();
    const double tppX = twipsPerPixelX();
    const double tppY = twipsPerPixelY();
    const QSize size(roundEven(g.printableWidth / tppX), roundEven(g.printableHeight / tppY));
    QImage &image = m_sheet->image();
    if (image.size() != size)
        image = QImage(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    setCursor(Qt::WaitCursor);
    m_job.drawPreview(image, page, tppX, tppY);
    m_sheet->showImage();
    unsetCursor();
}

void PrintPreviewWindow::setPrinting(bool printing)
{
    m_job.setPrinting(printing);
    for (QPushButton *b : m_buttons)
        b->setEnabled(!printing);
    m_fontSizeBox->setEnabled(!printing);
    m_fontSizeSpinner->setEnabled(!printing);
    m_copiesBox->setEnabled(!printing);
    m_copiesSpinner->setEnabled(!printing);
    m_printingPanel->setVisible(printing);
    if (printing) {
        m_printingPanel->repaint();
        m_sheet->panel()->repaint();
    }
}

void PrintPreviewWindow::runCommand(Command command)
{
    if (m_job.printing())
        return;
    switch (command) {
    case Close:
        close();
        return;
    case PrintCurrentPage:
    case PrintAllPages:
        printPages(command);
        return;
    case NextPage: {
        PrintData &d = layout().data[DevicePreview];
        if (d.currentPage + 1 > d.pageCount)
            d.currentPage = 0;
        showPage(d.currentPage + 1);
        return;
    }
    case SavePdf:
        savePdf();
        return;
    case CommandCount:
        return;
    }
}

void PrintPreviewWindow::printPages(Command command)
{
    const QString routine = QStringLiteral("cmdMenu_Click");
    if (!layout().grid)
        return;
    if (!m_job.ensurePrinter()) {
        showError(routine,
                  {PrinterErrorNumber, QStringLiteral("使用できるプリンターがありません")});
        return;
    }
    m_job.paginate();
    m_cancelRequested = false;
    setPrinting(true);
    // The printer paginates by its own metrics: its pages are the ones to print.
    const int printerPages = layout().data[DevicePrinter].pageCount;
    int first = 1;
    int last = printerPages;
    if (command == PrintCurrentPage) {
        first = std::clamp(layout().data[DevicePreview].currentPage, 1, printerPages);
        last = first;
    }
    const int copies = std::clamp(boxValue(m_copiesBox->text(), 1), 1, MaxCopies);
    // Lets the cancel button be pressed between pages.
    auto beforeSend = [this] {
        repaint();
        QCoreApplication::processEvents();
        return m_cancelRequested;
    };
    LayoutError error;
    bool ok = true;
    for (int page = first; page <= last && ok; ++page) {
        if (!layout().grid)
            break;
        ok = m_job.printPage(page, copies, beforeSend, &error);
    }
    setPrinting(false);
    if (!ok)
        showError(routine, error);
    if (m_closePending)
        close();
}

void PrintPreviewWindow::savePdf()
{
    if (!layout().grid)
        return;
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("PDF保存");
    request.filters = {QStringLiteral("PDF"), QStringLiteral("*.pdf")};
    QString fileName = runFileDialog(this, request);
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    if (LayoutError e = m_job.savePdf(fileName); !e.ok())
        showError(QStringLiteral("cmdMenu_Click"), e);
}

void PrintPreviewWindow::cancelPrinting()
{
    m_cancelRequested = true;
}

void PrintPreviewWindow::showError(const QString &routine, const LayoutError &error)
{
    MessageBoxRequest request;
    request.title = routine + QLatin1Char('(') + WindowName + QLatin1Char(')');
    request.text = QStringLiteral("エラー番号：") + QString::number(error.number) +
                   QLatin1Char('\n') + QStringLiteral("エラー内容：") + error.description;
    request.icon = MsgIcon::Warning;
    request.stayOnTop = true;
    showMessageBox(this, request);
}

void PrintPreviewWindow::releaseGrid()
{
    layout().grid = nullptr;
    layout().title.clear();
    if (m_gridOwner)
        disconnect(m_gridOwner, nullptr, this, nullptr);
    m_gridOwner = nullptr;
}

void PrintPreviewWindow::closeEvent(QCloseEvent *event)
{
    // Pages in progress still hold the printer: stop them, close when they are done.
    if (m_job.printing()) {
        m_cancelRequested = true;
        m_closePending = true;
        event->ignore();
        return;
    }
    releaseGrid();
    event->accept();
}
