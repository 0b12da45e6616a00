#include "ShuffleRun.h"
#include "AppError.h"
#include "FileSystem.h"
#include "RecordingHost.h"
#include "TestSupport.h"
#include "Transfer.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

// Content that differs from file to file, so a copy under the wrong name is caught.
QByteArray Content(const QString& name, int size)
{
    QByteArray bytes(size, '\0');
    const QByteArray seed = name.toUtf8();
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed[i % seed.size()] + i / 7);
    return bytes;
}

class Library
{
public:
    // A file in the library; old files have their "new" mark cleared.
    QString Add(const QString& relative, int size, bool isNew = true)
    {
        const QString path =
            m_root.Write(QStringLiteral("lib/") + relative, Content(relative, size));
        if (!isNew)
            SetAttr(path, FileAttribute::Normal);
        m_sources.insert(QFileInfo(path).fileName(), path);
        return path;
    }
    QString Folder() const { return m_root / QStringLiteral("lib"); }
    // A destination folder, made.
    QString Made(const QString& name) const
    {
        QDir().mkpath(Dest(name));
        return Dest(name);
    }
    // The library folder (without its subfolders) as the only library entry.
    ShuffleJob Job(const QString& fileTypes, const QStringList& destinations,
                   int renameFiles = 0) const
    {
        ShuffleJob job;
        job.libraries = {Folder()};
        job.fileTypes = fileTypes;
        job.destinations = destinations;
        job.renameFiles = renameFiles;
        return job;
    }
    QString Dest(const QString& name) const { return m_root / name; }
    QString Root() const { return m_root.path(); }
    const QHash<QString, QString>& Sources() const { return m_sources; }

private:
    TempFolder m_root;
    QHash<QString, QString> m_sources;
};

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList PlaylistLines(const QString& path)
{
    const QByteArray bytes = ReadAll(path);
    EXPECT_TRUE(bytes.endsWith("\r\n")) << path.toStdString();
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

const QRegularExpression
    kDoneLine(QStringLiteral("^Done in \\d+ seconds \\(Transferred \\d+ KB/s\\)$"));

} // namespace

