#include "support/ScriptedDialogAnswerer.h"

void ScriptedDialogAnswerer::Unexpected(const DialogRequest& request)
{
    ++m_unexpected;
    if (onUnexpected)
        onUnexpected(request);
}

MsgResult ScriptedDialogAnswerer::Message(const DialogRequest& request)
{
    m_requests.append(request);
    if (onRequest)
        onRequest(request);
    if (!m_answers.empty() && std::holds_alternative<MsgResult>(m_answers.front())) {
        const MsgResult answer = std::get<MsgResult>(m_answers.front());
        m_answers.pop_front();
        return answer;
    }
    Unexpected(request);
    if (request.buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return request.buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

QString ScriptedDialogAnswerer::Text(const DialogRequest& request)
{
    m_requests.append(request);
    if (onRequest)
        onRequest(request);
    if (!m_answers.empty() && std::holds_alternative<QString>(m_answers.front())) {
        QString answer = std::get<QString>(m_answers.front());
        m_answers.pop_front();
        return answer;
    }
    Unexpected(request);
    return {};
}
