#include "ui/print/printjob.h"

#include "core/system/safefile.h"
#include "ui/print/paintersurface.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

bool PrintJob::ignorePrinters = false;

namespace {

const QString NoPrinterText = QStringLiteral("使用できるプリンターがありません");

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

PrintJob::PrintJob()
    : m_previewSurface(
          std::make_unique<PainterSurface>(m_geometry.printableWidth, m_geometry.printableHeight))
{
    m_layout.preview = m_previewSurface.get();
}

PrintJob::~PrintJob() = default;

bool PrintJob::printerAvailable() const
{
    return !ignorePrinters && !defaultPrinterInfo().isNull();
}

bool PrintJob::ensurePrinter()
{
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

void PrintJob::readPageGeometry()
{
    if (ensurePrinter()) {
        const QPageLayout pl = m_printer->pageLayout();
        const QRectF full = pl.fullRect(QPageLayout::Point);
        const QRectF paint = pl.paintRect(QPageLayout::Point);
        m_geometry.pageWidth = roundEven(full.width() * 20);
        m_geometry.pageHeight = roundEven(full.height() * 20);
        m_geometry.printableWidth = roundEven(paint.width() * 20);
        m_geometry.printableHeight = roundEven(paint.height() * 20);
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

void PrintJob::paginate()
{
    readPageGeometry();
    m_layout.initPrintData();
}

void PrintJob::drawPreview(QImage &image, int page, double twipsPerPixelX, double twipsPerPixelY)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(1.0 / twipsPerPixelX, 1.0 / twipsPerPixelY);
    m_previewSurface->begin(&painter);
    if (LayoutError e = m_layout.writeTitle(DevicePreview); !e.ok() && onLayoutError)
        onLayoutError(QStringLiteral("WriteTitle"), e);
    if (LayoutError e = m_layout.writeFooter(page, DevicePreview); !e.ok() && onLayoutError)
        onLayoutError(QStringLiteral("WriteFooter"), e);
    m_layout.writeGrid(page, DevicePreview);
    m_previewSurface->end();
}

bool PrintJob::printPage(int page, int copies, const std::function<bool()> &beforeSend,
                         LayoutError *error)
{
    if (!m_printer || !m_printerSurface) {
        *error = {PrinterErrorNumber, NoPrinterText};
        return false;
    }
    m_printer->setCopyCount(copies);
    m_printer->setDocName(plainTitle(m_layout.title));
    m_layout.data[DevicePrinter].fontSize = m_layout.data[DevicePreview].fontSize;

    // Lay the page out first: a job that was never begun is the only one that is truly
    // discarded, since the printer cannot take back what its painter has started.
    RecordingSurface recorded(*m_printerSurface);
    m_printerSurface->clearError();
    m_layout.printer = &recorded;
    if (LayoutError e = m_layout.writeTitle(DevicePrinter); !e.ok() && onLayoutError)
        onLayoutError(QStringLiteral("WriteTitle"), e);
    if (LayoutError e = m_layout.writeFooter(page, DevicePrinter); !e.ok() && onLayoutError)
        onLayoutError(QStringLiteral("WriteFooter"), e);
    m_layout.writeGrid(page, DevicePrinter);
    m_layout.printer = m_printerSurface.get();

    if (beforeSend && beforeSend())
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

LayoutError PrintJob::savePdf(const QString &fileName)
{
    // The PDF is made in memory: the file is touched only once it is complete.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(1200);
    writer.setTitle(plainTitle(m_layout.title));
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
    PainterSurface surface(roundEven(paint.width() * 20), roundEven(paint.height() * 20));

    PrintLayout layout = m_layout;
    layout.printer = &surface;
    layout.initPrintData();
    const int pages = layout.data[DevicePrinter].pageCount;

    QPainter painter;
    if (!painter.begin(&writer))
        return {PrinterErrorNumber, QStringLiteral("PDFファイルを作れません")};
    PainterSurface::applyTwipsTransform(painter, writer);
    surface.begin(&painter);
    LayoutError error;
    for (int page = 1; page <= pages && error.ok(); ++page) {
        if (page > 1)
            writer.newPage();
        error = layout.writeTitle(DevicePrinter);
        if (error.ok())
            error = layout.writeFooter(page, DevicePrinter);
        if (error.ok())
            layout.writeGrid(page, DevicePrinter);
    }
    surface.end();
    painter.end();
    if (!error.ok())
        return error;

    if (const FileResult written = replaceFile(fileName, pdf.data()); !written)
        return {PrinterErrorNumber, written.message};
    return {};
}
