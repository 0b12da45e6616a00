#pragma once

#include <QString>

// The switches as the Help menu and a console start that needs a window explain them, lines
// joined by CR LF, with an example named after the running executable.
QString CommandLineHelpText();

// The help text in a message box with an OK button and no icon.
void ShowCommandLineHelp();

// The About box: the title, the version and the author line.
void ShowAbout();

// The home page in the desktop's browser; an exclamation box when none can be started.
void OpenHomePage();
