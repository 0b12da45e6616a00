#include "Dialogs.h"
#include "Main.h"
#include "Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Without a display the program still runs unattended jobs: Qt draws offscreen and every
    // question goes to the console.
    if (!Platform::HasDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pendrift"));
    QApplication::setOrganizationName(QStringLiteral("Orlenna"));
    Dialogs::InstallDefaultAnswerer();
    return Main(QApplication::arguments().mid(1));
}
