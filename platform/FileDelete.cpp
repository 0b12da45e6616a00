// The delete half of the file operations (see ShellFileOperation.h).

#include "base/AppError.h"
#include "platform/DirectoryReader.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/ShellFileOperation.h"
#include "platform/private/FileOperationTracker.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Links = DirectoryReader::Links;

QString FailureText(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot delete \"%1\": %2").arg(path, reason);
}

QString FailureText(const QString& path, int err)
{
    return FailureText(path, QString::fromLocal8Bit(std::strerror(err)));
}

// Deletes `name` in the folder `parentFd` for good, a folder with everything inside it; a link
// goes as a link. `path` names it in messages. Returns whether everything went.
bool RemoveForGood(FileOperationTracker& tracker, int parentFd, const QByteArray& name,
                   const QString& path, bool isDirectory)
{
    // Keeps the window painted through a large folder; a cancel waits for the next item.
    tracker.Cancelled();
    if (!isDirectory) {
        if (::unlinkat(parentFd, name.constData(), 0) == 0)
            return true;
        tracker.Fail(FailureText(path, errno));
        return false;
    }
    DirectoryReader folder(parentFd, name, Links::NotFollowed);
    if (!folder.isOpen()) {
        tracker.Fail(FailureText(path, folder.openError()));
        return false;
    }
    // Names first: the folder is not changed while it is being read.
    std::vector<std::pair<QByteArray, bool>> entries;
    try {
        while (folder.Next())
            entries.emplace_back(folder.rawName(), folder.isDirectory());
    } catch (const AppError& error) {
        tracker.Fail(FailureText(path, error.description()));
        return false;
    }
    bool ok = true;
    for (const auto& [entry, sub] : entries)
        ok &=
            RemoveForGood(tracker, folder.fd(), entry, path + u'/' + QFile::decodeName(entry), sub);
    folder.Close();
    if (!ok)
        return false; // the folder is not empty; its contents' failures are already listed
    if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0)
        return true;
    tracker.Fail(FailureText(path, errno));
    return false;
}

// Adds the items a delete path stands for (a last "*.*" or "*" means all of its folder);
// returns why its folder cannot be listed, or nothing.
QString ExpandDeletePath(const QString& pattern, QStringList& items)
{
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString last = pattern.mid(slash + 1);
    if (last != u"*.*" && last != u"*") {
        QString path = pattern;
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        items << path;
        return {};
    }
    const QString folder = slash < 0 ? QStringLiteral(".") : pattern.left(slash);
    // Every entry as it is: a dangling link in the folder is one of its items too.
    DirectoryReader reader(folder.isEmpty() ? QStringLiteral("/") : folder, Links::NotFollowed);
    if (!reader.isOpen())
        return FailureText(pattern, reader.openError());
    QStringList names;
    try {
        while (reader.Next())
            names << reader.name();
    } catch (const AppError& error) {
        return FailureText(pattern, error.description());
    }
    names.sort();
    for (const QString& name : names)
        items << folder + u'/' + name;
    return {};
}

bool DeleteItem(FileOperationTracker& tracker, const QString& path,
                std::optional<quint64> trashDevice)
{
    const QByteArray encoded = Platform::Encode(path);
    struct stat st = {};
    if (::lstat(encoded.constData(), &st) != 0) {
        tracker.Fail(FailureText(path, errno));
        return false;
    }
    if (trashDevice && static_cast<quint64>(st.st_dev) == *trashDevice) {
        // A fresh account may have no data folder yet; the trash is made inside it.
        MakeFolderPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        if (QFile::moveToTrash(path))
            return true;
        // A dangling link cannot be trashed; there is nothing in it to get back.
        if (S_ISLNK(st.st_mode) && ::unlink(encoded.constData()) == 0)
            return true;
        tracker.Fail(QStringLiteral("Cannot move \"%1\" to the trash").arg(path));
        return false;
    }
    return RemoveForGood(tracker, AT_FDCWD, encoded, path, S_ISDIR(st.st_mode));
}

} // namespace

FileOperationResult DeleteItems(const QStringList& paths, FileOperationObserver* observer)
{
    FileOperationTracker tracker(observer);
    FileOperationResult& result = tracker.result();
    QStringList items;
    QStringList unreadable;
    for (const QString& pattern : paths) {
        const QString failure = ExpandDeletePath(pattern, items);
        if (!failure.isEmpty())
            unreadable << failure;
    }
    if (items.isEmpty() && unreadable.isEmpty())
        return result;
    tracker.Begin(FileOperationObserver::Kind::Delete, static_cast<int>(items.size()), 0);
    for (const QString& text : unreadable)
        tracker.Fail(text);

    const std::optional<quint64> trashDevice = Platform::TrashDevice();
    int deleted = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (tracker.Cancelled())
            break;
        tracker.StartItem(static_cast<int>(i + 1), items.at(i));
        deleted += DeleteItem(tracker, items.at(i), trashDevice) ? 1 : 0;
    }
    result.notDone = static_cast<int>(unreadable.size() + items.size()) - deleted;
    return result;
}
