#pragma once

#include <functional>

// Runs the work on a thread of its own and returns when it is done, while the calling thread,
// the window's, keeps handling its events: the window repaints, answers a close request, and
// shows what the work asks it to show. An exception the work raises reaches the caller.
void RunOffThread(const std::function<void()>& work);
