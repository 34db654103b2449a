#pragma once

#include <SDL.h>

// SDL's audio subsystem is one per process and both outputs of the player use it, so its
// start, its fallback to the silent "dummy" driver and its end are counted here.
class SdlAudioSystem {
public:
    // Starts the subsystem for one more user. False when no driver at all can start.
    static bool acquire();
    static void release();

    // Opens the default playback device with the given spec (frequency may change). When no
    // device can be opened and the user did not choose a driver, switches to the dummy driver
    // and tries again. Returns 0 on failure.
    static SDL_AudioDeviceID open(const SDL_AudioSpec& want, SDL_AudioSpec& have);
    static void close(SDL_AudioDeviceID device);
};
