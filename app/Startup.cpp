#include "app/Main.h"
#include "base/ConsoleDialogAnswerer.h"
#include "base/Dialogs.h"
#include "base/ProductInfo.h"
#include "platform/ConsoleFileOperationObserver.h"
#include "platform/ConsoleMode.h"
#include "platform/FileOperationObserver.h"
#include "platform/Platform.h"
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
    // Without a display the program still runs unattended jobs, and every question goes to the
    // console.
    SetConsoleMode(!Platform::HasDisplay());
    if (ConsoleMode())
        qInstallMessageHandler(ConsoleMessageHandler);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Modes that show nothing make no widget at all: no window system is needed, and none is
    // touched.
    const bool widgets = NeedsWidgets(arguments, ConsoleMode());
    std::unique_ptr<QCoreApplication> application;
    if (widgets) {
        application = std::make_unique<QApplication>(argc, argv);
        // Lets the desktop match the windows to the installed entry and its icon.
        QGuiApplication::setDesktopFileName(kApplicationId);
        // Set once here so that every dialog carries it too.
        QGuiApplication::setWindowIcon(AppIcon());
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(kProductTitle);
    QCoreApplication::setOrganizationName(kCompanyName);
    QCoreApplication::setApplicationVersion(kVersionFull);
    InstallFrontEnd(!widgets);
    return Main(arguments);
}
