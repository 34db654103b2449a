#pragma once

#include "SoundDevice.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// The process's playback stream on a PulseAudio server (PipeWire's pulse server too), spoken
// to directly rather than through SDL: the server holds about half a second of sound, so it
// and the player wake a few times a second instead of 25, and Stop, Pause and a seek flush
// that half second instead of letting it drain. Volume is the stream's own, applied by the
// server, so a change is heard at once too.
//
// Like SdlDevice it plays one renderer at a time and stands still with none. When the
// server goes away it reconnects by itself every 200 ms; the sound that was on its way to the
// old server is kept, so the song goes on from what was last heard.
//
// A server that stops answering counts as gone. While a renderer plays, the server is asked
// for its timing every quarter of a second; no answer within a second (a server stopped or
// hung in the middle of a song), or a connection or a stream not set up within half a second
// (one that accepts and never answers), drops the connection as a vanished server would, and
// serverHung() says so. Nothing here ever waits on the server but connect(), within its limit.
//
// Control calls may come from any thread. render() runs on the connection's own thread with
// the connection locked; nothing called from there takes a lock of the caller's.
class PulseDevice final : public SoundDevice {
public:
    enum class Link { Down, Ready, Lost };
    enum class Connection {
        Ready,     // connected
        NoServer,  // refused: no server listens
        NoAnswer,  // a server took the connection but did not answer in time
    };

    // `stateChanged` runs on the connection's thread with it locked: it may read link(),
    // state() and serverHung(), and nothing else of this class.
    explicit PulseDevice(std::function<void()> stateChanged);
    // A server that does not answer within this is taken as absent.
    static constexpr std::chrono::milliseconds kConnectLimit{500};
    ~PulseDevice() override;
    PulseDevice(const PulseDevice&) = delete;
    PulseDevice& operator=(const PulseDevice&) = delete;

    // Connects when not connected, waiting at most `timeout` for the server's answer, and no
    // longer once `giveUp` (when given) returns true (checked every few milliseconds; the
    // result is then NoAnswer).
    Connection connect(std::chrono::milliseconds timeout, std::function<bool()> giveUp = {});
    Link link() const;
    // True when the server was last found taking connections without answering them (a
    // connect() that timed out, a server that stopped answering while it played); false once a
    // server answers, or refuses or closes a connection. Clients that would wait on it without
    // a limit (SDL's pulseaudio driver, ALSA's pulse plugin) should leave it alone meanwhile.
    bool serverHung() const;

    // SoundDevice. The stream is made at attach(), at the renderer's rate, and remade when the
    // rate changes, so open() has nothing to do and wantsOpen() is always false. attach()
    // while the server is gone stands still until it is back; the sound still in the server
    // of a renderer that loses the stream is thrown away (and counted in its droppedFrames).
    // close() closes the stream only when nothing is attached. Lost is the server gone and
    // being reconnected.
    bool start() override;  // connect(kConnectLimit)
    bool open(int rate, std::chrono::microseconds buffer, bool anyOutput) override;
    void close() override;
    bool wantsOpen(int rate) override;
    void attach(AudioRenderer* renderer, int rate) override;
    void detach(AudioRenderer* renderer) override;
    State state() override;
    bool isOpen() override;
    int rate() override;
    void retryPreferredOutput() override;
    std::chrono::milliseconds watchInterval() override;
    int64_t unheardFrames(const AudioRenderer* renderer) override;
    void volumeChanged(const AudioRenderer* renderer) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
