#include "app/UnattendedRun.h"

#include "base/Events.h"
#include "documents/CBinaryINI.h"
#include "documents/DocumentSession.h"
#include "documents/JobDocument.h"
#include "engine/QuietHost.h"
#include "engine/ShuffleRun.h"
#include "platform/ConsoleMode.h"

#include <algorithm>
#include <cstdio>

namespace {

void PrintLine(const QString& text)
{
    std::fputs((text + u'\n').toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// A run's host with no window: without a display its status line and seed are read on the
// console; nobody is there to cancel.
class UnattendedHost : public ShuffleHost
{
public:
    void SetStatus(const QString& text) override { ConsoleLine(text); }
    void ShowProgress(bool) override {}
    void SetProgress(qint32, qint32) override {}
    void SetWaitCursor(bool) override {}
    void SetBusy(bool) override {}
    void ClearCancelRequest() override {}
    bool CheckCancel() override
    {
        // Message boxes shown with a display still need their events.
        DoEventsThrottled();
        return false;
    }
    void ShowSeed(quint32 seed) override { ConsoleLine(QStringLiteral("seed: %1").arg(seed)); }
};

QString Report(const RunPlan& plan, quint32 seed)
{
    QString out;
    for (const DestinationPlan& destination : plan.destinations) {
        out += destination.folder + u'\n';
        out += QStringLiteral("  emptying removes %1 files, %2 bytes\n")
                   .arg(destination.emptiedFiles)
                   .arg(destination.emptiedBytes);
        for (int pass = 0; pass < 2; ++pass) {
            const PlannedPass& step = destination.passes[pass];
            out += QStringLiteral("  pass %1 (%2): %3 files, %4 of %5 bytes\n")
                       .arg(pass + 1)
                       .arg(pass == 0 ? QStringLiteral("new files") : QStringLiteral("any files"))
                       .arg(step.files.size())
                       .arg(step.used)
                       .arg(step.budget);
            for (const PlannedFile& file : step.files)
                out += QStringLiteral("    ") + file.target + QStringLiteral(" <- ") + file.source +
                       u'\n';
        }
    }
    return out + QStringLiteral("seed: %1").arg(seed);
}

} // namespace

std::optional<quint32> ParseSeed(const QString& text)
{
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value > 4294967295ULL)
        return std::nullopt;
    return static_cast<quint32>(value);
}

int RunPreview(const QString& documentPath, std::optional<quint32> seed)
{
    // Opened as a run opens it (a document held elsewhere is refused), but not recorded as
    // the last or a recent document: a preview changes nothing.
    CBinaryINI document;
    document.SetFile(documentPath);
    const ShuffleJob job = ReadJob(document);
    QuietHost host; // the plan is the output, not the phases
    ShuffleRun run(job, host, true, {seed, true});
    if (run.Run() != ShuffleOutcome::Finished || !run.Plan() || !run.Seed())
        return 1;
    PrintLine(Report(*run.Plan(), *run.Seed()));
    return 0;
}

int RunUnattended(const QString& documentPath, bool run, std::optional<quint32> seed)
{
    DocumentSession session;
    const ShuffleJob job = session.Load(documentPath);
    if (!run)
        return 0;
    UnattendedHost host;
    return StartShuffle(job, host, true, nullptr, {seed, false}) == ShuffleOutcome::Finished ? 0
                                                                                             : 1;
}
