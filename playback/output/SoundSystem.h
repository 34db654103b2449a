#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class AudioRenderer;
class SoundDevice;

// The one playback device of the process, shared by both outputs of the player. It chooses
// the device (SoundDevice): a stream of our own on a PulseAudio server when one answers
// (PulseDevice: a long server buffer that is flushed on every detach, volume applied by the
// server), otherwise SDL's audio (SdlDevice). A server that vanishes is reconnected for a few
// seconds, then SDL takes over; while SDL plays on its silent driver, every attach looks for a
// server again. ZAPT_AUDIO=sdl, or a driver other than "pulseaudio" in SDL_AUDIODRIVER, keeps
// to SDL. The face is static because the MP3/WAV library it serves, and the sound server
// connection it opens, are the process's own.
//
// A server that takes connections and never answers (hung, or stopped) counts as no server
// after half a second at the first acquire, and after about a second without an answer in the
// middle of a song (PulseDevice). While it hangs, SDL is kept off it too (its pulseaudio driver,
// and ALSA, whose default device may lead to it) and plays on the silent driver; attaches then
// leave the search for the server to the housekeeping thread, so no call waits on it.
//
// The device plays from one renderer at a time, and silence when none is attached; attaching
// and detaching never wait for SDL, so changing songs neither closes the device nor leaves it
// paused. SDL's device runs at the rate of the renderer attached to it: opened at the first
// attach, reopened by a housekeeping thread when a renderer at another rate is attached (the
// calling thread does not wait for that). The device is closed by the same thread after some
// seconds with nothing attached. The last release() closes it too.
//
// The housekeeping thread also watches the device. One that goes away (the sound server
// restarts, a card is unplugged) is reopened, and the attached renderer goes on where it was:
// nothing is rendered while no device takes it. After a few seconds without it, the device
// falls back: PulseAudio to SDL, and SDL's driver to every other real driver, the silent
// "dummy" driver last (time still runs, songs still end); while on that one, every attach
// tries the real drivers again. A driver the user chose is never replaced.
//
// Control calls may come from any thread; the device's callback never locks or allocates.
class SoundSystem {
public:
    enum class Status {
        Closed,  // no device open
        Sound,   // a device of a real driver is open
        Silent,  // playing on the silent driver: no sound device was found
        Lost,    // the device went away; reopening it (the renderer stands still meanwhile)
    };

    // Starts the subsystem for one more user. False when no driver at all can start. The first
    // one waits at most half a second for a sound server to answer.
    static bool acquire();
    // The last user's release closes the device and stops the subsystem, waiting for that less
    // than a second: a housekeeping thread stuck in a call to SDL or a sound server is left
    // behind (it closes what it opened when it comes back) rather than waited for.
    static void release();

    // Makes the device play from `renderer`, which produces `rate` (8,000 to 384,000 Hz),
    // taking the device from any other renderer. When no device is open, opens one here
    // (falling back as described above); false when that fails. A device open at another rate,
    // or on the silent driver, is reopened by the housekeeping thread.
    static bool attach(AudioRenderer* renderer, int rate);
    // Stops playing from `renderer` if it is attached. On return the device is not inside its
    // render() and will not enter it again until it is attached again. Waits at most for one
    // render() already running, never for SDL.
    static void detach(AudioRenderer* renderer);

    // Frames `renderer` has given out that have not been heard yet: on their way through a
    // sound server, or thrown away with its buffer at a detach (droppedFrames). 0 on SDL,
    // whose buffers are short enough to count as heard.
    static int64_t unheardFrames(const AudioRenderer* renderer);
    // The attached renderer's volume() changed (PulseAudio applies it in the server).
    static void volumeChanged(const AudioRenderer* renderer);
    static bool usingPulse();
    // Makes the device that plays when no PulseAudio server answers, at each first acquire
    // (SDL's when none is set; tests set a fake). `keepOffServer` says when the server hangs.
    using DeviceMaker =
        std::function<std::unique_ptr<SoundDevice>(std::function<bool()> keepOffServer)>;
    static void setFallbackDeviceMaker(DeviceMaker make);

    static Status status();
    static bool usingSilentDriver() { return status() == Status::Silent; }
    // Called whenever status() may have changed, on the thread that changed it (the caller of
    // attach() or the housekeeping thread), with no lock held; it should read status() again
    // and must not call back into this class.
    static void setStatusHandler(std::function<void()> handler);

    // How long one device buffer plays, from the next open (tuning; see bufferDuration()).
    static void setBufferDuration(std::chrono::microseconds duration);
    static std::chrono::microseconds bufferDuration();
    // Frames per device buffer at `rate` for the current buffer duration.
    static int bufferFrames(int rate);

    // How long the device may play silence with nothing attached before it is closed.
    static void setIdleCloseDelay(std::chrono::milliseconds delay);
    // Closes the device now when nothing is attached (waits for SDL). True when it is closed.
    static bool closeDeviceIfIdle();
    static bool deviceOpen();
    // The rate the open device runs at, 0 when none is open.
    static int deviceRate();
};
