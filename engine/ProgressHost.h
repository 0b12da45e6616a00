#pragma once

#include <QString>
#include <QtGlobal>

// The feedback a long piece of work gives through the main window: the status line, the
// progress box and the wait cursor. The main window implements it; tests record it.
class ProgressHost
{
public:
    virtual ~ProgressHost() = default;

    // The status line, repainted at once.
    virtual void SetStatus(const QString& text) = 0;
    // Shows or hides the progress box.
    virtual void ShowProgress(bool visible) = 0;
    // Fills the progress box to value / maximum and repaints it at once.
    virtual void SetProgress(qint32 value, qint32 maximum) = 0;
    // The busy pointer for the whole application, or the default pointer again.
    virtual void SetWaitCursor(bool waiting) = 0;
};
