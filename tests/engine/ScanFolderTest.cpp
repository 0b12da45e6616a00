#include "engine/ScanFolder.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

const QString kTypes = u"*.mp3,*.wma,*.wav"_s;

QStringList Scan(const QString& folder, bool includeSubfolders, const QString& fileTypes,
                 bool listFolders = false, const QString& folderPattern = {}, bool sort = false)
{
    QStringList files;
    qint32 count = 0;
    ScanFolder(files, count, folder, includeSubfolders, listFolders, folderPattern, fileTypes);
    EXPECT_EQ(count, files.size());
    if (sort)
        files.sort();
    return files;
}

// The scan's result, sorted, as names relative to the folder.
QStringList Sorted(const QString& folder, bool subfolders, const QString& fileTypes,
                   bool listFolders = false, const QString& folderPattern = {})
{
    QStringList names;
    for (const QString& path : Scan(folder, subfolders, fileTypes, listFolders, folderPattern)) {
        EXPECT_TRUE(path.startsWith(folder + u'/')) << path.toStdString();
        names << path.mid(folder.size() + 1);
    }
    names.sort();
    return names;
}

// The names in a folder in the order the file system lists them, as Qt sees it unsorted.
QStringList ListingOrder(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext())
        names << it.next().mid(folder.size() + 1);
    return names;
}

} // namespace

TEST(ScanFolder, DepthFirstInListingOrderWithEachFoldersFilesFirst)
{
    TempFolder dir;
    // Enough entries per folder that the file system's order is unlikely to be creation order.
    for (int i = 0; i < 12; ++i) {
        dir.Write(u"lib/song%1.mp3"_s.arg(i), "x");
        dir.Write(u"lib/note%1.txt"_s.arg(i), "x");
        dir.Write(u"lib/a%1/track.wma"_s.arg(i), "x");
        dir.Write(u"lib/a%1/b/deep%1.wav"_s.arg(i), "x");
    }
    dir.Write(u"lib/.hidden.mp3"_s, "x");
    dir.Write(u"lib/a3/SHOUT.MP3"_s, "x");
    const QString lib = dir / u"lib"_s;

    QStringList expected, subfolders;
    for (const QString& name : ListingOrder(lib)) {
        if (QFileInfo(lib + u'/' + name).isDir())
            subfolders << name;
        else if (!name.endsWith(u".txt"_s))
            expected << lib + u'/' + name;
    }
    ASSERT_EQ(subfolders.size(), 12);
    const QStringList topLevel = expected;
    for (const QString& sub : subfolders) {
        for (const QString& name : ListingOrder(lib + u'/' + sub))
            if (name != u"b"_s && name != u"SHOUT.MP3"_s)
                expected << lib + u'/' + sub + u'/' + name;
        expected << lib + u'/' + sub + u"/b/"_s + ListingOrder(lib + u'/' + sub + u"/b"_s).first();
    }
    EXPECT_EQ(Scan(lib, true, kTypes), expected);
    EXPECT_EQ(Scan(lib, false, kTypes), topLevel);
    EXPECT_TRUE(topLevel.contains(lib + u"/.hidden.mp3"_s));
}

