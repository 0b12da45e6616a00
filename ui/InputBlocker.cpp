#include "ui/InputBlocker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::InputMethod: return true;
    default: return false;
    }
}

} // namespace

InputBlocker::InputBlocker(QWidget* area) : QObject(area), m_area(area) {}

InputBlocker::~InputBlocker()
{
    SetBlocking(false);
}

void InputBlocker::SetBlocking(bool blocking)
{
    if (blocking == m_blocking || !qApp)
        return;
    m_blocking = blocking;
    // Events reach the widget under the mouse or with the focus, so the filter sits where every
    // event passes.
    if (blocking)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_blocking || !m_area || !IsInput(event->type()) || !watched->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(watched);
    return widget == m_area || m_area->isAncestorOf(widget);
}
