#pragma once

#include <QString>
#include <QStringList>

// Makes an audio file with the ffmpeg command line from lavfi sources (and other inputs) and
// output options; fails the test when ffmpeg does.
void MakeAudio(const QString& path, const QStringList& arguments);

// What the ffmpeg command line finds in a file, as a player would decode it.
struct Decoded
{
    bool clean = false; // decoded to the end without an error
    double seconds = 0;
    double lufs = 0;
    double truePeakDb = 0;
};
Decoded DecodeWithFfmpeg(const QString& path);
