#include "documents/CBinaryINI.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Builders of document bytes the program never writes: reserved strings, duplicates, damage.
QByteArray Int16(int value)
{
    return QByteArray(1, static_cast<char>(value & 0xFF)) + static_cast<char>(value >> 8 & 0xFF);
}

QByteArray Str(const QByteArray& bytes)
{
    return Int16(static_cast<int>(bytes.size())) + bytes;
}

// One record; `reserved` fills the ten reserved strings from the first on.
QByteArray Record(const QByteArray& key, const QByteArray& value, const QByteArray& section,
                  const QList<QByteArray>& reserved = {})
{
    QByteArray out = Str(key) + Str(value) + Str(section);
    for (int i = 0; i < 10; ++i)
        out += Str(reserved.value(i));
    return out;
}

QByteArray Document(int count, const QByteArray& records = {})
{
    return "KOVIRBININI_100" + Int16(count) + records;
}

// The 63-byte reference file spelled out: key "RenameFiles", value "0", section "settings".
const QByteArray kRenameFiles =
    QByteArrayLiteral("KOVIRBININI_100\x01\x00\x0B\x00RenameFiles\x01\x00"
                      "0\x08\x00settings") +
    QByteArray(20, '\0');

} // namespace

TEST(CBinaryINI, WritesTheReferenceFileAndTextInTheCodePageOrAsUtf8)
{
    TempFolder dir;
    const QString path = dir / u"Default Settings.cfg"_s;
    CBinaryINI ini;
    ini.SetFile(path);
    EXPECT_FALSE(QFile::exists(path) || ini.IsHeld()) << "binding to a new path creates nothing";
    const mode_t savedMask = ::umask(027);
    ini.Commit();
    EXPECT_EQ(::umask(savedMask), 027u) << "the mask is read, not changed";
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a new document gets what the mask allows";
    EXPECT_EQ(ReadAll(path), QByteArray("KOVIRBININI_100\0\0", 17));
    EXPECT_TRUE(ini.IsHeld());
    ini.WriteValue(u"RenameFiles"_s, u"0"_s, u"settings"_s);
    ini.Commit();
    ini.Commit();
    EXPECT_EQ(ReadAll(path), kRenameFiles);

    // The length field counts bytes. Keys and sections are encoded the same way, and still
    // match without regard to case.
    const QString western = u"Caf\u00e9 \u20ac"_s;
    const QString foreign = u"\u041f\u0440\u0438 \U0001F3B5"_s;
    const QString section = u"\u0421\u0415\u041a"_s;
    ini.WriteValue(u"\u00c9t\u00e9"_s, western, u"s"_s);
    ini.WriteValue(u"k"_s, foreign, section);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(3, Record("RenameFiles", "0", "settings") +
                                             Record("\xc9t\xe9", "Caf\xe9 \x80", "s") +
                                             Record("k", foreign.toUtf8(), section.toUtf8())));
    ini.SetFile({});
    EXPECT_TRUE(ini.File().isEmpty() && ini.Records().isEmpty());
    ini.Commit(); // no file: nothing to do
    ini.SetFile(path);
    EXPECT_EQ(ini.GetValue(u"\u00e9T\u00c9"_s, {}, u"S"_s), western);
    EXPECT_EQ(ini.GetValue(u"K"_s, {}, u"\u0441\u0435\u043a"_s), foreign);
    EXPECT_EQ(ini.GetValue(u"renamefiles"_s, {}, u"settings"_s), u"0");
}

