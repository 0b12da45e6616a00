#pragma once

// The one place that lets the window system handle pending events during long work.
void DoEvents();
