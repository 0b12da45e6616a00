// A run that fills one 100 MiB destination from a library of 20,000 files of 8-40 KB, against
// one cp of the same chosen files into an empty folder followed by one sync, both from cold
// caches. Then the same kind of fill onto a FAT32 image mounted through fusefat, against cp
// onto such an image; both sides end with a sync, which is what writes the image. fusefat
// takes longer for every name the more names a folder holds (cp of 500 empty files into one
// folder: about a minute), so the FAT destination is 6 MiB, about 250 files.

#include "base/ConsoleDialogAnswerer.h"
#include "base/Dialogs.h"
#include "engine/QuietHost.h"
#include "engine/ShuffleRun.h"
#include "platform/private/UniqueFd.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <vector>

namespace {

constexpr int kFiles = 20000;
constexpr int kFolders = 100;
constexpr int kRounds = 3;
constexpr int kMegabytes = 100;
constexpr int kFatMegabytes = 6;

QString SourceOf(const QString& library, int number)
{
    return library +
           QStringLiteral("/f%1/t%2.mp3").arg(number % kFolders).arg(number, 5, 10, QChar(u'0'));
}

bool Tool(const QString& program, const QStringList& arguments, bool quiet = false)
{
    QProcess process;
    if (quiet)
        process.setStandardErrorFile(QProcess::nullDevice());
    else
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Empties the page cache where we may (root), otherwise evicts the library's files, which are
// what both sides read.
void DropCaches(const QStringList& library)
{
    Tool(QStringLiteral("sync"), {});
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    if (drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2 && drop.flush())
        return;
    for (const QString& path : library) {
        const UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double Seconds(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work()) {
        std::fprintf(stderr, "bench_smallfiles: a step failed\n");
        std::exit(1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Runs the job into `dest` (made empty); returns the sources of what arrived.
bool Fill(const QString& library, const QString& dest, int megabytes, QStringList& chosen,
          ShuffleTimings* timings = nullptr)
{
    ShuffleJob job;
    job.libraries = {library + QStringLiteral("<+>")};
    job.destinations = {dest + QStringLiteral(",%1,25").arg(megabytes)};
    QuietHost host;
    ShuffleRun run(job, host, true);
    run.setTimings(timings);
    if (run.Run() != ShuffleOutcome::Finished)
        return false;
    chosen.clear();
    for (const QString& name : QDir(dest).entryList(QDir::Files))
        chosen << SourceOf(library, name.mid(1, 5).toInt());
    return !chosen.isEmpty();
}

bool CopyWithCp(const QStringList& chosen, const QString& target)
{
    return QDir().mkpath(target) && Tool(QStringLiteral("cp"), chosen + QStringList{target}) &&
           Tool(QStringLiteral("sync"), {});
}

// A fresh FAT32 image mounted at `mount`; false where that cannot be done.
bool MountFat(const QString& image, const QString& mount)
{
    QFile::remove(image);
    return QDir().mkpath(mount) &&
           Tool(QStringLiteral("mkfs.vfat"),
                {QStringLiteral("-C"), QStringLiteral("-F"), QStringLiteral("32"), image,
                 QStringLiteral("262144")}) &&
           Tool(QStringLiteral("fusefat"),
                {QStringLiteral("-o"), QStringLiteral("rw+"), image, mount}, true);
}

void Unmount(const QString& mount)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Tool(QStringLiteral("fusermount"), {QStringLiteral("-u"), mount}))
            return;
        QProcess::execute(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    }
}

void Report(const char* prefix, const std::vector<double>& ours, const std::vector<double>& cp)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size(); ++i)
        ratios.push_back(ours[i] / cp[i]);
    std::printf("%sseconds: %.3f\n", prefix, Median(ours));
    std::printf("%scp_seconds: %.3f\n", prefix, Median(cp));
    std::printf("%sratio_vs_cp: %.3f\n", prefix, Median(ratios));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());

    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/pendrift-bench-small-XXXXXX"));
    const QString library = root.filePath(QStringLiteral("library"));
    QRandomGenerator random(20240917);
    QByteArray block(40 * 1024, Qt::Uninitialized);
    for (char& c : block)
        c = static_cast<char>(random.bounded(256));
    QStringList sources;
    for (int i = 0; i < kFiles; ++i) {
        if (i < kFolders)
            QDir().mkpath(library + QStringLiteral("/f%1").arg(i));
        sources << SourceOf(library, i);
        QFile file(sources.last());
        const qint64 size = 8 * 1024 + random.bounded(32 * 1024 + 1);
        if (!file.open(QIODevice::WriteOnly) || file.write(block.constData(), size) != size) {
            std::fprintf(stderr, "bench_smallfiles: cannot write %s\n",
                         qPrintable(file.fileName()));
            return 1;
        }
    }

    std::vector<double> ours, cp, fatOurs, fatCp;
    QStringList chosen;
    for (int round = 0; round < kRounds; ++round) {
        const QString dest = root.filePath(QStringLiteral("dest%1").arg(round));
        QDir().mkpath(dest);
        DropCaches(sources);
        ShuffleTimings timings;
        ours.push_back(Seconds([&] { return Fill(library, dest, kMegabytes, chosen, &timings); }));
        DropCaches(sources);
        cp.push_back(Seconds([&] { return CopyWithCp(chosen, dest + QStringLiteral("-cp")); }));
        std::fprintf(stderr,
                     "round %d: %lld files, run %.3f s (scan and facts %.3f, plan %.3f, copy "
                     "%.3f), cp %.3f s\n",
                     round + 1, static_cast<long long>(chosen.size()), ours.back(),
                     timings.scanSeconds, timings.planSeconds, timings.copySeconds, cp.back());
    }
    Report("smallfiles_", ours, cp);

    const QString image = root.filePath(QStringLiteral("fat.img"));
    const QString mount = root.filePath(QStringLiteral("fat"));
    for (int round = 0; round < kRounds; ++round) {
        if (!MountFat(image, mount)) {
            std::fprintf(stderr, "bench_smallfiles: no FAT image through fusefat here\n");
            return 0;
        }
        const QString dest = mount + QStringLiteral("/Music");
        QDir().mkpath(dest);
        DropCaches(sources);
        fatOurs.push_back(Seconds([&] {
            return Fill(library, dest, kFatMegabytes, chosen) && Tool(QStringLiteral("sync"), {});
        }));
        Unmount(mount);
        if (!MountFat(image, mount))
            return 1;
        DropCaches(sources);
        fatCp.push_back(Seconds([&] { return CopyWithCp(chosen, dest); }));
        Unmount(mount);
        std::fprintf(stderr, "FAT round %d: %lld files, run %.3f s, cp %.3f s\n", round + 1,
                     static_cast<long long>(chosen.size()), fatOurs.back(), fatCp.back());
    }
    Report("fat_smallfiles_", fatOurs, fatCp);
    return 0;
}
