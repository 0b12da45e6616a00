#include "documents/CBinaryINI.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"
#include "tests/documents/BinaryIniFixtures.h"

#include <QBuffer>

#include <random>

using namespace fixtures;

namespace {

QByteArray Mutate(QByteArray bytes, std::mt19937& rng)
{
    auto pick = [&](qsizetype bound) {
        return bound <= 0 ? 0 : std::uniform_int_distribution<qsizetype>(0, bound - 1)(rng);
    };
    const int steps = 1 + static_cast<int>(pick(4));
    for (int s = 0; s < steps; ++s) {
        switch (pick(6)) {
        case 0: // flip a bit
            if (!bytes.isEmpty())
                bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8));
            break;
        case 1: // cut the end off
            bytes.truncate(pick(bytes.size() + 1));
            break;
        case 2: // insert random bytes
            bytes.insert(pick(bytes.size() + 1),
                         QByteArray(1 + pick(8), static_cast<char>(pick(256))));
            break;
        case 3: // drop a range
            if (!bytes.isEmpty()) {
                const qsizetype from = pick(bytes.size());
                bytes.remove(from, 1 + pick(bytes.size() - from));
            }
            break;
        case 4: { // a length or count field set to an extreme
            static const int extremes[] = {-1, -32768, 32767, 0, 1, 255, 256};
            const qsizetype at = pick(bytes.size() - 1);
            if (bytes.size() >= 2) {
                const QByteArray value = Int16(extremes[pick(std::size(extremes))]);
                bytes[at] = value[0];
                bytes[at + 1] = value[1];
            }
            break;
        }
        default: // repeat a piece
            if (!bytes.isEmpty()) {
                const qsizetype from = pick(bytes.size());
                bytes.append(bytes.mid(from, 1 + pick(40)));
            }
            break;
        }
    }
    return bytes;
}

} // namespace

TEST(CBinaryINIMutation, DamagedDocumentsFailCleanlyOrRoundTrip)
{
    const QList<QByteArray> seeds = {
        EmptyDocument(),
        RenameFilesDocument(),
        Document(3, Record("Library", "/home/me/Music<+>|/srv/mp3", "settings", {"r", "", "x"}) +
                        Record("Filetypes", "*.mp3,*.wma,*.wav", "settings") +
                        Record("Destination", "/media/me/STICK,1024,50", "settings")),
        Document(2, Record("Caf\xe9", "\xC3\xA9t\xC3\xA9", "s") + Record("", "", "")),
    };
    auto read = [](const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return CBinaryINI::ReadRecords(buffer);
    };
    std::mt19937 rng(20260105);
    int succeeded = 0;
    int failed = 0;
    for (int round = 0; round < 4000; ++round) {
        const QByteArray damaged = Mutate(seeds.at(round % seeds.size()), rng);
        QList<CBinaryINI::Record> records;
        try {
            records = read(damaged);
        } catch (const AppError& error) {
            ASSERT_TRUE(error.number() == 62 || error.number() == 321)
                << error.number() << " for " << damaged.toHex().constData();
            ++failed;
            continue;
        }
        ++succeeded;
        records.removeIf(
            [](const CBinaryINI::Record& r) { return r.key == CBinaryINI::kDeletedKey; });
        // Whatever loads is written back in a form that loads to the same records.
        const QByteArray written = CBinaryINI::WriteRecords(records);
        ASSERT_EQ(read(written), records) << damaged.toHex().constData();
        ASSERT_EQ(CBinaryINI::WriteRecords(records), written);
    }
    // The damage must exercise both outcomes, or the test proves little.
    EXPECT_GT(succeeded, 200);
    EXPECT_GT(failed, 2000);
}
