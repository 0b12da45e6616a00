#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Appends to `files` (and counts in `count`) the full path of every file in the folder whose
// name matches one of the comma-separated patterns in fileTypes (every file when fileTypes is
// empty), in the order the file system lists them, and with includeSubfolders the same for
// every folder below, depth first: a folder's files come before its subfolders' trees.
// In listing mode (listFolders) every folder met is reported instead, and files only when
// they match folderPattern.
//
// Paths are AddTrailingSlash(folder) + the entry name; an empty folder text is the root. A
// folder that cannot be opened adds nothing. Error 93 for a bad pattern, error 6 for more
// than 32,767 patterns, more than 32,767 subfolders in one folder or a count past the 32-bit
// range; what was appended before an error stays.
void ScanFolder(QStringList& files, qint32& count, const QString& folder, bool includeSubfolders,
                bool listFolders, const QString& folderPattern, const QString& fileTypes);

// Scans each library entry in list order into one list: a folder with "<+>" with its
// subfolders, any other without.
void ScanLibraryEntries(const QStringList& entries, const QString& fileTypes, QStringList& files,
                        qint32& count);
