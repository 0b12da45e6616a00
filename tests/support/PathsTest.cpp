#include "support/Paths.h"
#include "support/AppError.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

TEST(Paths, ParsePathParts)
{
    using enum PathPart;
    struct Case
    {
        QString path;
        PathPart part;
        QString expected;
        bool strip = true, forward = false;
    };
    const QString song = u"C:\\music\\rock\\song.mp3"_s;
    const QString unc = u"\\\\server\\share\\a.txt"_s;
    const QString fwd = u"/home/me/music/song.mp3"_s;
    // Three characters are never stripped; a longer folder keeps its separator on request. A
    // path ending in the separator is returned as it is, whatever the part. The network prefix is
    // put back even in front of an empty result, and only known in its backslash form.
    // Backslashes are ordinary characters in the forward form.
    const Case cases[] = {{song, Folder, u"C:\\music\\rock"_s},
                          {song, FileName, u"song.mp3"_s},
                          {song, Extension, u"mp3"_s},
                          {song, BaseName, u"song"_s},
                          {song, ParentFolder, u"C:\\music"_s},
                          {song, Root, u"C:"_s},
                          {song, Root, u"C:\\"_s, false},
                          {u"C:\\song.mp3"_s, Folder, u"C:\\"_s},
                          {u"C:\\music\\song.mp3"_s, Folder, u"C:\\music\\"_s, false},
                          {u" C:\\music\\ "_s, Extension, u"C:\\music\\"_s},
                          {u"C:\\a\\b"_s, ParentFolder, u"C:\\"_s},
                          {u"C:\\a"_s, ParentFolder, {}},
                          {unc, Folder, u"\\\\server\\share"_s},
                          {unc, Root, u"\\\\server"_s},
                          {unc, FileName, u"a.txt"_s},
                          {u"\\\\server"_s, Folder, u"\\\\"_s},
                          {u"//server/share/a.txt"_s, Folder, u"//server/share"_s, true, true},
                          {u"song"_s, Folder, {}},
                          {u"song"_s, Extension, {}},
                          {u"song"_s, BaseName, u"song"_s},
                          {u"my.mix.cfg"_s, BaseName, u"my.mix"_s},
                          {u".cfg"_s, BaseName, {}},
                          {u".cfg"_s, Extension, u"cfg"_s},
                          {fwd, Folder, u"/home/me/music"_s, true, true},
                          {fwd, ParentFolder, u"/home/me"_s, true, true},
                          {fwd, Root, {}, true, true},
                          {u"/song.mp3"_s, Folder, u"/"_s, true, true},
                          {u"/media/Music/foo.$$$"_s, ParentFolder, u"/media"_s, true, true},
                          {u"/a\\b/c"_s, FileName, u"c"_s, true, true}};
    for (const Case& c : cases)
        EXPECT_EQ(ParsePath(c.path, c.part, c.strip, c.forward), c.expected)
            << c.path.toStdString() << " part " << int(c.part);
    EXPECT_EQ(ParsePath(fwd), u"/home/me/music"_s) << "the defaults are Folder, strip, forward";
    EXPECT_EQ(ParsePath(song, 6, true, false), QString());
    EXPECT_EQ(ParsePath(song, -1, true, false), QString());
}

TEST(Paths, TrailingSlashes)
{
    EXPECT_EQ(AddTrailingSlash(u" D:\\music "_s, false), u"D:\\music\\"_s);
    EXPECT_EQ(AddTrailingSlash(QString(), false), u"\\"_s);
    EXPECT_EQ(AddTrailingSlash(u"a/b"_s, true), u"a/b/"_s);
    EXPECT_EQ(AddTrailingSlash(u"a/b/"_s, true), u"a/b/"_s);
    EXPECT_EQ(AddTrailingSlash(u"a\\b"_s, true), u"a\\b/"_s);

    EXPECT_EQ(RemoveTrailingSlash(u"C:\\"_s, false), u"C:\\"_s);
    EXPECT_EQ(RemoveTrailingSlash(u"D:\\x\\"_s, false), u"D:\\x"_s);
    EXPECT_EQ(RemoveTrailingSlash(u"C:\\music\\ "_s, false), u"C:\\music"_s);
    // Nothing to remove: returned untrimmed.
    EXPECT_EQ(RemoveTrailingSlash(u" /x"_s, true), u" /x"_s);
    EXPECT_EQ(RemoveTrailingSlash(u"/a/"_s, true), u"/a/"_s);
    EXPECT_EQ(RemoveTrailingSlash(u"/ab/"_s, true), u"/ab"_s);
}

