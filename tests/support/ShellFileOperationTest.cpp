#include "ShellFileOperation.h"
#include "FileOperationProgress.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

QString NulList(const QStringList& paths)
{
    QString list;
    for (const QString& path : paths)
        list += path + QChar(0);
    return list + QChar(0);
}

QByteArray RandomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// A temporary or lock file of a copy.
bool IsTempName(const QString& name)
{
    return name.startsWith(kCopyTempPrefix);
}

// Every entry of the folder, hidden ones included.
QStringList Entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    names.sort();
    return names;
}

QStringList TempNames(const QString& folder)
{
    QStringList names = Entries(folder);
    names.removeIf([](const QString& name) { return !IsTempName(name); });
    return names;
}

dev_t DeviceOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

// Sets (or, given a null value, removes) an environment variable for the lifetime of the
// object.
struct ScopedEnv
{
    ScopedEnv(const char* name, const QByteArray& value)
        : name(name), had(qEnvironmentVariableIsSet(name)), old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    }
    const char* name;
    bool had;
    QByteArray old;
};

// Points the trash at a temporary home, so that no test ever fills the real user's trash.
struct TemporaryHome
{
    TempFolder folder;
    ScopedEnv home{"HOME", QFile::encodeName(folder.path())};
    ScopedEnv dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / QStringLiteral("data"))};
    QString trashFiles() const { return folder / QStringLiteral("data/Trash/files"); }
    QString trashInfo() const { return folder / QStringLiteral("data/Trash/info"); }
};

FileOperationProgress* ProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<FileOperationProgress*>(widget))
            return window;
    }
    return nullptr;
}

QString LabelText(QWidget* window, const char* name)
{
    const auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

// Closes a window a failed operation left open and lets it delete itself.
void CloseProgressWindow()
{
    while (FileOperationProgress* window = ProgressWindow()) {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (ProgressWindow() == window) {
            ADD_FAILURE() << "the progress window did not go away when closed";
            delete window;
        }
    }
}

class ShellFileOperationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FileOperationProgress::SetShowMode(FileOperationProgress::ShowMode::Never);
    }
    void TearDown() override
    {
        FileOperationProgress::SetShowMode(FileOperationProgress::ShowMode::Auto);
    }
};

} // namespace

TEST_F(ShellFileOperationTest, CopyCreatesTheFolderAndReplacesFilesOfTheSameName)
{
    TempFolder temp;
    // Several chunks and a ragged end; an empty file; a name that needs encoding.
    const QByteArray big = RandomBytes((9 << 20) + 3, 1);
    const QByteArray small = RandomBytes(1000, 2);
    const QString a = temp.Write(QStringLiteral("lib/a.bin"), big);
    const QString b = temp.Write(QStringLiteral("lib/b.txt"), small);
    const QString c = temp.Write(QStringLiteral("lib/sub/Ünï côde.mp3"), QByteArray());
    ASSERT_EQ(::chmod(QFile::encodeName(a).constData(), 0640), 0);
    const QString target = temp / QStringLiteral("dest/deeper");

    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, NulList({a, b, c}), NulList({target})), 0);
    EXPECT_EQ(Entries(target), QStringList({QStringLiteral("a.bin"), QStringLiteral("b.txt"),
                                            QStringLiteral("Ünï côde.mp3")}));
    EXPECT_EQ(ReadAll(target + QStringLiteral("/a.bin")), big);
    EXPECT_EQ(ReadAll(target + QStringLiteral("/b.txt")), small);
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/Ünï côde.mp3")));

    // Permissions as cp gives them; the modification time kept.
    struct stat source
    {
    };
    struct stat copy
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(a).constData(), &source), 0);
    ASSERT_EQ(::stat(QFile::encodeName(target + QStringLiteral("/a.bin")).constData(), &copy), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(copy.st_mode & 0777, 0640 & ~mask);
    EXPECT_EQ(copy.st_mtim.tv_sec, source.st_mtim.tv_sec);
    EXPECT_EQ(copy.st_mtim.tv_nsec, source.st_mtim.tv_nsec);

    // A longer file of the same name is replaced, not overwritten in place; a trailing
    // separator on the target and a list without its closing NULs change nothing.
    const QByteArray longer = RandomBytes(5000, 3);
    temp.Write(QStringLiteral("dest/deeper/b.txt"), longer);
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, b, target + u'/'), 0);
    EXPECT_EQ(ReadAll(target + QStringLiteral("/b.txt")), small);
    EXPECT_EQ(Entries(target).size(), 3);
}

