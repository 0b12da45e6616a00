#pragma once

#include "base/Events.h"
#include "engine/ShuffleHost.h"

// A run's host without a window: nothing to show and nobody to cancel. Pending events are
// still let through, as a window's host would.
class QuietHost : public ShuffleHost
{
public:
    void SetStatus(const QString&) override {}
    void ShowProgress(bool) override {}
    void SetProgress(qint32, qint32) override {}
    void SetWaitCursor(bool) override {}
    void SetBusy(bool) override {}
    void ClearCancelRequest() override {}
    bool CheckCancel() override
    {
        DoEventsThrottled();
        return false;
    }
    void ShowSeed(quint32) override {}
};
