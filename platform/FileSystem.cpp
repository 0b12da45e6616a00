#include "platform/FileSystem.h"

#include "base/AppError.h"
#include "platform/DirectoryReader.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/private/UniqueFd.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr int kSettableBits = FileAttribute::ReadOnly | FileAttribute::Hidden |
                              FileAttribute::System | FileAttribute::Archive;
constexpr int kReadableBits = kSettableBits | FileAttribute::Directory;

[[noreturn]] void RaiseFileError(int err, const QString& path)
{
    if (err == ENOENT)
        RaiseError(ErrorNumber::FileNotFound);
    throw AppError::FromErrno(err, path);
}

struct stat StatOrRaise(const QString& path, const QByteArray& native)
{
    struct stat st
    {
    };
    if (native.isEmpty())
        RaiseFileError(ENOENT, path);
    if (::stat(native.constData(), &st) != 0)
        RaiseFileError(errno, path);
    return st;
}

bool IsOnFat(const QByteArray& native)
{
    struct statfs fs
    {
    };
    return ::statfs(native.constData(), &fs) == 0 && fs.f_type == MSDOS_SUPER_MAGIC;
}

// Opens for the FAT attribute ioctls; O_NONBLOCK so that a special file never blocks.
UniqueFd OpenForIoctl(const QByteArray& native)
{
    return UniqueFd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

qint64 ModificationNanoseconds(const struct stat& st)
{
    return static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The mark counts only while it still names the current modification time; anything that
// cannot be read as such (no mark, no xattr support, another value) leaves the file new.
bool HasCurrentArchiveMark(const QByteArray& native, const struct stat& st)
{
    char value[64];
    const ssize_t n = ::getxattr(native.constData(), kArchiveMarkName, value, sizeof value - 1);
    if (n <= 0)
        return false;
    // Marks written by hand (setfattr, scripts) may end with a newline or a NUL.
    const QByteArray text = QByteArray(value, n).trimmed();
    const QByteArray withoutNul = text.endsWith('\0') ? text.chopped(1) : text;
    bool ok = false;
    const qint64 marked = withoutNul.toLongLong(&ok, 10);
    return ok && marked == ModificationNanoseconds(st);
}

bool IsHiddenName(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == u'/')
        --end;
    const qsizetype start = path.lastIndexOf(u'/', end - 1) + 1;
    const QStringView name = QStringView(path).mid(start, end - start);
    return name.startsWith(u'.') && name != u"." && name != u"..";
}

} // namespace

int GetAttr(const QString& path)
{
    const QByteArray native = Platform::Encode(path);
    const struct stat st = StatOrRaise(path, native);

    if (IsOnFat(native)) {
        const UniqueFd fd = OpenForIoctl(native);
        __u32 fat = 0;
        if (fd.valid() && ::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &fat) == 0)
            return static_cast<int>(fat) & kReadableBits;
        // Without access to the real bits, the emulation below still gives a fair answer.
    }

    int attributes = FileAttribute::Normal;
    if (S_ISDIR(st.st_mode))
        attributes |= FileAttribute::Directory;
    if (!(st.st_mode & S_IWUSR))
        attributes |= FileAttribute::ReadOnly;
    if (IsHiddenName(path))
        attributes |= FileAttribute::Hidden;
    if (!HasCurrentArchiveMark(native, st))
        attributes |= FileAttribute::Archive;
    return attributes;
}

void SetAttr(const QString& path, int attributes)
{
    if (attributes & ~kSettableBits)
        RaiseError(ErrorNumber::InvalidCall);
    const QByteArray native = Platform::Encode(path);
    const struct stat st = StatOrRaise(path, native);

    if (IsOnFat(native)) {
        const UniqueFd fd = OpenForIoctl(native);
        const __u32 fat = static_cast<__u32>(attributes);
        if (!fd.valid() || ::ioctl(fd.get(), FAT_IOCTL_SET_ATTRIBUTES, &fat) != 0)
            RaiseFileError(errno, path);
        return;
    }

    const bool readOnly = attributes & FileAttribute::ReadOnly;
    // Writing a user attribute needs write permission, so a file becomes writable before the
    // mark is written and read-only only after.
    if (!readOnly && !(st.st_mode & S_IWUSR)) {
        if (::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
            RaiseFileError(errno, path);
    }

    if (attributes & FileAttribute::Archive) {
        if (::removexattr(native.constData(), kArchiveMarkName) != 0 && errno != ENODATA &&
            errno != ENOTSUP)
            RaiseFileError(errno, path);
    } else {
        const QByteArray mark = QByteArray::number(ModificationNanoseconds(st));
        if (::setxattr(native.constData(), kArchiveMarkName, mark.constData(),
                       static_cast<size_t>(mark.size()), 0) != 0) {
            const int err = errno;
            // Not missing (we just saw it): every failure here is an access problem.
            throw AppError(err == EACCES || err == EPERM ? ErrorNumber::PermissionDenied
                                                         : ErrorNumber::PathFileAccess,
                           path + QStringLiteral(": ") +
                               QString::fromLocal8Bit(std::strerror(err)));
        }
    }

    if (readOnly && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
        if (::chmod(native.constData(), st.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH)) != 0)
            RaiseFileError(errno, path);
    }
}