TEST_F(ShellFileOperationTest, CopyFailuresAreListedAndTheOthersStillCopied)
{
    TempFolder temp;
    const QString a = temp.Write(QStringLiteral("lib/a.mp3"), RandomBytes(3000, 4));
    const QString b = temp.Write(QStringLiteral("lib/b.mp3"), RandomBytes(7000, 5));
    const QString missing = temp / QStringLiteral("lib/gone.mp3");
    const QString folder = temp.MakeFolder(QStringLiteral("lib/folder"));
    const QString target = temp / QStringLiteral("dest");

    testing::internal::CaptureStderr();
    const int result = ShellFileOperation(ShellOperation::Copy, NulList({a, missing, folder, b}),
                                          NulList({target}));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 2);
    EXPECT_NE(errors.find(missing.toStdString()), std::string::npos) << errors;
    EXPECT_NE(errors.find(folder.toStdString()), std::string::npos) << errors;
    EXPECT_EQ(Entries(target), QStringList({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
    EXPECT_EQ(ReadAll(target + QStringLiteral("/b.mp3")), ReadAll(b));

    // A target that cannot be a folder fails every file, and says why once.
    const QString blocker = temp.Write(QStringLiteral("blocker"), "x");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, NulList({a, b}),
                                 NulList({blocker + QStringLiteral("/sub")})),
              2);
    const std::string blocked = testing::internal::GetCapturedStderr();
    EXPECT_NE(blocked.find(blocker.toStdString()), std::string::npos) << blocked;
    EXPECT_EQ(ReadAll(blocker), QByteArray("x"));

    // Nothing to do is a success; an unknown operation is not.
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, NulList({}), NulList({target})), 0);
    testing::internal::CaptureStderr();
    EXPECT_NE(ShellFileOperation(7, NulList({a}), NulList({target})), 0);
    testing::internal::GetCapturedStderr();
}

TEST_F(ShellFileOperationTest, CopyRemovesLeftoverTemporariesButNotOnesStillInUse)
{
    TempFolder temp;
    const QString a = temp.Write(QStringLiteral("lib/a.mp3"), RandomBytes(3000, 6));
    const QString target = temp.MakeFolder(QStringLiteral("dest"));
    // A killed copy's lock and temporaries; a temporary whose lock is already gone.
    const QStringList dead = {
        temp.Write(QStringLiteral("dest/.pendrift-Ab12Cd.lock"), ""),
        temp.Write(QStringLiteral("dest/.pendrift-Ab12Cd-1.part"), "partial"),
        temp.Write(QStringLiteral("dest/.pendrift-Ab12Cd-17.part"), "partial"),
        temp.Write(QStringLiteral("dest/.pendrift-Zz99Yy-3.part"), "orphan"),
    };
    // A copy still at work holds its lock.
    const QStringList alive = {
        temp.Write(QStringLiteral("dest/.pendrift-Ef34Gh.lock"), ""),
        temp.Write(QStringLiteral("dest/.pendrift-Ef34Gh-2.part"), "busy"),
    };
    // Names that only look like ours.
    const QStringList others = {
        temp.Write(QStringLiteral("dest/.pendrift-notes.txt"), "mine"),
        temp.Write(QStringLiteral("dest/.pendrift-Ab12Cd-x.part"), "mine"),
        temp.Write(QStringLiteral("dest/.pendrift-Ab12Cd.part"), "mine"),
    };
    const int lockFd = ::open(QFile::encodeName(alive[0]).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, NulList({a}), NulList({target})), 0);
    ::close(lockFd);
    for (const QString& path : dead)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : alive + others)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(ReadAll(target + QStringLiteral("/a.mp3")), ReadAll(a));
    EXPECT_EQ(Entries(target).size(), alive.size() + others.size() + 1);
}

