#include "platform/ShellFileOperation.h"
#include "platform/FileOperationObserver.h"
#include "platform/private/UniqueFd.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int Copy(const QStringList& sources, const QString& target)
{
    return ShellFileOperation(ShellOperation::Copy, sources.join(QChar(0)) + QString(2, QChar(0)),
                              target + QString(2, QChar(0)));
}

QByteArray RandomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// The folder's entries, hidden ones too.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct stat StatOf(const QString& path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// What an operation reports up to its end: the calls in order, the bytes summed.
struct Recorder final : FileOperationObserver
{
    void Begin(Kind, int n, qint64 bytes) override { log << u"begin %1 %2"_s.arg(n).arg(bytes); }
    void StartItem(int n, const QString& name) override { log << u"%1 %2"_s.arg(n).arg(name); }
    void AddBytes(qint64 bytes) override { added += bytes; }
    void AddFailure(const QString&) override { log << u"failure"_s; }
    bool CancelRequested() override { return false; }
    bool End() override { return false; }
    QStringList log;
    qint64 added = 0;
};

// Which item a copy has come to.
struct Turns final : FileOperationObserver
{
    void Begin(Kind, int, qint64) override {}
    void StartItem(int n, const QString&) override { item = n; }
    void AddBytes(qint64) override {}
    void AddFailure(const QString&) override {}
    bool CancelRequested() override { return false; }
    bool End() override { return false; }
    std::atomic<int> item = 0;
    int openedAt = 0;
};

} // namespace

