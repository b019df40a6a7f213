#pragma once
// Waiting for a program's own timers without a pause of fixed length: events are handled
// until a timer started now for ms has fired. Timers fire in the order they are due, so
// every timer of this thread due within ms has had its turn by then, however long a busy
// machine kept this process waiting.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace kiv::test {

// False only when even a minute more did not let the timer fire (a hang).
inline bool ServeUntilTimersDueWithin(int ms) {
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
    timer.start(ms);
    QElapsedTimer t;
    t.start();
    while (!fired && t.elapsed() < ms + 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return fired;
}

}  // namespace kiv::test
