// Times a library scan of 100,000 files in about 2,000 nested folders against find(1) doing
// the same matching on the same tree, warm cache, and prints the median ratio.

#include "engine/ScanFolder.h"
#include "support/UniqueFd.h"

#include <QByteArray>
#include <QFile>
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
        if (!fd.valid()) {
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

int main()
{
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
    return 0;
}
