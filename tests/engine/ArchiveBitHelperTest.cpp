#include "ArchiveBitHelper.h"
#include "Dates.h"
#include "FileSystem.h"
#include "RecordingHost.h"
#include "ShuffleRun.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString Touched(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    EXPECT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    return path;
}

bool IsNew(const QString& path)
{
    return (GetAttr(path) & FileAttribute::Archive) != 0;
}

QDateTime Yesterday(int hour, int minute)
{
    return QDateTime(QDate::currentDate().addDays(-1), QTime(hour, minute));
}

QDateTime EarlierToday()
{
    return QDateTime(QDate::currentDate(), QTime(0, 0, 1));
}

const QStringList kCleanUp = {QStringLiteral("default cursor"), QStringLiteral("status "),
                              QStringLiteral("hide progress")};
const QStringList kStart = {QStringLiteral("wait cursor"), QStringLiteral("show progress"),
                            QStringLiteral("progress 0/100")};

} // namespace

TEST(ArchiveBitHelper, TodayResetsOnlyFilesChangedBeforeToday)
{
    TempFolder lib;
    const QString old = Touched(lib.Write(QStringLiteral("old.mp3"), "a"), Yesterday(23, 59));
    const QString fresh = Touched(lib.Write(QStringLiteral("fresh.mp3"), "b"), EarlierToday());
    const QString deepOld =
        Touched(lib.Write(QStringLiteral("sub/deep.mp3"), "c"), Yesterday(12, 0));
    const QString otherType = Touched(lib.Write(QStringLiteral("notes.txt"), "d"), Yesterday(1, 0));
    const QString hidden = Touched(lib.Write(QStringLiteral(".hidden.mp3"), "e"), Yesterday(2, 0));
    const QString readOnly = Touched(lib.Write(QStringLiteral("locked.mp3"), "f"), Yesterday(3, 0));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup);
    ASSERT_EQ(GetAttr(readOnly) & FileAttribute::ReadOnly, FileAttribute::ReadOnly);
    ASSERT_EQ(GetAttr(hidden) & FileAttribute::Hidden, FileAttribute::Hidden);
    for (const QString& path : {old, fresh, deepOld, otherType, hidden, readOnly})
        ASSERT_TRUE(IsNew(path)) << path.toStdString();

    ScriptedDialogs dialogs;
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    RecordingHost host;
    // Subfolders only count for an entry that asks for them.
    ArchiveBitHelper({lib.path()}, QStringLiteral("*.mp3"), host);

    EXPECT_FALSE(IsNew(old));
    EXPECT_TRUE(IsNew(fresh)) << "changed on the day entered";
    EXPECT_TRUE(IsNew(deepOld));
    EXPECT_TRUE(IsNew(otherType));
    EXPECT_FALSE(IsNew(hidden));
    EXPECT_EQ(GetAttr(hidden) & FileAttribute::Hidden, FileAttribute::Hidden)
        << "hidden is part of the name here";
    EXPECT_FALSE(IsNew(readOnly));
    EXPECT_EQ(GetAttr(readOnly) & FileAttribute::ReadOnly, 0);
    EXPECT_EQ(ReadAll(old), QByteArray("a")) << "only the attributes change";

    ASSERT_EQ(dialogs->Requests().size(), 1);
    const DialogRequest& question = dialogs->Requests().at(0);
    EXPECT_EQ(question.kind, DialogRequest::Kind::Input);
    EXPECT_EQ(question.caption, QStringLiteral("Archive Bit Helper"));
    EXPECT_EQ(question.text,
              QStringLiteral("This utility is meant to be used in conjunction with the '% New "
                             "Files' option in the shuffler. It will help you render the files "
                             "in your Libraries \"old.\"\r\n\r\nSet the Archive bit OFF for "
                             "files older than (enter date):"));
    EXPECT_EQ(question.defaultText, ShortDateText(QDate::currentDate().addDays(14)));

    QStringList expected = kStart;
    expected << QStringLiteral("status Getting list of files...")
             << QStringLiteral("status Working...");
    for (int i = 1; i <= 4; ++i)
        expected << QStringLiteral("progress %1/4").arg(i);
    expected << kCleanUp;
    EXPECT_EQ(host.events, expected);

    // With subfolders, the deeper file is reached too.
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    RecordingHost again;
    ArchiveBitHelper({lib.path() + QStringLiteral("<+>")}, QStringLiteral("*.mp3"), again);
    EXPECT_FALSE(IsNew(deepOld));
    EXPECT_TRUE(IsNew(fresh));
}

