#include "engine/ShuffleRun.h"

#include "engine/ScanFolder.h"
#include "engine/Transfer.h"
#include "support/AppError.h"
#include "support/CRndNoRepeat.h"
#include "support/Dialogs.h"
#include "support/ErrorReport.h"
#include "support/FileSystem.h"
#include "support/Int32Array.h"
#include "support/Paths.h"
#include "support/ShellFileOperation.h"
#include "support/Text.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {

// Loops over the lists count in 16 bits, which cannot step past 32,767.
void CheckListLimit(qint32 count)
{
    if (count >= 32767)
        RaiseError(ErrorNumber::Overflow);
}

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

// A random order of 0..n-1 as order(1..n); lists of one or two entries keep their order, since
// the random source cannot order fewer than three numbers.
Int32Array DrawOrder(CRndNoRepeat& rnd, qint32 n)
{
    Int32Array order(1, n);
    if (n > 2) {
        rnd.Non_Repeating_Numbers(n, n, order, 0, false);
    } else {
        for (qint32 k = 1; k <= n; ++k)
            order[k] = k - 1;
    }
    return order;
}

} // namespace

ShuffleRun::ShuffleRun(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode,
                       const ShuffleOptions& options)
    : m_job(job), m_host(host), m_autoMode(bAutoMode), m_options(options),
      // Taken again after the destinations are emptied; set here so that a run cancelled
      // before that reports 0 seconds instead of the whole epoch.
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
        if (const QString problem = DestinationProblem(); !problem.isEmpty())
            return Stop(problem);
        CheckForCancel();
        if (!CreateMissingFolders())
            return Stop(QString());
        CheckForCancel();

        // Nothing is emptied before the run knows it can go on: the libraries hold files and
        // every destination's budget can be formed.
        m_host.ShowProgress(true);
        m_host.SetProgress(0, 100);
        ScanLibraries();
        CheckForCancel();
        if (m_count == 0)
            return Stop(QStringLiteral("Nothing to do. No files were found!"));
        PlanDestinations();
        CheckForCancel();
        EmptyDestinations();
        CheckForCancel();

        m_startSeconds = QDateTime::currentSecsSinceEpoch();
        m_rename = m_job.renameFiles == 1;
        m_transfer.emplace(m_rename);
        CollectNewFiles();
        DrawOrders();

        const qint32 D = static_cast<qint32>(m_budgets.size());
        m_host.SetProgress(1, 2 * D + 1);
        CheckForCancel();
        for (Pass pass : {Pass::NewFiles, Pass::AnyFiles}) {
            for (qint16 d = 0; d < D; ++d)
                DestinationStep(pass, d);
            CheckForCancel();
        }

        CheckForCancel();
        if (m_rename && !m_options.preview) {
            m_host.SetStatus(QStringLiteral("Renaming files..."));
            m_transfer->RenameAll();
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

QString ShuffleRun::DestinationProblem() const
{
    for (const QString& entry : m_job.destinations) {
        const QString folder = DestinationEntry::Parse(entry).folder;
        if (TrimSpaces(folder).isEmpty() || IsRootPath(folder))
            return QStringLiteral("Cannot and will not continue! Either one of the destination "
                                  "folders is blank or it is a ROOT path.");
    }
    // Emptying such a destination would throw away the library itself.
    for (const QString& entry : m_job.destinations) {
        const QString folder = DestinationEntry::Parse(entry).folder;
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
    for (const QString& entry : m_job.destinations) {
        const QString folder = DestinationEntry::Parse(entry).folder;
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

void ShuffleRun::ScanLibraries()
{
    Stopwatch watch(m_timings ? &m_timings->scanSeconds : nullptr);
    m_host.SetStatus(QStringLiteral("Getting list of files..."));
    ScanLibraryEntries(m_job.libraries, m_job.fileTypes, m_files, m_count);
}

void ShuffleRun::PlanDestinations()
{
    CheckListLimit(m_count);
    CheckListLimit(static_cast<qint32>(m_job.destinations.size()));
    for (const QString& entry : m_job.destinations) {
        m_budgets.push_back(DestinationBudget::Of(DestinationEntry::Parse(entry)));
        m_safeNames.push_back(RefusesAwkwardNames(m_budgets.back().folder));
    }
}

void ShuffleRun::EmptyDestinations()
{
    if (m_options.preview) {
        for (const DestinationBudget& destination : m_budgets) {
            PreviewDestination found;
            found.folder = destination.folder;
            const FolderTotals totals = CountFolderContents(destination.folder);
            found.emptiedFiles = totals.files;
            found.emptiedBytes = totals.bytes;
            m_preview.push_back(found);
        }
        for (const bool safeNames : m_safeNames)
            m_previewNames.emplace_back(safeNames);
        m_previewBytes.assign(m_budgets.size(), 0);
        return;
    }
    const bool empty =
        m_autoMode ||
        Dialogs::MsgBox(QStringLiteral("Delete all files from destination folders first?"),
                        MsgButtons::YesNo, MsgIcon::Question, {}, MsgResult::No) == MsgResult::Yes;
    if (!empty)
        return;
    m_host.SetStatus(QStringLiteral("Deleting dest files..."));
    for (const DestinationBudget& destination : m_budgets)
        DeleteFilesToRecycle({AddTrailingSlash(destination.folder) + QStringLiteral("*.*")});
}

void ShuffleRun::CollectNewFiles()
{
    m_host.SetStatus(QStringLiteral("Scanning for new files..."));
    m_sizes.reserve(static_cast<std::size_t>(m_count));
    for (qint32 i = 0; i < m_count; ++i) {
        if (GetAttr(m_files.at(i)) & FileAttribute::Archive)
            m_newFileIndex.push_back(i);
        // Every step of both passes looks at the size of every candidate: read once per run.
        m_sizes.push_back(FileLen(m_files.at(i)));
        CheckForCancel();
    }
}

void ShuffleRun::DrawOrders()
{
    Stopwatch watch(m_timings ? &m_timings->randomizeSeconds : nullptr);
    m_host.SetStatus(QStringLiteral("Randomizing list..."));
    m_seed = m_options.seed.value_or(CRndNoRepeat::ClockSeed());
    CRndNoRepeat rnd(*m_seed);
    const Int32Array fileOrder = DrawOrder(rnd, m_count);
    const qint32 newCount = static_cast<qint32>(m_newFileIndex.size());
    const Int32Array newOrder = DrawOrder(rnd, newCount);
    const auto candidate = [this](qint32 index) {
        return Candidate{m_files.at(index), m_sizes[static_cast<std::size_t>(index)]};
    };
    for (qint32 k = 1; k <= m_count; ++k)
        m_allCandidates.push_back(candidate(fileOrder[k]));
    for (qint32 k = 1; k <= newCount; ++k)
        m_newCandidates.push_back(candidate(m_newFileIndex[static_cast<std::size_t>(newOrder[k])]));
}

void ShuffleRun::DestinationStep(Pass pass, qint16 d)
{
    const QString& folder = m_budgets[static_cast<std::size_t>(d)].folder;
    const qint32 D = static_cast<qint32>(m_budgets.size());
    const QString number = QString::number(d + 1) + QStringLiteral("...");

    if (!m_options.preview)
        m_transfer->OpenPlaylist(folder);
    m_host.SetStatus((pass == Pass::NewFiles ? QStringLiteral("Determining new files ")
                                             : QStringLiteral("Determining dest files ")) +
                     number);
    const StepSelection selection = SelectFor(pass, d);
    const std::vector<Candidate>& candidates =
        pass == Pass::NewFiles ? m_newCandidates : m_allCandidates;
    if (m_options.preview) {
        RecordPreview(pass, d, selection, candidates);
        m_host.SetProgress(D * (static_cast<int>(pass) - 1) + d + 2, 2 * D + 1);
        CheckForCancel();
        return;
    }
    m_transfer->ListInPlaylist(selection, candidates);
    if (!selection.chosen.empty()) {
        m_host.SetStatus((pass == Pass::NewFiles ? QStringLiteral("Copying new files ")
                                                 : QStringLiteral("Copying dest files ")) +
                         number);
        Stopwatch watch(m_timings ? &m_timings->copySeconds : nullptr);
        m_transfer->Copy(folder, selection, candidates);
    }
    m_host.SetProgress(D * (static_cast<int>(pass) - 1) + d + 2, 2 * D + 1);
    m_transfer->ClosePlaylist();
    CheckForCancel();
}

StepSelection ShuffleRun::SelectFor(Pass pass, qint16 d)
{
    Stopwatch watch(m_timings ? &m_timings->selectSeconds : nullptr);
    const auto self = static_cast<std::size_t>(d);
    const DestinationBudget& budget = m_budgets[self];
    const qint32 used = m_options.preview ? m_previewBytes[self] : FolderSize(budget.folder);
    // Pass 1 takes nothing for a destination that asks for no new files.
    const bool takes = pass == Pass::AnyFiles || budget.takesNewFiles;
    static const std::vector<Candidate> none;
    const std::vector<Candidate>& candidates =
        !takes ? none : (pass == Pass::NewFiles ? m_newCandidates : m_allCandidates);

    // What is on disk now: only the run writes into the destinations during a step.
    std::vector<DestinationNames> names;
    if (!m_options.preview) {
        names.reserve(m_budgets.size());
        for (std::size_t i = 0; i < m_budgets.size(); ++i)
            names.push_back(DestinationNames::Read(m_budgets[i].folder, m_safeNames[i]));
    }
    std::vector<const DestinationNames*> destinations;
    for (const DestinationNames& n : m_options.preview ? m_previewNames : names)
        destinations.push_back(&n);

    const QChar letter = !m_rename ? QChar() : pass == Pass::NewFiles ? u'A' : u'F';
    return SelectFiles(candidates, used, pass == Pass::NewFiles ? budget.newFiles : budget.all,
                       destinations, self, letter, [this] { CheckForCancel(); });
}

void ShuffleRun::RecordPreview(Pass pass, qint16 d, const StepSelection& selection,
                               const std::vector<Candidate>& candidates)
{
    const auto self = static_cast<std::size_t>(d);
    PreviewDestination::Step& step = m_preview[self].passes[pass == Pass::NewFiles ? 0 : 1];
    step = {};
    step.budget = pass == Pass::NewFiles ? m_budgets[self].newFiles : m_budgets[self].all;
    step.used = selection.used;
    for (const ChosenFile& file : selection.chosen) {
        step.names << (m_rename ? file.newName : file.name);
        step.sources << candidates[static_cast<std::size_t>(file.candidate)].path;
        // Later steps see the file under the name it has until the renaming at the end.
        m_previewNames[self].Add(file.name);
    }
    m_previewBytes[self] = selection.used;
}

void ShuffleRun::Finish()
{
    // Each step on its own: a failure here skips that step only. The host and the dialogs
    // belong to the window, whose own failures must not keep the run from ending.
    try {
        if (m_transfer)
            m_transfer->ClosePlaylist();
    } catch (...) {
    }
    try {
        m_host.SetBusy(false);
    } catch (...) {
    }
    try {
        if (m_seed)
            m_host.ShowSeed(*m_seed);
    } catch (...) {
    }
    try {
        const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - m_startSeconds;
        m_finalStatus = QStringLiteral("Done in ") + QString::number(elapsed) +
                        QStringLiteral(" seconds (Transferred ") +
                        QString::number(m_transfer ? m_transfer->Rate() : 0) +
                        QStringLiteral(" KB/s)");
        m_host.SetStatus(m_finalStatus);
    } catch (...) {
    }
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
