#include "engine/Transfer.h"

#include "support/AppError.h"
#include "support/Paths.h"
#include "support/Platform.h"
#include "support/Text.h"

#include <QStringList>

QString PlaylistPath(const QString& destinationFolder)
{
    const QString parent = ParsePath(
        AddTrailingSlash(destinationFolder) + QStringLiteral("foo.$$$"), PathPart::ParentFolder);
    return AddTrailingSlash(parent) + ParsePath(destinationFolder, PathPart::FileName) +
           QStringLiteral(".m3u");
}

void RenameCopiedFiles(const QString& oldNames, const QString& newNames)
{
    const QString nul(QChar(u'\0'));
    QStringList oldPieces;
    QStringList newPieces;
    const qint16 oldCount = SplitString(oldPieces, oldNames, nul, false);
    const qint16 newCount = SplitString(newPieces, newNames, nul, false);
    if (oldCount != newCount)
        RaiseError(ErrorNumber::BadFileName);
    if (oldCount < 1)
        return;
    for (qint16 i = 1; i <= oldCount; ++i) {
        if (TrimSpaces(oldPieces.at(i)).isEmpty())
            return;
        try {
            Platform::RenameNoReplace(oldPieces.at(i), newPieces.at(i));
        } catch (const AppError& e) {
            throw AppError(e.number(),
                           e.description() + QStringLiteral(" Naming ") + oldPieces.at(i) +
                               QStringLiteral(" to ") + newPieces.at(i),
                           e.source());
        }
    }
}
