#include "ui/print/printpreviewwindow.h"

#include "ui/desktop/screenmetrics.h"
#include "ui/print/paintersurface.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSaveFile>
#include <QScrollBar>
#include <climits>
#include <cmath>

std::function<QString(QWidget *, const QString &, const QString &)>
    PrintPreviewWindow::saveFileNameHook;
std::function<void(const QString &, const QString &)> PrintPreviewWindow::messageBoxHook;
bool PrintPreviewWindow::ignorePrinters = false;

namespace {

const QString WindowName = QStringLiteral("PrintPreviewWindow");
const QString NoPrinterText = QStringLiteral("使用できるプリンターがありません");

// Toolbar metrics in pixels.
constexpr int Gap = 4;
constexpr int ButtonTop = 4;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 24;
constexpr int IndicatorWidth = 40;
constexpr int BoxWidth = 24;
constexpr int SpinnerWidth = 20;
constexpr int LabelHeight = 18;
constexpr int ScrollBarSize = 20;
constexpr int PanelWidth = 360;
constexpr int PanelHeight = 110;

QPointer<PrintPreviewWindow> s_instance;

int clamp16(qint64 v)
{
    return int(std::clamp<qint64>(v, SHRT_MIN, SHRT_MAX));
}

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

QPrinterInfo defaultPrinterInfo()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
        if (!all.isEmpty())
            info = all.first();
    }
    return info;
}

} // namespace

// The dark back panel: the viewport of the sheet and the target of the drag.
class PreviewBack : public QWidget
{
public:
    explicit PreviewBack(PrintPreviewWindow *owner) : QWidget(owner), m_owner(owner)
    {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(64, 64, 64));
        setPalette(p);
        setMouseTracking(true);
        setCursor(Qt::OpenHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        m_owner->picBack_MouseDown(e->button(), toTwips(e->position()));
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        m_owner->picBack_MouseMove(e->buttons(), toTwips(e->position()));
    }
    void mouseReleaseEvent(QMouseEvent *) override { setCursor(Qt::OpenHandCursor); }

private:
    QPoint toTwips(QPointF px) const
    {
        return QPoint(RoundEven(px.x() * TwipsPerPixelX()), RoundEven(px.y() * TwipsPerPixelY()));
    }
    PrintPreviewWindow *m_owner;
};