// Copies a large set in a child process and kills it at random moments: a real name must
// never show anything but the whole source, and the next copy clears what the killed one left.
TEST_F(ShellFileOperationTest, KilledCopyNeverLeavesAPartialFileUnderARealName)
{
    TempFolder temp;
    constexpr int kFiles = 30;
    QStringList sources;
    QMap<QString, QByteArray> contents;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("track%1.mp3").arg(i, 2, 10, QChar(u'0'));
        const QByteArray bytes = RandomBytes(4 << 20, 100 + static_cast<unsigned>(i));
        sources << temp.Write(QStringLiteral("lib/") + name, bytes);
        contents.insert(name, bytes);
    }
    const QString list = NulList(sources);
    const QString target = temp / QStringLiteral("dest");

    // How long an undisturbed copy takes, to spread the kills over it.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(
        ShellFileOperation(ShellOperation::Copy, list, NulList({temp / QStringLiteral("timing")})),
        0);
    const auto fullMs =
        std::max<long long>(1, std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - started)
                                   .count());

    const unsigned seed = std::random_device{}();
    std::mt19937 generator(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", full copy " << fullMs << " ms");

    auto checkRealNames = [&](int round) {
        for (const QString& name : Entries(target)) {
            if (IsTempName(name))
                continue;
            ASSERT_TRUE(contents.contains(name)) << "round " << round << ": " << name.toStdString();
            EXPECT_TRUE(ReadAll(target + u'/' + name) == contents.value(name))
                << "round " << round << ": " << name.toStdString() << " differs from its source";
        }
    };

    int killedRounds = 0;
    qsizetype leftovers = 0;
    // Six rounds at random moments, then more if needed until one leaves temporaries behind.
    for (int round = 0; round < 6 || (leftovers == 0 && round < 20); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int result = ShellFileOperation(ShellOperation::Copy, list, NulList({target}));
            ::_exit(result == 0 ? 0 : 1);
        }
        // Odd rounds aim at the first quarter, where the data is still being copied; the rest
        // of the time mostly goes on the flush and the renames.
        const long long spanMs = round % 2 == 0 && round < 6 ? fullMs : fullMs / 4;
        const long long delayMs = std::uniform_int_distribution<long long>(0, spanMs)(generator);
        const auto killAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
        int status = 0;
        bool exited = false;
        while (!exited && std::chrono::steady_clock::now() < killAt) {
            exited = ::waitpid(child, &status, WNOHANG) == child;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (!exited) {
            ::kill(child, SIGKILL);
            ASSERT_EQ(::waitpid(child, &status, 0), child);
        }
        if (WIFSIGNALED(status))
            ++killedRounds;
        else
            EXPECT_EQ(WEXITSTATUS(status), 0) << "round " << round;
        leftovers = TempNames(target).size();
        checkRealNames(round);
    }
    EXPECT_GT(killedRounds, 0);
    ASSERT_GT(leftovers, 0);

    // A copy of a single file clears all of the killed copy's temporaries.
    EXPECT_EQ(
        ShellFileOperation(ShellOperation::Copy, NulList({sources.first()}), NulList({target})), 0);
    EXPECT_TRUE(TempNames(target).isEmpty()) << TempNames(target).join(u' ').toStdString();
    checkRealNames(-1);
}

