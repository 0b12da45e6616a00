#include "documents/Preferences.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

// The preferences file under its default name (the program's own) in a fresh data folder.
class Preferences : public ::testing::Test
{
protected:
    void Put(const QByteArray& bytes)
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    TempDataFolder data;
    const QString ini = data / u"documents_tests.ini"_s;
};

} // namespace

TEST_F(Preferences, WritingCreatesFileSectionAndKey)
{
    EXPECT_EQ(ReadPreference(u"mainleft"_s, u"-1"_s), u"-1");
    EXPECT_FALSE(QFile::exists(ini)) << "reading creates nothing";

    WritePreference(u"AutoLoadFile"_s, u"-1"_s);
    EXPECT_EQ(ReadAll(ini), "[settings]\nAutoLoadFile=-1\n");
    WritePreference(u"mainleft"_s, qint64(-15));
    WritePreference(u"big"_s, qint64(9000000000));
    // An existing key keeps its line and its spelling; only the value changes. A value is one
    // line.
    WritePreference(u"AUTOLOADFILE"_s, u"0"_s, u"SETTINGS"_s);
    WritePreference(u"LoadFile"_s, u"a\nb\r\nc"_s);
    EXPECT_EQ(ReadAll(ini),
              "[settings]\nAutoLoadFile=0\nmainleft=-15\nbig=9000000000\nLoadFile=a b  c\n");
    EXPECT_EQ(ReadPreference(u"autoloadfile"_s), u"0");
    EXPECT_EQ(ReadPreference(u"LoadFile"_s), u"a b  c");
}

TEST_F(Preferences, EveryOtherLineStaysAsItWas)
{
    Put("; written by hand\r\nstray line\r\n[Settings]\r\n  WindowTitle =   My Player  \r\n"
        "; comment=not a key\r\nUnknown=\xff\xfe raw bytes\r\n\r\n\t[later]\r\nk=v");
    EXPECT_EQ(ReadPreference(u"windowtitle"_s), u"My Player");
    EXPECT_EQ(ReadPreference(u"; comment"_s, u"d"_s), u"d");
    EXPECT_EQ(ReadPreference(u"stray line"_s, u"d"_s), u"d");
    EXPECT_EQ(ReadPreference(u"K"_s, {}, u"Later"_s), u"v");

    WritePreference(u"LoadFile"_s, u"/home/me/Mix.cfg"_s);
    WritePreference(u"k2"_s, u"w"_s, u"later"_s);
    WritePreference(u"WindowTitle"_s, u"Car"_s);
    WritePreference(u"n"_s, u"1"_s, u"new"_s);
    EXPECT_EQ(ReadAll(ini),
              "; written by hand\r\nstray line\r\n[Settings]\r\nWindowTitle=Car\r\n"
              "; comment=not a key\r\nUnknown=\xff\xfe raw bytes\r\nLoadFile=/home/me/Mix.cfg\r\n"
              "\r\n\t[later]\r\nk=v\r\nk2=w\r\n[new]\r\nn=1\r\n");
}

TEST_F(Preferences, ValuesAreTrimmedAndCut)
{
    const QString long600(600, u'v');
    Put("\n[ settings\ntitle=\t  spaced out \t\nlong=" + long600.toUtf8() +
        "\nempty=\n[settings]\nsecond=only in the second section\n");
    EXPECT_EQ(ReadPreference(u"title"_s), u"spaced out");
    EXPECT_EQ(ReadPreference(u"long"_s), long600.left(511));
    EXPECT_EQ(ReadPreference(u"empty"_s, u"d"_s), QString());
    EXPECT_EQ(ReadPreference(u"second"_s, u"d"_s), u"d");
    // The default loses its trailing spaces and is cut like a value.
    EXPECT_EQ(ReadPreference(u"none"_s, u" d  "_s), u" d");
    EXPECT_EQ(ReadPreference(u"none"_s, long600), long600.left(511));

    // A folder where the file should be: nothing can be read or written there.
    ASSERT_TRUE(QFile::remove(ini) && QDir().mkpath(ini));
    WritePreference(u"title"_s, u"v"_s);
    EXPECT_EQ(ReadPreference(u"title"_s, u"d"_s), u"d");
}
