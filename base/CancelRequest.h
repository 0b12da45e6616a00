#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

// A run's request to cancel, shared by the window's thread, which hears the user and asks
// "Are you sure...?" at once, and the thread doing the run's file work, which looks at it
// between pieces of work and waits there while the question is up.
class CancelRequest
{
public:
    // The user asked to cancel: `confirm` asks and tells the answer. Nothing is asked again
    // while a question is up or after a Yes.
    void Ask(const std::function<bool()>& confirm);
    // Waits while the question is up; true once the user confirmed.
    bool Check();
    // A new run: nothing asked, nothing confirmed.
    void Clear();

private:
    enum class State
    {
        None,
        Asking,
        Confirmed
    };
    std::mutex m_mutex;
    std::condition_variable m_answered;
    State m_state = State::None;
};
