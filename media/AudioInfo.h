#pragma once

#include "media/ConvertSettings.h"

#include <QByteArray>
#include <QString>

// The tags a conversion carries over, as the file holds them (empty when missing).
struct AudioTags
{
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString track; // "3" or "3/12"
    QString date;  // the year, or a full date
    QString genre;

    bool operator==(const AudioTags&) const = default;
};

// What planning needs to know of an audio file.
struct AudioInfo
{
    qint64 durationMs = 0; // 0 when the file does not tell
    QString codec;         // FFmpeg's short name: "flac", "mp3", "opus", "pcm_s16le", ...
    int sampleRate = 0;
    int channels = 0;
    AudioTags tags;
    // The embedded cover picture's size in bytes, 0 without one; its bytes only when asked for.
    qint64 coverSize = 0;
    QByteArray cover;
};

// Reads the header of an audio file, without decoding it. Error 75 when the file cannot be
// read, 321 when FFmpeg finds no audio in it.
AudioInfo ProbeAudio(const QString& path, bool withCover = false);

// An upper bound of the size of the file ConvertAudio makes from a source like `info`:
// the encoded audio at EncodedKbps with the encoder's delay and padding, the container's
// framing, the tags and the cover.
qint64 ExpectedConvertedSize(const AudioInfo& info, const ConvertSettings& settings);
