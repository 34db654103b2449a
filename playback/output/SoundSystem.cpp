#include "SdlAudioSystem.h"

#include "AudioRenderer.h"
#include "PulseDevice.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One device buffer plays this long. SDL asks PulseAudio for a target of one buffer and holds
// one more of its own, so Stop, Pause, a seek or a volume change is heard after one to two
// buffers. Measured on PulseAudio's null sink over 20 s with both cores busy: 6 ms buffers ran
// dry 13 to 20 times, 20 ms 3 to 25 times, 30 ms and 40 ms never; at 40 ms the last sample
// before a stop, pause, seek or volume change left the sink 22 to 41 ms after the call
// (bench_audio, test_audio_pulse). Longer buffers would pass 100 ms.
constexpr auto kDefaultBufferDuration = 40ms;

// The silent driver's buffer, about: time and end reports still run at this granularity.
// SDL's silent driver keeps time by sleeping a buffer's length per buffer, which comes out
// right only for buffers of a power of two frames: SDL 2.26.5 ran 200 ms buffers (8,832 frames
// at 44.1 kHz) at 0.6 of real time and took over a second to close them, 4,096 frames at
// 1.0 (2.97 to 3.07 s of sound in 3 s, 44.1 to 96 kHz), closed in about a quarter of a second.
constexpr auto kSilentBufferDuration = 100ms;

// A lost device is reopened on its own driver for this long (a restarting server is back
// within a second or two); after that the other drivers are tried, the silent one last.
constexpr auto kLostRetryTime = 3s;
constexpr auto kLostRetryInterval = 200ms;
// A PulseAudio server that does not answer within this is taken as absent.
constexpr auto kPulseConnectTimeout = 500ms;
// While the server takes connections without answering, attaches ask the housekeeping thread
// to look for it again (never the caller: that would wait), at most this often.
constexpr auto kHungProbeInterval = 1s;
// The last release waits this long for the housekeeping thread to stop and close the device;
// one stuck in a call to a sound server is then left behind.
constexpr auto kReleaseLimit = 800ms;

struct System {
    // Serialises acquire() and release(), which start and join the housekeeping thread.
    std::mutex lifeMutex;

    // Never held across a call that can wait on a sound server (except SDL's drivers the user
    // chose, which are not kept off a server that hangs).
    std::mutex mutex;
    std::condition_variable wake;
    int users = 0;
    bool quit = false;
    std::atomic<bool> releasing{false};  // the last release waits: a search gives up
    // Each first acquire starts a generation with a housekeeping thread of its own; a thread
    // left behind by a release that could not wait for it finds its generation over and
    // touches nothing shared any more.
    std::atomic<uint64_t> generation{0};
    std::mutex doneMutex;
    std::condition_variable done;
    uint64_t finished = 0;  // the generation whose housekeeping thread has closed everything
    SDL_AudioDeviceID device = 0;
    int rate = 0;
    bool started = false;    // unpaused since it opened
    bool switching = false;  // the housekeeping thread is closing or reopening the device
    bool silent = false;     // the silent driver is in use
    bool lost = false;       // the device went away and is being reopened
    bool retryReal = false;  // an attach found the silent driver in use
    Clock::time_point lostSince;
    int attachedRate = 0;
    uint64_t attaches = 0;
    std::chrono::milliseconds idleDelay{5000};
    std::chrono::microseconds bufferDuration{kDefaultBufferDuration};
    std::function<void()> statusHandler;
    SdlAudioSystem::Status reported = SdlAudioSystem::Status::Closed;
    std::thread housekeeper;
    std::atomic<bool> warned{false};

    // PulseAudio spoken to directly (see PulseDevice), when a server answers; SDL otherwise.
    // Created at the first try and kept until the last release.
    std::unique_ptr<PulseDevice> pulseDevice;
    std::atomic<PulseDevice*> pulse{nullptr};
    std::atomic<bool> onPulse{false};
    std::atomic<uint32_t> pulseEvents{0};
    bool sdlStarted = false;
    // Looking for a server that hangs again, on the housekeeping thread.
    bool probeWanted = false;
    bool probing = false;
    Clock::time_point lastProbe;

    // Shared with the device callback.
    std::atomic<AudioRenderer*> attached{nullptr};
    std::atomic<bool> rendering{false};
    std::atomic<int> callbackRate{0};
    std::atomic<SDL_AudioDeviceID> callbackDevice{0};
};

// Never destroyed: an output released during static destruction still finds it.
System& shared() {
    static System* system = new System;
    return *system;
}

