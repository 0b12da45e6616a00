#include "documents/CBinaryINI.h"
#include "support/AppError.h"
#include "support/UniqueFd.h"
#include "tests/common/TestSupport.h"
#include "tests/documents/BinaryIniFixtures.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixtures;
using namespace Qt::StringLiterals;

namespace {

// Runs the action in a forked child and returns its exit code; the action's AppError number
// becomes the code, so the parent can check it. Nothing in the child touches gtest.
int InChild(const std::function<int()>& action)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 255;
        try {
            code = action();
        } catch (const AppError& error) {
            code = error.number() & 0xFF;
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A folder holding only the reference document under the name, and nothing else after.
struct ReferenceFolder
{
    explicit ReferenceFolder(const QString& name) : path(dir.Write(name, RenameFilesDocument())) {}
    ~ReferenceFolder()
    {
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QFileInfo(path).fileName()})
            << "a temporary file was left behind";
    }
    TempFolder dir;
    QString path;
};

} // namespace

TEST(CBinaryINI, WritesAndReadsTheReferenceFilesByteForByte)
{
    TempFolder dir;
    const QString path = dir / u"Default Settings.cfg"_s;
    CBinaryINI ini;
    ini.SetFile(path);
    EXPECT_EQ(ini.File(), path);
    EXPECT_EQ(ini.GetSimpleFileName(), u"Default Settings"_s);
    EXPECT_FALSE(ini.IsHeld());
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_FALSE(QFile::exists(path)) << "binding to a new path creates nothing";

    ini.Commit();
    EXPECT_EQ(ReadAll(path), EmptyDocument());
    EXPECT_TRUE(ini.IsHeld());
    ini.WriteValue(u"RenameFiles"_s, u"0"_s, u"settings"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), RenameFilesDocument());
    ini.Commit();
    EXPECT_EQ(ReadAll(path), RenameFilesDocument()) << "saving twice writes the same bytes";

    ini.SetFile({});
    EXPECT_TRUE(ini.File().isEmpty());
    EXPECT_TRUE(ini.GetSimpleFileName().isEmpty());
    EXPECT_TRUE(ini.Records().isEmpty());
    CBinaryINI other;
    other.SetFile(path);
    EXPECT_EQ(other.Records(),
              QList<CBinaryINI::Record>({{u"RenameFiles"_s, u"0"_s, u"settings"_s}}));
}

TEST(CBinaryINI, DuplicatesLetterCaseAndReservedStrings)
{
    TempFolder dir;
    const QString path =
        dir.Write(u"mix.cfg"_s,
                  Document(4, Record("Library", "A", "settings", {"junk", "", "x"}) +
                                  Record("LIBRARY", "B", "SETTINGS") + Record("Library", "C", "") +
                                  Record("Filetypes", "*.mp3", "settings")));
    CBinaryINI ini;
    ini.SetFile(path);
    ASSERT_EQ(ini.Records().size(), 4);
    EXPECT_TRUE(ini.IsHeld());
    EXPECT_EQ(ini.GetValue(u"library"_s, {}, u"settings"_s), u"A");
    EXPECT_EQ(ini.GetValue(u"library"_s), u"C") << "the empty section is a section";
    EXPECT_EQ(ini.GetValue(u"Missing"_s, u"dflt"_s, u"settings"_s), u"dflt");
    EXPECT_EQ(ini.GetValue(u"Library"_s, u"dflt"_s, u"setting"_s), u"dflt");

    // The first match changes; the duplicate stays and both are saved.
    ini.WriteValue(u"LIBRARY"_s, u"Z"_s, u"Settings"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path),
              Document(4, Record("Library", "Z", "settings") + Record("LIBRARY", "B", "SETTINGS") +
                              Record("Library", "C", "") +
                              Record("Filetypes", "*.mp3", "settings")));
    // Changes not saved are dropped by a reload.
    ini.WriteValue(u"Library"_s, u"Y"_s, u"settings"_s);
    ini.Refresh();
    EXPECT_EQ(ini.GetValue(u"Library"_s, {}, u"settings"_s), u"Z");
}

