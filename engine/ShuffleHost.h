#pragma once

#include <QString>
#include <QtGlobal>

// What a run needs of the window that hosts it. The main window implements it; tests record
// what the run asked for. Questions go through the Dialogs service, not through the host.
class ShuffleHost
{
public:
    virtual ~ShuffleHost() = default;

    // The status line, repainted at once.
    virtual void SetStatus(const QString& text) = 0;
    // Shows or hides the progress box.
    virtual void ShowProgress(bool visible) = 0;
    // Fills the progress box to value / maximum and repaints it at once.
    virtual void SetProgress(qint32 value, qint32 maximum) = 0;
    // True blocks all input but the request to close; false also empties the status line and
    // hides the progress box.
    virtual void SetBusy(bool busy) = 0;
    // Forgets an earlier request to cancel.
    virtual void ClearCancelRequest() = 0;
    // Lets the window handle pending events; true only when the user asked to cancel and
    // confirmed it.
    virtual bool CheckCancel() = 0;
};
