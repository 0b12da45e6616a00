#include "ScanFolder.h"
#include "AppError.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <climits>
#include <functional>

namespace {

const QString kTypes = QStringLiteral("*.mp3,*.wma,*.wav");

QStringList Scan(const QString& folder, bool includeSubfolders, const QString& fileTypes,
                 bool listFolders = false, const QString& folderPattern = {})
{
    QStringList files;
    qint32 count = 0;
    ScanFolder(files, count, folder, includeSubfolders, listFolders, folderPattern, fileTypes);
    EXPECT_EQ(count, files.size());
    return files;
}

// The names in a folder in the order the file system lists them, as Qt sees it unsorted.
QStringList ListingOrder(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

} // namespace

TEST(ScanFolder, DepthFirstInListingOrderWithEachFoldersFilesFirst)
{
    TempFolder dir;
    // Enough entries per folder that the file system's order is unlikely to be creation order.
    for (int i = 0; i < 12; ++i) {
        dir.Write(QStringLiteral("lib/song%1.mp3").arg(i), "x");
        dir.Write(QStringLiteral("lib/note%1.txt").arg(i), "x");
        dir.Write(QStringLiteral("lib/a%1/track.wma").arg(i), "x");
        dir.Write(QStringLiteral("lib/a%1/b/deep%1.wav").arg(i), "x");
    }
    dir.Write(QStringLiteral("lib/.hidden.mp3"), "x");
    dir.Write(QStringLiteral("lib/a3/SHOUT.MP3"), "x");
    const QString lib = dir / QStringLiteral("lib");

    QStringList expected;
    QStringList subfolders;
    for (const QString& name : ListingOrder(lib)) {
        if (QFileInfo(lib + u'/' + name).isDir())
            subfolders << name;
        else if (!name.endsWith(QStringLiteral(".txt")))
            expected << lib + u'/' + name;
    }
    ASSERT_EQ(subfolders.size(), 12);
    const QStringList topLevel = expected;
    for (const QString& sub : subfolders) {
        for (const QString& name : ListingOrder(lib + u'/' + sub))
            if (name != QStringLiteral("b") && name != QStringLiteral("SHOUT.MP3"))
                expected << lib + u'/' + sub + u'/' + name;
        expected << lib + u'/' + sub + QStringLiteral("/b/") +
                        ListingOrder(lib + u'/' + sub + QStringLiteral("/b")).first();
    }

    EXPECT_EQ(Scan(lib, true, kTypes), expected);
    EXPECT_EQ(Scan(lib, false, kTypes), topLevel);
    EXPECT_TRUE(topLevel.contains(lib + QStringLiteral("/.hidden.mp3")));
}

TEST(ScanFolder, FolderTextsAndFileTypeLists)
{
    TempFolder dir;
    for (const char* name : {"a.mp3", "b.wav", "c.txt", "noext", " space.wav", "SONG.MP3", "d.wma"})
        dir.Write(QStringLiteral("lib/") + QString::fromUtf8(name), "x");
    dir.MakeFolder(QStringLiteral("lib/folder.mp3"));
    const QString lib = dir / QStringLiteral("lib");

    const QStringList plain = Scan(lib, true, kTypes);
    // a.mp3, b.wav, " space.wav", d.wma; the folder named like a song is no file
    EXPECT_EQ(plain.size(), 4);
    for (const QString& path : plain)
        EXPECT_TRUE(path.startsWith(lib + u'/')) << path.toStdString();
    EXPECT_EQ(Scan(lib + u'/', true, kTypes), plain);
    EXPECT_EQ(Scan(QStringLiteral("  ") + lib + QStringLiteral("/  "), true, kTypes), plain);

    const auto names = [&](const QString& fileTypes) {
        QStringList result;
        for (const QString& path : Scan(lib, false, fileTypes))
            result << path.mid(lib.size() + 1);
        result.sort();
        return result;
    };
    const QStringList everything{QStringLiteral(" space.wav"), QStringLiteral("SONG.MP3"),
                                 QStringLiteral("a.mp3"),      QStringLiteral("b.wav"),
                                 QStringLiteral("c.txt"),      QStringLiteral("d.wma"),
                                 QStringLiteral("noext")};
    EXPECT_EQ(names(QString()), everything);
    EXPECT_EQ(names(QStringLiteral("*")), everything);
    EXPECT_EQ(names(QStringLiteral("*.*")), QStringList(everything.mid(0, 6)));
    EXPECT_EQ(names(QStringLiteral("*.mp3,")), QStringList{QStringLiteral("a.mp3")});
    EXPECT_EQ(names(QStringLiteral("*.mp3")), QStringList{QStringLiteral("a.mp3")});
    // The space after the comma belongs to the second pattern.
    EXPECT_EQ(names(QStringLiteral("*.mp3, *.wav")),
              (QStringList{QStringLiteral(" space.wav"), QStringLiteral("a.mp3")}));
    EXPECT_TRUE(names(QStringLiteral(",")).isEmpty());
    EXPECT_EQ(names(QStringLiteral("*.MP3")), QStringList{QStringLiteral("SONG.MP3")});
    EXPECT_EQ(
        names(QStringLiteral("?.*,*.wav")),
        (QStringList{QStringLiteral(" space.wav"), QStringLiteral("a.mp3"), QStringLiteral("b.wav"),
                     QStringLiteral("c.txt"), QStringLiteral("d.wma")}));
}

TEST(ScanFolder, AppendsToTheCallersListSoOverlappingEntriesGiveDuplicates)
{
    TempFolder dir;
    for (int i = 0; i < 5; ++i)
        dir.Write(QStringLiteral("lib/sub/s%1.mp3").arg(i), "x");
    dir.Write(QStringLiteral("lib/top.mp3"), "x");
    const QString lib = dir / QStringLiteral("lib");

    QStringList files{QStringLiteral("kept")};
    qint32 count = 1;
    ScanFolder(files, count, lib, true, false, {}, kTypes);
    ASSERT_EQ(count, 7);
    ScanFolder(files, count, lib + QStringLiteral("/sub"), false, false, {}, kTypes);
    ASSERT_EQ(count, 12);
    EXPECT_EQ(files.first(), QStringLiteral("kept"));
    EXPECT_EQ(files.mid(7), files.mid(2, 5)) << "the same folder again gives the same order";

    ScanFolder(files, count, dir / QStringLiteral("missing"), true, false, {}, kTypes);
    ScanFolder(files, count, dir / QStringLiteral("lib/top.mp3"), true, false, {}, kTypes);
    EXPECT_EQ(count, 12);
    EXPECT_EQ(files.size(), 12);
}

TEST(ScanFolder, ListingModeReportsFolders)
{
    TempFolder dir;
    dir.Write(QStringLiteral("lib/one/inner/x.mp3"), "x");
    dir.Write(QStringLiteral("lib/.two/y.mp3"), "x");
    dir.Write(QStringLiteral("lib/z.mp3"), "x");
    dir.Write(QStringLiteral("lib/z.txt"), "x");
    const QString lib = dir / QStringLiteral("lib");

    QStringList immediate = Scan(lib, false, {}, true);
    immediate.sort();
    EXPECT_EQ(immediate,
              (QStringList{lib + QStringLiteral("/.two"), lib + QStringLiteral("/one")}));

    QStringList all = Scan(lib, true, kTypes, true);
    all.sort();
    EXPECT_EQ(all, (QStringList{lib + QStringLiteral("/.two"), lib + QStringLiteral("/one"),
                                lib + QStringLiteral("/one/inner")}))
        << "file types play no part when listing folders";

    QStringList withFiles = Scan(lib, true, {}, true, QStringLiteral("*.mp3"));
    withFiles.sort();
    EXPECT_EQ(
        withFiles,
        (QStringList{lib + QStringLiteral("/.two"), lib + QStringLiteral("/.two/y.mp3"),
                     lib + QStringLiteral("/one"), lib + QStringLiteral("/one/inner"),
                     lib + QStringLiteral("/one/inner/x.mp3"), lib + QStringLiteral("/z.mp3")}));

    // An empty folder text is the root.
    const QStringList root = Scan(QString(), false, {}, true);
    EXPECT_TRUE(root.contains(QStringLiteral("/tmp")) || root.contains(QStringLiteral("/usr")));
    for (const QString& path : root)
        EXPECT_EQ(path.lastIndexOf(u'/'), 0) << path.toStdString();
}

TEST(ScanFolder, FollowsLinksToFoldersButNeverBackUpItsOwnPath)
{
    TempFolder dir;
    dir.Write(QStringLiteral("lib/a/song.mp3"), "x");
    dir.Write(QStringLiteral("shared/common.mp3"), "x");
    const QString lib = dir / QStringLiteral("lib");
    ASSERT_TRUE(QFile::link(lib, lib + QStringLiteral("/a/up"))); // back to the top
    ASSERT_TRUE(QFile::link(lib + QStringLiteral("/a"), lib + QStringLiteral("/a/self")));
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("shared"), lib + QStringLiteral("/s1")));
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("shared"), lib + QStringLiteral("/s2")));
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("nowhere"), lib + QStringLiteral("/gone.mp3")));

    QStringList files = Scan(lib, true, kTypes);
    files.sort();
    EXPECT_EQ(files, (QStringList{lib + QStringLiteral("/a/song.mp3"),
                                  lib + QStringLiteral("/s1/common.mp3"),
                                  lib + QStringLiteral("/s2/common.mp3")}));

    // The links themselves are still listed as folders; only the descent stops.
    QStringList folders = Scan(lib, true, {}, true);
    folders.sort();
    EXPECT_EQ(folders, (QStringList{lib + QStringLiteral("/a"), lib + QStringLiteral("/a/self"),
                                    lib + QStringLiteral("/a/up"), lib + QStringLiteral("/s1"),
                                    lib + QStringLiteral("/s2")}));
}

