// Feeds arbitrary bytes to the decoder of document strings. The text they decode to must give
// the same bytes back: in the code page, or as UTF-8 when they were UTF-8 to begin with. So no
// two stored strings read as the same text, and nothing read is lost on the next save.

#include "documents/Windows1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DecodeDocumentText(input);
    if (EncodeDocumentText(text) != input && text.toUtf8() != input)
        std::abort();
    if (DecodeDocumentText(EncodeDocumentText(text)) != text)
        std::abort();
    return 0;
}
