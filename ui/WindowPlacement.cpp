#include "ui/WindowPlacement.h"

#include "base/Numbers.h"
#include "documents/Preferences.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QRect ScreenRect(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

void CenterForm(QWidget* window, const QWidget* reference)
{
    const QRect area = reference ? reference->frameGeometry() : ScreenRect(window);
    const QSize size = window->frameGeometry().size();
    window->move(area.width() / 2 - size.width() / 2 + area.left(),
                 area.height() / 2 - size.height() / 2 + area.top());
}

void EnsureOnScreen(QWidget* window)
{
    const QRect screen = ScreenRect(window);
    const QRect frame = window->frameGeometry();
    if (frame.left() < screen.left() || frame.top() < screen.top() ||
        frame.left() + frame.width() > screen.left() + screen.width() ||
        frame.top() + frame.height() > screen.top() + screen.height())
        CenterForm(window, nullptr);
}

void RestorePlacement(QWidget* window)
{
    const double left =
        LeadingNumber(ReadPreference(QStringLiteral("mainleft"), QStringLiteral("-1")));
    const double top =
        LeadingNumber(ReadPreference(QStringLiteral("maintop"), QStringLiteral("-1")));
    if (left == -1 || top == -1) {
        CenterForm(window, nullptr);
        return;
    }
    window->move(Twips(ToInt32(left)), Twips(ToInt32(top)));
    EnsureOnScreen(window);
}

void StorePlacement(QWidget* window)
{
    if (window->isMinimized() || window->isMaximized())
        window->showNormal();
    WritePreference(QStringLiteral("mainleft"), static_cast<qint64>(window->x()) * 15);
    WritePreference(QStringLiteral("maintop"), static_cast<qint64>(window->y()) * 15);
}
