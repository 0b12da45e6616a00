// Times a library scan of 100,000 files in about 2,000 nested folders against find(1) doing
// the same matching on the same tree, warm cache, and prints the median ratio. Then the plan of
// a run over that library (four 16 GB sticks), and the peak memory of the program's "/p" on it.

#include "base/ConsoleDialogAnswerer.h"
#include "base/Dialogs.h"
#include "documents/CBinaryINI.h"
#include "engine/QuietHost.h"
#include "engine/ScanFolder.h"
#include "engine/ShuffleRun.h"
#include "platform/private/UniqueFd.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kFiles = 100000;
constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 19; // 10 + 100 + 1,900 = 2,010 folders
constexpr int kRuns = 9;
const char* const kTypes = "*.mp3,*.wma,*.wav";

std::vector<QByteArray> BuildFolders(const QByteArray& root)
{
    std::vector<QByteArray> folders;
    for (int t = 0; t < kTop; ++t) {
        const QByteArray top = root + "/Artist " + QByteArray::number(t);
        folders.push_back(top);
        for (int m = 0; m < kMiddle; ++m) {
            const QByteArray middle = top + "/Album " + QByteArray::number(m);
            folders.push_back(middle);
            for (int l = 0; l < kLeaves; ++l)
                folders.push_back(middle + "/Disc " + QByteArray::number(l));
        }
    }
    // Parents come before their children in this order.
    for (const QByteArray& folder : folders)
        if (::mkdir(folder.constData(), 0755) != 0) {
            std::perror(folder.constData());
            std::exit(1);
        }
    return folders;
}

void BuildFiles(const std::vector<QByteArray>& folders)
{
    static const char* const kExtensions[] = {".mp3", ".wma", ".txt"};
    char name[64];
    for (int i = 0; i < kFiles; ++i) {
        std::snprintf(name, sizeof name, "/track %06d%s", i, kExtensions[i % 3]);
        const QByteArray path = folders[static_cast<size_t>(i) % folders.size()] + name;
        const UniqueFd fd(::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        // Sparse files of 2 to 8 MB: sizes a plan can budget, at no cost in disk space.
        if (!fd.valid() || ::ftruncate(fd.get(), (2 + i % 7) * 1048576) != 0) {
            std::perror(path.constData());
            std::exit(1);
        }
    }
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

qint32 RunScan(const QString& root)
{
    QStringList files;
    qint32 count = 0;
    ScanFolder(files, count, root, true, false, QString(), QString::fromLatin1(kTypes));
    return count;
}

// find with its output thrown away, as a fair partner for a scan that only builds a list.
void RunFind(const QByteArray& root)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const char* args[] = {"find", root.constData(), "-name", "*.mp3", "-o", "-name", "*.wma",
                          "-o",   "-name",          "*.wav", nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "find", &actions, nullptr, const_cast<char* const*>(args), environ) !=
        0) {
        std::perror("find");
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "find failed\n");
        std::exit(1);
    }
}

long CountFindResults(const QByteArray& root)
{
    const QByteArray command =
        "find '" + root + "' -name '*.mp3' -o -name '*.wma' -o -name '*.wav' | wc -l";
    FILE* pipe = ::popen(command.constData(), "r");
    long lines = -1;
    if (!pipe || std::fscanf(pipe, "%ld", &lines) != 1)
        lines = -1;
    if (pipe)
        ::pclose(pipe);
    return lines;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

// The maximum resident size of the program previewing a run of the document, in kilobytes.
long PreviewPeakKilobytes(const QString& document, const QString& configHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/usr/bin/time"),
                  {QStringLiteral("-v"), QStringLiteral(PENDRIFT_EXE), QStringLiteral("/p"),
                   QStringLiteral("/f:") + document});
    process.waitForFinished(600000);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
            .match(QString::fromLocal8Bit(process.readAllStandardError()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>());
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString root = dir.path() + QStringLiteral("/library");
    const QByteArray nativeRoot = QFile::encodeName(root);
    ::mkdir(nativeRoot.constData(), 0755);

    const auto buildStart = std::chrono::steady_clock::now();
    const std::vector<QByteArray> folders = BuildFolders(nativeRoot);
    BuildFiles(folders);
    std::fprintf(stderr, "built %d files in %zu folders in %.1f s\n", kFiles, folders.size(),
                 Seconds(std::chrono::steady_clock::now() - buildStart));

    // Warm the caches, and check that both sides find the same files.
    const qint32 found = RunScan(root);
    const long findFound = CountFindResults(nativeRoot);
    if (found != findFound) {
        std::fprintf(stderr, "scan found %d files, find %ld\n", found, findFound);
        return 1;
    }

    std::vector<double> ours;
    std::vector<double> theirs;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        RunScan(root);
        ours.push_back(Seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        RunFind(nativeRoot);
        theirs.push_back(Seconds(std::chrono::steady_clock::now() - start));
    }
    const double scanMedian = Median(ours);
    const double findMedian = Median(theirs);
    std::printf("scan_files: %d\n", found);
    std::printf("scan_median_seconds: %.4f\n", scanMedian);
    std::printf("find_median_seconds: %.4f\n", findMedian);
    std::printf("scan_ratio_vs_find: %.3f\n", scanMedian / findMedian);

    ShuffleJob job{{root + QStringLiteral("<+>")}, QString::fromLatin1(kTypes), {}, 1, {}};
    for (int d = 1; d <= 4; ++d)
        job.destinations << dir.path() + QStringLiteral("/stick%1,16384,25").arg(d);
    std::vector<double> previews;
    std::vector<double> plans;
    qint64 planned = 0;
    for (int run = 0; run < 3; ++run) {
        ShuffleTimings timings;
        QuietHost host;
        ShuffleRun preview(job, host, true, {7, true});
        preview.setTimings(&timings);
        const auto start = std::chrono::steady_clock::now();
        if (preview.Run() != ShuffleOutcome::Finished || !preview.Plan()) {
            std::fprintf(stderr, "the preview did not finish\n");
            return 1;
        }
        previews.push_back(Seconds(std::chrono::steady_clock::now() - start));
        plans.push_back(timings.planSeconds);
        planned = 0;
        for (const DestinationPlan& destination : preview.Plan()->destinations)
            planned += static_cast<qint64>(destination.passes[0].files.size() +
                                           destination.passes[1].files.size());
    }
    std::printf("plan_files_chosen: %lld\n", static_cast<long long>(planned));
    std::printf("plan_preview_seconds: %.4f\n", Median(previews));
    std::printf("plan_seconds: %.4f\n", Median(plans));

    const QString config = dir.path() + QStringLiteral("/config");
    const QString document = dir.path() + QStringLiteral("/Plan.cfg");
    {
        CBinaryINI ini;
        ini.SetFile(document);
        ini.WriteValue(QStringLiteral("Library"), job.libraries.join(u'|'),
                       QStringLiteral("settings"));
        ini.WriteValue(QStringLiteral("Filetypes"), job.fileTypes, QStringLiteral("settings"));
        ini.WriteValue(QStringLiteral("Destination"), job.destinations.join(u'|'),
                       QStringLiteral("settings"));
        ini.WriteValue(QStringLiteral("RenameFiles"), QStringLiteral("1"),
                       QStringLiteral("settings"));
        ini.Commit();
    }
    std::printf("preview_peak_rss_kb: %ld\n", PreviewPeakKilobytes(document, config));
    return 0;
}
