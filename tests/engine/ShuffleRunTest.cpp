#include "engine/ShuffleRun.h"
#include "base/AppError.h"
#include "engine/JobEntries.h"
#include "engine/ScanFolder.h"
#include "engine/Transfer.h"
#include "media/AudioInfo.h"
#include "platform/FileSystem.h"
#include "tests/common/MediaTestSupport.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/RecordingHost.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// A library in a temporary folder; every file's content is its own, so a copy under the wrong
// name shows. Old files have their "new" mark cleared.
class Library
{
public:
    QString Add(const QStringList& names, int size, bool isNew = true)
    {
        QString path;
        for (const QString& relative : names) {
            path = m_root.Write(u"lib/"_s + relative,
                                relative.toUtf8().repeated(size / relative.size() + 1).left(size));
            if (!isNew)
                SetAttr(path, FileAttribute::Normal);
            sources.insert(QFileInfo(path).fileName(), path);
        }
        return path;
    }
    QString Folder() const { return m_root / u"lib"_s; }
    QString Dest(const QString& name) const { return m_root / name; }
    QString Made(const QString& name) const
    {
        QDir().mkpath(Dest(name));
        return Dest(name);
    }
    ShuffleJob Job(const QString& types, const QStringList& destinations, int rename = 0) const
    {
        return {{Folder()}, types, destinations, rename, {}};
    }
    QByteArray Source(const QString& name) const { return ReadAll(sources.value(name)); }
    QString Unavailable() const { return NoUserXattrs(m_root.path()); }
    QHash<QString, QString> sources; // file name -> library path

private:
    TempFolder m_root;
};

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

const QRegularExpression kDoneLine(u"^Done in \\d{1,3} seconds \\(Transferred \\d+ KB/s\\)$"_s);
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
    ShuffleOutcome Go(const ShuffleJob& job, bool unattended, std::optional<quint32> seed = {})
    {
        return StartShuffle(job, host, unattended, &final, {seed, false});
    }
    bool EndedDone() const { return kDoneLine.match(host.Statuses().last()).hasMatch(); }
    const DialogRequest& Request(int i) { return dialogs->Requests().at(i); }

    RecordingHost host;
    ScriptedDialogs dialogs;
    QString final;
};

#define SKIP_WITHOUT_XATTRS(lib)                                                                   \
    if (const QString why = (lib).Unavailable(); !why.isEmpty())                                   \
    GTEST_SKIP() << why.toStdString()

} // namespace

