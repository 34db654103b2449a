#pragma once

#include "SoundDevice.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

// SDL2's audio device: the one that plays when no PulseAudio server answers, on whatever SDL
// finds (ALSA, its own pulseaudio driver, ...) and, as the last fall-back, on its silent
// "dummy" driver, which keeps time so songs still end. SDL_AUDIODRIVER set by the user is
// respected: no other driver is tried then.
//
// It runs at the rate of the renderer it plays (SDL converts when the hardware cannot), so a
// renderer at another rate needs an open(). A device that goes away (the card is unplugged, the
// server behind SDL's driver restarts) is seen by state() and reopened by whoever called it.
//
// While `keepOffServer` says so (a PulseAudio server takes connections without answering),
// SDL's pulseaudio driver and ALSA, whose default device may lead to that server, are left
// alone and the silent driver plays instead, unless the user chose another driver.
//
// Threads: as SoundDevice says. The device's callback runs on SDL's thread and never locks or
// allocates; detach() waits for it at most once.
class SdlDevice final : public SoundDevice {
public:
    explicit SdlDevice(std::function<bool()> keepOffServer);
    ~SdlDevice() override;
    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    // SDL's audio subsystem, on the silent driver when no other starts and the user chose
    // none; open() starts it too.
    bool start() override;
    // Frames per device buffer at `rate` for buffers of `buffer`.
    static int framesFor(int rate, std::chrono::microseconds buffer);

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
    struct Opened {
        uint32_t device = 0;
        bool silent = false;
    };

    static void deviceCallback(void* user, uint8_t* stream, int len);
    bool keepOff() const;
    bool startLocked();
    uint32_t openOnCurrentDriver(int rate, int frames);
    Opened openPaused(int rate, int frames, bool anyOutput);
    void installLocked(Opened opened, int rate);
    uint32_t takeDeviceLocked();

    const std::function<bool()> keepOffServer_;

    // Held across starting the subsystem only: the device is opened and closed without it
    // (switching_), so attach() never waits for SDL.
    std::mutex mutex_;
    uint32_t device_ = 0;
    int rate_ = 0;
    bool subsystemStarted_ = false;
    bool started_ = false;         // unpaused since it opened
    bool switching_ = false;       // being closed or reopened, without the lock
    bool silent_ = false;          // the silent driver is in use (as a fall-back)
    bool lost_ = false;            // went away; reopened by the next open()
    bool retryPreferred_ = false;  // on the silent driver while a real one may do now

    // Shared with the device callback.
    std::atomic<AudioRenderer*> attached_{nullptr};
    std::atomic<bool> rendering_{false};
    std::atomic<int> callbackRate_{0};
    std::atomic<uint32_t> callbackDevice_{0};
};