TEST(CBinaryINI, DeletingKeysAndSections)
{
    TempFolder dir;
    const QString path = dir / u"d.cfg"_s;
    const QString s = u"settings"_s;
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(u"a"_s, u"1"_s, s);
    ini.WriteValue(u"b"_s, u"2"_s, s);
    ini.WriteValue(u"c"_s, u"3"_s, u"other"_s);
    ini.WriteValue(u"e"_s, QString(), QString()); // stored: empty section

    ini.WriteValue(u"A"_s, QString(), s);
    ini.WriteValue(u"nothing"_s, QString(), s); // no match: no change
    EXPECT_EQ(ini.Records().size(), 4) << "a deleted record stays in memory";
    EXPECT_EQ(ini.Records().at(0).key, CBinaryINI::kDeletedKey);
    EXPECT_EQ(ini.GetValue(u"a"_s, u"gone"_s, s), u"gone");

    // Written again after deletion: a new record is appended, only it is saved.
    ini.WriteValue(u"a"_s, u"new"_s, s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(4, Record("b", "2", "settings") + Record("c", "3", "other") +
                                             Record("e", "", "") + Record("a", "new", "settings")));
    EXPECT_EQ(ini.Records().size(), 5) << "a save does not compact the records";

    // An empty key with an empty value deletes the whole section.
    ini.WriteValue(QString(), QString(), u"SETTINGS"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(2, Record("c", "3", "other") + Record("e", "", "")));
    ini.Refresh();
    EXPECT_EQ(ini.Records().size(), 2);

    // Deleted records are not counted in the count field.
    ini.WriteValue(QString(), QString(), u"other"_s);
    ini.WriteValue(u"e"_s, u"x"_s, QString());
    ini.WriteValue(QString(), QString(), u"x"_s);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(1, Record("e", "x", "")));
}

TEST(CBinaryINI, DamagedFilesFailAndLeaveNothingHeld)
{
    TempFolder dir;
    const QByteArray good = Document(2, Record("Library", "/music<+>", "settings", {"r"}) +
                                            Record("RenameFiles", "1", "settings"));
    const QString path = dir / u"bad.cfg"_s;
    auto loadError = [&](const QByteArray& bytes, CBinaryINI& ini) {
        dir.Write(u"bad.cfg"_s, bytes);
        return ErrorOf([&] { ini.SetFile(path); });
    };
    // Every cut of a good file: too short for the magic is a wrong format, a cut anywhere
    // after it runs out of input. The lock is released each time.
    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        CBinaryINI ini;
        const int expected = cut < 15 ? ErrorNumber::InvalidFileFormat : ErrorNumber::InputPastEnd;
        ASSERT_EQ(loadError(good.left(cut), ini), expected) << "cut at " << cut;
        EXPECT_FALSE(ini.IsHeld());
        EXPECT_TRUE(ini.Records().isEmpty());
        EXPECT_EQ(ini.File(), path);
        CBinaryINI next;
        ASSERT_EQ(ErrorOf([&] { next.SetFile(path); }), expected) << "the failed load kept a lock";
    }

    CBinaryINI ini;
    EXPECT_EQ(loadError(good, ini), 0);
    EXPECT_EQ(ini.Records().size(), 2);
    // Failing loads drop what an earlier one loaded.
    QByteArray wrongMagic = good;
    wrongMagic[0] = 'k';
    ini.SetFile({});
    EXPECT_EQ(loadError(wrongMagic, ini), ErrorNumber::InvalidFileFormat);
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_FALSE(ini.IsHeld());

    // A negative length anywhere in a record, even in a reserved string.
    for (const QByteArray& negative :
         {Document(1, Str("k") + Int16(-1)),
          Document(1, Str("k") + Str("v") + Str("s") + Str("") + Int16(-32768))}) {
        EXPECT_EQ(loadError(negative, ini), ErrorNumber::InvalidFileFormat);
        EXPECT_FALSE(ini.IsHeld());
    }
    // A count of zero or less loads nothing, whatever follows.
    for (const QByteArray& none :
         {Document(0, QByteArray(50, 'x')), Document(-1, Record("a", "b", "c"))}) {
        EXPECT_EQ(loadError(none, ini), 0);
        EXPECT_TRUE(ini.Records().isEmpty());
        EXPECT_TRUE(ini.IsHeld());
    }
    // Extra bytes after the declared records are ignored.
    EXPECT_EQ(loadError(good + "trailing", ini), 0);
    EXPECT_EQ(ini.Records().size(), 2);

    // A document in a folder that does not exist loads empty and cannot be saved.
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(dir / u"missing/lost.cfg"_s); }), 0);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PathNotFound);
    EXPECT_FALSE(QFile::exists(dir / u"missing"_s));
    // A folder is not a document: it loads as an empty, unheld one.
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(dir.MakeFolder(u"sub.cfg"_s)); }), 0);
    EXPECT_FALSE(ini.IsHeld());
}