TEST(ShuffleRun, TwoDestinationsNewFilesFirstThenFill)
{
    Library lib;
    lib.Add(QStringLiteral("new1.mp3"), 200000);
    lib.Add(QStringLiteral("sub/new2.wma"), 200000);
    lib.Add(QStringLiteral("old1.mp3"), 300000, false);
    lib.Add(QStringLiteral("sub/old2.mp3"), 300000, false);
    lib.Add(QStringLiteral("notes.txt"), 1000);
    QDir().mkpath(lib.Dest(QStringLiteral("A")));
    QDir().mkpath(lib.Dest(QStringLiteral("B")));

    ShuffleJob job;
    job.libraries = {lib.Folder() + QStringLiteral("<+>")};
    job.fileTypes = QStringLiteral("*.mp3,*.wma,*.wav");
    // A: half of 1 MB for new files takes both new ones; the fill then takes both old ones.
    job.destinations = {lib.Dest(QStringLiteral("A")) + QStringLiteral(",1,50"),
                        lib.Dest(QStringLiteral("B")) + QStringLiteral(",1,50")};
    RecordingHost host;
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::No); // keep what the destinations hold
    dialogs->Queue(MsgResult::OK); // Done!

    QString final;
    EXPECT_EQ(StartShuffle(job, host, false, &final), ShuffleOutcome::Finished);

    const QStringList expectedA = {QStringLiteral("new1.mp3"), QStringLiteral("new2.wma"),
                                   QStringLiteral("old1.mp3"), QStringLiteral("old2.mp3")};
    EXPECT_EQ(FilesIn(lib.Dest(QStringLiteral("A"))), expectedA);
    for (const QString& name : expectedA)
        EXPECT_EQ(ReadAll(lib.Dest(QStringLiteral("A/")) + name),
                  ReadAll(lib.Sources().value(name)))
            << name.toStdString();
    // Every name is already in A, so B gets nothing.
    EXPECT_TRUE(FilesIn(lib.Dest(QStringLiteral("B"))).isEmpty());

    // The playlist keeps what the fill chose for the folder, beside it.
    const QStringList playlistA = PlaylistLines(lib.Dest(QStringLiteral("A.m3u")));
    ASSERT_EQ(playlistA.size(), 3);
    EXPECT_EQ(playlistA.at(0), QStringLiteral("#EXTM3U"));
    EXPECT_EQ(QSet<QString>(playlistA.begin() + 1, playlistA.end()),
              (QSet<QString>{lib.Sources().value(QStringLiteral("old1.mp3")),
                             lib.Sources().value(QStringLiteral("old2.mp3"))}));
    EXPECT_EQ(ReadAll(lib.Dest(QStringLiteral("B.m3u"))), QByteArray("#EXTM3U\r\n"));

    EXPECT_EQ(host.Statuses(), (QStringList{QStringLiteral("Initializing..."),
                                            QStringLiteral("Getting list of files..."),
                                            QStringLiteral("Scanning for new files..."),
                                            QStringLiteral("Randomizing list..."),
                                            QStringLiteral("Determining new files 1..."),
                                            QStringLiteral("Copying new files 1..."),
                                            QStringLiteral("Determining new files 2..."),
                                            QStringLiteral("Determining dest files 1..."),
                                            QStringLiteral("Copying dest files 1..."),
                                            QStringLiteral("Determining dest files 2..."), final}));
    EXPECT_TRUE(kDoneLine.match(final).hasMatch()) << final.toStdString();
    EXPECT_EQ(host.Progress(),
              (QStringList{QStringLiteral("0/100"), QStringLiteral("1/5"), QStringLiteral("2/5"),
                           QStringLiteral("3/5"), QStringLiteral("4/5"), QStringLiteral("5/5")}));
    EXPECT_EQ(host.events.first(), QStringLiteral("clear cancel"));
    EXPECT_FALSE(host.busy);
    // One check per candidate of every step, besides those between phases.
    EXPECT_GT(host.checks, 2 * (4 + 2) + 4);

    ASSERT_EQ(dialogs->Requests().size(), 2);
    const DialogRequest& empty = dialogs->Requests().at(0);
    EXPECT_EQ(empty.text, QStringLiteral("Delete all files from destination folders first?"));
    EXPECT_EQ(empty.icon, MsgIcon::Question);
    EXPECT_EQ(empty.buttons, MsgButtons::YesNo);
    EXPECT_EQ(empty.defaultButton, MsgResult::No);
    EXPECT_EQ(dialogs->Requests().at(1).text, QStringLiteral("Done!"));
    EXPECT_EQ(dialogs->Requests().at(1).icon, MsgIcon::None);
}

TEST(ShuffleRun, BudgetsDecideAndEarlierDestinationsPickFirst)
{
    Library lib;
    // 1 MB holds exactly one of these with the exact-fit file, or two of the others.
    lib.Add(QStringLiteral("exact.mp3"), 1048576, false);
    lib.Add(QStringLiteral("a.mp3"), 500000, false);
    lib.Add(QStringLiteral("b.mp3"), 500000, false);
    lib.Add(QStringLiteral("c.mp3"), 500000, false);
    const QString x = lib.Dest(QStringLiteral("X"));
    const QString y = lib.Dest(QStringLiteral("Y"));
    const QString z = lib.Dest(QStringLiteral("Z"));
    ShuffleJob job =
        lib.Job(QStringLiteral("*.mp3"), {x + QStringLiteral(",1,0"), y + QStringLiteral(",1,"),
                                          z + QStringLiteral(",1,0")});
    RecordingHost host;
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::Yes); // create the missing folders
    EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Finished);

    QStringList all;
    qint64 bytes[3] = {};
    int i = 0;
    for (const QString& dest : {x, y, z}) {
        for (const QString& name : FilesIn(dest)) {
            all << name;
            bytes[i] += QFileInfo(dest + u'/' + name).size();
            EXPECT_EQ(ReadAll(dest + u'/' + name), ReadAll(lib.Sources().value(name)));
        }
        EXPECT_LE(bytes[i], 1048576);
        ++i;
    }
    // Every file went somewhere, none twice, and no destination overflowed.
    all.sort();
    EXPECT_EQ(all, (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                QStringLiteral("c.mp3"), QStringLiteral("exact.mp3")}));
    EXPECT_EQ(dialogs->Requests().size(), 1);
    EXPECT_EQ(dialogs->Requests().at(0).icon, MsgIcon::Exclamation);
}

