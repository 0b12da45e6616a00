#include "engine/ShuffleRun.h"

#include "base/CRndNoRepeat.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Int32Array.h"
#include "base/Text.h"
#include "engine/JobEntries.h"
#include "engine/ScanFolder.h"
#include "engine/Transfer.h"
#include "platform/Paths.h"
#include "platform/RunLock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {

class Stopwatch
{
public:
    explicit Stopwatch(double* total) : m_total(total) { m_timer.start(); }
    ~Stopwatch()
    {
        if (m_total)
            *m_total += static_cast<double>(m_timer.nsecsElapsed()) / 1e9;
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double* m_total;
    QElapsedTimer m_timer;
};

// A random order of the positions; lists of one or two entries keep their order, since the
// random source cannot order fewer than three numbers.
std::vector<qsizetype> DrawOrder(CRndNoRepeat& rnd, const std::vector<qsizetype>& positions)
{
    const auto n = static_cast<qint32>(positions.size());
    if (n <= 2)
        return positions;
    Int32Array order;
    rnd.Non_Repeating_Numbers(n, n, order, 0, false);
    std::vector<qsizetype> drawn;
    drawn.reserve(positions.size());
    for (qint32 k = 1; k <= n; ++k)
        drawn.push_back(positions[static_cast<std::size_t>(order[k])]);
    return drawn;
}

} // namespace

ShuffleRun::ShuffleRun(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                       const ShuffleOptions& options)
    : m_job(job), m_host(host), m_autoMode(bAutoMode), m_options(options),
      // Taken again once the questions are answered; set here so that a run cancelled before
      // that reports 0 seconds instead of the whole epoch.
      m_startSeconds(QDateTime::currentSecsSinceEpoch())
{
}

ShuffleRun::~ShuffleRun() = default;

void ShuffleRun::CheckForCancel()
{
    if (m_host.CheckCancel())
        throw Cancelled{};
}

ShuffleOutcome ShuffleRun::Stop(const QString& message)
{
    m_host.SetBusy(false);
    if (!message.isEmpty())
        Dialogs::MsgBox(message, MsgButtons::OK, MsgIcon::Exclamation);
    return ShuffleOutcome::Stopped;
}

ShuffleOutcome ShuffleRun::Run()
{
    bool failed = false;
    try {
        m_host.ClearCancelRequest();
        m_host.SetBusy(true);
        m_host.SetStatus(QStringLiteral("Initializing..."));

        if (m_job.libraries.isEmpty() || m_job.destinations.isEmpty())
            return Stop(QStringLiteral("You must enter valid folders."));
        CheckForCancel();
        for (const QString& entry : m_job.destinations)
            m_folders << CleanFolderPath(DestinationEntry::Parse(entry).folder);
        if (const QString problem = DestinationProblem(); !problem.isEmpty())
            return Stop(problem);
        if (!m_options.preview) {
            m_lock = RunLock::Acquire(m_folders);
            if (!m_lock)
                return Stop(QStringLiteral("Cannot and will not continue! A destination folder "
                                           "is in use by another run."));
        }
        CheckForCancel();
        if (!CreateMissingFolders())
            return Stop(QString());
        CheckForCancel();
        RunFacts facts = JobFacts();
        CheckForCancel();

        m_host.ShowProgress(true);
        m_host.SetProgress(0, 100);
        m_startSeconds = QDateTime::currentSecsSinceEpoch();
        if (!GatherFacts(facts))
            return Stop(QStringLiteral("Nothing to do. No files were found!"));
        DrawOrders(facts);
        {
            Stopwatch watch(m_timings ? &m_timings->planSeconds : nullptr);
            m_plan = MakePlan(facts, [this] { CheckForCancel(); });
        }
        CheckForCancel();
        if (!m_options.preview) {
            m_transfer = std::make_unique<Transfer>(
                m_host, [this] { CheckForCancel(); },
                m_conversion ? std::optional(m_conversion->settings) : std::nullopt);
            m_transfer->Apply(*m_plan);
        }
    } catch (const Cancelled&) {
        // A confirmed cancel goes straight to the finish sequence.
    } catch (...) {
        failed = true;
        ReportCurrentError(QStringLiteral("An error occurred while doing stuff."));
    }
    Finish();
    return failed ? ShuffleOutcome::Failed : ShuffleOutcome::Finished;
}

RunFacts ShuffleRun::JobFacts()
{
    RunFacts facts;
    facts.emptying = AskToEmpty();
    facts.rename = m_job.renameFiles == 1;
    if (const std::optional<TargetFormat> format = ParseTargetFormat(m_job.player.convertTo))
        m_conversion = Conversion{{*format, m_job.player.convertKbps, m_job.player.levelLoudness},
                                  m_job.player.playerPlays};
    facts.filesPerFolder = std::max(0, m_job.player.filesPerFolder);
    facts.devicePlaylist = m_job.player.devicePlaylist;
    return facts;
}

