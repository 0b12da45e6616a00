#include "platform/FileSystem.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray MarkOf(const QString& path)
{
    char value[64] = {};
    const ssize_t n =
        ::getxattr(QFile::encodeName(path).constData(), kArchiveMarkName, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, n);
}

struct stat StatOf(const QString& path)
{
    struct stat st = {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

QByteArray Nanoseconds(const QString& path)
{
    const struct stat st = StatOf(path);
    return QByteArray::number(qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

} // namespace

TEST(FileSystem, ArchiveMarkReadOnlyHiddenAndDirectoryBits)
{
    TempFolder dir;
    const QString song = dir.Write(u"song.mp3"_s, "abc");
    if (const QString why = NoUserXattrs(dir.path()); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive) << "a file nobody has cleared is new";
    SetAttr(song, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);
    EXPECT_EQ(MarkOf(song), Nanoseconds(song));
    // A write makes the file new again.
    QFile file(song);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    SetAttr(song, FileAttribute::Normal);
    dir.Write(u"song.mp3"_s, "more");
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);
    // Setting the archive bit removes the mark.
    SetAttr(song, FileAttribute::Normal);
    SetAttr(song, FileAttribute::Archive);
    EXPECT_TRUE(MarkOf(song).isEmpty());
    // A hand-written mark counts only when it names the current time.
    const QByteArray now = Nanoseconds(song);
    for (const auto& [mark, attribute] :
         {std::pair{QByteArray(now + "\n"), FileAttribute::Normal}, // as `setfattr -v` leaves it
          {QByteArray::number(now.toLongLong() - 1), FileAttribute::Archive},
          {QByteArray("yesterday"), FileAttribute::Archive}}) {
        ASSERT_EQ(::setxattr(QFile::encodeName(song).constData(), kArchiveMarkName,
                             mark.constData(), size_t(mark.size()), 0),
                  0);
        EXPECT_EQ(GetAttr(song), attribute) << mark.constData();
    }

    ASSERT_EQ(::chmod(QFile::encodeName(song).constData(), 0444), 0);
    EXPECT_EQ(GetAttr(song), FileAttribute::ReadOnly | FileAttribute::Archive);
    // Normal gives the owner write permission back and touches nothing else.
    SetAttr(song, FileAttribute::Normal);
    EXPECT_EQ(StatOf(song).st_mode & 07777, mode_t(0644));
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);
    // Read-only takes every write permission away, after the mark has been written.
    ASSERT_EQ(::chmod(QFile::encodeName(song).constData(), 0666), 0);
    SetAttr(song, FileAttribute::ReadOnly);
    EXPECT_EQ(StatOf(song).st_mode & 07777, mode_t(0444));
    EXPECT_EQ(GetAttr(song), FileAttribute::ReadOnly);
    EXPECT_FALSE(MarkOf(song).isEmpty());

