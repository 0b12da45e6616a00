#include "ui/ProgressWindowObserver.h"

#include "ui/FileOperationProgress.h"
#include "ui/QtDialogAnswerer.h"

ProgressWindowObserver::ProgressWindowObserver(QWidget* owner) : m_owner(owner) {}

ProgressWindowObserver::~ProgressWindowObserver()
{
    if (!m_stays)
        delete m_window.data();
}

void ProgressWindowObserver::Begin(Kind kind, int itemCount, qint64 totalBytes)
{
    QWidget* owner = m_owner ? m_owner.data() : QtDialogAnswerer::Owner();
    m_window = new FileOperationProgress(kind, itemCount, totalBytes, owner);
}

void ProgressWindowObserver::StartItem(int number, const QString& name)
{
    if (m_window) {
        m_window->StartItem(number, name);
        m_window->Pump();
    }
}

void ProgressWindowObserver::AddBytes(qint64 bytes)
{
    if (m_window)
        m_window->AddBytes(bytes);
}

void ProgressWindowObserver::AddFailure(const QString& text)
{
    m_log.AddFailure(text);
    if (m_window)
        m_window->AddFailure(text);
}

bool ProgressWindowObserver::CancelRequested()
{
    if (!m_window)
        return false;
    m_window->Pump();
    return m_window->CancelRequested();
}

bool ProgressWindowObserver::End()
{
    m_stays = m_window && m_window->Finish();
    return m_stays;
}
