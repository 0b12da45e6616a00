#include "platform/Paths.h"

#include "base/AppError.h"
#include "base/Text.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

bool g_dataFolderSwitch = false;

} // namespace

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

bool FoldersOverlap(const QString& a, const QString& b)
{
    const QString x = Platform::CanonicalPath(AddTrailingSlash(a));
    const QString y = Platform::CanonicalPath(AddTrailingSlash(b));
    const auto within = [](const QString& outer, const QString& inner) {
        return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
    };
    return within(x, y) || within(y, x);
}
