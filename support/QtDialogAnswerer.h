#pragma once

#include "support/Dialogs.h"

// The real Qt windows, modal to Dialogs::Owner().
class QtDialogAnswerer : public DialogAnswerer
{
public:
    MsgResult Message(const DialogRequest& request) override;
    QString Text(const DialogRequest& request) override;
};
