#include "support/Platform.h"

#include "support/AppError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

QByteArray Encode(const QString& path)
{
    return QFile::encodeName(path);
}

bool Exists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st
    {
    };
    return ::stat(Encode(path).constData(), &st) == 0;
}

bool IsDirectory(const QString& path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && ::stat(Encode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString TempFolder()
{
    const char* env = std::getenv("TMPDIR");
    if (env && *env)
        return QFile::decodeName(env);
    return QStringLiteral("/tmp");
}

QString CreateUniqueFile(const QString& folder, const QString& prefix)
{
    QString dir = folder.isEmpty() ? QStringLiteral(".") : folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    QByteArray templ = Encode(dir + prefix) + "XXXXXX";
    const int fd = ::mkstemp(templ.data());
    if (fd < 0)
        return {};
    ::close(fd);
    const QString created = QFile::decodeName(templ);
    return QFileInfo(created).isAbsolute() ? created : QDir::current().absoluteFilePath(created);
}

QString ConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return QFile::decodeName(xdg);
    const char* home = std::getenv("HOME");
    if (home && *home)
        return QFile::decodeName(home) + QStringLiteral("/.config");
    return {};
}

QString ExecutableFolder()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return QDir::currentPath();
    buffer[n] = '\0';
    return QFileInfo(QFile::decodeName(buffer)).absolutePath();
}

bool MakeDirectory(const QString& path)
{
    return !path.isEmpty() && ::mkdir(Encode(path).constData(), 0777) == 0;
}

QString CanonicalPath(const QString& path)
{
    QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    // Resolve the longest existing prefix; the rest is kept as typed.
    QString tail;
    while (!absolute.isEmpty() && absolute != QStringLiteral("/")) {
        char resolved[PATH_MAX + 1];
        if (::realpath(Encode(absolute).constData(), resolved)) {
            QString base = QFile::decodeName(resolved);
            return tail.isEmpty() ? base : QDir::cleanPath(base + u'/' + tail);
        }
        const qsizetype slash = absolute.lastIndexOf(u'/');
        tail = tail.isEmpty() ? absolute.mid(slash + 1) : absolute.mid(slash + 1) + u'/' + tail;
        absolute = slash <= 0 ? QStringLiteral("/") : absolute.left(slash);
    }
    return tail.isEmpty() ? QStringLiteral("/") : u'/' + tail;
}

namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo.
QString DecodeMountField(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += static_cast<char>(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

} // namespace

bool IsMountPoint(const QString& canonicalPath)
{
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (mounts.open(QIODevice::ReadOnly)) {
        // Files under /proc report no size, so read to the end instead of asking atEnd().
        const QList<QByteArray> lines = mounts.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 4 && DecodeMountField(fields.at(4)) == canonicalPath)
                return true;
        }
        return false;
    }
    // Without /proc: a folder on another device than its parent is a mount point.
    struct stat self
    {
    };
    struct stat parent
    {
    };
    if (::stat(Encode(canonicalPath).constData(), &self) != 0)
        return false;
    if (::stat(Encode(canonicalPath + QStringLiteral("/..")).constData(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

void RenameNoReplace(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, Encode(from).constData(), AT_FDCWD, Encode(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // A file system without the no-replace flag: test, then rename.
        struct stat st
        {
        };
        if (::lstat(Encode(to).constData(), &st) == 0)
            err = EEXIST;
        else if (::rename(Encode(from).constData(), Encode(to).constData()) == 0)
            return;
        else
            err = errno;
    }
    if (err == EEXIST)
        RaiseError(58);
    if (err == ENOENT)
        RaiseError(ErrorNumber::FileNotFound);
    throw AppError::FromErrno(err);
}

bool HasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

} // namespace Platform
