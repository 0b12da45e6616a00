#include "support/CopyTemporaries.h"

#include "support/AppError.h"
#include "support/DirectoryReader.h"
#include "support/Platform.h"
#include "support/ShellFileOperation.h"

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

bool IsStagingName(const QByteArray& name)
{
    const QByteArray prefix = kCopyTempPrefix.toLatin1();
    return name.size() == prefix.size() + kTokenLength && name.startsWith(prefix) &&
           std::all_of(name.begin() + prefix.size(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

// Removes the staging folder `name`, whose open descriptor is `staging`, with everything in it.
void RemoveStaging(int dirFd, int staging, const QByteArray& name)
{
    std::vector<QByteArray> entries;
    DirectoryReader reader(staging, ".", DirectoryReader::Links::NotFollowed);
    try {
        while (reader.Next())
            entries.push_back(reader.rawName());
    } catch (const AppError&) {
        // A listing cut short: what was seen goes, the rest waits for the next copy.
    }
    reader.Close();
    for (const QByteArray& entry : entries)
        ::unlinkat(staging, entry.constData(), 0);
    ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
}

// Removes the staging folder `name` unless a copy still holds its lock. The lock is held
// meanwhile, so a copy that has just made the folder sees it go and makes another.
void RemoveIfDead(int dirFd, const QByteArray& name)
{
    const UniqueFd staging(
        ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    // Where the file system has no locks at all, nobody can hold one either.
    if (staging.valid() && (::flock(staging.get(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK))
        RemoveStaging(dirFd, staging.get(), name);
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
    if (!m_dirFd.valid() || ::fstat(m_dirFd.get(), &st) != 0) {
        m_error = errno;
        return;
    }
    m_device = st.st_dev;
    struct statfs fs = {};
    m_throughFuse = ::fstatfs(m_dirFd.get(), &fs) == 0 && fs.f_type == FUSE_SUPER_MAGIC;
    std::vector<QByteArray> dead;
    DirectoryReader reader(m_dirFd.get(), ".", DirectoryReader::Links::NotFollowed);
    try {
        while (reader.Next()) {
            if (reader.isDirectory() && IsStagingName(reader.rawName()))
                dead.push_back(reader.rawName());
            else if (reader.isDirectory())
                m_subfolders << reader.rawName();
            else
                m_others << reader.rawName();
        }
    } catch (const AppError&) {
        // A listing cut short: the leftovers not seen wait for the next copy.
    }
    reader.Close();
    for (const QByteArray& name : dead)
        RemoveIfDead(m_dirFd.get(), name);
}

CopyTemporaries::~CopyTemporaries()
{
    if (m_stagingFd.valid())
        RemoveStaging(m_dirFd.get(), m_stagingFd.get(), m_stagingName);
}

bool CopyTemporaries::IsSubfolder(const QByteArray& name) const
{
    if (m_subfolders.contains(name))
        return true;
    struct stat st = {};
    return m_others.contains(name) && ::fstatat(m_dirFd.get(), name.constData(), &st, 0) == 0 &&
           S_ISDIR(st.st_mode);
}

int CopyTemporaries::OpenStaging()
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QByteArray path =
            Platform::Encode(m_folder + u'/' + kCopyTempPrefix) + QByteArray(kTokenLength, 'X');
        if (!::mkdtemp(path.data()))
            return errno;
        m_stagingName = path.mid(path.lastIndexOf('/') + 1);
        m_stagingFd.reset(::openat(m_dirFd.get(), m_stagingName.constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!m_stagingFd.valid())
            return errno;
        ::flock(m_stagingFd.get(), LOCK_EX | LOCK_NB);
        // Another copy clearing leftovers may have taken the folder for a dead one between its
        // creation and the lock; then it is gone and a new one is needed.
        struct stat held = {};
        struct stat named = {};
        if (::fstat(m_stagingFd.get(), &held) == 0 &&
            ::fstatat(m_dirFd.get(), m_stagingName.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_ino == named.st_ino)
            return 0;
        m_stagingFd.reset();
    }
    return EAGAIN;
}

int CopyTemporaries::MakeSubfolder(const QByteArray& name)
{
    if (!m_stagingFd.valid())
        OpenStaging(); // where it cannot be made, the folder may still be
    return ::mkdirat(m_dirFd.get(), name.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

UniqueFd CopyTemporaries::Create(QByteArray& name, mode_t mode)
{
    if (!m_stagingFd.valid()) {
        if (const int err = OpenStaging()) {
            errno = err;
            return UniqueFd();
        }
    }
    // Short names: a FAT folder is searched from its start for every name.
    name = QByteArray::number(++m_count);
    return UniqueFd(::openat(m_stagingFd.get(), name.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
}

int CopyTemporaries::Flush(const QByteArray& name) const
{
    const UniqueFd fd(::openat(m_stagingFd.get(), name.constData(), O_RDONLY | O_CLOEXEC));
    const int err = !fd.valid() || ::fdatasync(fd.get()) != 0 ? errno : 0;
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP ? 0 : err;
}

int CopyTemporaries::Publish(const QByteArray& name, const QByteArray& realName) const
{
    return ::renameat(m_stagingFd.get(), name.constData(), m_dirFd.get(), realName.constData()) == 0
               ? 0
               : errno;
}

void CopyTemporaries::Discard(const QByteArray& name) const
{
    ::unlinkat(m_stagingFd.get(), name.constData(), 0);
}
