#pragma once

class QWidget;

// Places the window (keeping its size) in the middle of the reference, or of the screen.
void CenterForm(QWidget* window, const QWidget* reference);

// Re-centres a window that lies partly off the screen; one that fits exactly stays.
void EnsureOnScreen(QWidget* window);

// The place stored in the preferences ("mainleft" and "maintop", in twips): either one -1 or
// missing centres the window, a place off the screen is re-centred.
void RestorePlacement(QWidget* window);

// Stores the window's place, taken in its normal (not minimized) state.
void StorePlacement(QWidget* window);
