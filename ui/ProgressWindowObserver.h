#pragma once

#include "support/ConsoleFileOperationObserver.h"
#include "support/FileOperationObserver.h"

#include <QPointer>
#include <QWidget>

class FileOperationProgress;

// Shows a file operation in a FileOperationProgress window, made when the operation begins.
// Failures also go to standard error, so a terminal's log keeps them. A window whose operation
// ended with failures stays open until it is closed; any other goes with its observer.
class ProgressWindowObserver : public FileOperationObserver
{
public:
    // The window belongs to `owner`, or when there is none to the dialogs' owner (the main
    // window) as it is when the operation begins.
    explicit ProgressWindowObserver(QWidget* owner = nullptr);
    ~ProgressWindowObserver() override;

    void Begin(Kind kind, int itemCount, qint64 totalBytes) override;
    void StartItem(int number, const QString& name) override;
    void AddBytes(qint64 bytes) override;
    void AddFailure(const QString& text) override;
    bool CancelRequested() override;
    bool End() override;

private:
    QPointer<QWidget> m_owner;
    QPointer<FileOperationProgress> m_window;
    bool m_stays = false;
    ConsoleFileOperationObserver m_log;
};