TEST(ShellFileOperation, CopyCreatesTheFolderAndReplacesFilesOfTheSameName)
{
    TempFolder temp;
    // Several chunks and a ragged end; an empty file; a name that needs encoding.
    const QByteArray big = RandomBytes((9 << 20) + 3, 1);
    const QString a = temp.Write(u"lib/a.bin"_s, big);
    const QString b = temp.Write(u"lib/b.txt"_s, "small");
    const QString c = temp.Write(u"lib/sub/Ünï côde.mp3"_s, QByteArray());
    ASSERT_EQ(::chmod(QFile::encodeName(a).constData(), 0640), 0);
    const QString target = temp / u"dest/deeper"_s;

    EXPECT_EQ(Copy({a, b, c}, target), 0);
    const QMap<QString, QByteArray> copied = {
        {u"a.bin"_s, big}, {u"b.txt"_s, "small"}, {u"Ünï côde.mp3"_s, {}}};
    EXPECT_EQ(TreeOf(target), copied);
    // Permissions as cp gives them; the modification time kept.
    const struct stat source = StatOf(a), copy = StatOf(target + u"/a.bin"_s);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(copy.st_mode & 0777, 0640 & ~mask);
    EXPECT_EQ(std::tie(copy.st_mtim.tv_sec, copy.st_mtim.tv_nsec),
              std::tie(source.st_mtim.tv_sec, source.st_mtim.tv_nsec));

    // A longer file of the same name is replaced, not overwritten in place; a trailing
    // separator on the target and a list without its closing NULs change nothing.
    temp.Write(u"dest/deeper/b.txt"_s, QByteArray(5000, 'x'));
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, b, target + u'/'), 0);
    EXPECT_EQ(TreeOf(target), copied);

    // One target per source: a full path (its folder made), a folder by its "/" or because it
    // is one. A lone target names the file too. Every byte is reported.
    Recorder progress;
    EXPECT_EQ(CopyFiles({a, b, c}, {temp / u"fat/x/A.BIN"_s, temp / u"fat/y/"_s, target}, &progress)
                  .arrived,
              QList<bool>({true, true, true}));
    EXPECT_EQ(progress.added, big.size() + 5);
    EXPECT_EQ(ReadAll(temp / u"fat/x/A.BIN"_s), big);
    EXPECT_EQ(Copy({b}, temp / u"fat/y/renamed.txt"_s), 0);
    EXPECT_EQ(TreeOf(temp / u"fat/y"_s),
              (QMap<QString, QByteArray>{{u"b.txt"_s, "small"}, {u"renamed.txt"_s, "small"}}));
    EXPECT_EQ(TreeOf(target), copied);

    // Folders are let go of on the way: a hundred of them within 128 descriptors.
    QStringList spread;
    for (int i = 0; i < 100; ++i)
        spread << temp / u"spread/%1/b.txt"_s.arg(i);
    EXPECT_EQ(InChild([&] {
                  const rlimit descriptors{128, 128};
                  ::setrlimit(RLIMIT_NOFILE, &descriptors);
                  return CopyFiles(QStringList(100, b), spread, nullptr).notDone;
              }),
              0);
    EXPECT_EQ(ReadAll(spread.last()), "small");

    // Pipes are read to their end, also one first in the list. Opening a pipe waits for its
    // writer, so each is opened only when its turn comes, never ahead.
    const QString first = temp / u"lib/first.mp3"_s, later = temp / u"lib/later.mp3"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(first).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(later).constData(), 0600), 0);
    QProcess writer;
    writer.start(u"sh"_s, {u"-c"_s, u"head -c 10000 /dev/zero >\"$0\""_s, first});
    Turns turns;
    std::thread feeder([&] {
        // Succeeds only while the copy has the pipe open, or is opening it.
        for (int tries = 0; tries < 1000; ++tries) {
            const UniqueFd fd(::open(QFile::encodeName(later).constData(), O_WRONLY | O_NONBLOCK));
            if (fd.valid()) {
                turns.openedAt = turns.item.load();
                EXPECT_EQ(::write(fd.get(), "later", 5), 5);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const FileOperationResult piped = CopyFiles({first, b, later}, {temp / u"piped"_s}, &turns);
    feeder.join();
    writer.waitForFinished();
    EXPECT_EQ(piped.arrived, QList<bool>({true, true, true}));
    EXPECT_EQ(turns.openedAt, 3);
    EXPECT_EQ(TreeOf(temp / u"piped"_s),
              (QMap<QString, QByteArray>{{u"first.mp3"_s, QByteArray(10000, 0)},
                                         {u"b.txt"_s, "small"},
                                         {u"later.mp3"_s, "later"}}));
}

TEST(ShellFileOperation, CopyFailuresAreListedAndTheOthersStillCopied)
{
    TempFolder temp;
    const QString a = temp.Write(u"lib/a.mp3"_s, QByteArray(3000, 'a'));
    const QString b = temp.Write(u"lib/b.mp3"_s, QByteArray(7000, 'b'));
    const QString missing = temp / u"lib/gone.mp3"_s, target = temp / u"dest"_s;
    const QString folder = temp.MakeFolder(u"lib/folder"_s);

    FileOperationResult result = CopyFiles({a, missing, folder, b}, {target}, nullptr);
    EXPECT_EQ(result.notDone, 2);
    EXPECT_EQ(result.arrived, QList<bool>({true, false, false, true}));
    ASSERT_EQ(result.failures.size(), 2);
    EXPECT_TRUE(result.failures[0].contains(missing)) << result.failures[0].toStdString();
    EXPECT_TRUE(result.failures[1].contains(folder)) << result.failures[1].toStdString();
    EXPECT_EQ(Entries(target), QStringList({u"a.mp3"_s, u"b.mp3"_s}));

    // A target that cannot be a folder fails every file, and says why once.
    const QString blocker = temp.Write(u"blocker"_s, "x");
    result = CopyFiles({a, b}, {blocker + u"/sub"_s}, nullptr);
    EXPECT_TRUE(result.notDone == 2 && result.failures.size() == 1 &&
                result.failures[0].contains(blocker))
        << result.failures.join(u'\n').toStdString();
    EXPECT_EQ(ReadAll(blocker), QByteArray("x"));

    // A write that fails part way, as on a full disk, leaves neither the file nor a temporary;
    // the file that fits still arrives.
    EXPECT_EQ(InChild([&] { return Copy({a, b}, temp / u"full"_s); }, 4096), 1);
    EXPECT_EQ(Entries(temp / u"full"_s), QStringList({u"a.mp3"_s}));
    // The same from a pipe, which is read and written piece by piece.
    const QString pipe = temp / u"lib/live.mp3"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess writer;
    writer.start(u"sh"_s, {u"-c"_s, u"head -c 10000 /dev/zero >\"$0\""_s, pipe});
    EXPECT_EQ(InChild([&] { return Copy({pipe}, temp / u"piped"_s); }, 4096), 1);
    writer.waitForFinished();
    EXPECT_EQ(Entries(temp / u"piped"_s), QStringList());

    // Nothing to do is a success; an unknown operation is not.
    EXPECT_EQ(Copy({}, target), 0);
    EXPECT_NE(ShellFileOperation(7, a, target), 0);
}

// FAT gives a new name the first free slots of its folder, and a long name takes several; car
// stereos play in that order. A folder that held long names and was emptied, then filled in two
// copies, and two subfolders made on the way list their files in the order of the targets.
TEST(ShellFileOperation, OnFatFoldersListTheirFilesInTheOrderOfTheTargets)
{
    FuseStick stick(40);
    if (!stick.unavailable().isEmpty())
        GTEST_SKIP() << stick.unavailable().toStdString();
    TempFolder temp;
    const QString music = stick.path() + u"/Music/"_s;
    // Names from one to four slots, in an order neither alphabetical nor by length.
    QStringList sources, names, old, into, sub;
    for (int i = 0; i < 40; ++i) {
        names << u"%1%2.mp3"_s.arg(QChar(u'a' + (i * 7) % 26)).arg(QString((i * 11) % 37, u'x'));
        sources << temp.Write(u"lib/%1/"_s.arg(i) + names[i], QByteArray::number(i));
        old << music + u"An old track with a rather long name %1.mp3"_s.arg(i);
        into << music + names[i];
        sub << music + (i < 20 ? u"01/"_s : u"02/"_s) + names[i];
    }
    ASSERT_EQ(CopyFiles(sources.mid(0, 15), old.mid(0, 15), nullptr).notDone, 0);
    ASSERT_EQ(DeleteFilesToRecycle({music + u"*.*"_s}), 0);
    EXPECT_EQ(CopyFiles(sources.mid(0, 25), into.mid(0, 25), nullptr).notDone, 0);
    EXPECT_EQ(CopyFiles(sources.mid(25), into.mid(25), nullptr).notDone, 0);
    EXPECT_EQ(CopyFiles(sources, sub, nullptr).notDone, 0);
    EXPECT_EQ(ReadAll(sub[39]), "39");

    stick.Unmount();
    EXPECT_EQ(stick.Listing(u"/Music"_s), (names + QStringList{u"01"_s, u"02"_s}));
    EXPECT_EQ(stick.Listing(u"/Music/01"_s), names.mid(0, 20));
    EXPECT_EQ(stick.Listing(u"/Music/02"_s), names.mid(20));
    EXPECT_EQ(stick.Check(), QString());
}

// Copies a large set in a child process and kills it at random moments: a real name must
// never show anything but the whole source, and the next copy clears what the killed one left.
TEST(ShellFileOperationSlow, KilledCopyNeverLeavesAPartialFileUnderARealName)
{
    TempFolder temp;
    QStringList sources;
    for (unsigned i = 0; i < 30; ++i)
        sources << temp.Write(u"lib/track%1.mp3"_s.arg(i), RandomBytes(4 << 20, 100 + i));
    const QString target = temp / u"dest"_s;
    auto checkRealNames = [&](int round) {
        for (const QString& name : Entries(target))
            EXPECT_TRUE(name.startsWith(kCopyTempPrefix) ||
                        ReadAll(target + u'/' + name) == ReadAll(temp / u"lib/"_s + name))
                << "round " << round << ": " << name.toStdString() << " is not its source";
    };

    // How long an undisturbed copy takes, to spread the kills over it.
    using namespace std::chrono;
    const auto started = steady_clock::now();
    ASSERT_EQ(Copy(sources, temp / u"timing"_s), 0);
    const long long fullMs = duration_cast<milliseconds>(steady_clock::now() - started).count();
    const unsigned seed = std::random_device{}();
    std::mt19937 generator(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", full copy " << fullMs << " ms");

    int killedRounds = 0;
    qsizetype leftovers = 0;
    // Six rounds at random moments, then more if needed until one leaves temporaries behind.
    for (int round = 0; round < 6 || (leftovers == 0 && round < 20); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(Copy(sources, target) == 0 ? 0 : 1);
        // Odd rounds aim at the first quarter, where the data is still being copied; the rest
        // of the time mostly goes on the flush and the renames.
        const long long spanMs = round % 2 == 0 && round < 6 ? fullMs : fullMs / 4;
        const auto killAt = steady_clock::now() + milliseconds(generator() % (spanMs + 1));
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) != child && steady_clock::now() < killAt)
            std::this_thread::sleep_for(microseconds(200));
        // Unless it has already ended and been reaped: then the kill finds no such process.
        EXPECT_TRUE(::kill(child, SIGKILL) != 0 || ::waitpid(child, &status, 0) == child);
        killedRounds += WIFSIGNALED(status);
        EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "round " << round;
        leftovers = Entries(target).filter(kCopyTempPrefix).size();
        checkRealNames(round);
    }
    EXPECT_GT(killedRounds, 0);
    ASSERT_GT(leftovers, 0);

    // A copy of a single file clears all of the killed copy's temporaries, but not the staging
    // folder of a copy still at work (locked), names that only look like ours, nor a link.
    for (const QString& name : {u"Ef34Gh/1"_s, u"Ef34Gh-2"_s, u"Ab12C/1"_s, u"Ab12Cde/1"_s,
                                u"Ab-2Cd/1"_s, u"Yy77Xx"_s, u"Yy77Xx-3x"_s})
        temp.Write(u"dest/"_s + kCopyTempPrefix + name, "x");
    ASSERT_TRUE(QFile::link(temp / u"lib"_s, target + u"/.pendrift-Qq11Ww"_s));
    UniqueFd lock(::open(QFile::encodeName(target + u"/.pendrift-Ef34Gh"_s).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_EQ(::flock(lock.get(), LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Copy({sources.first()}, target), 0);
    EXPECT_EQ(Entries(target).filter(kCopyTempPrefix),
              QStringList({u".pendrift-Ab-2Cd"_s, u".pendrift-Ab12C"_s, u".pendrift-Ab12Cde"_s,
                           u".pendrift-Ef34Gh"_s, u".pendrift-Ef34Gh-2"_s, u".pendrift-Qq11Ww"_s,
                           u".pendrift-Yy77Xx"_s, u".pendrift-Yy77Xx-3x"_s}));
    checkRealNames(-1);
}

TEST(ShellFileOperation, DeleteOnTheHomeFileSystemGoesToTheTrash)
{
    TempFolder temp;
    ASSERT_EQ(StatOf(temp.path()).st_dev, StatOf(QDir::homePath()).st_dev);
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/"_s; // see TestMain
    QDir(trash).removeRecursively();
    const QString dest = temp.MakeFolder(u"dest"_s);
    temp.Write(u"dest/s.mp3"_s, "s");
    temp.Write(u"dest/.h"_s, "h");
    temp.Write(u"dest/sub/i.mp3"_s, "i");
    const QString single = temp.Write(u"M.m3u"_s, "m");
    ASSERT_TRUE(QFile::link(dest + u"/gone"_s, dest + u"/dangling"_s)); // no trash takes it

    // Failures are listed and the other items still go; "*" means all of a folder too.
    const QString missing = temp / u"missing.mp3"_s;
    const FileOperationResult result =
        DeleteItems({missing, temp / u"nowhere/*"_s, dest + u"/*.*"_s, single}, nullptr);
    EXPECT_EQ(result.notDone, 2);
    EXPECT_TRUE(result.failures.size() == 2 && result.failures[0].contains(temp / u"nowhere"_s) &&
                result.failures[1].contains(missing))
        << result.failures.join(u'\n').toStdString();
    EXPECT_EQ(TreeOf(temp.path()), (QMap<QString, QByteArray>{{u"dest"_s, "/"}}));
    EXPECT_EQ(TreeOf(trash + u"files"_s), (QMap<QString, QByteArray>{{u".h"_s, "h"},
                                                                     {u"M.m3u"_s, "m"},
                                                                     {u"s.mp3"_s, "s"},
                                                                     {u"sub"_s, "/"},
                                                                     {u"sub/i.mp3"_s, "i"}}));
    EXPECT_EQ(Entries(trash + u"info"_s).size(), 4);

    // Nothing to do: an empty folder, an empty list.
    EXPECT_EQ(DeleteFilesToRecycle({dest + u"/*.*"_s}), 0);
    EXPECT_EQ(DeleteFilesToRecycle({}), 0);
}

// Another file system has no trash of ours: a delete there is for good, and a link goes as a
// link. A copy from there takes another way through the kernel; it reports every item and byte.
TEST(ShellFileOperation, OnAnotherFileSystemDeletesAreForGood)
{
    QTemporaryDir stick(u"/dev/shm/pendrift-test-XXXXXX"_s);
    if (!stick.isValid() || StatOf(stick.path()).st_dev == StatOf(QDir::homePath()).st_dev)
        GTEST_SKIP() << "needs /dev/shm on another file system than the temporary folder";
    TempFolder outside;
    const QString keep = outside.Write(u"keep.mp3"_s, "keep");
    const QByteArray big = RandomBytes((3 << 20) + 5, 9);
    ASSERT_TRUE(QFile::copy(outside.Write(u"big.bin"_s, big), stick.filePath(u"big.bin"_s)));
    Recorder copy;
    CopyFiles({stick.filePath(u"big.bin"_s), stick.filePath(u"gone"_s)}, {outside / u"copied"_s},
              &copy);
    EXPECT_EQ(copy.log, QStringList({u"begin 2 %1"_s.arg(big.size()), u"1 big.bin"_s, u"2 gone"_s,
                                     u"failure"_s}));
    EXPECT_EQ(copy.added, big.size());
    EXPECT_EQ(ReadAll(outside / u"copied/big.bin"_s), big);

    const QString dest = stick.filePath(u"Music"_s), lone = stick.filePath(u"Lone"_s);
    QDir().mkpath(dest + u"/sub/deeper"_s);
    QDir().mkpath(lone + u"/x"_s);
    for (const QString& name :
         {u"/a.mp3"_s, u"/.hidden"_s, u"/sub/b.mp3"_s, u"/sub/deeper/c.mp3"_s, u"/sub/.d"_s})
        ASSERT_TRUE(QFile::copy(keep, dest + name));
    // A link is removed as a link, a dangling one too: what it points to stays.
    ASSERT_TRUE(QFile::link(keep, dest + u"/sub/link.mp3"_s));
    ASSERT_TRUE(QFile::link(outside.path(), dest + u"/folderlink"_s));
    ASSERT_TRUE(QFile::link(dest + u"/gone"_s, dest + u"/dangling"_s));

    Recorder remove; // a delete has no byte total
    EXPECT_EQ(DeleteItems({dest + u"/*.*"_s, lone}, &remove).notDone, 0);
    EXPECT_EQ(remove.log.value(0), u"begin 6 0"_s);
    // Gone for good: no trash folder was made here either.
    EXPECT_EQ(TreeOf(stick.path()),
              (QMap<QString, QByteArray>{{u"Music"_s, "/"}, {u"big.bin"_s, big}}));
    EXPECT_EQ(ReadAll(keep), QByteArray("keep"));
}
