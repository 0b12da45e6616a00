#pragma once

#include <QString>
#include <QStringList>

// One job as the window shows it: library entries ("folder" or "folder<+>" with subfolders),
// the file-type list, destination entries ("folder,megabytes,percent new") and the rename box
// (1 ticked, 0 clear, 2 partly ticked, which does not rename).
struct ShuffleJob
{
    QStringList libraries;
    QString fileTypes;
    QStringList destinations;
    int renameFiles = 0;
};

// How a run ended, for the exit status of an unattended run.
enum class ShuffleOutcome
{
    Finished, // reached its finish sequence without an error report (also after a cancel)
    Stopped,  // a validation or the user stopped it before the work began
    Failed,   // an error was reported; the finish sequence ran
};