    // Hidden is part of the name: reported, and left alone by Normal.
    const QString hidden = dir.Write(u".hidden.mp3"_s, "x");
    SetAttr(hidden, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(hidden), FileAttribute::Hidden);
    EXPECT_EQ(GetAttr(dir.MakeFolder(u".config"_s) + u'/') & ~FileAttribute::Archive,
              FileAttribute::Directory | FileAttribute::Hidden);
    EXPECT_EQ(GetAttr(dir.path()) & FileAttribute::Hidden, 0) << "only the last name counts";
}

TEST(FileSystem, MissingFilesAndBadArguments)
{
    TempFolder dir;
    const QString missing = dir / u"missing.mp3"_s;
    const QString song = dir.Write(u"song.mp3"_s, "abc");
    for (const auto& [action, error] : std::initializer_list<std::pair<std::function<void()>, int>>{
             {[&] { GetAttr(missing); }, ErrorNumber::FileNotFound},
             {[&] { SetAttr(missing, FileAttribute::Normal); }, ErrorNumber::FileNotFound},
             {[&] { GetAttr(QString()); }, ErrorNumber::FileNotFound},
             {[&] { SetAttr(song, FileAttribute::Directory); }, ErrorNumber::InvalidCall},
             {[&] { SetAttr(song, -1); }, ErrorNumber::InvalidCall}})
        EXPECT_EQ(ErrorOf(action), error);
}

TEST(FileSystem, ClearingWithoutUserAttributesIsAnAccessError)
{
    // procfs keeps no user extended attributes; its files are the handiest such files.
    const QString path = u"/proc/self/comm"_s;
    if (::setxattr("/proc/self/comm", "user.probe", "1", 1, 0) == 0 || errno != ENOTSUP)
        GTEST_SKIP() << "procfs here accepts user attributes or refuses them differently";
    try {
        SetAttr(path, FileAttribute::Normal);
        FAIL() << "clearing succeeded";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
        EXPECT_TRUE(error.description().contains(QString::fromLocal8Bit(std::strerror(ENOTSUP))))
            << error.description().toStdString();
    }
    EXPECT_TRUE(GetAttr(path) & FileAttribute::Archive) << "unmarkable files stay new";
    SetAttr(path, FileAttribute::Archive); // nothing to remove: no error

    // Another user's file that this one may not write is refused as such (as root, the child
    // first becomes nobody, so the file is never marked).
    EXPECT_EQ(InChild([] {
                  if (::geteuid() == 0 && ::setuid(65534) != 0)
                      return 1;
                  SetAttr(u"/etc/passwd"_s, FileAttribute::Normal);
                  return 2;
              }),
              ErrorNumber::PermissionDenied);
}

TEST(FileSystem, SizesAre64BitAndFileDateTimeIsLocal)
{
    TempFolder dir;
    dir.Write(u"lib/a.mp3"_s, QByteArray(100, 'a'));
    dir.Write(u"lib/.hidden"_s, QByteArray(20, 'h'));
    dir.Write(u"lib/sub/deep.mp3"_s, QByteArray(5000, 'd'));
    ASSERT_TRUE(QFile::link(dir / u"lib/a.mp3"_s, dir / u"lib/link"_s));
    ASSERT_TRUE(QFile::link(dir / u"lib/sub"_s, dir / u"lib/sublink"_s));
    // Only files directly inside; a link to a file counts with its target's size, a link to a
    // folder is a folder.
    EXPECT_EQ(FolderSize(dir / u"lib"_s), 100 + 20 + 100);
    EXPECT_EQ(FolderSize(u"  "_s + dir / u"lib/ "_s), 220);
    EXPECT_EQ(FolderSize(dir / u"missing"_s), 0);

    // Sparse files: the sizes cost no disk space.
    QFile a(dir.Write(u"full/a"_s, {}));
    dir.Write(u"full/b"_s, "x");
    ASSERT_TRUE(a.resize(Q_INT64_C(5) << 30));
    EXPECT_EQ(FolderSize(dir / u"full"_s), (Q_INT64_C(5) << 30) + 1);
    FileFactsReader reader;
    const FileFacts facts = reader.Read(a.fileName());
    EXPECT_EQ(facts.size, Q_INT64_C(5) << 30);
    EXPECT_EQ(facts.isNew, (GetAttr(a.fileName()) & FileAttribute::Archive) != 0);
    EXPECT_EQ(ErrorOf([&] { reader.Read(dir / u"gone"_s); }), ErrorNumber::FileNotFound);

    // A playlist's place: a folder in the way, or no folder to put it in.
    EXPECT_EQ(WriteProblem(a.fileName()), QString());
    EXPECT_EQ(WriteProblem(dir / u"full/new.m3u"_s), QString());
    EXPECT_TRUE(WriteProblem(dir / u"lib/sub"_s).endsWith(u"Is a directory"_s));
    EXPECT_TRUE(WriteProblem(a.fileName() + u"/x.m3u"_s).endsWith(u"No such file or directory"_s));

    const QDateTime when(QDate(2023, 12, 31), QTime(23, 59, 30, 250));
    ASSERT_TRUE(a.open(QIODevice::ReadWrite) &&
                a.setFileTime(when, QFileDevice::FileModificationTime));
    EXPECT_EQ(FileDateTime(a.fileName()), when);
    EXPECT_EQ(FileDateTime(a.fileName()).timeSpec(), Qt::LocalTime);
}
