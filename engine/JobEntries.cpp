#include "engine/JobEntries.h"

#include "base/Numbers.h"
#include "base/Text.h"

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
    const qsizetype last = text.lastIndexOf(kComma);
    const qsizetype middle = last > 0 ? text.lastIndexOf(kComma, last - 1) : -1;
    if (middle < 0)
        return {GetField(text, 1, kComma), GetField(text, 2, kComma), QString()};
    return {text.left(middle), text.mid(middle + 1, last - middle - 1), text.mid(last + 1)};
}

QString DestinationEntry::Format() const
{
    return folder + kComma +
           (IsFree() ? QStringLiteral("free") : PlainDecimal(LeadingNumber(maxSize))) + kComma +
           PlainDecimal(LeadingNumber(percent));
}

bool DestinationEntry::IsFree() const
{
    return EqualNoCase(TrimSpaces(maxSize), u"free");
}

qint64 DestinationEntry::MaxSizeMegabytes() const
{
    return ToInt64(LeadingNumber(maxSize));
}

qint16 DestinationEntry::PercentNew() const
{
    return ToInt16(LeadingNumber(percent));
}
