#include "base/PathText.h"

#include "base/Text.h"

#include <QStringList>

namespace {

QChar Separator(bool useForwardSlash)
{
    return useForwardSlash ? QChar(u'/') : QChar(u'\\');
}

} // namespace

QString AddTrailingSlash(const QString& path, bool useForwardSlash)
{
    const QString p = TrimSpaces(path);
    const QChar sep = Separator(useForwardSlash);
    return p.endsWith(sep) ? p : p + sep;
}

QString RemoveTrailingSlash(const QString& path, bool useForwardSlash)
{
    const QString p = TrimSpaces(path);
    if (p.endsWith(Separator(useForwardSlash)) && p.size() > 3)
        return p.left(p.size() - 1);
    return path;
}

QString ParsePath(const QString& path, PathPart part, bool stripTrailingSlash, bool useForwardSlash)
{
    return ParsePath(path, static_cast<int>(part), stripTrailingSlash, useForwardSlash);
}

QString ParsePath(const QString& path, int part, bool stripTrailingSlash, bool useForwardSlash)
{
    QString p = TrimSpaces(path);
    const QString sep = QString(Separator(useForwardSlash));
    if (p.endsWith(sep))
        return p;

    const QString networkPrefix = QStringLiteral("\\\\");
    const bool network = p.startsWith(networkPrefix);
    if (network)
        p = p.mid(2);

    // The name parts need only the last component; the run asks for them once per file.
    if (part == static_cast<int>(PathPart::FileName) ||
        part == static_cast<int>(PathPart::Extension) ||
        part == static_cast<int>(PathPart::BaseName)) {
        const QString name = p.mid(p.lastIndexOf(sep) + 1);
        const qsizetype dot = name.lastIndexOf(u'.');
        if (part == static_cast<int>(PathPart::FileName))
            return name;
        if (part == static_cast<int>(PathPart::Extension))
            return dot < 0 ? QString() : name.mid(dot + 1);
        return dot < 0 ? name : name.left(dot);
    }

    QStringList pieces;
    const qint16 count = SplitString(pieces, p, sep, false);

    QString result;
    bool folderRules = false;
    switch (static_cast<PathPart>(part)) {
    case PathPart::Folder:
    case PathPart::ParentFolder: {
        folderRules = true;
        const int last = static_cast<PathPart>(part) == PathPart::Folder ? count - 1 : count - 2;
        if (count >= 2 && last >= 1)
            result = pieces.mid(1, last).join(sep) + sep;
        if (stripTrailingSlash && result.size() > 3)
            result.chop(1);
        break;
    }
    case PathPart::Root:
        folderRules = true;
        result = pieces.at(1);
        if (!stripTrailingSlash)
            result += sep;
        break;
    default: return {};
    }
    if (folderRules && network)
        result.prepend(networkPrefix);
    return result;
}

QString CleanFolderPath(const QString& path)
{
    QString clean;
    const QString trimmed = TrimSpaces(path);
    clean.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (c != u'/' || !clean.endsWith(u'/'))
            clean += c;
    }
    if (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean;
}
