#include "documents/Preferences.h"
#include "support/Paths.h"
#include "tests/common/TestSupport.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QString kIni = u"pendrift.ini"_s;

QString Read(const TempFolder& dir, const QString& key, const QString& fallback = {},
             const QString& section = u"settings"_s)
{
    return ReadPreference(key, fallback, section, dir.path(), kIni);
}

void Write(const TempFolder& dir, const QString& key, const QString& value,
           const QString& section = u"settings"_s)
{
    WritePreference(key, value, section, dir.path(), kIni);
}

} // namespace

TEST(Preferences, WritingCreatesFileSectionAndKey)
{
    TempFolder dir;
    EXPECT_EQ(Read(dir, u"mainleft"_s, u"-1"_s), u"-1");
    EXPECT_FALSE(QFile::exists(dir / kIni)) << "reading creates nothing";

    Write(dir, u"AutoLoadFile"_s, u"-1"_s);
    EXPECT_EQ(ReadAll(dir / kIni), "[settings]\nAutoLoadFile=-1\n");
    WritePreference(u"mainleft"_s, qint64(-15), u"settings"_s, dir.path(), kIni);
    Write(dir, u"x"_s, u"1"_s, u"other"_s);
    WritePreference(u"big"_s, qint64(9000000000), u"other"_s, dir.path(), kIni);
    // An existing key keeps its line and its spelling; only the value changes.
    Write(dir, u"AUTOLOADFILE"_s, u"0"_s, u"SETTINGS"_s);
    EXPECT_EQ(ReadAll(dir / kIni),
              "[settings]\nAutoLoadFile=0\nmainleft=-15\n[other]\nx=1\nbig=9000000000\n");
    EXPECT_EQ(Read(dir, u"autoloadfile"_s), u"0");
    EXPECT_EQ(Read(dir, u"X"_s, {}, u"Other"_s), u"1");
    EXPECT_EQ(Read(dir, u"x"_s, u"none"_s), u"none");

    // A value is one line.
    Write(dir, u"LoadFile"_s, u"a\nb\r\nc"_s);
    EXPECT_EQ(Read(dir, u"LoadFile"_s), u"a b  c");
}

TEST(Preferences, EveryOtherLineStaysAsItWas)
{
    TempFolder dir;
    dir.Write(kIni,
              "; written by hand\r\nstray line\r\n[Settings]\r\n  WindowTitle =   My Player  \r\n"
              "; comment=not a key\r\nUnknown=\xff\xfe raw bytes\r\n\r\n[later]\r\nk=v");
    EXPECT_EQ(Read(dir, u"windowtitle"_s), u"My Player");
    EXPECT_EQ(Read(dir, u"; comment"_s, u"d"_s), u"d");
    EXPECT_EQ(Read(dir, u"stray line"_s, u"d"_s), u"d");

    Write(dir, u"LoadFile"_s, u"/home/me/Mix.cfg"_s);
    Write(dir, u"k2"_s, u"w"_s, u"later"_s);
    Write(dir, u"WindowTitle"_s, u"Car"_s);
    Write(dir, u"n"_s, u"1"_s, u"new"_s);
    EXPECT_EQ(ReadAll(dir / kIni),
              "; written by hand\r\nstray line\r\n[Settings]\r\nWindowTitle=Car\r\n"
              "; comment=not a key\r\nUnknown=\xff\xfe raw bytes\r\nLoadFile=/home/me/Mix.cfg\r\n"
              "\r\n[later]\r\nk=v\r\nk2=w\r\n[new]\r\nn=1\r\n");
}

TEST(Preferences, ValuesAreTrimmedAndCut)
{
    TempFolder dir;
    const QString long600(600, u'v');
    dir.Write(kIni, "[settings]\ntitle=\t  spaced out \t\nlong=" + long600.toUtf8() +
                        "\nempty=\n[settings]\nsecond=only in the second section\n");
    EXPECT_EQ(Read(dir, u"title"_s), u"spaced out");
    EXPECT_EQ(Read(dir, u"long"_s), long600.left(511));
    EXPECT_EQ(Read(dir, u"empty"_s, u"d"_s), QString());
    EXPECT_EQ(Read(dir, u"second"_s, u"d"_s), u"d");
    // The default loses its trailing spaces and is cut like a value.
    EXPECT_EQ(Read(dir, u"none"_s, u" d  "_s), u" d");
    EXPECT_EQ(Read(dir, u"none"_s, long600), long600.left(511));
}

TEST(Preferences, FailuresReadAsDefaultsAndWritesAreDropped)
{
    TempFolder dir;
    // A folder where the file should be: nothing can be read or written there.
    dir.MakeFolder(kIni);
    Write(dir, u"k"_s, u"v"_s);
    EXPECT_EQ(Read(dir, u"k"_s, u"d"_s), u"d");
    // A missing folder is not created.
    WritePreference(u"k"_s, u"v"_s, u"settings"_s, dir / u"missing"_s, kIni);
    EXPECT_FALSE(QFile::exists(dir / u"missing"_s));
}

TEST(Preferences, DefaultsToTheProgramsOwnNameInTheDataFolder)
{
    const bool saved = DataFolderSwitch();
    SetDataFolderSwitch(true);
    const QString folder = GetDataFolder();
    EXPECT_TRUE(folder.endsWith(u"/Orlenna/Pendrift"_s));
    MakeFolderPath(folder);
    QFile::remove(folder + u"/documents_tests.ini"_s);
    WritePreference(u"maintop"_s, qint64(300));
    EXPECT_EQ(ReadAll(folder + u"/documents_tests.ini"_s), "[settings]\nmaintop=300\n");
    EXPECT_EQ(ReadPreference(u"MAINTOP"_s, u"-1"_s), u"300");
    QFile::remove(folder + u"/documents_tests.ini"_s);
    SetDataFolderSwitch(saved);
}
