#include "engine/ShuffleRun.h"
#include "engine/JobEntries.h"
#include "engine/Transfer.h"
#include "support/AppError.h"
#include "support/FileSystem.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/RecordingHost.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

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
    // Files in the library; old files have their "new" mark cleared. Returns the last path.
    QString Add(const QStringList& names, int size, bool isNew = true)
    {
        QString path;
        for (const QString& relative : names) {
            path = m_root.Write(u"lib/"_s + relative, Content(relative, size));
            if (!isNew)
                SetAttr(path, FileAttribute::Normal);
            m_sources.insert(QFileInfo(path).fileName(), path);
        }
        return path;
    }
    QString Folder() const { return m_root / u"lib"_s; }
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
    QByteArray Source(const QString& name) const { return ReadAll(m_sources.value(name)); }
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
    QStringList lines = QString::fromUtf8(bytes).split(u"\r\n"_s);
    lines.removeLast();
    return lines;
}

const QRegularExpression kDoneLine(u"^Done in \\d+ seconds \\(Transferred \\d+ KB/s\\)$"_s);
const QString kReport = u"An error occurred while doing stuff.\r\n"_s;
const QByteArray kEmptyPlaylist("#EXTM3U\r\n");

// One run with its host and scripted answers.
struct Shuffle
{
    explicit Shuffle(std::initializer_list<MsgResult> answers = {})
    {
        for (MsgResult answer : answers)
            dialogs->Queue(answer);
    }
    ShuffleOutcome Go(const ShuffleJob& job, bool unattended)
    {
        return StartShuffle(job, host, unattended, &final);
    }
    bool EndedDone() const { return kDoneLine.match(host.Statuses().last()).hasMatch(); }
    const DialogRequest& Request(int i) { return dialogs->Requests().at(i); }

    RecordingHost host;
    ScriptedDialogs dialogs;
    QString final;
};

} // namespace

TEST(ShuffleRun, TwoDestinationsNewFilesFirstThenFill)
{
    Library lib;
    lib.Add({u"new1.mp3"_s, u"sub/new2.wma"_s}, 200000);
    lib.Add({u"old1.mp3"_s, u"sub/old2.mp3"_s}, 300000, false);
    lib.Add({u"notes.txt"_s}, 1000);
    const QString a = lib.Made(u"A"_s), b = lib.Made(u"B"_s);
    // A: half of 1 MB for new files takes both new ones; the fill then takes both old ones.
    ShuffleJob job = lib.Job(u"*.mp3,*.wma,*.wav"_s, {a + u",1,50"_s, b + u",1,50"_s});
    job.libraries = {lib.Folder() + u"<+>"_s};
    Shuffle run({MsgResult::No, MsgResult::OK}); // keep what the destinations hold; Done!
    EXPECT_EQ(run.Go(job, false), ShuffleOutcome::Finished);

    const QStringList expectedA = {u"new1.mp3"_s, u"new2.wma"_s, u"old1.mp3"_s, u"old2.mp3"_s};
    EXPECT_EQ(FilesIn(a), expectedA);
    for (const QString& name : expectedA)
        EXPECT_EQ(ReadAll(a + u'/' + name), lib.Source(name)) << name.toStdString();
    EXPECT_TRUE(FilesIn(b).isEmpty()) << "every name is already in A";

    // The playlist keeps what the fill chose for the folder, beside it.
    const QStringList playlistA = PlaylistLines(lib.Dest(u"A.m3u"_s));
    ASSERT_EQ(playlistA.size(), 3);
    EXPECT_EQ(playlistA.at(0), u"#EXTM3U"_s);
    EXPECT_EQ(
        QSet<QString>(playlistA.begin() + 1, playlistA.end()),
        (QSet<QString>{lib.Sources().value(u"old1.mp3"_s), lib.Sources().value(u"old2.mp3"_s)}));
    EXPECT_EQ(ReadAll(lib.Dest(u"B.m3u"_s)), kEmptyPlaylist);

    EXPECT_EQ(
        run.host.Statuses(),
        (QStringList{u"Initializing..."_s, u"Getting list of files..."_s,
                     u"Scanning for new files..."_s, u"Randomizing list..."_s,
                     u"Determining new files 1..."_s, u"Copying new files 1..."_s,
                     u"Determining new files 2..."_s, u"Determining dest files 1..."_s,
                     u"Copying dest files 1..."_s, u"Determining dest files 2..."_s, run.final}));
    EXPECT_TRUE(run.EndedDone()) << run.final.toStdString();
    EXPECT_EQ(run.host.Progress(),
              (QStringList{u"0/100"_s, u"1/5"_s, u"2/5"_s, u"3/5"_s, u"4/5"_s, u"5/5"_s}));
    EXPECT_EQ(run.host.events.first(), u"clear cancel"_s);
    EXPECT_FALSE(run.host.busy);
    // One check per candidate of every step, besides those between phases.
    EXPECT_GT(run.host.checks, 2 * (4 + 2) + 4);

    ASSERT_EQ(run.dialogs->Requests().size(), 2);
    const DialogRequest& empty = run.Request(0);
    EXPECT_EQ(empty.text, u"Delete all files from destination folders first?"_s);
    EXPECT_EQ(empty.icon, MsgIcon::Question);
    EXPECT_EQ(empty.buttons, MsgButtons::YesNo);
    EXPECT_EQ(empty.defaultButton, MsgResult::No);
    EXPECT_EQ(run.Request(1).text, u"Done!"_s);
    EXPECT_EQ(run.Request(1).icon, MsgIcon::None);
}

