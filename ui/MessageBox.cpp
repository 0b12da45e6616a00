#include "ui/MessageBox.h"

#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>

namespace {

QMessageBox::StandardButton ToStandard(MsgResult button)
{
    switch (button) {
    case MsgResult::OK: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons ButtonSet(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK: return QMessageBox::Ok;
    case MsgButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBox::MessageBox(const DialogRequest& request, QWidget* owner)
    : QMessageBox(ToIcon(request.icon), request.caption,
                  QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                  ButtonSet(request.buttons), owner),
      m_buttons(request.buttons)
{
    setDefaultButton(ToStandard(request.defaultButton));
    // A short text ("Done!") would make the box narrower than its own caption in the title bar.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int wide = fontMetrics().horizontalAdvance(request.caption) + Twips(2400);
        grid->addItem(new QSpacerItem(wide, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

MsgResult MessageBox::Answer() const
{
    switch (standardButton(clickedButton())) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: break;
    }
    return m_buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

void MessageBox::keyPressEvent(QKeyEvent* event)
{
    // QMessageBox would take No for the escape button of a Yes/No set.
    if (m_buttons == MsgButtons::YesNo && event->matches(QKeySequence::Cancel))
        return;
    QMessageBox::keyPressEvent(event);
}

void MessageBox::closeEvent(QCloseEvent* event)
{
    if (m_buttons == MsgButtons::YesNo) {
        event->ignore();
        return;
    }
    QMessageBox::closeEvent(event);
}
