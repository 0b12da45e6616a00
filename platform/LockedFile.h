#pragma once

#include "platform/private/UniqueFd.h"

#include <QByteArray>
#include <QString>

#include <utility>

// An open file descriptor that holds an exclusive flock on its file. The lock belongs to the
// open file description, so two LockedFile objects on one file conflict even inside one
// process. Closing (or destroying) the object releases the lock.
class LockedFile
{
public:
    LockedFile() = default;

    // Opens an existing file for reading and writing and locks it. A lock held elsewhere, in
    // this process or another, is error 70; other failures map through AppError::FromErrno.
    static LockedFile OpenExclusive(const QString& path);

    // Writes the bytes to a new file beside `path`, locks it, flushes it to disk and renames
    // it over `path`, then returns that file still open and locked. On failure the temporary
    // file is removed and whatever was at `path` is untouched. The caller is responsible for
    // holding the lock on the old file, if there is one, while this runs.
    static LockedFile ReplaceContents(const QString& path, const QByteArray& bytes);

    // A second descriptor on the same open file: it shares this one's lock, which lasts until
    // the last of them is closed. Error 75 when the system refuses one.
    LockedFile Share() const;
    // True when `path` names the very file this one holds (whatever name it was opened by).
    bool IsFileAt(const QString& path) const;

    bool IsOpen() const { return m_fd.valid(); }
    int Handle() const { return m_fd.get(); }
    void Close() { m_fd.reset(); }

private:
    explicit LockedFile(UniqueFd fd) : m_fd(std::move(fd)) {}
    UniqueFd m_fd;
};