TEST(ShuffleRun, RandomRenameNumbersEachStepAndKeepsExtensions)
{
    Library lib;
    lib.Add(QStringLiteral("n1.mp3"), 1000);
    lib.Add(QStringLiteral("n2.wma"), 1000);
    lib.Add(QStringLiteral("n3.mp3"), 1000);
    lib.Add(QStringLiteral("o1.wma"), 1000, false);
    lib.Add(QStringLiteral("o2.mp3"), 1000, false);
    const QString a = lib.Made(QStringLiteral("A"));
    ShuffleJob job = lib.Job(QStringLiteral("*.mp3,*.wma"), {a + QStringLiteral(",1,100")}, 1);
    RecordingHost host;
    ScriptedDialogs dialogs;
    EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Finished);

    const QStringList names = FilesIn(a);
    ASSERT_EQ(names.size(), 5) << names.join(u' ').toStdString();
    EXPECT_TRUE(names.at(0).startsWith(QStringLiteral("A0001.")));
    EXPECT_TRUE(names.at(1).startsWith(QStringLiteral("A0002.")));
    EXPECT_TRUE(names.at(2).startsWith(QStringLiteral("A0003.")));
    EXPECT_TRUE(names.at(3).startsWith(QStringLiteral("F0001.")));
    EXPECT_TRUE(names.at(4).startsWith(QStringLiteral("F0002.")));
    // Each renamed copy is byte for byte one of the sources with the same extension.
    QSet<QString> matched;
    for (const QString& name : names) {
        const QByteArray bytes = ReadAll(a + u'/' + name);
        for (auto it = lib.Sources().begin(); it != lib.Sources().end(); ++it)
            if (ReadAll(it.value()) == bytes &&
                QFileInfo(it.key()).suffix() == QFileInfo(name).suffix())
                matched.insert(it.key());
    }
    EXPECT_EQ(matched.size(), 5);
    EXPECT_EQ(ReadAll(lib.Dest(QStringLiteral("A.m3u"))), QByteArray("#EXTM3U\r\n"));
    EXPECT_TRUE(host.Statuses().contains(QStringLiteral("Renaming files...")));

    // A destination not emptied since an earlier run still holds A0001.mp3: the rename of the
    // first file chosen for it fails, names the two files, and the finish still runs.
    const QString c = lib.Dest(QStringLiteral("C"));
    QDir().mkpath(c);
    const QString leftover = c + QStringLiteral("/A0001.mp3");
    QFile(leftover).open(QIODevice::WriteOnly);
    job.fileTypes = QStringLiteral("*.mp3");
    job.destinations = {c + QStringLiteral(",1,100")};
    RecordingHost again;
    ScriptedDialogs more;
    more->Queue(MsgResult::No);
    more->Queue(MsgResult::OK);
    more->Queue(MsgResult::OK);
    EXPECT_EQ(StartShuffle(job, again, false), ShuffleOutcome::Failed);
    ASSERT_EQ(more->Requests().size(), 3);
    const QString report = more->Requests().at(1).text;
    EXPECT_TRUE(report.startsWith(QStringLiteral(
        "An error occurred while doing stuff.\r\n(Error 58) File already exists Naming ")))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral(" to ") + leftover)) << report.toStdString();
    EXPECT_EQ(ReadAll(leftover), QByteArray());
    EXPECT_EQ(more->Requests().at(2).text, QStringLiteral("Done!"));
    EXPECT_TRUE(kDoneLine.match(again.Statuses().last()).hasMatch());
}

