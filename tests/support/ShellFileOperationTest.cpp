#include "support/ShellFileOperation.h"
#include "support/FileOperationObserver.h"
#include "support/UniqueFd.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
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

QString NulList(const QStringList& paths)
{
    return paths.join(QChar(0)) + QChar(0) + QChar(0);
}

int Copy(const QStringList& sources, const QString& target)
{
    return ShellFileOperation(ShellOperation::Copy, NulList(sources), NulList({target}));
}

QByteArray RandomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// Every entry of the folder, hidden ones included, or only the temporary and lock files of a
// copy.
QStringList Entries(const QString& folder, bool onlyTemporaries = false)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (onlyTemporaries)
        names.removeIf([](const QString& name) { return !name.startsWith(kCopyTempPrefix); });
    return names;
}

struct stat StatOf(const QString& path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// What an operation reports, one line per call; the bytes are summed.
struct Recorder final : FileOperationObserver
{
    void Begin(Kind kind, int items, qint64 bytes) override
    {
        log << u"begin %1 %2 %3"_s.arg(int(kind)).arg(items).arg(bytes);
    }
    void StartItem(int number, const QString& name) override
    {
        log << u"%1 %2"_s.arg(number).arg(name);
    }
    void AddBytes(qint64 bytes) override { added += bytes; }
    void AddFailure(const QString&) override { log << u"failure"_s; }
    bool CancelRequested() override { return false; }
    bool End() override
    {
        log << u"end"_s;
        return false;
    }
    QStringList log;
    qint64 added = 0;
};

// The trash of the test's home (see TestMain).
QString Trash(const QString& part)
{
    return qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/"_s + part;
}

} // namespace

TEST(ShellFileOperation, CopyCreatesTheFolderAndReplacesFilesOfTheSameName)
{
    TempFolder temp;
    // Several chunks and a ragged end; an empty file; a name that needs encoding.
    const QByteArray big = RandomBytes((9 << 20) + 3, 1);
    const QByteArray small = RandomBytes(1000, 2);
    const QString a = temp.Write(u"lib/a.bin"_s, big);
    const QString b = temp.Write(u"lib/b.txt"_s, small);
    const QString c = temp.Write(u"lib/sub/Ünï côde.mp3"_s, QByteArray());
    ASSERT_EQ(::chmod(QFile::encodeName(a).constData(), 0640), 0);
    const QString target = temp / u"dest/deeper"_s;

    EXPECT_EQ(Copy({a, b, c}, target), 0);
    EXPECT_EQ(Entries(target), QStringList({u"a.bin"_s, u"b.txt"_s, u"Ünï côde.mp3"_s}));
    EXPECT_EQ(ReadAll(target + u"/a.bin"_s), big);
    EXPECT_EQ(ReadAll(target + u"/b.txt"_s), small);

    // Permissions as cp gives them; the modification time kept.
    const struct stat source = StatOf(a);
    const struct stat copy = StatOf(target + u"/a.bin"_s);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(copy.st_mode & 0777, 0640 & ~mask);
    EXPECT_EQ(copy.st_mtim.tv_sec, source.st_mtim.tv_sec);
    EXPECT_EQ(copy.st_mtim.tv_nsec, source.st_mtim.tv_nsec);

    // A longer file of the same name is replaced, not overwritten in place; a trailing
    // separator on the target and a list without its closing NULs change nothing.
    temp.Write(u"dest/deeper/b.txt"_s, RandomBytes(5000, 3));
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, b, target + u'/'), 0);
    EXPECT_EQ(ReadAll(target + u"/b.txt"_s), small);
    EXPECT_EQ(Entries(target).size(), 3);

    // One target per source: a full path (its folder made), a folder by its "/" or because it
    // is one. A lone target names the file too.
    const FileOperationResult result =
        CopyFiles({a, b, c}, {temp / u"fat/x/A.BIN"_s, temp / u"fat/y/"_s, target}, nullptr);
    EXPECT_EQ(result.arrived, QList<bool>({true, true, true}));
    EXPECT_EQ(ReadAll(temp / u"fat/x/A.BIN"_s), big);
    EXPECT_EQ(ReadAll(temp / u"fat/y/b.txt"_s), small);
    EXPECT_EQ(Copy({b}, temp / u"fat/y/renamed.txt"_s), 0);
    EXPECT_EQ(Entries(temp / u"fat/y"_s), QStringList({u"b.txt"_s, u"renamed.txt"_s}));
}

