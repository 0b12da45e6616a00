#pragma once

#include "platform/private/UniqueFd.h"

#include <QString>
#include <QStringList>
#include <memory>

// Marks a run's destination folders as in use for as long as the object lives, and never
// longer than its process: the mark is a lock the kernel drops when the process ends, however
// it ends. Marks live in $XDG_RUNTIME_DIR/pendrift (else a private folder under /tmp).
class RunLock
{
public:
    // Null when another run, in this or another process, holds one of the folders, a folder
    // inside one of them or one that contains one. Folders are compared after links, "." and
    // ".." are resolved as far as they exist.
    static std::unique_ptr<RunLock> Acquire(const QStringList& folders);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

private:
    RunLock(UniqueFd fd, QString path) : m_fd(std::move(fd)), m_path(std::move(path)) {}

    UniqueFd m_fd;
    QString m_path;
};
