#include "support/Paths.h"

#include "support/AppError.h"
#include "support/Platform.h"
#include "support/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QChar Separator(bool useForwardSlash)
{
    return useForwardSlash ? QChar(u'/') : QChar(u'\\');
}

bool g_dataFolderSwitch = false;

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

bool PathExists(const QString& path, bool stripTrailingSlash)
{
    QString p = path;
    if (stripTrailingSlash && p.endsWith(u'/') && p.size() >= 4)
        p.chop(1);
    return Platform::Exists(p);
}

QString CreateTempFile(const QString& prefix, const QString& folder)
{
    const QString dir = folder.isNull() ? Platform::TempFolder() : folder;
    if (folder.isNull() && dir.isEmpty())
        return {}; // no temporary folder, and not the current one instead
    return TrimAtNull(TrimSpaces(Platform::CreateUniqueFile(dir, prefix)));
}

QString GetSpecialFolderPath(int folderId, int flags)
{
    Q_UNUSED(flags);
    if (folderId != CSIDL_APPDATA)
        return {};
    return TrimAtNull(Platform::ConfigFolder());
}

void SetDataFolderSwitch(bool on)
{
    g_dataFolderSwitch = on;
}

bool DataFolderSwitch()
{
    return g_dataFolderSwitch;
}

QString GetDataFolder()
{
    if (!g_dataFolderSwitch)
        return ProgramFolder();
    return AddTrailingSlash(GetSpecialFolderPath(CSIDL_APPDATA, 0)) + kCompanyName + u'/' +
           kProductTitle;
}

QString ExecutableName()
{
    const QString path =
        QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? kExecutableName : name;
}

QString ProgramFolder()
{
    return AddTrailingSlash(Platform::ExecutableFolder());
}

void MakeFolderPath(const QString& path)
{
    if (!path.isEmpty())
        QDir().mkpath(path);
}

bool IsRootPath(const QString& path)
{
    QString p = TrimSpaces(path);
    if (p.startsWith(QStringLiteral("\\\\")))
        p = QStringLiteral("X:") + p.mid(2);
    QStringList pieces;
    if (SplitString(pieces, p, QStringLiteral("/"), true) < 2)
        return true;

    // Beyond the text rule: a folder whose emptying would wipe a volume, a home or the system.
    const QString full = Platform::CanonicalPath(p);
    if (full == QStringLiteral("/") || full.count(u'/') == 1)
        return true;
    const QString home = Platform::CanonicalPath(QDir::homePath());
    if (home == full || home.startsWith(full + u'/'))
        return true;
    return Platform::IsMountPoint(full);
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

bool FoldersOverlap(const QString& a, const QString& b)
{
    const QString x = Platform::CanonicalPath(AddTrailingSlash(a));
    const QString y = Platform::CanonicalPath(AddTrailingSlash(b));
    const auto within = [](const QString& outer, const QString& inner) {
        return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
    };
    return within(x, y) || within(y, x);
}
