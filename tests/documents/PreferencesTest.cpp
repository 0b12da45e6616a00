#include "Preferences.h"
#include "Paths.h"
#include "TestSupport.h"

#include <QFile>

namespace {

const QString kIni = QStringLiteral("pendrift.ini");

QString Read(const TempFolder& dir, const QString& key, const QString& fallback = {},
             const QString& section = QStringLiteral("settings"))
{
    return ReadPreference(key, fallback, section, dir.path(), kIni);
}

void Write(const TempFolder& dir, const QString& key, const QString& value,
           const QString& section = QStringLiteral("settings"))
{
    WritePreference(key, value, section, dir.path(), kIni);
}

} // namespace

TEST(Preferences, WritingCreatesFileSectionAndKey)
{
    TempFolder dir;
    EXPECT_EQ(Read(dir, QStringLiteral("mainleft"), QStringLiteral("-1")), u"-1");
    EXPECT_FALSE(QFile::exists(dir / kIni)) << "reading creates nothing";

    Write(dir, QStringLiteral("AutoLoadFile"), QStringLiteral("-1"));
    EXPECT_EQ(ReadAll(dir / kIni), "[settings]\nAutoLoadFile=-1\n");
    WritePreference(QStringLiteral("mainleft"), qint64(-15), QStringLiteral("settings"), dir.path(),
                    kIni);
    Write(dir, QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("other"));
    WritePreference(QStringLiteral("big"), qint64(9000000000), QStringLiteral("other"), dir.path(),
                    kIni);
    EXPECT_EQ(ReadAll(dir / kIni),
              "[settings]\nAutoLoadFile=-1\nmainleft=-15\n[other]\nx=1\nbig=9000000000\n");

    // An existing key keeps its line and its spelling; only the value changes.
    Write(dir, QStringLiteral("AUTOLOADFILE"), QStringLiteral("0"), QStringLiteral("SETTINGS"));
    EXPECT_EQ(ReadAll(dir / kIni),
              "[settings]\nAutoLoadFile=0\nmainleft=-15\n[other]\nx=1\nbig=9000000000\n");
    EXPECT_EQ(Read(dir, QStringLiteral("autoloadfile")), u"0");
    EXPECT_EQ(Read(dir, QStringLiteral("X"), {}, QStringLiteral("Other")), u"1");
    EXPECT_EQ(Read(dir, QStringLiteral("x"), QStringLiteral("none")), u"none");

    // A value is one line.
    Write(dir, QStringLiteral("LoadFile"), QStringLiteral("a\nb\r\nc"));
    EXPECT_EQ(Read(dir, QStringLiteral("LoadFile")), u"a b  c");
}

TEST(Preferences, EveryOtherLineStaysAsItWas)
{
    TempFolder dir;
    const QByteArray original = "; written by hand\r\n"
                                "stray line\r\n"
                                "[Settings]\r\n"
                                "  WindowTitle =   My Player  \r\n"
                                "; comment=not a key\r\n"
                                "Unknown=\xff\xfe raw bytes\r\n"
                                "\r\n"
                                "[later]\r\n"
                                "k=v";
    dir.Write(kIni, original);

    EXPECT_EQ(Read(dir, QStringLiteral("windowtitle")), u"My Player");
    EXPECT_EQ(Read(dir, QStringLiteral("; comment"), QStringLiteral("d")), u"d");
    EXPECT_EQ(Read(dir, QStringLiteral("stray line"), QStringLiteral("d")), u"d");

    Write(dir, QStringLiteral("LoadFile"), QStringLiteral("/home/me/Mix.cfg"));
    Write(dir, QStringLiteral("k2"), QStringLiteral("w"), QStringLiteral("later"));
    Write(dir, QStringLiteral("WindowTitle"), QStringLiteral("Car"));
    Write(dir, QStringLiteral("n"), QStringLiteral("1"), QStringLiteral("new"));
    EXPECT_EQ(ReadAll(dir / kIni), "; written by hand\r\n"
                                   "stray line\r\n"
                                   "[Settings]\r\n"
                                   "WindowTitle=Car\r\n"
                                   "; comment=not a key\r\n"
                                   "Unknown=\xff\xfe raw bytes\r\n"
                                   "LoadFile=/home/me/Mix.cfg\r\n"
                                   "\r\n"
                                   "[later]\r\n"
                                   "k=v\r\n"
                                   "k2=w\r\n"
                                   "[new]\r\n"
                                   "n=1\r\n");
}

TEST(Preferences, ValuesAreTrimmedAndCut)
{
    TempFolder dir;
    const QString long600(600, u'v');
    dir.Write(kIni, "[settings]\n"
                    "title=\t  spaced out \t\n"
                    "long=" +
                        long600.toUtf8() +
                        "\n"
                        "empty=\n"
                        "[settings]\n"
                        "second=only in the second section\n");
    EXPECT_EQ(Read(dir, QStringLiteral("title")), u"spaced out");
    EXPECT_EQ(Read(dir, QStringLiteral("long")), long600.left(511));
    EXPECT_EQ(Read(dir, QStringLiteral("empty"), QStringLiteral("d")), QString());
    EXPECT_EQ(Read(dir, QStringLiteral("second"), QStringLiteral("d")), u"d");
    // The default loses its trailing spaces and is cut like a value.
    EXPECT_EQ(Read(dir, QStringLiteral("none"), QStringLiteral(" d  ")), u" d");
    EXPECT_EQ(Read(dir, QStringLiteral("none"), long600), long600.left(511));
}

TEST(Preferences, FailuresReadAsDefaultsAndWritesAreDropped)
{
    TempFolder dir;
    // A folder where the file should be: nothing can be read or written there.
    dir.MakeFolder(kIni);
    EXPECT_EQ(Read(dir, QStringLiteral("k"), QStringLiteral("d")), u"d");
    Write(dir, QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(Read(dir, QStringLiteral("k"), QStringLiteral("d")), u"d");

    // A missing folder is not created.
    WritePreference(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("settings"),
                    dir / QStringLiteral("missing"), kIni);
    EXPECT_FALSE(QFile::exists(dir / QStringLiteral("missing")));
}

TEST(Preferences, DefaultsToPendriftIniInTheDataFolder)
{
    const bool saved = DataFolderSwitch();
    SetDataFolderSwitch(true);
    const QString folder = GetDataFolder();
    MakeFolderPath(folder);
    QFile::remove(folder + QStringLiteral("/pendrift.ini"));

    WritePreference(QStringLiteral("maintop"), qint64(300));
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/pendrift.ini")), "[settings]\nmaintop=300\n");
    EXPECT_EQ(ReadPreference(QStringLiteral("MAINTOP"), QStringLiteral("-1")), u"300");
    EXPECT_TRUE(folder.endsWith(QStringLiteral("/Orlenna/Pendrift")));

    QFile::remove(folder + QStringLiteral("/pendrift.ini"));
    SetDataFolderSwitch(saved);
}
