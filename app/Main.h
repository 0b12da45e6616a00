#pragma once

#include <QStringList>

// The program's start: data folder, command line, window and unattended run. Returns the
// process exit status.
int Main(const QStringList& arguments);
