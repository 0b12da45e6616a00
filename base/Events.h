#pragma once

#include <functional>

// The one place that lets the window system handle pending events during long work.
void DoEvents();

// The same for tight loops (a draw per file, a check per candidate): pumps only when a
// millisecond has passed since the last pump, which keeps the window just as responsive while
// a loop of a hundred thousand steps no longer spends most of its time asking for events.
void DoEventsThrottled();

// Lets the windows repaint what a closed dialog uncovered, without taking any input.
void RepaintWindows();

// Runs the work on the application's main thread, where the windows live, and waits for it;
// directly when called there or before the application exists. The main thread must be
// running its event loop. An exception the work raises reaches the caller.
void OnMainThread(const std::function<void()>& work);
