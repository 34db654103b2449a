#include "DecoderCallbackTarget.h"

#include "ThreadWake.h"

#include <QTimer>

DecoderCallbackTarget::DecoderCallbackTarget(QObject* parent)
    : QObject(parent), wake_(new ThreadWake(this)) {
    connect(wake_, &ThreadWake::woken, this, &DecoderCallbackTarget::deliver);
}

void DecoderCallbackTarget::report() {
    reported_.store(serial.load());
    wake_->wake();
}

void DecoderCallbackTarget::deliver() {
    if (reported_.exchange(kNone) == serial.load() && timer)
        timer->start();
}
