// The document reader on arbitrary bytes, followed by what the program does with a document
// it has read: recalculate, estimate the quinella odds, save and read back.

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

const OddsDocument &FreshDocument()
{
    static const OddsDocument doc = [] {
        OddsDocument d;
        d.buildTable();
        return d;
    }();
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    OddsDocument doc = FreshDocument();
    if (!loadDocumentBytes(doc, bytes).ok)
        return 0;

    QByteArray saved;
    if (encodeDocument(doc, doc.runnerTable, &saved).ok) {
        OddsDocument back = FreshDocument();
        loadDocumentBytes(back, saved);
    }
    doc.recalculate();
    doc.estimateQuinella();
    return 0;
}
