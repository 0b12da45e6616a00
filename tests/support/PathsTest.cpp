#include "AppError.h"
#include "Paths.h"
#include "Platform.h"
#include "TestSupport.h"
#include "Text.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString Part(const QString& path, PathPart part, bool strip = true, bool forward = false)
{
    return ParsePath(path, part, strip, forward);
}

} // namespace

TEST(Paths, ParsePathBackslashForm)
{
    const QString song = QStringLiteral("C:\\music\\rock\\song.mp3");
    EXPECT_EQ(Part(song, PathPart::Folder), QStringLiteral("C:\\music\\rock"));
    EXPECT_EQ(Part(song, PathPart::FileName), QStringLiteral("song.mp3"));
    EXPECT_EQ(Part(song, PathPart::Extension), QStringLiteral("mp3"));
    EXPECT_EQ(Part(song, PathPart::BaseName), QStringLiteral("song"));
    EXPECT_EQ(Part(song, PathPart::ParentFolder), QStringLiteral("C:\\music"));
    EXPECT_EQ(Part(song, PathPart::Root), QStringLiteral("C:"));
    EXPECT_EQ(Part(song, PathPart::Root, false), QStringLiteral("C:\\"));
    EXPECT_EQ(ParsePath(song, 6, true, false), QString());
    EXPECT_EQ(ParsePath(song, -1, true, false), QString());

    // Three characters are never stripped; a longer folder keeps its separator on request.
    EXPECT_EQ(Part(QStringLiteral("C:\\song.mp3"), PathPart::Folder), QStringLiteral("C:\\"));
    EXPECT_EQ(Part(QStringLiteral("C:\\music\\song.mp3"), PathPart::Folder, false),
              QStringLiteral("C:\\music\\"));
    // A path ending in the separator is returned as it is, whatever the part.
    EXPECT_EQ(Part(QStringLiteral(" C:\\music\\ "), PathPart::Extension),
              QStringLiteral("C:\\music\\"));
    EXPECT_EQ(Part(QStringLiteral("C:\\a\\b"), PathPart::ParentFolder), QStringLiteral("C:\\"));
    EXPECT_EQ(Part(QStringLiteral("C:\\a"), PathPart::ParentFolder), QString());
}

TEST(Paths, ParsePathNetworkAndBareNames)
{
    const QString unc = QStringLiteral("\\\\server\\share\\a.txt");
    EXPECT_EQ(Part(unc, PathPart::Folder), QStringLiteral("\\\\server\\share"));
    EXPECT_EQ(Part(unc, PathPart::Root), QStringLiteral("\\\\server"));
    EXPECT_EQ(Part(unc, PathPart::FileName), QStringLiteral("a.txt"));
    // The prefix is put back even in front of an empty result.
    EXPECT_EQ(Part(QStringLiteral("\\\\server"), PathPart::Folder), QStringLiteral("\\\\"));
    // The network prefix is only known in its backslash form.
    EXPECT_EQ(Part(QStringLiteral("//server/share/a.txt"), PathPart::Folder, true, true),
              QStringLiteral("//server/share"));

    EXPECT_EQ(Part(QStringLiteral("song"), PathPart::Folder), QString());
    EXPECT_EQ(Part(QStringLiteral("song"), PathPart::Extension), QString());
    EXPECT_EQ(Part(QStringLiteral("song"), PathPart::BaseName), QStringLiteral("song"));
    EXPECT_EQ(Part(QStringLiteral("my.mix.cfg"), PathPart::BaseName), QStringLiteral("my.mix"));
    EXPECT_EQ(Part(QStringLiteral(".cfg"), PathPart::BaseName), QString());
    EXPECT_EQ(Part(QStringLiteral(".cfg"), PathPart::Extension), QStringLiteral("cfg"));
}

TEST(Paths, ParsePathForwardSlashForm)
{
    const QString song = QStringLiteral("/home/me/music/song.mp3");
    EXPECT_EQ(ParsePath(song), QStringLiteral("/home/me/music"));
    EXPECT_EQ(ParsePath(song, PathPart::ParentFolder), QStringLiteral("/home/me"));
    EXPECT_EQ(ParsePath(song, PathPart::Root), QString());
    EXPECT_EQ(ParsePath(QStringLiteral("/song.mp3")), QStringLiteral("/"));
    EXPECT_EQ(ParsePath(QStringLiteral("/media/Music/foo.$$$"), PathPart::ParentFolder),
              QStringLiteral("/media"));
    // Backslashes are ordinary characters in the forward form.
    EXPECT_EQ(ParsePath(QStringLiteral("/a\\b/c"), PathPart::FileName), QStringLiteral("c"));
}

