#pragma once

#include "base/Dialogs.h"

#include <QInputDialog>

// The box for one text request: a prompt of several lines wraps within the box's width instead
// of widening it past its owner.
class InputBox : public QInputDialog
{
    Q_OBJECT

public:
    InputBox(const DialogRequest& request, QWidget* owner);
};