// A whole run: new files first, then the fill; earlier destinations pick first; the phases,
// the progress, the playlists beside the folders and the two questions.
TEST(ShuffleRun, TwoDestinationsNewFilesFirstThenFill)
{
    Library lib;
    SKIP_WITHOUT_XATTRS(lib);
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

    // The playlist keeps what the fill chose for the folder; B's holds its header only.
    QStringList playlist = QString::fromUtf8(ReadAll(lib.Dest(u"A.m3u"_s))).split(u"\r\n"_s);
    EXPECT_EQ(playlist.takeFirst(), u"#EXTM3U"_s);
    EXPECT_EQ(playlist.takeLast(), QString());
    EXPECT_EQ(QSet<QString>(playlist.begin(), playlist.end()),
              (QSet<QString>{lib.sources.value(u"old1.mp3"_s), lib.sources.value(u"old2.mp3"_s)}));
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
    EXPECT_TRUE(run.host.events.contains(u"show progress"_s));
    EXPECT_FALSE(run.host.busy);
    ASSERT_EQ(run.dialogs->Requests().size(), 2);
    ExpectBox(run.Request(0), u"Delete all files from destination folders first?"_s,
              MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(run.Request(0).defaultButton, MsgResult::No);
    ExpectBox(run.Request(1), u"Done!"_s, MsgIcon::None);
}

// Rename numbers the files of the new-file pass "A0001"... and those of the fill "F0001"...,
// keeps the extensions and leaves the playlist with its header; a second run into the kept
// folder numbers on after what the first left there instead of failing on a taken name.
TEST(ShuffleRun, RandomRenameNumbersOnAndKeepsExtensions)
{
    Library lib;
    SKIP_WITHOUT_XATTRS(lib);
    lib.Add({u"n1.mp3"_s, u"n2.wma"_s, u"n3.mp3"_s}, 1000);
    lib.Add({u"o1.wma"_s, u"o2.mp3"_s}, 1000, false);
    const QString a = lib.Made(u"A"_s);
    const ShuffleJob job = lib.Job(u"*.mp3,*.wma"_s, {a + u",1,100"_s}, 1);
    Shuffle first;
    EXPECT_EQ(first.Go(job, true), ShuffleOutcome::Finished);
    const auto firstRun = TreeOf(a);
    Shuffle second({MsgResult::No, MsgResult::OK});
    EXPECT_EQ(second.Go(job, false), ShuffleOutcome::Finished);
    QStringList stems;
    for (const QString& name : FilesIn(a)) {
        stems << name.left(6);
        // A file's content begins with its source's name.
        const QString source = QString::fromUtf8(ReadAll(a + u'/' + name).left(6));
        EXPECT_EQ(ReadAll(a + u'/' + name), lib.Source(source)) << name.toStdString();
        EXPECT_EQ(QFileInfo(source).suffix(), QFileInfo(name).suffix());
        EXPECT_EQ(firstRun.value(name, ReadAll(a + u'/' + name)), ReadAll(a + u'/' + name));
    }
    EXPECT_EQ(stems,
              (QStringList{u"A0001."_s, u"A0002."_s, u"A0003."_s, u"A0004."_s, u"A0005."_s,
                           u"A0006."_s, u"F0001."_s, u"F0002."_s, u"F0003."_s, u"F0004."_s}));
    EXPECT_EQ(ReadAll(lib.Dest(u"A.m3u"_s)), kEmptyPlaylist);
    EXPECT_EQ(second.Request(1).text, u"Done!"_s);
}

// Every stop before the work leaves through Busy(false) without the finish, and what the
// destinations and the library hold survives it, also when the run would empty without asking.
TEST(ShuffleRun, ValidationStopsLeaveEverythingInPlace)
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
    const QString kept = lib.Made(u"ok"_s) + u"/kept.mp3"_s;
    QFile(kept).open(QIODevice::WriteOnly);
    const struct
    {
        QStringList libraries, destinations;
        QString fileTypes, message; // the question to create folders is answered No
    } cases[] = {{{}, {ok}, u"*.mp3"_s, folders},
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
    for (const auto& c : cases) {
        Shuffle run({c.message == create ? MsgResult::No : MsgResult::OK});
        EXPECT_EQ(run.Go({c.libraries, c.fileTypes, c.destinations, 0, {}}, true),
                  ShuffleOutcome::Stopped)
            << c.message.toStdString();
        EXPECT_EQ(run.host.events.last(), u"idle"_s);
        EXPECT_FALSE(run.EndedDone());
        ExpectBox(run.dialogs->Requests().last(), c.message, MsgIcon::Exclamation,
                  c.message == create ? MsgButtons::YesNo : MsgButtons::OK);
    }
    EXPECT_FALSE(QFileInfo::exists(lib.Dest(u"missing"_s)));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(FilesIn(folder), QStringList{u"song.mp3"_s});
}

// A confirmed cancel goes to the finish: what was copied stays, the interrupted step's
// playlist is there with its header.
TEST(ShuffleRun, CancelRunsTheFinish)
{
    Library lib;
    lib.Add({u"s0.mp3"_s, u"s1.mp3"_s, u"s2.mp3"_s, u"s3.mp3"_s, u"s4.mp3"_s, u"s5.mp3"_s}, 1000);
    const QString a = lib.Made(u"A"_s);
    const ShuffleJob job =
        lib.Job(u"*.mp3"_s, {a + u",1,100"_s, lib.Made(u"B"_s) + u",1,100"_s}, 1);
    Shuffle run({MsgResult::No, MsgResult::OK});
    run.host.cancelAfter = u"Determining new files 1..."_s;
    EXPECT_EQ(run.Go(job, false), ShuffleOutcome::Finished);
    EXPECT_FALSE(run.host.Statuses().contains(u"Copying new files 1..."_s));
    EXPECT_TRUE(FilesIn(a).isEmpty());
    EXPECT_TRUE(run.EndedDone());
    EXPECT_EQ(run.dialogs->Requests().last().text, u"Done!"_s);
    EXPECT_EQ(ReadAll(lib.Dest(u"A.m3u"_s)), kEmptyPlaylist);
    Shuffle early({MsgResult::OK});
    early.host.cancelAfter = u"Initializing..."_s;
    early.Go(job, false);
    EXPECT_TRUE(early.final.endsWith(u"(Transferred 0 KB/s)"_s)) << early.final.toStdString();

    // Unattended, the destination is emptied once the plan is made (everything in it, at any
    // depth); a cancel after the first copy keeps those copies, under their new names.
    QDir().mkpath(a + u"/old/inner"_s);
    for (const QString& name : {u"/old/inner/x.mp3"_s, u"/.hidden"_s, u"/s0.mp3"_s})
        QFile(a + name).open(QIODevice::WriteOnly);
    Shuffle later;
    later.host.cancelAfter = u"Copying new files 1..."_s;
    EXPECT_EQ(later.Go(job, true), ShuffleOutcome::Finished);
    EXPECT_EQ(later.host.Statuses().mid(1, 4),
              (QStringList{u"Getting list of files..."_s, u"Scanning for new files..."_s,
                           u"Randomizing list..."_s, u"Deleting dest files..."_s}));
    const QStringList left =
        QDir(a).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left.size(), 6) << left.join(u' ').toStdString();
    for (int i = 0; i < left.size(); ++i) {
        EXPECT_EQ(left.at(i), u"A%1.mp3"_s.arg(i + 1, 4, 10, QChar(u'0')));
        const QByteArray bytes = ReadAll(a + u'/' + left.at(i));
        EXPECT_EQ(bytes, lib.Source(QString::fromUtf8(bytes.left(6))));
    }
}