TEST(ShuffleRun, UnattendedRunEmptiesDestinationsWithoutAsking)
{
    Library lib;
    lib.Add(QStringLiteral("song.mp3"), 5000);
    const QString a = lib.Dest(QStringLiteral("A"));
    TempFolder stale;
    QDir().mkpath(a + QStringLiteral("/old/inner"));
    QFile(a + QStringLiteral("/old/inner/x.mp3")).open(QIODevice::WriteOnly);
    QFile(a + QStringLiteral("/.hidden")).open(QIODevice::WriteOnly);
    QFile(a + QStringLiteral("/song.mp3")).open(QIODevice::WriteOnly); // would block the name
    ShuffleJob job = lib.Job(QStringLiteral("*.mp3"), {a + QStringLiteral(",10,0")});
    RecordingHost host;
    ScriptedDialogs dialogs;
    EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Finished);
    EXPECT_EQ(QDir(a).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("song.mp3")});
    EXPECT_EQ(ReadAll(a + QStringLiteral("/song.mp3")),
              ReadAll(lib.Sources().value(QStringLiteral("song.mp3"))));
    EXPECT_EQ(host.Statuses().at(1), QStringLiteral("Deleting dest files..."));
    EXPECT_TRUE(dialogs->Requests().isEmpty());
}

TEST(ShuffleRun, ValidationStopsLeaveWithoutTheFinish)
{
    Library lib;
    lib.Add(QStringLiteral("song.mp3"), 100);
    struct Case
    {
        QStringList libraries;
        QStringList destinations;
        QString fileTypes;
        QList<MsgResult> answers;
        QString message; // empty: stops silently
    };
    const QString ok = lib.Dest(QStringLiteral("ok"));
    QDir().mkpath(ok);
    const QList<Case> cases = {
        {{},
         {ok + QStringLiteral(",1,0")},
         {},
         {MsgResult::OK},
         QStringLiteral("You must enter valid folders.")},
        {{lib.Folder()}, {}, {}, {MsgResult::OK}, QStringLiteral("You must enter valid folders.")},
        {{lib.Folder()},
         {ok + QStringLiteral(",1,0"), QStringLiteral(" ,1,0")},
         {},
         {MsgResult::OK},
         QStringLiteral("Cannot and will not continue! Either one of the destination folders is "
                        "blank or it is a ROOT path.")},
        {{lib.Folder()},
         {QStringLiteral("/dev/shm,1,0")},
         {},
         {MsgResult::OK},
         QStringLiteral("Cannot and will not continue! Either one of the destination folders is "
                        "blank or it is a ROOT path.")},
        {{lib.Folder()},
         {QDir::homePath() + QStringLiteral(",1,0")},
         {},
         {MsgResult::OK},
         QStringLiteral("Cannot and will not continue! Either one of the destination folders is "
                        "blank or it is a ROOT path.")},
        {{lib.Folder()},
         {lib.Dest(QStringLiteral("missing")) + QStringLiteral(",1,0")},
         {},
         {MsgResult::No},
         QString()},
        {{lib.Folder()},
         {ok + QStringLiteral(",1,0")},
         QStringLiteral("*.flac"),
         {MsgResult::OK},
         QStringLiteral("Nothing to do. No files were found!")},
    };
    for (const Case& c : cases) {
        ShuffleJob job;
        job.libraries = c.libraries;
        job.destinations = c.destinations;
        job.fileTypes = c.fileTypes.isEmpty() ? QStringLiteral("*.mp3") : c.fileTypes;
        RecordingHost host;
        ScriptedDialogs dialogs;
        for (MsgResult answer : c.answers)
            dialogs->Queue(answer);
        EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Stopped)
            << c.message.toStdString();
        EXPECT_EQ(host.events.last(), QStringLiteral("idle"));
        for (const QString& status : host.Statuses())
            EXPECT_FALSE(status.startsWith(QStringLiteral("Done in")));
        const DialogRequest& last = dialogs->Requests().last();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(last.text, c.message);
            EXPECT_EQ(last.icon, MsgIcon::Exclamation);
            EXPECT_EQ(last.buttons, MsgButtons::OK);
        } else {
            EXPECT_EQ(last.text, QStringLiteral("One or more of the destination folders doesn't "
                                                "exist. Create them?"));
        }
    }
    EXPECT_FALSE(QFileInfo::exists(lib.Dest(QStringLiteral("missing"))));
}

