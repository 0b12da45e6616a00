#include "base/CancelRequest.h"

void CancelRequest::Ask(const std::function<bool()>& confirm)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != State::None)
            return;
        m_state = State::Asking;
    }
    bool yes = false;
    try {
        yes = confirm();
    } catch (...) {
        // A question that could not be asked cancels nothing.
    }
    {
        const std::lock_guard lock(m_mutex);
        m_state = yes ? State::Confirmed : State::None;
    }
    m_answered.notify_all();
}

bool CancelRequest::Check()
{
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [this] { return m_state != State::Asking; });
    return m_state == State::Confirmed;
}

void CancelRequest::Clear()
{
    const std::lock_guard lock(m_mutex);
    m_state = State::None;
}
