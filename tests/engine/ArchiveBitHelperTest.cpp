#include "engine/ArchiveBitHelper.h"
#include "base/Dates.h"
#include "platform/FileSystem.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/RecordingHost.h"

#include <QFile>

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

const QString kToday = ShortDateText(QDate::currentDate());
const QString kAborted = u"Sorry. Operation aborted.\r\n"_s;
const QStringList kCleanUp = {u"default cursor"_s, u"status "_s, u"hide progress"_s};
const QStringList kStart = {u"wait cursor"_s, u"show progress"_s, u"progress 0/100"_s};

// Runs the helper with one answer to the date question queued.
void Help(ScriptedDialogs& dialogs, const QStringList& libraries, const QString& fileTypes,
          RecordingHost& host, const QString& answer = kToday)
{
    dialogs->Queue(answer);
    ArchiveBitHelper(libraries, fileTypes, host);
}

#define SKIP_WITHOUT_XATTRS(dir)                                                                   \
    if (const QString why = NoUserXattrs((dir).path()); !why.isEmpty())                            \
    GTEST_SKIP() << why.toStdString()

} // namespace

// The date entered is a cut-off at 00:00 of that day; every flag of an older file is cleared,
// not only the archive mark; the suggested date (two weeks ahead) takes everything.
TEST(ArchiveBitHelper, ResetsFilesChangedBeforeTheDayEntered)
{
    TempFolder lib;
    SKIP_WITHOUT_XATTRS(lib);
    const QString old = Touched(lib.Write(u"old.mp3"_s, "a"), Yesterday(23, 59));
    const QString fresh =
        Touched(lib.Write(u"fresh.mp3"_s, "b"), QDateTime(QDate::currentDate(), QTime(0, 0, 1)));
    const QString deepOld = Touched(lib.Write(u"sub/deep.mp3"_s, "c"), Yesterday(12));
    const QString otherType = Touched(lib.Write(u"notes.txt"_s, "d"), Yesterday(1));
    const QString hidden = Touched(lib.Write(u".hidden.mp3"_s, "e"), Yesterday(2));
    const QString readOnly = Touched(lib.Write(u"locked.mp3"_s, "f"), Yesterday(3));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup);
    for (const QString& path : {old, fresh, deepOld, otherType, hidden, readOnly})
        ASSERT_TRUE(IsNew(path)) << path.toStdString();

    ScriptedDialogs dialogs;
    RecordingHost host;
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host); // subfolders only with "<+>"
    for (const QString& path : {fresh, deepOld, otherType})
        EXPECT_TRUE(IsNew(path)) << path.toStdString();
    for (const QString& path : {old, hidden, readOnly})
        EXPECT_FALSE(IsNew(path)) << path.toStdString();
    EXPECT_EQ(GetAttr(hidden) & FileAttribute::Hidden, FileAttribute::Hidden);
    EXPECT_EQ(GetAttr(readOnly) & FileAttribute::ReadOnly, 0);
    EXPECT_EQ(ReadAll(old), QByteArray("a")) << "only the attributes change";

    const DialogRequest& question = dialogs->Requests().at(0);
    EXPECT_EQ(question.kind, DialogRequest::Kind::Input);
    EXPECT_EQ(question.caption, u"Archive Bit Helper"_s);
    EXPECT_EQ(question.text,
              u"This utility is meant to be used in conjunction with the '% New Files' option in "
              u"the shuffler. It will help you render the files in your Libraries \"old.\"\r\n\r\n"
              u"Set the Archive bit OFF for files older than (enter date):"_s);
    const QStringList working = {u"status Getting list of files..."_s,
                                 u"status Working..."_s,
                                 u"progress 1/4"_s,
                                 u"progress 2/4"_s,
                                 u"progress 3/4"_s,
                                 u"progress 4/4"_s};
    EXPECT_EQ(host.events, kStart + working + kCleanUp);

    // Accepting the suggestion, with subfolders: a file changed just now is older too.
    dialogs->onRequest = [&](const DialogRequest& request) { dialogs->Queue(request.defaultText); };
    RecordingHost again;
    ArchiveBitHelper({lib.path() + u"<+>"_s}, u"*.mp3"_s, again);
    EXPECT_EQ(dialogs->Requests().at(1).defaultText,
              ShortDateText(QDate::currentDate().addDays(14)));
    for (const QString& path : {fresh, deepOld})
        EXPECT_FALSE(IsNew(path)) << path.toStdString();
    EXPECT_TRUE(IsNew(otherType));
}

