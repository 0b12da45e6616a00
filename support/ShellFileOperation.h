#pragma once

#include <QString>
#include <QStringList>

// Operation codes of ShellFileOperation.
namespace ShellOperation {
constexpr int Copy = 2;
constexpr int Delete = 3;
} // namespace ShellOperation

// Copies or deletes the items of a path list. Lists are double-NUL-terminated: each path is
// followed by one NUL and one more NUL ends the list (a text without NUL is one path).
//
// Copy: every source file goes into the folder named by the first entry of targetList, under
// its own name, replacing a file of that name without asking; the folder is created when
// missing. Each file is written under a hidden temporary name, flushed to disk and only then
// renamed, so a real name never shows a partial file, whatever happens to the process.
// Temporaries left by an interrupted copy are removed by the next copy into that folder.
//
// Delete: a path whose last component is "*.*" or "*" stands for every entry of its
// folder, files and folders alike; any other path is the item itself. An item on the
// file system of the user's trash goes to the trash; anywhere else (a stick, a player) it is
// deleted for good, folders with everything inside them.
//
// A progress window with a Cancel button shows while the operation works when a display
// exists. Failures are listed on standard error (and in the window) and the operation goes on
// with the next item. Returns 0 when everything succeeded, otherwise the number of items that
// failed or were left undone by a cancel (at least 1).
int ShellFileOperation(int operation, const QString& sourceList, const QString& targetList);

// Empties or removes the given items through ShellFileOperation(Delete).
int DeleteFilesToRecycle(const QStringList& paths);

// A copy into a folder writes ".pendrift-<token>-<n>.part" files there and holds
// ".pendrift-<token>.lock" while it works; <token> is six characters.
inline const QString kCopyTempPrefix = QStringLiteral(".pendrift-");
inline const QString kCopyTempSuffix = QStringLiteral(".part");
inline const QString kCopyLockSuffix = QStringLiteral(".lock");
