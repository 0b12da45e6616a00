#pragma once

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

// A folder as every use of it sees it: spaces around it trimmed, each run of "/" made one and
// a trailing "/" dropped ("/m//Stick/" is "/m/Stick"; "/" stays "/").
QString CleanFolderPath(const QString& path);
