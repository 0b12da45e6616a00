// A whole unattended run over a generated library of 30,000 small files into four
// destinations, against `cp` of the same chosen files followed by `sync`.

#include "base/ConsoleDialogAnswerer.h"
#include "base/Dialogs.h"
#include "engine/QuietHost.h"
#include "engine/ShuffleRun.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr quint32 kSeed = 20261206;

double Seconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void Sync()
{
    QProcess::execute(QStringLiteral("sync"), {});
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The library files that the run put into each destination of `dests`.
QList<QStringList> ChosenSources(const QString& library, const QString& dests, qint64& files,
                                 qint64& bytes)
{
    QList<QStringList> chosen;
    for (int d = 1; d <= 4; ++d) {
        QStringList sources;
        const QDir dest(dests + QStringLiteral("/dest%1").arg(d));
        for (const QString& name : dest.entryList(QDir::Files)) {
            const int number = name.mid(5, 5).toInt();
            sources << library + QStringLiteral("/a%1/b%2/").arg(number % 30).arg(number % 300) +
                           name;
            bytes += QFileInfo(dest.filePath(name)).size();
        }
        files += sources.size();
        chosen << sources;
    }
    return chosen;
}

void Print(const char* name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // An unattended run asks nothing; anything it says is worth seeing.
    Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());

    QTemporaryDir root;
    const QString library = root.filePath(QStringLiteral("library"));
    QRandomGenerator random(20261205);
    // A smaller library can be asked for on the command line, for profiling.
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30000;
    qint64 total = 0;
    QByteArray block(64 * 1024, 'x');
    for (int i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(random.bounded(256));
    for (int i = 0; i < files; ++i) {
        const QString folder = library + QStringLiteral("/a%1/b%2").arg(i % 30).arg(i % 300);
        if (i < 300)
            QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/track%1.mp3").arg(i, 5, 10, QChar(u'0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        const int size = 4096 + random.bounded(60 * 1024 + 1);
        file.write(block.constData(), size);
        total += size;
        file.close();
        if (i % 2 == 0)
            SetAttr(path, FileAttribute::Normal); // half of the library is old
    }
    Sync();

    // Four destinations, each about a tenth of the library, a quarter of it for new files.
    const int megabytes = static_cast<int>(total / 10 / 1048576);

    // Several rounds, each a run into fresh destinations and cp of the same files into fresh
    // folders, all from a synced disk. This disk's writes slow down over a sustained load, so
    // the two take turns at going first, and every round copies the same files (one seed).
    // Medians keep one slow moment of the disk from deciding the figures.
    const int rounds = 6;
    std::vector<double> runs, cps, ratios, noncopy, scans, randomizes, selects, copies;
    QList<QStringList> chosen;
    qint64 copiedFiles = 0;
    qint64 copiedBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString dests = root.filePath(QStringLiteral("round%1").arg(round));
        ShuffleJob job;
        job.libraries = {library + QStringLiteral("<+>")};
        job.fileTypes = QStringLiteral("*.mp3,*.wma,*.wav");
        for (int d = 1; d <= 4; ++d) {
            job.destinations << dests + QStringLiteral("/dest%1,%2,25").arg(d).arg(megabytes);
            QDir().mkpath(dests + QStringLiteral("/dest%1").arg(d));
        }

        ShuffleTimings timings;
        const auto runOnce = [&] {
            Sync();
            QElapsedTimer timer;
            timer.start();
            QuietHost host;
            ShuffleRun run(job, host, true, ShuffleOptions{kSeed});
            run.setTimings(&timings);
            const ShuffleOutcome outcome = run.Run();
            if (outcome != ShuffleOutcome::Finished) {
                std::fprintf(stderr, "the run did not finish\n");
                std::exit(1);
            }
            // Every copy is already flushed to disk when the run returns: no sync is owed.
            return Seconds(timer);
        };
        const auto cpOnce = [&] {
            Sync();
            QElapsedTimer timer;
            timer.start();
            for (int d = 1; d <= 4; ++d) {
                const QString target = dests + QStringLiteral("/cp%1").arg(d);
                QDir().mkpath(target);
                QStringList args = chosen.at(d - 1);
                args << target;
                QProcess::execute(QStringLiteral("cp"), args);
            }
            Sync();
            return Seconds(timer);
        };

        double runSeconds = 0;
        double cpSeconds = 0;
        if (round % 2 == 1) {
            cpSeconds = cpOnce();
            runSeconds = runOnce();
        } else {
            runSeconds = runOnce();
        }
        if (round == 0)
            chosen = ChosenSources(library, dests, copiedFiles, copiedBytes);
        if (round % 2 == 0)
            cpSeconds = cpOnce();
        QDir(dests).removeRecursively();

        runs.push_back(runSeconds);
        cps.push_back(cpSeconds);
        ratios.push_back(runSeconds / cpSeconds);
        noncopy.push_back(runSeconds - timings.copySeconds);
        scans.push_back(timings.scanSeconds);
        randomizes.push_back(timings.randomizeSeconds);
        selects.push_back(timings.planSeconds);
        copies.push_back(timings.copySeconds);
        std::fprintf(stderr, "round %d: run %.3f s, cp %.3f s\n", round + 1, runSeconds, cpSeconds);
    }

    std::fprintf(stderr,
                 "library %d files, %lld bytes; a run copies about %lld files, %lld bytes\n", files,
                 static_cast<long long>(total), static_cast<long long>(copiedFiles),
                 static_cast<long long>(copiedBytes));
    Print("run_seconds", Median(runs));
    Print("run_cp_seconds", Median(cps));
    Print("run_ratio_vs_cp", Median(ratios));
    Print("run_noncopy_seconds", Median(noncopy));
    Print("run_scan_seconds", Median(scans));
    Print("run_randomize_seconds", Median(randomizes));
    Print("run_plan_seconds", Median(selects));
    Print("run_copy_seconds", Median(copies));
    return 0;
}
