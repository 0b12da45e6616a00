#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <utility>
#include <vector>

// File attributes, sizes and dates in the form the rest of the program works with: the
// classic attribute bits and 64-bit sizes. Errors are AppErrors: a missing file is 53, other
// system failures carry the system's reason.

namespace FileAttribute {
constexpr int Normal = 0;
constexpr int ReadOnly = 1;
constexpr int Hidden = 2;
constexpr int System = 4;
constexpr int Directory = 16;
constexpr int Archive = 32;
} // namespace FileAttribute

// The name of the extended attribute that marks a file as no longer new. Its value is the
// file's modification time when the mark was written, in decimal nanoseconds since the epoch.
inline constexpr char kArchiveMarkName[] = "user.pendrift.archive";

// On FAT the real attribute bits. Elsewhere: read-only when the owner may not write, hidden
// when the name begins with ".", never system, and archive unless the archive mark is present
// and still equals the modification time (so any later write makes the file new again).
int GetAttr(const QString& path);

// On FAT the bits are written as given. Elsewhere: without ReadOnly the owner's write
// permission is added, with it all write permissions are removed; without Archive the mark is
// written, with it the mark is removed; Hidden and System are left alone (hidden is part of
// the name). Error 5 for bits that cannot be set, 75 with the system's reason when the file
// system has no user extended attributes.
void SetAttr(const QString& path, int attributes);

// Last modification, in local time.
QDateTime FileDateTime(const QString& path);

// The sum of the sizes of the files directly inside the folder, hidden ones included and
// subfolders not; a folder that cannot be listed holds nothing.
qint64 FolderSize(const QString& folder);

// What a run needs to know of a library file.
struct FileFacts
{
    qint64 size = 0;
    bool isNew = false; // GetAttr's archive bit
};

// Reads FileFacts for many files, with one stat per file and the file system's type asked
// once per device instead of once per file. Errors as GetAttr's.
class FileFactsReader
{
public:
    FileFacts Read(const QString& path);

private:
    std::vector<std::pair<quint64, bool>> m_fatDevices; // device -> on FAT
};

// Why a file could not be written (made or replaced through a temporary beside it) at the
// path, or empty when it can: its folder must exist and take new files, and a file already
// there must be a writable file.
QString WriteProblem(const QString& filePath);

struct FolderTotals
{
    qint64 files = 0;
    qint64 bytes = 0;
    // The bytes again with each file's size rounded up to whole blocks: at any depth, and of
    // the files directly inside.
    qint64 blocksBytes = 0;
    qint64 blocksBytesInside = 0;
};

// The files inside the folder at any depth and their bytes; links are not followed. A folder
// that cannot be listed holds nothing. With `names`, the name of every entry below (files and
// folders) is added to it. `blockSize` is the unit of FolderTotals' rounded figures.
FolderTotals CountFolderContents(const QString& folder, QStringList* names = nullptr,
                                 qint64 blockSize = 1);

// The file system a folder is on (for a folder not made yet, its nearest existing parent's).
struct FileSystemSpace
{
    quint64 device = 0;
    qint64 available = 0; // bytes an ordinary user may still write
    qint64 blockSize = 1; // what every file's size is rounded up to
    bool trashes = false; // emptying a folder there moves its content to the user's trash
};
FileSystemSpace SpaceOf(const QString& folder);

// Whether the folder's file system refuses the names that FAT refuses (" * : < > ? \ |,
// control characters, trailing dots and spaces): the FAT, exFAT and NTFS families, also through
// FUSE. Told from the file system's type, so nothing is written to find out; a folder not made
// yet is judged by its nearest existing parent.
bool RefusesAwkwardNames(const QString& folder);