TEST(ArchiveBitHelper, NoAnswerNoLibrariesOrFailuresChangeNothing)
{
    TempFolder lib;
    SKIP_WITHOUT_XATTRS(lib);
    const QString file = Touched(lib.Write(u"a.mp3"_s, "a"), Yesterday(8));
    ScriptedDialogs dialogs;
    RecordingHost host;
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host, QString()); // Cancel, or OK on an empty field
    EXPECT_TRUE(IsNew(file));
    EXPECT_TRUE(host.events.isEmpty()) << "pointer, status and progress are left as they were";

    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({}, u"*.mp3"_s, host);
    ExpectBox(dialogs->Requests().at(1), u"There are no libraries to search."_s,
              MsgIcon::Exclamation);
    EXPECT_TRUE(host.events.isEmpty());

    // Libraries without a matching file end quietly after the scan.
    Help(dialogs, {lib.path(), lib / u"missing"_s}, u"*.flac"_s, host);
    EXPECT_EQ(host.events, kStart + QStringList{u"status Getting list of files..."_s} + kCleanUp);

    // A non-date answer is a type mismatch; a bad file-type pattern fails inside the scan.
    const std::pair<QString, QString> cases[] = {
        {u"tomorrow"_s, u"*.mp3"_s}, {u" "_s, u"*.mp3"_s}, {kToday, u"[z-a]"_s}};
    for (const auto& [answer, types] : cases) {
        RecordingHost failing;
        dialogs->Queue(answer);
        dialogs->Queue(MsgResult::OK);
        ArchiveBitHelper({lib.path()}, types, failing);
        EXPECT_TRUE(IsNew(file));
        const DialogRequest& report = dialogs->Requests().constLast();
        EXPECT_EQ(report.icon, MsgIcon::Critical);
        EXPECT_EQ(failing.events.mid(failing.events.size() - 3), kCleanUp);
        EXPECT_TRUE(report.text.startsWith(
            kAborted + (types == u"[z-a]"_s ? u"(Error 93)"_s : u"(Error 13) Type mismatch"_s)))
            << report.text.toStdString();
    }
}

TEST(ArchiveBitHelperSlow, MoreThan32768FilesFailBeforeTheFirstChange)
{
    TempFolder lib;
    SKIP_WITHOUT_XATTRS(lib);
    for (int i = 0; i < 32768; ++i) {
        QFile file(lib / u"f%1.mp3"_s.arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.setFileTime(Yesterday(6), QFileDevice::FileModificationTime));
    }
    ScriptedDialogs dialogs;
    RecordingHost host, over;
    Help(dialogs, {lib.path()}, u"*.mp3"_s, host); // exactly 32,768 still works
    EXPECT_EQ(host.Progress().constLast(), u"32768/32768"_s);
    EXPECT_FALSE(IsNew(lib / u"f32767.mp3"_s));

    const QString extra = Touched(lib.Write(u"extra.mp3"_s, "x"), Yesterday(6));
    dialogs->Queue(kToday);
    dialogs->Queue(MsgResult::OK);
    ArchiveBitHelper({lib.path()}, u"*.mp3"_s, over);
    EXPECT_TRUE(IsNew(extra));
    EXPECT_EQ(dialogs->Requests().constLast().text, kAborted + u"(Error 6) Overflow"_s);
    EXPECT_EQ(over.Progress(), QStringList{u"0/100"_s});
}
