// Feeds arbitrary bytes to the settings-document loader. Any input must either load or fail
// with error 62 or 321; whatever loads must save and load again to the same records.

#include "base/AppError.h"
#include "documents/CBinaryINI.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

QList<CBinaryINI::Record> Load(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return CBinaryINI::ReadRecords(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<CBinaryINI::Record> records;
    try {
        records = Load(input);
    } catch (const AppError& error) {
        if (error.number() != ErrorNumber::InputPastEnd &&
            error.number() != ErrorNumber::InvalidFileFormat)
            std::abort();
        return 0;
    }

    // Records under the deletion marker are not saved.
    records.removeIf([](const CBinaryINI::Record& r) { return r.key == CBinaryINI::kDeletedKey; });
    const QByteArray saved = CBinaryINI::WriteRecords(records);
    if (Load(saved) != records || CBinaryINI::WriteRecords(Load(saved)) != saved)
        std::abort();
    return 0;
}
