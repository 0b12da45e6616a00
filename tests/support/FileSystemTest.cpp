#include "FileSystem.h"
#include "AppError.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

// Empty when the folder's file system keeps user extended attributes, else the reason.
std::string XattrSupportProblem(const TempFolder& folder)
{
    const QByteArray probe = QFile::encodeName(folder.Write(QStringLiteral("probe"), "x"));
    if (::setxattr(probe.constData(), "user.probe", "1", 1, 0) == 0)
        return {};
    return std::string("no user extended attributes in the temporary folder: ") +
           std::strerror(errno);
}

QByteArray MarkOf(const QString& path)
{
    char value[64] = {};
    const ssize_t n =
        ::getxattr(QFile::encodeName(path).constData(), kArchiveMarkName, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, n);
}

mode_t ModeOf(const QString& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

void SetModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

TEST(FileSystem, ArchiveMarkFollowsTheModificationTime)
{
    TempFolder dir;
    if (const std::string problem = XattrSupportProblem(dir); !problem.empty())
        GTEST_SKIP() << problem;
    const QString song = dir.Write(QStringLiteral("song.mp3"), "abc");

    EXPECT_EQ(GetAttr(song), FileAttribute::Archive) << "a file nobody has cleared is new";

    SetAttr(song, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(song).constData(), &st), 0);
    const qint64 mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    EXPECT_EQ(MarkOf(song), QByteArray::number(mtimeNs));

    // A write changes the modification time and so makes the file new again.
    SetModified(song, QDateTime::currentDateTime().addSecs(-3600));
    SetAttr(song, FileAttribute::Normal);
    ASSERT_EQ(GetAttr(song), FileAttribute::Normal);
    {
        QFile file(song);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("more");
    }
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);

    // So does a touch to a later time, even with the content unchanged.
    SetAttr(song, FileAttribute::Normal);
    ASSERT_EQ(GetAttr(song), FileAttribute::Normal);
    SetModified(song, QDateTime::currentDateTime().addSecs(60));
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);

    // Setting the archive bit removes the mark.
    SetAttr(song, FileAttribute::Normal);
    SetAttr(song, FileAttribute::Archive);
    EXPECT_TRUE(MarkOf(song).isEmpty());
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);
}

TEST(FileSystem, HandWrittenMarksCountOnlyWhenTheyNameTheCurrentTime)
{
    TempFolder dir;
    if (const std::string problem = XattrSupportProblem(dir); !problem.empty())
        GTEST_SKIP() << problem;
    const QString song = dir.Write(QStringLiteral("song.mp3"), "abc");
    const QByteArray native = QFile::encodeName(song);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(native.constData(), &st), 0);
    const QByteArray now =
        QByteArray::number(qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);

    const auto mark = [&](const QByteArray& value) {
        ASSERT_EQ(::setxattr(native.constData(), kArchiveMarkName, value.constData(),
                             size_t(value.size()), 0),
                  0);
    };
    mark(now + "\n"); // as `setfattr -v` from a script might leave it
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);
    mark(QByteArray::number(now.toLongLong() - 1));
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);
    mark("yesterday");
    EXPECT_EQ(GetAttr(song), FileAttribute::Archive);
}

TEST(FileSystem, ReadOnlyHiddenAndDirectoryBits)
{
    TempFolder dir;
    if (const std::string problem = XattrSupportProblem(dir); !problem.empty())
        GTEST_SKIP() << problem;
    const QString song = dir.Write(QStringLiteral("song.mp3"), "abc");
    ASSERT_EQ(::chmod(QFile::encodeName(song).constData(), 0444), 0);
    EXPECT_EQ(GetAttr(song), FileAttribute::ReadOnly | FileAttribute::Archive);

    // Normal gives the owner write permission back and touches nothing else.
    SetAttr(song, FileAttribute::Normal);
    EXPECT_EQ(ModeOf(song), mode_t(0644));
    EXPECT_EQ(GetAttr(song), FileAttribute::Normal);

    // Read-only takes every write permission away, after the mark has been written.
    ASSERT_EQ(::chmod(QFile::encodeName(song).constData(), 0666), 0);
    SetAttr(song, FileAttribute::ReadOnly);
    EXPECT_EQ(ModeOf(song), mode_t(0444));
    EXPECT_EQ(GetAttr(song), FileAttribute::ReadOnly);
    EXPECT_FALSE(MarkOf(song).isEmpty());

    // Hidden is part of the name: reported, and left alone by Normal.
    const QString hidden = dir.Write(QStringLiteral(".hidden.mp3"), "x");
    EXPECT_EQ(GetAttr(hidden), FileAttribute::Hidden | FileAttribute::Archive);
    SetAttr(hidden, FileAttribute::Normal);
    EXPECT_EQ(GetAttr(hidden), FileAttribute::Hidden);

    const QString folder = dir.MakeFolder(QStringLiteral(".config"));
    EXPECT_EQ(GetAttr(folder + u'/') & ~FileAttribute::Archive,
              FileAttribute::Directory | FileAttribute::Hidden);
    EXPECT_EQ(GetAttr(dir.path()) & FileAttribute::Hidden, 0) << "only the last name counts";
}