TEST(CBinaryINI, HeldDocumentLocksOutOtherObjects)
{
    ReferenceFolder folder(u"held.cfg"_s);
    const QString& path = folder.path;
    CBinaryINI first;
    first.SetFile(path);
    ASSERT_TRUE(first.IsHeld());

    CBinaryINI second;
    EXPECT_EQ(ErrorOf([&] { second.SetFile(path); }), ErrorNumber::PermissionDenied);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(second.Records().isEmpty());
    second.WriteValue(u"k"_s, u"v"_s, u"s"_s);
    EXPECT_EQ(ErrorOf([&] { second.Commit(); }), ErrorNumber::PermissionDenied);
    EXPECT_EQ(ReadAll(path), RenameFilesDocument()) << "a refused save wrote something";

    // The holder saves freely, and the saved file is held in its turn.
    first.WriteValue(u"RenameFiles"_s, u"1"_s, u"settings"_s);
    first.Commit();
    first.Commit();
    EXPECT_EQ(ErrorOf([&] { second.Refresh(); }), ErrorNumber::PermissionDenied);
    first.SetFile({});
    EXPECT_EQ(ErrorOf([&] { second.Refresh(); }), 0);
    EXPECT_EQ(second.GetValue(u"renamefiles"_s, {}, u"settings"_s), u"1");
    EXPECT_EQ(ErrorOf([&] { first.SetFile(path); }), ErrorNumber::PermissionDenied);
}

TEST(CBinaryINI, HeldDocumentLocksOutOtherProcesses)
{
    TempFolder dir;
    const QString path = dir.Write(u"shared.cfg"_s, RenameFilesDocument());
    auto loadInChild = [&] {
        return InChild([&] {
            CBinaryINI ini;
            ini.SetFile(path);
            return ini.IsHeld() && ini.Records().size() == 1 ? 0 : 1;
        });
    };
    auto saveInChild = [&] {
        return InChild([&] {
            CBinaryINI ini;
            try {
                ini.SetFile(path);
            } catch (const AppError&) {
            }
            ini.WriteValue(u"from"_s, u"child"_s);
            ini.Commit();
            return 0;
        });
    };
    {
        CBinaryINI holder;
        holder.SetFile(path);
        EXPECT_EQ(loadInChild(), 70);
        EXPECT_EQ(saveInChild(), 70);
        EXPECT_EQ(ReadAll(path), RenameFilesDocument());
        holder.Commit(); // a saved document is held just the same
        EXPECT_EQ(loadInChild(), 70);
    }
    EXPECT_EQ(loadInChild(), 0);
    EXPECT_EQ(saveInChild(), 0);
    CBinaryINI reader;
    reader.SetFile(path);
    EXPECT_EQ(reader.GetValue(u"FROM"_s), u"child");

    // And the other way round: the child holds the document while the parent tries.
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const UniqueFd ends[] = {UniqueFd(toParent[0]), UniqueFd(toParent[1]), UniqueFd(toChild[0]),
                             UniqueFd(toChild[1])};
    reader.SetFile({});
    const pid_t pid = ::fork();
    if (pid == 0) {
        CBinaryINI holder;
        char c = 'x';
        try {
            holder.SetFile(path);
            c = 'h';
        } catch (...) {
        }
        (void)!::write(toParent[1], &c, 1);
        (void)!::read(toChild[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    EXPECT_EQ(c, 'h');
    EXPECT_EQ(ErrorOf([&] { reader.SetFile(path); }), ErrorNumber::PermissionDenied);
    (void)!::write(toChild[1], &c, 1);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(ErrorOf([&] { reader.Refresh(); }), 0) << "the lock ends with its process";
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
    EXPECT_EQ(writeError({{{}, {}, narrow + u'x'}}), ErrorNumber::Overflow);

    {
        ReferenceFolder folder(u"limit.cfg"_s);
        CBinaryINI ini;
        ini.SetFile(folder.path);
        ini.WriteValue(u"Library"_s, narrow + u'x', u"settings"_s);
        EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::Overflow);
        EXPECT_EQ(ReadAll(folder.path), RenameFilesDocument());
        EXPECT_TRUE(ini.IsHeld()) << "a rejected save keeps the document held";
    }

    // In memory the count is 16-bit too, deleted records included.
    TempFolder dir;
    records.removeLast();
    records.first().key = CBinaryINI::kDeletedKey;
    records.last().key = u"0"_s;
    CBinaryINI full;
    full.SetFile(dir.Write(u"full.cfg"_s, CBinaryINI::WriteRecords(records)));
    ASSERT_EQ(full.Records().size(), 32766);
    full.WriteValue(u"extra"_s, u"v"_s, u"s"_s);
    full.WriteValue(u"extra"_s, QString(), u"s"_s);
    ASSERT_EQ(full.Records().size(), 32767);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(u"one more"_s, u"v"_s); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(u"0"_s, u"w"_s); }), 0);
}

