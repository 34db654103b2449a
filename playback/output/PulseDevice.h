#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class AudioRenderer;

// The process's playback stream on a PulseAudio server (PipeWire's pulse server too), spoken
// to directly rather than through SDL: the server holds about half a second of sound, so it
// and the player wake a few times a second instead of 25, and Stop, Pause and a seek flush
// that half second instead of letting it drain. Volume is the stream's own, applied by the
// server, so a change is heard at once too.
//
// Like the SDL device it plays one renderer at a time and stands still with none. When the
// server goes away it reconnects by itself every 200 ms; the sound that was on its way to the
// old server is kept, so the song goes on from what was last heard.
//
// Control calls may come from any thread. render() runs on the connection's own thread with
// the connection locked; nothing called from there takes a lock of the caller's.
class PulseDevice {
public:
    enum class State { Down, Ready, Lost };

    // `stateChanged` runs on the connection's thread with it locked: it may read state() and
    // nothing else of this class.
    explicit PulseDevice(std::function<void()> stateChanged);
    ~PulseDevice();
    PulseDevice(const PulseDevice&) = delete;
    PulseDevice& operator=(const PulseDevice&) = delete;

    // Connects when not connected. False when no server answers within `timeout`.
    bool connect(std::chrono::milliseconds timeout);
    State state() const;

    // Plays from `renderer` at `rate` Hz from now, taking the stream from any other renderer,
    // whose sound still in the server is thrown away (and counted in its droppedFrames).
    void attach(AudioRenderer* renderer, int rate);
    // Stops playing from `renderer`: the server forgets what it still holds of it. On return
    // render() is not running and not called again.
    void detach(AudioRenderer* renderer);
    // Frames `renderer` gave out that have not been heard yet.
    int64_t unheardFrames(const AudioRenderer* renderer);
    // The attached renderer's volume() changed.
    void volumeChanged(const AudioRenderer* renderer);

    bool streamOpen();
    int streamRate();
    // Closes the stream when nothing is attached. True when none is open.
    bool closeStreamIfIdle();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
