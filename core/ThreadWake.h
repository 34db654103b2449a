#pragma once

#include <QObject>

class QSocketNotifier;

// Wakes the thread this object lives on from any other thread: wake() writes to an eventfd,
// and woken() is emitted on the owner's thread. What is handed over travels beside it under
// the caller's own lock, so a race detector sees every hand-over (Qt's event queue, which a
// queued call would use, is invisible to it). Several wakes before the owner runs may arrive
// as one woken().
class ThreadWake : public QObject {
    Q_OBJECT
public:
    explicit ThreadWake(QObject* parent = nullptr);
    ~ThreadWake() override;
    ThreadWake(const ThreadWake&) = delete;
    ThreadWake& operator=(const ThreadWake&) = delete;

    void wake();

Q_SIGNALS:
    void woken();

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