TEST(ShuffleRun, BudgetsDecideAndEarlierDestinationsPickFirst)
{
    Library lib;
    // 1 MB holds exactly one of these with the exact-fit file, or two of the others.
    lib.Add({u"exact.mp3"_s}, 1048576, false);
    lib.Add({u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s}, 500000, false);
    const QString x = lib.Dest(u"X"_s), y = lib.Dest(u"Y"_s), z = lib.Dest(u"Z"_s);
    Shuffle run({MsgResult::Yes}); // create the missing folders
    EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {x + u",1,0"_s, y + u",1,"_s, z + u",1,0"_s}), true),
              ShuffleOutcome::Finished);

    // Every file went somewhere, none twice, and no destination overflowed.
    QStringList all;
    for (const QString& dest : {x, y, z}) {
        qint64 bytes = 0;
        for (const QString& name : FilesIn(dest)) {
            all << name;
            bytes += QFileInfo(dest + u'/' + name).size();
            EXPECT_EQ(ReadAll(dest + u'/' + name), lib.Source(name));
        }
        EXPECT_LE(bytes, 1048576);
    }
    all.sort();
    EXPECT_EQ(all, (QStringList{u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s, u"exact.mp3"_s}));
    EXPECT_EQ(run.dialogs->Requests().size(), 1);
    EXPECT_EQ(run.Request(0).icon, MsgIcon::Exclamation);
}

TEST(ShuffleRun, RandomRenameNumbersEachStepAndKeepsExtensions)
{
    Library lib;
    lib.Add({u"n1.mp3"_s, u"n2.wma"_s, u"n3.mp3"_s}, 1000);
    lib.Add({u"o1.wma"_s, u"o2.mp3"_s}, 1000, false);
    const QString a = lib.Made(u"A"_s);
    ShuffleJob job = lib.Job(u"*.mp3,*.wma"_s, {a + u",1,100"_s}, 1);
    Shuffle run;
    EXPECT_EQ(run.Go(job, true), ShuffleOutcome::Finished);

    const QStringList names = FilesIn(a);
    QStringList stems;
    QSet<QString> matched;
    // Each renamed copy is byte for byte one of the sources with the same extension.
    for (const QString& name : names) {
        stems << name.left(6);
        for (auto it = lib.Sources().begin(); it != lib.Sources().end(); ++it)
            if (ReadAll(it.value()) == ReadAll(a + u'/' + name) &&
                QFileInfo(it.key()).suffix() == QFileInfo(name).suffix())
                matched.insert(it.key());
    }
    EXPECT_EQ(stems, (QStringList{u"A0001."_s, u"A0002."_s, u"A0003."_s, u"F0001."_s, u"F0002."_s}))
        << names.join(u' ').toStdString();
    EXPECT_EQ(matched.size(), 5);
    EXPECT_EQ(ReadAll(lib.Dest(u"A.m3u"_s)), kEmptyPlaylist);
    EXPECT_TRUE(run.host.Statuses().contains(u"Renaming files..."_s));

    // A destination not emptied since an earlier run still holds A0001.mp3: the rename of the
    // first file chosen for it fails, names the two files, and the finish still runs.
    const QString leftover = lib.Made(u"C"_s) + u"/A0001.mp3"_s;
    QFile(leftover).open(QIODevice::WriteOnly);
    job.fileTypes = u"*.mp3"_s;
    job.destinations = {lib.Dest(u"C"_s) + u",1,100"_s};
    Shuffle again({MsgResult::No, MsgResult::OK, MsgResult::OK});
    EXPECT_EQ(again.Go(job, false), ShuffleOutcome::Failed);
    ASSERT_EQ(again.dialogs->Requests().size(), 3);
    const QString report = again.Request(1).text;
    EXPECT_TRUE(report.startsWith(kReport + u"(Error 58) File already exists Naming "_s))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(u" to "_s + leftover)) << report.toStdString();
    EXPECT_EQ(ReadAll(leftover), QByteArray());
    EXPECT_EQ(again.Request(2).text, u"Done!"_s);
    EXPECT_TRUE(again.EndedDone());
}

