#include "SoundSystem.h"

#include "AudioRenderer.h"
#include "PulseDevice.h"
#include "SdlDevice.h"
#include "core/Logging.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
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

// A lost device is reopened on its own output for this long (a restarting server is back
// within a second or two); after that the device falls back.
constexpr auto kLostRetryTime = 3s;
constexpr auto kLostRetryInterval = 200ms;
// While the server takes connections without answering, attaches ask the housekeeping thread
// to look for it again (never the caller: that would wait), at most this often.
constexpr auto kHungProbeInterval = 1s;
// The last release waits this long for the housekeeping thread to stop and close the device;
// one stuck in a call to a sound server is then left behind.
constexpr auto kReleaseLimit = 800ms;

// The devices of one generation (see System::generation), closed by its housekeeping thread
// when the generation ends, or when that thread comes back after it was left behind.
struct Devices {
    std::unique_ptr<PulseDevice> pulse;     // none when the user keeps to SDL
    std::unique_ptr<SoundDevice> fallback;  // SDL's; closed before the server connection goes

    template <class F> void each(F&& f) {
        if (pulse)
            f(*pulse);
        f(*fallback);
    }
};

struct System {
    // Serialises acquire() and release(), which start and join the housekeeping thread.
    std::mutex lifeMutex;

    // Never held across a call that can wait on a sound server (except SDL's drivers the user
    // chose, which are not kept off a server that hangs).
    std::mutex mutex;
    std::condition_variable wake;
    // Moved by poke(): the housekeeping thread looks again at whatever changed.
    std::atomic<uint32_t> wakes{0};
    int users = 0;
    bool quit = false;
    std::atomic<bool> releasing{false};  // the last release waits: a search gives up
    // Each first acquire starts a generation with a housekeeping thread and devices of its
    // own; a thread left behind by a release that could not wait for it finds its generation
    // over and touches nothing shared any more.
    std::atomic<uint64_t> generation{0};
    std::mutex doneMutex;
    std::condition_variable done;
    uint64_t finished = 0;  // the generation whose housekeeping thread has closed everything

    // The generation's devices and the one in use; `live` and `current` are read without the
    // lock by detach() and by the calls about a renderer's sound.
    std::shared_ptr<Devices> devices;
    std::atomic<Devices*> live{nullptr};
    std::atomic<SoundDevice*> current{nullptr};
    bool switching = false;  // the housekeeping thread is opening or closing the device
    Clock::time_point lostSince;
    int attachedRate = 0;
    uint64_t attaches = 0;
    std::chrono::milliseconds idleDelay{5000};
    std::chrono::microseconds bufferDuration{kDefaultBufferDuration};
    std::function<void()> statusHandler;
    SoundSystem::Status reported = SoundSystem::Status::Closed;
    std::thread housekeeper;
    SoundSystem::DeviceMaker makeFallback;
    // Looking for a server that hangs again, on the housekeeping thread.
    bool probeWanted = false;
    bool probing = false;
    Clock::time_point lastProbe;

    // What plays, whichever device plays it.
    std::atomic<AudioRenderer*> attached{nullptr};
};

// Never destroyed: an output released during static destruction still finds it.
System& shared() {
    static System* system = new System;
    return *system;
}

void poke(System& s) {
    s.wakes.fetch_add(1, std::memory_order_release);
    s.wake.notify_all();
}

// Under the lock: what the generation held, as when no device is open.
void forgetLocked(System& s) {
    s.attached.store(nullptr, std::memory_order_seq_cst);
    s.current.store(nullptr);
    s.live.store(nullptr);
    s.devices.reset();
    s.switching = s.probeWanted = s.probing = false;
    s.lostSince = {};
}

SoundSystem::Status statusLocked(const System& s) {
    SoundDevice* device = s.current.load();
    if (!device)
        return SoundSystem::Status::Closed;
    switch (device->state()) {
    case SoundDevice::State::Open:
        return SoundSystem::Status::Sound;
    case SoundDevice::State::Silent:
        return SoundSystem::Status::Silent;
    case SoundDevice::State::Lost:
        return SoundSystem::Status::Lost;
    case SoundDevice::State::Closed:
        break;
    }
    return SoundSystem::Status::Closed;
}

// Under the lock: the handler to call once the lock is released, when the status changed.
std::function<void()> takeStatusChange(System& s) {
    const SoundSystem::Status now = statusLocked(s);
    if (now == s.reported)
        return {};
    s.reported = now;
    return s.statusHandler;
}

