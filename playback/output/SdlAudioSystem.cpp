#include "SdlAudioSystem.h"

#include "AudioRenderer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct System {
    // Serialises acquire() and release(), which start and join the housekeeping thread.
    std::mutex lifeMutex;

    std::mutex mutex;
    std::condition_variable wake;
    int users = 0;
    bool quit = false;
    SDL_AudioDeviceID device = 0;
    int rate = 0;
    bool started = false;    // unpaused since it opened
    bool switching = false;  // the housekeeping thread is closing or reopening the device
    int attachedRate = 0;
    uint64_t attaches = 0;
    std::chrono::milliseconds idleDelay{5000};
    std::thread housekeeper;
    std::atomic<bool> warned{false};

    // Shared with the device callback.
    std::atomic<AudioRenderer*> attached{nullptr};
    std::atomic<bool> rendering{false};
    std::atomic<int> callbackRate{0};
};

// Never destroyed: an output released during static destruction still finds it.
System& shared() {
    static System* system = new System;
    return *system;
}

bool userChoseDriver() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && *driver;
}

bool onDummy() {
    const char* current = SDL_GetCurrentAudioDriver();
    return current && std::strcmp(current, "dummy") == 0;
}

bool startDummy(System& s) {
    // Over an empty SDL_AUDIODRIVER too, which counts as no choice.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (!s.warned.exchange(true))
        std::fprintf(stderr, "ZAPT: no sound device was found; playing without sound.\n");
    return true;
}

// About 6 ms per device buffer: the tail of a song's last buffer is the silence before the
// next song, so it is kept short; the callback stays cheap at that rate.
Uint16 deviceBufferFrames(int rate) {
    Uint16 frames = 128;
    while (frames < 4096 && frames * 2 * 1000 <= rate * 6)
        frames = Uint16(frames * 2);
    return frames;
}

void SDLCALL deviceCallback(void* user, Uint8* stream, int len) {
    auto& s = *static_cast<System*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    const size_t samples = size_t(len) / sizeof(float);
    // `rendering` is raised before the renderer is read: a detach() that has taken the
    // renderer away and then sees it lowered knows this call is out of render().
    s.rendering.store(true, std::memory_order_seq_cst);
    AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst);
    if (renderer && renderer->deviceRate.load(std::memory_order_relaxed) ==
                        s.callbackRate.load(std::memory_order_relaxed))
        renderer->render(out, samples);
    else
        std::memset(out, 0, samples * sizeof(float));
    s.rendering.store(false, std::memory_order_seq_cst);
}

// Opens the device paused at exactly `rate` (SDL converts when the hardware cannot run it).
// Touches no member but `warned`, so it runs without the lock.
SDL_AudioDeviceID openPaused(System& s, int rate) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = deviceBufferFrames(rate);
    want.callback = &deviceCallback;
    want.userdata = &s;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0 && !userChoseDriver() && !onDummy()) {
        // A driver started but has nothing to play on (no server, no card).
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (!startDummy(s))
            return 0;
        device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    }
    return device;
}

// Under the lock, with the device closed and no switch running.
void installLocked(System& s, SDL_AudioDeviceID device, int rate) {
    s.device = device;
    s.rate = rate;
    s.callbackRate.store(rate, std::memory_order_relaxed);
    // Opened paused and started only with something to play, so it begins on sound.
    s.started = s.attached.load(std::memory_order_seq_cst) != nullptr;
    if (s.started)
        SDL_PauseAudioDevice(device, 0);
    // The housekeeping thread sleeps without a timeout while no device is open.
    s.wake.notify_all();
}

// Under the lock, with no switch running.
void closeLocked(System& s) {
    if (s.device == 0)
        return;
    SDL_CloseAudioDevice(s.device);
    s.device = 0;
    s.rate = 0;
    s.started = false;
}

