#include "engine/Transfer.h"

#include "base/AppError.h"
#include "media/ParallelConverter.h"
#include "platform/FileOperationObserver.h"
#include "platform/Paths.h"
#include "platform/ShellFileOperation.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSaveFile>
#include <cmath>

namespace {

// Converted files handed to one copy at a time.
constexpr int kConvertedPerCopy = 8;

} // namespace

QString PlaylistPath(const QString& destinationFolder)
{
    const QString parent = ParsePath(
        AddTrailingSlash(destinationFolder) + QStringLiteral("foo.$$$"), PathPart::ParentFolder);
    return AddTrailingSlash(parent) + ParsePath(destinationFolder, PathPart::FileName) +
           QStringLiteral(".m3u");
}

void WritePlaylist(const QString& path, const QStringList& lines)
{
    QSaveFile file(path);
    QByteArray bytes("#EXTM3U\r\n");
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        RaiseError(ErrorNumber::PathFileAccess, path + QStringLiteral(": ") + file.errorString());
}

Transfer::Transfer(ShuffleHost& host, std::function<void()> checkCancel,
                   std::optional<ConvertSettings> conversion)
    : m_host(host), m_checkCancel(std::move(checkCancel)), m_conversion(std::move(conversion))
{
}

// Conversions still running stop, leaving nothing behind.
Transfer::~Transfer() = default;

void Transfer::Apply(const RunPlan& plan)
{
    try {
        ApplySteps(plan);
    } catch (...) {
        // A cancelled or failed run leaves no conversion running behind its closing report.
        if (m_converter)
            m_converter->Cancel();
        throw;
    }
}

void Transfer::ApplySteps(const RunPlan& plan)
{
    QStringList emptied;
    QStringList toConvert;
    for (const DestinationPlan& destination : plan.destinations)
        emptied += destination.emptied;
    for (int pass = 0; pass < 2; ++pass)
        for (const DestinationPlan& destination : plan.destinations)
            for (const PlannedFile& file : destination.passes[pass].files)
                if (file.convert)
                    toConvert << file.source;
    if (!emptied.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Deleting dest files..."));
        DeleteItems(emptied, m_host.NewFileObserver().get());
    }
    m_checkCancel();
    // Every conversion of the run, in the order the copies take them, from the start.
    if (!toConvert.isEmpty() && m_conversion) {
        m_cache = std::make_unique<ConversionCache>();
        m_converter = std::make_unique<ParallelConverter>(*m_cache, *m_conversion);
        m_converter->Submit(toConvert);
    }

    const qint32 D = static_cast<qint32>(plan.destinations.size());
    std::vector<QStringList> arrived(plan.destinations.size());
    m_host.SetProgress(1, 2 * D + 1);
    m_checkCancel();
    for (int pass = 0; pass < 2; ++pass) {
        for (qint32 d = 0; d < D; ++d) {
            const DestinationPlan& destination = plan.destinations[static_cast<std::size_t>(d)];
            const PlannedPass& planned = destination.passes[pass];
            const QString number = QString::number(d + 1) + QStringLiteral("...");
            m_host.SetStatus((pass == 0 ? QStringLiteral("Determining new files ")
                                        : QStringLiteral("Determining dest files ")) +
                             number);
            WritePlaylist(destination.playlist, planned.playlist);
            m_checkCancel();
            if (!planned.files.empty()) {
                m_host.SetStatus((pass == 0 ? QStringLiteral("Copying new files ")
                                            : QStringLiteral("Copying dest files ")) +
                                 number);
                arrived[static_cast<std::size_t>(d)] += Copy(destination, planned);
            }
            m_host.SetProgress(D * pass + d + 2, 2 * D + 1);
            m_checkCancel();
        }
        m_checkCancel();
    }
    for (std::size_t d = 0; d < plan.destinations.size(); ++d) {
        if (!plan.destinations[d].devicePlaylist.isEmpty())
            WritePlaylist(plan.destinations[d].devicePlaylist, arrived[d]);
    }
}

