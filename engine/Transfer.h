#pragma once

#include "engine/RunPlan.h"
#include "engine/ShuffleHost.h"

#include <QString>
#include <QStringList>
#include <functional>

// The playlist beside a destination folder: /media/stick/Music gives /media/stick/Music.m3u.
QString PlaylistPath(const QString& destinationFolder);

// Writes a playlist whole: "#EXTM3U", then the lines, each ended by CR LF, in UTF-8. It
// replaces an earlier one at once, so a stick's file system that does not cut files short
// when they are opened again never shows a stale end. Error 75 when it cannot be written.
void WritePlaylist(const QString& path, const QStringList& lines);

// Puts a plan onto the disk: empties the destinations it empties, then for each pass and
// destination writes the playlist and copies the files under their names there, with the
// run's status texts and progress, and at the end writes the device playlists, listing the
// files that arrived. A file that fails to copy is reported by the copy and the
// run goes on. `checkCancel` runs between the steps (a cancel throws from it). Keeps the
// counters behind the closing report.
class Transfer
{
public:
    Transfer(ShuffleHost& host, std::function<void()> checkCancel)
        : m_host(host), m_checkCancel(std::move(checkCancel))
    {
    }

    void Apply(const RunPlan& plan);

    // Kilobytes per second over the copies: whole seconds as the report counts them, or the
    // milliseconds when every copy ended within one second. The bytes of each step are what
    // the destination held after it, its earlier content included.
    qint64 Rate() const;
    // Seconds spent copying, to the millisecond.
    double CopySeconds() const { return static_cast<double>(m_milliseconds) / 1000.0; }

private:
    // The targets of the files that arrived.
    QStringList Copy(const QString& folder, const PlannedPass& pass);

    ShuffleHost& m_host;
    std::function<void()> m_checkCancel;
    qint64 m_seconds = 0;
    qint64 m_milliseconds = 0;
    qint64 m_bytes = 0;
};
