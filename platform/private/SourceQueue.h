#pragma once

#include "platform/private/UniqueFd.h"

#include <QStringList>

#include <deque>
#include <sys/stat.h>
#include <vector>

struct Source
{
    UniqueFd fd;
    struct stat st = {};
    int error = 0;
    off_t advised = 0;    // bytes asked of the read-ahead
    qsizetype later = -1; // a pipe, opened only when its turn comes: the index of its source
};

// A copy's sources in order, each opened and handed to the kernel's read-ahead a few files
// before its turn, so that reading them overlaps with writing the one being copied.
class SourceQueue
{
public:
    // Counts the bytes to copy and notes which sources are pipes.
    explicit SourceQueue(const QStringList& sources);

    // The bytes to copy, for the progress, as they were when the queue was made.
    qint64 TotalBytes() const { return m_totalBytes; }
    // The next source, opened; the ones after it are opened and their reading started.
    Source Take();

private:
    void Open(Source& source, qsizetype index) const;
    void OpenNext();

    const QStringList& m_sources;
    std::deque<Source> m_ahead;
    qsizetype m_opened = 0;
    off_t m_aheadBytes = 0;
    qint64 m_totalBytes = 0;
    // Which sources were pipes when the total was counted.
    std::vector<bool> m_pipes;
};