// Under the lock: `next` plays what is attached from now on, the device before it lets go.
void switchTo(System& s, SoundDevice& next) {
    SoundDevice* before = s.current.load();
    if (before == &next)
        return;
    AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst);
    if (before && renderer)
        before->detach(renderer);
    s.current.store(&next);
    s.lostSince = {};
    if (!renderer)
        return;
    next.attach(renderer, s.attachedRate);
    // A detach() that took the renderer away meanwhile may have passed `next` by.
    if (s.attached.load(std::memory_order_seq_cst) != renderer)
        next.detach(renderer);
}

// ---- Choosing the device: the only code that knows which kind of device it holds.

// Our own PulseAudio output unless the user chose another of SDL's drivers, or SDL itself
// (ZAPT_AUDIO=sdl).
bool pulseWanted() {
    const char* backEnd = std::getenv("ZAPT_AUDIO");
    if (backEnd && std::strcmp(backEnd, "sdl") == 0)
        return false;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return !driver || !*driver || std::strcmp(driver, "pulseaudio") == 0;
}

std::shared_ptr<Devices> makeDevices(System& s) {
    auto devices = std::make_shared<Devices>();
    if (pulseWanted())
        devices->pulse = std::make_unique<PulseDevice>([&s] { poke(s); });
    // While the server takes connections without answering, SDL is kept off it too.
    const PulseDevice* pulse = devices->pulse.get();
    auto keepOffServer = [pulse] { return pulse && pulse->serverHung(); };
    if (s.makeFallback)
        devices->fallback = s.makeFallback(keepOffServer);
    else
        devices->fallback = std::make_unique<SdlDevice>(keepOffServer);
    return devices;
}

// The PulseAudio server takes connections but does not answer (it hangs, or was stopped).
bool serverHung(const System& s) {
    const Devices* devices = s.live.load();
    return devices && devices->pulse && devices->pulse->serverHung();
}

bool onPulse(const System& s) {
    const Devices* devices = s.live.load();
    return devices && devices->pulse && s.current.load() == devices->pulse.get();
}

// Under the lock. True when a PulseAudio server answers, waiting for it at most
// PulseDevice::kConnectLimit.
bool pulseAnswers(System& s) {
    PulseDevice* pulse = s.devices->pulse.get();
    if (!pulse)
        return false;
    s.lastProbe = Clock::now();
    return pulse->start();
}

// Under the lock, on SDL: a server found answering takes over from SDL's device.
void switchToPulseLocked(System& s) {
    SoundDevice* before = s.current.load();
    switchTo(s, *s.devices->pulse);
    if (before)
        before->close();
}

// Under the lock, at an attach: a server that came up since the last play (the player may
// start before it) is preferred to SDL with no device open or only the silent one. One that
// takes connections without answering is looked for by the housekeeping thread, so the attach
// never waits on it.
void preferPulseLocked(System& s) {
    SoundDevice& fallback = *s.current.load();
    if (onPulse(s) || s.switching ||
        (fallback.isOpen() && fallback.state() != SoundDevice::State::Silent))
        return;
    if (s.probing || serverHung(s)) {
        if (!s.probing && Clock::now() - s.lastProbe >= kHungProbeInterval) {
            s.probeWanted = true;
            poke(s);
        }
    } else if (pulseAnswers(s)) {
        switchToPulseLocked(s);
    }
}

// Under the lock, with a renderer attached to a device lost for kLostRetryTime: PulseAudio
// gives way to SDL (its silent driver only, while the server hangs), so time still runs. False
// when the device stays: SDL falls back among its own drivers at its next open().
bool fallBackLocked(System& s) {
    Devices& devices = *s.devices;
    if (s.current.load() != devices.pulse.get())
        return false;
    switchTo(s, *devices.fallback);
    if (AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst))
        renderer->droppedFrames.store(0, std::memory_order_relaxed);  // skipped, not replayed
    devices.fallback->start();  // the housekeeping thread opens a device for the renderer
    return true;
}

// On the housekeeping thread, with the lock held on entry and on return: looks for a server
// that hung again, with the lock released. False when the generation ended meanwhile.
bool probeLocked(System& s, std::unique_lock<std::mutex>& lock, uint64_t generation,
                 bool attached) {
    s.probeWanted = false;
    s.probing = true;
    PulseDevice* pulse = s.devices->pulse.get();
    lock.unlock();
    const bool answered = pulse && pulse->connect(PulseDevice::kConnectLimit, [&s, generation] {
        return s.releasing.load() || s.generation.load() != generation;
    }) == PulseDevice::Connection::Ready;
    lock.lock();
    if (s.quit || s.generation.load() != generation)
        return false;
    s.probing = false;
    s.lastProbe = Clock::now();
    if (answered && !onPulse(s))
        switchToPulseLocked(s);
    else if (!answered && !serverHung(s) && attached)
        s.current.load()->retryPreferredOutput();  // no server at all now: a real driver may do
    return true;
}

