#pragma once

#include <SDL.h>

#include <chrono>

class AudioRenderer;

// SDL's audio subsystem and the one playback device of the process, shared by both outputs of
// the player. The device plays from one renderer at a time, and silence when none is attached;
// attaching and detaching never wait for SDL, so changing songs neither closes the device nor
// leaves it paused. It runs at the rate of the renderer attached to it: opened at the first
// attach, reopened by a housekeeping thread when a renderer at another rate is attached (the
// calling thread does not wait for that), and closed by the same thread after some seconds
// with nothing attached. The last release() closes it too.
//
// Control calls may come from any thread; the device's callback never locks or allocates.
class SdlAudioSystem {
public:
    // Starts the subsystem for one more user. False when no driver at all can start.
    static bool acquire();
    // The last user's release closes the device and stops the subsystem (this waits for SDL).
    static void release();

    // Makes the device play from `renderer`, which produces `rate`, taking the device from any
    // other renderer. When no device is open, opens one here (when none can be opened and the
    // user did not choose a driver, switches to the "dummy" driver); false when that fails.
    // A device open at another rate is reopened at this one by the housekeeping thread.
    static bool attach(AudioRenderer* renderer, int rate);
    // Stops playing from `renderer` if it is attached. On return the device is not inside its
    // render() and will not enter it again until it is attached again. Waits at most for one
    // render() already running, never for SDL.
    static void detach(AudioRenderer* renderer);

    // How long the device may play silence with nothing attached before it is closed.
    static void setIdleCloseDelay(std::chrono::milliseconds delay);
    // Closes the device now when nothing is attached (waits for SDL). True when it is closed.
    static bool closeDeviceIfIdle();
    static bool deviceOpen();
    // The rate the open device runs at, 0 when none is open.
    static int deviceRate();
};
