#include "platform/private/SourceQueue.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace {

// How far ahead: enough files and bytes that a cold library on a slow disk keeps up with the
// target, few enough that the descriptors and the page cache are not strained.
constexpr size_t kAheadFiles = 16;
constexpr off_t kAheadBytes = off_t{32} << 20;

} // namespace

SourceQueue::SourceQueue(const QStringList& sources)
    : m_sources(sources), m_pipes(static_cast<std::size_t>(sources.size()), false)
{
    for (qsizetype i = 0; i < m_sources.size(); ++i) {
        struct stat st = {};
        if (::stat(Platform::Encode(m_sources.at(i)).constData(), &st) != 0)
            continue;
        if (S_ISREG(st.st_mode))
            m_totalBytes += st.st_size;
        m_pipes[static_cast<std::size_t>(i)] = S_ISFIFO(st.st_mode);
    }
}

void SourceQueue::Open(Source& source, qsizetype index) const
{
    source.fd.reset(
        ::open(Platform::Encode(m_sources.at(index)).constData(), O_RDONLY | O_CLOEXEC));
    if (!source.fd.valid() || ::fstat(source.fd.get(), &source.st) != 0)
        source.error = errno;
}

void SourceQueue::OpenNext()
{
    Source& source = m_ahead.emplace_back();
    const qsizetype index = m_opened++;
    // Opening a pipe waits for its writer: not before the files ahead of it are copied.
    if (m_pipes.at(static_cast<std::size_t>(index))) {
        source.later = index;
        return;
    }
    Open(source, index);
    if (source.error == 0 && S_ISREG(source.st.st_mode)) {
        source.advised = std::min(source.st.st_size, kAheadBytes);
        ::posix_fadvise(source.fd.get(), 0, source.advised, POSIX_FADV_WILLNEED);
        m_aheadBytes += source.advised;
    }
}

Source SourceQueue::Take()
{
    if (m_ahead.empty())
        OpenNext();
    Source source = std::move(m_ahead.front());
    m_ahead.pop_front();
    m_aheadBytes -= source.advised;
    if (source.later >= 0)
        Open(source, source.later);
    while (m_opened < m_sources.size() && m_ahead.size() < kAheadFiles &&
           m_aheadBytes < kAheadBytes)
        OpenNext();
    return source;
}