TEST(CBinaryINI, RecordsMatchWithoutCaseAndDeletedOnesAreNotSaved)
{
    TempFolder dir;
    const QString path =
        dir.Write(u"mix.cfg"_s,
                  Document(4, Record("Library", "A", "settings", {"junk", "", "x"}) +
                                  Record("LIBRARY", "B", "SETTINGS") + Record("Library", "C", "") +
                                  Record("Filetypes", "*.mp3", "settings")));
    CBinaryINI ini;
    ini.SetFile(path);
    EXPECT_EQ(ini.GetValue(u"library"_s, {}, u"settings"_s), u"A");
    EXPECT_EQ(ini.GetValue(u"library"_s), u"C") << "the empty section is a section";
    EXPECT_EQ(ini.GetValue(u"Missing"_s, u"dflt"_s, u"settings"_s), u"dflt");
    EXPECT_EQ(ini.GetValue(u"Library"_s, u"dflt"_s, u"setting"_s), u"dflt");

    // The first match changes, the duplicate stays. An empty value deletes the key but keeps the
    // record in memory (a new write appends one); with no section it is stored.
    ini.WriteValue(u"LIBRARY"_s, u"Z"_s, u"Settings"_s);
    ini.WriteValue(u"FILETYPES"_s, QString(), u"settings"_s);
    ini.WriteValue(u"nothing"_s, QString(), u"settings"_s);
    EXPECT_EQ(ini.GetValue(u"Filetypes"_s, u"gone"_s, u"settings"_s), u"gone");
    ini.WriteValue(u"e"_s, QString(), QString());
    ini.WriteValue(u"Filetypes"_s, u"*.ogg"_s, u"settings"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path),
              Document(5, Record("Library", "Z", "settings") + Record("LIBRARY", "B", "SETTINGS") +
                              Record("Library", "C", "") + Record("e", "", "") +
                              Record("Filetypes", "*.ogg", "settings")));
    EXPECT_EQ(ini.Records().size(), 6) << "a save does not compact the records";

    // An empty key with an empty value deletes the whole section.
    ini.WriteValue(u"k"_s, u"1"_s, u"other"_s);
    ini.WriteValue(QString(), QString(), u"SETTINGS"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(3, Record("Library", "C", "") + Record("e", "", "") +
                                             Record("k", "1", "other")));
}

TEST(CBinaryINI, DamagedFilesFailAndLeaveNothingHeld)
{
    TempFolder dir;
    const QByteArray good = Document(2, Record("Library", "/music<+>", "settings", {"r"}) +
                                            Record("RenameFiles", "1", "settings"));
    const QString path = dir / u"bad.cfg"_s;
    CBinaryINI ini;
    auto load = [&](const QByteArray& bytes) {
        dir.Write(u"bad.cfg"_s, bytes);
        return ErrorOf([&] { ini.SetFile(path); });
    };
    // Every cut of a good file: too short for the magic is a wrong format, a cut anywhere
    // after it runs out of input. What an earlier load read is dropped and the lock released.
    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        ASSERT_EQ(load(good), 0);
        const int expected = cut < 15 ? ErrorNumber::InvalidFileFormat : ErrorNumber::InputPastEnd;
        ASSERT_EQ(load(good.left(cut)), expected) << "cut at " << cut;
        EXPECT_TRUE(!ini.IsHeld() && ini.Records().isEmpty() && ini.File() == path) << cut;
        CBinaryINI next;
        ASSERT_EQ(ErrorOf([&] { next.SetFile(path); }), expected) << "the failed load kept a lock";
    }
    // A wrong magic; a negative length anywhere, even in a reserved string; a count of zero or
    // less loads nothing, whatever follows; bytes after the declared records are ignored.
    QByteArray wrongMagic = good;
    wrongMagic[14] = '1';
    const std::tuple<QByteArray, int, qsizetype> cases[] = {
        {wrongMagic, ErrorNumber::InvalidFileFormat, 0},
        {Document(1, Str("k") + Int16(-1)), ErrorNumber::InvalidFileFormat, 0},
        {Document(1, Str("k") + Str("v") + Str("s") + Str("") + Int16(-32768)),
         ErrorNumber::InvalidFileFormat, 0},
        {Document(0, QByteArray(50, 'x')), 0, 0},
        {Document(-1, Record("a", "b", "c")), 0, 0},
        {good + "trailing", 0, 2},
    };
    for (const auto& [bytes, error, records] : cases) {
        EXPECT_EQ(load(bytes), error) << bytes.toHex().constData();
        EXPECT_EQ(ini.IsHeld(), error == 0);
        EXPECT_EQ(ini.Records().size(), records);
    }

    // A document in a folder that does not exist loads empty and cannot be saved; a folder is
    // not a document: it loads as an empty, unheld one.
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(dir / u"missing/lost.cfg"_s); }), 0);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PathNotFound);
    EXPECT_FALSE(QFile::exists(dir / u"missing"_s));
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(dir.MakeFolder(u"sub.cfg"_s)); }), 0);
    EXPECT_FALSE(ini.IsHeld());
}

