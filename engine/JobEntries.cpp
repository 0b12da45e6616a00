#include "engine/JobEntries.h"

#include "support/Numbers.h"
#include "support/Text.h"

namespace {

const QString kIncludeSubfolders = QStringLiteral("<+>");
const QString kComma = QStringLiteral(",");

} // namespace

LibraryEntry LibraryEntry::Parse(const QString& text)
{
    if (text.endsWith(kIncludeSubfolders))
        return {text.chopped(kIncludeSubfolders.size()), true};
    return {text, false};
}

QString LibraryEntry::Format() const
{
    return includeSubfolders ? folder + kIncludeSubfolders : folder;
}

DestinationEntry DestinationEntry::Parse(const QString& text)
{
    return {GetField(text, 1, kComma), GetField(text, 2, kComma), GetField(text, 3, kComma)};
}

QString DestinationEntry::Format() const
{
    return folder + kComma + PlainDecimal(LeadingNumber(maxSize)) + kComma +
           PlainDecimal(LeadingNumber(percent));
}

qint32 DestinationEntry::MaxSizeMegabytes() const
{
    return ToInt32(LeadingNumber(maxSize));
}

qint16 DestinationEntry::PercentNew() const
{
    return ToInt16(LeadingNumber(percent));
}
