#include "app/Preview.h"

#include "documents/CBinaryINI.h"
#include "documents/JobDocument.h"
#include "engine/QuietHost.h"
#include "engine/ShuffleRun.h"

#include <cstdio>

namespace {

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
    return out + QStringLiteral("seed: %1\n").arg(seed);
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
    // Opened as a run opens it: a document held elsewhere is refused.
    CBinaryINI document;
    document.SetFile(documentPath);
    const ShuffleJob job = ReadJob(document);
    QuietHost host;
    ShuffleRun run(job, host, true, {seed, true});
    const ShuffleOutcome outcome = run.Run();
    if (outcome != ShuffleOutcome::Finished || !run.Plan() || !run.Seed())
        return 1;
    std::fputs(Report(*run.Plan(), *run.Seed()).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return 0;
}
