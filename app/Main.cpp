#include "app/Main.h"

#include "app/CommandLine.h"
#include "app/UnattendedRun.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "platform/ConsoleMode.h"
#include "platform/Paths.h"
#include "ui/HelpMenu.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

// Exit statuses of a start from the command line.
constexpr int kFinished = 0;
constexpr int kStoppedOrFailed = 1;
constexpr int kNeedsWindow = 2;

const QString kFile = QStringLiteral("f");

// What the command line asks for, once it is read.
struct Start
{
    SwitchTable switches;
    std::optional<quint32> seed;
    bool Has(const char* name) const { return HasSwitch(switches, QString::fromLatin1(name)); }
};

// The window stays: the program lives in its events until it is closed.
int KeepWindow(frmMain& window)
{
    if (!window.isVisible())
        return kFinished;
    window.setAttribute(Qt::WA_QuitOnClose);
    return QApplication::exec();
}

bool DocumentFound(const QString& path)
{
    if (PathExists(path, true))
        return true;
    Dialogs::MsgBox(QStringLiteral("File not found!"), MsgButtons::OK, MsgIcon::Exclamation);
    return false;
}

// The window, with the document of a bare path or of "/f"; "/a" runs it, "/c" closes it after.
int RunWindowMode(const Start& start, const QStringList& arguments)
{
    std::unique_ptr<frmMain> window;
    try {
        window = std::make_unique<frmMain>();
        window->Load(true);
        window->SetSeed(start.seed);
        window->show();
        if (start.switches.IsEmpty()) {
            if (const QString text = ArgumentText(arguments); !text.isEmpty()) {
                window->ResetSettings();
                window->LoadSettings(text);
            }
            return KeepWindow(*window);
        }
        // "/a" and "/c" mean nothing without a document.
        if (!start.Has("f"))
            return KeepWindow(*window);
        int status = kFinished;
        const QString name = ResolveDocumentPath(start.switches.Value(kFile));
        if (DocumentFound(name)) {
            window->ResetSettings();
            window->LoadSettings(name);
            if (start.Has("a") && window->StartShuffle(true) != ShuffleOutcome::Finished)
                status = kStoppedOrFailed;
        } else {
            status = kStoppedOrFailed;
        }
        if (!start.Has("c"))
            return KeepWindow(*window);
        window->close();
        return status;
    } catch (...) {
        ReportCurrentError(QStringLiteral("An error ocurred while initializing."));
        // A window that is showing stays open.
        return window ? KeepWindow(*window) : kStoppedOrFailed;
    }
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

bool NeedsWidgets(const QStringList& arguments, bool console)
{
    if (console)
        return false;
    try {
        const SwitchTable switches = ParseCommandLine(arguments);
        return !(HasSwitch(switches, kFile) && HasSwitch(switches, QStringLiteral("p")));
    } catch (...) {
        return true; // reported by Main, as any other start-up failure
    }
}

int Main(const QStringList& arguments)
{
    Start start;
    try {
        SetDataFolderSwitch(true);
        InitDataFolder();
        start.switches = ParseCommandLine(arguments);
        if (start.Has("?"))
            return kFinished;
        const bool file = start.Has("f");
        if (file && start.Has("s")) {
            const QString text = start.switches.Value(QStringLiteral("s"));
            start.seed = ParseSeed(text);
            if (!start.seed) {
                Dialogs::MsgBox(QStringLiteral("Invalid seed: ") + text, MsgButtons::OK,
                                MsgIcon::Exclamation);
                return kStoppedOrFailed;
            }
        }
        // Runs that never show the window.
        const bool preview = file && start.Has("p");
        if (preview || (file && (start.Has("q") || (ConsoleMode() && start.Has("c"))))) {
            const QString name = ResolveDocumentPath(start.switches.Value(kFile));
            if (!DocumentFound(name))
                return kStoppedOrFailed;
            return preview ? RunPreview(name, start.seed)
                           : RunUnattended(name, start.Has("a"), start.seed);
        }
        if (ConsoleMode()) {
            ExplainConsoleUse();
            return kNeedsWindow;
        }
    } catch (...) {
        ReportCurrentError(QStringLiteral("An error ocurred while initializing."));
        return kStoppedOrFailed;
    }
    return RunWindowMode(start, arguments);
}