TEST(ShuffleRun, ValidationStopsLeaveWithoutTheFinish)
{
    Library lib;
    lib.Add({u"song.mp3"_s}, 100);
    const QString ok = lib.Made(u"ok"_s) + u",1,0"_s, folder = lib.Folder();
    const QString folders = u"You must enter valid folders."_s;
    const QString root = u"Cannot and will not continue! Either one of the destination folders "
                         u"is blank or it is a ROOT path."_s;
    const QString create = u"One or more of the destination folders doesn't exist. Create them?"_s;
    const QString overlap = u"Cannot and will not continue! A destination folder is, contains or "
                            u"lies inside a library folder."_s;
    const QString nothing = u"Nothing to do. No files were found!"_s;
    QFile::link(folder, lib.Dest(u"link"_s));
    // Unattended runs empty without asking: what the destination holds must survive every stop.
    const QString kept = lib.Made(u"ok"_s) + u"/kept.mp3"_s;
    QFile(kept).open(QIODevice::WriteOnly);
    struct Case
    {
        QStringList libraries, destinations;
        QString fileTypes, message; // the question to create folders is answered No
    };
    const Case cases[] = {
        {{}, {ok}, u"*.mp3"_s, folders},
        {{folder}, {}, u"*.mp3"_s, folders},
        {{folder}, {ok, u" ,1,0"_s}, u"*.mp3"_s, root},
        {{folder}, {u"/dev/shm,1,0"_s}, u"*.mp3"_s, root},
        {{folder}, {QDir::homePath() + u",1,0"_s}, u"*.mp3"_s, root},
        {{folder}, {lib.Dest(u"missing"_s) + u",1,0"_s}, u"*.mp3"_s, create},
        {{folder}, {ok}, u"*.flac"_s, nothing},
        {{lib.Dest(u"unplugged"_s)}, {ok}, u"*.mp3"_s, nothing},
        {{folder}, {ok, folder + u",1,0"_s}, u"*.mp3"_s, overlap},
        {{folder}, {folder + u"/sub/,1,0"_s}, u"*.mp3"_s, overlap},
        {{folder + u"<+>"_s}, {lib.Dest(u"link/.."_s) + u",1,0"_s}, u"*.mp3"_s, overlap},
        {{lib.Dest(u"link"_s)}, {folder + u",1,0"_s}, u"*.mp3"_s, overlap}};
    for (const Case& c : cases) {
        ShuffleJob job;
        job.libraries = c.libraries;
        job.destinations = c.destinations;
        job.fileTypes = c.fileTypes;
        Shuffle run({c.message == create ? MsgResult::No : MsgResult::OK});
        EXPECT_EQ(run.Go(job, true), ShuffleOutcome::Stopped) << c.message.toStdString();
        EXPECT_EQ(run.host.events.last(), u"idle"_s);
        for (const QString& status : run.host.Statuses())
            EXPECT_FALSE(status.startsWith(u"Done in"_s));
        const DialogRequest& last = run.dialogs->Requests().last();
        EXPECT_EQ(last.text, c.message);
        if (c.message != create) {
            EXPECT_EQ(last.icon, MsgIcon::Exclamation);
            EXPECT_EQ(last.buttons, MsgButtons::OK);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(lib.Dest(u"missing"_s)));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(FilesIn(folder), QStringList{u"song.mp3"_s});
}

TEST(ShuffleRun, CancelAtAChosenCheckRunsTheFinish)
{
    Library lib;
    lib.Add({u"s0.mp3"_s, u"s1.mp3"_s, u"s2.mp3"_s, u"s3.mp3"_s, u"s4.mp3"_s, u"s5.mp3"_s}, 1000);
    const QString a = lib.Made(u"A"_s);
    const ShuffleJob job =
        lib.Job(u"*.mp3"_s, {a + u",1,100"_s, lib.Made(u"B"_s) + u",1,100"_s}, 1);

    // Cancelled while the first destination step chooses.
    Shuffle run({MsgResult::No, MsgResult::OK});
    run.host.cancelAfter = u"Determining new files 1..."_s;
    EXPECT_EQ(run.Go(job, false), ShuffleOutcome::Finished);
    EXPECT_FALSE(run.host.Statuses().contains(u"Copying new files 1..."_s));
    // Nothing was copied (the step ended before its copy) and nothing was renamed.
    EXPECT_TRUE(FilesIn(a).isEmpty());
    EXPECT_TRUE(run.EndedDone());
    EXPECT_EQ(run.dialogs->Requests().last().text, u"Done!"_s);
    // The playlist of the interrupted step was closed with its header.
    EXPECT_EQ(ReadAll(lib.Dest(u"A.m3u"_s)), kEmptyPlaylist);

    // An unattended run empties the destinations without asking (the last file would block the
    // name); cancelling after the first step's copy keeps the copies under their own names.
    QDir().mkpath(a + u"/old/inner"_s);
    for (const QString& name : {u"/old/inner/x.mp3"_s, u"/.hidden"_s, u"/s0.mp3"_s})
        QFile(a + name).open(QIODevice::WriteOnly);
    Shuffle later;
    later.host.cancelAfter = u"Copying new files 1..."_s;
    EXPECT_EQ(later.Go(job, true), ShuffleOutcome::Finished);
    EXPECT_EQ(later.host.Statuses().mid(1, 2),
              (QStringList{u"Getting list of files..."_s, u"Deleting dest files..."_s}));
    const QStringList left =
        QDir(a).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left.size(), 6) << left.join(u' ').toStdString();
    for (const QString& name : left) {
        EXPECT_TRUE(name.startsWith(u's')) << name.toStdString();
        EXPECT_EQ(ReadAll(a + u'/' + name), lib.Source(name));
    }
}

