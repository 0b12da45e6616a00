#pragma once

#include "engine/ShuffleHost.h"

#include <QRegularExpression>
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
    void SetBusy(bool on) override { Log((busy = on) ? "busy" : "idle"); }
    void ClearCancelRequest() override { Log("clear cancel"); }
    void ShowSeed(quint32 seed) override { events << QStringLiteral("seed %1").arg(seed); }
    // The run's copies and deletes report their failures here.
    std::unique_ptr<FileOperationObserver> NewFileObserver() override
    {
        return std::make_unique<FailureLog>(failures);
    }
    // True at the first check after the status `cancelAfter` was shown.
    bool CheckCancel() override
    {
        if (onCheck)
            onCheck(Statuses().value(Statuses().size() - 1));
        if (cancelAfter.isEmpty() || !Statuses().contains(cancelAfter))
            return false;
        cancelAfter.clear();
        return true;
    }

    // The recorded events of one kind, without their prefix, in order.
    QStringList Events(const QString& kind) const
    {
        return events.filter(QRegularExpression(u'^' + kind + u' '))
            .replaceInStrings(kind + u' ', QString());
    }
    QStringList Statuses() const { return Events(QStringLiteral("status")); }
    QStringList Progress() const { return Events(QStringLiteral("progress")); }

    QStringList events;
    QStringList failures;
    bool busy = false;
    QString cancelAfter;
    // Called at every check with the status shown last.
    std::function<void(const QString&)> onCheck;

private:
    struct FailureLog : FileOperationObserver
    {
        explicit FailureLog(QStringList& failures) : log(failures) {}
        void Begin(Kind, int, qint64) override {}
        void StartItem(int, const QString&) override {}
        void AddBytes(qint64) override {}
        void AddFailure(const QString& text) override { log << text; }
        bool CancelRequested() override { return false; }
        bool End() override { return false; }
        QStringList& log;
    };
    void Log(const char* text) { events << QString::fromUtf8(text); }
};
