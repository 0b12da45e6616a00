#include "platform/ReadFileFacts.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// Files handed out at once: few enough that the first answers come soon, enough that handing
// them out costs nothing next to the reads.
constexpr qsizetype kPieceFiles = 64;
// Reads in flight at once. On a virtual disk, 20,000 cold ext4 inodes took 0.18 s one at a
// time, 0.10 s two at a time and 0.09 s four at a time; more did not help.
constexpr qsizetype kReaders = 4;

struct Piece
{
    bool done = false;
    qsizetype failedAt = -1; // the file whose read raised `error`; the piece stops there
    std::exception_ptr error;
};

class ParallelReading
{
public:
    ParallelReading(const QStringList& paths, std::vector<FileFacts>& facts)
        : m_paths(paths), m_facts(facts),
          m_pieces(static_cast<std::size_t>((paths.size() + kPieceFiles - 1) / kPieceFiles))
    {
        const auto readers = std::min<std::size_t>(kReaders, m_pieces.size());
        for (std::size_t i = 0; i < readers; ++i)
            m_readers.emplace_back([this](const std::stop_token& stop) { Work(stop); });
    }
    // Leaving early (an error, a Cancel) stops the readers after the files they are reading.
    ~ParallelReading()
    {
        for (std::jthread& reader : m_readers)
            reader.request_stop();
    }
    ParallelReading(const ParallelReading&) = delete;
    ParallelReading& operator=(const ParallelReading&) = delete;

    std::size_t PieceCount() const { return m_pieces.size(); }

    const Piece& WaitFor(std::size_t piece)
    {
        std::unique_lock lock(m_mutex);
        m_arrived.wait(lock, [&] { return m_pieces[piece].done; });
        return m_pieces[piece];
    }

private:
    void Work(const std::stop_token& stop)
    {
        FileFactsReader reader;
        for (;;) {
            std::size_t piece = 0;
            {
                const std::lock_guard lock(m_mutex);
                piece = m_nextPiece++;
            }
            if (piece >= m_pieces.size() || stop.stop_requested())
                return;
            Piece result;
            const qsizetype first = static_cast<qsizetype>(piece) * kPieceFiles;
            const qsizetype end = std::min(first + kPieceFiles, m_paths.size());
            for (qsizetype i = first; i < end; ++i) {
                try {
                    m_facts[static_cast<std::size_t>(i)] = reader.Read(m_paths.at(i));
                } catch (...) {
                    result.failedAt = i;
                    result.error = std::current_exception();
                    break;
                }
            }
            result.done = true;
            {
                const std::lock_guard lock(m_mutex);
                m_pieces[piece] = std::move(result);
            }
            m_arrived.notify_all();
        }
    }

    const QStringList& m_paths;
    std::vector<FileFacts>& m_facts;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<Piece> m_pieces;
    std::size_t m_nextPiece = 0;
    // Last, so that the readers are stopped and joined before anything they use goes.
    std::vector<std::jthread> m_readers;
};

} // namespace

std::vector<FileFacts> ReadFileFacts(const QStringList& paths,
                                     const std::function<void()>& afterEach)
{
    std::vector<FileFacts> facts(static_cast<std::size_t>(paths.size()));
    ParallelReading reading(paths, facts);
    qsizetype index = 0;
    for (std::size_t piece = 0; piece < reading.PieceCount(); ++piece) {
        const Piece& result = reading.WaitFor(piece);
        const qsizetype end = std::min(index + kPieceFiles, paths.size());
        for (; index < end; ++index) {
            if (index == result.failedAt)
                std::rethrow_exception(result.error);
            if (afterEach)
                afterEach();
        }
    }
    return facts;
}
