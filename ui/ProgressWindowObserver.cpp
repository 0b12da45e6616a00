#include "ui/ProgressWindowObserver.h"

#include "base/CancelRequest.h"
#include "base/Events.h"
#include "ui/FileOperationProgress.h"
#include "ui/QtDialogAnswerer.h"

#include <QCoreApplication>
#include <QThread>

namespace {

bool OnWindowThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

ProgressWindowObserver::ProgressWindowObserver(QWidget* owner) : m_owner(owner) {}

ProgressWindowObserver::ProgressWindowObserver(QWidget* owner, std::function<void()> onCancel,
                                               CancelRequest* cancel)
    : m_owner(owner), m_onCancel(std::move(onCancel)), m_cancel(cancel)
{
}

ProgressWindowObserver::~ProgressWindowObserver()
{
    if (!m_stays)
        OnMainThread([this] { delete m_window.data(); });
}

void ProgressWindowObserver::Begin(Kind kind, int itemCount, qint64 totalBytes)
{
    OnMainThread([&] {
        QWidget* owner = m_owner ? m_owner.data() : QtDialogAnswerer::Owner();
        m_window = new FileOperationProgress(kind, itemCount, totalBytes, owner);
        if (m_onCancel)
            m_window->SetCancelHandler(m_onCancel);
    });
}

void ProgressWindowObserver::Post(std::function<void(FileOperationProgress&)> update)
{
    if (OnWindowThread()) {
        if (m_window)
            update(*m_window);
        return;
    }
    // Dropped when the window is gone by the time it gets there.
    QMetaObject::invokeMethod(
        m_window.data(),
        [window = m_window, update = std::move(update)] {
            if (window)
                update(*window);
        },
        Qt::QueuedConnection);
}

void ProgressWindowObserver::StartItem(int number, const QString& name)
{
    // An operation on the window's thread lets the window's events through itself; from
    // another thread the window's own timer shows it.
    if (OnWindowThread() && m_window) {
        m_window->StartItem(number, name);
        m_window->Pump();
        return;
    }
    Post([number, name](FileOperationProgress& window) { window.StartItem(number, name); });
}

void ProgressWindowObserver::AddBytes(qint64 bytes)
{
    Post([bytes](FileOperationProgress& window) { window.AddBytes(bytes); });
}

void ProgressWindowObserver::AddFailure(const QString& text)
{
    m_log.AddFailure(text);
    Post([text](FileOperationProgress& window) { window.AddFailure(text); });
}

bool ProgressWindowObserver::CancelRequested()
{
    if (m_cancel)
        return m_cancel->Check();
    if (!m_window)
        return false;
    if (OnWindowThread())
        m_window->Pump();
    return m_window->CancelRequested();
}

bool ProgressWindowObserver::End()
{
    OnMainThread([this] { m_stays = m_window && m_window->Finish(); });
    return m_stays;
}
