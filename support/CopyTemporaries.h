#pragma once

#include "support/UniqueFd.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <sys/types.h>

// The temporaries of one copy into one folder. They are written into a hidden staging folder
// ".pendrift-<token>" inside it, which the copy holds locked while it works, and moved out
// under their real names once they are on the disk. A staging folder whose lock can be taken
// belongs to a copy that is over (killed, or failed before cleaning up).
// FAT gives a new name the first free slots of its folder. The staging folder is the first
// entry a copy makes in a folder and the only one it removes, and the next copy's staging
// folder, whose name has the same length, takes its slots back; so the names and subfolders
// made in between list in the order they were made, even in a folder emptied before.
class CopyTemporaries
{
public:
    // Opens the folder (a clean path), notes its subfolders and removes what dead copies left in
    // it. The staging folder is made with the first temporary or subfolder.
    explicit CopyTemporaries(const QString& folder);
    // Removes the staging folder and whatever is still in it.
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

    // Makes the subfolder `name`, after the staging folder; 0 (also when it exists) or the
    // errno.
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
    int OpenStaging();

    QString m_folder;
    UniqueFd m_dirFd;
    dev_t m_device = 0;
    bool m_throughFuse = false;
    QSet<QByteArray> m_subfolders;
    // Files and links: only a stat tells whether a link leads to a folder.
    QSet<QByteArray> m_others;
    UniqueFd m_stagingFd; // locked while it is open
    QByteArray m_stagingName;
    int m_count = 0;
    int m_error = 0;
};
