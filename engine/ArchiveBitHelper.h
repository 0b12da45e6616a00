#pragma once

#include "engine/ProgressHost.h"

#include <QString>
#include <QStringList>

// Makes library files "old" again: asks for a date and clears the attributes (the archive
// mark, read-only) of every library file last changed before that day, so that a run no
// longer counts them as new. Works on the library entries and file types as the window
// shows them. Reports its own failures.
void ArchiveBitHelper(const QStringList& libraries, const QString& fileTypes, ProgressHost& host);

// The prompt of its date question.
QString ArchiveBitHelperPrompt();
