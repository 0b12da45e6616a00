#pragma once

#include "engine/Selection.h"
#include "media/ConvertSettings.h"
#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// What a run found before it touches anything: the library's files with their sizes and new
// marks, the random orders, and each destination as it stands.
struct DestinationFacts
{
    QString folder;    // trailing and repeated "/" removed
    QString canonical; // the folder after links; destinations that share it share one folder
    qint64 megabytes = 0;
    qint16 percentNew = 0;
    // A size of "free": the room of its file system, whose facts follow.
    bool freeSize = false;
    FileSystemSpace space;
    qint64 blocksBelow = 0;  // what it holds, each file rounded up to whole blocks
    qint64 blocksInside = 0; // of that, the files directly inside
    bool safeNames = false;  // its file system refuses some names
    // What it holds now: the names of its entries (files and folders), the bytes of the files
    // directly inside it, and everything inside at any depth.
    QStringList entries;
    qint64 bytesInside = 0;
    qint64 filesBelow = 0;
    qint64 bytesBelow = 0;
    // Every name at any depth, and the highest numbered subfolder ("07" is 7).
    QStringList namesBelow;
    int lastSubfolder = 0;
    QString playlist;
    // Why the playlist cannot be written, or empty.
    QString playlistProblem;
};

struct RunFacts
{
    std::vector<LibraryFile> files; // in scan order
    // Positions in `files`: every file, and the new ones, each list in its random order.
    std::vector<qsizetype> fileOrder;
    std::vector<qsizetype> newOrder;
    std::vector<DestinationFacts> destinations;
    bool emptying = false; // the destinations are emptied first
    bool rename = false;
    // Above 0: the files go into numbered subfolders of at most this many each.
    int filesPerFolder = 0;
    bool devicePlaylist = false;
};

// A destination entry as it stands on disk. The numbers are read first (error 6 when one does
// not fit its type); a folder that does not exist (yet) holds nothing.
DestinationFacts ReadDestinationFacts(const QString& entryText);

// What a run converts: files the player does not play, into the format of the settings.
struct Conversion
{
    ConvertSettings settings;
    QString playerPlays; // comma-separated patterns, matched without regard to case
};

// Size and new mark of each scanned file; afterEach runs after every file. With a conversion,
// a file the player does not play is probed for the most its converted form may take, and
// named with the format's extension (a file that cannot be probed keeps its own size, and its
// conversion reports why it fails).
std::vector<LibraryFile> ReadLibraryFiles(const QStringList& paths,
                                          const std::function<void()>& afterEach,
                                          const std::optional<Conversion>& conversion = {});
