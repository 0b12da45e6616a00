// The copy half of the file operations (see ShellFileOperation.h).

#include "platform/Platform.h"
#include "platform/ShellFileOperation.h"
#include "platform/private/CopyTemporaries.h"
#include "platform/private/FileOperationTracker.h"
#include "platform/private/SourceQueue.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
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
// Copied files wait under their temporary names until a batch is flushed with one syncfs per
// file system: a flush per file would wait for the disk once per file, and every flush leaves
// the disk idle while the next files are read. Through FUSE a flush costs little, and a driver
// such as fusefat reads the whole folder several times for every new name, so there a batch
// also ends after a few files, which keeps the folder that holds the temporaries short.
constexpr qint64 kBatchBytes = qint64{1} << 30;
constexpr size_t kFuseBatchFiles = 16;
// Folders kept open at once, two descriptors each. A run's targets come folder by folder, so
// a folder left behind is seldom needed again; when it is, it is opened anew.
constexpr size_t kOpenFolders = 32;

// The ways the kernel moves the bytes, fastest first; not every one works between every two
// file systems.
enum class Method
{
    CopyRange,
    SendFile,
    ReadWrite
};

struct PendingFile
{
    qsizetype index; // of the source
    QByteArray tempName;
    QByteArray realName;
};

struct TargetFolder
{
    explicit TargetFolder(const QString& path) : temporaries(path) {}
    CopyTemporaries temporaries;
    std::vector<PendingFile> pending;
    // The way that worked for the last file into this folder.
    Method method = Method::CopyRange;
    bool errorListed = false;
};

enum class Outcome
{
    Done,
    Failed,
    Cancelled
};

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
    TargetFolder& FolderFor(qsizetype index, QByteArray& name);
    Outcome CopyOne(qsizetype index);
    Outcome CopyData(const Source& source, int out, Method& method, int& err);
    void CommitBatch();

    const QStringList& m_sources;
    const QStringList& m_targets;
    FileOperationTracker m_tracker;
    std::map<QString, std::unique_ptr<TargetFolder>> m_folders;
    qint64 m_pendingBytes = 0;
    size_t m_pendingFiles = 0;
    SourceQueue m_queue{m_sources};
};

TargetFolder& CopyOperation::FolderOf(const QString& folder)
{
    const QString key = QDir::cleanPath(folder);
    if (const auto found = m_folders.find(key); found != m_folders.end())
        return *found->second;
    // A missing folder is made by its parent, after the parent's locked folder (see
    // CopyTemporaries.h).
    const QString parent = QFileInfo(key).path();
    if (!key.isEmpty() && parent != key && !Platform::IsDirectory(key)) {
        TargetFolder& above = FolderOf(parent);
        if (above.temporaries.error() == 0)
            above.temporaries.MakeSubfolder(Platform::Encode(QFileInfo(key).fileName()));
    }
    return *m_folders.emplace(key, std::make_unique<TargetFolder>(key)).first->second;
}

// The folder the source at `index` goes into, and its name there.
TargetFolder& CopyOperation::FolderFor(qsizetype index, QByteArray& name)
{
    const QString& target = Target(index);
    const QString last = target.mid(target.lastIndexOf(u'/') + 1);
    if (m_targets.size() == m_sources.size() && !last.isEmpty()) {
        const QString parentPath = target.chopped(last.size());
        TargetFolder& parent = FolderOf(parentPath.isEmpty() ? QStringLiteral(".") : parentPath);
        name = Platform::Encode(last);
        if (!parent.temporaries.IsSubfolder(name))
            return parent;
    }
    const QString& source = m_sources.at(index);
    name = Platform::Encode(source.mid(source.lastIndexOf(u'/') + 1));
    return FolderOf(target);
}

