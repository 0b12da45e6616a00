#include "engine/Transfer.h"

#include "base/AppError.h"
#include "platform/Paths.h"
#include "platform/ShellFileOperation.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSaveFile>
#include <cmath>

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

void Transfer::Apply(const RunPlan& plan)
{
    QStringList emptied;
    for (const DestinationPlan& destination : plan.destinations)
        emptied += destination.emptied;
    if (!emptied.isEmpty()) {
        m_host.SetStatus(QStringLiteral("Deleting dest files..."));
        DeleteItems(emptied, m_host.NewFileObserver().get());
    }
    m_checkCancel();

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
                arrived[static_cast<std::size_t>(d)] += Copy(destination.folder, planned);
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

QStringList Transfer::Copy(const QString& folder, const PlannedPass& pass)
{
    const QString folderSlash = AddTrailingSlash(folder);
    QStringList sources;
    QStringList targets;
    for (const PlannedFile& file : pass.files) {
        sources << file.source;
        targets << folderSlash + file.target;
    }
    const qint64 startSeconds = QDateTime::currentSecsSinceEpoch();
    QElapsedTimer precise;
    precise.start();
    const FileOperationResult copied = CopyFiles(sources, targets, m_host.NewFileObserver().get());
    m_seconds += QDateTime::currentSecsSinceEpoch() - startSeconds;
    m_milliseconds += precise.elapsed();

    // What did not arrive is not counted as transferred.
    qint64 missing = 0;
    QStringList arrived;
    for (std::size_t i = 0; i < pass.files.size(); ++i) {
        if (copied.arrived.value(static_cast<qsizetype>(i)))
            arrived << pass.files[i].target;
        else
            missing += pass.files[i].size;
    }
    m_bytes += pass.used - missing;
    return arrived;
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
