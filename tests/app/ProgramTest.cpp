#include "documents/CBinaryINI.h"
#include "platform/RunLock.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    int status = -1;
    QString out, err;
};

// Runs the program headless (no display variables) with its own config folder.
Outcome RunProgram(const QStringList& arguments, const QString& configHome,
                   const QString& program = QStringLiteral(PENDRIFT_EXE))
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(name);
    env.insert(u"XDG_CONFIG_HOME"_s, configHome);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << "the program did not end by itself";
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// Stores a settings document (making its folder) and lets go of it.
QString WriteJob(const QString& path, const QString& library, const QString& destination,
                 int rename = 0, const QString& filetypes = u"*.mp3"_s)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CBinaryINI document;
    document.SetFile(path);
    for (const auto& [key, value] : {std::pair{u"Library"_s, library},
                                     {u"Filetypes"_s, filetypes},
                                     {u"Destination"_s, destination},
                                     {u"RenameFiles"_s, QString::number(rename)}})
        document.WriteValue(key, value, u"settings"_s);
    document.Commit();
    return path;
}

// A small library of four files and an empty destination beside it.
struct Job
{
    TempFolder root;
    Job()
    {
        for (int i = 0; i < 4; ++i)
            root.Write(u"lib/t%1.mp3"_s.arg(i), QByteArray(2000 + i, 'm'));
        root.MakeFolder(u"dest"_s);
    }
    QString Write(const QString& path, const QString& destination = {}, int rename = 0) const
    {
        return WriteJob(path, root / u"lib"_s,
                        destination.isNull() ? Destination() + u",1,0"_s : destination, rename);
    }
    QString Destination() const { return root / u"dest"_s; }
    QString Config() const { return root / u"config"_s; }
    QString DataFolder() const { return Config() + u"/Orlenna/Pendrift"_s; }
    qsizetype Copied() const { return QDir(Destination()).entryList(QDir::Files).size(); }
};

// A library with names a FAT stick cannot hold and two names that differ only in case; each
// file's first byte tells its source.
struct AwkwardLibrary
{
    TempFolder root;
    QMap<QByteArray, QString> sources;
    explicit AwkwardLibrary(int size)
    {
        char mark = 'a';
        for (const QString& name :
             {u"Symphony No. 5: Allegro.mp3"_s, u"What's Up?.mp3"_s, u"a/Song.mp3"_s,
              u"b/SONG.mp3"_s, u"plain.mp3"_s, u"Trailing .mp3."_s}) {
            sources[QByteArray(1, mark)] = root.Write(u"lib/"_s + name, QByteArray(size, mark));
            ++mark;
        }
    }
    // Runs the whole library onto the folder, unattended and without a window. What the folder
    // holds after, each file checked whole against its source: name -> source.
    QMap<QString, QString> Run(const QString& folder, const QString& numbers, int rename,
                               Outcome& o) const
    {
        const QString job = WriteJob(root / u"Job.cfg"_s, root / u"lib<+>"_s, folder + numbers,
                                     rename, u"*.mp3,*.mp3."_s);
        o = RunProgram({u"/q"_s, u"/a"_s, u"/f:"_s + job}, root / u"config"_s);
        QMap<QString, QString> copied;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            const QByteArray bytes = ReadAll(folder + u'/' + name);
            copied[name] = sources.value(bytes.left(1));
            EXPECT_TRUE(!bytes.isEmpty() && bytes == ReadAll(copied[name])) << name.toStdString();
        }
        return copied;
    }
};

} // namespace

