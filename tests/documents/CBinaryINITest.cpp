#include "CBinaryINI.h"
#include "AppError.h"
#include "BinaryIniFixtures.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixtures;

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

} // namespace

TEST(CBinaryINI, WritesAndReadsTheReferenceFilesByteForByte)
{
    TempFolder dir;
    const QString path = dir / QStringLiteral("Default Settings.cfg");

    CBinaryINI ini;
    ini.SetFile(path);
    EXPECT_EQ(ini.File(), path);
    EXPECT_EQ(ini.GetSimpleFileName(), QStringLiteral("Default Settings"));
    EXPECT_FALSE(ini.IsHeld());
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_FALSE(QFile::exists(path)) << "binding to a new path creates nothing";

    ini.Commit();
    EXPECT_EQ(ReadAll(path), EmptyDocument());
    EXPECT_TRUE(ini.IsHeld());

    ini.WriteValue(QStringLiteral("RenameFiles"), QStringLiteral("0"), QStringLiteral("settings"));
    ini.Commit();
    EXPECT_EQ(ReadAll(path), RenameFilesDocument());
    ini.Commit();
    EXPECT_EQ(ReadAll(path), RenameFilesDocument()) << "saving twice writes the same bytes";

    CBinaryINI other;
    ini.SetFile({});
    EXPECT_TRUE(ini.File().isEmpty());
    EXPECT_TRUE(ini.GetSimpleFileName().isEmpty());
    EXPECT_TRUE(ini.Records().isEmpty());
    other.SetFile(path);
    ASSERT_EQ(other.Records().size(), 1);
    EXPECT_EQ(other.Records().at(0),
              (CBinaryINI::Record{QStringLiteral("RenameFiles"), QStringLiteral("0"),
                                  QStringLiteral("settings")}));
}

TEST(CBinaryINI, DuplicatesLetterCaseAndReservedStrings)
{
    TempFolder dir;
    const QByteArray file =
        Document(4, Record("Library", "A", "settings", {"junk", "", "x"}) +
                        Record("LIBRARY", "B", "SETTINGS") + Record("Library", "C", "") +
                        Record("Filetypes", "*.mp3", "settings"));
    const QString path = dir.Write(QStringLiteral("mix.cfg"), file);

    CBinaryINI ini;
    ini.SetFile(path);
    ASSERT_EQ(ini.Records().size(), 4);
    EXPECT_TRUE(ini.IsHeld());
    EXPECT_EQ(ini.GetValue(QStringLiteral("library"), {}, QStringLiteral("settings")), u"A");
    EXPECT_EQ(ini.GetValue(QStringLiteral("library")), u"C") << "the empty section is a section";
    EXPECT_EQ(
        ini.GetValue(QStringLiteral("Missing"), QStringLiteral("dflt"), QStringLiteral("settings")),
        u"dflt");
    EXPECT_EQ(
        ini.GetValue(QStringLiteral("Library"), QStringLiteral("dflt"), QStringLiteral("setting")),
        u"dflt");

    // The first match changes; the duplicate stays and both are saved.
    ini.WriteValue(QStringLiteral("LIBRARY"), QStringLiteral("Z"), QStringLiteral("Settings"));
    ini.Commit();
    EXPECT_EQ(ReadAll(path),
              Document(4, Record("Library", "Z", "settings") + Record("LIBRARY", "B", "SETTINGS") +
                              Record("Library", "C", "") +
                              Record("Filetypes", "*.mp3", "settings")));

    // Changes not saved are dropped by a reload.
    ini.WriteValue(QStringLiteral("Library"), QStringLiteral("Y"), QStringLiteral("settings"));
    ini.Refresh();
    EXPECT_EQ(ini.GetValue(QStringLiteral("Library"), {}, QStringLiteral("settings")), u"Z");
}

