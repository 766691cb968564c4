// The frame a later start of the program sends to the running one over the local socket:
// anyone on the machine who can reach the socket can send anything.

#include "core/system/handovermessage.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray received(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList files;
    const HandOverParse parsed = parseHandOver(received, &files);
    // The bytes arrive in pieces: a reader that waits for more never sees a worse prefix.
    for (const qsizetype cut :
         {qsizetype(size / 2), qsizetype(size / 3), qsizetype(8), qsizetype(4)}) {
        if (cut >= received.size())
            continue;
        QStringList partial;
        const HandOverParse p = parseHandOver(received.left(cut), &partial);
        if (parsed != HandOverParse::Invalid)
            FUZZ_CHECK(p == HandOverParse::Incomplete);
    }
    if (parsed != HandOverParse::Complete)
        return 0;
    FUZZ_CHECK(files.size() <= qsizetype(HandOverMaxFiles));
    // Undecodable bytes come back as U+FFFD, three bytes each: such names may outgrow a frame.
    const QByteArray frame = encodeHandOver(files);
    if (frame.size() > HandOverMaxBytes)
        return 0;
    QStringList again;
    FUZZ_CHECK(parseHandOver(frame, &again) == HandOverParse::Complete);
    FUZZ_CHECK(again == files);
    return 0;
}
