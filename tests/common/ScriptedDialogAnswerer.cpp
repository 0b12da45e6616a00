#include "tests/common/ScriptedDialogAnswerer.h"

#include <gtest/gtest.h>

// Records the request and takes the next answer when it is of the kind asked for; leaves
// `answer` alone otherwise.
template <typename T> void ScriptedDialogAnswerer::Next(const DialogRequest& request, T& answer)
{
    m_requests.append(request);
    if (onRequest)
        onRequest(request);
    if (!m_answers.empty() && std::holds_alternative<T>(m_answers.front())) {
        answer = std::get<T>(m_answers.front());
        m_answers.pop_front();
        return;
    }
    ADD_FAILURE() << "unexpected dialog \"" << request.caption.toStdString()
                  << "\": " << request.text.toStdString();
}

MsgResult ScriptedDialogAnswerer::Message(const DialogRequest& request)
{
    // Unscripted: the set's cancelling answer.
    MsgResult answer = request.buttons == MsgButtons::YesNo ? MsgResult::No
                       : request.buttons == MsgButtons::OK  ? MsgResult::OK
                                                            : MsgResult::Cancel;
    Next(request, answer);
    return answer;
}

QString ScriptedDialogAnswerer::Text(const DialogRequest& request)
{
    QString answer;
    Next(request, answer);
    return answer;
}
