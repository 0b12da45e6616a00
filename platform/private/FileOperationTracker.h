#pragma once

#include "platform/FileOperationObserver.h"
#include "platform/ShellFileOperation.h"

// The bookkeeping of one operation: tells its observer, if it has one, what happens and
// collects the failures and the cancel for the result.
class FileOperationTracker
{
public:
    explicit FileOperationTracker(FileOperationObserver* observer) : m_observer(observer) {}
    // Ends the observer's part if it began.
    ~FileOperationTracker();
    FileOperationTracker(const FileOperationTracker&) = delete;
    FileOperationTracker& operator=(const FileOperationTracker&) = delete;

    void Begin(FileOperationObserver::Kind kind, int itemCount, qint64 totalBytes);
    // Item `number` (from 1), named by the last component of its path.
    void StartItem(int number, const QString& path);
    void AddBytes(qint64 bytes);
    void Fail(const QString& text);
    // Lets the observer's window breathe; true from the moment a cancel was asked for.
    bool Cancelled();

    FileOperationResult& result() { return m_result; }

private:
    FileOperationObserver* m_observer;
    bool m_begun = false;
    FileOperationResult m_result;
};
