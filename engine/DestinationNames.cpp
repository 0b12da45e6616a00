#include "engine/DestinationNames.h"

QString SafeFileName(const QString& fileName)
{
    QString safe = fileName;
    for (QChar& c : safe) {
        if (c.unicode() < 32 || QStringView(u"\"*:<>?\\|").contains(c))
            c = u'_';
    }
    while (safe.endsWith(u'.') || safe.endsWith(u' '))
        safe.chop(1);
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

QString DestinationNames::NameFor(const QString& fileName) const
{
    return m_safeNames ? SafeFileName(fileName) : fileName;
}

bool DestinationNames::Contains(const QString& nameHere) const
{
    return m_folded.contains(nameHere.toCaseFolded());
}

void DestinationNames::Add(const QString& nameHere)
{
    m_folded.insert(nameHere.toCaseFolded());
}