const char* userDriver() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && *driver ? driver : nullptr;
}

bool userChoseDriver() {
    return userDriver() != nullptr;
}

bool userChoseDummy() {
    const char* driver = userDriver();
    return driver && std::strcmp(driver, "dummy") == 0;
}

// Our own PulseAudio output unless the user chose another of SDL's drivers, or SDL itself
// (ZAPT_AUDIO=sdl).
bool pulseWanted() {
    const char* backEnd = std::getenv("ZAPT_AUDIO");
    if (backEnd && std::strcmp(backEnd, "sdl") == 0)
        return false;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return !driver || !*driver || std::strcmp(driver, "pulseaudio") == 0;
}

// Under the lock. True when the PulseAudio output is in use from now on. Waits for the
// server at most kPulseConnectTimeout.
bool tryPulse(System& s) {
    if (!pulseWanted())
        return false;
    if (!s.pulseDevice) {
        s.pulseDevice = std::make_unique<PulseDevice>([&s] {
            s.pulseEvents.fetch_add(1, std::memory_order_release);
            s.wake.notify_all();
        });
        s.pulse.store(s.pulseDevice.get());
    }
    s.lastProbe = Clock::now();
    if (s.pulseDevice->connect(kPulseConnectTimeout) != PulseDevice::Connection::Ready)
        return false;
    s.onPulse.store(true);
    return true;
}

// The PulseAudio server takes connections but does not answer (it hangs, or was stopped).
bool serverHung(const System& s) {
    const PulseDevice* pulse = s.pulse.load();
    return pulse && pulse->serverHung();
}

// Meanwhile SDL is kept off it: SDL's pulseaudio driver and ALSA's pulse plugin (which ALSA's
// default device may lead to, and whose configuration hook already connects when libasound
// reads its configuration) would each wait on it for half a minute or more, with no limit we
// could set. SDL plays on its silent driver instead, as for no server at all. A driver other
// than pulseaudio that the user chose is left to the user.
bool keepSdlOffServer(const System& s) {
    if (!serverHung(s))
        return false;
    const char* driver = userDriver();
    return !driver || std::strcmp(driver, "pulseaudio") == 0;
}

bool onDummy() {
    const char* current = SDL_GetCurrentAudioDriver();
    return current && std::strcmp(current, "dummy") == 0;
}

void warnSilent(System& s) {
    if (!s.warned.exchange(true))
        std::fprintf(stderr, "ZAPT: no sound device was found; playing without sound.\n");
}

bool startDummy(System& s) {
    // Over an empty SDL_AUDIODRIVER too, which counts as no choice.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    warnSilent(s);
    return true;
}

// Under the lock: SDL's audio subsystem for the SDL device, started when first needed.
bool startSdl(System& s) {
    if (s.sdlStarted)
        return true;
    if (keepSdlOffServer(s)) {
        // Started on the silent driver only; the hint goes back to what it was, so a later
        // start (the server answering again) tries the real drivers.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (!started)
            return false;
        warnSilent(s);
        s.sdlStarted = true;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 && (userChoseDriver() || !startDummy(s)))
        return false;
    s.sdlStarted = true;
    return true;
}

int framesFor(int rate, std::chrono::microseconds duration) {
    // In 64-bit: the rate comes from a file. Whole multiples of 64 frames, 64 to 32,768.
    const int64_t frames = int64_t(rate) * duration.count() / 1000000;
    return int(std::clamp<int64_t>((frames + 32) / 64 * 64, 64, 32768));
}

int silentFrames(int rate) {
    const int64_t frames = int64_t(rate) * kSilentBufferDuration.count() / 1000;
    return int(std::bit_floor(uint32_t(std::clamp<int64_t>(frames, 512, 32768))));
}

SDL_AudioStatus statusOf(SDL_AudioDeviceID device) {
    return SDL_GetAudioDeviceStatus(device);
}

SdlAudioSystem::Status statusLocked(const System& s) {
    if (s.onPulse.load()) {
        switch (s.pulse.load()->state()) {
        case PulseDevice::State::Ready:
            return SdlAudioSystem::Status::Sound;
        case PulseDevice::State::Lost:
            return SdlAudioSystem::Status::Lost;
        case PulseDevice::State::Down:
            return SdlAudioSystem::Status::Closed;
        }
    }
    if (s.lost)
        return SdlAudioSystem::Status::Lost;
    if (s.silent)
        return SdlAudioSystem::Status::Silent;
    if (s.device != 0 || s.switching)
        return SdlAudioSystem::Status::Sound;
    return SdlAudioSystem::Status::Closed;
}

