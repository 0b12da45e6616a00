#pragma once

#include <QIcon>

// The program's icon: the installed one from the desktop's icon theme, else the copy built
// into the program (a run from the build folder, or a theme that lacks it).
QIcon AppIcon();