TEST(CBinaryINI, DeletingKeysAndSections)
{
    TempFolder dir;
    const QString path = dir / QStringLiteral("d.cfg");
    const QString s = QStringLiteral("settings");
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(QStringLiteral("a"), QStringLiteral("1"), s);
    ini.WriteValue(QStringLiteral("b"), QStringLiteral("2"), s);
    ini.WriteValue(QStringLiteral("c"), QStringLiteral("3"), QStringLiteral("other"));
    ini.WriteValue(QStringLiteral("e"), QString(), QString()); // stored: empty section

    ini.WriteValue(QStringLiteral("A"), QString(), s);
    EXPECT_EQ(ini.Records().size(), 4) << "a deleted record stays in memory";
    EXPECT_EQ(ini.Records().at(0).key, CBinaryINI::kDeletedKey);
    EXPECT_EQ(ini.GetValue(QStringLiteral("a"), QStringLiteral("gone"), s), u"gone");
    ini.WriteValue(QStringLiteral("nothing"), QString(), s); // no match: no change
    EXPECT_EQ(ini.Records().size(), 4);

    // Written again after deletion: a new record is appended, only it is saved.
    ini.WriteValue(QStringLiteral("a"), QStringLiteral("new"), s);
    EXPECT_EQ(ini.Records().size(), 5);
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(4, Record("b", "2", "settings") + Record("c", "3", "other") +
                                             Record("e", "", "") + Record("a", "new", "settings")));
    EXPECT_EQ(ini.Records().size(), 5) << "a save does not compact the records";

    // An empty key with an empty value deletes the whole section.
    ini.WriteValue(QString(), QString(), QStringLiteral("SETTINGS"));
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(2, Record("c", "3", "other") + Record("e", "", "")));
    ini.Refresh();
    EXPECT_EQ(ini.Records().size(), 2);

    // Everything deleted: the count field says 0 and nothing follows.
    ini.WriteValue(QString(), QString(), QStringLiteral("other"));
    ini.WriteValue(QStringLiteral("e"), QStringLiteral("x"), QString());
    ini.WriteValue(QString(), QString(), QStringLiteral("x"));
    ini.Commit();
    EXPECT_EQ(ReadAll(path), Document(1, Record("e", "x", "")));
}

TEST(CBinaryINI, DamagedFilesFailAndLeaveNothingHeld)
{
    TempFolder dir;
    const QByteArray good = Document(2, Record("Library", "/music<+>", "settings", {"r"}) +
                                            Record("RenameFiles", "1", "settings"));
    const QString path = dir / QStringLiteral("bad.cfg");

    auto loadError = [&](const QByteArray& bytes, CBinaryINI& ini) {
        dir.Write(QStringLiteral("bad.cfg"), bytes);
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
    EXPECT_EQ(ErrorOf([&] {
                  ini.SetFile({});
                  dir.Write(QStringLiteral("bad.cfg"), wrongMagic);
                  ini.SetFile(path);
              }),
              ErrorNumber::InvalidFileFormat);
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_FALSE(ini.IsHeld());

    // A negative length anywhere in a record, even in a reserved string.
    QByteArray negative = Document(1, Str("k") + Int16(-1));
    EXPECT_EQ(loadError(negative, ini), ErrorNumber::InvalidFileFormat);
    negative = Document(1, Str("k") + Str("v") + Str("s") + Str("") + Int16(-32768));
    EXPECT_EQ(loadError(negative, ini), ErrorNumber::InvalidFileFormat);
    EXPECT_FALSE(ini.IsHeld());

    // A count of zero or less loads nothing, whatever follows.
    EXPECT_EQ(loadError(Document(0, QByteArray(50, 'x')), ini), 0);
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_EQ(loadError(Document(-1, Record("a", "b", "c")), ini), 0);
    EXPECT_TRUE(ini.Records().isEmpty());
    EXPECT_TRUE(ini.IsHeld());
    // Extra bytes after the declared records are ignored.
    EXPECT_EQ(loadError(good + "trailing", ini), 0);
    EXPECT_EQ(ini.Records().size(), 2);

    // A document in a folder that does not exist loads empty and cannot be saved.
    const QString lost = dir / QStringLiteral("missing/lost.cfg");
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(lost); }), 0);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PathNotFound);
    EXPECT_FALSE(QFile::exists(dir / QStringLiteral("missing")));

    // A folder is not a document: it loads as an empty, unheld one.
    EXPECT_EQ(ErrorOf([&] { ini.SetFile(dir.MakeFolder(QStringLiteral("sub.cfg"))); }), 0);
    EXPECT_FALSE(ini.IsHeld());
}

TEST(CBinaryINI, HeldDocumentLocksOutOtherObjects)
{
    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("held.cfg"), RenameFilesDocument());

    CBinaryINI first;
    first.SetFile(path);
    ASSERT_TRUE(first.IsHeld());

    CBinaryINI second;
    try {
        second.SetFile(path);
        FAIL() << "a held document loaded twice";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), 70);
        EXPECT_EQ(error.description(), u"Permission denied");
    }
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(second.Records().isEmpty());
    second.WriteValue(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("s"));
    EXPECT_EQ(ErrorOf([&] { second.Commit(); }), ErrorNumber::PermissionDenied);
    EXPECT_EQ(ReadAll(path), RenameFilesDocument()) << "a refused save wrote something";
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("held.cfg")});

    // The holder saves freely, and the saved file is held in its turn.
    first.WriteValue(QStringLiteral("RenameFiles"), QStringLiteral("1"),
                     QStringLiteral("settings"));
    first.Commit();
    first.Commit();
    EXPECT_EQ(ErrorOf([&] { second.Refresh(); }), ErrorNumber::PermissionDenied);

    first.SetFile({});
    EXPECT_EQ(ErrorOf([&] { second.Refresh(); }), 0);
    EXPECT_EQ(second.GetValue(QStringLiteral("renamefiles"), {}, QStringLiteral("settings")), u"1");
    EXPECT_EQ(ErrorOf([&] { first.SetFile(path); }), ErrorNumber::PermissionDenied);
}

