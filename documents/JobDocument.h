#pragma once

#include "documents/ShuffleJob.h"

class CBinaryINI;

// Where a job lives in a settings document: the keys "Library", "Filetypes", "Destination" and
// "RenameFiles" of the section "settings", and beside them the player settings
// "DevicePlaylist", "FilesPerFolder", "ConvertTo", "ConvertKbps", "PlayerPlays" and
// "LevelLoudness", each stored only while it differs from its default. The two entry lists are
// stored as their items joined by "|".

// A missing file-type key gives the default list; a rename value other than 0, 1 or 2 reads
// as 0. A list text of spaces only holds no items; any other is cut at every "|", empty pieces
// included. A player setting that does not read as one of its values reads as its default.
ShuffleJob ReadJob(const CBinaryINI& document);

// Sets the four keys (an empty list removes its key); the caller commits.
void WriteJob(CBinaryINI& document, const ShuffleJob& job);
