#pragma once

#include <chrono>
#include <cstdint>

class AudioRenderer;

// One way to make sound (a PulseAudio stream of our own, SDL's audio): what SoundSystem needs
// of a device to choose between them, fall back from one to the other and reopen a lost one.
// A device plays from one renderer at a time and silence when none is attached; it never
// decides by itself to give up or to hand over to another device.
//
// Threads: attach(), close(), retryPreferredOutput() and the queries come from SoundSystem
// with its lock held, or from its housekeeping thread; open() and close() may wait on the
// system and are called by one thread at a time, with no other open() or close() running.
// detach(), unheardFrames() and volumeChanged() may come from any thread at any time.
class SoundDevice {
public:
    enum class State {
        Closed,  // nothing open (or no server connection)
        Open,    // open on an output somebody hears, or being reopened
        Silent,  // on an output nobody hears (the fall-back that keeps time)
        Lost,    // went away while open; playing nothing until it is back or reopened
    };

    virtual ~SoundDevice() = default;

    // Gets ready to open: starts the driver, or connects to the server within the device's own
    // limit. False when the device cannot play at all now. May wait on the system.
    virtual bool start() = 0;

    // Opens the device at `rate` Hz, closing whatever it had open; it plays from the renderer
    // attached (before or after), silence while there is none. Each buffer holds `buffer` of
    // sound where the device has buffers of its own.
    // With `anyOutput`, an output with nothing behind it gives way to any other the device
    // knows, a silent one last. False when nothing could be opened (nothing is open then). May
    // wait on the system for as long as it takes.
    virtual bool open(int rate, std::chrono::microseconds buffer, bool anyOutput) = 0;
    // Closes what is open, with nothing attached; a lost device counts as closed afterwards.
    // May wait on the system.
    virtual void close() = 0;
    // True when playing a renderer at `rate` takes an open() first: nothing open, another
    // rate, lost, or a preferred output to try again. False for a device that opens and
    // follows the rate by itself at attach().
    virtual bool wantsOpen(int rate) = 0;

    // Plays from `renderer`, which produces `rate` Hz (stored in its deviceRate), taking the
    // device from any other renderer. Never waits on the system; a device open at another
    // rate plays silence until it is reopened.
    virtual void attach(AudioRenderer* renderer, int rate) = 0;
    // Stops playing from `renderer` if it is attached. On return the device is not inside its
    // render() and does not enter it again until it is attached again. Waits at most for one
    // render() already running.
    virtual void detach(AudioRenderer* renderer) = 0;

    // What the device is doing; asks the system whether an open device is still there.
    virtual State state() = 0;
    virtual bool isOpen() = 0;
    // The rate the open device runs at, 0 when none is open.
    virtual int rate() = 0;
    // An output better than the fall-back in use may have come up (a sound server started):
    // wantsOpen() asks for a reopen on it. Nothing for a device without fall-back outputs.
    virtual void retryPreferredOutput() = 0;
    // How often an open device should be looked at (state()) to notice that it went away.
    virtual std::chrono::milliseconds watchInterval() = 0;

    // Frames `renderer` has given out that have not been heard yet, including those thrown
    // away at a detach (its droppedFrames); 0 where the buffers are short enough to count as
    // heard.
    virtual int64_t unheardFrames(const AudioRenderer* renderer) = 0;
    // The attached renderer's volume() changed. A device that applies volume itself (in a
    // sound server) sets it now; one that leaves it to render() does nothing.
    virtual void volumeChanged(const AudioRenderer* renderer) = 0;
};
