#pragma once

#include "engine/Selection.h"
#include "support/CStringBuilder.h"

#include <QSaveFile>
#include <QString>
#include <memory>
#include <vector>

// The playlist beside a destination folder: /media/stick/Music gives /media/stick/Music.m3u.
QString PlaylistPath(const QString& destinationFolder);

// Gives each name of the NUL-separated old list the name at the same position of the new
// list. Lists of unequal length are error 52; a failed rename raises its error with
// " Naming <old> to <new>" after the description. An empty old name ends the work.
void RenameCopiedFiles(const QString& oldNames, const QString& newNames);

// What a run hands to the disk: each destination step's playlist and copy, the random rename at
// the end, and the counters behind the closing report.
class Transfer
{
public:
    explicit Transfer(bool rename) : m_rename(rename) {}

    // The step's playlist: replaced whole when it is closed, so a stick's file system that
    // does not cut files short when they are opened again never shows a stale end. Error 75
    // when it cannot be made or written.
    void OpenPlaylist(const QString& folder);
    // Lists the chosen files' library paths, unless the copies are renamed.
    void ListInPlaylist(const StepSelection& selection, const std::vector<Candidate>& candidates);
    void ClosePlaylist();

    // Copies the chosen files into the folder, each under its name there. What did not arrive
    // is neither counted as transferred nor renamed later.
    void Copy(const QString& folder, const StepSelection& selection,
              const std::vector<Candidate>& candidates);
    // Gives every copy its new name, in the order they were chosen.
    void RenameAll();

    // Kilobytes per second over the copies: whole seconds as the report counts them, or the
    // milliseconds when every copy ended within one second.
    qint64 Rate() const;

private:
    const bool m_rename;
    std::unique_ptr<QSaveFile> m_playlist;
    CStringBuilder m_oldNames;
    CStringBuilder m_newNames;
    qint32 m_seconds = 0;
    qint64 m_milliseconds = 0;
    qint32 m_bytes = 0;
};
