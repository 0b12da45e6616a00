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
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

TEST(Program, HelpSwitchEndsAtOnceAndCreatesTheDataFolder)
{
    TempFolder config;
    const Outcome o = RunProgram({QStringLiteral("/a"), QStringLiteral("/?"),
                                  QStringLiteral("/f:Mix")},
                                 config.path());
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, QString());
    EXPECT_EQ(o.err, QString());
    EXPECT_TRUE(QDir(config.path() + QStringLiteral("/Orlenna/Pendrift")).exists());
}

TEST(Program, RepeatedSwitchIsReportedOnTheConsole)
{
    TempFolder config;
    const Outcome o = RunProgram({QStringLiteral("/a"), QStringLiteral("/A"),
                                  QStringLiteral("/f:Mix")},
                                 config.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, QStringLiteral("Pendrift: An error ocurred while initializing.\n"
                                    "(Error 457) This key is already associated with an "
                                    "element of this collection\n"
                                    "-> OK\n"));
}