// Reopens the device at the attached renderer's rate, and closes it once nothing has been
// attached for the idle delay. Both happen with the lock released, so attach() and detach()
// never wait for SDL here.
void housekeeping(System& s) {
    std::unique_lock lock(s.mutex);
    uint64_t seenAttaches = s.attaches;
    Clock::time_point idleSince = Clock::now();
    while (!s.quit) {
        const bool attached = s.attached.load(std::memory_order_seq_cst) != nullptr;
        if (attached || s.attaches != seenAttaches) {
            seenAttaches = s.attaches;
            idleSince = Clock::now();
        }
        int target = -1;  // -1: nothing to do; 0: close; else reopen at that rate
        if (attached && (s.device == 0 || s.rate != s.attachedRate))
            target = s.attachedRate;
        else if (!attached && s.device != 0 && Clock::now() - idleSince >= s.idleDelay)
            target = 0;
        if (target < 0) {
            const auto poll = std::clamp(s.idleDelay / 4, std::chrono::milliseconds(10),
                                         std::chrono::milliseconds(250));
            if (s.device == 0)
                s.wake.wait(lock);
            else
                s.wake.wait_for(lock, poll);
            continue;
        }
        const SDL_AudioDeviceID old = s.device;
        s.device = 0;
        s.rate = 0;
        s.started = false;
        s.switching = true;
        lock.unlock();
        if (old != 0)
            SDL_CloseAudioDevice(old);
        const SDL_AudioDeviceID device = target > 0 ? openPaused(s, target) : 0;
        lock.lock();
        s.switching = false;
        if (device != 0)
            installLocked(s, device, target);
        idleSince = Clock::now();
        s.wake.notify_all();
        // A device that cannot be opened is not retried until the next attach.
        if (target > 0 && device == 0)
            s.wake.wait(lock, [&] { return s.quit || s.attaches != seenAttaches; });
    }
}

}  // namespace

bool SdlAudioSystem::acquire() {
    System& s = shared();
    std::lock_guard life(s.lifeMutex);
    std::lock_guard lock(s.mutex);
    if (s.users > 0) {
        ++s.users;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 && (userChoseDriver() || !startDummy(s)))
        return false;
    ++s.users;
    s.quit = false;
    s.housekeeper = std::thread([&s] { housekeeping(s); });
    return true;
}

void SdlAudioSystem::release() {
    System& s = shared();
    std::lock_guard life(s.lifeMutex);
    {
        std::lock_guard lock(s.mutex);
        if (s.users == 0 || --s.users > 0)
            return;
        s.quit = true;
    }
    s.wake.notify_all();
    s.housekeeper.join();
    std::lock_guard lock(s.mutex);
    closeLocked(s);
    s.attached.store(nullptr, std::memory_order_seq_cst);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioSystem::attach(AudioRenderer* renderer, int rate) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.users == 0 || rate <= 0)
        return false;
    if (s.device == 0 && !s.switching) {
        const SDL_AudioDeviceID device = openPaused(s, rate);
        if (device == 0)
            return false;
        installLocked(s, device, rate);
    }
    ++s.attaches;
    s.attachedRate = rate;
    renderer->deviceRate.store(rate, std::memory_order_relaxed);
    s.attached.store(renderer, std::memory_order_seq_cst);
    if (s.device != 0 && s.rate == rate) {
        if (!s.started) {
            SDL_PauseAudioDevice(s.device, 0);
            s.started = true;
        }
    } else {
        s.wake.notify_all();
    }
    return true;
}

void SdlAudioSystem::detach(AudioRenderer* renderer) {
    System& s = shared();
    AudioRenderer* expected = renderer;
    s.attached.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
    // The renderer is no longer attached (taken away here or earlier); a callback that read
    // it before that still has `rendering` raised.
    while (s.rendering.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

void SdlAudioSystem::setIdleCloseDelay(std::chrono::milliseconds delay) {
    System& s = shared();
    {
        std::lock_guard lock(s.mutex);
        s.idleDelay = std::max(delay, std::chrono::milliseconds(1));
    }
    s.wake.notify_all();
}

bool SdlAudioSystem::closeDeviceIfIdle() {
    System& s = shared();
    std::unique_lock lock(s.mutex);
    s.wake.wait(lock, [&] { return !s.switching; });
    if (s.attached.load(std::memory_order_seq_cst) == nullptr)
        closeLocked(s);
    return s.device == 0;
}

bool SdlAudioSystem::deviceOpen() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return s.device != 0;
}

int SdlAudioSystem::deviceRate() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return s.rate;
}
