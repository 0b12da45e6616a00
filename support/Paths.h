#pragma once

#include "support/ProductInfo.h"

#include <QString>

// Path texts. Every operation that takes useForwardSlash works with "/" when it is true (the
// native form, which is what callers pass) and with "\" when it is false. The network prefix
// "\\" is only recognised in its backslash form.

enum class PathPart : int
{
    Folder = 0,
    FileName = 1,
    Extension = 2,
    BaseName = 3,
    ParentFolder = 4,
    Root = 5,
};

QString AddTrailingSlash(const QString& path, bool useForwardSlash = true);
QString RemoveTrailingSlash(const QString& path, bool useForwardSlash = true);
QString ParsePath(const QString& path, PathPart part = PathPart::Folder,
                  bool stripTrailingSlash = true, bool useForwardSlash = true);
// Same, for a part selector read from elsewhere: values outside 0..5 give an empty text.
QString ParsePath(const QString& path, int part, bool stripTrailingSlash = true,
                  bool useForwardSlash = true);

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

// A folder as every use of it sees it: spaces around it trimmed, each run of "/" made one and
// a trailing "/" dropped ("/m//Stick/" is "/m/Stick"; "/" stays "/").
QString CleanFolderPath(const QString& path);

// True when one folder is the other or lies inside it, compared after links, "." and ".." are
// resolved (as far as the folders exist).
bool FoldersOverlap(const QString& a, const QString& b);
