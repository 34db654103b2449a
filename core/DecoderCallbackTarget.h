#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>

// What the decoder library's end report reaches: the play-done timer, and a serial that the
// window bumps whenever it stops or starts a song, so a report already on its way when the
// user stopped is dropped. The report crosses threads only through the two atomics and a
// queued call that carries no data.
class DecoderCallbackTarget : public QObject {
    Q_OBJECT
public:
    static constexpr uint64_t kNone = ~uint64_t{0};

    QTimer* timer = nullptr;
    std::atomic<uint64_t> serial{0};
    std::atomic<uint64_t> reported{kNone};

    // On the UI thread: starts the timer when the report is for the song still playing.
    Q_INVOKABLE void deliver() {
        if (reported.exchange(kNone) == serial.load() && timer)
            timer->start();
    }
};
