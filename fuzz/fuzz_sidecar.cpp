// The analysis file beside a document, as its reader decodes it: whatever it accepts must be
// written back to a file that reads back the same (a save must never lose entered data).

#include "core/analysisfile/analysisinputs.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Result<AnalysisInputs> read = parseSidecarBytes(bytes);
    if (!read.ok())
        return 0;
    const Result<AnalysisInputs> back = parseSidecarBytes(sidecarBytes(read.value));
    FUZZ_CHECK(back.ok());
    FUZZ_CHECK(back.value == read.value);
    return 0;
}
