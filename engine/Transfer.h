#pragma once

#include "engine/RunPlan.h"
#include "engine/ShuffleHost.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ConversionCache;
class ParallelConverter;
struct FileOperationResult;

// The playlist beside a destination folder: /media/stick/Music gives /media/stick/Music.m3u.
QString PlaylistPath(const QString& destinationFolder);

// Writes a playlist whole: "#EXTM3U", then the lines, each ended by CR LF, in UTF-8. It
// replaces an earlier one at once, so a stick's file system that does not cut files short
// when they are opened again never shows a stale end. Error 75 when it cannot be written.
void WritePlaylist(const QString& path, const QStringList& lines);

// Puts a plan onto the disk: empties the destinations it empties, then for each pass and
// destination writes the playlist and copies the files under their names there, with the
// run's status texts and progress, and at the end writes the device playlists, listing the
// files that arrived. Files to convert are converted on all cores, ahead of the copies, into
// the conversion cache, and copied from there; a converted file that turns out larger than
// its room is dropped. A file that fails to convert or copy is reported and the run goes on.
// `checkCancel` runs between the steps (a cancel throws from it). Keeps the counters behind the
// closing report.
class Transfer
{
public:
    Transfer(ShuffleHost& host, std::function<void()> checkCancel,
             std::optional<ConvertSettings> conversion = {});
    ~Transfer();

    void Apply(const RunPlan& plan);

    // Kilobytes per second over the copies: whole seconds as the report counts them, or the
    // milliseconds when every copy ended within one second. The bytes of each step are what
    // the destination held after it, its earlier content included.
    qint64 Rate() const;
    // Seconds spent copying, to the millisecond.
    double CopySeconds() const { return static_cast<double>(m_milliseconds) / 1000.0; }

private:
    struct BatchItem;

    // The targets of the files that arrived.
    QStringList Copy(const DestinationPlan& destination, const PlannedPass& pass);
    void ApplySteps(const RunPlan& plan);
    // Copies the batch and empties it; adds the targets that arrived, returns the bytes lost.
    qint64 CopyBatch(const QString& folderSlash, std::vector<BatchItem>& batch,
                     QStringList& arrived);
    FileOperationResult TimedCopy(const QStringList& sources, const QStringList& targets);
    // Shows a failure as a copy shows its own.
    void Report(const QString& failure);

    ShuffleHost& m_host;
    std::function<void()> m_checkCancel;
    std::optional<ConvertSettings> m_conversion;
    std::unique_ptr<ConversionCache> m_cache;
    std::unique_ptr<ParallelConverter> m_converter;
    qint64 m_seconds = 0;
    qint64 m_milliseconds = 0;
    qint64 m_bytes = 0;
};
