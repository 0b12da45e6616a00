#pragma once

#include <QString>

// The playlist beside a destination folder: /media/stick/Music gives /media/stick/Music.m3u.
QString PlaylistPath(const QString& destinationFolder);

// Gives each name of the NUL-separated old list the name at the same position of the new
// list. Lists of unequal length are error 52; a failed rename raises its error with
// " Naming <old> to <new>" after the description. An empty old name ends the work.
void RenameCopiedFiles(const QString& oldNames, const QString& newNames);