// An error is reported once and the finish still runs; one the plan foresees (a file gone
// since the scan, a size past 64 bits, a playlist that cannot be written) comes before
// anything is emptied.
TEST(ShuffleRun, ErrorsAreReportedAndTheFinishStillRuns)
{
    Library lib;
    const QString a = lib.Made(u"A"_s);
    lib.Add({u"fine.mp3"_s}, 1000);
    const std::pair<QString, QString> cases[] = {{u",1,0"_s, u"(Error 53) "_s},
                                                 {u",9999999999999,0"_s, u"(Error 6) Overflow"_s},
                                                 {u",1,0"_s, u"(Error 75) "_s}};
    for (const auto& [budget, error] : cases) {
        const QString doomed = lib.Add({u"doomed.mp3"_s}, 1000);
        const QString kept = a + u"/kept.mp3"_s;
        QFile(kept).open(QIODevice::WriteOnly);
        if (error.contains(u"75"_s))
            QDir().mkpath(lib.Dest(u"A.m3u"_s));
        Shuffle run({MsgResult::OK});
        if (error.contains(u"53"_s))
            run.host.onCheck = [&](const QString& status) {
                if (status == u"Getting list of files..."_s)
                    QFile::remove(doomed);
            };
        EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {a + budget}), true), ShuffleOutcome::Failed);
        EXPECT_EQ(FilesIn(a), QStringList{u"kept.mp3"_s});
        ASSERT_EQ(run.dialogs->Requests().size(), 1);
        const QString text = run.Request(0).text;
        EXPECT_TRUE(text.startsWith(kReport + error)) << text.toStdString();
        EXPECT_EQ(run.Request(0).icon, MsgIcon::Critical);
        EXPECT_TRUE(run.EndedDone());
    }
}