TEST(ShellFileOperation, CopyFailuresAreListedAndTheOthersStillCopied)
{
    TempFolder temp;
    const QString a = temp.Write(u"lib/a.mp3"_s, RandomBytes(3000, 4));
    const QString b = temp.Write(u"lib/b.mp3"_s, RandomBytes(7000, 5));
    const QString missing = temp / u"lib/gone.mp3"_s;
    const QString folder = temp.MakeFolder(u"lib/folder"_s);
    const QString target = temp / u"dest"_s;

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
    EXPECT_EQ(result.notDone, 2);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_TRUE(result.failures[0].contains(blocker)) << result.failures[0].toStdString();
    EXPECT_EQ(ReadAll(blocker), QByteArray("x"));

    // A write that fails part way, as on a full disk, leaves neither the file nor a temporary;
    // the file that fits still arrives.
    EXPECT_EQ(InChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{4096, 4096};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  return Copy({a, b}, temp / u"full"_s);
              }),
              1);
    EXPECT_EQ(Entries(temp / u"full"_s), QStringList({u"a.mp3"_s}));

    // Nothing to do is a success; an unknown operation is not.
    EXPECT_EQ(Copy({}, target), 0);
    EXPECT_NE(ShellFileOperation(7, NulList({a}), NulList({target})), 0);
}

