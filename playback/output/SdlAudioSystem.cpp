#include "SdlAudioSystem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {
std::mutex systemMutex;
int users = 0;
int openDevices = 0;
bool warned = false;

bool userChoseDriver() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && *driver;
}

bool onDummy() {
    const char* current = SDL_GetCurrentAudioDriver();
    return current && std::strcmp(current, "dummy") == 0;
}

void warnNoDevice() {
    if (!warned) {
        warned = true;
        std::fprintf(stderr, "ZAPT: no sound device was found; playing without sound.\n");
    }
}

bool startDummy() {
    // Over an empty SDL_AUDIODRIVER too, which counts as no choice.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    warnNoDevice();
    return true;
}
}  // namespace

bool SdlAudioSystem::acquire() {
    std::lock_guard lock(systemMutex);
    if (users > 0) {
        ++users;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 && (userChoseDriver() || !startDummy()))
        return false;
    ++users;
    return true;
}

void SdlAudioSystem::release() {
    std::lock_guard lock(systemMutex);
    if (users > 0 && --users == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SDL_AudioDeviceID SdlAudioSystem::open(const SDL_AudioSpec& want, SDL_AudioSpec& have) {
    std::lock_guard lock(systemMutex);
    if (users == 0)
        return 0;
    SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0 && !userChoseDriver() && !onDummy() && openDevices == 0) {
        // A driver started but has nothing to play on (no server, no card).
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (!startDummy())
            return 0;
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    }
    if (device != 0)
        ++openDevices;
    return device;
}

void SdlAudioSystem::close(SDL_AudioDeviceID device) {
    if (device == 0)
        return;
    SDL_CloseAudioDevice(device);
    std::lock_guard lock(systemMutex);
    --openDevices;
}
