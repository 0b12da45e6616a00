#pragma once

#include "engine/DestinationNames.h"

#include <QString>
#include <functional>
#include <vector>

// A library file as the run knows it once the libraries are read.
struct LibraryFile
{
    QString path;
    QString name;    // the file name alone; for a file to convert, with the new extension
    qint64 size = 0; // for a file to convert, the most its converted form may take
    bool isNew = false;
    bool convert = false;
};

// What one destination's two passes may fill, in bytes.
struct DestinationBudget
{
    // Pass 1; only when the destination asks for new files (a percentage above 0). A share
    // above 100 % counts as 100 %.
    bool takesNewFiles = false;
    qint64 newFiles = 0;
    // Pass 2.
    qint64 all = 0;

    // Error 6 when the megabytes as bytes pass 64 bits.
    static DestinationBudget Of(qint64 megabytes, qint16 percentNew);
    static DestinationBudget OfBytes(qint64 bytes, qint16 percentNew);
};

struct StepSelection
{
    // The chosen files, as positions in the file list, in the order they were chosen, and the
    // name each gets in the destination.
    std::vector<std::pair<qsizetype, QString>> chosen;
    qint64 used = 0; // what the destination holds once the chosen files are there
};

// One destination step's choice. Candidates are tried in the given order: a file is taken when
// it fits (used + size <= budget, its size rounded up to whole blocks of `blockSize`) and its
// name is in none of the destinations nor already chosen in this step. Every candidate is
// tried, so a small file late in the order still fills a gap. afterEach runs after every
// candidate (a cancel throws from it).
StepSelection SelectFiles(const std::vector<LibraryFile>& files,
                          const std::vector<qsizetype>& order, qint64 used, qint64 budget,
                          const std::vector<const DestinationNames*>& destinations,
                          std::size_t self, const std::function<void()>& afterEach = {},
                          qint64 blockSize = 1);
