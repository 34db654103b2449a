#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class ThreadWake;

// The end of the playing song, reported on any thread (the audio thread too) and handed to the
// UI thread, where the handler runs unless the song has been replaced since. A generation
// number decides that: it moves each time the song is replaced, and a report carries the
// generation it was made in. report() only stores an atomic and wakes the UI thread: it
// neither allocates nor touches Qt's event queue. Made and used on the UI thread, except
// report().
class EndReport {
public:
    EndReport();
    ~EndReport();
    EndReport(const EndReport&) = delete;
    EndReport& operator=(const EndReport&) = delete;

    void setHandler(std::function<void()> handler);

    // Any thread: the playing song's last sample has been heard.
    void report();

    // Runs `stop`, which ends the song, then makes every report so far stale. The generation
    // moves only once the song has stopped: a report made during the stop still carries the
    // old one and is dropped, where moving it first would stamp that late report as current.
    template <class Stop> auto stopAndForget(Stop&& stop) {
        auto result = stop();
        forget();
        return result;
    }
    // The song was replaced without a stop (a joined song taken over).
    void forget();

private:
    void deliver();

    static constexpr uint64_t kNone = ~uint64_t{0};
    std::function<void()> handler_;
    std::atomic<uint64_t> generation_{0};
    std::atomic<uint64_t> reported_{kNone};
    std::unique_ptr<ThreadWake> wake_;
};