TEST(ArchiveBitHelper, TheSuggestedDateResetsEverythingUpToToday)
{
    TempFolder a;
    TempFolder b;
    const QString first = a.Write(QStringLiteral("now.wav"), "1");
    const QString second = Touched(b.Write(QStringLiteral("x/older.mp3"), "2"), Yesterday(9, 0));
    const QString skipped = a.Write(QStringLiteral("song.ogg"), "3");

    ScriptedDialogs dialogs;
    // Accept whatever the box suggests.
    dialogs->onRequest = [&](const DialogRequest& request) { dialogs->Queue(request.defaultText); };
    RecordingHost host;
    ArchiveBitHelper({a.path(), b.path() + QStringLiteral("<+>")}, QStringLiteral("*.mp3,*.wav"),
                     host);
    EXPECT_FALSE(IsNew(first)) << "a file changed just now is older than two weeks ahead";
    EXPECT_FALSE(IsNew(second));
    EXPECT_TRUE(IsNew(skipped));
    EXPECT_EQ(host.Progress(),
              (QStringList{QStringLiteral("0/100"), QStringLiteral("1/2"), QStringLiteral("2/2")}));
}

TEST(ArchiveBitHelper, NoAnswerOrNoLibrariesChangeNothing)
{
    TempFolder lib;
    const QString file = Touched(lib.Write(QStringLiteral("a.mp3"), "a"), Yesterday(8, 0));
    ScriptedDialogs dialogs;
    RecordingHost host;

    dialogs->Queue(QString()); // Cancel, or OK on an empty field
    ArchiveBitHelper({lib.path()}, QStringLiteral("*.mp3"), host);
    EXPECT_TRUE(IsNew(file));
    EXPECT_TRUE(host.events.isEmpty()) << "pointer, status and progress are left as they were";

    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({}, QStringLiteral("*.mp3"), host);
    ASSERT_EQ(dialogs->Requests().size(), 2);
    const DialogRequest& warning = dialogs->Requests().at(1);
    EXPECT_EQ(warning.kind, DialogRequest::Kind::Message);
    EXPECT_EQ(warning.text, QStringLiteral("There are no libraries to search."));
    EXPECT_EQ(warning.icon, MsgIcon::Exclamation);
    EXPECT_EQ(warning.buttons, MsgButtons::OK);
    EXPECT_EQ(warning.caption, QStringLiteral("Pendrift"));
    EXPECT_TRUE(host.events.isEmpty());

    // Libraries without a matching file end quietly after the scan.
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    ArchiveBitHelper({lib.path(), lib / QStringLiteral("missing")}, QStringLiteral("*.flac"), host);
    QStringList expected = kStart;
    expected << QStringLiteral("status Getting list of files...") << kCleanUp;
    EXPECT_EQ(host.events, expected);
    EXPECT_EQ(dialogs->Requests().size(), 3);
}

TEST(ArchiveBitHelper, FailuresAreReportedAndCleanedUp)
{
    TempFolder lib;
    const QString file = Touched(lib.Write(QStringLiteral("a.mp3"), "a"), Yesterday(8, 0));
    ScriptedDialogs dialogs;

    for (const QString& answer : {QStringLiteral("tomorrow"), QStringLiteral(" ")}) {
        RecordingHost host;
        dialogs->Queue(answer);
        dialogs->Queue(MsgResult::OK);
        ArchiveBitHelper({lib.path()}, QStringLiteral("*.mp3"), host);
        EXPECT_TRUE(IsNew(file));
        const DialogRequest& report = dialogs->Requests().constLast();
        EXPECT_EQ(report.text,
                  QStringLiteral("Sorry. Operation aborted.\r\n(Error 13) Type mismatch"));
        EXPECT_EQ(report.icon, MsgIcon::Critical);
        EXPECT_EQ(host.events, kStart + kCleanUp) << answer.toStdString();
    }

    // A bad file-type pattern fails inside the scan.
    RecordingHost host;
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({lib.path()}, QStringLiteral("[z-a]"), host);
    EXPECT_TRUE(dialogs->Requests().constLast().text.startsWith(
        QStringLiteral("Sorry. Operation aborted.\r\n(Error 93)")));
    EXPECT_EQ(host.events.mid(host.events.size() - 3), kCleanUp);
}