// Under the lock: the handler to call once the lock is released, when the status changed.
std::function<void()> takeStatusChange(System& s) {
    const SdlAudioSystem::Status now = statusLocked(s);
    if (now == s.reported)
        return {};
    s.reported = now;
    return s.statusHandler;
}

void SDLCALL deviceCallback(void* user, Uint8* stream, int len) {
    auto& s = *static_cast<System*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    const size_t samples = size_t(len) / sizeof(float);
    // `rendering` is raised before the renderer is read: a detach() that has taken the
    // renderer away and then sees it lowered knows this call is out of render().
    s.rendering.store(true, std::memory_order_seq_cst);
    AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst);
    // A device that went away still calls back at its pace; the renderer waits for the
    // reopened one rather than play into nothing. (Device 0 is never asked: SDL would record
    // an error, which allocates.)
    const SDL_AudioDeviceID device = s.callbackDevice.load(std::memory_order_relaxed);
    size_t rendered = 0;
    if (renderer && device != 0 &&
        renderer->deviceRate.load(std::memory_order_relaxed) ==
            s.callbackRate.load(std::memory_order_relaxed) &&
        statusOf(device) == SDL_AUDIO_PLAYING)
        rendered = renderer->render(out, samples, true);
    std::memset(out + rendered, 0, (samples - rendered) * sizeof(float));
    s.rendering.store(false, std::memory_order_seq_cst);
}

// The device and what is attached to it, as no device is open: under the lock, at the end of a
// generation or when its thread is left behind.
void forgetDevice(System& s) {
    s.device = 0;
    s.rate = 0;
    s.started = false;
    s.switching = false;
    s.callbackDevice.store(0, std::memory_order_relaxed);
    s.attached.store(nullptr, std::memory_order_seq_cst);
    s.silent = s.lost = s.retryReal = s.probeWanted = s.probing = false;
}

struct Opened {
    SDL_AudioDeviceID device = 0;
    bool silent = false;
};

SDL_AudioDeviceID openOnCurrentDriver(System& s, int rate, int frames) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // Nobody hears the silent driver: it wakes only to keep time, so its buffers are long, in
    // a power of two frames (see kSilentBufferDuration).
    want.samples = Uint16(onDummy() ? silentFrames(rate) : frames);
    want.callback = &deviceCallback;
    want.userdata = &s;
    return SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
}

// Opens the device paused at exactly `rate` (SDL converts when the hardware cannot run it).
// With `fallBack` and no driver chosen by the user, a driver with nothing to play on (no
// server, no card) or the silent driver gives way to every real driver in turn, and to the
// silent one last. Touches no member but `warned`, so it runs without the lock.
Opened openPaused(System& s, int rate, int frames, bool fallBack) {
    if (keepSdlOffServer(s)) {
        // See keepSdlOffServer: the silent driver, whatever SDL ran on before.
        if (!onDummy() && SDL_AudioInit("dummy") != 0)
            return {};
        warnSilent(s);
        const SDL_AudioDeviceID device = openOnCurrentDriver(s, rate, frames);
        return {device, device != 0 && !userChoseDummy()};
    }
    if (!fallBack || userChoseDriver() || !onDummy()) {
        const SDL_AudioDeviceID device = openOnCurrentDriver(s, rate, frames);
        if (device != 0 || !fallBack || userChoseDriver())
            // The silent driver the user asked for (SDL_AUDIODRIVER=dummy) is no fall-back to
            // warn about.
            return {device, device != 0 && onDummy() && !userChoseDummy()};
    }
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const char* name = SDL_GetAudioDriver(i);
        if (std::strcmp(name, "dummy") == 0 || std::strcmp(name, "disk") == 0)
            continue;
        if (SDL_AudioInit(name) != 0)
            continue;
        if (const SDL_AudioDeviceID device = openOnCurrentDriver(s, rate, frames))
            return {device, false};
    }
    if (SDL_AudioInit("dummy") != 0)
        return {};
    warnSilent(s);
    return {openOnCurrentDriver(s, rate, frames), true};
}

