#include "SdlDevice.h"

#include "AudioRenderer.h"
#include "core/Logging.h"

#include <SDL.h>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

namespace {

using namespace std::chrono_literals;

// The silent driver's buffer, about: time and end reports still run at this granularity.
// SDL's silent driver keeps time by sleeping a buffer's length per buffer, which comes out
// right only for buffers of a power of two frames: SDL 2.26.5 ran 200 ms buffers (8,832 frames
// at 44.1 kHz) at 0.6 of real time and took over a second to close them, 4,096 frames at
// 1.0 (2.97 to 3.07 s of sound in 3 s, 44.1 to 96 kHz), closed in about a quarter of a second.
constexpr auto kSilentBufferDuration = 100ms;

// Said once a run, whichever device falls back.
std::atomic<bool> warned{false};

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

bool onDummy() {
    const char* current = SDL_GetCurrentAudioDriver();
    return current && std::strcmp(current, "dummy") == 0;
}

void warnSilent() {
    if (!warned.exchange(true))
        qCWarning(lcAudio, "no sound device was found; playing without sound");
}

bool startDummy() {
    // Over an empty SDL_AUDIODRIVER too, which counts as no choice.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    warnSilent();
    return true;
}

int silentFrames(int rate) {
    const int64_t frames = int64_t(rate) * kSilentBufferDuration.count() / 1000;
    return int(std::bit_floor(uint32_t(std::clamp<int64_t>(frames, 512, 32768))));
}

}  // namespace

SdlDevice::SdlDevice(std::function<bool()> keepOffServer)
    : keepOffServer_(std::move(keepOffServer)) {}