// The printable area: shows the picture the layout drew.
class PreviewView : public QWidget
{
public:
    explicit PreviewView(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage image;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (image.isNull())
            p.fillRect(rect(), Qt::white);
        else
            p.drawImage(0, 0, image);
    }
};

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
    m_tppX = TwipsPerPixelX();
    m_tppY = TwipsPerPixelY();

    const QFont buttonFont(QStringLiteral("ＭＳ 明朝"), 9);
    const QStringList captions = {QStringLiteral("閉じる"), QStringLiteral("ページ印刷"),
                                  QStringLiteral("全て印刷"), QStringLiteral("改ページ"),
                                  QStringLiteral("PDF保存")};
    for (int i = 0; i < 5; ++i) {
        m_cmdMenu[i] = new QPushButton(captions.at(i), this);
        m_cmdMenu[i]->setFont(buttonFont);
        m_cmdMenu[i]->setFocusPolicy(Qt::TabFocus);
        connect(m_cmdMenu[i], &QPushButton::clicked, this, [this, i] { cmdMenu_Click(i); });
    }
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
    m_shpPage = frame();
    m_lblPageNo = label(QStringLiteral("99/99"));
    m_lblPageNo->setAlignment(Qt::AlignCenter);
    m_lblPage = label(QStringLiteral("ページ"));
    m_shpFontSize = frame();
    m_lblFontSize = label(QStringLiteral("フォントサイズ"));
    m_shpCopies = frame();
    m_lblCopies = label(QStringLiteral("部数"));

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
    m_txtFontSize = numberBox(QStringLiteral("9"));
    m_scrFontSize = spinner(MinFontSize, MaxFontSize, 9);
    m_txtCopies = numberBox(QStringLiteral("1"));
    m_scrCopies = spinner(1, 99, 1);
    connect(m_scrFontSize, &QScrollBar::valueChanged, this,
            &PrintPreviewWindow::scrFontSize_Change);
    connect(m_scrCopies, &QScrollBar::valueChanged, this, &PrintPreviewWindow::scrCopies_Change);

    m_picBack = new PreviewBack(this);
    m_picPaper = new QWidget(m_picBack);
    m_picPaper->setAutoFillBackground(true);
    QPalette paper = m_picPaper->palette();
    paper.setColor(QPalette::Window, QColor(224, 224, 224));
    m_picPaper->setPalette(paper);
    m_picPaper->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picView = new PreviewView(m_picPaper);

    m_scrX = new QScrollBar(Qt::Horizontal, this);
    m_scrY = new QScrollBar(Qt::Vertical, this);
    connect(m_scrX, &QScrollBar::valueChanged, this, &PrintPreviewWindow::ScrX_Change);
    connect(m_scrY, &QScrollBar::valueChanged, this, &PrintPreviewWindow::ScrY_Change);
    m_imgCorner = new QWidget(this);
    m_imgCorner->setAutoFillBackground(true);

    m_picPrinting = new QFrame(this);
    m_picPrinting->setFrameShape(QFrame::Panel);
    m_picPrinting->setFrameShadow(QFrame::Raised);
    m_picPrinting->setLineWidth(2);
    m_picPrinting->setAutoFillBackground(true);
    m_picPrinting->setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    m_shpPrinting = new QFrame(m_picPrinting);
    m_shpPrinting->setFrameShape(QFrame::Box);
    m_shpPrinting->setFrameShadow(QFrame::Plain);
    const QFont uiFont(QStringLiteral("MS UI Gothic"), 9);
    m_lblPrinting = new QLabel(QStringLiteral("現在、ドキュメントを印刷しています"), m_picPrinting);
    m_lblPrinting->setFont(uiFont);
    m_lblPrinting->setAlignment(Qt::AlignCenter);
    m_cmdCancel = new QPushButton(QStringLiteral("キャンセル"), m_picPrinting);
    m_cmdCancel->setFont(uiFont);
    connect(m_cmdCancel, &QPushButton::clicked, this, &PrintPreviewWindow::cmdCancel_Click);
    m_picPrinting->hide();

    m_previewSurface =
        std::make_unique<PainterSurface>(m_geometry.printableWidth, m_geometry.printableHeight);
    m_layout.preview = m_previewSurface.get();

    // 1032 x 795 pixels with the frame; the layout works on the inner area.
    resize(1024, 768);
    InitFrm();
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QWidget *PrintPreviewWindow::picBack() const
{
    return m_picBack;
}

QWidget *PrintPreviewWindow::picPrinting() const
{
    return m_picPrinting;
}

QWidget *PrintPreviewWindow::picView() const
{
    return m_picView;
}

QPushButton *PrintPreviewWindow::button(int index) const
{
    return index >= 0 && index < 5 ? m_cmdMenu[index] : nullptr;
}

QString PrintPreviewWindow::pageIndicatorText() const
{
    return m_lblPageNo->text();
}

int PrintPreviewWindow::twipsX(int px) const
{
    return RoundEven(px * m_tppX);
}
int PrintPreviewWindow::twipsY(int px) const
{
    return RoundEven(px * m_tppY);
}
int PrintPreviewWindow::pixelsX(int twips) const
{
    return RoundEven(twips / m_tppX);
}
int PrintPreviewWindow::pixelsY(int twips) const
{
    return RoundEven(twips / m_tppY);
}

bool PrintPreviewWindow::printerAvailable() const
{
    return !ignorePrinters && !defaultPrinterInfo().isNull();
}

bool PrintPreviewWindow::ensurePrinter()
{
    // Pages in progress keep the printer they started with.
    if (m_printing)
        return m_printer != nullptr;
    if (!printerAvailable()) {
        m_printer.reset();
        m_printerSurface.reset();
        m_layout.printer = nullptr;
        return false;
    }
    const QPrinterInfo info = defaultPrinterInfo();
    if (!m_printer || m_printer->printerName() != info.printerName()) {
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        m_printer->setPageOrientation(QPageLayout::Landscape);
    }
    return true;
}

