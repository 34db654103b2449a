#include "EndReport.h"

#include "core/ThreadWake.h"

EndReport::EndReport() : wake_(std::make_unique<ThreadWake>()) {
    QObject::connect(wake_.get(), &ThreadWake::woken, wake_.get(), [this] { deliver(); });
}

EndReport::~EndReport() = default;

void EndReport::setHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void EndReport::report() {
    reported_.store(generation_.load());
    wake_->wake();
}

void EndReport::forget() {
    generation_.fetch_add(1);
}

// Several reports before the UI thread's turn arrive as the latest, the only one that can still
// be current.
void EndReport::deliver() {
    if (reported_.exchange(kNone) == generation_.load() && handler_)
        handler_();
}
