#include "support/Events.h"

#include <QCoreApplication>
#include <ctime>

namespace {

qint64 g_lastPump = 0;

qint64 NowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace

void DoEvents()
{
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents();
        g_lastPump = NowMicroseconds();
    }
}

void DoEventsThrottled()
{
    if (NowMicroseconds() - g_lastPump >= 1000)
        DoEvents();
}

void RepaintWindows()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
