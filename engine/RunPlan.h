#pragma once

#include "engine/RunFacts.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One file the run puts into a destination.
struct PlannedFile
{
    QString source;
    QString name; // the name it is chosen under: its own, or its safe name there
    // Where it arrives, relative to the destination: `name` or its new name with rename on,
    // inside its numbered subfolder when the files go into subfolders ("01/A0001.mp3").
    QString target;
    qint64 size = 0;   // for a file to convert, the most its converted form may take
    int subfolder = 0; // its numbered subfolder; 0: directly in the destination
    bool convert = false;
};

struct PlannedPass
{
    std::vector<PlannedFile> files; // in play order
    qint64 used = 0;                // what the destination holds after the pass
    qint64 budget = 0;
    QStringList playlist; // the playlist's lines after its header
};

struct DestinationPlan
{
    QString folder;
    // What each file's size counts as a multiple of ("free" destinations: the block size).
    qint64 blockSize = 1;
    QString playlist;
    // The entries emptying removes (full paths), and the files and bytes they hold.
    QStringList emptied;
    qint64 emptiedFiles = 0;
    qint64 emptiedBytes = 0;
    PlannedPass passes[2]; // new files, then any files
    // The playlist inside the destination for the player itself, or empty; its lines are the
    // targets of both passes in play order.
    QString devicePlaylist;
    QStringList devicePlaylistLines;
};

struct RunPlan
{
    std::vector<DestinationPlan> destinations;
};

// Works out the whole run from the facts alone, without touching the disk: each destination's
// budgets, the two passes over the destinations in list order (earlier ones pick first), the
// names the files take there and the playlists. With rename on, the files of the new-file pass
// are named A0001..., those of the fill F0001..., numbered on after the highest such number
// the folder already holds. With files per folder, a destination's files fill subfolders 01,
// 02... (001... once more than 99 are needed) in play order, after the highest one it holds;
// its budget then counts the files in its subfolders too, and the name test looks at every
// destination's names at any depth. Error 6 for a size whose bytes pass 64 bits, error 75 for
// a playlist that cannot be written. afterEach runs after every candidate.
RunPlan MakePlan(const RunFacts& facts, const std::function<void()>& afterEach = {});
