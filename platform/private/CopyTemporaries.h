#pragma once

#include "platform/private/UniqueFd.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <sys/types.h>

// The temporaries of one copy into one folder. While it works the copy holds a locked folder
// ".pendrift-<token>" there. One whose lock can be taken belongs to a copy that is over (killed,
// or failed before cleaning up): the next copy into the folder removes it with its temporaries.
// Where the folder's order is the order players play in (FAT and exFAT, and FUSE, which may be
// either), the temporaries are written inside the locked folder and moved out under their real
// names once they are on the disk. FAT gives a new name the first free slots of its folder; the
// locked folder is the first entry a copy makes there and the only one it removes, and the next
// copy's, whose name has the same length, takes its slots back; so the names and subfolders made
// in between list in the order they were made, even in a folder emptied before. Elsewhere they
// are ".pendrift-<token>-<n>" beside the real names: a rename within a folder costs less there.
class CopyTemporaries
{
public:
    // Opens the folder (a clean path), notes its subfolders and removes what dead copies left
    // in it. The locked folder is made with the first temporary or subfolder.
    explicit CopyTemporaries(const QString& folder);
    // Removes the locked folder and whatever is still in it.
    ~CopyTemporaries();
    CopyTemporaries(const CopyTemporaries&) = delete;
    CopyTemporaries& operator=(const CopyTemporaries&) = delete;

    // 0, or the errno that keeps the folder from taking copies.
    int error() const { return m_error; }
    const QString& folder() const { return m_folder; }
    // The open folder, for calls relative to it.
    int fd() const { return m_dirFd.get(); }
    dev_t device() const { return m_device; }
    bool throughFuse() const { return m_throughFuse; }
    // Whether the folder's entry `name` was a folder, or a link that leads to one.
    bool IsSubfolder(const QByteArray& name) const;

    // Makes the subfolder `name`, where the order matters after the locked folder; 0 (also when
    // it exists) or the errno.
    int MakeSubfolder(const QByteArray& name);
    // A new, empty temporary open for writing, made with `mode` less the umask; its name in
    // `name`. Invalid, with errno set, when it cannot be made.
    UniqueFd Create(QByteArray& name, mode_t mode);
    // Waits until the temporary's data is on the disk; 0 or the errno. A file system that
    // cannot flush at all has nothing to wait for.
    int Flush(const QByteArray& name) const;
    // Gives the temporary its real name in the folder, replacing a file of that name; 0 or
    // the errno.
    int Publish(const QByteArray& name, const QByteArray& realName) const;
    void Discard(const QByteArray& name) const;

private:
    int Lock();
    // Where the temporaries are.
    int tempFd() const { return m_ordered ? m_lockFd.get() : m_dirFd.get(); }

    QString m_folder;
    UniqueFd m_dirFd;
    dev_t m_device = 0;
    bool m_ordered = false;
    bool m_throughFuse = false;
    QSet<QByteArray> m_subfolders;
    // Files and links: only a stat tells whether a link leads to a folder.
    QSet<QByteArray> m_others;
    UniqueFd m_lockFd; // the locked folder
    QByteArray m_lockName;
    int m_count = 0;
    int m_error = 0;
};
