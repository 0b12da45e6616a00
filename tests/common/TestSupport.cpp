#include "tests/common/TestSupport.h"

#include "base/AppError.h"
#include "base/Dialogs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ostream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

ScriptedDialogs::ScriptedDialogs()
    : m_answerer(new ScriptedDialogAnswerer),
      m_previous(Dialogs::SetAnswerer(std::unique_ptr<DialogAnswerer>(m_answerer)))
{
}

ScriptedDialogs::~ScriptedDialogs()
{
    EXPECT_EQ(m_answerer->Pending(), 0) << "scripted answers were never asked for";
    Dialogs::SetAnswerer(std::move(m_previous));
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

// Runs a tool; empty when it ended well, otherwise what went wrong. Its output in `out`.
QString RunTool(const QString& program, const QStringList& arguments, QByteArray* out = nullptr)
{
    const QString found = QStandardPaths::findExecutable(
        program, {u"/usr/bin"_s, u"/bin"_s, u"/usr/sbin"_s, u"/sbin"_s});
    if (found.isEmpty())
        return program + u" is not installed"_s;
    QProcess process;
    process.start(found, arguments);
    const bool ended = process.waitForFinished(30000);
    if (out)
        *out = process.readAllStandardOutput();
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + u" failed: "_s +
               QString::fromLocal8Bit(process.readAllStandardError() +
                                      (out ? *out : process.readAllStandardOutput()))
                   .trimmed();
    return {};
}

bool IsMountPoint(const QString& path)
{
    return ReadAll(u"/proc/self/mountinfo"_s)
        .contains(QByteArray(' ' + QFile::encodeName(path) + ' '));
}

} // namespace

FuseStick::FuseStick(int megabytes, Kind kind)
{
    QDir().mkpath(path());
    if (kind == Kind::Fat32) {
        m_unavailable = RunTool(u"mkfs.vfat"_s, {u"-C"_s, u"-F"_s, u"32"_s, image(),
                                                 QString::number(megabytes * 1024)});
        if (m_unavailable.isEmpty())
            m_unavailable = Plug();
    } else {
        QFile file(image());
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64{megabytes} << 20))
            m_unavailable = u"cannot make the image"_s;
        file.close();
        if (m_unavailable.isEmpty())
            m_unavailable = RunTool(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, image()});
        // Files and folders show as the user's own.
        if (m_unavailable.isEmpty())
            m_unavailable = Mount(u"fuse2fs"_s, {image(), path(), u"-o"_s, u"fakeroot"_s});
    }
}

QString FuseStick::Mount(const QString& driver, QStringList arguments)
{
    const QString found = QStandardPaths::findExecutable(
        driver, {u"/usr/bin"_s, u"/bin"_s, u"/usr/sbin"_s, u"/sbin"_s});
    if (found.isEmpty())
        return driver + u" is not installed"_s;
    // In the foreground, so that unmounting can wait until the driver has written its last
    // blocks into the image.
    // Its chatter goes to a file: a full pipe would stop it.
    const QString log = m_dir / u"driver.log"_s;
    m_driver = std::make_unique<QProcess>();
    m_driver->setProcessChannelMode(QProcess::MergedChannels);
    m_driver->setStandardOutputFile(log);
    m_driver->start(found, arguments << u"-f"_s);
    for (int waited = 0; waited < 100 && !IsMountPoint(path()); ++waited) {
        if (m_driver->waitForFinished(100))
            return driver + u" failed: "_s + QString::fromLocal8Bit(ReadAll(log)).trimmed();
    }
    return IsMountPoint(path()) ? QString() : u"the image was not mounted"_s;
}

void FuseStick::Unmount()
{
    // The driver may still be busy with the last writes for a moment.
    for (int attempt = 0; attempt < 50 && IsMountPoint(path()); ++attempt) {
        if (RunTool(u"fusermount"_s, {u"-u"_s, path()}).isEmpty())
            break;
        QThread::msleep(100);
    }
    if (m_driver && m_driver->state() != QProcess::NotRunning && !m_driver->waitForFinished(30000))
        m_driver->kill();
}

void FuseStick::Pull()
{
    if (m_driver) {
        m_driver->kill();
        m_driver->waitForFinished(30000);
    }
}

QString FuseStick::Plug()
{
    return Mount(u"fusefat"_s, {u"-o"_s, u"rw+"_s, image(), path()});
}

QStringList FuseStick::Listing(const QString& folder) const
{
    QByteArray out;
    const QString failure =
        RunTool(u"mdir"_s, {u"-b"_s, u"-a"_s, u"-i"_s, image(), u"::"_s + folder}, &out);
    QStringList names;
    for (const QString& line : QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts))
        names << QDir(line).dirName(); // "::/Music/a.mp3", a folder with a last "/"
    return failure.isEmpty() ? names : QStringList{failure};
}

QString FuseStick::Check() const
{
    return RunTool(u"fsck.vfat"_s, {u"-n"_s, image()});
}

ScopedEnv::ScopedEnv(const char* name, const QString& value) : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    qputenv(name, QFile::encodeName(value));
}

TempDataFolder::TempDataFolder()
    : m_env("XDG_CONFIG_HOME", m_root.path()), m_savedSwitch(DataFolderSwitch())
{
    SetDataFolderSwitch(true);
    MakeFolderPath(GetDataFolder());
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
    const QByteArray path = QFile::encodeName(folder);
    if (::setxattr(path.constData(), "user.probe", "1", 1, 0) != 0)
        return u"no user extended attributes here: "_s +
               QString::fromLocal8Bit(std::strerror(errno));
    ::removexattr(path.constData(), "user.probe");
    return {};
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

int InChild(const std::function<int()>& action, qint64 fileSizeLimit)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of the process
            const auto bytes = static_cast<rlim_t>(fileSizeLimit);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        int code = 0;
        const int error = ErrorOf([&] { code = action(); });
        ::_exit(error != 0 ? error & 0xFF : code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
