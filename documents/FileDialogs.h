#pragma once

#include <QString>

enum class FileDialogMode
{
    Open = 0,
    Save = 1
};

// The open and save chooser for settings documents, shown by the Dialogs service. The initial
// folder loses a trailing separator and falls back to the program's folder when it is not
// available; the default extension is taken from the filter when none is given. Returns whether the
// user confirmed; the chosen path, trimmed, goes to path. Failures count as not confirmed.
bool ShowFileDialog(QString& path, FileDialogMode mode, const QString& title,
                    const QString& initialFolder, const QString& filterList,
                    const QString& defaultExtension = {});

// A root folder is available when a file can be written there; any other folder when it
// exists.
bool FolderIsAvailable(const QString& folder);

// Writes, closes and removes a small file in the folder.
bool TestFolderWrite(const QString& folder);
