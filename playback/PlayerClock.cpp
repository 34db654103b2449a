#include "PlayerClock.h"

#include <QTimer>

namespace {

class QtTimer final : public PlayerClock::Timer {
public:
    QtTimer(bool repeat, std::function<void()> timeout) {
        timer_.setSingleShot(!repeat);
        if (!repeat)
            timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [timeout = std::move(timeout)] { timeout(); });
    }
    void start(std::chrono::milliseconds interval) override { timer_.start(interval); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<PlayerClock::Timer> QtPlayerClock::makeTimer(bool repeat,
                                                             std::function<void()> timeout) {
    return std::make_unique<QtTimer>(repeat, std::move(timeout));
}