void PrintPreviewWindow::readPageGeometry()
{
    if (ensurePrinter()) {
        const QPageLayout pl = m_printer->pageLayout();
        const QRectF full = pl.fullRect(QPageLayout::Point);
        const QRectF paint = pl.paintRect(QPageLayout::Point);
        m_geometry.pageWidth = RoundEven(full.width() * 20);
        m_geometry.pageHeight = RoundEven(full.height() * 20);
        m_geometry.printableWidth = RoundEven(paint.width() * 20);
        m_geometry.printableHeight = RoundEven(paint.height() * 20);
        if (m_geometry.printableWidth <= 0 || m_geometry.printableHeight <= 0)
            m_geometry = FallbackPageGeometry;
        if (!m_printerSurface)
            m_printerSurface = std::make_unique<PainterSurface>(m_geometry.printableWidth,
                                                                m_geometry.printableHeight);
        m_printerSurface->setSize(m_geometry.printableWidth, m_geometry.printableHeight);
        m_layout.printer = m_printerSurface.get();
    } else {
        m_geometry = FallbackPageGeometry;
    }
    m_layout.printerWidth = m_geometry.printableWidth;
    m_layout.printerHeight = m_geometry.printableHeight;
    m_previewSurface->setSize(m_geometry.printableWidth, m_geometry.printableHeight);
}

void PrintPreviewWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    InitFrm();
}

