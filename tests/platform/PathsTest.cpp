#include "platform/Paths.h"
#include "platform/Platform.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

TEST(Paths, ParsePathParts)
{
    using enum PathPart;
    const QString song = u"/home/me/music/song.mp3"_s;
    // A folder of three characters or fewer keeps its separator; a path ending in the separator
    // comes back as it is, whatever the part.
    const std::tuple<QString, PathPart, QString> cases[] = {
        {song, FileName, u"song.mp3"_s},
        {song, Root, {}},
        {u"/song.mp3"_s, Folder, u"/"_s},
        {u"/a/c"_s, Folder, u"/a/"_s},
        {u" /media/Music/foo.$$$ "_s, Folder, u"/media/Music"_s},
        {u"/music/ "_s, Extension, u"/music/"_s},
        {u"song"_s, Folder, {}},
        {u"song"_s, Extension, {}},
        {u"my.mix.cfg"_s, BaseName, u"my.mix"_s},
        {u".cfg"_s, BaseName, {}},
        {u".cfg"_s, Extension, u"cfg"_s}};
    for (const auto& [path, part, expected] : cases)
        EXPECT_EQ(ParsePath(path, part), expected) << path.toStdString() << " part " << int(part);
}

TEST(Paths, TrailingSlashes)
{
    for (const auto& [path, added, removed] :
         {std::tuple{u" /a/b "_s, u"/a/b/"_s, u" /a/b "_s}, // nothing to remove: untrimmed
          {u"/a/b/ "_s, u"/a/b/"_s, u"/a/b"_s},
          {u"/ab/"_s, u"/ab/"_s, u"/ab"_s},
          {u"/a/"_s, u"/a/"_s, u"/a/"_s},
          {QString(), u"/"_s, QString()}}) {
        EXPECT_EQ(AddTrailingSlash(path), added);
        EXPECT_EQ(RemoveTrailingSlash(path), removed) << path.toStdString();
    }
    for (const auto& [path, clean] :
         {std::pair{u" /m//Stick/ "_s, u"/m/Stick"_s}, {u"///"_s, u"/"_s}, {u"a//"_s, u"a"_s}})
        EXPECT_EQ(CleanFolderPath(path), clean) << path.toStdString();
}

TEST(Paths, ExistsTempFilesAndFolders)
{
    TempDataFolder data;
    EXPECT_EQ(GetDataFolder(), data.config() + u"/Orlenna/Pendrift"_s);
    const QString dir = GetDataFolder(), file = data / u"a.txt"_s;
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(PathExists(dir + u'/', true));
    EXPECT_FALSE(PathExists(file + u'/', false)); // a file is not a folder
    EXPECT_TRUE(PathExists(file + u'/', true));
    EXPECT_FALSE(PathExists(data / u"missing"_s, true));
    EXPECT_FALSE(PathExists(QString(), true));

    EXPECT_TRUE(CreateTempFile(u"tst"_s, dir).startsWith(dir + u"/tst"_s));
    EXPECT_TRUE(CreateTempFile(u"tst"_s, data / u"nowhere"_s).isEmpty());
    MakeFolderPath(dir + u"/a/b/c/"_s);
    EXPECT_TRUE(QFileInfo(data / u"a/b/c"_s).isDir());

    qunsetenv("XDG_CONFIG_HOME"); // the data folder puts it back
    EXPECT_EQ(GetDataFolder(), QDir::homePath() + u"/.config/Orlenna/Pendrift"_s);
    SetDataFolderSwitch(false);
    EXPECT_EQ(GetDataFolder(), ProgramFolder());
}

TEST(Paths, RootPaths)
{
    // One level, the home folder and mount points directly under / are roots.
    for (const QString& root :
         {QString(), u"  "_s, u"/"_s, u"music"_s, u"/media"_s, u"/usr/"_s, u"/usr/..//home"_s,
          QDir::homePath(), QString(QDir::homePath() + u'/'), u"/proc"_s})
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
    for (const QByteArray& line : ReadAll(u"/proc/self/mountinfo"_s).split('\n')) {
        const QString point = QString::fromUtf8(line.split(' ').value(4));
        if (point.count(u'/') >= 2 && !point.contains(u'\\') && QFileInfo(point).isDir()) {
            EXPECT_TRUE(IsRootPath(point)) << "deeper mount point " << point.toStdString();
            break;
        }
    }
}
