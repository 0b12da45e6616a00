#include "CBinaryINI.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

// Runs the program headless (no display variables) with its own config folder.
Outcome RunProgram(const QStringList& arguments, const QString& configHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PENDRIFT_EXE), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the program did not end by itself";
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// A job with a small library and one destination, stored as a settings document.
class Job
{
public:
    Job()
    {
        for (int i = 0; i < 4; ++i)
            m_root.Write(QStringLiteral("lib/t%1.mp3").arg(i), QByteArray(2000 + i, 'm'));
        m_root.MakeFolder(QStringLiteral("dest"));
    }
    QString Write(const QString& path, const QString& destination = {}) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        CBinaryINI document;
        document.SetFile(path);
        const QString section = QStringLiteral("settings");
        document.WriteValue(QStringLiteral("Library"), m_root / QStringLiteral("lib"), section);
        document.WriteValue(
            QStringLiteral("Destination"),
            destination.isNull() ? Destination() + QStringLiteral(",1,0") : destination, section);
        document.Commit();
        return path;
    }
    QString Destination() const { return m_root / QStringLiteral("dest"); }
    QString Config() const { return m_root / QStringLiteral("config"); }
    QString DataFolder() const { return Config() + QStringLiteral("/Orlenna/Pendrift"); }
    int Copied() const { return QDir(Destination()).entryList(QDir::Files).size(); }

private:
    TempFolder m_root;
};

} // namespace

TEST(Program, HelpEndsAtOnceAndRepeatedSwitchesAreReported)
{
    Job job;
    Outcome o = RunProgram({QStringLiteral("/a"), QStringLiteral("/?"), QStringLiteral("/f:Mix")},
                           job.Config());
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out + o.err, QString());
    EXPECT_TRUE(QDir(job.DataFolder()).exists());

    o = RunProgram({QStringLiteral("/a"), QStringLiteral("/A"), QStringLiteral("/f:Mix")},
                   job.Config());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, QStringLiteral("Pendrift: An error ocurred while initializing.\n"
                                    "(Error 457) This key is already associated with an "
                                    "element of this collection\n"
                                    "-> OK\n"));
}

TEST(Program, UnattendedRunOfANameInTheDataFolder)
{
    Job job;
    job.Write(job.DataFolder() + QStringLiteral("/My Mix.cfg"));
    const Outcome o = RunProgram({QStringLiteral("/q"), QStringLiteral("/a"),
                                  QStringLiteral("/f:My"), QStringLiteral("Mix")},
                                 job.Config());
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(job.Copied(), 4);
    const QStringList lines = o.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("Initializing..."));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Done in "))) << o.out.toStdString();
    // Nothing was asked: destinations are emptied without a question, no "Done!" box.
    EXPECT_EQ(o.err, QString());
    // The close sequence stored the window's place.
    const QByteArray ini = ReadAll(job.DataFolder() + QStringLiteral("/pendrift.ini"));
    EXPECT_TRUE(ini.contains("mainleft=")) << ini.constData();
    EXPECT_TRUE(ini.contains("RecentCfgs1=" + QFile::encodeName(job.DataFolder()) + "/My Mix.cfg"));
}

TEST(Program, PathsStopsAndMissingDocuments)
{
    Job job;
    TempFolder elsewhere;
    const QString path = job.Write(elsewhere / QStringLiteral("Job.cfg"));

    // "/f" with a path, without "/a": loaded and closed, nothing copied.
    Outcome o = RunProgram({QStringLiteral("/q"), QStringLiteral("/f:") + path}, job.Config());
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(job.Copied(), 0);
    EXPECT_TRUE(ReadAll(job.DataFolder() + QStringLiteral("/pendrift.ini"))
                    .contains(QFile::encodeName(path)));

    // A missing document.
    o = RunProgram({QStringLiteral("/q"), QStringLiteral("/a"), QStringLiteral("/f:Nothing")},
                   job.Config());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, QStringLiteral("Pendrift: File not found!\n-> OK\n"));

    // A validation stop: a destination at the root of a volume.
    job.Write(path, QStringLiteral("/,1,0"));
    o = RunProgram({QStringLiteral("/q"), QStringLiteral("/a"), QStringLiteral("/f:") + path},
                   job.Config());
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.contains(QStringLiteral("ROOT path."))) << o.err.toStdString();
    EXPECT_FALSE(o.out.contains(QStringLiteral("Done in")));

    // A file that is not a settings document: reported, and the program ends.
    const QString foreign = elsewhere.Write(QStringLiteral("notes.cfg"), "plain text notes here");
    o = RunProgram({QStringLiteral("/c"), QStringLiteral("/f:") + foreign}, job.Config());
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.contains(QStringLiteral("(Error 321) Invalid file format")))
        << o.err.toStdString();

    // An error in the middle of a run: the report, then the finish.
    job.Write(path, job.Destination() + QStringLiteral(",4096,0"));
    o = RunProgram({QStringLiteral("/q"), QStringLiteral("/a"), QStringLiteral("/f:") + path},
                   job.Config());
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.contains(QStringLiteral("(Error 6) Overflow")));
    EXPECT_TRUE(o.out.contains(QStringLiteral("Done in")));
}

TEST(Program, CommandLinesThatNeedAWindow)
{
    Job job;
    for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("/a")},
                                    QStringList{QStringLiteral("/a"), QStringLiteral("/f:Mix")},
                                    QStringList{QStringLiteral("/home/me/Mix.cfg")}}) {
        const Outcome o = RunProgram(args, job.Config());
        EXPECT_EQ(o.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(o.err.startsWith(QStringLiteral("pendrift: the window needs a display")));
        EXPECT_TRUE(o.err.contains(QStringLiteral("/f:<file> Settings file to load\n")));
    }
}