// Today's media: a file of several GiB is an ordinary candidate (here one that does not fit),
// a destination typed with a trailing "/" or holding a comma in its name is that folder and no
// other, and a share of new files above 100 % never fills past the maximum.
TEST(ShuffleRun, LargeFilesCommasTrailingSlashesAndShares)
{
    Library lib;
    SKIP_WITHOUT_XATTRS(lib);
    QFile concert(lib.Add({u"concert.mp3"_s}, 10));
    ASSERT_TRUE(concert.resize(Q_INT64_C(3) << 30)); // sparse
    lib.Add({u"s1.mp3"_s, u"s2.mp3"_s, u"s3.mp3"_s}, 400000);
    const QString car = lib.Made(u"Car, Kids"_s), sibling = lib.Made(u"Car"_s) + u"/mine.mp3"_s;
    QFile(sibling).open(QIODevice::WriteOnly);
    const QString stick = lib.Made(u"Stick"_s);
    Shuffle run;
    EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {car + u",1,300"_s, stick + u"//,2,0"_s}), true),
              ShuffleOutcome::Finished);
    EXPECT_EQ(FilesIn(car).size(), 2) << "1 MB holds two of them, new or not";
    EXPECT_EQ(FilesIn(stick).size(), 1);
    EXPECT_TRUE(QFileInfo::exists(sibling));
    EXPECT_TRUE(QFileInfo::exists(lib.Dest(u"Car, Kids.m3u"_s)));
    EXPECT_TRUE(QFileInfo::exists(lib.Dest(u"Stick.m3u"_s)));
}

// A list of one or two candidates is tried in list order; nothing copied reports 0 KB/s.
TEST(ShuffleRun, TwoCandidatesInListOrderAndNothingCopied)
{
    Library lib;
    SKIP_WITHOUT_XATTRS(lib);
    lib.Add({u"x1.mp3"_s, u"x2.mp3"_s}, 700000, false);
    const QString a = lib.Made(u"A"_s);
    QStringList scanned;
    qint32 count = 0;
    ScanLibraryEntries({lib.Folder()}, u"*.mp3"_s, scanned, count);
    for (quint32 seed : {1u, 2u, 3u}) {
        QDir(a).removeRecursively();
        Shuffle run({MsgResult::Yes});
        EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {a + u",1,0"_s}), true, seed),
                  ShuffleOutcome::Finished);
        EXPECT_EQ(FilesIn(a), QStringList{QFileInfo(scanned.first()).fileName()});
    }
    Shuffle full;
    EXPECT_EQ(full.Go(lib.Job(u"*.mp3"_s, {a + u",0,0"_s}), true), ShuffleOutcome::Finished);
    EXPECT_TRUE(full.final.endsWith(u"(Transferred 0 KB/s)"_s)) << full.final.toStdString();

    // From three on, the order is random.
    lib.Add({u"x3.mp3"_s}, 700000, false);
    QSet<QString> chosen;
    for (quint32 seed = 1; seed <= 6; ++seed) {
        QDir(a).removeRecursively();
        Shuffle run({MsgResult::Yes});
        run.Go(lib.Job(u"*.mp3"_s, {a + u",1,0"_s}), true, seed);
        chosen.insert(FilesIn(a).join(u'|'));
    }
    EXPECT_GT(chosen.size(), 1);
}

