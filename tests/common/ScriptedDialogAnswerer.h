#pragma once

#include "base/Dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>
#include <variant>

// Records every request and answers from a queue. A request with nothing queued for it (or a
// queued answer of the wrong kind) fails the test and gets the cancelling answer, so a test
// fails instead of blocking.
class ScriptedDialogAnswerer : public DialogAnswerer
{
public:
    void Queue(MsgResult answer) { m_answers.emplace_back(answer); }
    void Queue(const QString& answer) { m_answers.emplace_back(answer); }

    MsgResult Message(const DialogRequest& request) override;
    QString Text(const DialogRequest& request) override;

    const QList<DialogRequest>& Requests() const { return m_requests; }
    qsizetype Pending() const { return static_cast<qsizetype>(m_answers.size()); }

    // Called for every request before it is answered (for example to act in the middle of a
    // run while a question is up).
    std::function<void(const DialogRequest&)> onRequest;

private:
    template <typename T> void Next(const DialogRequest& request, T& answer);

    std::deque<std::variant<MsgResult, QString>> m_answers;
    QList<DialogRequest> m_requests;
};
