#pragma once

#include "platform/private/UniqueFd.h"

#include <QByteArray>
#include <QString>

// The temporaries of one copy into one folder. While it works the copy holds a locked file
// ".pendrift-<token>.lock" there and writes its files as ".pendrift-<token>-<n>.part". A token
// whose lock can be taken (or whose lock file is gone) belongs to a copy that is over: killed,
// or failed before cleaning up. One lock per operation instead of one per file lets a batch
// hold any number of files without keeping them open.
class CopyTemporaries
{
public:
    // Creates the folder when it is missing, removes what dead copies left in it and takes
    // this copy's lock.
    explicit CopyTemporaries(const QString& folder);
    // Gives the lock up. Temporaries not renamed by then are the caller's to remove.
    ~CopyTemporaries();
    CopyTemporaries(const CopyTemporaries&) = delete;
    CopyTemporaries& operator=(const CopyTemporaries&) = delete;

    // 0, or the errno that keeps the folder from taking copies.
    int error() const { return m_error; }
    const QString& folder() const { return m_folder; }
    // The open folder, for calls relative to it.
    int fd() const { return m_dirFd.get(); }

    // A new, empty temporary open for writing, its name inside the folder in `name`; invalid,
    // with errno set, when it cannot be made.
    UniqueFd Create(QByteArray& name);

private:
    int Lock();

    QString m_folder;
    UniqueFd m_dirFd;
    UniqueFd m_lockFd;
    QByteArray m_token;
    int m_count = 0;
    int m_error = 0;
};