TEST(Transfer, PlaylistsAndEntries)
{
    EXPECT_EQ(PlaylistPath(u"/media/stick/Music"_s), u"/media/stick/Music.m3u"_s);
    EXPECT_EQ(PlaylistPath(u"/media/Sets/Music"_s), u"/media/Sets/Music.m3u"_s);
    TempFolder dir;
    WritePlaylist(dir / u"a.m3u"_s, {u"/l/Café.mp3"_s, u"/l/b.mp3"_s});
    EXPECT_EQ(ReadAll(dir / u"a.m3u"_s),
              QByteArray("#EXTM3U\r\n/l/Caf\xc3\xa9.mp3\r\n/l/b.mp3\r\n"));
    WritePlaylist(dir / u"a.m3u"_s, {});
    EXPECT_EQ(ReadAll(dir / u"a.m3u"_s), kEmptyPlaylist);
    EXPECT_EQ(ErrorOf([&] { WritePlaylist(dir / u"no/a.m3u"_s, {}); }), 75);

    for (const auto& [text, folder, sub] :
         {std::tuple{u"/m<+>"_s, u"/m"_s, true}, {u"/m<+"_s, u"/m<+"_s, false}}) {
        EXPECT_EQ(LibraryEntry::Parse(text).folder, folder);
        EXPECT_EQ(LibraryEntry::Parse(text).includeSubfolders, sub);
        EXPECT_EQ(LibraryEntry::Parse(text).Format(), text);
    }
    // Destinations are read from the right: the folder keeps its commas.
    for (const auto& [text, folder, size, percent] :
         {std::tuple{u"/m/Car, Kids,1,5"_s, u"/m/Car, Kids"_s, u"1"_s, u"5"_s},
          {u"/a,b,c,1,5"_s, u"/a,b,c"_s, u"1"_s, u"5"_s},
          {u"/m,1"_s, u"/m"_s, u"1"_s, QString()},
          {u"/m"_s, u"/m"_s, QString(), QString()},
          {u",1,5"_s, QString(), u"1"_s, u"5"_s}}) {
        const DestinationEntry entry = DestinationEntry::Parse(text);
        EXPECT_EQ(entry.folder, folder) << text.toStdString();
        EXPECT_EQ(entry.maxSize, size) << text.toStdString();
        EXPECT_EQ(entry.percent, percent) << text.toStdString();
    }
    EXPECT_EQ((DestinationEntry{u"/d,e"_s, u" 1 000x"_s, u""_s}).Format(), u"/d,e,1000,0"_s);
    EXPECT_EQ((DestinationEntry{u"/d"_s, u"65536"_s, u""_s}).MaxSizeMegabytes(), 65536);
}

// A preview works out a run without touching the disk; the run with its seed then does exactly
// what it showed, and the same seed always gives the same destinations.
TEST(ShuffleRun, PreviewThenTheRunWithItsSeed)
{
    Library lib;
    SKIP_WITHOUT_XATTRS(lib);
    lib.Add({u"n1.mp3"_s, u"n2.mp3"_s, u"n3.mp3"_s, u"n4.mp3"_s}, 300000);
    lib.Add({u"o1.mp3"_s, u"o2.mp3"_s, u"o3.mp3"_s, u"o4.mp3"_s, u"o5.mp3"_s}, 300000, false);
    const QString a = lib.Made(u"A"_s), b = lib.Dest(u"new/B"_s); // two levels to make
    lib.Add({u"../A/old/stale.mp3"_s}, 10);
    for (const int rename : {0, 1}) {
        const ShuffleJob job = lib.Job(u"*.mp3"_s, {a + u",1,50"_s, b + u",1,40"_s}, rename);
        const auto before = TreeOf(lib.Dest(QString()));
        RecordingHost host;
        ShuffleRun preview(job, host, true, {std::nullopt, true});
        EXPECT_EQ(preview.Run(), ShuffleOutcome::Finished);
        EXPECT_EQ(TreeOf(lib.Dest(QString())), before);
        ASSERT_TRUE(preview.Seed().has_value() && preview.Plan().has_value());
        const RunPlan& plan = *preview.Plan();
        ASSERT_EQ(plan.destinations.size(), 2u);
        const auto inA = TreeOf(a);
        EXPECT_EQ(plan.destinations[0].emptiedFiles, inA.size() - inA.keys("/").size());

        Shuffle run({MsgResult::Yes}); // create B
        EXPECT_EQ(run.Go(job, true, preview.Seed()), ShuffleOutcome::Finished);
        for (const DestinationPlan& shown : plan.destinations) {
            QStringList names;
            for (const PlannedPass& pass : shown.passes) {
                for (const PlannedFile& file : pass.files) {
                    names << file.target;
                    EXPECT_EQ(ReadAll(shown.folder + u'/' + file.target), ReadAll(file.source));
                }
            }
            names.sort();
            EXPECT_EQ(FilesIn(shown.folder), names) << shown.folder.toStdString();
            EXPECT_FALSE(names.isEmpty());
            EXPECT_LE(shown.passes[1].used, shown.passes[1].budget);
        }
        EXPECT_TRUE(run.host.events.contains(u"seed %1"_s.arg(*preview.Seed())));

        const auto first = TreeOf(lib.Dest(QString()));
        Shuffle again;
        EXPECT_EQ(again.Go(job, true, preview.Seed()), ShuffleOutcome::Finished);
        EXPECT_EQ(TreeOf(lib.Dest(QString())), first);
        QDir(lib.Dest(u"new"_s)).removeRecursively();
    }
}