TEST(Paths, TrailingSlashes)
{
    EXPECT_EQ(AddTrailingSlash(QStringLiteral(" D:\\music "), false), QStringLiteral("D:\\music\\"));
    EXPECT_EQ(AddTrailingSlash(QString(), false), QStringLiteral("\\"));
    EXPECT_EQ(AddTrailingSlash(QStringLiteral("a/b"), true), QStringLiteral("a/b/"));
    EXPECT_EQ(AddTrailingSlash(QStringLiteral("a/b/"), true), QStringLiteral("a/b/"));
    EXPECT_EQ(AddTrailingSlash(QStringLiteral("a\\b"), true), QStringLiteral("a\\b/"));

    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral("C:\\"), false), QStringLiteral("C:\\"));
    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral("D:\\x\\"), false), QStringLiteral("D:\\x"));
    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral("C:\\music\\ "), false),
              QStringLiteral("C:\\music"));
    // Nothing to remove: returned untrimmed.
    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral(" /x"), true), QStringLiteral(" /x"));
    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral("/a/"), true), QStringLiteral("/a/"));
    EXPECT_EQ(RemoveTrailingSlash(QStringLiteral("/ab/"), true), QStringLiteral("/ab"));
}

TEST(Paths, ExistsAndTempFiles)
{
    TempFolder dir;
    const QString file = dir.Write(QStringLiteral("a.txt"), "x");
    EXPECT_TRUE(PathExists(file, false));
    EXPECT_TRUE(PathExists(dir.path() + u'/', true));
    EXPECT_FALSE(PathExists(file + u'/', false)); // a file is not a folder
    EXPECT_TRUE(PathExists(file + u'/', true));
    EXPECT_FALSE(PathExists(dir / QStringLiteral("missing"), true));
    EXPECT_FALSE(PathExists(QString(), true));

    const QString temp = CreateTempFile(QStringLiteral("tst"), dir.path());
    ASSERT_FALSE(temp.isEmpty());
    EXPECT_TRUE(QFileInfo(temp).fileName().startsWith(QStringLiteral("tst")));
    EXPECT_EQ(QFileInfo(temp).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    EXPECT_EQ(QFileInfo(temp).size(), 0);
    const QString second = CreateTempFile(QStringLiteral("tst"), dir.path());
    EXPECT_NE(temp, second);
    EXPECT_TRUE(CreateTempFile(QStringLiteral("tst"), dir / QStringLiteral("nowhere")).isEmpty());

    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    const QString inTemp = CreateTempFile(QStringLiteral("p"));
    qputenv("TMPDIR", oldTmp);
    EXPECT_EQ(QFileInfo(inTemp).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
}

TEST(Paths, DataFolderFollowsConfigHome)
{
    TempFolder dir;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    SetDataFolderSwitch(false);
    EXPECT_EQ(GetDataFolder(), ProgramFolder());
    EXPECT_TRUE(ProgramFolder().endsWith(u'/'));
    SetDataFolderSwitch(true);
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA, 0), dir.path());
    EXPECT_EQ(GetDataFolder(), dir.path() + QStringLiteral("/Orlenna/Pendrift"));
    EXPECT_EQ(GetSpecialFolderPath(5, 0), QString());

    // Without XDG_CONFIG_HOME the folder is ~/.config.
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(GetDataFolder(), QDir::homePath() + QStringLiteral("/.config/Orlenna/Pendrift"));
    qputenv("XDG_CONFIG_HOME", old);
}

TEST(Paths, MakeFolderPathCreatesMissingLevelsSilently)
{
    TempFolder dir;
    MakeFolderPath(dir.path() + QStringLiteral("/a/b/c/"));
    EXPECT_TRUE(QFileInfo(dir / QStringLiteral("a/b/c")).isDir());
    MakeFolderPath(dir.path() + QStringLiteral("/a/b/c")); // exists: nothing happens
    // A level blocked by a file is skipped without a word; the rest fails quietly too.
    dir.Write(QStringLiteral("f"), "x");
    MakeFolderPath(dir.path() + QStringLiteral("/f/g"));
    EXPECT_FALSE(QFileInfo(dir / QStringLiteral("f/g")).exists());
}

TEST(Paths, RootPaths)
{
    EXPECT_TRUE(IsRootPath(QString()));
    EXPECT_TRUE(IsRootPath(QStringLiteral("  ")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("/")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("music"))); // one level
    EXPECT_TRUE(IsRootPath(QStringLiteral("\\\\server")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("/media")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("/usr/")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("/usr/..//home")));
    EXPECT_TRUE(IsRootPath(QDir::homePath()));
    EXPECT_TRUE(IsRootPath(QDir::homePath() + QStringLiteral("/")));
    EXPECT_TRUE(IsRootPath(QStringLiteral("/proc"))); // a mount point directly under /

    TempFolder dir;
    EXPECT_FALSE(IsRootPath(dir.path()));
    EXPECT_FALSE(IsRootPath(dir / QStringLiteral("not/yet/made")));
    EXPECT_FALSE(IsRootPath(QDir::homePath() + QStringLiteral("/Music")));
}

TEST(Paths, DeeperMountPointsAreRoots)
{
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    ASSERT_TRUE(mounts.open(QIODevice::ReadOnly));
    QString deep;
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QString point = QString::fromUtf8(line.split(' ').value(4));
        if (point.count(u'/') >= 2 && !point.contains(u'\\') && QFileInfo(point).isDir()) {
            deep = point;
            break;
        }
    }
    if (deep.isEmpty())
        GTEST_SKIP() << "no mount point two levels down on this machine";
    EXPECT_TRUE(IsRootPath(deep)) << deep.toStdString();
    EXPECT_TRUE(Platform::IsMountPoint(Platform::CanonicalPath(deep)));
}
