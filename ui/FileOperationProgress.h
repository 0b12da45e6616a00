#pragma once

#include "platform/FileOperationObserver.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>

class QCloseEvent;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// The small window a copy or delete shows while it works: item n of m, bytes, rate, the
// current name and a Cancel button. It belongs to its owner (the main window): it opens centred
// over it, stays above it and has no task-bar entry of its own. The operation runs on the
// window's own thread, so it calls Pump between pieces of work to keep the window painted and
// the Cancel click heard.
class FileOperationProgress : public QWidget
{
    Q_OBJECT

public:
    using Kind = FileOperationObserver::Kind;

    FileOperationProgress(Kind kind, int itemCount, qint64 totalBytes, QWidget* owner);

    // number counts from 1.
    void StartItem(int number, const QString& name);
    void AddBytes(qint64 bytes);
    void AddFailure(const QString& text);
    // Refreshes the texts and lets pending events through: at every new item, and otherwise
    // at most every few milliseconds so that many small chunks cost little.
    void Pump();
    bool CancelRequested() const { return m_cancelRequested; }
    // Cancel (the button or the window's close) calls this instead of marking the operation
    // as cancelled: the run it belongs to decides.
    void SetCancelHandler(std::function<void()> handler) { m_onCancel = std::move(handler); }
    // The operation is over. With failures listed the window stays open (and deletes itself
    // when closed) so they can be read; returns whether it did.
    bool Finish();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCancelClicked();
    void Refresh();

    Kind m_kind;
    int m_itemCount;
    qint64 m_totalBytes;
    int m_itemNumber = 0;
    qint64 m_bytesDone = 0;
    QString m_itemName;
    bool m_itemChanged = false;
    std::atomic<bool> m_cancelRequested = false;
    std::function<void()> m_onCancel;
    // Shows what an operation on another thread reported, which calls no Pump.
    QTimer m_refresh;
    bool m_finished = false;
    QElapsedTimer m_started;
    QElapsedTimer m_lastPump;

    QLabel* m_lblFile;
    QLabel* m_lblName;
    QLabel* m_lblBytes;
    QLabel* m_lblRate;
    QProgressBar* m_pgbProgress;
    QListWidget* m_lstFailures;
    QPushButton* m_cmdCancel;
};
