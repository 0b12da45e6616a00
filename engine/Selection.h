#pragma once

#include "engine/DestinationNames.h"
#include "engine/JobEntries.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// What one destination step may spend, in bytes. Both budgets are formed before anything is
// emptied, so a size that cannot be budgeted stops the run while the destinations are intact.
struct DestinationBudget
{
    QString folder;
    // Pass 1; only when the destination asks for new files (a percentage above 0).
    bool takesNewFiles = false;
    qint32 newFiles = 0;
    // Pass 2.
    qint32 all = 0;

    // Error 6 when the megabytes do not fit 32 bits as bytes (2048 or more) or the new-file
    // share does not.
    static DestinationBudget Of(const DestinationEntry& entry);
};

struct Candidate
{
    QString path; // in the library
    qint32 size = 0;
};

struct ChosenFile
{
    qsizetype candidate; // position in the candidate list
    QString name;        // its name in the destination
    QString newName;     // with rename on: letter, number, extension ("A0001.mp3")
};

struct StepSelection
{
    std::vector<ChosenFile> chosen;
    qint32 used = 0; // what the destination holds once the chosen files are there
};

// One destination step's choice. Candidates are tried in the given order: a file is taken when
// it fits (used + size <= budget; the sum is error 6 past 32 bits) and its name is in none of
// the destinations nor already chosen in this step. Every candidate is tried, so a small file
// late in the order still fills a gap. renameLetter "A" or "F" numbers the chosen files from 1;
// a null letter means no rename. afterEach runs after every candidate (a cancel throws from it).
StepSelection SelectFiles(const std::vector<Candidate>& candidates, qint32 used, qint32 budget,
                          const std::vector<const DestinationNames*>& destinations,
                          std::size_t self, QChar renameLetter,
                          const std::function<void()>& afterEach = {});