// Under the lock, with the device closed and no switch running.
void installLocked(System& s, Opened opened, int rate) {
    s.device = opened.device;
    s.silent = opened.silent;
    s.lost = false;
    s.rate = rate;
    s.callbackRate.store(rate, std::memory_order_relaxed);
    s.callbackDevice.store(opened.device, std::memory_order_relaxed);
    // Opened paused and started only with something to play, so it begins on sound.
    s.started = s.attached.load(std::memory_order_seq_cst) != nullptr;
    if (s.started)
        SDL_PauseAudioDevice(opened.device, 0);
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

// Housekeeping while PulseAudio plays: closes an idle stream, reports state changes, and
// after a server has been gone for kLostRetryTime goes over to SDL's drivers (the silent one
// last; only that one when the server hangs), so time still runs. True when the loop should
// start over on PulseAudio.
bool pulseHousekeeping(System& s, std::unique_lock<std::mutex>& lock, bool attached,
                       Clock::time_point idleSince) {
    PulseDevice& pulse = *s.pulse.load();
    const bool lost = pulse.state() == PulseDevice::State::Lost;
    if (!attached && Clock::now() - idleSince >= s.idleDelay)
        pulse.closeStreamIfIdle();
    if (!(attached && lost)) {
        s.lostSince = {};
    } else if (s.lostSince == Clock::time_point{}) {
        s.lostSince = Clock::now();
    } else if (Clock::now() - s.lostSince >= kLostRetryTime) {
        AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst);
        if (renderer) {
            pulse.detach(renderer);
            renderer->droppedFrames.store(0, std::memory_order_relaxed);  // skipped, not replayed
        }
        s.onPulse.store(false);
        s.lostSince = {};
        if (startSdl(s))
            return false;  // the SDL part opens a device for the attached renderer
    }
    if (auto handler = takeStatusChange(s)) {
        lock.unlock();
        handler();
        lock.lock();
        return true;
    }
    const uint32_t seen = s.pulseEvents.load(std::memory_order_acquire);
    s.wake.wait_for(lock, attached && lost ? kLostRetryInterval : 1000ms, [&] {
        return s.quit || s.pulseEvents.load(std::memory_order_acquire) != seen;
    });
    return true;
}

// Under the lock, on SDL: a server found answering again takes over from SDL's device.
void switchToPulseLocked(System& s) {
    closeLocked(s);  // SDL's device, on the silent driver
    s.silent = s.lost = s.retryReal = false;
    s.lostSince = {};
    s.onPulse.store(true);
    if (AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst))
        s.pulse.load()->attach(renderer, s.attachedRate);
}

