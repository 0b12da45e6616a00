#include "platform/Platform.h"

#include "base/AppError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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
    return QDir::tempPath();
}

std::optional<quint64> TrashDevice()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (path.isEmpty())
        return std::nullopt;
    path += QStringLiteral("/Trash");
    while (!path.isEmpty()) {
        struct stat st = {};
        if (::stat(Encode(path).constData(), &st) == 0)
            return static_cast<quint64>(st.st_dev);
        const qsizetype slash = path.lastIndexOf(u'/');
        path = slash > 0 ? path.left(slash)
                         : (slash == 0 && path != u"/" ? QStringLiteral("/") : QString());
    }
    return std::nullopt;
}

QString CreateUniqueFile(const QString& folder, const QString& prefix)
{
    QString dir = folder.isEmpty() ? QStringLiteral(".") : folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    QTemporaryFile file(dir + prefix + QStringLiteral("XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return QFileInfo(file.fileName()).absoluteFilePath();
}

QString ConfigFolder()
{
    // Not QStandardPaths: Qt 6.4 takes a relative $XDG_CONFIG_HOME as it stands, and gives
    // "//.config" without a home, where the XDG rules skip the one and we know nothing.
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

QString CanonicalPath(const QString& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path absolute =
        fs::absolute(Encode(path.isEmpty() ? QStringLiteral(".") : path).toStdString(), error);
    fs::path resolved = fs::weakly_canonical(absolute, error);
    // A part that cannot be examined (no permission) ends the resolving; keep the text.
    if (error)
        resolved = absolute.lexically_normal();
    QString result = QFile::decodeName(QByteArray::fromStdString(resolved.native()));
    // The missing tail keeps a trailing separator ("/a/missing/"); "/" itself keeps its own.
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

bool IsMountPoint(const QString& canonicalPath)
{
    const QStorageInfo storage(canonicalPath);
    return storage.isValid() && storage.rootPath() == canonicalPath;
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
        RaiseError(ErrorNumber::FileAlreadyExists);
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
