#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

// Runs the event loop until `done` holds or `ms` pass (a safety limit, never a measurement).
inline bool waitUntil(const std::function<bool()>& done, int ms = 8000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// Runs the event loop for `ms`, so that any queued report can arrive.
inline void settle(int ms) {
    waitUntil([] { return false; }, ms);
}