TEST(CBinaryINI, HeldDocumentLocksOutOtherProcesses)
{
    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("shared.cfg"), RenameFilesDocument());
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
            ini.WriteValue(QStringLiteral("from"), QStringLiteral("child"));
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
    EXPECT_EQ(reader.GetValue(QStringLiteral("FROM")), u"child");

    // And the other way round: the child holds the document while the parent tries.
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    reader.SetFile({});
    const pid_t pid = ::fork();
    if (pid == 0) {
        CBinaryINI holder;
        char c = 0;
        try {
            holder.SetFile(path);
            c = 'h';
        } catch (...) {
            c = 'x';
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
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
}

TEST(CBinaryINI, LimitsAreCheckedBeforeAnythingIsWritten)
{
    QList<CBinaryINI::Record> records(32767, {QStringLiteral("k"), QStringLiteral("v"), {}});
    EXPECT_EQ(CBinaryINI::WriteRecords(records).size(), 17 + 32767 * (3 + 3 + 2 + 20));
    records.append({QStringLiteral("k"), QStringLiteral("v"), {}});
    EXPECT_EQ(ErrorOf([&] { CBinaryINI::WriteRecords(records); }), ErrorNumber::Overflow);
    // Deleted records do not count towards the file's limit.
    records.last().key = CBinaryINI::kDeletedKey;
    EXPECT_EQ(ErrorOf([&] { CBinaryINI::WriteRecords(records); }), 0);

    // The length field counts bytes: 16,384 two-byte characters are one byte too many.
    const QString wide(16384, QChar(0x0101));
    EXPECT_EQ(ErrorOf([&] {
                  CBinaryINI::WriteRecords({{QStringLiteral("k"), wide, {}}});
              }),
              ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([&] {
                  CBinaryINI::WriteRecords({{QStringLiteral("k"), wide.left(16383), {}}});
              }),
              0);
    const QString narrow(32767, u'x');
    EXPECT_EQ(ErrorOf([&] { CBinaryINI::WriteRecords({{narrow, narrow, narrow}}); }), 0);
    EXPECT_EQ(ErrorOf([&] {
                  CBinaryINI::WriteRecords({{{}, {}, narrow + u'x'}});
              }),
              ErrorNumber::Overflow);

    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("limit.cfg"), RenameFilesDocument());
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(QStringLiteral("Library"), narrow + u'x', QStringLiteral("settings"));
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::Overflow);
    EXPECT_EQ(ReadAll(path), RenameFilesDocument());
    EXPECT_TRUE(ini.IsHeld()) << "a rejected save keeps the document held";
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("limit.cfg")});

    // In memory the count is 16-bit too, deleted records included.
    records.removeLast();
    records.first().key = CBinaryINI::kDeletedKey;
    records.last().key = QStringLiteral("0");
    const QString fullPath =
        dir.Write(QStringLiteral("full.cfg"), CBinaryINI::WriteRecords(records));
    CBinaryINI full;
    full.SetFile(fullPath);
    ASSERT_EQ(full.Records().size(), 32766);
    full.WriteValue(QStringLiteral("extra"), QStringLiteral("v"), QStringLiteral("s"));
    full.WriteValue(QStringLiteral("extra"), QString(), QStringLiteral("s"));
    ASSERT_EQ(full.Records().size(), 32767);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(QStringLiteral("one more"), QStringLiteral("v")); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([&] { full.WriteValue(QStringLiteral("0"), QStringLiteral("w")); }), 0);
}

TEST(CBinaryINI, SaveThatRunsOutOfSpaceLeavesTheOldDocument)
{
    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("keep.cfg"), RenameFilesDocument());

    // A full disk, simulated by a file-size limit smaller than the new document.
    const int code = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        CBinaryINI ini;
        ini.SetFile(path);
        ini.WriteValue(QStringLiteral("Library"), QString(4000, u'x'), QStringLiteral("settings"));
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ini.Commit();
        return 0;
    });
    EXPECT_EQ(code, ErrorNumber::PathFileAccess) << "the save did not fail as expected";
    EXPECT_EQ(ReadAll(path), RenameFilesDocument());
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("keep.cfg")})
        << "the temporary file was left behind";
}