// Reopens the device at the attached renderer's rate (or on a real driver, or after it went
// away), and closes it once nothing has been attached for the idle delay. Both happen with the
// lock released, so attach() and detach() never wait for SDL here. Looks for a server that
// hung again when an attach asks (probeWanted), with the lock released too. At the end of its
// generation it closes everything and says so (System::done).
void housekeeping(System& s, uint64_t generation) {
    const auto over = [&] { return s.quit || s.generation.load() != generation; };
    std::unique_lock lock(s.mutex);
    uint64_t seenAttaches = s.attaches;
    Clock::time_point idleSince = Clock::now();
    while (!over()) {
        const bool attached = s.attached.load(std::memory_order_seq_cst) != nullptr;
        if (attached || s.attaches != seenAttaches) {
            seenAttaches = s.attaches;
            idleSince = Clock::now();
        }
        if (s.onPulse.load()) {
            if (pulseHousekeeping(s, lock, attached, idleSince))
                continue;
        }
        if (s.probeWanted) {
            s.probeWanted = false;
            s.probing = true;
            PulseDevice* pulse = s.pulse.load();
            lock.unlock();
            const bool answered = pulse && pulse->connect(kPulseConnectTimeout, [&s, generation] {
                return s.releasing.load() || s.generation.load() != generation;
            }) == PulseDevice::Connection::Ready;
            lock.lock();
            s.probing = false;
            s.lastProbe = Clock::now();
            if (over())
                break;
            if (answered && !s.onPulse.load())
                switchToPulseLocked(s);
            else if (!answered && !serverHung(s) && s.silent && attached && !userChoseDriver())
                s.retryReal = true;  // no server at all now: SDL's real drivers may do
            continue;
        }
        if (s.device != 0 && !s.lost && statusOf(s.device) == SDL_AUDIO_STOPPED) {
            s.lost = true;
            s.lostSince = Clock::now();
        }
        int target = -1;  // -1: nothing to do; 0: close; else reopen at that rate
        bool fallBack = true;
        if (attached && (s.device == 0 || s.lost || s.retryReal || s.rate != s.attachedRate)) {
            target = s.attachedRate;
            // A lost device comes back on its own driver first.
            fallBack = !s.lost || Clock::now() - s.lostSince >= kLostRetryTime;
        } else if (!attached && s.device != 0 &&
                   (s.lost || Clock::now() - idleSince >= s.idleDelay)) {
            target = 0;
        } else if (!attached && s.lost) {
            s.lost = false;  // the next attach opens a device as usual
        }
        if (target < 0) {
            if (auto handler = takeStatusChange(s)) {
                lock.unlock();
                handler();
                lock.lock();
                continue;
            }
            // The silent driver's device is never lost: only the idle close is watched for.
            const auto poll =
                std::clamp(s.idleDelay / 4, std::chrono::milliseconds(10),
                           std::chrono::milliseconds(s.silent || onDummy() ? 1000 : 250));
            if (s.device == 0)
                s.wake.wait(lock);
            else
                s.wake.wait_for(lock, poll);
            continue;
        }
        const SDL_AudioDeviceID old = s.device;
        const int frames = framesFor(target, s.bufferDuration);
        s.device = 0;
        s.rate = 0;
        s.started = false;
        s.switching = true;
        s.retryReal = false;
        s.callbackDevice.store(0, std::memory_order_relaxed);
        lock.unlock();
        if (old != 0)
            SDL_CloseAudioDevice(old);
        const Opened opened = target > 0 ? openPaused(s, target, frames, fallBack) : Opened{};
        lock.lock();
        if (s.generation.load() != generation) {
            // Left behind while SDL kept this thread: what it opened is its own to close.
            lock.unlock();
            if (opened.device != 0)
                SDL_CloseAudioDevice(opened.device);
            return;
        }
        s.switching = false;
        if (opened.device != 0)
            installLocked(s, opened, target);
        idleSince = Clock::now();
        s.wake.notify_all();
        if (auto handler = takeStatusChange(s)) {
            lock.unlock();
            handler();
            lock.lock();
        }
        if (target > 0 && opened.device == 0) {
            if (s.lost)  // tried again shortly, while something is attached
                s.wake.wait_for(lock, kLostRetryInterval);
            else  // not retried until the next attach
                s.wake.wait(lock, [&] { return over() || s.attaches != seenAttaches; });
        }
    }
    if (s.generation.load() != generation)
        return;  // left behind: the shared state belongs to a later generation
    // The end of the generation: everything is taken out under the lock and closed without
    // it, so nothing waits on the lock while SDL or the server keeps this thread.
    const SDL_AudioDeviceID device = s.device;
    forgetDevice(s);
    const bool sdlStarted = std::exchange(s.sdlStarted, false);
    std::unique_ptr<PulseDevice> pulse = std::move(s.pulseDevice);
    s.pulse.store(nullptr);
    s.onPulse.store(false);
    lock.unlock();
    if (device != 0)
        SDL_CloseAudioDevice(device);
    if (sdlStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    pulse.reset();
    {
        std::lock_guard done(s.doneMutex);
        s.finished = generation;
    }
    s.done.notify_all();
}

// Under the lock: plays `renderer` on SDL's device, opening one when none is open.
bool attachSdlLocked(System& s, AudioRenderer* renderer, int rate) {
    if (!startSdl(s))
        return false;
    if (s.device == 0 && !s.switching && !s.lost) {
        const Opened opened = openPaused(s, rate, framesFor(rate, s.bufferDuration), true);
        if (opened.device == 0)
            return false;
        installLocked(s, opened, rate);
    } else if (s.device != 0 && s.silent && !userChoseDriver() && !keepSdlOffServer(s)) {
        s.retryReal = true;  // a sound server may have come up since
    }
    renderer->deviceRate.store(rate, std::memory_order_relaxed);
    s.attached.store(renderer, std::memory_order_seq_cst);
    if (s.device != 0 && s.rate == rate && !s.retryReal && !s.lost) {
        if (!s.started) {
            SDL_PauseAudioDevice(s.device, 0);
            s.started = true;
        }
    } else {
        s.wake.notify_all();
    }
    return true;
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
    if (!tryPulse(s) && !startSdl(s))
        return false;
    ++s.users;
    s.quit = false;
    const uint64_t generation = s.generation.fetch_add(1) + 1;
    s.housekeeper = std::thread([&s, generation] { housekeeping(s, generation); });
    return true;
}

void SdlAudioSystem::release() {
    System& s = shared();
    std::lock_guard life(s.lifeMutex);
    uint64_t generation = 0;
    {
        std::lock_guard lock(s.mutex);
        if (s.users == 0 || --s.users > 0)
            return;
        s.quit = true;
        s.releasing.store(true);
        generation = s.generation.load();
    }
    s.wake.notify_all();
    bool finished = false;
    {
        std::unique_lock done(s.doneMutex);
        finished = s.done.wait_for(done, kReleaseLimit, [&] { return s.finished == generation; });
    }
    s.releasing.store(false);
    if (!finished) {
        // Stuck in a call to SDL or a sound server: left behind rather than waited for. It
        // finds its generation over when it comes back, and closes only what it opened itself.
        s.generation.fetch_add(1);
        s.housekeeper.detach();
        std::fprintf(stderr, "ZAPT: the sound device did not close within %lld ms; left behind.\n",
                     static_cast<long long>(kReleaseLimit.count()));
        std::unique_lock lock(s.mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return;
        // What that thread held is given up; a later acquire starts afresh beside it.
        forgetDevice(s);
        std::function<void()> handler = takeStatusChange(s);
        lock.unlock();
        if (handler)
            handler();
        return;
    }
    s.housekeeper.join();
    std::function<void()> handler;
    {
        std::lock_guard lock(s.mutex);
        handler = takeStatusChange(s);
    }
    if (handler)
        handler();
}

bool SdlAudioSystem::attach(AudioRenderer* renderer, int rate) {
    System& s = shared();
    std::function<void()> handler;
    {
        std::lock_guard lock(s.mutex);
        if (s.users == 0 || rate < 8000 || rate > 384000)
            return false;
        // A server that came up since the last play (the player may start before it) is
        // preferred to SDL's silent or own drivers. One that takes connections without
        // answering is looked for by the housekeeping thread, so this call never waits on it.
        if (!s.onPulse.load() && !s.switching && (s.device == 0 || s.silent)) {
            if (s.probing || serverHung(s)) {
                if (!s.probing && Clock::now() - s.lastProbe >= kHungProbeInterval) {
                    s.probeWanted = true;
                    s.wake.notify_all();
                }
            } else if (tryPulse(s)) {
                closeLocked(s);
                s.silent = s.lost = s.retryReal = false;
            }
        }
        if (!s.onPulse.load() && !attachSdlLocked(s, renderer, rate))
            return false;
        ++s.attaches;
        s.attachedRate = rate;
        if (s.onPulse.load()) {
            s.attached.store(renderer, std::memory_order_seq_cst);
            s.pulse.load()->attach(renderer, rate);
        }
        handler = takeStatusChange(s);
    }
    if (handler)
        handler();
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
    if (PulseDevice* pulse = s.pulse.load()) {
        pulse->detach(renderer);
        s.wake.notify_all();  // the idle stream is closed after a while
    }
}

int64_t SdlAudioSystem::unheardFrames(const AudioRenderer* renderer) {
    System& s = shared();
    PulseDevice* pulse = s.pulse.load();
    if (pulse && s.onPulse.load())
        return pulse->unheardFrames(renderer);
    return renderer->droppedFrames.load(std::memory_order_relaxed);
}

void SdlAudioSystem::volumeChanged(const AudioRenderer* renderer) {
    System& s = shared();
    PulseDevice* pulse = s.pulse.load();
    if (pulse && s.onPulse.load())
        pulse->volumeChanged(renderer);
}

bool SdlAudioSystem::usingPulse() {
    return shared().onPulse.load();
}

SdlAudioSystem::Status SdlAudioSystem::status() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return statusLocked(s);
}

void SdlAudioSystem::setStatusHandler(std::function<void()> handler) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    s.statusHandler = std::move(handler);
}

void SdlAudioSystem::setBufferDuration(std::chrono::microseconds duration) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    s.bufferDuration = std::clamp<std::chrono::microseconds>(duration, 1ms, 200ms);
}

std::chrono::microseconds SdlAudioSystem::bufferDuration() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return s.bufferDuration;
}

int SdlAudioSystem::bufferFrames(int rate) {
    return framesFor(rate, bufferDuration());
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
    if (s.onPulse.load())
        return s.pulse.load()->closeStreamIfIdle();
    if (s.attached.load(std::memory_order_seq_cst) == nullptr)
        closeLocked(s);
    return s.device == 0;
}

bool SdlAudioSystem::deviceOpen() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.onPulse.load())
        return s.pulse.load()->streamOpen();
    return s.device != 0;
}

int SdlAudioSystem::deviceRate() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.onPulse.load())
        return s.pulse.load()->streamRate();
    return s.rate;
}