// With a format to convert to, a file the player does not play arrives converted under the
// format's extension, one it plays (whatever the case of its name) as it is; the budget holds
// on the real sizes; a damaged file is reported and leaves nothing; the preview names what
// each conversion may take; a second run converts nothing, the cache has it all.
TEST(ShuffleRun, ConvertsWhatThePlayerDoesNotPlay)
{
    Library lib;
    const TempFolder cache;
    const ScopedEnv cacheHome("XDG_CACHE_HOME", cache.path());
    lib.Add({u"SONG.MP3"_s}, 5000);
    lib.Add({u"broken.flac"_s}, 3000);
    for (const QString& name : {u"tone.flac"_s, u"quiet.wav"_s})
        MakeAudio(lib.Folder() + u'/' + name,
                  {u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=3"_s});
    ShuffleJob job = lib.Job(u"*.flac,*.wav,*.MP3"_s, {lib.Made(u"A"_s) + u",1,0"_s});
    job.player.convertTo = u"mp3"_s;
    job.player.convertKbps = 128;

    RecordingHost planner;
    ShuffleRun preview(job, planner, true, {7, true});
    ASSERT_EQ(preview.Run(), ShuffleOutcome::Finished);
    qint64 planned = 0;
    for (const PlannedFile& file : preview.Plan()->destinations[0].passes[1].files)
        planned += file.convert ? file.size : 0;
    EXPECT_GT(planned, 2 * 48000) << "3 s at 128 kbit/s, twice, and more";

    for (int run = 0; run < 2; ++run) {
        const auto cached = TreeOf(cache.path());
        Shuffle go;
        EXPECT_EQ(go.Go(job, true, 7), ShuffleOutcome::Finished);
        const QString a = lib.Dest(u"A"_s);
        EXPECT_EQ(FilesIn(a), (QStringList{u"SONG.MP3"_s, u"quiet.mp3"_s, u"tone.mp3"_s}));
        EXPECT_EQ(ReadAll(a + u"/SONG.MP3"_s), lib.Source(u"SONG.MP3"_s));
        qint64 bytes = 0;
        for (const QString& name : FilesIn(a)) {
            bytes += QFileInfo(a + u'/' + name).size();
            if (name.endsWith(u".mp3"_s)) {
                const AudioInfo info = ProbeAudio(a + u'/' + name);
                EXPECT_EQ(info.codec, u"mp3"_s);
                EXPECT_NEAR(static_cast<double>(info.durationMs), 3000.0, 50.0);
            }
        }
        EXPECT_LE(bytes, 1048576);
        ASSERT_EQ(go.host.failures.size(), 1);
        EXPECT_TRUE(go.host.failures.at(0).startsWith(u"Cannot convert \""_s + lib.Folder() +
                                                      u"/broken.flac\": "_s))
            << go.host.failures.at(0).toStdString();
        if (run == 1) {
            EXPECT_EQ(TreeOf(cache.path()), cached) << "the second run took them from the cache";
        }
    }
}

namespace {

// Forty names from one to four FAT slots long, in an order neither alphabetical nor by length.
QStringList VariedNames()
{
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << u"%1%2.mp3"_s.arg(QChar(u'a' + (i * 7) % 26)).arg(QString((i * 11) % 37, u'x'));
    return names;
}

QStringList Targets(const DestinationPlan& plan)
{
    QStringList targets;
    for (const PlannedPass& pass : plan.passes)
        for (const PlannedFile& file : pass.files)
            targets << file.target;
    return targets;
}

} // namespace

// On a FAT stick each folder a run fills lists its files in play order: the copy order, or the
// new names' order, in a folder that held long names and was emptied; in every subfolder of a
// kept folder, whose device playlist, written over a longer one, lists them so. The image
// stays clean.
TEST(ShuffleRun, OnFatEveryFolderListsItsFilesInPlayOrder)
{
    Library lib;
    for (const QString& name : VariedNames())
        lib.Add({name}, 1000);
    for (const auto& [kept, rename] : {std::pair{false, false}, {false, true}, {true, true}}) {
        FuseStick stick(40);
        if (!stick.unavailable().isEmpty())
            GTEST_SKIP() << stick.unavailable().toStdString();
        const QString music = stick.path() + u"/Music"_s;
        QDir().mkpath(music);
        for (int i = 0; i < 15; ++i)
            QFile(music + u"/An old track with a rather long name %1.mp3"_s.arg(i))
                .open(QIODevice::WriteOnly);
        if (kept) {
            QFile longer(music + u"/Music.m3u"_s);
            ASSERT_TRUE(longer.open(QIODevice::WriteOnly));
            longer.write(QByteArray(5000, 'x'));
        }
        ShuffleJob job = lib.Job(u"*.mp3"_s, {music + u",30,0"_s}, rename ? 1 : 0);
        job.player = {kept, kept ? 7 : 0, {}, 192, u"*.mp3"_s, false};
        Shuffle run(kept ? std::initializer_list<MsgResult>{MsgResult::No, MsgResult::OK}
                         : std::initializer_list<MsgResult>{});
        RecordingHost& host = run.host;
        ShuffleRun shuffle(job, host, !kept, {5, false});
        ASSERT_EQ(shuffle.Run(), ShuffleOutcome::Finished);
        const QStringList targets = Targets(shuffle.Plan()->destinations[0]);
        ASSERT_EQ(targets.size(), 40);
        EXPECT_EQ(targets.filter(QRegularExpression(u"^(\\d+/)?[A-Z]\\d{4}\\.mp3$"_s)).size(),
                  rename ? 40 : 0);
        if (kept) {
            EXPECT_EQ(ReadAll(music + u"/Music.m3u"_s),
                      (u"#EXTM3U\r\n"_s + targets.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
        }
        stick.Unmount();
        if (!kept) {
            EXPECT_EQ(stick.Listing(u"/Music"_s), targets);
        } else {
            EXPECT_EQ(stick.Listing(u"/Music"_s).filter(QRegularExpression(u"^\\d+$"_s)),
                      (QStringList{u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s, u"06"_s}));
            for (int folder = 1; folder <= 6; ++folder) {
                const QString prefix = u"%1/"_s.arg(folder, 2, 10, QChar(u'0'));
                const QStringList inside = targets.filter(QRegularExpression(u'^' + prefix))
                                               .replaceInStrings(prefix, QString());
                EXPECT_EQ(stick.Listing(u"/Music/"_s + prefix.chopped(1)), inside);
            }
        }
        EXPECT_EQ(stick.Check(), QString());
    }
}

// "free" on a small file system that tells its room: the run fills it without running out.
TEST(ShuffleRun, AFreeDestinationFillsItsFileSystemWithoutRunningOut)
{
    FuseStick stick(8, FuseStick::Kind::Ext4);
    if (!stick.unavailable().isEmpty())
        GTEST_SKIP() << stick.unavailable().toStdString();
    Library lib;
    for (int i = 0; i < 600; ++i)
        lib.Add({u"s%1.mp3"_s.arg(i)}, 8000 + (i * 7919) % 32000);
    const QString music = stick.path() + u"/Music"_s;
    QDir().mkpath(music);
    Shuffle run;
    EXPECT_EQ(run.Go(lib.Job(u"*.mp3"_s, {music + u",FREE,0"_s}), true), ShuffleOutcome::Finished);
    EXPECT_EQ(run.host.failures, QStringList());
    qint64 bytes = 0;
    for (const QString& name : FilesIn(music))
        bytes += QFileInfo(music + u'/' + name).size();
    EXPECT_GT(bytes, 4 * 1048576) << "most of the 6 MB the file system had";
}

namespace {

// Pulls the stick out while the copy is in the middle of the file named `name`.
class PullingHost : public RecordingHost
{
public:
    PullingHost(FuseStick& stick, const QString& name) : m_stick(stick), m_name(name) {}
    std::unique_ptr<FileOperationObserver> NewFileObserver() override
    {
        return std::make_unique<Puller>(*this);
    }

private:
    struct Puller : FileOperationObserver
    {
        explicit Puller(PullingHost& owner) : host(owner) {}
        void Begin(Kind, int, qint64) override {}
        void StartItem(int, const QString& path) override { current = QFileInfo(path).fileName(); }
        void AddBytes(qint64) override
        {
            if (current == host.m_name)
                host.m_stick.Pull();
        }
        void AddFailure(const QString& text) override { host.failures << text; }
        bool CancelRequested() override { return false; }
        bool End() override { return false; }
        PullingHost& host;
        QString current;
    };
    FuseStick& m_stick;
    QString m_name;
};

} // namespace

// A stick pulled out in the middle of a file: the run lists every file that did not arrive and
// goes on to its end; put back, the stick holds whole files only under real names, the library
// is untouched, and the next run fills the stick and leaves nothing of the broken one behind.
TEST(ShuffleRun, AStickPulledOutMidRunHoldsOnlyWholeFiles)
{
    Library lib;
    QStringList names = VariedNames();
    for (int i = 0; i < names.size(); ++i)
        lib.Add({names.at(i)}, 20000 + i * 997);
    // Bigger than one piece of the copy, so that the pull comes between two of its writes.
    names << u"big.mp3"_s;
    lib.Add({names.last()}, 9 << 20);
    const auto library = TreeOf(lib.Folder());
    FuseStick stick(40);
    if (!stick.unavailable().isEmpty())
        GTEST_SKIP() << stick.unavailable().toStdString();
    const QString music = stick.path() + u"/Music"_s;
    QDir().mkpath(music);
    const ShuffleJob job = lib.Job(u"*.mp3"_s, {music + u",30,0"_s});

    ScriptedDialogs dialogs;
    PullingHost host(stick, u"big.mp3"_s);
    EXPECT_EQ(StartShuffle(job, host, true), ShuffleOutcome::Finished);
    EXPECT_EQ(TreeOf(lib.Folder()), library);

    stick.Unmount();
    ASSERT_EQ(stick.Plug(), QString());
    const QStringList arrived = FilesIn(music);
    for (const QString& name : arrived) {
        ASSERT_TRUE(lib.sources.contains(name)) << name.toStdString();
        EXPECT_EQ(ReadAll(music + u'/' + name), lib.Source(name)) << name.toStdString();
    }
    EXPECT_FALSE(arrived.contains(u"big.mp3"_s));
    EXPECT_EQ(host.failures.size() + arrived.size(), names.size()) << "each lost file listed once";
    EXPECT_EQ(host.failures.filter(u"Transport endpoint is not connected"_s).size(),
              host.failures.size());

    Shuffle again;
    EXPECT_EQ(again.Go(job, true), ShuffleOutcome::Finished);
    EXPECT_EQ(again.host.failures, QStringList());
    EXPECT_EQ(QDir(music).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              names.size());
    // The driver keeps the count of free clusters to itself until it unmounts, so the pull
    // leaves that hint stale (fsck mends it, and only it); nothing else may be wrong.
    stick.Unmount();
    const QRegularExpression stale(u"^(fsck\\.vfat failed: fsck\\.fat |Free cluster summary wrong "
                                   u"|  Auto-correcting\\.$|Leaving filesystem unchanged\\.$|"
                                   u".*: \\d+ files, \\d+/\\d+ clusters$)"_s);
    QStringList problems = stick.Check().split(u'\n', Qt::SkipEmptyParts);
    problems.removeIf([&](const QString& line) { return stale.match(line).hasMatch(); });
    EXPECT_EQ(problems, QStringList());
}
