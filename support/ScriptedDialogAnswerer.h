#pragma once

#include "support/Dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>
#include <variant>

// For tests: records every request and answers from a queue. A request with nothing queued
// for it (or a queued answer of the wrong kind) is reported through onUnexpected and answered
// as cancelled, so a test fails instead of blocking.
class ScriptedDialogAnswerer : public DialogAnswerer
{
public:
    using Answer = std::variant<MsgResult, QString>;

    void Queue(MsgResult answer) { m_answers.emplace_back(answer); }
    void Queue(const QString& answer) { m_answers.emplace_back(answer); }

    MsgResult Message(const DialogRequest& request) override;
    QString Text(const DialogRequest& request) override;

    const QList<DialogRequest>& Requests() const { return m_requests; }
    qsizetype Pending() const { return static_cast<qsizetype>(m_answers.size()); }
    qsizetype UnexpectedCount() const { return m_unexpected; }

    std::function<void(const DialogRequest&)> onUnexpected;
    // Called for every request before it is answered (for example to act in the middle of a
    // run while a question is up).
    std::function<void(const DialogRequest&)> onRequest;

private:
    void Unexpected(const DialogRequest& request);

    std::deque<Answer> m_answers;
    QList<DialogRequest> m_requests;
    qsizetype m_unexpected = 0;
};
