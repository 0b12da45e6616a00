#include "app/Main.h"

#include "app/Preview.h"

#include "app/CommandLine.h"
#include "support/ConsoleDialogAnswerer.h"
#include "support/ConsoleMode.h"
#include "support/Dialogs.h"
#include "support/ErrorReport.h"
#include "support/Paths.h"
#include "ui/CommandLineHelp.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

// Exit statuses of a run started from the command line.
constexpr int kFinished = 0;
constexpr int kStoppedOrFailed = 1;
constexpr int kNeedsWindow = 2;

// A window that will never be seen leaves the desktop's window position alone.
std::unique_ptr<frmMain> CreateMainWindow(bool willBeSeen = true)
{
    auto window = std::make_unique<frmMain>();
    window->Load(willBeSeen && !ConsoleMode());
    return window;
}

// The window stays: the program lives in its events until it is closed.
int RunWindow(std::unique_ptr<frmMain> window)
{
    if (!window->isVisible())
        return kFinished;
    window->setAttribute(Qt::WA_QuitOnClose);
    return QApplication::exec();
}

void ExplainConsoleUse()
{
    std::fputs("pendrift: the window needs a display (set DISPLAY or WAYLAND_DISPLAY); without "
               "one, only /f together with /c or /q can be run.\n",
               stderr);
    std::fputs(QString(CommandLineHelpText())
                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                   .append(u'\n')
                   .toLocal8Bit()
                   .constData(),
               stderr);
}

} // namespace

int Main(const QStringList& arguments)
{
    std::unique_ptr<frmMain> window;
    bool quiet = false;
    try {
        SetDataFolderSwitch(true);
        InitDataFolder();
        const SwitchTable switches = ParseCommandLine(arguments);
        const bool help = HasSwitch(switches, QStringLiteral("?"));
        const bool file = HasSwitch(switches, QStringLiteral("f"));
        const bool close = HasSwitch(switches, QStringLiteral("c"));
        quiet = HasSwitch(switches, QStringLiteral("q"));

        if (help)
            return kFinished;

        // A preview never shows a window and talks on the console, whatever the display.
        const bool preview = file && HasSwitch(switches, QStringLiteral("p"));
        std::unique_ptr<DialogAnswerer> windowAnswerer;
        if (preview)
            windowAnswerer = Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());
        std::optional<quint32> seed;
        if (file && HasSwitch(switches, QStringLiteral("s"))) {
            const QString text = switches.Value(QStringLiteral("s"));
            seed = ParseSeed(text);
            if (!seed) {
                Dialogs::MsgBox(QStringLiteral("Invalid seed: ") + text, MsgButtons::OK,
                                MsgIcon::Exclamation);
                return kStoppedOrFailed;
            }
        }
        if (preview) {
            const QString name = ResolveDocumentPath(switches.Value(QStringLiteral("f")));
            if (!PathExists(name, true)) {
                Dialogs::MsgBox(QStringLiteral("File not found!"), MsgButtons::OK,
                                MsgIcon::Exclamation);
                return kStoppedOrFailed;
            }
            return RunPreview(name, seed);
        }
        if (ConsoleMode() && !(file && (close || quiet))) {
            ExplainConsoleUse();
            return kNeedsWindow;
        }

        if (switches.IsEmpty()) {
            window = CreateMainWindow();
            window->show();
            const QString text = ArgumentText(arguments);
            if (!text.isEmpty()) {
                window->ResetSettings();
                window->LoadSettings(text);
            }
            return RunWindow(std::move(window));
        }

        if (!file) {
            // "/a", "/c" and "/q" mean nothing without a document.
            window = CreateMainWindow();
            window->show();
            return RunWindow(std::move(window));
        }

        window = CreateMainWindow(!quiet);
        window->SetSeed(seed);
        if (!quiet)
            window->show();
        QString name = ResolveDocumentPath(switches.Value(QStringLiteral("f")));
        int status = kFinished;
        if (PathExists(name, true)) {
            window->ResetSettings();
            window->LoadSettings(name);
            if (HasSwitch(switches, QStringLiteral("a")) &&
                window->StartShuffle(true) != ShuffleOutcome::Finished)
                status = kStoppedOrFailed;
        } else {
            Dialogs::MsgBox(QStringLiteral("File not found!"), MsgButtons::OK,
                            MsgIcon::Exclamation);
            status = kStoppedOrFailed;
        }
        if (close || quiet) {
            window->close();
            window.reset();
            return status;
        }
        return RunWindow(std::move(window));
    } catch (...) {
        ReportCurrentError(QStringLiteral("An error ocurred while initializing."));
        // A window that is showing stays open. Under "/q", or without a display, nothing
        // anyone could see would remain to close it, so the program ends instead.
        if (window && window->isVisible() && !quiet && !ConsoleMode())
            return RunWindow(std::move(window));
        return kStoppedOrFailed;
    }
}