TEST(ShellFileOperation, CopyRemovesLeftoverTemporariesButNotOnesStillInUse)
{
    TempFolder temp;
    const QString a = temp.Write(u"lib/a.mp3"_s, RandomBytes(3000, 6));
    const QString target = temp.MakeFolder(u"dest"_s);
    auto write = [&](const char* name) {
        return temp.Write(u"dest/.pendrift-"_s + QLatin1StringView(name), "x");
    };
    // A killed copy's lock and temporaries; a temporary whose lock is already gone.
    const QStringList dead = {write("Ab12Cd.lock"), write("Ab12Cd-1.part"), write("Ab12Cd-17.part"),
                              write("Zz99Yy-3.part")};
    // A copy still at work holds its lock; then names that only look like ours.
    const QStringList kept = {write("Ef34Gh.lock"), write("Ef34Gh-2.part"), write("notes.txt"),
                              write("Ab12Cd-x.part"), write("Ab12Cd.part")};
    UniqueFd lock(::open(QFile::encodeName(kept[0]).constData(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(lock.get(), LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(Copy({a}, target), 0);
    lock.reset();
    for (const QString& path : dead)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(ReadAll(target + u"/a.mp3"_s), ReadAll(a));
    EXPECT_EQ(Entries(target).size(), kept.size() + 1);
}

// Copies a large set in a child process and kills it at random moments: a real name must
// never show anything but the whole source, and the next copy clears what the killed one left.
TEST(ShellFileOperationSlow, KilledCopyNeverLeavesAPartialFileUnderARealName)
{
    TempFolder temp;
    QStringList sources;
    QMap<QString, QByteArray> contents;
    for (int i = 0; i < 30; ++i) {
        const QString name = u"track%1.mp3"_s.arg(i, 2, 10, QChar(u'0'));
        contents.insert(name, RandomBytes(4 << 20, 100 + static_cast<unsigned>(i)));
        sources << temp.Write(u"lib/"_s + name, contents.value(name));
    }
    const QString target = temp / u"dest"_s;

    // How long an undisturbed copy takes, to spread the kills over it.
    using namespace std::chrono;
    const auto started = steady_clock::now();
    ASSERT_EQ(Copy(sources, temp / u"timing"_s), 0);
    const long long fullMs =
        std::max<long long>(1, duration_cast<milliseconds>(steady_clock::now() - started).count());
    const unsigned seed = std::random_device{}();
    std::mt19937 generator(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", full copy " << fullMs << " ms");
    auto checkRealNames = [&](int round) {
        for (const QString& name : Entries(target)) {
            if (name.startsWith(kCopyTempPrefix))
                continue;
            EXPECT_TRUE(contents.contains(name) &&
                        ReadAll(target + u'/' + name) == contents.value(name))
                << "round " << round << ": " << name.toStdString() << " is not its source";
        }
    };

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
        const auto killAt =
            steady_clock::now() +
            milliseconds(std::uniform_int_distribution<long long>(0, spanMs)(generator));
        int status = 0;
        bool exited = false;
        while (!exited && steady_clock::now() < killAt) {
            exited = ::waitpid(child, &status, WNOHANG) == child;
            std::this_thread::sleep_for(microseconds(200));
        }
        if (!exited) {
            ::kill(child, SIGKILL);
            ASSERT_EQ(::waitpid(child, &status, 0), child);
        }
        killedRounds += WIFSIGNALED(status);
        EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "round " << round;
        leftovers = Entries(target, true).size();
        checkRealNames(round);
    }
    EXPECT_GT(killedRounds, 0);
    ASSERT_GT(leftovers, 0);

    // A copy of a single file clears all of the killed copy's temporaries.
    EXPECT_EQ(Copy({sources.first()}, target), 0);
    EXPECT_EQ(Entries(target, true), QStringList());
    checkRealNames(-1);
}

TEST(ShellFileOperation, DeleteOnTheHomeFileSystemGoesToTheTrash)
{
    TempFolder temp;
    ASSERT_EQ(StatOf(temp.path()).st_dev, StatOf(QDir::homePath()).st_dev);
    QDir(Trash({})).removeRecursively();
    const QByteArray song = RandomBytes(2000, 7);
    const QString dest = temp.MakeFolder(u"dest"_s);
    temp.Write(u"dest/song.mp3"_s, song);
    temp.Write(u"dest/.hidden"_s, "h");
    temp.Write(u"dest/sub/inner.mp3"_s, "inner");
    const QString single = temp.Write(u"Music.m3u"_s, "#EXTM3U\r\n");
    ASSERT_TRUE(QFile::link(dest + u"/gone"_s, dest + u"/dangling"_s)); // no trash takes it

    EXPECT_EQ(DeleteFilesToRecycle({dest + u"/*.*"_s, single}), 0);
    EXPECT_TRUE(QFileInfo(dest).isDir());
    EXPECT_EQ(Entries(dest), QStringList());
    EXPECT_FALSE(QFileInfo::exists(single));
    EXPECT_EQ(TreeOf(Trash(u"files"_s)),
              (QMap<QString, QByteArray>{{u".hidden"_s, "h"},
                                         {u"Music.m3u"_s, "#EXTM3U\r\n"},
                                         {u"song.mp3"_s, song},
                                         {u"sub"_s, "/"},
                                         {u"sub/inner.mp3"_s, "inner"}}));
    EXPECT_EQ(Entries(Trash(u"info"_s)).size(), 4);

    // "*" is the same as "*.*"; failures are listed and the other items still go.
    temp.Write(u"dest/again.mp3"_s, "again");
    const QString missing = temp / u"missing.mp3"_s;
    const FileOperationResult result =
        DeleteItems({missing, temp / u"nowhere/*.*"_s, dest + u"/*"_s}, nullptr);
    EXPECT_EQ(result.notDone, 2);
    EXPECT_TRUE(result.failures.size() == 2 && result.failures[0].contains(temp / u"nowhere"_s) &&
                result.failures[1].contains(missing))
        << result.failures.join(u'\n').toStdString();
    EXPECT_EQ(Entries(dest), QStringList());
    EXPECT_TRUE(QFileInfo::exists(Trash(u"files/again.mp3"_s)));
    // Nothing to do: an empty folder, an empty list.
    EXPECT_EQ(DeleteFilesToRecycle({dest + u"/*.*"_s}), 0);
    EXPECT_EQ(DeleteFilesToRecycle({}), 0);
}

TEST(ShellFileOperation, DeleteOnAnotherFileSystemIsForGood)
{
    const QString shm = u"/dev/shm"_s;
    if (!QFileInfo(shm).isDir() || StatOf(shm).st_dev == StatOf(QDir::homePath()).st_dev)
        GTEST_SKIP() << "needs a second file system: /dev/shm is missing or on the same device "
                        "as the temporary folder";
    QTemporaryDir stick(shm + u"/pendrift-test-XXXXXX"_s);
    ASSERT_TRUE(stick.isValid());
    TempFolder outside;
    const QString keep = outside.Write(u"keep.mp3"_s, "keep");

    const QString dest = stick.filePath(u"Music"_s);
    const QString lone = stick.filePath(u"Lone"_s);
    QDir().mkpath(dest + u"/sub/deeper"_s);
    QDir().mkpath(lone + u"/x"_s);
    for (const QString& name :
         {u"/a.mp3"_s, u"/.hidden"_s, u"/sub/b.mp3"_s, u"/sub/deeper/c.mp3"_s, u"/sub/.d"_s})
        ASSERT_TRUE(QFile::copy(keep, dest + name));
    // A link is removed as a link, a dangling one too: what it points to stays.
    ASSERT_TRUE(QFile::link(keep, dest + u"/sub/link.mp3"_s));
    ASSERT_TRUE(QFile::link(outside.path(), dest + u"/folderlink"_s));
    ASSERT_TRUE(QFile::link(dest + u"/gone"_s, dest + u"/dangling"_s));

    EXPECT_EQ(DeleteFilesToRecycle({dest + u"/*.*"_s, lone}), 0);
    EXPECT_TRUE(QFileInfo(dest).isDir());
    EXPECT_EQ(Entries(dest), QStringList());
    EXPECT_FALSE(QFileInfo::exists(lone));
    EXPECT_EQ(ReadAll(keep), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(Trash(u"files/a.mp3"_s)));
}

TEST(ShellFileOperation, ProgressCountsEveryItemAndByte)
{
    // From another file system the data takes another way through the kernel.
    QTemporaryDir shm(u"/dev/shm/pendrift-test-XXXXXX"_s);
    if (!shm.isValid())
        GTEST_SKIP() << "no /dev/shm";
    TempFolder temp;
    const QByteArray big = RandomBytes((3 << 20) + 5, 9);
    QFile source(shm.filePath(u"big.bin"_s));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly) && source.write(big) == big.size());
    source.close();
    Recorder copy;
    EXPECT_EQ(CopyFiles({source.fileName(), shm.filePath(u"gone"_s)}, {temp.path()}, &copy).arrived,
              QList<bool>({true, false}));
    EXPECT_EQ(copy.log, QStringList({u"begin 0 2 %1"_s.arg(big.size()), u"1 big.bin"_s, u"2 gone"_s,
                                     u"failure"_s, u"end"_s}));
    EXPECT_EQ(copy.added, big.size());
    EXPECT_EQ(ReadAll(temp / u"big.bin"_s), big);
    // A delete has no byte total.
    Recorder remove;
    EXPECT_EQ(DeleteItems({temp / u"*.*"_s}, &remove).notDone, 0);
    EXPECT_EQ(remove.log, QStringList({u"begin 1 1 0"_s, u"1 big.bin"_s, u"end"_s}));
}
