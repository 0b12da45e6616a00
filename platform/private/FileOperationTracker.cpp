#include "platform/private/FileOperationTracker.h"

FileOperationTracker::~FileOperationTracker()
{
    if (m_begun)
        m_observer->End();
}

void FileOperationTracker::Begin(FileOperationObserver::Kind kind, int itemCount, qint64 totalBytes)
{
    if (m_observer && !m_begun) {
        m_begun = true;
        m_observer->Begin(kind, itemCount, totalBytes);
    }
}

void FileOperationTracker::StartItem(int number, const QString& path)
{
    if (m_begun)
        m_observer->StartItem(number, path.mid(path.lastIndexOf(u'/') + 1));
}

void FileOperationTracker::AddBytes(qint64 bytes)
{
    if (m_begun)
        m_observer->AddBytes(bytes);
}

void FileOperationTracker::Fail(const QString& text)
{
    m_result.failures << text;
    if (m_begun)
        m_observer->AddFailure(text);
}

bool FileOperationTracker::Cancelled()
{
    if (m_begun && !m_result.cancelled && m_observer->CancelRequested())
        m_result.cancelled = true;
    return m_result.cancelled;
}