void PrintPreviewWindow::InitFrm()
{
    const PageGeometry before = m_geometry;
    readPageGeometry();

    int left = Gap;
    for (int i = 0; i < 5; ++i) {
        m_cmdMenu[i]->setGeometry(left, ButtonTop, ButtonWidth, ButtonHeight);
        left += ButtonWidth + Gap;
    }
    const int lastRight = m_cmdMenu[4]->geometry().right() + 1;
    const int labelTop = ButtonTop + (ButtonHeight - LabelHeight) / 2;

    m_lblPageNo->setGeometry(lastRight + 2 * Gap, labelTop, IndicatorWidth, LabelHeight);
    const int pageLabelWidth = m_lblPage->sizeHint().width();
    m_lblPage->setGeometry(m_lblPageNo->geometry().right() + 1 + Gap, labelTop, pageLabelWidth,
                           LabelHeight);
    m_shpPage->setGeometry(lastRight + Gap, ButtonTop, IndicatorWidth + pageLabelWidth + 16,
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
    const int fontRight = group(m_shpFontSize, m_lblFontSize, m_txtFontSize, m_scrFontSize,
                                m_shpPage->geometry().right() + 1);
    group(m_shpCopies, m_lblCopies, m_txtCopies, m_scrCopies, fontRight);

    const int backTop = 2 * Gap + ButtonHeight;
    const int backW = std::max(1, width() - ScrollBarSize);
    const int backH = std::max(1, height() - backTop - ScrollBarSize);
    m_picBack->setGeometry(0, backTop, backW, backH);
    m_backWidth = twipsX(backW);
    m_backHeight = twipsY(backH);
    m_scrX->setGeometry(0, backTop + backH, backW, ScrollBarSize);
    m_scrY->setGeometry(backW, backTop, ScrollBarSize, backH);

    const PageGeometry &g = m_geometry;
    m_paperLeft = std::max(0, (m_backWidth - g.pageWidth) / 2);
    m_paperTop = std::max(0, (m_backHeight - g.pageHeight) / 2);
    m_viewLeft = (g.pageWidth - g.printableWidth) / 2;
    m_viewTop = (g.pageHeight - g.printableHeight) / 2;
    m_picView->setGeometry(pixelsX(m_viewLeft), pixelsY(m_viewTop), pixelsX(g.printableWidth),
                           pixelsY(g.printableHeight));

    updateScrollBar(m_scrX, g.pageWidth, m_backWidth, m_maxX);
    updateScrollBar(m_scrY, g.pageHeight, m_backHeight, m_maxY);
    // Follow the bars even when their values did not change.
    ScrX_Change(m_scrX->value());
    ScrY_Change(m_scrY->value());
    placePaper();

    m_imgCorner->setGeometry(backW, backTop + backH, ScrollBarSize, ScrollBarSize);

    m_picPrinting->setGeometry((width() - PanelWidth) / 2, (height() - PanelHeight) / 2, PanelWidth,
                               PanelHeight);
    const int inner = m_picPrinting->frameWidth();
    m_shpPrinting->setGeometry(Gap, Gap, PanelWidth - 2 * inner - 2 * Gap - 2,
                               PanelHeight - 2 * inner - 2 * Gap - 2);
    m_lblPrinting->setGeometry(2 * Gap, 3 * Gap, PanelWidth - 4 * Gap, 24);
    m_cmdCancel->setGeometry((PanelWidth - 100) / 2, PanelHeight - 3 * Gap - 28, 100, 28);
    m_picPrinting->raise();

    // A printer that appeared or went away changes the sheet: draw the page again on it.
    if (m_layout.grid && (before.printableWidth != g.printableWidth ||
                          before.printableHeight != g.printableHeight)) {
        ShowPage(m_layout.data[DevicePreview].CurrentPage);
    }
    if (isVisible())
        setFocus();
}

void PrintPreviewWindow::updateScrollBar(QScrollBar *bar, int paperSize, int backSize, int &keptMax)
{
    const int kept = keptMax;
    const int present = bar->value();
    const int maximum = clamp16(qint64(paperSize) - backSize);
    keptMax = maximum;
    const int small = std::max(1, std::abs(maximum) / 20);
    const int large =
        clamp16(std::llround(std::abs(double(backSize) / std::max(paperSize, 1) * maximum)));
    int value = 0;
    // With no previous range there is no position to keep.
    if (kept > 0 && maximum > 0)
        value = RoundEven(double(maximum) / kept * present);
    bar->blockSignals(true);
    bar->setRange(0, std::max(0, maximum));
    bar->setSingleStep(small);
    bar->setPageStep(std::max(1, large));
    bar->setValue(std::clamp(value, 0, std::max(0, maximum)));
    bar->blockSignals(false);
    bar->setEnabled(paperSize > backSize);
}

void PrintPreviewWindow::ScrX_Change(int value)
{
    if (m_backWidth < m_geometry.pageWidth) {
        m_paperLeft = -value;
        placePaper();
    }
}

void PrintPreviewWindow::ScrY_Change(int value)
{
    if (m_backHeight < m_geometry.pageHeight) {
        m_paperTop = -value;
        placePaper();
    }
}

void PrintPreviewWindow::placePaper()
{
    m_picPaper->setGeometry(pixelsX(m_paperLeft), pixelsY(m_paperTop),
                            pixelsX(m_geometry.pageWidth), pixelsY(m_geometry.pageHeight));
}

void PrintPreviewWindow::picBack_MouseDown(Qt::MouseButton button, QPoint p)
{
    if (button != Qt::LeftButton)
        return;
    m_picBack->setCursor(Qt::ClosedHandCursor);
    const int halfW = m_backWidth / 2;
    const int halfH = m_backHeight / 2;
    const int ax = m_paperLeft - p.x() + halfW;
    const int ay = m_paperTop - p.y() + halfH;
    m_picPaper->hide();
    m_paperLeft = ax;
    m_paperTop = ay;
    m_paperTag = QStringLiteral("%1,%2,%3,%4").arg(halfW).arg(halfH).arg(ax).arg(ay);
    // The pointer's own position keeps the sheet where it was until the pointer moves.
    dragTo(p);
}

void PrintPreviewWindow::picBack_MouseMove(Qt::MouseButtons buttons, QPoint p)
{
    if (!(buttons & Qt::LeftButton)) {
        m_picBack->setCursor(Qt::OpenHandCursor);
        return;
    }
    if (m_paperTag.isEmpty())
        return;
    dragTo(p);
}

void PrintPreviewWindow::dragTo(QPoint p)
{
    const int ax = Parse(m_paperTag, 3, QStringLiteral(",")).toInt();
    const int ay = Parse(m_paperTag, 4, QStringLiteral(",")).toInt();
    const int halfW = m_backWidth / 2;
    const int halfH = m_backHeight / 2;
    const int paperW = m_geometry.pageWidth;
    const int paperH = m_geometry.pageHeight;
    int nx = p.x() + ax - halfW;
    int ny = p.y() + ay - halfH;
    nx = std::min(nx, 0);
    ny = std::min(ny, 0);
    nx = std::max(nx, m_backWidth - paperW);
    ny = std::max(ny, m_backHeight - paperH);
    if (paperW < m_backWidth)
        nx = m_backWidth / 2 - paperW / 2;
    if (paperH < m_backHeight)
        ny = m_backHeight / 2 - paperH / 2;
    m_paperLeft = nx;
    m_paperTop = ny;
    placePaper();
    m_scrX->blockSignals(true);
    m_scrY->blockSignals(true);
    m_scrX->setValue(clamp16(-qint64(nx)));
    m_scrY->setValue(clamp16(-qint64(ny)));
    m_scrX->blockSignals(false);
    m_scrY->blockSignals(false);
    if (m_picPaper->isHidden())
        m_picPaper->show();
}

bool PrintPreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && (box == m_txtFontSize || box == m_txtCopies)) {
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
    const bool copies = box == m_txtCopies;
    const int lower = copies ? 1 : MinFontSize;
    const int upper = copies ? 99 : MaxFontSize;
    QScrollBar *bar = copies ? m_scrCopies : m_scrFontSize;
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

void PrintPreviewWindow::scrFontSize_Change(int value)
{
    m_txtFontSize->setText(QString::number(value));
    for (PrintData &d : m_layout.data)
        d.FontSize = value;
    // The entry draws its first page itself once everything is set.
    if (!m_entering && m_layout.grid)
        ShowPage(m_layout.data[DevicePreview].CurrentPage);
}

void PrintPreviewWindow::scrCopies_Change(int value)
{
    m_txtCopies->setText(value > 0 ? QString::number(value) : QStringLiteral("1"));
}

void PrintPreviewWindow::PrintMSFlexGrid(Grid *outMsfGrid, const QString &outTitle, int outFontSize,
                                         bool reflectFontColor, bool reverseFontColor,
                                         bool changeRowColor, QObject *gridOwner)
{
    if (m_printing)
        return;
    if (m_gridOwner)
        disconnect(m_gridOwner, nullptr, this, nullptr);
    m_gridOwner = gridOwner;
    if (gridOwner)
        connect(gridOwner, &QObject::destroyed, this, [this] {
            m_layout.grid = nullptr;
            close();
        });
    m_entering = true;
    const int size = m_layout.Setup(outMsfGrid, outTitle, outFontSize, reflectFontColor,
                                    reverseFontColor, changeRowColor);
    m_scrFontSize->setValue(size);
    m_txtFontSize->setText(QString::number(size));
    setWindowTitle(PlainTitle(outTitle) + QStringLiteral(" の印刷"));
    m_entering = false;
    if (!isVisible())
        show();
    ShowPage(1);
}

void PrintPreviewWindow::InitPrintData()
{
    readPageGeometry();
    m_layout.InitPrintData();
}

void PrintPreviewWindow::ShowPage(int page)
{
    InitPrintData();
    page = m_layout.ValidPage(page, DevicePreview);
    m_lblPageNo->setText(PageIndicator(page, m_layout.data[DevicePreview].PageCount));

    const QSize size(pixelsX(m_geometry.printableWidth), pixelsY(m_geometry.printableHeight));
    QImage &image = m_picView->image;
    if (image.size() != size)
        image = QImage(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    setCursor(Qt::WaitCursor);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(1.0 / m_tppX, 1.0 / m_tppY);
        m_previewSurface->begin(&painter);
        if (LayoutError e = m_layout.WriteTitle(DevicePreview); !e.ok())
            showError(QStringLiteral("WriteTitle"), e);
        if (LayoutError e = m_layout.WriteFooter(page, DevicePreview); !e.ok())
            showError(QStringLiteral("WriteFooter"), e);
        m_layout.WriteGrid(page, DevicePreview);
        m_previewSurface->end();
    }
    m_picView->update();
    unsetCursor();
}

bool PrintPreviewWindow::PrintPage(int page, LayoutError *error)
{
    if (!m_printer || !m_printerSurface) {
        *error = {PrinterErrorNumber, NoPrinterText};
        return false;
    }
    m_printer->setCopyCount(std::clamp(boxValue(m_txtCopies->text(), 1), 1, 99));
    m_printer->setDocName(PlainTitle(m_layout.title));
    m_layout.data[DevicePrinter].FontSize = m_layout.data[DevicePreview].FontSize;

    // Lay the page out first: a job that was never begun is the only one that is truly
    // discarded, since the printer cannot take back what its painter has started.
    RecordingSurface recorded(*m_printerSurface);
    m_printerSurface->clearError();
    m_layout.printer = &recorded;
    if (LayoutError e = m_layout.WriteTitle(DevicePrinter); !e.ok())
        showError(QStringLiteral("WriteTitle"), e);
    if (LayoutError e = m_layout.WriteFooter(page, DevicePrinter); !e.ok())
        showError(QStringLiteral("WriteFooter"), e);
    m_layout.WriteGrid(page, DevicePrinter);
    m_layout.printer = m_printerSurface.get();
    repaint();

    // Lets the cancel button be pressed between pages.
    QCoreApplication::processEvents();
    if (CancelRequested)
        return true;

    QPainter painter;
    if (!m_printer || !painter.begin(m_printer.get())) {
        *error = {PrinterErrorNumber, QStringLiteral("印刷を開始できません")};
        return false;
    }
    PainterSurface::applyTwipsTransform(painter, *m_printer);
    m_printerSurface->begin(&painter);
    recorded.replay(*m_printerSurface);
    m_printerSurface->end();
    if (!painter.end() || m_printer->printerState() == QPrinter::Error) {
        *error = {PrinterErrorNumber, QStringLiteral("印刷ジョブを送れませんでした")};
        return false;
    }
    return true;
}

void PrintPreviewWindow::setPrinting(bool printing)
{
    m_printing = printing;
    for (QPushButton *b : m_cmdMenu)
        b->setEnabled(!printing);
    m_txtFontSize->setEnabled(!printing);
    m_scrFontSize->setEnabled(!printing);
    m_txtCopies->setEnabled(!printing);
    m_scrCopies->setEnabled(!printing);
    m_picPrinting->setVisible(printing);
    if (printing) {
        m_picPrinting->repaint();
        m_picBack->repaint();
    }
}

void PrintPreviewWindow::cmdMenu_Click(int index)
{
    if (m_printing)
        return;
    const QString routine = QStringLiteral("cmdMenu_Click");
    switch (index) {
    case 0:
        close();
        return;
    case 1:
    case 2: {
        if (!m_layout.grid)
            return;
        if (!ensurePrinter()) {
            showError(routine, {PrinterErrorNumber, NoPrinterText});
            return;
        }
        InitPrintData();
        CancelRequested = false;
        setPrinting(true);
        // The printer paginates by its own metrics: its pages are the ones to print.
        const int printerPages = m_layout.data[DevicePrinter].PageCount;
        int first = 1;
        int last = printerPages;
        if (index == 1) {
            first = std::clamp(m_layout.data[DevicePreview].CurrentPage, 1, printerPages);
            last = first;
        }
        LayoutError error;
        bool ok = true;
        for (int page = first; page <= last && ok; ++page) {
            if (!m_layout.grid)
                break;
            ok = PrintPage(page, &error);
        }
        setPrinting(false);
        if (!ok)
            showError(routine, error);
        if (m_closePending)
            close();
        return;
    }
    case 3: {
        PrintData &d = m_layout.data[DevicePreview];
        if (d.CurrentPage + 1 > d.PageCount)
            d.CurrentPage = 0;
        ShowPage(d.CurrentPage + 1);
        return;
    }
    case 4: {
        if (!m_layout.grid)
            return;
        const QString caption = QStringLiteral("PDF保存");
        const QString filter = QStringLiteral("PDF (*.pdf)");
        QString fileName = saveFileNameHook
                               ? saveFileNameHook(this, caption, filter)
                               : QFileDialog::getSaveFileName(this, caption, QString(), filter);
        if (fileName.isEmpty())
            return;
        if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            fileName += QStringLiteral(".pdf");
        if (LayoutError e = SavePdf(fileName); !e.ok())
            showError(routine, e);
        return;
    }
    default:
        return;
    }
}

LayoutError PrintPreviewWindow::SavePdf(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return {PrinterErrorNumber, file.errorString()};

    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setTitle(PlainTitle(m_layout.title));
    writer.setCreator(QStringLiteral("Kirrel"));
    readPageGeometry();
    if (m_printer) {
        writer.setPageLayout(m_printer->pageLayout());
    } else {
        // The fallback sheet with its printable area centred, as the preview shows it.
        const PageGeometry &g = m_geometry;
        const double mx = (g.pageWidth - g.printableWidth) / 2.0 / 20.0;
        const double my = (g.pageHeight - g.printableHeight) / 2.0 / 20.0;
        writer.setPageLayout(QPageLayout(
            QPageSize(QSizeF(g.pageWidth / 20.0, g.pageHeight / 20.0), QPageSize::Point),
            QPageLayout::Portrait, QMarginsF(mx, my, mx, my), QPageLayout::Point));
    }
    const QRectF paint = writer.pageLayout().paintRect(QPageLayout::Point);
    PainterSurface surface(RoundEven(paint.width() * 20), RoundEven(paint.height() * 20));

    PrintLayout layout = m_layout;
    layout.printer = &surface;
    layout.InitPrintData();
    const int pages = layout.data[DevicePrinter].PageCount;

    QPainter painter;
    if (!painter.begin(&writer)) {
        file.cancelWriting();
        return {PrinterErrorNumber, QStringLiteral("PDFファイルを作れません")};
    }
    PainterSurface::applyTwipsTransform(painter, writer);
    surface.begin(&painter);
    LayoutError error;
    for (int page = 1; page <= pages && error.ok(); ++page) {
        if (page > 1)
            writer.newPage();
        error = layout.WriteTitle(DevicePrinter);
        if (error.ok())
            error = layout.WriteFooter(page, DevicePrinter);
        if (error.ok())
            layout.WriteGrid(page, DevicePrinter);
    }
    surface.end();
    painter.end();
    if (!error.ok()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return {PrinterErrorNumber, file.errorString()};
    return {};
}

void PrintPreviewWindow::cmdCancel_Click()
{
    CancelRequested = true;
}

void PrintPreviewWindow::showError(const QString &routine, const LayoutError &error)
{
    const QString caption = routine + QLatin1Char('(') + WindowName + QLatin1Char(')');
    const QString text = QStringLiteral("エラー番号：") + QString::number(error.number) +
                         QLatin1Char('\n') + QStringLiteral("エラー内容：") + error.description;
    if (messageBoxHook) {
        messageBoxHook(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void PrintPreviewWindow::releaseGrid()
{
    m_layout.grid = nullptr;
    m_layout.title.clear();
    if (m_gridOwner)
        disconnect(m_gridOwner, nullptr, this, nullptr);
    m_gridOwner = nullptr;
}

void PrintPreviewWindow::closeEvent(QCloseEvent *event)
{
    // Pages in progress still hold the printer: stop them, close when they are done.
    if (m_printing) {
        CancelRequested = true;
        m_closePending = true;
        event->ignore();
        return;
    }
    releaseGrid();
    event->accept();
}
