#pragma once

#include <chrono>
#include <functional>
#include <memory>

// The timers of the play sequence: the blank time between songs and the play-time tick. The
// player runs them on Qt's timers (QtPlayerClock); tests on a clock that moves only when told,
// so a sequence of songs runs in no time. UI thread only.
class PlayerClock {
public:
    class Timer {
    public:
        virtual ~Timer() = default;
        // Starts, or starts again, the wait of `interval`.
        virtual void start(std::chrono::milliseconds interval) = 0;
        virtual void stop() = 0;
        virtual bool isActive() const = 0;
    };

    virtual ~PlayerClock() = default;
    // A timer that calls `timeout` once per start, or (`repeat`) after every interval until
    // stopped. A timer destroyed or stopped never calls it again.
    virtual std::unique_ptr<Timer> makeTimer(bool repeat, std::function<void()> timeout) = 0;
};

// Qt's timers; single waits to the millisecond, as a blank time between songs is heard.
class QtPlayerClock final : public PlayerClock {
public:
    std::unique_ptr<Timer> makeTimer(bool repeat, std::function<void()> timeout) override;
};
