#pragma once

#include "base/Dialogs.h"

class QWidget;

// The real Qt windows, modal to the owner window.
class QtDialogAnswerer : public DialogAnswerer
{
public:
    MsgResult Message(const DialogRequest& request) override;
    QString Text(const DialogRequest& request) override;

    // The window the dialogs (and the progress window) belong to: the main window, or a
    // dialog while it asks. Forgotten when it is destroyed.
    static void SetOwner(QWidget* owner);
    static QWidget* Owner();
};
