#include "engine/ArchiveBitHelper.h"
#include "engine/ShuffleRun.h"
#include "support/Dates.h"
#include "support/FileSystem.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

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

QDateTime Yesterday(int hour, int minute = 0)
{
    return QDateTime(QDate::currentDate().addDays(-1), QTime(hour, minute));
}

const QDateTime kEarlierToday(QDate::currentDate(), QTime(0, 0, 1));
const QString kAborted = u"Sorry. Operation aborted.\r\n"_s;
const QStringList kCleanUp = {u"default cursor"_s, u"status "_s, u"hide progress"_s};
const QStringList kStart = {u"wait cursor"_s, u"show progress"_s, u"progress 0/100"_s};

// Runs the helper on the libraries with one answer to the date question queued.
void Help(ScriptedDialogs& dialogs, const QStringList& libraries, const QString& fileTypes,
          RecordingHost& host, const QString& answer = ShortDateText(QDate::currentDate()))
{
    dialogs->Queue(answer);
    ArchiveBitHelper(libraries, fileTypes, host);
}

} // namespace

TEST(ArchiveBitHelper, TodayResetsOnlyFilesChangedBeforeToday)
{
    TempFolder lib;
    const QString old = Touched(lib.Write(u"old.mp3"_s, "a"), Yesterday(23, 59));
    const QString fresh = Touched(lib.Write(u"fresh.mp3"_s, "b"), kEarlierToday);
    const QString deepOld = Touched(lib.Write(u"sub/deep.mp3"_s, "c"), Yesterday(12));
    const QString otherType = Touched(lib.Write(u"notes.txt"_s, "d"), Yesterday(1));
    const QString hidden = Touched(lib.Write(u".hidden.mp3"_s, "e"), Yesterday(2));
    const QString readOnly = Touched(lib.Write(u"locked.mp3"_s, "f"), Yesterday(3));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup);
    ASSERT_EQ(GetAttr(readOnly) & FileAttribute::ReadOnly, FileAttribute::ReadOnly);
    for (const QString& path : {old, fresh, deepOld, otherType, hidden, readOnly})
        ASSERT_TRUE(IsNew(path)) << path.toStdString();

    ScriptedDialogs dialogs;
    RecordingHost host;
    // Subfolders only count for an entry that asks for them.
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host);
    for (const QString& path : {fresh, deepOld, otherType}) // fresh: changed on the day entered
        EXPECT_TRUE(IsNew(path)) << path.toStdString();
    for (const QString& path : {old, hidden, readOnly})
        EXPECT_FALSE(IsNew(path)) << path.toStdString();
    EXPECT_EQ(GetAttr(hidden) & FileAttribute::Hidden, FileAttribute::Hidden)
        << "hidden is part of the name here";
    EXPECT_EQ(GetAttr(readOnly) & FileAttribute::ReadOnly, 0);
    EXPECT_EQ(ReadAll(old), QByteArray("a")) << "only the attributes change";

    ASSERT_EQ(dialogs->Requests().size(), 1);
    const DialogRequest& question = dialogs->Requests().at(0);
    EXPECT_EQ(question.kind, DialogRequest::Kind::Input);
    EXPECT_EQ(question.caption, u"Archive Bit Helper"_s);
    EXPECT_EQ(question.text,
              u"This utility is meant to be used in conjunction with the '% New Files' option in "
              u"the shuffler. It will help you render the files in your Libraries \"old.\"\r\n\r\n"
              u"Set the Archive bit OFF for files older than (enter date):"_s);
    EXPECT_EQ(question.defaultText, ShortDateText(QDate::currentDate().addDays(14)));
    const QStringList working{u"status Getting list of files..."_s,
                              u"status Working..."_s,
                              u"progress 1/4"_s,
                              u"progress 2/4"_s,
                              u"progress 3/4"_s,
                              u"progress 4/4"_s};
    EXPECT_EQ(host.events, kStart + working + kCleanUp);

    // With subfolders, the deeper file is reached too.
    RecordingHost again;
    Help(dialogs, {lib.path() + u"<+>"_s}, u"*.mp3"_s, again);
    EXPECT_FALSE(IsNew(deepOld));
    EXPECT_TRUE(IsNew(fresh));
}

TEST(ArchiveBitHelper, TheSuggestedDateResetsEverythingUpToToday)
{
    TempFolder a, b;
    const QString first = a.Write(u"now.wav"_s, "1");
    const QString second = Touched(b.Write(u"x/older.mp3"_s, "2"), Yesterday(9));
    const QString skipped = a.Write(u"song.ogg"_s, "3");

    ScriptedDialogs dialogs;
    // Accept whatever the box suggests.
    dialogs->onRequest = [&](const DialogRequest& request) { dialogs->Queue(request.defaultText); };
    RecordingHost host;
    ArchiveBitHelper({a.path(), b.path() + u"<+>"_s}, u"*.mp3,*.wav"_s, host);
    EXPECT_FALSE(IsNew(first)) << "a file changed just now is older than two weeks ahead";
    EXPECT_FALSE(IsNew(second));
    EXPECT_TRUE(IsNew(skipped));
    EXPECT_EQ(host.Progress(), (QStringList{u"0/100"_s, u"1/2"_s, u"2/2"_s}));
}

