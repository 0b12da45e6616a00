#include "engine/ShuffleRun.h"

#include "engine/ScanFolder.h"
#include "engine/Transfer.h"
#include "support/AppError.h"
#include "support/CRndNoRepeat.h"
#include "support/Dialogs.h"
#include "support/ErrorReport.h"
#include "support/FileSystem.h"
#include "support/Numbers.h"
#include "support/Paths.h"
#include "support/ShellFileOperation.h"
#include "support/Text.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSet>
#include <cmath>

namespace {

const QChar kNul(u'\0');

QString DestinationFolder(const QString& entry)
{
    return GetField(entry, 1, QStringLiteral(","));
}

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

} // namespace

ShuffleRun::ShuffleRun(const ShuffleJob& job, ShuffleHost& host, bool bAutoMode)
    : m_job(job), m_host(host), m_autoMode(bAutoMode),
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
        if (!ValidateAndPrepare())
            return ShuffleOutcome::Stopped;

        m_host.ShowProgress(true);
        m_host.SetProgress(0, 100);
        m_startSeconds = QDateTime::currentSecsSinceEpoch();
        m_rename = m_job.renameFiles == 1;

        ScanLibraries();
        CheckForCancel();
        if (m_count == 0)
            return Stop(QStringLiteral("Nothing to do. No files were found!"));
        CheckForCancel();
        CollectNewFiles();
        DrawOrders();

        const qint32 D = m_job.destinations.size();
        CheckListLimit(D);
        m_host.SetProgress(1, 2 * D + 1);
        CheckForCancel();
        if (m_rename) {
            m_oldNames.emplace();
            m_newNames.emplace();
        }
        for (Pass pass : {Pass::NewFiles, Pass::AnyFiles}) {
            for (qint16 d = 0; d < D; ++d)
                DestinationStep(pass, d);
            CheckForCancel();
        }

        CheckForCancel();
        if (m_rename) {
            m_host.SetStatus(QStringLiteral("Renaming files..."));
            m_oldNames->Append(QString(kNul));
            m_newNames->Append(QString(kNul));
            RenameCopiedFiles(m_oldNames->ToString(), m_newNames->ToString());
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

bool ShuffleRun::ValidateAndPrepare()
{
    for (const QString& entry : m_job.destinations) {
        const QString folder = DestinationFolder(entry);
        if (TrimSpaces(folder).isEmpty() || IsRootPath(folder)) {
            Stop(QStringLiteral("Cannot and will not continue! Either one of the destination "
                                "folders is blank or it is a ROOT path."));
            return false;
        }
    }
    CheckForCancel();

    bool anyMissing = false;
    for (const QString& entry : m_job.destinations) {
        if (!PathExists(DestinationFolder(entry), true)) {
            anyMissing = true;
            break;
        }
    }
    if (anyMissing) {
        const MsgResult answer = Dialogs::MsgBox(
            QStringLiteral("One or more of the destination folders doesn't exist. Create them?"),
            MsgButtons::YesNo, MsgIcon::Exclamation);
        if (answer != MsgResult::Yes) {
            Stop(QString());
            return false;
        }
        for (const QString& entry : m_job.destinations) {
            const QString folder = DestinationFolder(entry);
            if (!PathExists(folder, true))
                MakeFolderPath(folder);
        }
    }
    CheckForCancel();

    bool empty = m_autoMode;
    if (!empty)
        empty = Dialogs::MsgBox(QStringLiteral("Delete all files from destination folders first?"),
                                MsgButtons::YesNo, MsgIcon::Question, {},
                                MsgResult::No) == MsgResult::Yes;
    if (empty) {
        m_host.SetStatus(QStringLiteral("Deleting dest files..."));
        for (const QString& entry : m_job.destinations)
            DeleteFilesToRecycle(
                {AddTrailingSlash(DestinationFolder(entry)) + QStringLiteral("*.*")});
    }
    CheckForCancel();
    return true;
}

void ShuffleRun::ScanLibraries()
{
    Stopwatch watch(m_timings ? &m_timings->scanSeconds : nullptr);
    m_host.SetStatus(QStringLiteral("Getting list of files..."));
    for (const QString& entry : m_job.libraries) {
        bool subfolders = false;
        const QString folder = LibraryEntryFolder(entry, &subfolders);
        ScanFolder(m_files, m_count, folder, subfolders, false, QString(), m_job.fileTypes);
    }
}

void ShuffleRun::CollectNewFiles()
{
    m_host.SetStatus(QStringLiteral("Scanning for new files..."));
    CheckListLimit(m_count);
    m_sizes.assign(static_cast<std::size_t>(m_count), -1);
    for (qint32 i = 0; i < m_count; ++i) {
        if (GetAttr(m_files.at(i)) & FileAttribute::Archive) {
            m_newFileIndex.push_back(i);
            ++m_newCount;
        }
        CheckForCancel();
    }
}

void ShuffleRun::DrawOrders()
{
    Stopwatch watch(m_timings ? &m_timings->randomizeSeconds : nullptr);
    m_host.SetStatus(QStringLiteral("Randomizing list..."));
    CRndNoRepeat rnd;
    // Lists of one or two entries are visited in list order: a random order of fewer than
    // three numbers is never drawn.
    const auto draw = [&rnd](qint32 n, Int32Array& order) {
        if (n > 2) {
            rnd.Non_Repeating_Numbers(n, n, order, 0, false);
        } else {
            order = Int32Array(1, n);
            for (qint32 k = 1; k <= n; ++k)
                order[k] = k - 1;
        }
    };
    draw(m_count, m_fileOrder);
    draw(m_newCount, m_newOrder);
}

void ShuffleRun::DestinationStep(Pass pass, qint16 d)
{
    const QString& entry = m_job.destinations.at(d);
    const QString folder = DestinationFolder(entry);
    const qint32 D = m_job.destinations.size();
    const QString number = QString::number(d + 1) + QStringLiteral("...");

    OpenPlaylist(folder);
    m_host.SetStatus((pass == Pass::NewFiles ? QStringLiteral("Determining new files ")
                                             : QStringLiteral("Determining dest files ")) +
                     number);
    {
        Stopwatch watch(m_timings ? &m_timings->selectSeconds : nullptr);
        SelectFiles(pass, d);
    }
    if (m_chosen > 0) {
        m_host.SetStatus((pass == Pass::NewFiles ? QStringLiteral("Copying new files ")
                                                 : QStringLiteral("Copying dest files ")) +
                         number);
        CopyChosenFiles(folder);
    }
    m_host.SetProgress(D * (static_cast<int>(pass) - 1) + d + 2, 2 * D + 1);
    ClosePlaylist();
    CheckForCancel();
}

void ShuffleRun::SelectFiles(Pass pass, qint16 d)
{
    const QString& entry = m_job.destinations.at(d);
    const QString folder = DestinationFolder(entry);
    const qint32 maxSize = ToInt32(LeadingNumber(GetField(entry, 2, QStringLiteral(","))));
    const qint16 percent = ToInt16(LeadingNumber(GetField(entry, 3, QStringLiteral(","))));

    m_copyList = CStringBuilder();
    m_chosen = 0;
    m_used = FolderSize(folder);

    qint32 n = 0;
    qint32 budget = 0;
    if (pass == Pass::NewFiles) {
        if (percent > 0) {
            n = m_newCount;
            const qint32 whole = CheckedMul(maxSize, 1048576);
            budget = ToInt32(percent / 100.0 * static_cast<double>(whole));
        }
    } else {
        n = m_count;
        budget = CheckedMul(maxSize, 1048576);
    }
    CheckListLimit(n);

    const Int32Array& order = pass == Pass::NewFiles ? m_newOrder : m_fileOrder;
    const QString folderSlash = AddTrailingSlash(folder);
    QStringList destinationFolders;
    for (const QString& other : m_job.destinations)
        destinationFolders << AddTrailingSlash(DestinationFolder(other));
    // Two library files of one name would overwrite each other in this step's copy.
    QSet<QString> chosenNames;

    for (qint32 k = 1; k <= n; ++k) {
        const qint32 index =
            pass == Pass::NewFiles ? m_newFileIndex[static_cast<std::size_t>(order[k])] : order[k];
        const QString& candidate = m_files.at(index);
        const qint32 size = CandidateSize(index);
        if (CheckedAdd(m_used, size) <= budget) {
            const QString name = ParsePath(candidate, PathPart::FileName);
            bool taken = chosenNames.contains(name);
            for (qsizetype i = 0; i < destinationFolders.size() && !taken; ++i)
                taken = PathExists(destinationFolders.at(i) + name, true);
            if (!taken) {
                chosenNames.insert(name);
                ++m_chosen;
                m_used += size;
                m_copyList.Append(candidate).Append(QString(kNul));
                if (m_rename) {
                    const QString letter =
                        pass == Pass::NewFiles ? QStringLiteral("A") : QStringLiteral("F");
                    m_oldNames->Append(folderSlash + name).Append(QString(kNul));
                    m_newNames
                        ->Append(folderSlash + letter +
                                 QStringLiteral("%1").arg(m_chosen, 4, 10, QChar(u'0')) + u'.' +
                                 ParsePath(candidate, PathPart::Extension))
                        .Append(QString(kNul));
                } else if (m_playlist) {
                    m_playlist->write(candidate.toUtf8() + "\r\n");
                }
            }
        }
        CheckForCancel();
    }
}

// Every step of both passes looks at the size of every candidate; reading each size once per
// run instead of once per step saves most of the run's file-system queries on a large library.
qint32 ShuffleRun::CandidateSize(qint32 fileIndex)
{
    qint32& size = m_sizes[static_cast<std::size_t>(fileIndex)];
    if (size < 0)
        size = FileLen(m_files.at(fileIndex));
    return size;
}

void ShuffleRun::CopyChosenFiles(const QString& folder)
{
    Stopwatch watch(m_timings ? &m_timings->copySeconds : nullptr);
    m_copyList.Append(QString(kNul));
    const qint64 startSeconds = QDateTime::currentSecsSinceEpoch();
    QElapsedTimer precise;
    precise.start();
    ShellFileOperation(ShellOperation::Copy, m_copyList.ToString(), folder + kNul + kNul);
    m_transferSeconds = CheckedAdd(
        m_transferSeconds, static_cast<qint32>(QDateTime::currentSecsSinceEpoch() - startSeconds));
    m_transferMilliseconds += precise.elapsed();
    m_transferBytes = CheckedAdd(m_transferBytes, m_used);
}

void ShuffleRun::OpenPlaylist(const QString& folder)
{
    ClosePlaylist();
    auto file = std::make_unique<QFile>(PlaylistPath(folder));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        RaiseError(ErrorNumber::PathFileAccess,
                   file->fileName() + QStringLiteral(": ") + file->errorString());
    file->write("#EXTM3U\r\n");
    m_playlist = std::move(file);
}

void ShuffleRun::ClosePlaylist()
{
    if (m_playlist) {
        m_playlist->close();
        m_playlist.reset();
    }
}

void ShuffleRun::Finish()
{
    // Each step on its own: a failure here skips that step only.
    try {
        ClosePlaylist();
    } catch (...) {
    }
    try {
        m_host.SetBusy(false);
    } catch (...) {
    }
    try {
        const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - m_startSeconds;
        // Within one second the rate is taken over the copy time in milliseconds.
        double rate = 0;
        if (m_transferSeconds > 0)
            rate = m_transferBytes / 1024.0 / m_transferSeconds;
        else if (m_transferMilliseconds > 0)
            rate =
                m_transferBytes / 1024.0 / (static_cast<double>(m_transferMilliseconds) / 1000.0);
        m_finalStatus = QStringLiteral("Done in ") + QString::number(elapsed) +
                        QStringLiteral(" seconds (Transferred ") +
                        QString::number(static_cast<qint64>(std::trunc(rate))) +
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
                            QString* finalStatus)
{
    ShuffleRun run(job, host, bAutoMode);
    const ShuffleOutcome outcome = run.Run();
    if (finalStatus)
        *finalStatus = run.FinalStatus();
    return outcome;
}
