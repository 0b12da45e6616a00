#include "platform/Platform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

QByteArray Encode(const QString& path)
{
    return QFile::encodeName(path);
}

namespace {

// Links followed; false for an empty path.
bool StatOf(const QString& path, struct stat& st)
{
    return !path.isEmpty() && ::stat(Encode(path).constData(), &st) == 0;
}

} // namespace

bool Exists(const QString& path)
{
    struct stat st
    {
    };
    return StatOf(path, st);
}

bool IsDirectory(const QString& path)
{
    struct stat st
    {
    };
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool IsFile(const QString& path)
{
    struct stat st
    {
    };
    return StatOf(path, st) && S_ISREG(st.st_mode);
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

quint32 CurrentUmask()
{
    // Read, not set and restored: between umask(0) and putting the old mask back, a file
    // made on another thread (the run's worker) would be open to everyone, and two threads
    // doing so at once could leave the mask at 0 for good.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:"))
            return static_cast<quint32>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool HasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

} // namespace Platform
