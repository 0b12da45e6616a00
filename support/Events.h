#pragma once

// The one place that lets the window system handle pending events during long work.
void DoEvents();

// The same for tight loops (a draw per file, a check per candidate): pumps only when a
// millisecond has passed since the last pump, which keeps the window just as responsive while
// a loop of a hundred thousand steps no longer spends most of its time asking for events.
void DoEventsThrottled();

// Lets the windows repaint what a closed dialog uncovered, without taking any input.
void RepaintWindows();
