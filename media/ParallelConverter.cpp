#include "media/ParallelConverter.h"

#include "base/AppError.h"

#include <QThread>

ParallelConverter::ParallelConverter(ConversionCache& cache, const ConvertSettings& settings,
                                     int workers, int lookAhead)
    : m_cache(cache), m_settings(settings),
      m_lookAhead(lookAhead > 0 ? lookAhead
                                : 2 * (workers > 0 ? workers : QThread::idealThreadCount()))
{
    const int count = workers > 0 ? workers : std::max(1, QThread::idealThreadCount());
    for (int i = 0; i < count; ++i)
        m_workers.emplace_back([this](const std::stop_token& stop) { Work(stop); });
}

ParallelConverter::~ParallelConverter()
{
    Cancel();
}

void ParallelConverter::Submit(const QString& source)
{
    Submit(QStringList{source});
}

void ParallelConverter::Submit(const QStringList& sources)
{
    {
        std::lock_guard lock(m_mutex);
        m_sources << sources;
    }
    m_changed.notify_all();
}

ConversionResult ParallelConverter::Take()
{
    std::unique_lock lock(m_mutex);
    const qsizetype index = m_taken;
    if (index >= m_sources.size())
        return ConversionResult{{}, {}, {}, true};
    ++m_taken;
    m_changed.notify_all(); // one more may start
    const auto ready = [&] { return m_done.contains(index) || m_workers.empty(); };
    m_changed.wait(lock, ready);
    const auto found = m_done.find(index);
    if (found == m_done.end())
        return ConversionResult{m_sources.value(index), {}, {}, true};
    ConversionResult result = std::move(found->second);
    m_done.erase(found);
    return result;
}

void ParallelConverter::Cancel()
{
    for (std::jthread& worker : m_workers)
        worker.request_stop();
    m_changed.notify_all();
    for (std::jthread& worker : m_workers)
        worker.join();
    std::lock_guard lock(m_mutex);
    m_workers.clear();
    m_done.clear();
    m_changed.notify_all();
}

void ParallelConverter::Work(const std::stop_token& stop)
{
    for (;;) {
        qsizetype index = 0;
        QString source;
        {
            std::unique_lock lock(m_mutex);
            const auto startable = [&] {
                return m_started < m_sources.size() && m_started < m_taken + m_lookAhead;
            };
            if (!m_changed.wait(lock, stop, startable))
                return;
            index = m_started++;
            source = m_sources.at(index);
        }
        ConversionResult result{source, {}, {}, false};
        try {
            std::optional<CachedFile> file = m_cache.Convert(result.source, m_settings, stop);
            if (file)
                result.file = std::move(*file);
            else
                result.cancelled = true;
        } catch (const AppError& error) {
            result.error =
                QStringLiteral("Cannot convert \"%1\": %2").arg(result.source, error.description());
        } catch (const std::exception& error) {
            result.error = QStringLiteral("Cannot convert \"%1\": %2")
                               .arg(result.source, QString::fromLocal8Bit(error.what()));
        }
        {
            std::lock_guard lock(m_mutex);
            m_done.emplace(index, std::move(result));
        }
        m_changed.notify_all();
    }
}
