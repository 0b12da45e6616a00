#pragma once

#include <QString>
#include <QStringList>

// The file types a new job takes.
inline const QString kDefaultFileTypes = QStringLiteral("*.mp3,*.wma,*.wav");

// One job as the window shows it and a settings document stores it: library entries ("folder"
// or "folder<+>" with subfolders), the file-type list, destination entries ("folder,megabytes,
// percent new") and the rename box (1 ticked, 0 clear, 2 partly ticked, which does not rename).
struct ShuffleJob
{
    QStringList libraries;
    QString fileTypes = kDefaultFileTypes;
    QStringList destinations;
    int renameFiles = 0;
};
