#pragma once

#include "engine/ProgressHost.h"
#include "platform/FileOperationObserver.h"

#include <memory>

// What a run needs of the window that hosts it, beyond its feedback. Questions go through the
// Dialogs service, not through the host.
class ShuffleHost : public ProgressHost
{
public:
    // True blocks all input but the request to close and shows the busy pointer; false also
    // empties the status line, hides the progress box and restores the pointer.
    virtual void SetBusy(bool busy) = 0;
    // Forgets an earlier request to cancel.
    virtual void ClearCancelRequest() = 0;
    // Lets the window handle pending events; true only when the user asked to cancel and
    // confirmed it.
    virtual bool CheckCancel() = 0;
    // Watches one of the run's copies or deletes; by default the one installed at start-up.
    virtual std::unique_ptr<FileOperationObserver> NewFileObserver()
    {
        return NewFileOperationObserver();
    }
    // The seed the run's random orders came from, shown before the closing report so that an
    // unattended run can be repeated.
    virtual void ShowSeed(quint32 seed) = 0;
};
