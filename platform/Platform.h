#pragma once

#include <QString>
#include <optional>

// The thin layer over the operating system for paths and folders. Everything above it speaks
// in QString paths in the native form.
namespace Platform {

// Whether anything, a folder or a regular file is at the path, links followed; false for an
// empty path.
bool Exists(const QString& path);
bool IsDirectory(const QString& path);
bool IsFile(const QString& path);
// $TMPDIR, else /tmp, with links resolved; empty when $TMPDIR names no folder.
QString TempFolder();
// The device of the user's trash folder, or of its nearest existing parent; none when the
// user has no data folder at all.
std::optional<quint64> TrashDevice();
// Creates an empty file named prefix + unique suffix in the folder; its full path or empty.
QString CreateUniqueFile(const QString& folder, const QString& prefix);
// $XDG_CONFIG_HOME when set and absolute, else $HOME/.config; empty when neither is known.
QString ConfigFolder();
QString ExecutableFolder();
// The absolute path with symbolic links, "." and ".." resolved as far as the path exists (the
// rest cleaned as text), without a trailing separator; the current folder for an empty path.
QString CanonicalPath(const QString& path);
bool IsMountPoint(const QString& canonicalPath);
// Whether the environment offers a display: DISPLAY or WAYLAND_DISPLAY is set. Read once at
// start-up; everything else asks ConsoleMode().
bool HasDisplay();

QByteArray Encode(const QString& path);

// The process's file-creation mask (mode bits a new file does not get).
quint32 CurrentUmask();

} // namespace Platform
