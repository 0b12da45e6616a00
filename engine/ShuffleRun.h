#pragma once

#include "documents/ShuffleJob.h"
#include "engine/RunPlan.h"
#include "engine/ShuffleHost.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class RunLock;
class Transfer;

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
    // Only makes the plan: no folder is made, nothing emptied, copied or written. Destinations
    // count as emptied, as an unattended run empties them.
    bool preview = false;
};

// Where the time of a run went, for the benchmarks.
struct ShuffleTimings
{
    double scanSeconds = 0; // the scan and the reading of every file's size and new mark
    double randomizeSeconds = 0;
    double planSeconds = 0;
    double copySeconds = 0;
};

// One run of a job: validation, the questions, then the plan (the library scan, every file's
// size and new mark, the destinations as they stand, the random orders, every budget and
// name), and only then its application: emptying, two passes over the destinations (new files,
// then any files) and the closing report. Everything that can stop the run short of the
// copying itself is known before anything is emptied. Lives for one run only.
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
    // The plan, once it was made.
    const std::optional<RunPlan>& Plan() const { return m_plan; }
    void setTimings(ShuffleTimings* timings) { m_timings = timings; }

private:
    struct Cancelled
    {
    };

    void CheckForCancel();
    ShuffleOutcome Stop(const QString& message);
    // The message that stops the run for its destinations, or empty.
    QString DestinationProblem() const;
    bool CreateMissingFolders(); // false: the user said no
    bool AskToEmpty();
    // What the job and the answer to the emptying question give the plan.
    RunFacts JobFacts();
    // Reads the libraries and the destinations; false when the libraries hold no file.
    bool GatherFacts(RunFacts& facts);
    void DrawOrders(RunFacts& facts);
    void Finish();

    const ShuffleJob& m_job;
    ShuffleHost& m_host;
    const bool m_autoMode;
    const ShuffleOptions m_options;
    QStringList m_folders; // the destinations' folders, cleaned
    std::unique_ptr<RunLock> m_lock;
    std::optional<quint32> m_seed;
    std::optional<RunPlan> m_plan;
    std::optional<Conversion> m_conversion;
    std::unique_ptr<Transfer> m_transfer;
    qint64 m_startSeconds = 0;

    QString m_finalStatus;
    ShuffleTimings* m_timings = nullptr;
};

// The run as the Start button and "/a" start it.
ShuffleOutcome StartShuffle(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                            QString* finalStatus = nullptr, const ShuffleOptions& options = {});
