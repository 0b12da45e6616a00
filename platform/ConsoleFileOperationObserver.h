#pragma once

#include "platform/FileOperationObserver.h"

#include <cstdio>

// Watches file operations without a display: each failure becomes a line on standard error,
// where an unattended run's log keeps it. Nothing else is said and nothing cancels.
class ConsoleFileOperationObserver : public FileOperationObserver
{
public:
    explicit ConsoleFileOperationObserver(std::FILE* out = stderr) : m_out(out) {}

    void Begin(Kind, int, qint64) override {}
    void StartItem(int, const QString&) override {}
    void AddBytes(qint64) override {}
    void AddFailure(const QString& text) override;
    bool CancelRequested() override { return false; }
    bool End() override { return false; }

private:
    std::FILE* m_out;
};
