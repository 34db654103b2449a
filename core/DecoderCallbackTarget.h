#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

class QTimer;
class ThreadWake;

// What the decoder library's end report reaches: the play-done timer, and a serial that the
// window bumps whenever it stops or starts a song, so a report already on its way when the
// user stopped is dropped. The audio thread only stores an atomic and wakes the UI thread:
// it neither allocates nor touches Qt's event queue.
class DecoderCallbackTarget : public QObject {
    Q_OBJECT
public:
    static constexpr uint64_t kNone = ~uint64_t{0};

    explicit DecoderCallbackTarget(QObject* parent = nullptr);

    QTimer* timer = nullptr;
    std::atomic<uint64_t> serial{0};

    // Runs `stop`, which ends the song, then drops every report made before or while it ran.
    // The serial moves only once the engine has stopped: a report the audio thread makes
    // during the stop still carries the old serial and is dropped, where moving it first would
    // stamp that late report as current and start the next song after a Stop.
    template <class Stop> void stopAndForget(Stop&& stop) {
        stop();
        serial.fetch_add(1);
    }

    // Any thread: the song that was playing has ended.
    void report();
    // On the UI thread: starts the timer when the report is for the song still playing.
    void deliver();

private:
    std::atomic<uint64_t> reported_{kNone};
    ThreadWake* wake_ = nullptr;
};
