#pragma once

// Paths as the file system sees them: what exists, the program's and the user's folders,
// folders made, roots and overlaps. The texts alone are base/PathText.h's.

#include "base/PathText.h"
#include "base/ProductInfo.h"

#include <QString>

// Asks the file system (stat) whether anything exists at the path. With the strip flag a
// trailing separator is dropped from paths of 4 or more characters first.
bool PathExists(const QString& path, bool stripTrailingSlash);

// Creates an empty file with a unique name that starts with the prefix, in the folder or, when
// no folder is given, in the temporary folder. Returns its full path, or empty on failure.
QString CreateTempFile(const QString& prefix, const QString& folder = QString());

// Folder ids understood by GetSpecialFolderPath.
inline constexpr int CSIDL_APPDATA = 26;

// The per-user folder for the id (26: $XDG_CONFIG_HOME, else ~/.config); empty when unknown.
QString GetSpecialFolderPath(int folderId, int flags);

// With the data-folder switch on: <config folder>/Orlenna/Pendrift, without a trailing
// separator. With it off: the program's own folder.
QString GetDataFolder();
void SetDataFolderSwitch(bool on);
bool DataFolderSwitch();

// The folder of the running executable, with a trailing separator.
QString ProgramFolder();

// The running executable's own file name (a copy named "mixer" answers "mixer"); "pendrift"
// when it cannot be told. The preferences file and the help's example are named after it.
QString ExecutableName();

// Creates every missing level of the path it can. Never reports.
void MakeFolderPath(const QString& path);

// True when emptying the folder would wipe a volume, a home or the system: fewer than two
// levels by the text rule, a folder directly under "/", a mount point, the user's home folder
// or any folder that contains it.
bool IsRootPath(const QString& path);

// True when one folder is the other or lies inside it, compared after links, "." and ".." are
// resolved (as far as the folders exist).
bool FoldersOverlap(const QString& a, const QString& b);
