#include "base/Events.h"

#include <QCoreApplication>
#include <QThread>
#include <ctime>
#include <exception>

namespace {

qint64 g_lastPump = 0;

// Work off the main thread has no window events of its own to let through.
bool OnMainThreadNow()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

qint64 NowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace

void DoEvents()
{
    if (OnMainThreadNow()) {
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
    if (OnMainThreadNow())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void OnMainThread(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    // An exception must not cross the main thread's event loop: it is carried back.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}