TEST(ShuffleRun, ErrorsAreReportedAndTheFinishStillRuns)
{
    Library lib;
    const QString a = lib.Made(u"A"_s);
    lib.Add({u"fine.mp3"_s}, 1000);
    // A file that disappears between the scan and the selection (its size cannot be read);
    // 2048 MB, which does not fit in a 32-bit byte count; a folder written with a trailing
    // separator, which cannot name its playlist.
    const std::pair<QString, QString> cases[] = {{u",1,0"_s, u"(Error 53) "_s},
                                                 {u",2048,0"_s, u"(Error 6) Overflow"_s},
                                                 {u"/,1,0"_s, u"(Error 75) "_s}};
    for (const auto& [budget, error] : cases) {
        const QString doomed = lib.Add({u"doomed.mp3"_s}, 1000);
        const QString kept = a + u"/kept.mp3"_s;
        QFile(kept).open(QIODevice::WriteOnly);
        Shuffle run({MsgResult::OK});
        if (budget == u",1,0"_s)
            run.host.onCheck = [&](const QString& status) {
                if (status == u"Getting list of files..."_s)
                    QFile::remove(doomed);
            };
        EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {a + budget}), true), ShuffleOutcome::Failed);
        // A budget that cannot be formed stops the run before the destination is emptied.
        EXPECT_EQ(QFileInfo::exists(kept), budget == u",2048,0"_s);
        QFile::remove(kept);
        ASSERT_EQ(run.dialogs->Requests().size(), 1);
        const QString text = run.Request(0).text;
        if (error.endsWith(u' '))
            EXPECT_TRUE(text.startsWith(kReport + error)) << text.toStdString();
        else
            EXPECT_EQ(text, kReport + error);
        EXPECT_EQ(run.Request(0).icon, MsgIcon::Critical);
        EXPECT_TRUE(run.EndedDone());
        EXPECT_TRUE(FilesIn(a).isEmpty());
    }
}