// ---- The housekeeping thread.

// Reopens the device when the attached renderer needs it (another rate, a lost device, a
// preferred output to try again), falls back after a device has been lost for a while, and
// closes the device once nothing has been attached for the idle delay. Opening and closing
// happen with the lock released, so attach() and detach() never wait for them. At the end of
// its generation it closes the generation's devices and says so (System::done).
void housekeeping(System& s, uint64_t generation, std::shared_ptr<Devices> devices) {
    const auto over = [&] { return s.quit || s.generation.load() != generation; };
    std::unique_lock lock(s.mutex);
    uint64_t seenAttaches = s.attaches;
    Clock::time_point idleSince = Clock::now();
    while (!over()) {
        const uint32_t seenWakes = s.wakes.load(std::memory_order_acquire);
        const auto woken = [&] {
            return over() || s.wakes.load(std::memory_order_acquire) != seenWakes;
        };
        const bool attached = s.attached.load(std::memory_order_seq_cst) != nullptr;
        if (attached || s.attaches != seenAttaches) {
            seenAttaches = s.attaches;
            idleSince = Clock::now();
        }
        if (s.probeWanted) {
            if (!probeLocked(s, lock, generation, attached))
                break;
            continue;
        }
        SoundDevice& device = *s.current.load();
        const bool lost = device.state() == SoundDevice::State::Lost;
        if (!(attached && lost))
            s.lostSince = {};
        else if (s.lostSince == Clock::time_point{})
            s.lostSince = Clock::now();
        const bool givenUp = attached && lost && Clock::now() - s.lostSince >= kLostRetryTime;
        if (givenUp && fallBackLocked(s))
            continue;
        int target = -1;  // -1: nothing to do; 0: close; else open at that rate
        if (attached && device.wantsOpen(s.attachedRate))
            target = s.attachedRate;
        else if (!attached && device.isOpen() && (lost || Clock::now() - idleSince >= s.idleDelay))
            target = 0;
        if (target < 0) {
            if (auto handler = takeStatusChange(s)) {
                lock.unlock();
                handler();
                lock.lock();
                continue;
            }
            if (attached && lost)
                s.wake.wait_for(lock, kLostRetryInterval, woken);
            else if (device.isOpen())
                s.wake.wait_for(lock,
                                std::clamp(s.idleDelay / 4, std::chrono::milliseconds(10),
                                           device.watchInterval()),
                                woken);
            else
                s.wake.wait(lock, woken);
            continue;
        }
        // A lost device comes back on its own output first.
        const bool anyOutput = !lost || givenUp;
        const auto buffer = s.bufferDuration;
        s.switching = true;
        lock.unlock();
        bool opened = false;
        if (target > 0)
            opened = device.open(target, buffer, anyOutput);
        else
            device.close();
        lock.lock();
        if (s.generation.load() != generation)
            return;  // left behind while the device kept this thread: `devices` closes it
        s.switching = false;
        idleSince = Clock::now();
        s.wake.notify_all();
        if (auto handler = takeStatusChange(s)) {
            lock.unlock();
            handler();
            lock.lock();
        }
        if (target > 0 && !opened) {
            if (device.state() == SoundDevice::State::Lost)  // tried again shortly
                s.wake.wait_for(lock, kLostRetryInterval, over);
            else  // not retried until the next attach
                s.wake.wait(lock, [&] { return over() || s.attaches != seenAttaches; });
        }
    }
    if (s.generation.load() != generation)
        return;  // left behind: the shared state belongs to a later generation
    // The end of the generation: everything is taken out under the lock and closed without
    // it, so nothing waits on the lock while SDL or the server keeps this thread.
    forgetLocked(s);
    lock.unlock();
    devices.reset();
    {
        std::lock_guard done(s.doneMutex);
        s.finished = generation;
    }
    s.done.notify_all();
}

}  // namespace

bool SoundSystem::acquire() {
    System& s = shared();
    std::lock_guard life(s.lifeMutex);
    std::lock_guard lock(s.mutex);
    if (s.users > 0) {
        ++s.users;
        return true;
    }
    forgetLocked(s);  // what a generation left behind still held
    s.devices = makeDevices(s);
    s.live.store(s.devices.get());
    if (pulseAnswers(s)) {
        s.current.store(s.devices->pulse.get());
    } else if (s.devices->fallback->start()) {
        s.current.store(s.devices->fallback.get());
    } else {
        forgetLocked(s);
        return false;
    }
    ++s.users;
    s.quit = false;
    const uint64_t generation = s.generation.fetch_add(1) + 1;
    s.housekeeper = std::thread(
        [&s, generation, devices = s.devices] { housekeeping(s, generation, devices); });
    return true;
}

