#include "platform/private/CopyTemporaries.h"

#include "base/AppError.h"
#include "platform/DirectoryReader.h"
#include "platform/Platform.h"
#include "platform/ShellFileOperation.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

namespace {

// mkdtemp's six characters.
constexpr qsizetype kTokenLength = 6;

// The locked folder a name of ours belongs to (".pendrift-Ab12Cd" for itself and for
// ".pendrift-Ab12Cd-7"); empty for any other name.
QByteArray OwnerOf(const QByteArray& name)
{
    const QByteArray prefix = kCopyTempPrefix.toLatin1();
    const QByteArray owner = name.left(prefix.size() + kTokenLength);
    const QByteArray number = name.mid(owner.size() + 1);
    auto all = [](const QByteArray& text, bool letters) {
        return std::all_of(text.begin(), text.end(), [letters](char c) {
            return (c >= '0' && c <= '9') ||
                   (letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')));
        });
    };
    if (owner.size() != prefix.size() + kTokenLength || !owner.startsWith(prefix) ||
        !all(owner.mid(prefix.size()), true))
        return {};
    if (name == owner || (name.at(owner.size()) == '-' && !number.isEmpty() && all(number, false)))
        return owner;
    return {};
}

// Removes the locked folder `name`, open as `fd`, with everything in it.
void RemoveLockFolder(int dirFd, int fd, const QByteArray& name)
{
    std::vector<QByteArray> entries;
    DirectoryReader reader(fd, ".", DirectoryReader::Links::NotFollowed);
    try {
        while (reader.Next())
            entries.push_back(reader.rawName());
    } catch (const AppError&) {
        // A listing cut short: what was seen goes, the rest waits for the next copy.
    }
    reader.Close();
    for (const QByteArray& entry : entries)
        ::unlinkat(fd, entry.constData(), 0);
    ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
}

// Whether a copy still holds the locked folder `name`; one that is over is removed on the way.
// The lock is held meanwhile, so a copy that has just made the folder sees it go and makes
// another.
bool StillInUse(int dirFd, const QByteArray& name)
{
    const UniqueFd fd(
        ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return false;
    // Where the file system has no locks at all, nobody can hold one either.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return true;
    RemoveLockFolder(dirFd, fd.get(), name);
    return false;
}

} // namespace

CopyTemporaries::CopyTemporaries(const QString& folder) : m_folder(folder)
{
    if (m_folder.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    m_dirFd.reset(
        ::open(Platform::Encode(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st = {};
    struct statfs fs = {};
    if (!m_dirFd.valid() || ::fstat(m_dirFd.get(), &st) != 0 ||
        ::fstatfs(m_dirFd.get(), &fs) != 0) {
        m_error = errno;
        return;
    }
    m_device = st.st_dev;
    m_throughFuse = fs.f_type == FUSE_SUPER_MAGIC;
    m_ordered = m_throughFuse || fs.f_type == MSDOS_SUPER_MAGIC || fs.f_type == EXFAT_SUPER_MAGIC;

    std::vector<QByteArray> ours;
    DirectoryReader reader(m_dirFd.get(), ".", DirectoryReader::Links::NotFollowed);
    try {
        while (reader.Next()) {
            const QByteArray& name = reader.rawName();
            const QByteArray owner = OwnerOf(name);
            if (!owner.isEmpty() && reader.isDirectory() == (name == owner))
                ours.push_back(name);
            else if (reader.isDirectory())
                m_subfolders << name;
            else
                m_others << name;
        }
    } catch (const AppError&) {
        // A listing cut short: the leftovers not seen wait for the next copy.
    }
    reader.Close();
    QHash<QByteArray, bool> inUse;
    for (const QByteArray& name : ours) {
        const QByteArray owner = OwnerOf(name);
        auto known = inUse.constFind(owner);
        if (known == inUse.constEnd())
            known = inUse.insert(owner, StillInUse(m_dirFd.get(), owner));
        if (!*known && name != owner)
            ::unlinkat(m_dirFd.get(), name.constData(), 0);
    }
}

CopyTemporaries::~CopyTemporaries()
{
    if (m_lockFd.valid())
        RemoveLockFolder(m_dirFd.get(), m_lockFd.get(), m_lockName);
}

bool CopyTemporaries::IsSubfolder(const QByteArray& name) const
{
    if (m_subfolders.contains(name))
        return true;
    struct stat st = {};
    return m_others.contains(name) && ::fstatat(m_dirFd.get(), name.constData(), &st, 0) == 0 &&
           S_ISDIR(st.st_mode);
}

int CopyTemporaries::Lock()
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QByteArray path =
            Platform::Encode(m_folder + u'/' + kCopyTempPrefix) + QByteArray(kTokenLength, 'X');
        if (!::mkdtemp(path.data()))
            return errno;
        m_lockName = path.mid(path.lastIndexOf('/') + 1);
        m_lockFd.reset(::openat(m_dirFd.get(), m_lockName.constData(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!m_lockFd.valid())
            return errno;
        ::flock(m_lockFd.get(), LOCK_EX | LOCK_NB);
        // Another copy clearing leftovers may have taken the folder for a dead one between its
        // creation and the lock; then it is gone and a new one is needed.
        struct stat held = {};
        struct stat named = {};
        if (::fstat(m_lockFd.get(), &held) == 0 &&
            ::fstatat(m_dirFd.get(), m_lockName.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_ino == named.st_ino)
            return 0;
        m_lockFd.reset();
    }
    return EAGAIN;
}

int CopyTemporaries::MakeSubfolder(const QByteArray& name)
{
    if (m_ordered && !m_lockFd.valid())
        Lock(); // where it cannot be made, the subfolder may still be
    return ::mkdirat(m_dirFd.get(), name.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

UniqueFd CopyTemporaries::Create(QByteArray& name, mode_t mode)
{
    if (!m_lockFd.valid()) {
        if (const int err = Lock()) {
            errno = err;
            return UniqueFd();
        }
    }
    // Short names: a FAT folder is searched from its start for every name.
    name = QByteArray::number(++m_count);
    if (!m_ordered)
        name = m_lockName + '-' + name;
    return UniqueFd(
        ::openat(tempFd(), name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
}

int CopyTemporaries::Flush(const QByteArray& name) const
{
    const UniqueFd fd(::openat(tempFd(), name.constData(), O_RDONLY | O_CLOEXEC));
    const int err = !fd.valid() || ::fdatasync(fd.get()) != 0 ? errno : 0;
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP ? 0 : err;
}

int CopyTemporaries::Publish(const QByteArray& name, const QByteArray& realName) const
{
    return ::renameat(tempFd(), name.constData(), m_dirFd.get(), realName.constData()) == 0 ? 0
                                                                                            : errno;
}

void CopyTemporaries::Discard(const QByteArray& name) const
{
    ::unlinkat(tempFd(), name.constData(), 0);
}