// Writes all of `data`; 0, or the error number.
int WriteAll(int out, const char* data, size_t size)
{
    for (size_t done = 0; done < size;) {
        const ssize_t w = ::write(out, data + done, size - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return w < 0 ? errno : EIO;
        done += static_cast<size_t>(w);
    }
    return 0;
}

// Copies the source's bytes to `out` in chunks; errno in `err` when it fails. A source that
// grows meanwhile is copied as it was when opened.
Outcome CopyOperation::CopyData(const Source& source, int out, Method& method, int& err)
{
    const int in = source.fd.get();
    // A pipe has no size: it is read to its end.
    const bool pipe = S_ISFIFO(source.st.st_mode);
    const off_t size = pipe ? std::numeric_limits<off_t>::max() : source.st.st_size;
    if (pipe)
        method = Method::ReadWrite;
    std::vector<char> buffer;
    for (off_t written = 0; written < size;) {
        const auto want = static_cast<size_t>(std::min(size - written, off_t{kChunkBytes}));
        ssize_t n = 0;
        if (method == Method::CopyRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            // Not between these two file systems, or not here at all: step down. A zero at the
            // very start may also mean a file system that cannot do it, so the next way
            // decides whether the file has really become empty.
            if ((n < 0 &&
                 (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) ||
                (n == 0 && written == 0)) {
                method = Method::SendFile;
                continue;
            }
        } else if (method == Method::SendFile) {
            n = ::sendfile(out, in, nullptr, want);
            if ((n < 0 && (errno == EINVAL || errno == ENOSYS)) || (n == 0 && written == 0)) {
                method = Method::ReadWrite;
                continue;
            }
        } else {
            buffer.resize(want);
            n = ::read(in, buffer.data(), want);
            if (n > 0) {
                err = WriteAll(out, buffer.data(), static_cast<size_t>(n));
                if (err != 0)
                    return Outcome::Failed;
            }
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return Outcome::Failed;
        }
        if (n == 0)
            break; // the source has become shorter
        // Start writing this chunk to the disk now, so that the batch's flush finds most of
        // the work done instead of starting it.
        ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
        written += n;
        m_tracker.AddBytes(n);
        if (m_tracker.Cancelled())
            return Outcome::Cancelled;
    }
    return Outcome::Done;
}

// Flushes the batch's data to disk, then gives each file its real name, in order.
void CopyOperation::CommitBatch()
{
    std::vector<dev_t> tried;
    std::vector<dev_t> flushed;
    for (auto& [path, folder] : m_folders) {
        if (folder->pending.empty())
            continue;
        CopyTemporaries& temporaries = folder->temporaries;
        // One syncfs waits for all of a file system's files at once; when it reports an error,
        // a flush per file finds out which ones are affected.
        const dev_t device = temporaries.device();
        if (std::find(tried.begin(), tried.end(), device) == tried.end()) {
            tried.push_back(device);
            if (::syncfs(temporaries.fd()) == 0)
                flushed.push_back(device);
        }
        const bool allFlushed = std::find(flushed.begin(), flushed.end(), device) != flushed.end();
        for (const PendingFile& file : folder->pending) {
            int err = allFlushed ? 0 : temporaries.Flush(file.tempName);
            if (err == 0)
                err = temporaries.Publish(file.tempName, file.realName);
            if (err == 0) {
                m_tracker.result().arrived[file.index] = true;
            } else {
                m_tracker.Fail(FailureText(file.index, err));
                temporaries.Discard(file.tempName);
            }
        }
        // The new names themselves.
        ::fsync(temporaries.fd());
        folder->pending.clear();
    }
    m_pendingBytes = 0;
    m_pendingFiles = 0;
}

// Copies one file to a temporary of its target folder and adds it to the batch.
Outcome CopyOperation::CopyOne(qsizetype index)
{
    if (m_folders.size() >= kOpenFolders) {
        CommitBatch();
        m_folders.clear();
    }
    const Source source = m_queue.Take();
    QByteArray name;
    TargetFolder& folder = FolderFor(index, name);
    if (const int err = folder.temporaries.error()) {
        // Every file for a folder that cannot be made fails; the reason is worth one line.
        if (!std::exchange(folder.errorListed, true))
            m_tracker.Fail(
                QStringLiteral("Cannot copy into \"%1\": %2")
                    .arg(folder.temporaries.folder(), QString::fromLocal8Bit(std::strerror(err))));
        return Outcome::Failed;
    }
    int err = source.error;
    if (err == 0 && !S_ISREG(source.st.st_mode) && !S_ISFIFO(source.st.st_mode))
        err = S_ISDIR(source.st.st_mode) ? EISDIR : EINVAL;
    if (err == 0 && name.isEmpty())
        err = EINVAL;
    PendingFile file{index, {}, name};
    // As a plain cp would: the source's permissions less the umask.
    UniqueFd out =
        err == 0 ? folder.temporaries.Create(file.tempName, source.st.st_mode & 0777) : UniqueFd();
    if (err == 0 && !out.valid())
        err = errno;
    if (err != 0) {
        m_tracker.Fail(FailureText(index, err));
        return Outcome::Failed;
    }

    Outcome outcome = CopyData(source, out.get(), folder.method, err);
    if (outcome == Outcome::Done) {
        // The modification time is kept, as file managers do. Not every file system can, and
        // it does not matter enough to fail the copy.
        const timespec times[2] = {{0, UTIME_OMIT}, source.st.st_mtim};
        ::futimens(out.get(), times);
        err = out.close();
        if (err != 0)
            outcome = Outcome::Failed;
    }
    if (outcome != Outcome::Done) {
        out.reset();
        folder.temporaries.Discard(file.tempName);
        if (outcome == Outcome::Failed)
            m_tracker.Fail(FailureText(index, err));
        return outcome;
    }
    folder.pending.push_back(file);
    m_pendingBytes += source.st.st_size;
    if (m_pendingBytes >= kBatchBytes ||
        (++m_pendingFiles >= kFuseBatchFiles && folder.temporaries.throughFuse()))
        CommitBatch();
    return Outcome::Done;
}

FileOperationResult CopyOperation::Run()
{
    FileOperationResult& result = m_tracker.result();
    if (m_sources.isEmpty())
        return result;
    m_tracker.Begin(FileOperationObserver::Kind::Copy, static_cast<int>(m_sources.size()),
                    m_queue.TotalBytes());
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