TEST(CBinaryINI, HeldDocumentLocksOutOtherObjectsAndProcesses)
{
    TempFolder dir;
    const QString path = dir.Write(u"shared.cfg"_s, kRenameFiles);
    // Another process loads the document and saves it with one more record.
    auto child = [&] {
        return InChild([&] {
            CBinaryINI ini;
            ini.SetFile(path);
            ini.WriteValue(u"from"_s, u"child"_s);
            ini.Commit();
            return 0;
        });
    };
    {
        CBinaryINI first, second;
        first.SetFile(path);
        ASSERT_TRUE(first.IsHeld());
        EXPECT_EQ(ErrorOf([&] { second.SetFile(path); }), ErrorNumber::PermissionDenied);
        EXPECT_EQ(ErrorOf([&] { second.Commit(); }), ErrorNumber::PermissionDenied);
        EXPECT_EQ(child(), 70);
        EXPECT_EQ(ReadAll(path), kRenameFiles) << "a refused save wrote something";

        // The holder saves freely, and the saved file is held in its turn.
        first.Commit();
        first.Commit();
        EXPECT_EQ(ErrorOf([&] { second.SetFile(path); }), ErrorNumber::PermissionDenied);
        EXPECT_EQ(child(), 70);
    }
    EXPECT_EQ(child(), 0);
    CBinaryINI reader;
    reader.SetFile(path);
    EXPECT_EQ(reader.GetValue(u"FROM"_s), u"child");
}

TEST(CBinaryINI, LimitsAreCheckedBeforeAnythingIsWritten)
{
    auto writeError = [](const QList<CBinaryINI::Record>& records) {
        return ErrorOf([&] { CBinaryINI::WriteRecords(records); });
    };
    QList<CBinaryINI::Record> records(32767, {u"k"_s, u"v"_s, {}});
    EXPECT_EQ(CBinaryINI::WriteRecords(records).size(), 17 + 32767 * (3 + 3 + 2 + 20));
    records.append({u"k"_s, u"v"_s, {}});
    EXPECT_EQ(writeError(records), ErrorNumber::Overflow);
    // Deleted records do not count towards the file's limit.
    records.last().key = CBinaryINI::kDeletedKey;
    EXPECT_EQ(writeError(records), 0);

    // The length field counts bytes: 16,384 two-byte characters are one byte too many.
    const QString wide(16384, QChar(0x0101));
    const QString narrow(32767, u'x');
    EXPECT_EQ(writeError({{u"k"_s, wide, {}}}), ErrorNumber::Overflow);
    EXPECT_EQ(writeError({{u"k"_s, wide.left(16383), {}}}), 0);
    EXPECT_EQ(writeError({{narrow, narrow, narrow}}), 0);
    EXPECT_EQ(writeError({{narrow + u'x', {}, {}}}), ErrorNumber::Overflow);

    // In memory the count is 16-bit too, deleted records included.
    TempFolder dir;
    records.removeLast();
    records.first().section = u"s"_s;
    CBinaryINI full;
    full.SetFile(dir.Write(u"full.cfg"_s, CBinaryINI::WriteRecords(records)));
    full.WriteValue(u"k"_s, QString(), u"s"_s);
    ASSERT_EQ(full.Records().size(), 32767);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(u"one more"_s, u"v"_s); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(u"k"_s, u"w"_s); }), 0);
}

// Each way a save can fail leaves the old document whole and no temporary file beside it.
TEST(CBinaryINI, FailedSavesLeaveTheOldDocument)
{
    TempFolder dir;
    const QString path = dir.Write(u"keep.cfg"_s, kRenameFiles);
    auto unchanged = [&] {
        return ReadAll(path) == kRenameFiles &&
               QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{u"keep.cfg"_s};
    };
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(u"Library"_s, QString(32768, u'x'), u"settings"_s);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::Overflow);
    EXPECT_TRUE(ini.IsHeld()) << "a rejected save keeps the document held";
    EXPECT_TRUE(unchanged());

    // A full disk, simulated by a file-size limit smaller than the new document.
    const QString big(4000, u'x');
    ini.WriteValue(u"Library"_s, big, u"settings"_s);
    EXPECT_EQ(InChild([&] { return ErrorOf([&] { ini.Commit(); }); }, 1000),
              ErrorNumber::PathFileAccess);
    EXPECT_TRUE(unchanged());

    // Then it works, and keeps the document's permissions.
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    ini.Commit();
    struct stat st = {};
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(ReadAll(path).contains(big.toLatin1()));

    // A folder the user may not write in: no new document can be made beside the old one.
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write in read-only folders";
    const QByteArray saved = ReadAll(path);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    ini.WriteValue(u"Library"_s, u"other"_s, u"settings"_s);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PermissionDenied);
    EXPECT_EQ(ReadAll(path), saved);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
}
