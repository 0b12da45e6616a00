#include "engine/Transfer.h"

#include "support/AppError.h"
#include "support/FileOperationObserver.h"
#include "support/Numbers.h"
#include "support/Paths.h"
#include "support/Platform.h"
#include "support/ShellFileOperation.h"
#include "support/Text.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <cmath>

QString PlaylistPath(const QString& destinationFolder)
{
    const QString parent = ParsePath(
        AddTrailingSlash(destinationFolder) + QStringLiteral("foo.$$$"), PathPart::ParentFolder);
    return AddTrailingSlash(parent) + ParsePath(destinationFolder, PathPart::FileName) +
           QStringLiteral(".m3u");
}

void RenameCopiedFiles(const QString& oldNames, const QString& newNames)
{
    const QString nul(QChar(u'\0'));
    QStringList oldPieces;
    QStringList newPieces;
    const qint16 oldCount = SplitString(oldPieces, oldNames, nul, false);
    const qint16 newCount = SplitString(newPieces, newNames, nul, false);
    if (oldCount != newCount)
        RaiseError(ErrorNumber::BadFileName);
    if (oldCount < 1)
        return;
    for (qint16 i = 1; i <= oldCount; ++i) {
        if (TrimSpaces(oldPieces.at(i)).isEmpty())
            return;
        try {
            Platform::RenameNoReplace(oldPieces.at(i), newPieces.at(i));
        } catch (const AppError& e) {
            throw AppError(e.number(),
                           e.description() + QStringLiteral(" Naming ") + oldPieces.at(i) +
                               QStringLiteral(" to ") + newPieces.at(i),
                           e.source());
        }
    }
}

void Transfer::OpenPlaylist(const QString& folder)
{
    ClosePlaylist();
    auto file = std::make_unique<QSaveFile>(PlaylistPath(folder));
    if (!file->open(QIODevice::WriteOnly))
        RaiseError(ErrorNumber::PathFileAccess,
                   file->fileName() + QStringLiteral(": ") + file->errorString());
    file->write("#EXTM3U\r\n");
    m_playlist = std::move(file);
}

void Transfer::ListInPlaylist(const StepSelection& selection,
                              const std::vector<Candidate>& candidates)
{
    if (m_rename || !m_playlist)
        return;
    for (const ChosenFile& file : selection.chosen)
        m_playlist->write(candidates[static_cast<std::size_t>(file.candidate)].path.toUtf8() +
                          "\r\n");
}

void Transfer::ClosePlaylist()
{
    if (!m_playlist)
        return;
    const std::unique_ptr<QSaveFile> file = std::move(m_playlist);
    if (!file->commit())
        RaiseError(ErrorNumber::PathFileAccess,
                   file->fileName() + QStringLiteral(": ") + file->errorString());
}

void Transfer::Copy(const QString& folder, const StepSelection& selection,
                    const std::vector<Candidate>& candidates)
{
    const QString folderSlash = AddTrailingSlash(folder);
    QStringList sources;
    QStringList targets;
    for (const ChosenFile& file : selection.chosen) {
        sources << candidates[static_cast<std::size_t>(file.candidate)].path;
        targets << folderSlash + file.name;
    }
    const qint64 startSeconds = QDateTime::currentSecsSinceEpoch();
    QElapsedTimer precise;
    precise.start();
    const FileOperationResult copied =
        CopyFiles(sources, targets, NewFileOperationObserver().get());
    m_seconds = CheckedAdd(m_seconds,
                           static_cast<qint32>(QDateTime::currentSecsSinceEpoch() - startSeconds));
    m_milliseconds += precise.elapsed();

    qint32 missing = 0;
    const QString nul(QChar(u'\0'));
    for (std::size_t i = 0; i < selection.chosen.size(); ++i) {
        const ChosenFile& file = selection.chosen[i];
        if (!copied.arrived.value(static_cast<qsizetype>(i))) {
            missing += candidates[static_cast<std::size_t>(file.candidate)].size;
        } else if (m_rename) {
            m_oldNames.Append(folderSlash + file.name).Append(nul);
            m_newNames.Append(folderSlash + file.newName).Append(nul);
        }
    }
    // The folder's earlier content counts too: the transfer is measured by what the step used.
    m_bytes = CheckedAdd(m_bytes, selection.used - missing);
}

void Transfer::RenameAll()
{
    const QString nul(QChar(u'\0'));
    m_oldNames.Append(nul);
    m_newNames.Append(nul);
    RenameCopiedFiles(m_oldNames.ToString(), m_newNames.ToString());
}

qint64 Transfer::Rate() const
{
    double rate = 0;
    if (m_seconds > 0)
        rate = m_bytes / 1024.0 / m_seconds;
    else if (m_milliseconds > 0)
        rate = m_bytes / 1024.0 / (static_cast<double>(m_milliseconds) / 1000.0);
    return static_cast<qint64>(std::trunc(rate));
}