TEST(ArchiveBitHelper, NoAnswerNoLibrariesOrFailuresChangeNothing)
{
    TempFolder lib;
    const QString file = Touched(lib.Write(u"a.mp3"_s, "a"), Yesterday(8));
    ScriptedDialogs dialogs;
    RecordingHost host;
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host, QString()); // Cancel, or OK on an empty field
    EXPECT_TRUE(IsNew(file));
    EXPECT_TRUE(host.events.isEmpty()) << "pointer, status and progress are left as they were";

    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({}, u"*.mp3"_s, host);
    ASSERT_EQ(dialogs->Requests().size(), 2);
    const DialogRequest& warning = dialogs->Requests().at(1);
    EXPECT_EQ(warning.kind, DialogRequest::Kind::Message);
    EXPECT_EQ(warning.text, u"There are no libraries to search."_s);
    EXPECT_EQ(warning.icon, MsgIcon::Exclamation);
    EXPECT_EQ(warning.buttons, MsgButtons::OK);
    EXPECT_EQ(warning.caption, u"Pendrift"_s);
    EXPECT_TRUE(host.events.isEmpty());

    // Libraries without a matching file end quietly after the scan.
    Help(dialogs, {lib.path(), lib / u"missing"_s}, u"*.flac"_s, host);
    EXPECT_EQ(host.events, kStart + QStringList{u"status Getting list of files..."_s} + kCleanUp);
    EXPECT_EQ(dialogs->Requests().size(), 3);

    // A non-date answer is a type mismatch; a bad file-type pattern fails inside the scan.
    const std::pair<QString, QString> cases[] = {{u"tomorrow"_s, u"*.mp3"_s},
                                                 {u" "_s, u"*.mp3"_s},
                                                 {ShortDateText(QDate::currentDate()), u"[z-a]"_s}};
    for (const auto& [answer, types] : cases) {
        RecordingHost failing;
        dialogs->Queue(answer);
        dialogs->Queue(MsgResult::OK);
        ArchiveBitHelper({lib.path()}, types, failing);
        EXPECT_TRUE(IsNew(file));
        const DialogRequest& report = dialogs->Requests().constLast();
        EXPECT_EQ(report.icon, MsgIcon::Critical);
        EXPECT_EQ(failing.events.mid(failing.events.size() - 3), kCleanUp);
        if (types == u"[z-a]"_s) {
            EXPECT_TRUE(report.text.startsWith(kAborted + u"(Error 93)"_s));
        } else {
            EXPECT_EQ(report.text, kAborted + u"(Error 13) Type mismatch"_s);
            EXPECT_EQ(failing.events, kStart + kCleanUp) << answer.toStdString();
        }
    }
}

TEST(ArchiveBitHelperSlow, MoreThan32768FilesFailBeforeTheFirstChange)
{
    TempFolder lib;
    for (int i = 0; i < 32768; ++i) {
        QFile file(lib / u"f%1.mp3"_s.arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.setFileTime(Yesterday(6), QFileDevice::FileModificationTime));
    }
    ScriptedDialogs dialogs;
    RecordingHost host, over;
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host); // exactly 32,768 still works
    EXPECT_EQ(host.Progress().constLast(), u"32768/32768"_s);
    EXPECT_FALSE(IsNew(lib / u"f0.mp3"_s));
    EXPECT_FALSE(IsNew(lib / u"f32767.mp3"_s));

    const QString extra = Touched(lib.Write(u"extra.mp3"_s, "x"), Yesterday(6));
    dialogs->Queue(ShortDateText(QDate::currentDate()));
    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({lib.path()}, u"*.mp3"_s, over);
    EXPECT_TRUE(IsNew(extra));
    EXPECT_EQ(dialogs->Requests().constLast().text, kAborted + u"(Error 6) Overflow"_s);
    EXPECT_EQ(over.Progress(), QStringList{u"0/100"_s});
    EXPECT_EQ(over.events.mid(over.events.size() - 3), kCleanUp);
}

TEST(ArchiveBitHelper, ARunAfterwardsTakesTheResetFilesAsOld)
{
    TempFolder root;
    const QString lib = root.MakeFolder(u"lib"_s), dest = root.MakeFolder(u"dest"_s);
    const QString today = Touched(root.Write(u"lib/today.mp3"_s, "today"), kEarlierToday);
    Touched(root.Write(u"lib/one.mp3"_s, "one"), Yesterday(23, 59));
    Touched(root.Write(u"lib/two.mp3"_s, "two"), Yesterday(10));
    ScriptedDialogs dialogs;
    RecordingHost helperHost, runHost, secondRun;
    Help(dialogs, {lib}, u"*.mp3"_s, helperHost);

    // Every file fits; renamed copies tell the passes apart: "A" for new files, "F" for the
    // fill with any files.
    ShuffleJob job;
    job.libraries = {lib};
    job.fileTypes = u"*.mp3"_s;
    job.destinations = {dest + u",1,100"_s};
    job.renameFiles = 1;
    EXPECT_EQ(StartShuffle(job, runHost, true), ShuffleOutcome::Finished);
    EXPECT_EQ(QDir(dest).entryList(QDir::Files, QDir::Name),
              (QStringList{u"A0001.mp3"_s, u"F0001.mp3"_s, u"F0002.mp3"_s}));
    EXPECT_EQ(ReadAll(dest + u"/A0001.mp3"_s), ReadAll(today));

    // After resetting everything (the suggested date), the first pass finds no new file at all.
    Help(dialogs, {lib}, u"*.mp3"_s, helperHost, ShortDateText(QDate::currentDate().addDays(14)));
    EXPECT_FALSE(IsNew(today));
    EXPECT_EQ(StartShuffle(job, secondRun, true), ShuffleOutcome::Finished);
    EXPECT_EQ(QDir(dest).entryList(QDir::Files, QDir::Name),
              (QStringList{u"F0001.mp3"_s, u"F0002.mp3"_s, u"F0003.mp3"_s}));
    EXPECT_FALSE(secondRun.Statuses().contains(u"Copying new files 1..."_s));
}