TEST(FileSystem, MissingFilesAndBadArguments)
{
    TempFolder dir;
    const QString missing = dir / QStringLiteral("missing.mp3");
    EXPECT_EQ(ErrorOf([&] { GetAttr(missing); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(ErrorOf([&] { SetAttr(missing, FileAttribute::Normal); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(ErrorOf([&] { FileLen(missing); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(ErrorOf([&] { FileDateTime(missing); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(ErrorOf([&] { GetAttr(QString()); }), ErrorNumber::FileNotFound);

    const QString song = dir.Write(QStringLiteral("song.mp3"), "abc");
    EXPECT_EQ(ErrorOf([&] { SetAttr(song, FileAttribute::Directory); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(ErrorOf([&] { SetAttr(song, -1); }), ErrorNumber::InvalidCall);
}

TEST(FileSystem, ClearingWithoutUserAttributesIsAnAccessError)
{
    // procfs keeps no user extended attributes; its files are the handiest such files.
    const QString path = QStringLiteral("/proc/self/comm");
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

TEST(FileSystem, FileLenIsSigned32Bit)
{
    TempFolder dir;
    EXPECT_EQ(FileLen(dir.Write(QStringLiteral("empty"), {})), 0);
    EXPECT_EQ(FileLen(dir.Write(QStringLiteral("small"), QByteArray(1234, 'x'))), 1234);
    EXPECT_EQ(FileLen(dir.path()), 0);

    // Sparse files: the sizes cost no disk space.
    const QString big = dir.Write(QStringLiteral("big"), {});
    QFile file(big);
    ASSERT_TRUE(file.resize(Q_INT64_C(2147483647)));
    EXPECT_EQ(FileLen(big), 2147483647);
    ASSERT_TRUE(file.resize(Q_INT64_C(2147483648)));
    EXPECT_EQ(ErrorOf([&] { FileLen(big); }), ErrorNumber::Overflow);
}

TEST(FileSystem, FileDateTimeIsLocalModificationTime)
{
    TempFolder dir;
    const QString song = dir.Write(QStringLiteral("song.mp3"), "abc");
    const QDateTime when(QDate(2023, 12, 31), QTime(23, 59, 30, 250));
    SetModified(song, when);
    const QDateTime read = FileDateTime(song);
    EXPECT_EQ(read, when);
    EXPECT_EQ(read.timeSpec(), Qt::LocalTime);
}

TEST(FileSystem, FolderSizeCountsOnlyFilesDirectlyInside)
{
    TempFolder dir;
    dir.Write(QStringLiteral("lib/a.mp3"), QByteArray(100, 'a'));
    dir.Write(QStringLiteral("lib/.hidden"), QByteArray(20, 'h'));
    dir.Write(QStringLiteral("lib/empty"), {});
    dir.Write(QStringLiteral("lib/sub/deep.mp3"), QByteArray(5000, 'd'));
    const QString ro = dir.Write(QStringLiteral("lib/ro.wma"), QByteArray(3, 'r'));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0444), 0);
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("lib/a.mp3"), dir / QStringLiteral("lib/link")));
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("lib/sub"), dir / QStringLiteral("lib/sublink")));

    // The link to a file counts with its target's size; the link to a folder is a folder.
    EXPECT_EQ(FolderSize(dir / QStringLiteral("lib")), 100 + 20 + 3 + 100);
    EXPECT_EQ(FolderSize(QStringLiteral("  ") + dir / QStringLiteral("lib/ ")), 223);
    EXPECT_EQ(FolderSize(dir / QStringLiteral("missing")), 0);
    EXPECT_EQ(FolderSize(dir.MakeFolder(QStringLiteral("void"))), 0);

    QFile a(dir.Write(QStringLiteral("full/a"), {}));
    QFile b(dir.Write(QStringLiteral("full/b"), "x"));
    ASSERT_TRUE(a.resize(Q_INT64_C(2147483646)));
    EXPECT_EQ(FolderSize(dir / QStringLiteral("full")), 2147483647);
    ASSERT_TRUE(b.resize(2));
    EXPECT_EQ(ErrorOf([&] { FolderSize(dir / QStringLiteral("full")); }), ErrorNumber::Overflow);
}
