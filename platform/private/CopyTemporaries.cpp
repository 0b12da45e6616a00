#include "platform/private/CopyTemporaries.h"

#include "base/AppError.h"
#include "platform/DirectoryReader.h"
#include "platform/Platform.h"
#include "platform/ShellFileOperation.h"

#include <QDir>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTokenLength = 6;

QByteArray Latin1(const QString& text)
{
    return text.toLatin1();
}

QByteArray LockName(const QByteArray& token)
{
    return Latin1(kCopyTempPrefix) + token + Latin1(kCopyLockSuffix);
}

// The token of a lock or temporary name of ours; empty for any other name.
QByteArray TokenOf(const QByteArray& name)
{
    const QByteArray prefix = Latin1(kCopyTempPrefix);
    if (!name.startsWith(prefix) || name.size() <= prefix.size() + kTokenLength)
        return {};
    const QByteArray token = name.mid(prefix.size(), kTokenLength);
    const QByteArray rest = name.mid(prefix.size() + kTokenLength);
    if (rest == Latin1(kCopyLockSuffix))
        return token;
    const QByteArray suffix = Latin1(kCopyTempSuffix);
    if (rest.size() > 1 + suffix.size() && rest.startsWith('-') && rest.endsWith(suffix)) {
        const QByteArray number = rest.mid(1, rest.size() - 1 - suffix.size());
        if (std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return token;
    }
    return {};
}

bool CopyStillRunning(int dirFd, const QByteArray& token)
{
    const UniqueFd fd(::openat(dirFd, LockName(token).constData(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    // Where the file system has no locks at all, nobody can hold one either.
    return fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

void RemoveLeftovers(int dirFd)
{
    std::vector<std::pair<QByteArray, QByteArray>> ours; // token, name
    DirectoryReader reader(dirFd, ".", DirectoryReader::Links::NotFollowed);
    try {
        while (reader.Next()) {
            const QByteArray token = TokenOf(reader.rawName());
            if (!token.isEmpty())
                ours.emplace_back(token, reader.rawName());
        }
    } catch (const AppError&) {
        // A listing cut short: what was seen is cleared, the rest waits for the next copy.
    }
    // Temporaries before their lock, so that a copy is never seen without its lock.
    std::stable_partition(ours.begin(), ours.end(), [](const auto& entry) {
        return !entry.second.endsWith(Latin1(kCopyLockSuffix));
    });
    QList<QByteArray> running;
    QList<QByteArray> over;
    for (const auto& [token, name] : ours) {
        if (running.contains(token))
            continue;
        if (!over.contains(token)) {
            if (CopyStillRunning(dirFd, token)) {
                running << token;
                continue;
            }
            over << token;
        }
        ::unlinkat(dirFd, name.constData(), 0);
    }
}

} // namespace

CopyTemporaries::CopyTemporaries(const QString& folder)
    : m_folder(folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder)
{
    if (m_folder.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    // mkpath says only whether it worked; opening the folder tells why it did not.
    QDir().mkpath(m_folder);
    m_dirFd.reset(
        ::open(Platform::Encode(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_dirFd.valid()) {
        m_error = errno;
        return;
    }
    RemoveLeftovers(m_dirFd.get());
    m_error = Lock();
}

CopyTemporaries::~CopyTemporaries()
{
    if (m_lockFd.valid())
        ::unlinkat(m_dirFd.get(), LockName(m_token).constData(), 0);
}

int CopyTemporaries::Lock()
{
    for (int attempt = 1;; ++attempt) {
        QByteArray path = Platform::Encode(m_folder + u'/' + kCopyTempPrefix) +
                          QByteArray(kTokenLength, 'X') + Latin1(kCopyLockSuffix);
        m_lockFd.reset(
            ::mkostemps(path.data(), static_cast<int>(kCopyLockSuffix.size()), O_CLOEXEC));
        if (!m_lockFd.valid())
            return errno;
        ::flock(m_lockFd.get(), LOCK_EX | LOCK_NB);
        m_token = path.mid(path.size() - kCopyLockSuffix.size() - kTokenLength, kTokenLength);
        // Another copy clearing leftovers may have taken the file for a dead one between its
        // creation and the lock; then it is gone from the folder and a new one is needed.
        struct stat held = {};
        struct stat named = {};
        if (::fstat(m_lockFd.get(), &held) == 0 &&
            ::fstatat(m_dirFd.get(), LockName(m_token).constData(), &named, AT_SYMLINK_NOFOLLOW) ==
                0 &&
            held.st_ino == named.st_ino)
            return 0;
        if (attempt == 3)
            return 0; // whatever happens here, real names stay whole
    }
}

UniqueFd CopyTemporaries::Create(QByteArray& name)
{
    for (;;) {
        name = Latin1(kCopyTempPrefix) + m_token + '-' + QByteArray::number(++m_count) +
               Latin1(kCopyTempSuffix);
        UniqueFd fd(::openat(m_dirFd.get(), name.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.valid() || errno != EEXIST)
            return fd;
    }
}
