#pragma once

// Whether the program talks on the console instead of in windows (no display). Decided once,
// at start-up, from the environment; everything else asks here.
bool ConsoleMode();
void SetConsoleMode(bool console);
