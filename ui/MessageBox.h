#pragma once

#include "base/Dialogs.h"

#include <QMessageBox>

// The box for one message request. A Yes/No question has no cancelling answer: Escape and the
// title-bar close do nothing, as on the original platform, so a stray Escape never answers
// No to "save changes?". OK alone closes on Escape (OK); sets with Cancel cancel on Escape.
class MessageBox : public QMessageBox
{
    Q_OBJECT

public:
    MessageBox(const DialogRequest& request, QWidget* owner);
    // The button clicked; the set's cancelling answer when the box went another way.
    MsgResult Answer() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    MsgButtons m_buttons;
};
