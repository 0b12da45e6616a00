#include "engine/ArchiveBitHelper.h"

#include "base/AppError.h"
#include "base/Dates.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Events.h"
#include "engine/ScanFolder.h"
#include "platform/FileSystem.h"

#include <QDate>

namespace {

// The file loop counts with a signed 16-bit index, so the last position is 32,767.
constexpr qint32 kMaxFiles = 32768;

// Each step of the clean-up stands alone: one failing must not keep the others from running.
template <typename Step> void IgnoringFailure(Step step)
{
    try {
        step();
    } catch (...) {
    }
}

QStringList LibraryFiles(const QStringList& libraries, const QString& fileTypes)
{
    QStringList files;
    qint32 count = 0;
    ScanLibraryEntries(libraries, fileTypes, files, count);
    return files;
}

void ResetFilesBefore(const QStringList& files, QDate cutOff, ProgressHost& host)
{
    const qint32 count = static_cast<qint32>(files.size());
    if (count > kMaxFiles)
        RaiseError(ErrorNumber::Overflow);
    for (qint32 i = 0; i < count; ++i) {
        // Local dates: before 00:00 of the day entered is the same as an earlier day.
        if (FileDateTime(files.at(i)).date() < cutOff)
            SetAttr(files.at(i), FileAttribute::Normal);
        host.SetProgress(i + 1, count);
    }
}

} // namespace

QString ArchiveBitHelperPrompt()
{
    return QStringLiteral("This utility is meant to be used in conjunction with the '% New Files' "
                          "option in the shuffler. It will help you render the files in your "
                          "Libraries \"old.\"\r\n\r\n"
                          "Set the Archive bit OFF for files older than (enter date):");
}

void ArchiveBitHelper(const QStringList& libraries, const QString& fileTypes, ProgressHost& host)
{
    if (libraries.isEmpty()) {
        Dialogs::MsgBox(QStringLiteral("There are no libraries to search."), MsgButtons::OK,
                        MsgIcon::Exclamation);
        return;
    }
    const QDate suggested = QDate::currentDate().addDays(14);
    const QString answer = Dialogs::InputBox(
        ArchiveBitHelperPrompt(), QStringLiteral("Archive Bit Helper"), ShortDateText(suggested));
    if (answer.isEmpty())
        return;
    // The work below does not yield; without this the closed box stays painted over the window.
    RepaintWindows();

    try {
        host.SetWaitCursor(true);
        host.ShowProgress(true);
        host.SetProgress(0, 100);
        const QDate cutOff = ParseDate(answer);
        host.SetStatus(QStringLiteral("Getting list of files..."));
        const QStringList files = LibraryFiles(libraries, fileTypes);
        if (!files.isEmpty()) {
            host.SetStatus(QStringLiteral("Working..."));
            ResetFilesBefore(files, cutOff, host);
        }
    } catch (...) {
        // Files reset before the failure stay reset.
        ReportCurrentError(QStringLiteral("Sorry. Operation aborted."));
    }
    IgnoringFailure([&] { host.SetWaitCursor(false); });
    IgnoringFailure([&] { host.SetStatus(QString()); });
    IgnoringFailure([&] { host.ShowProgress(false); });
}