// Exit statuses and messages: help and a load without a run; a repeated switch, a missing
// document, a stop (also in a seeded preview) or a foreign file; command lines needing a window.
TEST(Program, ExitStatusesAndMessages)
{
    Job job;
    TempFolder elsewhere;
    const QString path = job.Write(elsewhere / u"Job.cfg"_s, u"/,1,0"_s);
    const QString f = u"/f:"_s + path;
    const QString foreign = elsewhere.Write(u"notes.cfg"_s, "plain text notes here");
    // Another run holds the destination (the folder around it, seen through a trailing "/").
    const QString held =
        u"/f:"_s + job.Write(elsewhere / u"Held.cfg"_s, job.Destination() + u"/,1,0"_s);
    const auto lock = RunLock::Acquire({job.root.path()});
    const QString window = u"\n/f:<file> Settings file to load\n"_s; // the help, for the console
    const struct
    {
        QStringList args;
        int status;
        QString error;
    } cases[] = {
        {{u"/a"_s, u"/?"_s, u"/f:Mix"_s}, 0, {}},
        {{u"/q"_s, f}, 0, {}},
        {{u"/a"_s, u"/A"_s, u"/f:Mix"_s}, 1, u"initializing.\n(Error 457) This key is already"_s},
        {{u"/q"_s, u"/a"_s, u"/f:Nothing"_s}, 1, u"Pendrift: File not found!\n-> OK\n"_s},
        {{u"/q"_s, u"/a"_s, f}, 1, u"ROOT path."_s},
        {{u"/p"_s, u"/s:7"_s, f}, 1, u"ROOT path."_s},
        {{u"/q"_s, u"/a"_s, held}, 1, u"A destination folder is in use by another run.\n-> OK"_s},
        {{u"/c"_s, u"/f:"_s + foreign}, 1, u"(Error 321) Invalid file format"_s},
        {{}, 2, window},
        {{u"/a"_s, u"/f:Mix"_s}, 2, window},
    };
    for (const auto& c : cases) {
        const Outcome o = RunProgram(c.args, job.Config());
        EXPECT_EQ(o.status, c.status) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(c.error.isEmpty() ? o.err.isEmpty() : o.err.contains(c.error))
            << o.err.toStdString();
    }
    // The data folder was made; the load without "/a" was recorded; no run copied anything.
    EXPECT_TRUE(ReadAll(job.DataFolder() + u"/pendrift.ini"_s).contains(QFile::encodeName(path)));
    EXPECT_EQ(job.Copied(), 0);
}

