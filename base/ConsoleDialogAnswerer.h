#pragma once

#include "base/Dialogs.h"

#include <cstdio>

// Answers without a display: every message box is written to standard error and answered with
// its default button; input boxes, file dialogs and the folder browser answer as cancelled.
class ConsoleDialogAnswerer : public DialogAnswerer
{
public:
    explicit ConsoleDialogAnswerer(std::FILE* out = stderr) : m_out(out) {}

    MsgResult Message(const DialogRequest& request) override;
    QString Text(const DialogRequest& request) override;

private:
    void Write(const QString& text);
    std::FILE* m_out;
};
