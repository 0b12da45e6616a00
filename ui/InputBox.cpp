#include "ui/InputBox.h"

#include "ui/Twips.h"

#include <QLabel>

InputBox::InputBox(const DialogRequest& request, QWidget* owner) : QInputDialog(owner)
{
    setWindowTitle(request.caption);
    setLabelText(QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    setTextValue(request.defaultText);
    // About the width of the classic input box; the prompt wraps within it.
    const int width = Twips(5400);
    if (auto* prompt = findChild<QLabel*>()) {
        prompt->setWordWrap(true);
        prompt->setFixedWidth(width - 2 * Twips(180));
    }
    setFixedWidth(width);
}