TEST(CBinaryINI, SaveThatRunsOutOfSpaceLeavesTheOldDocument)
{
    ReferenceFolder folder(u"keep.cfg"_s);
    // A full disk, simulated by a file-size limit smaller than the new document.
    const int code = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        CBinaryINI ini;
        ini.SetFile(folder.path);
        ini.WriteValue(u"Library"_s, QString(4000, u'x'), u"settings"_s);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ini.Commit();
        return 0;
    });
    EXPECT_EQ(code, ErrorNumber::PathFileAccess) << "the save did not fail as expected";
    EXPECT_EQ(ReadAll(folder.path), RenameFilesDocument());
}

TEST(CBinaryINI, SaveIntoReadOnlyFolderLeavesTheOldDocument)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, a read-only folder does not stop the save";
    ReferenceFolder folder(u"keep.cfg"_s);
    const QByteArray name = QFile::encodeName(folder.dir.path());
    const QString big(4000, u'x');
    CBinaryINI ini;
    ini.SetFile(folder.path);
    ini.WriteValue(u"Library"_s, big, u"settings"_s);
    ASSERT_EQ(::chmod(name.constData(), 0555), 0);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PermissionDenied);
    ::chmod(name.constData(), 0700);
    EXPECT_EQ(ReadAll(folder.path), RenameFilesDocument());
    EXPECT_FALSE(ini.IsHeld());

    ini.Commit(); // and it works again once the folder is writable
    EXPECT_TRUE(ini.IsHeld());
    CBinaryINI reader;
    EXPECT_EQ(ErrorOf([&] { reader.SetFile(folder.path); }), ErrorNumber::PermissionDenied);
    ini.SetFile({});
    reader.SetFile(folder.path);
    EXPECT_EQ(reader.GetValue(u"Library"_s, {}, u"settings"_s), big);
}

TEST(CBinaryINI, SaveKeepsPermissionsAndRejectsReadOnlyDocuments)
{
    TempFolder dir;
    const QString path = dir.Write(u"mode.cfg"_s, RenameFilesDocument());
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(u"x"_s, u"y"_s);
    ini.Commit();
    struct stat st
    {
    };
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ini.SetFile({});

    // Without write permission the document cannot be opened for its exclusive use.
    ASSERT_EQ(::chmod(name.constData(), 0440), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(ErrorOf([&] { ini.SetFile(path); }), ErrorNumber::PermissionDenied);
        EXPECT_FALSE(ini.IsHeld());
    }
}

TEST(CBinaryINI, TextRoundTripsThroughTheCodePages)
{
    TempFolder dir;
    const QString path = dir / u"text.cfg"_s;
    const QString foreign = u"\u041f\u0440\u0438 \u6771\u4eac \U0001F3B5 \u00e9"_s;
    const QString lookalike = u"\u00c3\u00a9"_s; // cp1252 bytes C3 A9 are UTF-8
    const std::tuple<const char*, QString, QByteArray> values[] = {
        {"ascii", u"/home/me/Music<+>"_s, "/home/me/Music<+>"},
        {"western", u"Caf\u00e9 \u00d1and\u00fa \u20ac5 \u201cq\u201d"_s,
         "Caf\xe9 \xd1"
         "and\xfa \x80"
         "5 \x93q\x94"},
        {"foreign", foreign, foreign.toUtf8()},
        {"lookalike", lookalike, lookalike.toUtf8()},
        {"controls", u"\u0081\u008d\u008f\u0090\u009d"_s, "\x81\x8d\x8f\x90\x9d"},
    };
    EXPECT_EQ(foreign.toUtf8().size(), 21) << "the length field counts bytes";

    CBinaryINI ini;
    ini.SetFile(path);
    QByteArray records;
    for (const auto& [key, text, bytes] : values) {
        ini.WriteValue(QLatin1StringView(key), text, u"s"_s);
        records += Record(key, bytes, "s");
    }
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(5, records));
    ini.SetFile({});
    ini.SetFile(path);
    for (const auto& [key, text, bytes] : values)
        EXPECT_EQ(ini.GetValue(QLatin1StringView(key), {}, u"s"_s), text) << key;

    // Keys and sections are encoded the same way, and still match without regard to case.
    ini.WriteValue(u"\u00c9t\u00e9"_s, u"v"_s, u"\u0421\u0415\u041a"_s);
    ini.Commit();
    ini.Refresh();
    EXPECT_EQ(ini.GetValue(u"\u00e9T\u00c9"_s, {}, u"\u0441\u0435\u043a"_s), u"v");
}