TEST(ShuffleRun, CancelAtAChosenCheckRunsTheFinish)
{
    Library lib;
    for (int i = 0; i < 6; ++i)
        lib.Add(QStringLiteral("s%1.mp3").arg(i), 1000);
    const QString a = lib.Dest(QStringLiteral("A"));
    const QString b = lib.Dest(QStringLiteral("B"));
    QDir().mkpath(a);
    QDir().mkpath(b);
    ShuffleJob job = lib.Job(QStringLiteral("*.mp3"),
                             {a + QStringLiteral(",1,100"), b + QStringLiteral(",1,100")}, 1);

    // Checks: 4 between the validations, 1 after the scan, 1 before the new files, 1 per new
    // file, 1 after the orders, then the 6 candidates of the first destination step: cancel at
    // its last candidate.
    RecordingHost host;
    host.cancelAt = 4 + 1 + 1 + 6 + 1 + 6;
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::No);
    dialogs->Queue(MsgResult::OK);
    EXPECT_EQ(StartShuffle(job, host, false), ShuffleOutcome::Finished);
    EXPECT_EQ(host.checks, host.cancelAt);
    // Nothing was copied (the step ended before its copy) and nothing was renamed.
    EXPECT_TRUE(FilesIn(a).isEmpty());
    EXPECT_EQ(host.Statuses().last().left(8), QStringLiteral("Done in "));
    EXPECT_TRUE(kDoneLine.match(host.Statuses().last()).hasMatch());
    EXPECT_EQ(dialogs->Requests().last().text, QStringLiteral("Done!"));
    // The playlist of the interrupted step was closed with its header.
    EXPECT_EQ(ReadAll(lib.Dest(QStringLiteral("A.m3u"))), QByteArray("#EXTM3U\r\n"));

    // Cancelling after the first step's copy keeps the copies under their own names.
    RecordingHost later;
    later.cancelAt = host.cancelAt + 1;
    ScriptedDialogs more;
    EXPECT_EQ(StartShuffle(job, later, true), ShuffleOutcome::Finished);
    EXPECT_EQ(FilesIn(a).size(), 6);
    for (const QString& name : FilesIn(a))
        EXPECT_TRUE(name.startsWith(u's')) << name.toStdString();
}

