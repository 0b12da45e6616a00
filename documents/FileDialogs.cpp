#include "documents/FileDialogs.h"

#include "base/AppError.h"
#include "base/Dialogs.h"
#include "base/Text.h"
#include "platform/Paths.h"

#include <QStringList>

bool ShowFileDialog(QString& path, FileDialogMode mode, const QString& title,
                    const QString& initialFolder, const QString& filterList,
                    const QString& defaultExtension)
{
    try {
        QString folder = initialFolder;
        if (folder.size() > 3 && folder.endsWith(u'/'))
            folder.chop(1);
        if (!FolderIsAvailable(folder))
            folder = ProgramFolder();
        QString extension = defaultExtension;
        if (extension.isEmpty()) {
            const QString pattern = GetField(filterList, 2, QStringLiteral(","));
            const qsizetype dot = pattern.lastIndexOf(u'.');
            extension = dot < 0 ? QString() : pattern.mid(dot + 1);
        }
        const QString chosen = mode == FileDialogMode::Open
                                   ? Dialogs::OpenFile(title, filterList, folder, extension)
                                   : Dialogs::SaveFile(title, filterList, folder, extension);
        path = TrimAtNull(TrimSpaces(chosen));
        return !path.isEmpty();
    } catch (const AppError&) {
        return false;
    }
}

bool FolderIsAvailable(const QString& folder)
{
    return PathExists(folder, true);
}
