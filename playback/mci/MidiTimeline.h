#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// The timing of a Standard MIDI File: its tempo map and the tick of its last event, enough to
// turn ticks into seconds and back. Damaged tracks are read up to the damage.
class MidiTimeline {
public:
    // False when the bytes are not a Standard MIDI File with at least one track.
    bool parse(const QByteArray& bytes);

    int64_t lastTick() const { return lastTick_; }
    double lengthSeconds() const { return secondsAt(lastTick_); }
    double secondsAt(int64_t tick) const;
    int64_t tickAt(double seconds) const;

private:
    struct Tempo {
        int64_t tick;
        uint32_t microsPerQuarter;
    };
    void readTrack(const unsigned char* data, size_t size);

    int ticksPerQuarter_ = 0;
    double smpteTicksPerSecond_ = 0;  // non-zero for SMPTE time division
    int64_t lastTick_ = 0;
    std::vector<Tempo> tempos_;  // sorted by tick
};
