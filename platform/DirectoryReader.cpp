#include "platform/DirectoryReader.h"

#include "base/AppError.h"
#include "platform/Platform.h"
#include "platform/private/UniqueFd.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DIR* AsDir(void* handle)
{
    return static_cast<DIR*>(handle);
}

} // namespace

DirectoryReader::DirectoryReader(const QString& folder, Links links) : m_links(links)
{
    if (folder.isEmpty()) {
        m_openError = ENOENT;
        return;
    }
    Open(AT_FDCWD, Platform::Encode(folder), 0);
}

DirectoryReader::DirectoryReader(const DirectoryReader& parent, const QByteArray& name)
    : DirectoryReader(parent.fd(), name, parent.m_links)
{
}

DirectoryReader::DirectoryReader(int parentFd, const QByteArray& name, Links links) : m_links(links)
{
    if (parentFd < 0 && parentFd != AT_FDCWD) {
        m_openError = EBADF;
        return;
    }
    Open(parentFd, name, links == Links::NotFollowed ? O_NOFOLLOW : 0);
}

DirectoryReader::~DirectoryReader()
{
    Close();
}

void DirectoryReader::Open(int parentFd, const QByteArray& path, int flags)
{
    UniqueFd fd(::openat(parentFd, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags));
    struct stat st
    {
    };
    DIR* dir = fd.valid() && ::fstat(fd.get(), &st) == 0 ? ::fdopendir(fd.get()) : nullptr;
    if (!dir) {
        m_openError = errno;
        return;
    }
    fd.release(); // the DIR owns it now
    m_dir = dir;
    m_identity = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

int DirectoryReader::fd() const
{
    return m_dir ? ::dirfd(AsDir(m_dir)) : -1;
}

void DirectoryReader::Close()
{
    if (m_dir) {
        ::closedir(AsDir(m_dir));
        m_dir = nullptr;
    }
}

bool DirectoryReader::Next()
{
    if (!m_dir)
        return false;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(AsDir(m_dir));
        if (!entry) {
            if (errno != 0)
                throw AppError::FromErrno(errno);
            return false;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;

        const bool follow = m_links == Links::Followed;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || (follow && entry->d_type == DT_LNK)) {
            struct stat st
            {
            };
            if (::fstatat(fd(), name, &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
                // Gone since the listing, or a link to nothing (or to itself): nothing to read.
                if (errno == ENOENT || errno == ELOOP)
                    continue;
                throw AppError::FromErrno(errno, QFile::decodeName(name));
            }
            isDirectory = S_ISDIR(st.st_mode);
        }
        m_isDirectory = isDirectory;
        const qsizetype length = static_cast<qsizetype>(std::strlen(name));
        m_rawName.resize(length);
        std::memcpy(m_rawName.data(), name, static_cast<size_t>(length));
        DecodeName(name, length);
        return true;
    }
}

void DirectoryReader::DecodeName(const char* bytes, qsizetype length)
{
    // `bytes` is NUL-terminated; length saves a second scan.
    // Most names are plain ASCII: widen them into the reused buffer instead of allocating a
    // new string per entry, which dominates the cost of listing large trees.
    for (qsizetype i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
            m_name = QFile::decodeName(bytes);
            return;
        }
    }
    m_name.resize(length);
    QChar* out = m_name.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(static_cast<char16_t>(bytes[i]));
}
