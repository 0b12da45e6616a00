#include "tests/common/TestSupport.h"

#include "support/AppError.h"
#include "support/Dialogs.h"
#include "support/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

ScriptedDialogs::ScriptedDialogs()
{
    auto answerer = std::make_unique<ScriptedDialogAnswerer>();
    m_answerer = answerer.get();
    m_previous = Dialogs::SetAnswerer(std::move(answerer));
}

ScriptedDialogs::~ScriptedDialogs()
{
    EXPECT_EQ(m_answerer->Pending(), 0) << "scripted answers were never asked for";
    Dialogs::SetAnswerer(std::move(m_previous));
}

TempFolder::TempFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempFolder::Write(const QString& name, const QByteArray& bytes) const
{
    const QString full = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    file.write(bytes);
    return full;
}

QString TempFolder::MakeFolder(const QString& name) const
{
    const QString full = m_dir.filePath(name);
    EXPECT_TRUE(QDir().mkpath(full));
    return full;
}

namespace {

// Runs a tool; empty when it ended well, otherwise what went wrong.
QString RunTool(const QString& program, const QStringList& arguments)
{
    const QString found = QStandardPaths::findExecutable(program).isEmpty()
                              ? QStandardPaths::findExecutable(
                                    program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                              : QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return program + QStringLiteral(" is not installed");
    QProcess process;
    process.start(found, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") +
               QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return {};
}

bool IsMountPoint(const QString& path)
{
    return ReadAll(QStringLiteral("/proc/self/mountinfo"))
        .contains(QByteArray(' ' + QFile::encodeName(path) + ' '));
}

} // namespace

FatStick::FatStick(int megabytes)
{
    const QString image = m_dir / QStringLiteral("stick.img");
    QDir().mkpath(path());
    if (!QFileInfo(QStringLiteral("/dev/fuse")).isWritable()) {
        m_unavailable = QStringLiteral("/dev/fuse cannot be opened here");
        return;
    }
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(megabytes) << 20)) {
        m_unavailable = QStringLiteral("cannot make the image file");
        return;
    }
    file.close();
    m_unavailable =
        RunTool(QStringLiteral("mkfs.vfat"), {QStringLiteral("-F"), QStringLiteral("32"), image});
    if (m_unavailable.isEmpty())
        m_unavailable = RunTool(QStringLiteral("fusefat"),
                                {QStringLiteral("-o"), QStringLiteral("rw+"), image, path()});
    if (m_unavailable.isEmpty() && !IsMountPoint(path()))
        m_unavailable = QStringLiteral("fusefat did not mount the image");
}

FatStick::~FatStick()
{
    // The driver may still be busy with the last writes for a moment.
    for (int attempt = 0; attempt < 50 && IsMountPoint(path()); ++attempt) {
        if (RunTool(QStringLiteral("fusermount"), {QStringLiteral("-u"), path()}).isEmpty())
            break;
        QThread::msleep(100);
    }
}

ScopedEnv::ScopedEnv(const char* name, const QString& value) : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    qputenv(name, QFile::encodeName(value));
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        qputenv(m_name, *m_old);
    else
        qunsetenv(m_name);
}

TempDataFolder::TempDataFolder()
    : m_env("XDG_CONFIG_HOME", m_root.path()), m_savedSwitch(DataFolderSwitch())
{
    SetDataFolderSwitch(true);
    MakeFolderPath(GetDataFolder());
}

TempDataFolder::~TempDataFolder()
{
    SetDataFolderSwitch(m_savedSwitch);
}

QString TempDataFolder::operator/(const QString& name) const
{
    return GetDataFolder() + u'/' + name;
}

void ExpectBox(const DialogRequest& request, const QString& text, MsgIcon icon, MsgButtons buttons)
{
    EXPECT_EQ(request.kind, DialogRequest::Kind::Message) << text.toStdString();
    EXPECT_EQ(request.text, text);
    EXPECT_EQ(request.icon, icon) << text.toStdString();
    EXPECT_EQ(request.buttons, buttons) << text.toStdString();
}

QString NoUserXattrs(const QString& folder)
{
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.xattr-probe"));
    QFile(QFile::decodeName(probe)).open(QIODevice::WriteOnly);
    const int rc = ::setxattr(probe.constData(), "user.probe", "1", 1, 0);
    const int err = errno;
    QFile::remove(QFile::decodeName(probe));
    return rc == 0 ? QString()
                   : QStringLiteral("no user extended attributes here: ") +
                         QString::fromLocal8Bit(std::strerror(err));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QMap<QString, QByteArray> TreeOf(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString relative = QDir(folder).relativeFilePath(info.filePath());
        tree.insert(relative, info.isDir() ? QByteArray("/") : ReadAll(info.filePath()));
    }
    return tree;
}

int ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AppError& error) {
        return error.number();
    }
    return 0;
}

int InChild(const std::function<int()>& action)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 255;
        try {
            code = action();
        } catch (const AppError& error) {
            code = error.number() & 0xFF;
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
