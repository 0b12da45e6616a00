#include "support/FileSystem.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

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
    struct stat st
    {
    };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

void SetModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// A folder whose file system keeps user extended attributes, with one file "song.mp3".
class MarkedFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        song = dir.Write(u"song.mp3"_s, "abc");
        const QByteArray probe = QFile::encodeName(dir.Write(u"probe"_s, "x"));
        if (::setxattr(probe.constData(), "user.probe", "1", 1, 0) != 0)
            GTEST_SKIP() << "no user extended attributes in the temporary folder: "
                         << std::strerror(errno);
    }
    TempFolder dir;
    QString song;
};

} // namespace

TEST_F(MarkedFiles, ArchiveMarkFollowsTheModificationTime)
{
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive) << "a file nobody has cleared is new";
    SetAttr(song, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);
    const struct stat st = StatOf(song);
    const QByteArray now =
        QByteArray::number(qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
    EXPECT_EQ(MarkOf(song), now);

    // A write changes the modification time and so makes the file new again; so does a touch
    // to a later time, even with the content unchanged.
    SetModified(song, QDateTime::currentDateTime().addSecs(-3600));
    SetAttr(song, FileAttribute::Normal);
    ASSERT_EQ(GetAttr(song), FileAttribute::Normal);
    {
        QFile file(song);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("more");
    }
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);
    SetAttr(song, FileAttribute::Normal);
    ASSERT_EQ(GetAttr(song), FileAttribute::Normal);
    SetModified(song, QDateTime::currentDateTime().addSecs(60));
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);

    // Setting the archive bit removes the mark.
    SetAttr(song, FileAttribute::Normal);
    SetAttr(song, FileAttribute::Archive);
    EXPECT_TRUE(MarkOf(song).isEmpty());
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);

    // A hand-written mark counts only when it names the current time.
    const struct stat later = StatOf(song);
    const QByteArray current =
        QByteArray::number(qint64(later.st_mtim.tv_sec) * 1000000000 + later.st_mtim.tv_nsec);
    for (const auto& [mark, attribute] :
         {std::pair{QByteArray(current + "\n"),
                    FileAttribute::Normal}, // as `setfattr -v` might leave it
          std::pair{QByteArray::number(current.toLongLong() - 1), FileAttribute::Archive},
          std::pair{QByteArray("yesterday"), FileAttribute::Archive}}) {
        ASSERT_EQ(::setxattr(QFile::encodeName(song).constData(), kArchiveMarkName,
                             mark.constData(), size_t(mark.size()), 0),
                  0);
        EXPECT_EQ(GetAttr(song), attribute) << mark.constData();
    }
}

TEST_F(MarkedFiles, ReadOnlyHiddenAndDirectoryBits)
{
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
    EXPECT_EQ(GetAttr(hidden), FileAttribute::Hidden | FileAttribute::Archive);
    SetAttr(hidden, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(hidden), FileAttribute::Hidden);
    const QString folder = dir.MakeFolder(u".config"_s);
    EXPECT_EQ(GetAttr(folder + u'/') & ~FileAttribute::Archive,
              FileAttribute::Directory | FileAttribute::Hidden);
    EXPECT_EQ(GetAttr(dir.path()) & FileAttribute::Hidden, 0) << "only the last name counts";
}

TEST(FileSystem, MissingFilesAndBadArguments)
{
    TempFolder dir;
    const QString missing = dir / u"missing.mp3"_s;
    for (const auto& action : std::initializer_list<std::function<void()>>{
             [&] { GetAttr(missing); }, [&] { SetAttr(missing, FileAttribute::Normal); },
             [&] { FileLen(missing); }, [&] { FileDateTime(missing); },
             [&] { GetAttr(QString()); }})
        EXPECT_EQ(ErrorOf(action), ErrorNumber::FileNotFound);
    const QString song = dir.Write(u"song.mp3"_s, "abc");
    EXPECT_EQ(ErrorOf([&] { SetAttr(song, FileAttribute::Directory); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(ErrorOf([&] { SetAttr(song, -1); }), ErrorNumber::InvalidCall);
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
}

TEST(FileSystem, FileLenIsSigned32BitAndFileDateTimeIsLocal)
{
    TempFolder dir;
    EXPECT_EQ(FileLen(dir.Write(u"empty"_s, {})), 0);
    EXPECT_EQ(FileLen(dir.Write(u"small"_s, QByteArray(1234, 'x'))), 1234);
    EXPECT_EQ(FileLen(dir.path()), 0);
    // Sparse files: the sizes cost no disk space.
    const QString big = dir.Write(u"big"_s, {});
    QFile file(big);
    ASSERT_TRUE(file.resize(Q_INT64_C(2147483647)));
    EXPECT_EQ(FileLen(big), 2147483647);
    ASSERT_TRUE(file.resize(Q_INT64_C(2147483648)));
    EXPECT_EQ(ErrorOf([&] { FileLen(big); }), ErrorNumber::Overflow);

    const QDateTime when(QDate(2023, 12, 31), QTime(23, 59, 30, 250));
    SetModified(big, when);
    const QDateTime read = FileDateTime(big);
    EXPECT_EQ(read, when);
    EXPECT_EQ(read.timeSpec(), Qt::LocalTime);
}

TEST(FileSystem, FolderSizeCountsOnlyFilesDirectlyInside)
{
    TempFolder dir;
    dir.Write(u"lib/a.mp3"_s, QByteArray(100, 'a'));
    dir.Write(u"lib/.hidden"_s, QByteArray(20, 'h'));
    dir.Write(u"lib/empty"_s, {});
    dir.Write(u"lib/sub/deep.mp3"_s, QByteArray(5000, 'd'));
    const QString ro = dir.Write(u"lib/ro.wma"_s, QByteArray(3, 'r'));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0444), 0);
    ASSERT_TRUE(QFile::link(dir / u"lib/a.mp3"_s, dir / u"lib/link"_s));
    ASSERT_TRUE(QFile::link(dir / u"lib/sub"_s, dir / u"lib/sublink"_s));
    // The link to a file counts with its target's size; the link to a folder is a folder.
    EXPECT_EQ(FolderSize(dir / u"lib"_s), 100 + 20 + 3 + 100);
    EXPECT_EQ(FolderSize(u"  "_s + dir / u"lib/ "_s), 223);
    EXPECT_EQ(FolderSize(dir / u"missing"_s), 0);
    EXPECT_EQ(FolderSize(dir.MakeFolder(u"void"_s)), 0);

    QFile a(dir.Write(u"full/a"_s, {}));
    QFile b(dir.Write(u"full/b"_s, "x"));
    ASSERT_TRUE(a.resize(Q_INT64_C(2147483646)));
    EXPECT_EQ(FolderSize(dir / u"full"_s), 2147483647);
    ASSERT_TRUE(b.resize(2));
    EXPECT_EQ(ErrorOf([&] { FolderSize(dir / u"full"_s); }), ErrorNumber::Overflow);
}
