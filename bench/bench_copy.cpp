// Copies 40 files of 16 MB into a fresh folder with ShellFileOperation, and the same files with
// cp followed by sync, a few rounds each in alternating order. Prints the two medians and their
// ratio.

#include "platform/FileOperationObserver.h"
#include "platform/ShellFileOperation.h"
#include "ui/ProgressWindowObserver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kFiles = 40;
constexpr qint64 kFileBytes = qint64{16} << 20;
constexpr int kRounds = 9;

QByteArray Quoted(const QString& path)
{
    QByteArray text = QFile::encodeName(path);
    text.replace('\'', "'\\''");
    return '\'' + text + '\'';
}

bool Run(const QByteArray& command)
{
    return std::system(command.constData()) == 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool MakeSources(const QString& folder, QStringList& paths)
{
    std::mt19937_64 generator(20240611);
    std::vector<quint64> words(static_cast<size_t>(kFileBytes / 8));
    for (int i = 0; i < kFiles; ++i) {
        for (quint64& word : words)
            word = generator();
        const QString path = folder + QStringLiteral("/song%1.mp3").arg(i, 2, 10, QChar(u'0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(words.data()), kFileBytes) != kFileBytes)
            return false;
        paths << path;
    }
    return true;
}

// Removes a target and lets the disk settle, so that one measurement does not pay for the last.
void Clear(const QString& folder)
{
    QDir(folder).removeRecursively();
    Run("sync");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The window a desktop user sees is part of the cost.
    SetFileOperationObserverFactory([] { return std::make_unique<ProgressWindowObserver>(); });

    QTemporaryDir base(QDir::tempPath() + QStringLiteral("/pendrift-bench-copy-XXXXXX"));
    const QString sources = base.path() + QStringLiteral("/library");
    QStringList paths;
    if (!base.isValid() || !QDir().mkpath(sources) || !MakeSources(sources, paths)) {
        std::fprintf(stderr, "bench_copy: cannot write the source files under %s\n",
                     qPrintable(QDir::tempPath()));
        return 1;
    }
    Run("sync");
    QString list;
    for (const QString& path : paths)
        list += path + QChar(0);
    list += QChar(0);

    std::vector<double> ours;
    std::vector<double> theirs;
    for (int round = 0; round < kRounds; ++round) {
        const QString oursTarget = base.path() + QStringLiteral("/ours%1").arg(round);
        const QString cpTarget = base.path() + QStringLiteral("/cp%1").arg(round);
        QDir().mkpath(oursTarget);
        QDir().mkpath(cpTarget);
        for (int turn = 0; turn < 2; ++turn) {
            QElapsedTimer timer;
            if ((round + turn) % 2 == 0) {
                timer.start();
                const int result = ShellFileOperation(ShellOperation::Copy, list,
                                                      oursTarget + QChar(0) + QChar(0));
                ours.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
                if (result != 0) {
                    std::fprintf(stderr, "bench_copy: the copy failed (%d)\n", result);
                    return 1;
                }
                Clear(oursTarget);
            } else {
                timer.start();
                if (!Run("cp -- " + Quoted(sources) + "/* " + Quoted(cpTarget) + " && sync")) {
                    std::fprintf(stderr, "bench_copy: cp failed\n");
                    return 1;
                }
                theirs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
                Clear(cpTarget);
            }
        }
    }

    const double oursMedian = Median(ours);
    const double cpMedian = Median(theirs);
    std::printf("copy_seconds: %.3f\n", oursMedian);
    std::printf("copy_cp_seconds: %.3f\n", cpMedian);
    std::printf("copy_ratio_vs_cp: %.3f\n", cpMedian > 0 ? oursMedian / cpMedian : 0.0);
    return 0;
}
