// 40 generated 30-second FLAC files (stereo, 44.1 kHz) converted to 192 kbit/s MP3 by an
// unattended run with a fresh cache, against the ffmpeg command line doing the same
// conversions two at a time; then a second run served by the cache, against cp of the
// converted files followed by sync. A few rounds
// in alternating order; prints the medians, their ratios and the peak memory of the process
// after the first conversion pass.

#include "base/ConsoleDialogAnswerer.h"
#include "base/Dialogs.h"
#include "engine/QuietHost.h"
#include "engine/ShuffleRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFiles = 40;
constexpr int kKinds = 4;
constexpr int kRounds = 5;

double Seconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

bool Shell(const QString& command)
{
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0;
}

QString Quoted(const QString& path)
{
    return u'\'' + QString(path).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

void Print(const char* name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

// A few kinds of sound, each copied to a tenth of the files.
bool MakeSources(const QString& folder, QStringList& paths)
{
    static const char* const kSounds[kKinds] = {
        "anoisesrc=d=30:c=pink:a=0.4:r=44100",
        "anoisesrc=d=30:c=brown:a=0.6:r=44100",
        "sine=f=220:d=30:r=44100,tremolo=f=3",
        "aevalsrc=sin(440*2*PI*t)*0.3+sin(660*2*PI*t)*0.2:d=30:s=44100",
    };
    for (int kind = 0; kind < kKinds; ++kind) {
        const QString first = folder + QStringLiteral("/kind%1.flac").arg(kind);
        const QStringList arguments = {QStringLiteral("-v"),
                                       QStringLiteral("error"),
                                       QStringLiteral("-f"),
                                       QStringLiteral("lavfi"),
                                       QStringLiteral("-i"),
                                       QString::fromLatin1(kSounds[kind]),
                                       QStringLiteral("-ac"),
                                       QStringLiteral("2"),
                                       QStringLiteral("-metadata"),
                                       QStringLiteral("title=Kind %1").arg(kind),
                                       QStringLiteral("-metadata"),
                                       QStringLiteral("artist=Bench"),
                                       first};
        if (QProcess::execute(QStringLiteral("ffmpeg"), arguments) != 0)
            return false;
    }
    for (int i = 0; i < kFiles; ++i) {
        const QString path = folder + QStringLiteral("/song%1.flac").arg(i, 2, 10, QChar(u'0'));
        if (!QFile::copy(folder + QStringLiteral("/kind%1.flac").arg(i % kKinds), path))
            return false;
        paths << path;
    }
    return true;
}

// The largest resident size of this process so far, in MB.
double PeakResidentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression kLine(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    const QRegularExpressionMatch match = kLine.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : 0;
}

// One unattended run of the library onto the folder, converting every file to MP3 at
// 192 kbit/s through the cache under `cacheHome`.
bool RunJob(const QString& library, const QString& target, const QString& cacheHome)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome));
    ShuffleJob job{
        {library}, QStringLiteral("song*.flac"), {target + QStringLiteral(",100000,0")}, 0, {}};
    job.player.convertTo = QStringLiteral("mp3");
    QuietHost host;
    QString status;
    if (StartShuffle(job, host, true, &status) != ShuffleOutcome::Finished ||
        QDir(target).entryList({QStringLiteral("*.mp3")}, QDir::Files).size() != kFiles) {
        std::fprintf(stderr, "bench_convert: the run did not convert every file\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/pendrift-bench-convert-XXXXXX"));
    const QString library = root.filePath(QStringLiteral("library"));
    QStringList sources;
    if (!root.isValid() || !QDir().mkpath(library) || !MakeSources(library, sources)) {
        std::fprintf(stderr, "bench_convert: cannot make the sources (is ffmpeg installed?)\n");
        return 1;
    }
    QString list;
    for (const QString& source : sources)
        list += source + u'\n';
    QFile listFile(root.filePath(QStringLiteral("sources.txt")));
    if (!listFile.open(QIODevice::WriteOnly) || listFile.write(list.toUtf8()) < 0)
        return 1;
    listFile.close();

    std::vector<double> ours;
    std::vector<double> theirs;
    double peakMb = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            QElapsedTimer timer;
            if ((round + turn) % 2 == 0) {
                const QString target = root.filePath(QStringLiteral("run%1").arg(round));
                QDir().mkpath(target);
                timer.start();
                if (!RunJob(library, target, root.filePath(QStringLiteral("cache%1").arg(round))))
                    return 1;
                ours.push_back(Seconds(timer));
                if (peakMb == 0)
                    peakMb = PeakResidentMb();
            } else {
                const QString target = root.filePath(QStringLiteral("ffmpeg%1").arg(round));
                QDir().mkpath(target);
                timer.start();
                if (!Shell(
                        QStringLiteral("xargs -P 2 -I @ sh -c 'ffmpeg -v error -nostdin -i \"$1\" "
                                       "-c:a libmp3lame -b:a 192k -id3v2_version 3 "
                                       "\"$2/$(basename \"$1\" .flac).mp3\"' sh @ %1 < %2")
                            .arg(Quoted(target), Quoted(listFile.fileName())))) {
                    std::fprintf(stderr, "bench_convert: the ffmpeg command line failed\n");
                    return 1;
                }
                theirs.push_back(Seconds(timer));
            }
        }
    }

    // The second pass: every file comes from the first round's cache.
    const QString cacheHome = root.filePath(QStringLiteral("cache0"));
    std::vector<double> cached;
    std::vector<double> copied;
    for (int round = 0; round < kRounds; ++round) {
        const QString oursTarget = root.filePath(QStringLiteral("stick%1").arg(round));
        const QString cpTarget = root.filePath(QStringLiteral("cp%1").arg(round));
        QDir().mkpath(oursTarget);
        QDir().mkpath(cpTarget);
        Shell(QStringLiteral("sync"));
        for (int turn = 0; turn < 2; ++turn) {
            QElapsedTimer timer;
            timer.start();
            if ((round + turn) % 2 == 0) {
                if (!RunJob(library, oursTarget, cacheHome))
                    return 1;
                cached.push_back(Seconds(timer));
            } else {
                if (!Shell(QStringLiteral("cp -- %1/*.mp3 %2 && sync")
                               .arg(Quoted(cacheHome + QStringLiteral("/pendrift")),
                                    Quoted(cpTarget))))
                    return 1;
                copied.push_back(Seconds(timer));
            }
        }
    }

    Print("convert_seconds", Median(ours));
    Print("convert_ffmpeg_seconds", Median(theirs));
    Print("convert_ratio_vs_ffmpeg", Median(ours) / Median(theirs));
    Print("convert_cached_seconds", Median(cached));
    Print("convert_cached_cp_seconds", Median(copied));
    Print("convert_cached_ratio_vs_cp", Median(cached) / Median(copied));
    Print("convert_peak_rss_mb", peakMb);
    return 0;
}