TEST_F(ShellFileOperationTest, DeleteOnTheHomeFileSystemGoesToTheTrash)
{
    TemporaryHome home;
    TempFolder temp;
    ASSERT_EQ(DeviceOf(temp.path()), DeviceOf(home.folder.path()));
    const QByteArray song = RandomBytes(2000, 7);
    const QString dest = temp.MakeFolder(QStringLiteral("dest"));
    temp.Write(QStringLiteral("dest/song.mp3"), song);
    temp.Write(QStringLiteral("dest/.hidden"), "h");
    temp.Write(QStringLiteral("dest/sub/inner.mp3"), "inner");
    const QString single = temp.Write(QStringLiteral("Music.m3u"), "#EXTM3U\r\n");

    EXPECT_EQ(DeleteFilesToRecycle({dest + QStringLiteral("/*.*"), single}), 0);
    EXPECT_TRUE(QFileInfo(dest).isDir());
    EXPECT_TRUE(Entries(dest).isEmpty()) << Entries(dest).join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(single));
    EXPECT_EQ(Entries(home.trashFiles()),
              QStringList({QStringLiteral(".hidden"), QStringLiteral("Music.m3u"),
                           QStringLiteral("song.mp3"), QStringLiteral("sub")}));
    EXPECT_EQ(ReadAll(home.trashFiles() + QStringLiteral("/song.mp3")), song);
    EXPECT_EQ(ReadAll(home.trashFiles() + QStringLiteral("/sub/inner.mp3")), QByteArray("inner"));
    EXPECT_EQ(Entries(home.trashInfo()).size(), 4);

    // "*" is the same as "*.*"; an empty folder is nothing to do.
    temp.Write(QStringLiteral("dest/again.mp3"), "again");
    EXPECT_EQ(DeleteFilesToRecycle({dest + QStringLiteral("/*")}), 0);
    EXPECT_TRUE(Entries(dest).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(home.trashFiles() + QStringLiteral("/again.mp3")));
    EXPECT_EQ(DeleteFilesToRecycle({dest + QStringLiteral("/*.*")}), 0);
}

TEST_F(ShellFileOperationTest, DeleteOnAnotherFileSystemIsForGood)
{
    TemporaryHome home;
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isDir() || DeviceOf(shm) == DeviceOf(home.folder.path()))
        GTEST_SKIP() << "needs a second file system: /dev/shm is missing or on the same device "
                        "as the temporary folder";
    QTemporaryDir stick(shm + QStringLiteral("/pendrift-test-XXXXXX"));
    ASSERT_TRUE(stick.isValid());
    TempFolder outside;
    const QString keep = outside.Write(QStringLiteral("keep.mp3"), "keep");

    const QString dest = stick.filePath(QStringLiteral("Music"));
    const QString lone = stick.filePath(QStringLiteral("Lone"));
    QDir().mkpath(dest + QStringLiteral("/sub/deeper"));
    QDir().mkpath(lone + QStringLiteral("/x"));
    for (const QString& name :
         {QStringLiteral("/a.mp3"), QStringLiteral("/.hidden"), QStringLiteral("/sub/b.mp3"),
          QStringLiteral("/sub/deeper/c.mp3"), QStringLiteral("/sub/.d")}) {
        QFile file(dest + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("data");
    }
    // A link is removed as a link: what it points to stays.
    ASSERT_EQ(::symlink(QFile::encodeName(keep).constData(),
                        QFile::encodeName(dest + QStringLiteral("/sub/link.mp3")).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(),
                        QFile::encodeName(dest + QStringLiteral("/folderlink")).constData()),
              0);

    EXPECT_EQ(DeleteFilesToRecycle({dest + QStringLiteral("/*.*"), lone}), 0);
    EXPECT_TRUE(QFileInfo(dest).isDir());
    EXPECT_TRUE(Entries(dest).isEmpty()) << Entries(dest).join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(lone));
    EXPECT_EQ(ReadAll(keep), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(home.trashFiles()));
}

TEST_F(ShellFileOperationTest, DeleteFailuresAreListedAndTheOthersStillDeleted)
{
    TemporaryHome home;
    TempFolder temp;
    const QString present = temp.Write(QStringLiteral("present.mp3"), "x");
    const QString missing = temp / QStringLiteral("missing.mp3");
    const QString missingFolder = temp / QStringLiteral("nowhere");

    testing::internal::CaptureStderr();
    const int result =
        DeleteFilesToRecycle({missing, missingFolder + QStringLiteral("/*.*"), present});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 2);
    EXPECT_NE(errors.find(missing.toStdString()), std::string::npos) << errors;
    EXPECT_NE(errors.find(missingFolder.toStdString()), std::string::npos) << errors;
    EXPECT_FALSE(QFileInfo::exists(present));
    EXPECT_TRUE(QFileInfo::exists(home.trashFiles() + QStringLiteral("/present.mp3")));
    EXPECT_EQ(DeleteFilesToRecycle({}), 0);
}

