#pragma once
// What the print preview prints, without the window: the layout of one grid, the default
// printer and the page geometry read from it, the preview picture, the print loop (one
// printer job per page) and the PDF export.

#include "core/printlayout/printlayout.h"

#include <QString>
#include <functional>
#include <memory>

class QImage;
class QPrinter;
class PainterSurface;

class PrintJob
{
public:
    PrintJob();
    ~PrintJob();
    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    // Tests: behave as if no printer were installed.
    static bool ignorePrinters;

    // Errors the layout reports while it draws: routine name and error. The drawing goes on.
    std::function<void(const QString &routine, const LayoutError &error)> onLayoutError;

    PrintLayout &layout() { return m_layout; }
    const PrintLayout &layout() const { return m_layout; }
    PageGeometry geometry() const { return m_geometry; }

    bool printerAvailable() const;
    // Takes the default printer (again when it changed); false when there is none.
    bool ensurePrinter();
    // The sheet of the default printer, or the fallback sheet without one.
    void readPageGeometry();
    // Reads the geometry and paginates the grid for both devices.
    void paginate();

    // Draws page (already a valid page) at one twip of sheet to one twip of screen.
    void drawPreview(QImage &image, int page, double twipsPerPixelX, double twipsPerPixelY);

    // Pages in progress keep the printer they started with.
    void setPrinting(bool printing) { m_printing = printing; }
    bool printing() const { return m_printing; }
    // Prints one page as a job of its own. beforeSend runs once the page is laid out and
    // before the job begins; when it answers true (cancelled) nothing is sent and the page
    // counts as done. False with the error when the job failed.
    bool printPage(int page, int copies, const std::function<bool()> &beforeSend,
                   LayoutError *error);
    // Every page into one PDF file, made in memory and then written through replaceFile: the
    // old file of that name stays as it was on any failure.
    LayoutError savePdf(const QString &fileName);

private:
    PrintLayout m_layout;
    PageGeometry m_geometry;
    bool m_printing = false;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<PainterSurface> m_previewSurface;
    std::unique_ptr<PainterSurface> m_printerSurface;
};