// Without a display the run makes no widget: on the core application it starts with, one
// would end the program at once.
TEST(Program, UnattendedRunOfANameInTheDataFolder)
{
    Job job;
    job.Write(job.DataFolder() + u"/My Mix.cfg"_s);
    const Outcome o = RunProgram({u"/q"_s, u"/a"_s, u"/f:My"_s, u"Mix"_s}, job.Config());
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(job.Copied(), 4);
    EXPECT_TRUE(o.out.startsWith(u"Initializing...\n"_s)) << o.out.toStdString();
    EXPECT_TRUE(o.out.section(u'\n', -2).startsWith(u"Done in "_s)) << o.out.toStdString();
    // Nothing was asked: destinations are emptied without a question, no "Done!" box.
    EXPECT_EQ(o.err, QString());
    // A window nobody saw does not store a place for the desktop's window.
    EXPECT_FALSE(ReadAll(job.DataFolder() + u"/pendrift.ini"_s).contains("mainleft="));

    // A copy of the program keeps its preferences under its own name.
    TempFolder bin;
    ASSERT_TRUE(QFile::copy(QStringLiteral(PENDRIFT_EXE), bin / u"mixer"_s));
    QFile::setPermissions(bin / u"mixer"_s, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(RunProgram({u"/q"_s, u"/f:My Mix"_s}, job.Config(), bin / u"mixer"_s).status, 0);
    EXPECT_TRUE(ReadAll(job.DataFolder() + u"/mixer.ini"_s).contains("RecentCfgs1="));
}

// "/p" shows what "/a" would do and changes nothing; "/s" with the seed it showed repeats it.
TEST(Program, PreviewThenTheRunWithItsSeed)
{
    Job job;
    const QString second = job.root / u"dest2"_s;
    job.Write(job.DataFolder() + u"/Mix.cfg"_s, job.Destination() + u",1,0|"_s + second + u",1,0"_s,
              1);
    job.root.Write(u"dest/stale.mp3"_s, {});
    const auto before = TreeOf(job.root.path());
    const Outcome preview = RunProgram({u"/p"_s, u"/f:Mix"_s}, job.Config());
    EXPECT_EQ(preview.status, 0) << preview.err.toStdString();
    EXPECT_EQ(TreeOf(job.root.path()), before);

    // Each destination's files as the preview names them, and the seed.
    QMap<QString, QStringList> shown;
    QString folder, seed;
    for (const QString& line : preview.out.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u"seed: "_s))
            seed = line.mid(6);
        else if (!line.startsWith(u' '))
            shown[folder = line];
        else if (line.contains(u" <- "_s))
            shown[folder] << line.trimmed().section(u" <- "_s, 0, 0);
    }
    ASSERT_FALSE(seed.isEmpty()) << preview.out.toStdString();
    EXPECT_EQ(shown.keys(), (QStringList{job.Destination(), second}));
    EXPECT_TRUE(preview.out.contains(u"emptying removes 1 files, 0 bytes"_s));

    const Outcome run = RunProgram({u"/q"_s, u"/a"_s, u"/f:Mix"_s, u"/s:"_s + seed}, job.Config());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u"\nseed: "_s + seed + u"\nDone in "_s)) << run.out.toStdString();
    for (auto it = shown.begin(); it != shown.end(); ++it) {
        it.value().sort();
        EXPECT_EQ(QDir(it.key()).entryList(QDir::Files), it.value()) << it.key().toStdString();
    }

    // A seed that is not a whole number from 0 to 4,294,967,295 stops everything at once.
    const auto after = TreeOf(job.root.path());
    for (const QString& bad : {u"abc"_s, u"-1"_s, u"4294967296"_s, u"1.5"_s, QString()}) {
        const Outcome o = RunProgram({u"/q"_s, u"/a"_s, u"/f:Mix"_s, u"/s:"_s + bad}, job.Config());
        EXPECT_EQ(o.status, 1);
        EXPECT_TRUE(o.err.contains(u"Invalid seed: "_s + bad + u'\n')) << o.err.toStdString();
    }
    EXPECT_EQ(TreeOf(job.root.path()), after);
}

// On a real FAT32 file system: awkward names are copied under safe names, names that differ
// only in case count as one, random rename works, and a second run onto the stick too. Past
// the stick's room, what fits arrives whole, the rest fails without leaving anything behind,
// and the run still ends normally.
TEST(Program, FuseStickNamesCaseAndAFullStick)
{
    FuseStick stick(4);
    if (!stick.unavailable().isEmpty())
        GTEST_SKIP() << stick.unavailable().toStdString();
    const AwkwardLibrary small(20000), large(1000000);
    const QString music = stick.path() + u"/Music"_s;
    QDir().mkpath(music);
    for (const int rename : {0, 1, 0}) {
        Outcome o;
        const auto copied = small.Run(music, u",1,0"_s, rename, o);
        EXPECT_EQ(o.status, 0) << o.err.toStdString();
        EXPECT_EQ(o.err, QString());
        const QString song = copied.contains(u"Song.mp3"_s) ? u"Song.mp3"_s : u"SONG.mp3"_s;
        EXPECT_EQ(copied.keys(),
                  (rename ? QStringList{u"F0001.mp3"_s, u"F0002.mp3"_s, u"F0003.mp3"_s,
                                        u"F0004.mp3"_s, u"F0005.mp3"_s}
                          : QStringList{song, u"Symphony No. 5_ Allegro.mp3"_s, u"Trailing .mp3"_s,
                                        u"What's Up_.mp3"_s, u"plain.mp3"_s}));
    }
    Outcome o;
    const auto copied = large.Run(music, u",100,0"_s, 0, o);
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Cannot copy"_s)) << o.err.toStdString();
    EXPECT_TRUE(copied.size() > 0 && copied.size() < 5) << copied.size();
    for (const QString& name : copied.keys())
        EXPECT_FALSE(name.startsWith(u".pendrift-"_s)) << name.toStdString();
}