TEST(ScanFolder, FolderTextsAndFileTypeLists)
{
    TempFolder dir;
    for (const char* name : {"a.mp3", "b.wav", "c.txt", "noext", " space.wav", "SONG.MP3", "d.wma"})
        dir.Write(u"lib/"_s + QString::fromUtf8(name), "x");
    dir.MakeFolder(u"lib/folder.mp3"_s); // a folder named like a song is no file
    const QString lib = dir / u"lib"_s;

    const QStringList plain = Scan(lib, true, kTypes);
    EXPECT_EQ(Sorted(lib, true, kTypes),
              (QStringList{u" space.wav"_s, u"a.mp3"_s, u"b.wav"_s, u"d.wma"_s}));
    EXPECT_EQ(Scan(lib + u'/', true, kTypes), plain);
    EXPECT_EQ(Scan(u"  "_s + lib + u"/  "_s, true, kTypes), plain);

    const QStringList all{u" space.wav"_s, u"SONG.MP3"_s, u"a.mp3"_s, u"b.wav"_s,
                          u"c.txt"_s,      u"d.wma"_s,    u"noext"_s};
    // The space after a comma belongs to the next pattern.
    const std::pair<QString, QStringList> cases[] = {
        {QString(), all},
        {u"*"_s, all},
        {u"*.*"_s, all.mid(0, 6)},
        {u"*.mp3,"_s, {u"a.mp3"_s}},
        {u"*.mp3"_s, {u"a.mp3"_s}},
        {u"*.mp3, *.wav"_s, {u" space.wav"_s, u"a.mp3"_s}},
        {u","_s, {}},
        {u"*.MP3"_s, {u"SONG.MP3"_s}},
        {u"?.*,*.wav"_s, {u" space.wav"_s, u"a.mp3"_s, u"b.wav"_s, u"c.txt"_s, u"d.wma"_s}}};
    for (const auto& [types, names] : cases)
        EXPECT_EQ(Sorted(lib, false, types), names) << types.toStdString();

    // Each call appends in the same order, so overlapping entries give duplicates; a missing
    // folder or a file in place of a folder adds nothing.
    QStringList files{u"kept"_s};
    qint32 count = 1;
    for (const QString& folder : {lib, lib, dir / u"missing"_s, QString(lib + u"/a.mp3"_s)})
        ScanFolder(files, count, folder, false, false, {}, kTypes);
    EXPECT_EQ(count, 9);
    EXPECT_EQ(files.size(), 9);
    EXPECT_EQ(files.first(), u"kept"_s);
    EXPECT_EQ(files.mid(5), files.mid(1, 4));
}

TEST(ScanFolder, ListingModeReportsFolders)
{
    TempFolder dir;
    for (const QString& name : {u"one/inner/x.mp3"_s, u".two/y.mp3"_s, u"z.mp3"_s, u"z.txt"_s})
        dir.Write(u"lib/"_s + name, "x");
    const QString lib = dir / u"lib"_s;

    EXPECT_EQ(Sorted(lib, false, {}, true), (QStringList{u".two"_s, u"one"_s}));
    EXPECT_EQ(Sorted(lib, true, kTypes, true), (QStringList{u".two"_s, u"one"_s, u"one/inner"_s}))
        << "file types play no part when listing folders";
    EXPECT_EQ(Sorted(lib, true, {}, true, u"*.mp3"_s),
              (QStringList{u".two"_s, u".two/y.mp3"_s, u"one"_s, u"one/inner"_s,
                           u"one/inner/x.mp3"_s, u"z.mp3"_s}));

    // An empty folder text is the root.
    const QStringList root = Scan(QString(), false, {}, true);
    EXPECT_TRUE(root.contains(u"/tmp"_s) || root.contains(u"/usr"_s));
    for (const QString& path : root)
        EXPECT_EQ(path.lastIndexOf(u'/'), 0) << path.toStdString();
}