TEST(Paths, ExistsTempFilesAndMakeFolderPath)
{
    TempFolder dir;
    const QString file = dir.Write(u"a.txt"_s, "x");
    EXPECT_TRUE(PathExists(file, false));
    EXPECT_TRUE(PathExists(dir.path() + u'/', true));
    EXPECT_FALSE(PathExists(file + u'/', false)); // a file is not a folder
    EXPECT_TRUE(PathExists(file + u'/', true));
    EXPECT_FALSE(PathExists(dir / u"missing"_s, true));
    EXPECT_FALSE(PathExists(QString(), true));

    const QString absolute = QFileInfo(dir.path()).absoluteFilePath();
    const QString temp = CreateTempFile(u"tst"_s, dir.path());
    EXPECT_TRUE(QFileInfo(temp).fileName().startsWith(u"tst"_s));
    EXPECT_EQ(QFileInfo(temp).absolutePath(), absolute);
    EXPECT_TRUE(CreateTempFile(u"tst"_s, dir / u"nowhere"_s).isEmpty());
    const QString inTemp = CreateTempFile(u"p"_s);
    EXPECT_EQ(QFileInfo(inTemp).absolutePath(), QDir::tempPath());
    QFile::remove(inTemp);

    MakeFolderPath(dir.path() + u"/a/b/c/"_s);
    EXPECT_TRUE(QFileInfo(dir / u"a/b/c"_s).isDir());
    MakeFolderPath(dir.path() + u"/a/b/c"_s); // exists: nothing happens
    // A level blocked by a file is skipped without a word; the rest fails quietly too.
    MakeFolderPath(file + u"/g"_s);
    EXPECT_FALSE(QFileInfo::exists(file + u"/g"_s));
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
    EXPECT_EQ(GetDataFolder(), dir.path() + u"/Orlenna/Pendrift"_s);
    EXPECT_EQ(GetSpecialFolderPath(5, 0), QString());
    // Without XDG_CONFIG_HOME the folder is ~/.config.
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(GetDataFolder(), QDir::homePath() + u"/.config/Orlenna/Pendrift"_s);
    qputenv("XDG_CONFIG_HOME", old);
}

TEST(Paths, RootPaths)
{
    // One level, a server, the home folder and mount points directly under / are roots.
    for (const QString& root :
         {QString(), u"  "_s, u"/"_s, u"music"_s, u"\\\\server"_s, u"/media"_s, u"/usr/"_s,
          u"/usr/..//home"_s, QDir::homePath(), QString(QDir::homePath() + u'/'), u"/proc"_s})
        EXPECT_TRUE(IsRootPath(root)) << root.toStdString();
    TempFolder dir;
    for (const QString& other :
         {dir.path(), dir / u"not/yet/made"_s, QString(QDir::homePath() + u"/Music"_s)})
        EXPECT_FALSE(IsRootPath(other)) << other.toStdString();
    // Resolved as far as it exists, the rest cleaned as text; never a trailing "/".
    const QString real = QDir(dir.path()).canonicalPath();
    for (const auto& [path, canonical] : {std::pair{u"/"_s, u"/"_s},
                                          {QString(), QDir::currentPath()},
                                          {dir / u"no/../yet/"_s, real + u"/yet"_s}})
        EXPECT_EQ(Platform::CanonicalPath(path), canonical);

    QFile mounts(u"/proc/self/mountinfo"_s);
    ASSERT_TRUE(mounts.open(QIODevice::ReadOnly));
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QString point = QString::fromUtf8(line.split(' ').value(4));
        if (point.count(u'/') >= 2 && !point.contains(u'\\') && QFileInfo(point).isDir()) {
            EXPECT_TRUE(IsRootPath(point)) << "deeper mount point " << point.toStdString();
            EXPECT_TRUE(Platform::IsMountPoint(Platform::CanonicalPath(point)));
            break;
        }
    }
}
