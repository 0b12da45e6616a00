#pragma once

#include <QStringList>

// The program's start: data folder, command line, then one of its modes: the window, an
// unattended run or a preview without a window, or the note that a window needs a display.
// Returns the process exit status.
int Main(const QStringList& arguments);

// Whether the command line's mode shows any widget (a window or a message box): never without
// a display, and never for a preview ("/p"). Decides the kind of application made at start-up.
bool NeedsWidgets(const QStringList& arguments, bool console);
