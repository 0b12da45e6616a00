#pragma once

#include "documents/ShuffleJob.h"
#include "engine/DestinationNames.h"
#include "engine/Selection.h"
#include "engine/ShuffleHost.h"
#include "engine/Transfer.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// How a run ended, for the exit status of an unattended run.
enum class ShuffleOutcome
{
    Finished, // reached its finish sequence without an error report (also after a cancel)
    Stopped,  // a validation or the user stopped it before the work began
    Failed,   // an error was reported; the finish sequence ran
};

// How a run draws its orders and whether it touches the disk at all.
struct ShuffleOptions
{
    // The random orders follow from this seed; none: a seed is taken from the clock.
    std::optional<quint32> seed;
    // Only works out what the run would do: no folder is made, nothing emptied, copied,
    // renamed or written. Destinations count as emptied.
    bool preview = false;
};

// What a preview found for one destination.
struct PreviewDestination
{
    struct Step
    {
        // The chosen files in order: their names in the destination, and where they come from.
        QStringList names;
        QStringList sources;
        qint32 used = 0;
        qint32 budget = 0;
    };
    QString folder;
    // What emptying would remove: files (at any depth) and their bytes.
    qint64 emptiedFiles = 0;
    qint64 emptiedBytes = 0;
    Step passes[2];
};

// Where the time of a run went, for the benchmarks.
struct ShuffleTimings
{
    double scanSeconds = 0;
    double randomizeSeconds = 0;
    double selectSeconds = 0;
    double copySeconds = 0;
};

// One run of a job: validation, the library scan, the destinations' budgets, emptying them,
// the two random orders, two passes over the destinations (new files, then any files), the
// random rename and the closing report. Everything that can stop the run is known before
// anything is emptied. Lives for one run only.
class ShuffleRun
{
public:
    ShuffleRun(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
               const ShuffleOptions& options = {});
    ~ShuffleRun();

    ShuffleOutcome Run();

    // The last status line of the finish sequence ("Done in ..."), empty when none was made.
    const QString& FinalStatus() const { return m_finalStatus; }
    // The seed of the random orders, once they were drawn.
    std::optional<quint32> Seed() const { return m_seed; }
    const std::vector<PreviewDestination>& Preview() const { return m_preview; }
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
    // The message that stops the run for its destinations, or empty.
    QString DestinationProblem() const;
    bool CreateMissingFolders(); // false: the user said no
    void ScanLibraries();
    void PlanDestinations();
    void EmptyDestinations();
    void CollectNewFiles();
    void DrawOrders();
    void DestinationStep(Pass pass, qint16 d);
    StepSelection SelectFor(Pass pass, qint16 d);
    void RecordPreview(Pass pass, qint16 d, const StepSelection& selection,
                       const std::vector<Candidate>& candidates);
    void Finish();

    const ShuffleJob& m_job;
    ShuffleHost& m_host;
    const bool m_autoMode;
    const ShuffleOptions m_options;
    std::optional<quint32> m_seed;
    // A preview's findings, and what its destinations would hold.
    std::vector<PreviewDestination> m_preview;
    std::vector<DestinationNames> m_previewNames;
    std::vector<qint32> m_previewBytes;

    QStringList m_files;
    qint32 m_count = 0;
    std::vector<DestinationBudget> m_budgets;
    // Whether each destination needs safe names.
    std::vector<bool> m_safeNames;
    // The new files, as their places in the file list.
    std::vector<qint32> m_newFileIndex;
    std::vector<qint32> m_sizes;
    // The candidates of each pass in their random order.
    std::vector<Candidate> m_newCandidates;
    std::vector<Candidate> m_allCandidates;
    bool m_rename = false;
    qint64 m_startSeconds = 0;
    std::optional<Transfer> m_transfer;

    QString m_finalStatus;
    ShuffleTimings* m_timings = nullptr;
};

// The run as the Start button and "/a" start it.
ShuffleOutcome StartShuffle(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                            QString* finalStatus = nullptr, const ShuffleOptions& options = {});
