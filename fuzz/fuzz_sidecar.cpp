// The analysis file beside a document, as its reader decodes it: whatever it accepts must be
// written back to a file that reads back the same (a save must never lose entered data).

#include "core/analysis/analysisinputs.h"
#include "core/codepage/codepage.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Result<AnalysisInputs> read = ParseSidecar(Cp932::decode(bytes));
    if (!read.ok())
        return 0;
    const Cp932::Encoded written = Cp932::encode(SidecarText(read.value));
    FUZZ_CHECK(written.ok);
    const Result<AnalysisInputs> back = ParseSidecar(Cp932::decode(written.bytes));
    FUZZ_CHECK(back.ok());
    FUZZ_CHECK(back.value == read.value);
    return 0;
}