FileFacts FileFactsReader::Read(const QString& path)
{
    const QByteArray native = Platform::Encode(path);
    const struct stat st = StatOrRaise(path, native);
    const auto device = static_cast<quint64>(st.st_dev);
    auto known = std::find_if(m_fatDevices.begin(), m_fatDevices.end(),
                              [device](const auto& entry) { return entry.first == device; });
    if (known == m_fatDevices.end())
        known = m_fatDevices.insert(m_fatDevices.end(), {device, IsOnFat(native)});
    FileFacts facts;
    facts.size = S_ISREG(st.st_mode) ? static_cast<qint64>(st.st_size) : 0;
    facts.isNew = known->second ? (GetAttr(path) & FileAttribute::Archive) != 0
                                : !HasCurrentArchiveMark(native, st);
    return facts;
}

QString WriteProblem(const QString& filePath)
{
    const QString folder = QFileInfo(filePath).absolutePath();
    const QByteArray nativeFolder = Platform::Encode(folder);
    struct stat st
    {
    };
    if (::stat(nativeFolder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOENT));
    if (::access(nativeFolder.constData(), W_OK | X_OK) != 0)
        return folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    const QByteArray native = Platform::Encode(filePath);
    if (::stat(native.constData(), &st) != 0)
        return {};
    if (S_ISDIR(st.st_mode))
        return filePath + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(EISDIR));
    if (::access(native.constData(), W_OK) != 0)
        return filePath + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QDateTime FileDateTime(const QString& path)
{
    const struct stat st = StatOrRaise(path, Platform::Encode(path));
    const qint64 ms = static_cast<qint64>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}

qint64 FolderSize(const QString& folder)
{
    DirectoryReader reader(AddTrailingSlash(folder));
    qint64 total = 0;
    while (reader.Next()) {
        if (reader.isDirectory())
            continue;
        struct stat st
        {
        };
        if (::fstatat(reader.fd(), reader.rawName().constData(), &st, 0) != 0) {
            if (errno == ENOENT)
                continue;
            throw AppError::FromErrno(errno, reader.name());
        }
        if (!S_ISREG(st.st_mode))
            continue;
        total += st.st_size;
    }
    return total;
}

FolderTotals CountFolderContents(const QString& folder, QStringList* names, qint64 blockSize)
{
    FolderTotals totals;
    const QByteArray native = Platform::Encode(RemoveTrailingSlash(folder));
    struct stat st
    {
    };
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return totals;
    DirectoryReader reader(AddTrailingSlash(folder));
    while (reader.Next()) {
        const QString path = AddTrailingSlash(folder) + reader.name();
        if (::lstat(Platform::Encode(path).constData(), &st) != 0)
            continue;
        if (names)
            names->append(reader.name());
        if (S_ISDIR(st.st_mode)) {
            const FolderTotals inner = CountFolderContents(path, names, blockSize);
            totals.files += inner.files;
            totals.bytes += inner.bytes;
            totals.blocksBytes += inner.blocksBytes;
        } else {
            const qint64 size = S_ISREG(st.st_mode) ? st.st_size : 0;
            const qint64 blocks = (size + blockSize - 1) / blockSize * blockSize;
            ++totals.files;
            totals.bytes += size;
            totals.blocksBytes += blocks;
            totals.blocksBytesInside += blocks;
        }
    }
    return totals;
}

FileSystemSpace SpaceOf(const QString& folder)
{
    QString existing = Platform::CanonicalPath(folder);
    struct stat st
    {
    };
    while (::stat(Platform::Encode(existing).constData(), &st) != 0 && existing.size() > 1)
        existing = QFileInfo(existing).absolutePath();
    FileSystemSpace space;
    struct statvfs fs
    {
    };
    if (::statvfs(Platform::Encode(existing).constData(), &fs) != 0)
        return space;
    space.device = static_cast<quint64>(st.st_dev);
    space.available = static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
    space.blockSize = std::max<qint64>(1, static_cast<qint64>(fs.f_frsize));
    const std::optional<quint64> trash = Platform::TrashDevice();
    space.trashes = trash && *trash == space.device;
    return space;
}

bool RefusesAwkwardNames(const QString& folder)
{
    QString existing = Platform::CanonicalPath(AddTrailingSlash(folder));
    while (!Platform::Exists(existing) && existing.size() > 1)
        existing = QFileInfo(existing).absolutePath();
    QByteArray type = QStorageInfo(existing).fileSystemType().toLower();
    if (type.startsWith("fuse."))
        type = type.mid(5);
    // fuseblk is how the FUSE drivers of NTFS and exFAT sticks show themselves.
    static const QByteArrayList refusing = {"vfat",  "msdos",   "fat",     "exfat",  "ntfs",
                                            "ntfs3", "fuseblk", "fusefat", "ntfs-3g"};
    return refusing.contains(type);
}