TEST(ShuffleRun, ErrorsAreReportedAndTheFinishStillRuns)
{
    Library lib;
    const QString doomed = lib.Add(QStringLiteral("doomed.mp3"), 1000);
    lib.Add(QStringLiteral("fine.mp3"), 1000);
    const QString a = lib.Made(QStringLiteral("A"));
    ShuffleJob job = lib.Job(QStringLiteral("*.mp3"), {a + QStringLiteral(",1,0")});

    // The file disappears between the scan and the selection: its size cannot be read.
    RecordingHost host;
    host.onCheck = [&](int check) {
        if (check == 9) // after the random orders, before any selection
            QFile::remove(doomed);
    };
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::OK);
    EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Failed);
    ASSERT_EQ(dialogs->Requests().size(), 1);
    EXPECT_TRUE(dialogs->Requests().at(0).text.startsWith(
        QStringLiteral("An error occurred while doing stuff.\r\n(Error 53) ")))
        << dialogs->Requests().at(0).text.toStdString();
    EXPECT_EQ(dialogs->Requests().at(0).icon, MsgIcon::Critical);
    EXPECT_TRUE(kDoneLine.match(host.Statuses().last()).hasMatch());

    // 2048 MB does not fit in a 32-bit byte count.
    lib.Add(QStringLiteral("doomed.mp3"), 1000);
    job.destinations = {a + QStringLiteral(",2048,0")};
    RecordingHost big;
    ScriptedDialogs overflow;
    overflow->Queue(MsgResult::OK);
    EXPECT_EQ(StartShuffle(job, big, true), ShuffleOutcome::Failed);
    ASSERT_EQ(overflow->Requests().size(), 1);
    EXPECT_EQ(overflow->Requests().at(0).text,
              QStringLiteral("An error occurred while doing stuff.\r\n(Error 6) Overflow"));
    EXPECT_TRUE(kDoneLine.match(big.Statuses().last()).hasMatch());

    // A folder written with a trailing separator cannot name its playlist: nothing is copied.
    job.destinations = {a + QStringLiteral("/,1,0")};
    RecordingHost slash;
    ScriptedDialogs playlist;
    playlist->Queue(MsgResult::OK);
    EXPECT_EQ(StartShuffle(job, slash, true), ShuffleOutcome::Failed);
    ASSERT_EQ(playlist->Requests().size(), 1);
    EXPECT_TRUE(playlist->Requests().at(0).text.startsWith(
        QStringLiteral("An error occurred while doing stuff.\r\n(Error 75) ")));
    EXPECT_TRUE(FilesIn(a).isEmpty());
}

TEST(Transfer, PlaylistNamesAndRenameLists)
{
    EXPECT_EQ(PlaylistPath(QStringLiteral("/media/stick/Music")),
              QStringLiteral("/media/stick/Music.m3u"));
    EXPECT_EQ(PlaylistPath(QStringLiteral("/media/Sets/Music")),
              QStringLiteral("/media/Sets/Music.m3u"));
    bool sub = false;
    EXPECT_EQ(LibraryEntryFolder(QStringLiteral("/m<+>"), &sub), QStringLiteral("/m"));
    EXPECT_TRUE(sub);
    EXPECT_EQ(LibraryEntryFolder(QStringLiteral("/m<+"), &sub), QStringLiteral("/m<+"));
    EXPECT_FALSE(sub);

    TempFolder dir;
    const QString nul(QChar(u'\0'));
    const QString a = dir.Write(QStringLiteral("a.mp3"), "a");
    const QString b = dir.Write(QStringLiteral("b.mp3"), "b");
    try {
        RenameCopiedFiles(a + nul + nul, nul);
        FAIL() << "lists of unequal length";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 52);
        EXPECT_EQ(e.description(), QStringLiteral("Bad file name or number"));
    }
    const QString a1 = dir / QStringLiteral("A0001.mp3");
    const QString a2 = dir / QStringLiteral("A0002.mp3");
    RenameCopiedFiles(a + nul + b + nul + nul, a1 + nul + a2 + nul + nul);
    EXPECT_EQ(ReadAll(a1), QByteArray("a"));
    EXPECT_EQ(ReadAll(a2), QByteArray("b"));
    EXPECT_FALSE(QFileInfo::exists(a));

    // The second rename meets a taken name; the first one stays done.
    const QString c = dir.Write(QStringLiteral("c.mp3"), "c");
    const QString d = dir.Write(QStringLiteral("d.mp3"), "d");
    const QString f1 = dir / QStringLiteral("F0001.mp3");
    try {
        RenameCopiedFiles(c + nul + d + nul + nul, f1 + nul + a1 + nul + nul);
        FAIL() << "the name is taken";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 58);
        EXPECT_EQ(e.description(),
                  QStringLiteral("File already exists Naming ") + d + QStringLiteral(" to ") + a1);
    }
    EXPECT_EQ(ReadAll(f1), QByteArray("c"));
    EXPECT_EQ(ReadAll(a1), QByteArray("a"));
    EXPECT_EQ(ReadAll(d), QByteArray("d"));
}
