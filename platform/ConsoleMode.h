#pragma once

#include <QString>

// Whether the program talks on the console instead of in windows (no display). Decided once,
// at start-up, from the environment; everything else asks here.
bool ConsoleMode();
void SetConsoleMode(bool console);

// In console mode, the line (not empty) on standard output, where the status line and the
// seed of a run are read; nothing otherwise.
void ConsoleLine(const QString& line);
