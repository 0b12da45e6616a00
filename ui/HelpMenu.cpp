#include "ui/HelpMenu.h"

#include "base/Dialogs.h"
#include "platform/Paths.h"
#include "ui/AppInfo.h"

#include <QDesktopServices>
#include <QUrl>

#include <QStringList>

QString CommandLineHelpText()
{
    const QStringList lines = {
        QStringLiteral("Commandline arguments:"),
        QStringLiteral("/a Start automatically"),
        QStringLiteral("/c Close automatically when finished"),
        QStringLiteral("/q Don't display the main window (implies /c)"),
        QStringLiteral("/f:<file> Settings file to load"),
        QStringLiteral("/p Preview the run without touching any file"),
        QStringLiteral("/s:<seed> Repeat the random choices of a run"),
        QString(),
        QStringLiteral("Example:"),
        ExecutableName() + QStringLiteral(" /a /q /f:Default Settings"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

void ShowCommandLineHelp()
{
    Dialogs::MsgBox(CommandLineHelpText(), MsgButtons::OK, MsgIcon::None, kProductTitle);
}

void ShowAbout()
{
    Dialogs::MsgBox(kApplicationTitle + QStringLiteral("\r\nVersion: ") + VersionText() +
                        QStringLiteral("\r\n") + kAuthorLine,
                    MsgButtons::OK, MsgIcon::None, QStringLiteral("About ") + kApplicationTitle);
}

void OpenHomePage()
{
    if (!QDesktopServices::openUrl(QUrl(kHomePageUrl)))
        Dialogs::MsgBox(QStringLiteral("No web browser could be started for ") + kHomePageUrl,
                        MsgButtons::OK, MsgIcon::Exclamation);
}