TEST(ScanFolder, DeepTreesAndNamesBeyondAscii)
{
    TempFolder dir;
    QString path = QStringLiteral("lib");
    for (int depth = 0; depth < 70; ++depth) // past the depth where folders stay open
        path += QStringLiteral("/d%1").arg(depth);
    dir.Write(path + QStringLiteral("/bottom.mp3"), "x");
    dir.Write(QStringLiteral("lib/d0/Café \U0001F3B5.mp3"), "x");

    const QStringList files = Scan(dir / QStringLiteral("lib"), true, kTypes);
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files.contains(dir / path + QStringLiteral("/bottom.mp3")));
    EXPECT_TRUE(files.contains(dir / QStringLiteral("lib/d0/Café \U0001F3B5.mp3")));
    EXPECT_TRUE(QFile::exists(files.at(0)) && QFile::exists(files.at(1)));
}

TEST(ScanFolder, ErrorsKeepWhatWasAppended)
{
    TempFolder dir;
    dir.Write(QStringLiteral("lib/a.mp3"), "x");
    dir.Write(QStringLiteral("lib/b.mp3"), "x");
    const QString lib = dir / QStringLiteral("lib");

    // A bad pattern is only noticed once a name is tried against it.
    EXPECT_EQ(Scan(lib, false, QStringLiteral("*.mp3,[")).size(), 2);
    EXPECT_EQ(Scan(dir / QStringLiteral("missing"), false, QStringLiteral("[")).size(), 0);
    dir.Write(QStringLiteral("lib/c.txt"), "x");
    QStringList files;
    qint32 count = 0;
    EXPECT_EQ(ErrorOf([&] {
                  ScanFolder(files, count, lib, false, false, {}, QStringLiteral("*.mp3,["));
              }),
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
    QStringList patterns(32767, QStringLiteral("*.mp3"));
    EXPECT_EQ(Scan(lib, false, patterns.join(u',')).size(), 2);
    patterns << QStringLiteral("*.mp3");
    EXPECT_EQ(ErrorOf([&] { Scan(lib, false, patterns.join(u',')); }), ErrorNumber::Overflow);
}

TEST(ScanFolder, AtMost32767SubfoldersInOneFolder)
{
    TempFolder dir;
    // Links to one folder count as subfolders and are much cheaper to make and remove.
    const QString target = dir.MakeFolder(QStringLiteral("target"));
    const QString many = dir.MakeFolder(QStringLiteral("many"));
    for (int i = 0; i < 32768; ++i)
        ASSERT_TRUE(QFile::link(target, many + QStringLiteral("/%1").arg(i)));
    dir.Write(QStringLiteral("many/song.mp3"), "x");

    QStringList files;
    qint32 count = 0;
    EXPECT_EQ(ErrorOf([&] { ScanFolder(files, count, many, false, true, {}, {}); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(count, 32767) << "the folders before the one too many stay listed";
    EXPECT_EQ(files.size(), count);
    // The limit holds even when subfolders are not wanted.
    files.clear();
    count = 0;
    EXPECT_EQ(ErrorOf([&] { ScanFolder(files, count, many, false, false, {}, kTypes); }),
              ErrorNumber::Overflow);

    ASSERT_TRUE(QFile::remove(many + QStringLiteral("/0")));
    files.clear();
    count = 0;
    ScanFolder(files, count, many, false, true, {}, {});
    EXPECT_EQ(count, 32767);
    ScanFolder(files, count, many, false, false, {}, kTypes);
    EXPECT_EQ(files.last(), many + QStringLiteral("/song.mp3"));
}