struct Transfer::BatchItem
{
    QString source;
    const PlannedFile* file;
    qint64 lost;          // what the pass does not hold when it does not arrive
    CachedFile converted; // held in the cache until it is copied
};

qint64 Transfer::CopyBatch(const QString& folderSlash, std::vector<BatchItem>& batch,
                           QStringList& arrived)
{
    if (batch.empty())
        return 0;
    QStringList sources;
    QStringList targets;
    for (const BatchItem& item : batch) {
        sources << item.source;
        targets << folderSlash + item.file->target;
    }
    const FileOperationResult copied = TimedCopy(sources, targets);
    qint64 missing = 0;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (copied.arrived.value(static_cast<qsizetype>(i)))
            arrived << batch[i].file->target;
        else
            missing += batch[i].lost;
    }
    batch.clear();
    return missing;
}

FileOperationResult Transfer::TimedCopy(const QStringList& sources, const QStringList& targets)
{
    const qint64 startSeconds = QDateTime::currentSecsSinceEpoch();
    QElapsedTimer precise;
    precise.start();
    FileOperationResult copied = CopyFiles(sources, targets, m_host.NewFileObserver().get());
    m_seconds += QDateTime::currentSecsSinceEpoch() - startSeconds;
    m_milliseconds += precise.elapsed();
    return copied;
}

QStringList Transfer::Copy(const DestinationPlan& destination, const PlannedPass& pass)
{
    const QString folderSlash = AddTrailingSlash(destination.folder);
    const auto counted = [&destination](qint64 size) {
        const qint64 block = destination.blockSize;
        return (size + block - 1) / block * block;
    };
    // What the pass will hold: the planned sizes at first, each converted file's real size
    // once it is known. A file whose real size would take it past the budget is dropped.
    qint64 holds = pass.used;
    qint64 missing = 0;
    QStringList arrived;
    // Files go to the copy together, as one flush serves them all; with conversions, a few at a
    // time, so that the copies go on while the next files are converted.
    std::vector<BatchItem> batch;
    int convertedInBatch = 0;
    const auto flush = [&] {
        missing += CopyBatch(folderSlash, batch, arrived);
        convertedInBatch = 0;
    };
    for (const PlannedFile& file : pass.files) {
        if (!file.convert || !m_converter) {
            batch.push_back({file.source, &file, file.size, {}});
            continue;
        }
        if (convertedInBatch >= kConvertedPerCopy)
            flush();
        m_checkCancel();
        const ConversionResult converted = m_converter->Take();
        holds -= counted(file.size);
        if (!converted.error.isEmpty()) {
            Report(converted.error);
        } else if (converted.cancelled) {
            m_checkCancel();
        } else if (holds + counted(converted.file.size) > pass.budget) {
            Report(QStringLiteral("Dropped \"%1\": converted it takes %2 bytes, more than the "
                                  "room it was planned for")
                       .arg(file.source)
                       .arg(converted.file.size));
        } else {
            holds += counted(converted.file.size);
            batch.push_back(
                {converted.file.path, &file, counted(converted.file.size), converted.file});
            ++convertedInBatch;
        }
    }
    flush();
    // The folder's earlier content counts too: the transfer is measured by what the step used.
    m_bytes += holds - missing;
    return arrived;
}

void Transfer::Report(const QString& failure)
{
    const std::unique_ptr<FileOperationObserver> observer = m_host.NewFileObserver();
    if (!observer)
        return;
    observer->Begin(FileOperationObserver::Kind::Copy, 0, 0);
    observer->AddFailure(failure);
    observer->End();
}

qint64 Transfer::Rate() const
{
    double rate = 0;
    if (m_seconds > 0)
        rate = static_cast<double>(m_bytes) / 1024.0 / static_cast<double>(m_seconds);
    else if (m_milliseconds > 0)
        rate =
            static_cast<double>(m_bytes) / 1024.0 / (static_cast<double>(m_milliseconds) / 1000.0);
    return static_cast<qint64>(std::trunc(rate));
}
