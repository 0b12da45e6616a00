#include "support/ShellFileOperation.h"

#include "support/FileOperationProgress.h"
#include "support/Platform.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Big enough that the per-chunk work (a progress refresh, a writeback request) is noise, small
// enough that the window answers a Cancel click within a fraction of a second.
constexpr size_t kChunkBytes = size_t{4} << 20;
// Copied files wait under their temporary names until a batch is flushed with one syncfs: a
// flush per file would wait for the disk once per file, and every flush leaves the disk idle
// while the next files are read.
constexpr qint64 kBatchBytes = qint64{1} << 30;

struct OperationState
{
    std::unique_ptr<FileOperationProgress> progress;
    int failures = 0;
};

QString ErrnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

void Fail(OperationState& state, const QString& text)
{
    ++state.failures;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    if (state.progress)
        state.progress->AddFailure(text);
}

void Pump(OperationState& state)
{
    if (state.progress)
        state.progress->Pump();
}

bool CancelRequested(const OperationState& state)
{
    return state.progress && state.progress->CancelRequested();
}

// The entries of a double-NUL-terminated list; a text without NUL is one entry.
QStringList SplitPathList(const QString& list)
{
    QStringList paths;
    qsizetype start = 0;
    while (start < list.size()) {
        const qsizetype end = list.indexOf(QChar(0), start);
        const QString path = list.mid(start, end < 0 ? -1 : end - start);
        if (path.isEmpty())
            break;
        paths << path;
        if (end < 0)
            break;
        start = end + 1;
    }
    return paths;
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// Names the item about to be handled in the progress window, if there is one.
void ShowItem(OperationState& state, int number, const QString& path)
{
    if (state.progress) {
        state.progress->StartItem(number, FileNameOf(path));
        state.progress->Pump();
    }
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// mkdir -p; 0 or the errno of the level that could not be made.
int MakeFolders(const QByteArray& path)
{
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        const QByteArray level = path.left(i);
        if (::mkdir(level.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// ---- Copy ------------------------------------------------------------------------------------

// Every copy into a folder holds a locked file ".pendrift-<token>.lock" there while it works and
// writes its files as ".pendrift-<token>-<n>.part". A token whose lock can be taken (or whose
// lock file is gone) belongs to a copy that is over: killed, or failed before cleaning up.
// One lock per operation instead of one per file lets a batch hold any number of files without
// keeping them open.

constexpr int kTokenLength = 6;

QByteArray TempPrefix()
{
    return kCopyTempPrefix.toLatin1();
}

QByteArray LockName(const QByteArray& token)
{
    return TempPrefix() + token + kCopyLockSuffix.toLatin1();
}

// The token of a lock or temporary name of ours; empty for any other name.
QByteArray TokenOf(const QByteArray& name)
{
    const QByteArray prefix = TempPrefix();
    if (!name.startsWith(prefix) || name.size() <= prefix.size() + kTokenLength)
        return {};
    const QByteArray token = name.mid(prefix.size(), kTokenLength);
    const QByteArray rest = name.mid(prefix.size() + kTokenLength);
    if (rest == kCopyLockSuffix.toLatin1())
        return token;
    const QByteArray suffix = kCopyTempSuffix.toLatin1();
    if (rest.size() > 1 + suffix.size() && rest.startsWith('-') && rest.endsWith(suffix)) {
        const QByteArray number = rest.mid(1, rest.size() - 1 - suffix.size());
        if (std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return token;
    }
    return {};
}

bool CopyStillRunning(int dirFd, const QByteArray& token)
{
    const int fd = ::openat(dirFd, LockName(token).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Where the file system has no locks at all, nobody can hold one either.
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void RemoveLeftoverTemporaries(int dirFd)
{
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    std::vector<std::pair<QByteArray, QByteArray>> ours; // token, name
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const QByteArray token = TokenOf(name);
        if (!token.isEmpty())
            ours.emplace_back(token, name);
    }
    ::closedir(dir);
    // Temporaries before their lock, so that a copy is never seen without its lock.
    std::stable_partition(ours.begin(), ours.end(), [](const auto& entry) {
        return !entry.second.endsWith(kCopyLockSuffix.toLatin1());
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

struct PendingFile
{
    QByteArray tempName;  // inside the target folder
    QByteArray finalName; // inside the target folder
    QString source;
};

struct CopyTarget
{
    QString folder;
    int dirFd = -1;
    int lockFd = -1;
    QByteArray token;
    int tempCount = 0;
    mode_t umask = 022;
    std::vector<PendingFile> pending;
    qint64 pendingBytes = 0;
};

QString CopyFailureText(const QString& source, const CopyTarget& target, int err)
{
    return QStringLiteral("Cannot copy \"%1\" to \"%2\": %3")
        .arg(source, target.folder, ErrnoText(err));
}

// Takes the folder for this operation: the lock file that tells other copies our temporaries
// are in use. 0 or an errno.
int LockTarget(CopyTarget& target)
{
    for (int attempt = 1;; ++attempt) {
        QByteArray path = Platform::Encode(target.folder + u'/' + kCopyTempPrefix) +
                          QByteArray(kTokenLength, 'X') + kCopyLockSuffix.toLatin1();
        target.lockFd =
            ::mkostemps(path.data(), static_cast<int>(kCopyLockSuffix.size()), O_CLOEXEC);
        if (target.lockFd < 0)
            return errno;
        ::flock(target.lockFd, LOCK_EX | LOCK_NB);
        const qsizetype start = path.size() - kCopyLockSuffix.size() - kTokenLength;
        target.token = path.mid(start, kTokenLength);
        // Another copy clearing leftovers may have taken the file for a dead one between its
        // creation and the lock; then it is gone from the folder and a new one is needed.
        struct stat held = {};
        struct stat named = {};
        if (::fstat(target.lockFd, &held) == 0 &&
            ::fstatat(target.dirFd, LockName(target.token).constData(), &named,
                      AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_ino == named.st_ino)
            return 0;
        if (attempt == 3)
            return 0; // whatever happens here, real names stay whole

        ::close(target.lockFd);
    }
}

void UnlockTarget(CopyTarget& target)
{
    ::unlinkat(target.dirFd, LockName(target.token).constData(), 0);
    ::close(target.lockFd);
}

// Flushes the batch's data to disk, then gives each file its real name.
void CommitBatch(OperationState& state, CopyTarget& target)
{
    if (target.pending.empty())
        return;
    // One syncfs waits for all of them at once; when it reports an error, a flush per file
    // finds out which ones are affected.
    const bool allFlushed = ::syncfs(target.dirFd) == 0;
    for (const PendingFile& file : target.pending) {
        int err = 0;
        if (!allFlushed) {
            const int fd = ::openat(target.dirFd, file.tempName.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::fdatasync(fd) != 0)
                err = errno;
            if (fd >= 0)
                ::close(fd);
        }
        if (err == 0 && ::renameat(target.dirFd, file.tempName.constData(), target.dirFd,
                                   file.finalName.constData()) != 0)
            err = errno;
        if (err != 0) {
            Fail(state, CopyFailureText(file.source, target, err));
            ::unlinkat(target.dirFd, file.tempName.constData(), 0);
        }
    }
    // The new names themselves.
    ::fsync(target.dirFd);
    target.pending.clear();
    target.pendingBytes = 0;
}

enum class CopyResult
{
    Done,
    Failed,
    Cancelled
};

// Copies the whole of `in` to `out`, in chunks; errno in `err` when it fails.
CopyResult CopyData(OperationState& state, int in, int out, int& err)
{
    enum class Method
    {
        CopyRange,
        SendFile,
        ReadWrite
    };
    Method method = Method::CopyRange;
    std::vector<char> buffer;
    off_t written = 0;
    for (;;) {
        ssize_t n = 0;
        if (method == Method::CopyRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, kChunkBytes, 0);
            // Not between these two file systems, or not here at all: step down. A zero at the
            // very start may also mean a file system that cannot do it, so the next method
            // decides whether the file is really empty.
            if ((n < 0 &&
                 (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) ||
                (n == 0 && written == 0)) {
                method = Method::SendFile;
                continue;
            }
        } else if (method == Method::SendFile) {
            n = ::sendfile(out, in, nullptr, kChunkBytes);
            if ((n < 0 && (errno == EINVAL || errno == ENOSYS)) || (n == 0 && written == 0)) {
                method = Method::ReadWrite;
                continue;
            }
        } else {
            buffer.resize(kChunkBytes);
            n = ::read(in, buffer.data(), buffer.size());
            for (ssize_t done = 0; n > 0 && done < n;) {
                const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    err = w < 0 ? errno : EIO;
                    return CopyResult::Failed;
                }
                done += w;
            }
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return CopyResult::Failed;
        }
        if (n == 0)
            return CopyResult::Done;
        // Start writing this chunk to the disk now, so that the batch's flush finds most of
        // the work done instead of starting it.
        ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
        written += n;
        if (state.progress) {
            state.progress->AddBytes(n);
            state.progress->Pump();
        }
        if (CancelRequested(state))
            return CopyResult::Cancelled;
    }
}

// A new temporary of this operation in the target folder; -1 with errno set when it fails.
int CreateTemporary(CopyTarget& target, QByteArray& name)
{
    for (;;) {
        name = TempPrefix() + target.token + '-' + QByteArray::number(++target.tempCount) +
               kCopyTempSuffix.toLatin1();
        const int fd =
            ::openat(target.dirFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Copies one file to a temporary in the target folder and adds it to the batch.
// Returns false when the operation was cancelled during this file.
bool CopyOneFile(OperationState& state, CopyTarget& target, const QString& source)
{
    const QString name = FileNameOf(source);
    const int in = ::open(Platform::Encode(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        Fail(state, CopyFailureText(source, target, errno));
        return true;
    }
    struct stat st = {};
    int err = ::fstat(in, &st) == 0 ? 0 : errno;
    if (err == 0 && !S_ISREG(st.st_mode))
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (err == 0 && name.isEmpty())
        err = EINVAL;
    PendingFile file;
    const int out = err == 0 ? CreateTemporary(target, file.tempName) : -1;
    if (err == 0 && out < 0)
        err = errno;
    if (err != 0) {
        ::close(in);
        Fail(state, CopyFailureText(source, target, err));
        return true;
    }
    file.finalName = Platform::Encode(name);
    file.source = source;

    const CopyResult result = CopyData(state, in, out, err);
    ::close(in);
    if (result == CopyResult::Done) {
        // As a plain cp would: the source's permissions less the umask. The modification time
        // is kept, as file managers do. Neither is possible everywhere (FAT), and neither
        // matters enough to fail the copy.
        ::fchmod(out, st.st_mode & 0777 & ~target.umask);
        const timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
        ::futimens(out, times);
    }
    if (::close(out) != 0 && result == CopyResult::Done) {
        err = errno;
        Fail(state, CopyFailureText(source, target, err));
        ::unlinkat(target.dirFd, file.tempName.constData(), 0);
        return true;
    }
    if (result != CopyResult::Done) {
        ::unlinkat(target.dirFd, file.tempName.constData(), 0);
        if (result == CopyResult::Cancelled)
            return false;
        Fail(state, CopyFailureText(source, target, err));
        return true;
    }

    target.pending.push_back(file);
    target.pendingBytes += st.st_size;
    if (target.pendingBytes >= kBatchBytes)
        CommitBatch(state, target);
    return true;
}

qint64 TotalSize(const QStringList& sources)
{
    qint64 total = 0;
    for (const QString& source : sources) {
        struct stat st = {};
        if (::stat(Platform::Encode(source).constData(), &st) == 0 && S_ISREG(st.st_mode))
            total += st.st_size;
    }
    return total;
}

int CopyFiles(OperationState& state, const QStringList& sources, const QString& targetFolder)
{
    if (sources.isEmpty())
        return 0;
    if (FileOperationProgress::Wanted())
        state.progress = std::make_unique<FileOperationProgress>(FileOperationProgress::Kind::Copy,
                                                                 static_cast<int>(sources.size()),
                                                                 TotalSize(sources));

    CopyTarget target;
    target.folder = targetFolder.size() > 1 && targetFolder.endsWith(u'/') ? targetFolder.chopped(1)
                                                                           : targetFolder;
    target.umask = CurrentUmask();
    const QByteArray folder = Platform::Encode(target.folder);
    int err = folder.isEmpty() ? ENOENT : MakeFolders(folder);
    if (err == 0) {
        target.dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (target.dirFd < 0)
            err = errno;
    }
    if (err == 0) {
        RemoveLeftoverTemporaries(target.dirFd);
        err = LockTarget(target);
        if (err != 0)
            ::close(target.dirFd);
    }
    if (err != 0) {
        Fail(state,
             QStringLiteral("Cannot copy into \"%1\": %2").arg(target.folder, ErrnoText(err)));
        state.failures = static_cast<int>(sources.size());
        return state.failures;
    }

    int number = 0;
    for (const QString& source : sources) {
        if (CancelRequested(state))
            break;
        ShowItem(state, ++number, source);
        if (!CopyOneFile(state, target, source)) {
            --number; // the cancelled file was not copied
            break;
        }
    }
    CommitBatch(state, target);
    UnlockTarget(target);
    ::close(target.dirFd);
    const int notCopied = static_cast<int>(sources.size()) - number;
    return state.failures + notCopied;
}

// ---- Delete ----------------------------------------------------------------------------------

// The device of the user's trash folder, or of its nearest existing parent.
bool TrashDevice(dev_t& device)
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (path.isEmpty())
        return false;
    path += QStringLiteral("/Trash");
    while (!path.isEmpty()) {
        struct stat st = {};
        if (::stat(Platform::Encode(path).constData(), &st) == 0) {
            device = st.st_dev;
            return true;
        }
        const qsizetype slash = path.lastIndexOf(u'/');
        path = slash > 0 ? path.left(slash)
                         : (slash == 0 && path != u"/" ? QStringLiteral("/") : QString());
    }
    return false;
}

QString DeleteFailureText(const QString& path, int err)
{
    return QStringLiteral("Cannot delete \"%1\": %2").arg(path, ErrnoText(err));
}

// Deletes `name` in the folder `parentFd` for good, a folder with everything inside it.
// `path` names it in messages. Returns whether everything went.
bool RemoveForGood(OperationState& state, int parentFd, const QByteArray& name, const QString& path,
                   bool isDirectory)
{
    Pump(state);
    if (!isDirectory) {
        if (::unlinkat(parentFd, name.constData(), 0) == 0)
            return true;
        Fail(state, DeleteFailureText(path, errno));
        return false;
    }
    const int fd =
        ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        Fail(state, DeleteFailureText(path, err));
        return false;
    }
    // Names first: the folder is not changed while it is being read.
    std::vector<std::pair<QByteArray, bool>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        bool sub = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st = {};
            sub =
                ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        entries.emplace_back(QByteArray(entry->d_name), sub);
    }
    bool ok = true;
    for (const auto& [entryName, sub] : entries)
        ok &= RemoveForGood(state, fd, entryName, path + u'/' + QFile::decodeName(entryName), sub);
    ::closedir(dir);
    if (!ok)
        return false; // the folder is not empty; its contents' failures are already listed
    if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0)
        return true;
    Fail(state, DeleteFailureText(path, errno));
    return false;
}

// The items a delete path stands for (a last "*.*" or "*" means all of its folder), or an error.
int ExpandDeletePath(const QString& pattern, QStringList& items)
{
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString last = pattern.mid(slash + 1);
    if (last != u"*.*" && last != u"*") {
        QString path = pattern;
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        items << path;
        return 0;
    }
    const QString folder = slash < 0 ? QStringLiteral(".") : pattern.left(slash);
    DIR* dir =
        ::opendir(Platform::Encode(folder.isEmpty() ? QStringLiteral("/") : folder).constData());
    if (!dir)
        return errno;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    names.sort();
    for (const QString& name : names)
        items << folder + u'/' + name;
    return 0;
}

void DeleteItem(OperationState& state, const QString& path, bool trashKnown, dev_t trashDevice)
{
    const QByteArray encoded = Platform::Encode(path);
    struct stat st = {};
    if (::lstat(encoded.constData(), &st) != 0) {
        Fail(state, DeleteFailureText(path, errno));
        return;
    }
    if (trashKnown && st.st_dev == trashDevice) {
        // A fresh account may have no data folder yet; the trash is made inside it.
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        if (QFile::moveToTrash(path))
            return;
        // A dangling link cannot be trashed; there is nothing in it to get back.
        if (S_ISLNK(st.st_mode) && ::unlink(encoded.constData()) == 0)
            return;
        Fail(state, QStringLiteral("Cannot move \"%1\" to the trash").arg(path));
        return;
    }
    RemoveForGood(state, AT_FDCWD, encoded, path, S_ISDIR(st.st_mode));
}

int DeleteItems(OperationState& state, const QStringList& paths)
{
    QStringList items;
    QStringList unreadable;
    for (const QString& pattern : paths) {
        if (const int err = ExpandDeletePath(pattern, items))
            unreadable << DeleteFailureText(pattern, err);
    }
    if (items.isEmpty() && unreadable.isEmpty())
        return 0;
    if (FileOperationProgress::Wanted())
        state.progress = std::make_unique<FileOperationProgress>(
            FileOperationProgress::Kind::Delete, static_cast<int>(items.size()), 0);
    for (const QString& text : unreadable)
        Fail(state, text);

    dev_t trashDevice = 0;
    const bool trashKnown = TrashDevice(trashDevice);
    int number = 0;
    for (const QString& item : items) {
        if (CancelRequested(state))
            break;
        ShowItem(state, ++number, item);
        const int before = state.failures;
        DeleteItem(state, item, trashKnown, trashDevice);
        // An item counts once however many of its contents failed.
        state.failures = std::min(state.failures, before + 1);
    }
    return state.failures + static_cast<int>(items.size()) - number;
}

} // namespace

int ShellFileOperation(int operation, const QString& sourceList, const QString& targetList)
{
    OperationState state;
    int result = 0;
    switch (operation) {
    case ShellOperation::Copy:
        result = CopyFiles(state, SplitPathList(sourceList), SplitPathList(targetList).value(0));
        break;
    case ShellOperation::Delete: result = DeleteItems(state, SplitPathList(sourceList)); break;
    default: Fail(state, QStringLiteral("Unknown file operation %1").arg(operation)); return 1;
    }
    if (state.progress && state.progress->Finish())
        state.progress.release(); // stays open with its failures; deletes itself on close
    return result;
}

int DeleteFilesToRecycle(const QStringList& paths)
{
    QString list;
    for (const QString& pattern : paths)
        list += pattern + QChar(0);
    list += QChar(0);
    return ShellFileOperation(ShellOperation::Delete, list, QString());
}