TEST_F(ShellFileOperationTest, CancelInTheWindowStopsBeforeTheNextFile)
{
    FileOperationProgress::SetShowMode(FileOperationProgress::ShowMode::Always);
    TempFolder temp;
    QStringList sources;
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        sources << temp.Write(QStringLiteral("lib/") + QString::fromLatin1(name),
                              RandomBytes(10 << 20, static_cast<unsigned>(name[0])));
    const QString target = temp / QStringLiteral("dest");

    // The window is only looked at from inside the operation, while it lets events through.
    QString title;
    QString firstFile;
    QString nameAtCancel;
    QString bytesAtCancel;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        FileOperationProgress* window = ProgressWindow();
        if (!window || !window->isVisible())
            return;
        title = window->windowTitle();
        if (firstFile.isEmpty())
            firstFile = LabelText(window, "lblFile");
        if (LabelText(window, "lblFile") == u"File 2 of 3") {
            nameAtCancel = LabelText(window, "lblName");
            bytesAtCancel = LabelText(window, "lblBytes");
            watcher.stop();
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                              Qt::LeftButton);
        }
    });
    watcher.start();

    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, NulList(sources), NulList({target})), 2);
    EXPECT_EQ(title, u"Copying files");
    EXPECT_EQ(firstFile, u"File 1 of 3");
    EXPECT_EQ(nameAtCancel, u"b.bin");
    EXPECT_TRUE(bytesAtCancel.contains(u" of ")) << bytesAtCancel.toStdString();
    // The file done before the click is complete; the one under way left nothing behind.
    EXPECT_EQ(Entries(target), QStringList({QStringLiteral("a.bin")}));
    EXPECT_EQ(ReadAll(target + QStringLiteral("/a.bin")), ReadAll(sources[0]));
    EXPECT_FALSE(ProgressWindow() && ProgressWindow()->isVisible());
    CloseProgressWindow();
}

TEST_F(ShellFileOperationTest, ClosingTheWindowStopsADeleteAfterTheCurrentItem)
{
    FileOperationProgress::SetShowMode(FileOperationProgress::ShowMode::Always);
    TemporaryHome home;
    TempFolder temp;
    const QString dest = temp.MakeFolder(QStringLiteral("dest"));
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"})
        temp.Write(QStringLiteral("dest/") + QString::fromLatin1(name), name);

    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        FileOperationProgress* window = ProgressWindow();
        if (window && LabelText(window, "lblFile") == u"Item 3 of 5") {
            watcher.stop();
            window->close();
            EXPECT_TRUE(window->isVisible()) << "a running operation's window stays up";
        }
    });
    watcher.start();

    EXPECT_EQ(DeleteFilesToRecycle({dest + QStringLiteral("/*.*")}), 2);
    EXPECT_EQ(Entries(dest), QStringList({QStringLiteral("4.mp3"), QStringLiteral("5.mp3")}));
    EXPECT_EQ(Entries(home.trashFiles()).size(), 3);
    CloseProgressWindow();
}

// Without a display no window is made; with one, a failure keeps it open until it is closed.
TEST_F(ShellFileOperationTest, TheWindowShowsWithADisplayAndStaysForFailures)
{
    FileOperationProgress::SetShowMode(FileOperationProgress::ShowMode::Auto);
    TempFolder temp;
    const QString good = temp.Write(QStringLiteral("lib/good.mp3"), "good");
    const QString missing = temp / QStringLiteral("lib/missing.mp3");
    const QString list = NulList({missing, good});
    const QString target = NulList({temp / QStringLiteral("dest")});
    ScopedEnv x("DISPLAY", QByteArray());
    testing::internal::CaptureStderr();
    {
        ScopedEnv wayland("WAYLAND_DISPLAY", QByteArray());
        EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, list, target), 1);
        EXPECT_EQ(ProgressWindow(), nullptr);
    }
    ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(ShellFileOperation(ShellOperation::Copy, list, target), 1);
    testing::internal::GetCapturedStderr();

    FileOperationProgress* window = ProgressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(LabelText(window, "lblFile"), u"File 2 of 2");
    const auto* failures = window->findChild<QListWidget*>(QStringLiteral("lstFailures"));
    ASSERT_NE(failures, nullptr);
    ASSERT_EQ(failures->count(), 1);
    EXPECT_TRUE(failures->item(0)->text().contains(missing));
    auto* button = window->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), u"Close");
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ProgressWindow(), nullptr);
}