TEST(Transfer, PlaylistNamesAndRenameLists)
{
    EXPECT_EQ(PlaylistPath(u"/media/stick/Music"_s), u"/media/stick/Music.m3u"_s);
    EXPECT_EQ(PlaylistPath(u"/media/Sets/Music"_s), u"/media/Sets/Music.m3u"_s);
    EXPECT_EQ(LibraryEntry::Parse(u"/m<+>"_s).folder, u"/m"_s);
    EXPECT_TRUE(LibraryEntry::Parse(u"/m<+>"_s).includeSubfolders);
    EXPECT_EQ(LibraryEntry::Parse(u"/m<+"_s).folder, u"/m<+"_s);
    EXPECT_FALSE(LibraryEntry::Parse(u"/m<+"_s).includeSubfolders);

    TempFolder dir;
    const QString nul(QChar(u'\0'));
    const QString a = dir.Write(u"a.mp3"_s, "a"), b = dir.Write(u"b.mp3"_s, "b");
    const QString a1 = dir / u"A0001.mp3"_s, a2 = dir / u"A0002.mp3"_s;
    const auto error = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const AppError& e) {
            return QString(QString::number(e.number()) + u' ' + e.description());
        }
        return QString();
    };
    EXPECT_EQ(error([&] { RenameCopiedFiles(a + nul + nul, nul); }),
              u"52 Bad file name or number"_s)
        << "lists of unequal length";
    RenameCopiedFiles(a + nul + b + nul + nul, a1 + nul + a2 + nul + nul);
    EXPECT_EQ(ReadAll(a1), QByteArray("a"));
    EXPECT_EQ(ReadAll(a2), QByteArray("b"));
    EXPECT_FALSE(QFileInfo::exists(a));

    // The second rename meets a taken name; the first one stays done.
    const QString c = dir.Write(u"c.mp3"_s, "c"), d = dir.Write(u"d.mp3"_s, "d");
    const QString f1 = dir / u"F0001.mp3"_s;
    EXPECT_EQ(error([&] { RenameCopiedFiles(c + nul + d + nul + nul, f1 + nul + a1 + nul + nul); }),
              u"58 File already exists Naming "_s + d + u" to "_s + a1);
    EXPECT_EQ(ReadAll(f1), QByteArray("c"));
    EXPECT_EQ(ReadAll(a1), QByteArray("a"));
    EXPECT_EQ(ReadAll(d), QByteArray("d"));
}

// A preview works out a run without touching the disk; the run with its seed then does exactly
// what it showed, and the same seed always gives the same destinations.
TEST(ShuffleRun, PreviewThenTheRunWithItsSeed)
{
    Library lib;
    lib.Add({u"n1.mp3"_s, u"n2.mp3"_s, u"n3.mp3"_s, u"n4.mp3"_s}, 300000);
    lib.Add({u"o1.mp3"_s, u"o2.mp3"_s, u"o3.mp3"_s, u"o4.mp3"_s, u"o5.mp3"_s}, 300000, false);
    const QString a = lib.Made(u"A"_s), b = lib.Dest(u"B"_s);
    lib.Add({u"../A/old/stale.mp3"_s}, 10); // something for the emptying to remove
    for (const int rename : {0, 1}) {
        const ShuffleJob job = lib.Job(u"*.mp3"_s, {a + u",1,50"_s, b + u",1,40"_s}, rename);
        const auto before = TreeOf(lib.Dest(QString()));
        RecordingHost host;
        ShuffleRun preview(job, host, true, {std::nullopt, true});
        EXPECT_EQ(preview.Run(), ShuffleOutcome::Finished);
        EXPECT_EQ(TreeOf(lib.Dest(QString())), before);
        ASSERT_TRUE(preview.Seed().has_value());
        ASSERT_EQ(preview.Preview().size(), 2u);
        const auto inA = TreeOf(a);
        EXPECT_EQ(preview.Preview()[0].emptiedFiles, inA.size() - inA.keys(QByteArray("/")).size());

        // The run with the previewed seed: the files and names shown, byte for byte.
        Shuffle run({MsgResult::Yes}); // create B
        EXPECT_EQ(StartShuffle(job, run.host, true, nullptr, {preview.Seed(), false}),
                  ShuffleOutcome::Finished);
        for (const PreviewDestination& shown : preview.Preview()) {
            QStringList names;
            for (const auto& step : shown.passes) {
                EXPECT_LE(step.used, step.budget);
                for (qsizetype i = 0; i < step.names.size(); ++i) {
                    names << step.names.at(i);
                    EXPECT_EQ(ReadAll(shown.folder + u'/' + step.names.at(i)),
                              ReadAll(step.sources.at(i)));
                }
            }
            names.sort();
            EXPECT_EQ(FilesIn(shown.folder), names) << shown.folder.toStdString();
            EXPECT_FALSE(names.isEmpty());
        }
        EXPECT_TRUE(run.host.events.contains(u"seed %1"_s.arg(*preview.Seed())));

        // Again from scratch with the same seed: the same trees.
        const auto first = TreeOf(lib.Dest(QString()));
        Shuffle again;
        EXPECT_EQ(StartShuffle(job, again.host, true, nullptr, {preview.Seed(), false}),
                  ShuffleOutcome::Finished);
        EXPECT_EQ(TreeOf(lib.Dest(QString())), first);
        QDir(b).removeRecursively();
    }
}
