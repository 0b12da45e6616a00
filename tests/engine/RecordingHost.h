#pragma once

#include "engine/ShuffleHost.h"

#include <QStringList>
#include <functional>

// Stands in for the main window: records what a run shows and can cancel at a chosen check.
class RecordingHost : public ShuffleHost
{
public:
    void SetStatus(const QString& text) override { events << QStringLiteral("status ") + text; }
    void ShowProgress(bool visible) override { Log(visible ? "show progress" : "hide progress"); }
    void SetProgress(qint32 value, qint32 maximum) override
    {
        events << QStringLiteral("progress %1/%2").arg(value).arg(maximum);
    }
    void SetWaitCursor(bool waiting) override { Log(waiting ? "wait cursor" : "default cursor"); }
    void SetBusy(bool busy) override { Log((this->busy = busy) ? "busy" : "idle"); }
    void ClearCancelRequest() override { Log("clear cancel"); }
    bool CheckCancel() override
    {
        if (onCheck)
            onCheck(++checks);
        else
            ++checks;
        return cancelAt > 0 && checks == cancelAt;
    }

    // The recorded events of one kind, without their prefix, in order.
    QStringList Events(const QString& kind) const
    {
        QStringList out;
        for (const QString& e : events)
            if (e.startsWith(kind + u' '))
                out << e.mid(kind.size() + 1);
        return out;
    }
    QStringList Statuses() const { return Events(QStringLiteral("status")); }
    QStringList Progress() const { return Events(QStringLiteral("progress")); }

    QStringList events;
    bool busy = false;
    int checks = 0;
    int cancelAt = 0; // the check (counted from 1) that answers "cancel"
    std::function<void(int)> onCheck;

private:
    void Log(const char* text) { events << QString::fromUtf8(text); }
};
