#include "platform/LockedFile.h"

#include "base/AppError.h"
#include "platform/Platform.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The mode a new file gets from open(..., 0666).
mode_t DefaultFileMode()
{
    return 0666 & ~Platform::CurrentUmask();
}

// Best effort: makes the rename itself durable. Failing here loses nothing already written.
void SyncFolder(const QByteArray& folder)
{
    const UniqueFd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// True when the name leads to the file open on the descriptor.
bool NamesFile(const QByteArray& name, int fd)
{
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::fstat(fd, &opened) == 0 && ::stat(name.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

LockedFile LockedFile::OpenExclusive(const QString& path)
{
    const QByteArray name = Platform::Encode(path);
    // A save elsewhere may rename a new file over the path between our open and our lock;
    // then the lock we got is on a file nobody will open again, so try the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        UniqueFd fd(::open(name.constData(), O_RDWR | O_CLOEXEC));
        if (!fd.valid())
            throw AppError::FromErrno(errno, path);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                RaiseError(ErrorNumber::PermissionDenied);
            throw AppError::FromErrno(errno, path);
        }
        if (NamesFile(name, fd.get()))
            return LockedFile(std::move(fd));
    }
    RaiseError(ErrorNumber::PermissionDenied);
}

LockedFile LockedFile::Share() const
{
    UniqueFd fd(::fcntl(m_fd.get(), F_DUPFD_CLOEXEC, 0));
    if (!fd.valid())
        throw AppError::FromErrno(errno, QString());
    return LockedFile(std::move(fd));
}

bool LockedFile::IsFileAt(const QString& path) const
{
    return m_fd.valid() && NamesFile(Platform::Encode(path), m_fd.get());
}

LockedFile LockedFile::ReplaceContents(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = Platform::Encode(path);
    const QByteArray folder = Platform::Encode(QFileInfo(path).absolutePath());

    struct stat existing
    {
    };
    const mode_t mode =
        ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777) : DefaultFileMode();

    QByteArray temp = folder + "/.pendrift-save-XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid()) {
        const int err = errno;
        if (err == ENOENT) // the folder is missing, not the file
            throw AppError(ErrorNumber::PathNotFound, AppError::FromErrno(err, path).description());
        throw AppError::FromErrno(err, path);
    }

    auto fail = [&]() {
        const int err = errno;
        fd.reset();
        ::unlink(temp.constData());
        throw AppError::FromErrno(err, path);
    };
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        fail();
    // Keep the document's permissions; a file system that cannot store them is no reason to
    // refuse the save.
    ::fchmod(fd.get(), mode);
    if (!WriteAll(fd.get(), bytes.constData(), bytes.size()))
        fail();
    if (::fsync(fd.get()) != 0)
        fail();
    if (::rename(temp.constData(), target.constData()) != 0)
        fail();
    SyncFolder(folder);
    return LockedFile(std::move(fd));
}
