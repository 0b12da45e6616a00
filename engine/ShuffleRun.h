#pragma once

#include "engine/ShuffleHost.h"
#include "engine/ShuffleJob.h"
#include "support/CStringBuilder.h"
#include "support/Int32Array.h"

#include <QFile>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// Where the time of a run went, for the benchmarks.
struct ShuffleTimings
{
    double scanSeconds = 0;
    double randomizeSeconds = 0;
    double selectSeconds = 0;
    double copySeconds = 0;
};

// One run of a job: validation, preparing the destinations, scanning the libraries, the two
// random orders, two passes over the destinations (new files, then any files), the random
// rename and the closing report. Lives for one run only.
class ShuffleRun
{
public:
    ShuffleRun(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode);
    ~ShuffleRun();

    ShuffleOutcome Run();

    // The last status line of the finish sequence ("Done in ..."), empty when none was made.
    const QString& FinalStatus() const { return m_finalStatus; }
    void setTimings(ShuffleTimings* timings) { m_timings = timings; }

private:
    struct Cancelled
    {
    };

    enum class Pass
    {
        NewFiles = 1,
        AnyFiles = 2
    };

    void CheckForCancel();
    ShuffleOutcome Stop(const QString& message);
    bool ValidateAndPrepare(); // false: stopped
    void ScanLibraries();
    void CollectNewFiles();
    void DrawOrders();
    void DestinationStep(Pass pass, qint16 d);
    void SelectFiles(Pass pass, qint16 d);
    qint32 CandidateSize(qint32 fileIndex);
    void CopyChosenFiles(const QString& folder);
    void OpenPlaylist(const QString& folder);
    void ClosePlaylist();
    void Finish();

    const ShuffleJob& m_job;
    ShuffleHost& m_host;
    const bool m_autoMode;

    QStringList m_files;
    qint32 m_count = 0;
    // The new files, as their places in the file list.
    std::vector<qint32> m_newFileIndex;
    qint32 m_newCount = 0;
    // The sizes read so far (-1: not yet).
    std::vector<qint32> m_sizes;
    Int32Array m_fileOrder;
    Int32Array m_newOrder;
    bool m_rename = false;
    qint64 m_startSeconds = 0;
    qint32 m_transferSeconds = 0;
    qint64 m_transferMilliseconds = 0;
    qint32 m_transferBytes = 0;
    std::optional<CStringBuilder> m_oldNames;
    std::optional<CStringBuilder> m_newNames;
    std::unique_ptr<QFile> m_playlist;

    // The destination step in progress.
    CStringBuilder m_copyList;
    qint32 m_used = 0;
    qint16 m_chosen = 0;

    QString m_finalStatus;
    ShuffleTimings* m_timings = nullptr;
};

// The run as the Start button and "/a" start it.
ShuffleOutcome StartShuffle(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                            QString* finalStatus = nullptr);
