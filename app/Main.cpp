#include "Main.h"

#include "CommandLine.h"
#include "ErrorReport.h"
#include "Paths.h"

#include <cstdio>

int Main(const QStringList& arguments)
{
    try {
        SetDataFolderSwitch(true);
        InitDataFolder();
        const SwitchTable switches = ParseCommandLine(arguments);
        if (HasSwitch(switches, QStringLiteral("?")))
            return 0;
        // The main window and the document loading are not built yet.
        std::fputs("pendrift: the main window is not available in this build yet.\n", stderr);
        return 2;
    } catch (...) {
        ReportCurrentError(QStringLiteral("An error ocurred while initializing."));
        return 1;
    }
}
