#include "documents/JobDocument.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "documents/CBinaryINI.h"

namespace {

const QString kSection = QStringLiteral("settings");
const QString kLibrary = QStringLiteral("Library");
const QString kFiletypes = QStringLiteral("Filetypes");
const QString kDestination = QStringLiteral("Destination");
const QString kRenameFiles = QStringLiteral("RenameFiles");
const QChar kDelimiter = u'|';

QStringList SplitList(const QString& text)
{
    if (TrimSpaces(text).isEmpty())
        return {};
    return text.split(kDelimiter);
}

} // namespace

ShuffleJob ReadJob(const CBinaryINI& document)
{
    ShuffleJob job;
    job.libraries = SplitList(document.GetValue(kLibrary, {}, kSection));
    job.fileTypes = document.GetValue(kFiletypes, kDefaultFileTypes, kSection);
    job.destinations = SplitList(document.GetValue(kDestination, {}, kSection));
    const double rename =
        LeadingNumber(document.GetValue(kRenameFiles, QStringLiteral("0"), kSection));
    job.renameFiles = rename == 1 || rename == 2 ? static_cast<int>(rename) : 0;
    return job;
}

void WriteJob(CBinaryINI& document, const ShuffleJob& job)
{
    document.WriteValue(kLibrary, job.libraries.join(kDelimiter), kSection);
    document.WriteValue(kFiletypes, job.fileTypes, kSection);
    document.WriteValue(kDestination, job.destinations.join(kDelimiter), kSection);
    document.WriteValue(kRenameFiles, QString::number(job.renameFiles), kSection);
}
