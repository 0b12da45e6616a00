// The copy half of the file operations (see ShellFileOperation.h).

#include "platform/Platform.h"
#include "platform/ShellFileOperation.h"
#include "platform/private/CopyTemporaries.h"
#include "platform/private/FileOperationTracker.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Big enough that the per-chunk work (a progress refresh, a writeback request) is noise, small
// enough that the window answers a Cancel click within a fraction of a second.
constexpr size_t kChunkBytes = size_t{4} << 20;
// Copied files wait under their temporary names until a batch is flushed with one syncfs: a
// flush per file would wait for the disk once per file, and every flush leaves the disk idle
// while the next files are read.
constexpr qint64 kBatchBytes = qint64{1} << 30;

struct PendingFile
{
    qsizetype index; // of the source
    QByteArray tempName;
    QByteArray finalName;
};

struct TargetFolder
{
    explicit TargetFolder(const QString& path) : temporaries(path) {}
    CopyTemporaries temporaries;
    std::vector<PendingFile> pending;
    bool errorListed = false;
};

enum class Outcome
{
    Done,
    Failed,
    Cancelled
};

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

class CopyOperation
{
public:
    CopyOperation(const QStringList& sources, const QStringList& targets,
                  FileOperationObserver* observer)
        : m_sources(sources), m_targets(targets), m_tracker(observer)
    {
        m_tracker.result().arrived.fill(false, sources.size());
    }

    FileOperationResult Run();

private:
    QString FailureText(qsizetype index, int err) const
    {
        return QStringLiteral("Cannot copy \"%1\" to \"%2\": %3")
            .arg(m_sources.at(index), Target(index), QString::fromLocal8Bit(std::strerror(err)));
    }
    QString Target(qsizetype index) const
    {
        return m_targets.size() == m_sources.size() ? m_targets.at(index) : m_targets.value(0);
    }
    TargetFolder& FolderOf(const QString& folder);
    Outcome CopyOne(qsizetype index);
    Outcome CopyData(int in, int out, int& err);
    void CommitBatch();

    const QStringList& m_sources;
    const QStringList& m_targets;
    FileOperationTracker m_tracker;
    std::map<QString, std::unique_ptr<TargetFolder>> m_folders;
    qint64 m_pendingBytes = 0;
    const mode_t m_umask = CurrentUmask();
};

TargetFolder& CopyOperation::FolderOf(const QString& folder)
{
    std::unique_ptr<TargetFolder>& slot = m_folders[folder];
    if (!slot)
        slot = std::make_unique<TargetFolder>(folder);
    return *slot;
}

// Flushes the batch's data to disk, then gives each file its real name.
void CopyOperation::CommitBatch()
{
    for (auto& [path, folder] : m_folders) {
        if (folder->pending.empty())
            continue;
        const int dirFd = folder->temporaries.fd();
        // One syncfs waits for all of them at once; when it reports an error, a flush per file
        // finds out which ones are affected.
        const bool allFlushed = ::syncfs(dirFd) == 0;
        for (const PendingFile& file : folder->pending) {
            int err = 0;
            if (!allFlushed) {
                const UniqueFd fd(::openat(dirFd, file.tempName.constData(), O_RDONLY | O_CLOEXEC));
                if (!fd.valid() || ::fdatasync(fd.get()) != 0)
                    err = errno;
                // A file system that cannot flush at all has nothing to wait for.
                if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP)
                    err = 0;
            }
            if (err == 0 && ::renameat(dirFd, file.tempName.constData(), dirFd,
                                       file.finalName.constData()) != 0)
                err = errno;
            if (err == 0) {
                m_tracker.result().arrived[file.index] = true;
            } else {
                m_tracker.Fail(FailureText(file.index, err));
                ::unlinkat(dirFd, file.tempName.constData(), 0);
            }
        }
        // The new names themselves.
        ::fsync(dirFd);
        folder->pending.clear();
    }
    m_pendingBytes = 0;
}