TEST(CBinaryINI, SaveIntoReadOnlyFolderLeavesTheOldDocument)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, a read-only folder does not stop the save";
    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("keep.cfg"), RenameFilesDocument());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QString big(4000, u'x');

    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(QStringLiteral("Library"), big, QStringLiteral("settings"));
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    EXPECT_EQ(ErrorOf([&] { ini.Commit(); }), ErrorNumber::PermissionDenied);
    ::chmod(folder.constData(), 0700);
    EXPECT_EQ(ReadAll(path), RenameFilesDocument());
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("keep.cfg")});
    EXPECT_FALSE(ini.IsHeld());

    ini.Commit(); // and it works again once the folder is writable
    EXPECT_TRUE(ini.IsHeld());
    CBinaryINI reader;
    EXPECT_EQ(ErrorOf([&] { reader.SetFile(path); }), ErrorNumber::PermissionDenied);
    ini.SetFile({});
    reader.SetFile(path);
    EXPECT_EQ(reader.GetValue(QStringLiteral("Library"), {}, QStringLiteral("settings")), big);
}

TEST(CBinaryINI, SaveKeepsPermissionsAndRejectsReadOnlyDocuments)
{
    TempFolder dir;
    const QString path = dir.Write(QStringLiteral("mode.cfg"), RenameFilesDocument());
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(QStringLiteral("x"), QStringLiteral("y"));
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
    const QString path = dir / QStringLiteral("text.cfg");
    const QString western = QStringLiteral("Caf\u00e9 \u00d1and\u00fa \u20ac5 \u201cq\u201d");
    const QString foreign = QStringLiteral("\u041f\u0440\u0438 \u6771\u4eac \U0001F3B5 \u00e9");
    const QString lookalike = QStringLiteral("\u00c3\u00a9"); // cp1252 bytes C3 A9 are UTF-8
    const QString controls = QStringLiteral("\u0081\u008d\u008f\u0090\u009d");

    CBinaryINI ini;
    ini.SetFile(path);
    ini.WriteValue(QStringLiteral("ascii"), QStringLiteral("/home/me/Music<+>"),
                   QStringLiteral("s"));
    ini.WriteValue(QStringLiteral("western"), western, QStringLiteral("s"));
    ini.WriteValue(QStringLiteral("foreign"), foreign, QStringLiteral("s"));
    ini.WriteValue(QStringLiteral("lookalike"), lookalike, QStringLiteral("s"));
    ini.WriteValue(QStringLiteral("controls"), controls, QStringLiteral("s"));
    ini.Commit();

    const QByteArray foreignUtf8 = foreign.toUtf8();
    EXPECT_EQ(ReadAll(path), Document(5, Record("ascii", "/home/me/Music<+>", "s") +
                                             Record("western",
                                                    "Caf\xe9 \xd1"
                                                    "and\xfa \x80"
                                                    "5 \x93q\x94",
                                                    "s") +
                                             Record("foreign", foreignUtf8, "s") +
                                             Record("lookalike", lookalike.toUtf8(), "s") +
                                             Record("controls", "\x81\x8d\x8f\x90\x9d", "s")));
    EXPECT_EQ(foreignUtf8.size(), 21) << "the length field counts bytes";

    ini.SetFile({});
    ini.SetFile(path);
    EXPECT_EQ(ini.GetValue(QStringLiteral("ascii"), {}, QStringLiteral("s")), u"/home/me/Music<+>");
    EXPECT_EQ(ini.GetValue(QStringLiteral("western"), {}, QStringLiteral("s")), western);
    EXPECT_EQ(ini.GetValue(QStringLiteral("foreign"), {}, QStringLiteral("s")), foreign);
    EXPECT_EQ(ini.GetValue(QStringLiteral("lookalike"), {}, QStringLiteral("s")), lookalike);
    EXPECT_EQ(ini.GetValue(QStringLiteral("controls"), {}, QStringLiteral("s")), controls);

    // Keys and sections are encoded the same way, and still match without regard to case.
    ini.WriteValue(QStringLiteral("\u00c9t\u00e9"), QStringLiteral("v"),
                   QStringLiteral("\u0421\u0415\u041a"));
    ini.Commit();
    ini.Refresh();
    EXPECT_EQ(
        ini.GetValue(QStringLiteral("\u00e9T\u00c9"), {}, QStringLiteral("\u0441\u0435\u043a")),
        u"v");
}