QString ShuffleRun::DestinationProblem() const
{
    for (const QString& folder : m_folders) {
        if (folder.isEmpty() || IsRootPath(folder))
            return QStringLiteral("Cannot and will not continue! Either one of the destination "
                                  "folders is blank or it is a ROOT path.");
    }
    // Emptying such a destination would throw away the library itself.
    for (const QString& folder : m_folders) {
        for (const QString& library : m_job.libraries) {
            if (FoldersOverlap(folder, LibraryEntry::Parse(library).folder))
                return QStringLiteral("Cannot and will not continue! A destination folder is, "
                                      "contains or lies inside a library folder.");
        }
    }
    return {};
}

bool ShuffleRun::CreateMissingFolders()
{
    QStringList missing;
    for (const QString& folder : m_folders) {
        if (!PathExists(folder, true))
            missing << folder;
    }
    // A preview takes missing folders as made, and empty.
    if (missing.isEmpty() || m_options.preview)
        return true;
    if (Dialogs::MsgBox(
            QStringLiteral("One or more of the destination folders doesn't exist. Create them?"),
            MsgButtons::YesNo, MsgIcon::Exclamation) != MsgResult::Yes)
        return false;
    for (const QString& folder : missing)
        MakeFolderPath(folder);
    return true;
}

bool ShuffleRun::AskToEmpty()
{
    return m_autoMode || m_options.preview ||
           Dialogs::MsgBox(QStringLiteral("Delete all files from destination folders first?"),
                           MsgButtons::YesNo, MsgIcon::Question, {},
                           MsgResult::No) == MsgResult::Yes;
}

bool ShuffleRun::GatherFacts(RunFacts& facts)
{
    QStringList paths;
    {
        Stopwatch watch(m_timings ? &m_timings->scanSeconds : nullptr);
        m_host.SetStatus(QStringLiteral("Getting list of files..."));
        QStringList libraries;
        for (const QString& text : m_job.libraries) {
            LibraryEntry entry = LibraryEntry::Parse(text);
            entry.folder = CleanFolderPath(entry.folder);
            libraries << entry.Format();
        }
        qint32 count = 0;
        ScanLibraryEntries(libraries, m_job.fileTypes, paths, count);
        CheckForCancel();
        if (paths.isEmpty())
            return false;
        m_host.SetStatus(QStringLiteral("Scanning for new files..."));
        facts.files = ReadLibraryFiles(
            paths, [this] { CheckForCancel(); }, m_conversion);
    }
    for (const QString& entry : m_job.destinations)
        facts.destinations.push_back(ReadDestinationFacts(entry));
    CheckForCancel();
    return true;
}

void ShuffleRun::DrawOrders(RunFacts& facts)
{
    Stopwatch watch(m_timings ? &m_timings->randomizeSeconds : nullptr);
    m_host.SetStatus(QStringLiteral("Randomizing list..."));
    m_seed = m_options.seed.value_or(CRndNoRepeat::ClockSeed());
    CRndNoRepeat rnd(*m_seed);
    std::vector<qsizetype> all(facts.files.size());
    std::vector<qsizetype> fresh;
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<qsizetype>(i);
        if (facts.files[i].isNew)
            fresh.push_back(all[i]);
    }
    facts.fileOrder = DrawOrder(rnd, all);
    facts.newOrder = DrawOrder(rnd, fresh);
    CheckForCancel();
}

void ShuffleRun::Finish()
{
    // Each step on its own: a failure here skips that step only. The host and the dialogs
    // belong to the window, whose own failures must not keep the run from ending.
    try {
        m_host.SetBusy(false);
    } catch (...) {
    }
    try {
        if (m_seed)
            m_host.ShowSeed(*m_seed);
    } catch (...) {
    }
    // A preview transferred nothing: its caller shows the plan instead.
    if (!m_options.preview) {
        try {
            const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - m_startSeconds;
            m_finalStatus = QStringLiteral("Done in ") + QString::number(elapsed) +
                            QStringLiteral(" seconds (Transferred ") +
                            QString::number(m_transfer ? m_transfer->Rate() : 0) +
                            QStringLiteral(" KB/s)");
            m_host.SetStatus(m_finalStatus);
        } catch (...) {
        }
    }
    if (m_timings && m_transfer)
        m_timings->copySeconds += m_transfer->CopySeconds();
    if (!m_autoMode) {
        try {
            Dialogs::MsgBox(QStringLiteral("Done!"));
        } catch (...) {
        }
    }
}

ShuffleOutcome StartShuffle(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                            QString* finalStatus, const ShuffleOptions& options)
{
    ShuffleRun run(job, host, bAutoMode, options);
    const ShuffleOutcome outcome = run.Run();
    if (finalStatus)
        *finalStatus = run.FinalStatus();
    return outcome;
}