TEST(ArchiveBitHelper, MoreThan32768FilesFailBeforeTheFirstChange)
{
    TempFolder lib;
    const QDateTime old = Yesterday(6, 0);
    for (int i = 0; i < 32768; ++i) {
        QFile file(lib / QStringLiteral("f%1.mp3").arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ScriptedDialogs dialogs;
    {
        // Exactly 32,768 still works.
        RecordingHost host;
        dialogs->Queue(ShortDateText(QDate::currentDate()));
        ArchiveBitHelper({lib.path()}, QStringLiteral("*.mp3"), host);
        EXPECT_EQ(host.Progress().constLast(), QStringLiteral("32768/32768"));
        EXPECT_FALSE(IsNew(lib / QStringLiteral("f0.mp3")));
        EXPECT_FALSE(IsNew(lib / QStringLiteral("f32767.mp3")));
    }
    const QString extra = Touched(lib.Write(QStringLiteral("extra.mp3"), "x"), old);
    RecordingHost host;
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({lib.path()}, QStringLiteral("*.mp3"), host);
    EXPECT_TRUE(IsNew(extra));
    EXPECT_EQ(dialogs->Requests().constLast().text,
              QStringLiteral("Sorry. Operation aborted.\r\n(Error 6) Overflow"));
    EXPECT_EQ(host.Progress(), QStringList{QStringLiteral("0/100")});
    EXPECT_EQ(host.events.mid(host.events.size() - 3), kCleanUp);
}

TEST(ArchiveBitHelper, ARunAfterwardsTakesTheResetFilesAsOld)
{
    TempFolder root;
    const QString lib = root.MakeFolder(QStringLiteral("lib"));
    const QString today =
        Touched(root.Write(QStringLiteral("lib/today.mp3"), "today"), EarlierToday());
    Touched(root.Write(QStringLiteral("lib/one.mp3"), "one"), Yesterday(23, 59));
    Touched(root.Write(QStringLiteral("lib/two.mp3"), "two"), Yesterday(10, 0));
    const QString dest = root.MakeFolder(QStringLiteral("dest"));

    ScriptedDialogs dialogs;
    RecordingHost helperHost;
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    ArchiveBitHelper({lib}, QStringLiteral("*.mp3"), helperHost);

    // Every file fits; renamed copies tell the passes apart: "A" for new files, "F" for the
    // fill with any files.
    ShuffleJob job;
    job.libraries = {lib};
    job.fileTypes = QStringLiteral("*.mp3");
    job.destinations = {dest + QStringLiteral(",1,100")};
    job.renameFiles = 1;
    RecordingHost runHost;
    EXPECT_EQ(StartShuffle(job, runHost, true), ShuffleOutcome::Finished);
    const QStringList names = QDir(dest).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{QStringLiteral("A0001.mp3"), QStringLiteral("F0001.mp3"),
                                  QStringLiteral("F0002.mp3")}));
    EXPECT_EQ(ReadAll(dest + QStringLiteral("/A0001.mp3")), ReadAll(today));

    // After resetting everything, the first pass finds no new file at all.
    dialogs->onRequest = [&](const DialogRequest& request) {
        if (request.kind == DialogRequest::Kind::Input)
            dialogs->Queue(request.defaultText);
    };
    ArchiveBitHelper({lib}, QStringLiteral("*.mp3"), helperHost);
    EXPECT_FALSE(IsNew(today));
    RecordingHost secondRun;
    EXPECT_EQ(StartShuffle(job, secondRun, true), ShuffleOutcome::Finished);
    EXPECT_EQ(QDir(dest).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("F0001.mp3"), QStringLiteral("F0002.mp3"),
                           QStringLiteral("F0003.mp3")}));
    EXPECT_FALSE(secondRun.Statuses().contains(QStringLiteral("Copying new files 1...")));
}
