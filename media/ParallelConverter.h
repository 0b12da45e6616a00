#pragma once

#include "media/ConversionCache.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// What became of one submitted source.
struct ConversionResult
{
    QString source;
    // The complete converted file, in the cache; empty when the conversion failed.
    CachedFile file;
    // Why it failed, naming the source: "Cannot convert "<source>": <reason>".
    QString error;
    bool cancelled = false;
};

// Converts sources into the cache on worker threads while the caller goes on. The caller
// submits the sources in play order and takes the results in the same order; the workers keep
// at most `lookAhead` results ahead of the caller, so the cache fills no faster than it is
// used.
class ParallelConverter
{
public:
    // `workers` 0: one per core. `lookAhead` 0: two per worker.
    ParallelConverter(ConversionCache& cache, const ConvertSettings& settings, int workers = 0,
                      int lookAhead = 0);
    // Cancels what is still running.
    ~ParallelConverter();
    ParallelConverter(const ParallelConverter&) = delete;
    ParallelConverter& operator=(const ParallelConverter&) = delete;

    void Submit(const QString& source);
    void Submit(const QStringList& sources);

    // The result of the next source in submit order, waiting until it is ready. After Cancel
    // (or with nothing submitted left to take) it is marked cancelled at once.
    ConversionResult Take();

    // Stops every conversion in progress and waits for the workers: no temporary is left
    // behind. Sources not taken yet come back cancelled.
    void Cancel();

private:
    void Work(const std::stop_token& stop);

    ConversionCache& m_cache;
    const ConvertSettings m_settings;
    const int m_lookAhead;
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    QStringList m_sources;
    qsizetype m_started = 0;
    qsizetype m_taken = 0;
    std::map<qsizetype, ConversionResult> m_done;
    std::vector<std::jthread> m_workers;
};
