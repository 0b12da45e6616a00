#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class FileOperationObserver;

// Operation codes of ShellFileOperation.
namespace ShellOperation {
constexpr int Copy = 2;
constexpr int Delete = 3;
} // namespace ShellOperation

// How a copy or delete went. Nothing is printed or shown on the way: the caller decides.
struct FileOperationResult
{
    // One text per failure, in the order they happened, each naming its file and the reason.
    QStringList failures;
    // Copy: for each source, in order, whether it is now at its target under its real name.
    QList<bool> arrived;
    // The items that failed or that a cancel left undone; 0 when everything went.
    int notDone = 0;
    bool cancelled = false;
};

// Copies each source file to its target. `targetPaths` holds one folder, into which every
// source goes under its own name, or exactly one target per source: that source's full target
// path, or a folder when it ends with "/" or names an existing folder. Folders are created when
// missing. Each file is written under a temporary name, flushed to disk and only then renamed
// over whatever had its name, so a real name never shows a partial file, whatever happens to
// the process. What an interrupted copy left is removed by the next copy into that folder. The
// files and new subfolders of a folder get their names in the order of the sources, so that
// FAT, where that is the order players play in, lists them so (see CopyTemporaries.h). The
// modification time is kept. A failed file is listed and the copy goes on with the next one.
FileOperationResult CopyFiles(const QStringList& sources, const QStringList& targetPaths,
                              FileOperationObserver* observer);

// A path whose last component is "*.*" or "*" stands for every entry of its folder, files and
// folders alike; any other path is the item itself. An item on the file system of the user's
// trash goes to the trash; anywhere else (a stick, a player) it is deleted for good, folders
// with everything inside them, links as links: nothing outside the items is ever touched.
FileOperationResult DeleteItems(const QStringList& paths, FileOperationObserver* observer);

// The same for path lists that are double-NUL-terminated: each path is followed by one NUL and
// one more NUL ends the list (a text without NUL is one path). The observer is the one
// installed at start-up, if any. Returns FileOperationResult::notDone.
int ShellFileOperation(int operation, const QString& sourceList, const QString& targetList);

// Empties or removes the given items through ShellFileOperation(Delete).
int DeleteFilesToRecycle(const QStringList& paths);

// A copy into a folder holds a locked folder ".pendrift-<token>" there while it works, <token>
// being six letters or digits, and writes its temporaries inside it or beside it as
// ".pendrift-<token>-<n>".
inline const QString kCopyTempPrefix = QStringLiteral(".pendrift-");
