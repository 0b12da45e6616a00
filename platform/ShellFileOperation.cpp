#include "platform/ShellFileOperation.h"

#include "platform/FileOperationObserver.h"

namespace {

// The entries of a double-NUL-terminated list; a text without NUL is one entry.
QStringList SplitPathList(const QString& list)
{
    QStringList paths = list.split(QChar(0));
    // The list ends at its first empty entry.
    const qsizetype end = paths.indexOf(QString());
    if (end >= 0)
        paths.resize(end);
    return paths;
}

} // namespace

int ShellFileOperation(int operation, const QString& sourceList, const QString& targetList)
{
    const std::unique_ptr<FileOperationObserver> observer = NewFileOperationObserver();
    switch (operation) {
    case ShellOperation::Copy:
        return CopyFiles(SplitPathList(sourceList), SplitPathList(targetList), observer.get())
            .notDone;
    case ShellOperation::Delete:
        return DeleteItems(SplitPathList(sourceList), observer.get()).notDone;
    default: return 1; // no such operation: nothing was done
    }
}

int DeleteFilesToRecycle(const QStringList& paths)
{
    return ShellFileOperation(ShellOperation::Delete, paths.join(QChar(0)) + QChar(0) + QChar(0),
                              QString());
}
