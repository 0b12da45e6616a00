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

// Whether a file dialog can start in the folder: it exists. The dialog only lists it, so not
// even a root folder is tried for writing.
bool FolderIsAvailable(const QString& folder);
