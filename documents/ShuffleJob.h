#pragma once

#include <QString>
#include <QStringList>

// The file types a new job takes.
inline const QString kDefaultFileTypes = QStringLiteral("*.mp3,*.wma,*.wav");

// What the players on the destinations need. The defaults are a job as it always was; a
// document without these keys reads them.
struct PlayerSettings
{
    // Also a playlist inside each destination, named after it, listing the copied files by
    // their names there, in play order.
    bool devicePlaylist = false;
    // Above 0: the copied files go into numbered subfolders of at most this many files each.
    int filesPerFolder = 0;
    // "", "mp3", "aac" or "opus": files the player does not play are converted to it.
    QString convertTo;
    int convertKbps = 192;
    // Comma-separated patterns of the files the player plays as they are.
    QString playerPlays = QStringLiteral("*.mp3");
    // Converted files are brought to one loudness.
    bool levelLoudness = false;

    bool operator==(const PlayerSettings&) const = default;
};

// One job as the window shows it and a settings document stores it: library entries ("folder"
// or "folder<+>" with subfolders), the file-type list, destination entries ("folder,megabytes,
// percent new") and the rename box (1 ticked, 0 clear, 2 partly ticked, which does not rename).
struct ShuffleJob
{
    QStringList libraries;
    QString fileTypes = kDefaultFileTypes;
    QStringList destinations;
    int renameFiles = 0;
    PlayerSettings player;
};