void SoundSystem::release() {
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
    poke(s);
    bool finished = false;
    {
        std::unique_lock done(s.doneMutex);
        finished = s.done.wait_for(done, kReleaseLimit, [&] { return s.finished == generation; });
    }
    s.releasing.store(false);
    if (!finished) {
        // Stuck in a call to SDL or a sound server: left behind rather than waited for. It
        // finds its generation over when it comes back, and closes its own devices.
        s.generation.fetch_add(1);
        s.housekeeper.detach();
        qCWarning(lcAudio, "the sound device did not close within %lld ms; left behind",
                  static_cast<long long>(kReleaseLimit.count()));
        std::unique_lock lock(s.mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return;
        // What that thread's devices still play is taken from them; a later acquire starts
        // afresh beside them.
        if (AudioRenderer* renderer = s.attached.load(std::memory_order_seq_cst))
            if (Devices* devices = s.live.load())
                devices->each([renderer](SoundDevice& device) { device.detach(renderer); });
        forgetLocked(s);
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

bool SoundSystem::attach(AudioRenderer* renderer, int rate) {
    System& s = shared();
    std::function<void()> handler;
    {
        std::lock_guard lock(s.mutex);
        if (s.users == 0 || rate < 8000 || rate > 384000)
            return false;
        preferPulseLocked(s);
        SoundDevice& device = *s.current.load();
        if (!s.switching && !device.isOpen() && device.state() != SoundDevice::State::Lost &&
            device.wantsOpen(rate)) {
            // Opened here, so the first sound does not wait for the housekeeping thread.
            if (!device.open(rate, s.bufferDuration, true))
                return false;
        } else if (device.isOpen()) {
            device.retryPreferredOutput();  // a sound server may have come up since
        }
        device.attach(renderer, rate);
        s.attached.store(renderer, std::memory_order_seq_cst);
        ++s.attaches;
        s.attachedRate = rate;
        poke(s);
        handler = takeStatusChange(s);
    }
    if (handler)
        handler();
    return true;
}

void SoundSystem::detach(AudioRenderer* renderer) {
    System& s = shared();
    AudioRenderer* expected = renderer;
    s.attached.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
    // Every device lets go of it, whichever plays now: one being switched to may have it too.
    if (Devices* devices = s.live.load())
        devices->each([renderer](SoundDevice& device) { device.detach(renderer); });
    poke(s);  // the idle device is closed after a while
}

int64_t SoundSystem::unheardFrames(const AudioRenderer* renderer) {
    if (SoundDevice* device = shared().current.load())
        return device->unheardFrames(renderer);
    return renderer->droppedFrames.load(std::memory_order_relaxed);
}

void SoundSystem::volumeChanged(const AudioRenderer* renderer) {
    if (SoundDevice* device = shared().current.load())
        device->volumeChanged(renderer);
}

void SoundSystem::setFallbackDeviceMaker(DeviceMaker make) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    s.makeFallback = std::move(make);
}

bool SoundSystem::usingPulse() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return onPulse(s);
}

SoundSystem::Status SoundSystem::status() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return statusLocked(s);
}

void SoundSystem::setStatusHandler(std::function<void()> handler) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    s.statusHandler = std::move(handler);
}

void SoundSystem::setBufferDuration(std::chrono::microseconds duration) {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    s.bufferDuration = std::clamp<std::chrono::microseconds>(duration, 1ms, 200ms);
}

std::chrono::microseconds SoundSystem::bufferDuration() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    return s.bufferDuration;
}

int SoundSystem::bufferFrames(int rate) {
    return SdlDevice::framesFor(rate, bufferDuration());
}

void SoundSystem::setIdleCloseDelay(std::chrono::milliseconds delay) {
    System& s = shared();
    {
        std::lock_guard lock(s.mutex);
        s.idleDelay = std::max(delay, std::chrono::milliseconds(1));
    }
    poke(s);
}

bool SoundSystem::closeDeviceIfIdle() {
    System& s = shared();
    std::unique_lock lock(s.mutex);
    s.wake.wait(lock, [&] { return !s.switching; });
    SoundDevice* device = s.current.load();
    if (!device)
        return true;
    if (s.attached.load(std::memory_order_seq_cst) == nullptr)
        device->close();
    return !device->isOpen();
}

bool SoundSystem::deviceOpen() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    SoundDevice* device = s.current.load();
    return device && device->isOpen();
}

int SoundSystem::deviceRate() {
    System& s = shared();
    std::lock_guard lock(s.mutex);
    SoundDevice* device = s.current.load();
    return device ? device->rate() : 0;
}