// Copies the whole of `in` to `out`, in chunks; errno in `err` when it fails.
Outcome CopyOperation::CopyData(int in, int out, int& err)
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
                    return Outcome::Failed;
                }
                done += w;
            }
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return Outcome::Failed;
        }
        if (n == 0)
            return Outcome::Done;
        // Start writing this chunk to the disk now, so that the batch's flush finds most of
        // the work done instead of starting it.
        ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
        written += n;
        m_tracker.AddBytes(n);
        if (m_tracker.Cancelled())
            return Outcome::Cancelled;
    }
}

// Copies one file to a temporary in its target folder and adds it to the batch.
Outcome CopyOperation::CopyOne(qsizetype index)
{
    const QString& source = m_sources.at(index);
    QString target = Target(index);
    const bool intoFolder =
        m_targets.size() != m_sources.size() || target.endsWith(u'/') || QFileInfo(target).isDir();
    QString name = source.mid(source.lastIndexOf(u'/') + 1);
    if (!intoFolder) {
        name = target.mid(target.lastIndexOf(u'/') + 1);
        target.chop(name.size());
    }
    TargetFolder& folder =
        FolderOf(target.isEmpty() ? QStringLiteral(".") : QDir::cleanPath(target));
    if (const int err = folder.temporaries.error()) {
        // Every file for a folder that cannot be made fails; the reason is worth one line.
        if (!std::exchange(folder.errorListed, true))
            m_tracker.Fail(
                QStringLiteral("Cannot copy into \"%1\": %2")
                    .arg(folder.temporaries.folder(), QString::fromLocal8Bit(std::strerror(err))));
        return Outcome::Failed;
    }

    const UniqueFd in(::open(Platform::Encode(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat st = {};
    int err = !in.valid() || ::fstat(in.get(), &st) != 0 ? errno : 0;
    if (err == 0 && !S_ISREG(st.st_mode))
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (err == 0 && name.isEmpty())
        err = EINVAL;
    PendingFile file{index, {}, Platform::Encode(name)};
    UniqueFd out = err == 0 ? folder.temporaries.Create(file.tempName) : UniqueFd();
    if (err == 0 && !out.valid())
        err = errno;
    if (err != 0) {
        m_tracker.Fail(FailureText(index, err));
        return Outcome::Failed;
    }

    Outcome outcome = CopyData(in.get(), out.get(), err);
    if (outcome == Outcome::Done) {
        // As a plain cp would: the source's permissions less the umask. The modification time
        // is kept, as file managers do. Neither is possible everywhere (FAT), and neither
        // matters enough to fail the copy.
        ::fchmod(out.get(), st.st_mode & 0777 & ~m_umask);
        const timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
        ::futimens(out.get(), times);
        err = out.close();
        if (err != 0)
            outcome = Outcome::Failed;
    }
    if (outcome != Outcome::Done) {
        out.reset();
        ::unlinkat(folder.temporaries.fd(), file.tempName.constData(), 0);
        if (outcome == Outcome::Failed)
            m_tracker.Fail(FailureText(index, err));
        return outcome;
    }
    folder.pending.push_back(file);
    m_pendingBytes += st.st_size;
    if (m_pendingBytes >= kBatchBytes)
        CommitBatch();
    return Outcome::Done;
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

FileOperationResult CopyOperation::Run()
{
    FileOperationResult& result = m_tracker.result();
    if (m_sources.isEmpty())
        return result;
    m_tracker.Begin(FileOperationObserver::Kind::Copy, static_cast<int>(m_sources.size()),
                    TotalSize(m_sources));
    for (qsizetype i = 0; i < m_sources.size(); ++i) {
        if (m_tracker.Cancelled())
            break;
        m_tracker.StartItem(static_cast<int>(i + 1), m_sources.at(i));
        if (CopyOne(i) == Outcome::Cancelled)
            break;
    }
    CommitBatch();
    result.notDone = static_cast<int>(result.arrived.count(false));
    return result;
}

} // namespace

FileOperationResult CopyFiles(const QStringList& sources, const QStringList& targetPaths,
                              FileOperationObserver* observer)
{
    return CopyOperation(sources, targetPaths, observer).Run();
}
