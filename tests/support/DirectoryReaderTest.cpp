#include "DirectoryReader.h"
#include "TestSupport.h"

#include <QFile>
#include <QMap>

#include <cerrno>

namespace {

// name -> isDirectory, for every entry the reader yields.
QMap<QString, bool> ReadAllEntries(DirectoryReader& reader)
{
    QMap<QString, bool> entries;
    while (reader.Next()) {
        EXPECT_FALSE(entries.contains(reader.name())) << reader.name().toStdString();
        EXPECT_EQ(QFile::decodeName(reader.rawName()), reader.name());
        entries.insert(reader.name(), reader.isDirectory());
    }
    return entries;
}

} // namespace

TEST(DirectoryReader, ListsEveryEntryWithItsFolderFlag)
{
    TempFolder dir;
    dir.Write(QStringLiteral("lib/song.mp3"), "x");
    dir.Write(QStringLiteral("lib/.hidden"), "x");
    dir.Write(QStringLiteral("lib/Café ü.mp3"), "x");
    dir.Write(QStringLiteral("lib/\U0001F3B5.wav"), "x");
    dir.MakeFolder(QStringLiteral("lib/sub"));
    dir.MakeFolder(QStringLiteral("elsewhere"));
    ASSERT_TRUE(
        QFile::link(dir / QStringLiteral("elsewhere"), dir / QStringLiteral("lib/to-folder")));
    ASSERT_TRUE(
        QFile::link(dir / QStringLiteral("lib/song.mp3"), dir / QStringLiteral("lib/to-file")));
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("gone"), dir / QStringLiteral("lib/dangling")));

    DirectoryReader reader(dir / QStringLiteral("lib"));
    ASSERT_TRUE(reader.isOpen());
    const QMap<QString, bool> expected{
        {QStringLiteral("song.mp3"), false},   {QStringLiteral(".hidden"), false},
        {QStringLiteral("Café ü.mp3"), false}, {QStringLiteral("\U0001F3B5.wav"), false},
        {QStringLiteral("sub"), true},         {QStringLiteral("to-folder"), true},
        {QStringLiteral("to-file"), false},
    };
    EXPECT_EQ(ReadAllEntries(reader), expected);
    EXPECT_FALSE(reader.Next()) << "stays at the end";
}

TEST(DirectoryReader, OpensChildrenRelativeToTheParentAndTellsFoldersApart)
{
    TempFolder dir;
    dir.Write(QStringLiteral("top/inner/deep.mp3"), "x");
    ASSERT_TRUE(QFile::link(dir / QStringLiteral("top/inner"), dir / QStringLiteral("top/alias")));

    DirectoryReader top(dir / QStringLiteral("top"));
    DirectoryReader inner(top, QByteArrayLiteral("inner"));
    DirectoryReader alias(top, QByteArrayLiteral("alias"));
    ASSERT_TRUE(inner.isOpen());
    EXPECT_EQ(ReadAllEntries(inner), (QMap<QString, bool>{{QStringLiteral("deep.mp3"), false}}));
    EXPECT_TRUE(alias.identity() == inner.identity()) << "a link reaches the same folder";
    EXPECT_FALSE(top.identity() == inner.identity());

    DirectoryReader missing(dir / QStringLiteral("missing"));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.openError(), ENOENT);
    EXPECT_FALSE(missing.Next());
    DirectoryReader file(top, QByteArrayLiteral("inner/deep.mp3"));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.openError(), ENOTDIR);
    DirectoryReader child(missing, QByteArrayLiteral("x"));
    EXPECT_FALSE(child.isOpen());
}