TEST(ScanFolder, FollowsLinksToFoldersButNeverBackUpItsOwnPath)
{
    TempFolder dir;
    dir.Write(u"lib/a/song.mp3"_s, "x");
    dir.Write(u"shared/common.mp3"_s, "x");
    const QString lib = dir / u"lib"_s;
    ASSERT_TRUE(QFile::link(lib, lib + u"/a/up"_s)); // back to the top
    ASSERT_TRUE(QFile::link(lib + u"/a"_s, lib + u"/a/self"_s));
    ASSERT_TRUE(QFile::link(dir / u"shared"_s, lib + u"/s1"_s));
    ASSERT_TRUE(QFile::link(dir / u"shared"_s, lib + u"/s2"_s));
    ASSERT_TRUE(QFile::link(dir / u"nowhere"_s, lib + u"/gone.mp3"_s));

    EXPECT_EQ(Sorted(lib, true, kTypes),
              (QStringList{u"a/song.mp3"_s, u"s1/common.mp3"_s, u"s2/common.mp3"_s}));
    // The links themselves are still listed as folders; only the descent stops.
    EXPECT_EQ(Sorted(lib, true, {}, true),
              (QStringList{u"a"_s, u"a/self"_s, u"a/up"_s, u"s1"_s, u"s2"_s}));

    // Past the depth where folders stay open, and names beyond ASCII.
    QString path = u"deep"_s;
    for (int depth = 0; depth < 70; ++depth)
        path += u"/d%1"_s.arg(depth);
    const QString bottom = dir.Write(path + u"/bottom.mp3"_s, "x");
    const QString odd = dir.Write(u"deep/d0/Café \U0001F3B5.mp3"_s, "x");
    EXPECT_EQ(Scan(dir / u"deep"_s, true, kTypes, false, {}, true), (QStringList{odd, bottom}));
}

TEST(ScanFolder, ErrorsKeepWhatWasAppended)
{
    TempFolder dir;
    dir.Write(u"lib/a.mp3"_s, "x");
    dir.Write(u"lib/b.mp3"_s, "x");
    const QString lib = dir / u"lib"_s;

    // A bad pattern is only noticed once a name is tried against it.
    EXPECT_EQ(Scan(lib, false, u"*.mp3,["_s).size(), 2);
    EXPECT_EQ(Scan(dir / u"missing"_s, false, u"["_s).size(), 0);
    dir.Write(u"lib/c.txt"_s, "x");
    QStringList files;
    qint32 count = 0;
    EXPECT_EQ(ErrorOf([&] { ScanFolder(files, count, lib, false, false, {}, u"*.mp3,["_s); }),
              ErrorNumber::InvalidPattern);
    EXPECT_EQ(count, files.size());
    EXPECT_LE(count, 2);

    // The count is signed 32-bit.
    files.clear();
    count = INT32_MAX - 1;
    EXPECT_EQ(ErrorOf([&] { ScanFolder(files, count, lib, false, false, {}, kTypes); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(count, INT32_MAX);
    EXPECT_EQ(files.size(), 1);

    // At most 32,767 patterns.
    QStringList patterns(32767, u"*.mp3"_s);
    EXPECT_EQ(Scan(lib, false, patterns.join(u',')).size(), 2);
    patterns << u"*.mp3"_s;
    EXPECT_EQ(ErrorOf([&] { Scan(lib, false, patterns.join(u',')); }), ErrorNumber::Overflow);
}

TEST(ScanFolderSlow, AtMost32767SubfoldersInOneFolder)
{
    TempFolder dir;
    // Links to one folder count as subfolders and are much cheaper to make and remove.
    const QString target = dir.MakeFolder(u"target"_s);
    const QString many = dir.MakeFolder(u"many"_s);
    for (int i = 0; i < 32768; ++i)
        ASSERT_TRUE(QFile::link(target, many + u"/%1"_s.arg(i)));
    dir.Write(u"many/song.mp3"_s, "x");

    QStringList files;
    qint32 count = 0;
    EXPECT_EQ(ErrorOf([&] { ScanFolder(files, count, many, false, true, {}, {}); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(count, 32767) << "the folders before the one too many stay listed";
    EXPECT_EQ(files.size(), count);
    // The limit holds even when subfolders are not wanted.
    EXPECT_EQ(ErrorOf([&] { Scan(many, false, kTypes); }), ErrorNumber::Overflow);

    ASSERT_TRUE(QFile::remove(many + u"/0"_s));
    EXPECT_EQ(Scan(many, false, {}, true).size(), 32767);
    EXPECT_EQ(Scan(many, false, kTypes), QStringList{many + u"/song.mp3"_s});
}