SdlDevice::~SdlDevice() {
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    if (subsystemStarted_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int SdlDevice::framesFor(int rate, std::chrono::microseconds buffer) {
    // In 64-bit: the rate comes from a file. Whole multiples of 64 frames, 64 to 32,768.
    const int64_t frames = int64_t(rate) * buffer.count() / 1000000;
    return int(std::clamp<int64_t>((frames + 32) / 64 * 64, 64, 32768));
}

// SDL's pulseaudio driver and ALSA's pulse plugin (which ALSA's default device may lead to, and
// whose configuration hook already connects when libasound reads its configuration) would
// each wait on a hung server for half a minute or more, with no limit we could set. A driver
// other than pulseaudio that the user chose is left to the user.
bool SdlDevice::keepOff() const {
    if (!keepOffServer_ || !keepOffServer_())
        return false;
    const char* driver = userDriver();
    return !driver || std::strcmp(driver, "pulseaudio") == 0;
}

bool SdlDevice::start() {
    std::lock_guard lock(mutex_);
    return startLocked();
}

bool SdlDevice::startLocked() {
    if (subsystemStarted_)
        return true;
    if (keepOff()) {
        // Started on the silent driver only; the hint goes back to what it was, so a later
        // start (the server answering again) tries the real drivers.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (!started)
            return false;
        warnSilent();
        subsystemStarted_ = true;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 && (userChoseDriver() || !startDummy()))
        return false;
    subsystemStarted_ = true;
    return true;
}

void SdlDevice::deviceCallback(void* user, uint8_t* stream, int len) {
    auto& self = *static_cast<SdlDevice*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    const size_t samples = size_t(len) / sizeof(float);
    // `rendering_` is raised before the renderer is read: a detach() that has taken the
    // renderer away and then sees it lowered knows this call is out of render().
    self.rendering_.store(true, std::memory_order_seq_cst);
    AudioRenderer* renderer = self.attached_.load(std::memory_order_seq_cst);
    // A device that went away still calls back at its pace; the renderer waits for the
    // reopened one rather than play into nothing. (Device 0 is never asked: SDL would record
    // an error, which allocates.)
    const SDL_AudioDeviceID device = self.callbackDevice_.load(std::memory_order_relaxed);
    size_t rendered = 0;
    if (renderer && device != 0 &&
        renderer->deviceRate.load(std::memory_order_relaxed) ==
            self.callbackRate_.load(std::memory_order_relaxed) &&
        SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_PLAYING)
        rendered = renderer->render(out, samples, true);
    std::memset(out + rendered, 0, (samples - rendered) * sizeof(float));
    self.rendering_.store(false, std::memory_order_seq_cst);
}

uint32_t SdlDevice::openOnCurrentDriver(int rate, int frames) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // Nobody hears the silent driver: it wakes only to keep time, so its buffers are long, in
    // a power of two frames (see kSilentBufferDuration).
    want.samples = Uint16(onDummy() ? silentFrames(rate) : frames);
    want.callback = &SdlDevice::deviceCallback;
    want.userdata = this;
    return SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
}

// Opens the device paused at exactly `rate`. With `anyOutput` and no driver chosen by the
// user, a driver with nothing to play on (no server, no card) or the silent driver gives way
// to every real driver in turn, and to the silent one last. Runs without the lock.
SdlDevice::Opened SdlDevice::openPaused(int rate, int frames, bool anyOutput) {
    if (keepOff()) {
        // The silent driver, whatever SDL ran on before.
        if (!onDummy() && SDL_AudioInit("dummy") != 0)
            return {};
        warnSilent();
        const SDL_AudioDeviceID device = openOnCurrentDriver(rate, frames);
        return {device, device != 0 && !userChoseDummy()};
    }
    if (!anyOutput || userChoseDriver() || !onDummy()) {
        const SDL_AudioDeviceID device = openOnCurrentDriver(rate, frames);
        if (device != 0 || !anyOutput || userChoseDriver())
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
        if (const SDL_AudioDeviceID device = openOnCurrentDriver(rate, frames))
            return {device, false};
    }
    if (SDL_AudioInit("dummy") != 0)
        return {};
    warnSilent();
    return {openOnCurrentDriver(rate, frames), true};
}

// Under the lock, with nothing open and no switch running.
void SdlDevice::installLocked(Opened opened, int rate) {
    device_ = opened.device;
    silent_ = opened.silent;
    lost_ = false;
    rate_ = rate;
    callbackRate_.store(rate, std::memory_order_relaxed);
    callbackDevice_.store(opened.device, std::memory_order_relaxed);
    // Opened paused and started only with something to play, so it begins on sound.
    started_ = attached_.load(std::memory_order_seq_cst) != nullptr;
    if (started_)
        SDL_PauseAudioDevice(opened.device, 0);
}

// Under the lock: the open device taken out, to be closed without the lock.
uint32_t SdlDevice::takeDeviceLocked() {
    rate_ = 0;
    started_ = false;
    retryPreferred_ = false;
    callbackDevice_.store(0, std::memory_order_relaxed);
    return std::exchange(device_, 0);
}

bool SdlDevice::open(int rate, std::chrono::microseconds buffer, bool anyOutput) {
    SDL_AudioDeviceID old = 0;
    {
        std::lock_guard lock(mutex_);
        if (!startLocked())
            return false;
        old = takeDeviceLocked();
        switching_ = true;
    }
    if (old != 0)
        SDL_CloseAudioDevice(old);
    const Opened opened = openPaused(rate, framesFor(rate, buffer), anyOutput);
    std::lock_guard lock(mutex_);
    switching_ = false;
    if (opened.device != 0)
        installLocked(opened, rate);
    return opened.device != 0;
}

void SdlDevice::close() {
    SDL_AudioDeviceID old = 0;
    {
        std::lock_guard lock(mutex_);
        old = takeDeviceLocked();
        lost_ = false;
        if (old == 0)
            return;
        switching_ = true;
    }
    SDL_CloseAudioDevice(old);
    std::lock_guard lock(mutex_);
    switching_ = false;
}

bool SdlDevice::wantsOpen(int rate) {
    std::lock_guard lock(mutex_);
    return device_ == 0 || lost_ || retryPreferred_ || rate_ != rate;
}

void SdlDevice::attach(AudioRenderer* renderer, int rate) {
    std::lock_guard lock(mutex_);
    renderer->deviceRate.store(rate, std::memory_order_relaxed);
    attached_.store(renderer, std::memory_order_seq_cst);
    if (device_ != 0 && rate_ == rate && !retryPreferred_ && !lost_ && !started_) {
        SDL_PauseAudioDevice(device_, 0);
        started_ = true;
    }
}

void SdlDevice::detach(AudioRenderer* renderer) {
    AudioRenderer* expected = renderer;
    attached_.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
    // The renderer is no longer attached (taken away here or earlier); a callback that read
    // it before that still has `rendering_` raised.
    while (rendering_.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

SoundDevice::State SdlDevice::state() {
    std::lock_guard lock(mutex_);
    if (device_ != 0 && !lost_ && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED)
        lost_ = true;
    // Gone with nothing open and nothing to play: simply closed; the next attach opens anew.
    if (lost_ && device_ == 0 && !switching_ && !attached_.load(std::memory_order_seq_cst))
        lost_ = false;
    if (lost_)
        return State::Lost;
    if (silent_)
        return State::Silent;
    return device_ != 0 || switching_ ? State::Open : State::Closed;
}

bool SdlDevice::isOpen() {
    std::lock_guard lock(mutex_);
    return device_ != 0;
}

int SdlDevice::rate() {
    std::lock_guard lock(mutex_);
    return device_ != 0 ? rate_ : 0;
}

void SdlDevice::retryPreferredOutput() {
    std::lock_guard lock(mutex_);
    if (silent_ && !userChoseDriver() && !keepOff())
        retryPreferred_ = true;
}

std::chrono::milliseconds SdlDevice::watchInterval() {
    std::lock_guard lock(mutex_);
    // The silent driver's device is never lost: only the idle close is watched for.
    return silent_ || onDummy() ? 1000ms : 250ms;
}

int64_t SdlDevice::unheardFrames(const AudioRenderer* renderer) {
    return renderer->droppedFrames.load(std::memory_order_relaxed);
}

void SdlDevice::volumeChanged(const AudioRenderer*) {}  // render() applies it
