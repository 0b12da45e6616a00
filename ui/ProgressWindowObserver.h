#pragma once

#include "platform/ConsoleFileOperationObserver.h"
#include "platform/FileOperationObserver.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class CancelRequest;
class FileOperationProgress;

// Shows a file operation in a FileOperationProgress window, made when the operation begins.
// Failures also go to standard error, so a terminal's log keeps them. A window whose operation
// ended with failures stays open until it is closed; any other goes with its observer.
//
// The operation may run on another thread than the window: what it reports then reaches the
// window through the window's own thread, and it never waits for the window but to make it
// and to end it.
class ProgressWindowObserver : public FileOperationObserver
{
public:
    // The window belongs to `owner`, or when there is none to the dialogs' owner (the main
    // window) as it is when the operation begins.
    explicit ProgressWindowObserver(QWidget* owner = nullptr);
    // An operation of a run: the window's Cancel calls onCancel (on the window's thread), and
    // the operation stops when the run's cancel request is confirmed.
    ProgressWindowObserver(QWidget* owner, std::function<void()> onCancel, CancelRequest* cancel);
    ~ProgressWindowObserver() override;

    void Begin(Kind kind, int itemCount, qint64 totalBytes) override;
    void StartItem(int number, const QString& name) override;
    void AddBytes(qint64 bytes) override;
    void AddFailure(const QString& text) override;
    bool CancelRequested() override;
    bool End() override;

private:
    // Runs on the window's thread: at once when called there, later otherwise.
    void Post(std::function<void(FileOperationProgress&)> update);

    QPointer<QWidget> m_owner;
    QPointer<FileOperationProgress> m_window;
    std::function<void()> m_onCancel;
    CancelRequest* m_cancel = nullptr;
    bool m_stays = false;
    ConsoleFileOperationObserver m_log;
};
