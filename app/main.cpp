#include "app/Main.h"
#include "support/ConsoleDialogAnswerer.h"
#include "support/ConsoleFileOperationObserver.h"
#include "support/ConsoleMode.h"
#include "support/Dialogs.h"
#include "support/FileOperationObserver.h"
#include "support/Platform.h"
#include "support/ProductInfo.h"
#include "ui/AppIcon.h"
#include "ui/ProgressWindowObserver.h"
#include "ui/QtDialogAnswerer.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

// On the console, standard error carries the program's own messages; Qt's notes about the
// missing desktop (no runtime folder, no fonts) would only bury them.
void ConsoleMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Questions and file operations talk in windows with a display and on the console without.
void InstallFrontEnd(bool console)
{
    if (console) {
        Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());
        SetFileOperationObserverFactory(
            [] { return std::make_unique<ConsoleFileOperationObserver>(); });
    } else {
        Dialogs::SetAnswerer(std::make_unique<QtDialogAnswerer>());
        SetFileOperationObserverFactory([] { return std::make_unique<ProgressWindowObserver>(); });
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Without a display the program still runs unattended jobs: Qt draws offscreen and every
    // question goes to the console.
    SetConsoleMode(!Platform::HasDisplay());
    if (ConsoleMode()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(ConsoleMessageHandler);
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(kProductTitle);
    QApplication::setOrganizationName(kCompanyName);
    QApplication::setApplicationVersion(kVersionFull);
    // Lets the desktop match the windows to the installed entry and its icon.
    QApplication::setDesktopFileName(kApplicationId);
    // Set once here so that every dialog carries it too.
    QApplication::setWindowIcon(AppIcon());
    InstallFrontEnd(ConsoleMode());
    return Main(QApplication::arguments().mid(1));
}
