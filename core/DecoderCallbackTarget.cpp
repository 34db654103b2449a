#include "DecoderCallbackTarget.h"

#include <QSocketNotifier>
#include <QTimer>
#include <sys/eventfd.h>
#include <unistd.h>

DecoderCallbackTarget::DecoderCallbackTarget(QObject* parent) : QObject(parent) {
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
        deliver();
    });
}

DecoderCallbackTarget::~DecoderCallbackTarget() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void DecoderCallbackTarget::report() {
    reported_.store(serial.load());
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void DecoderCallbackTarget::deliver() {
    if (reported_.exchange(kNone) == serial.load() && timer)
        timer->start();
}
