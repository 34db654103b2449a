#include "AudioOutput.h"

#include "AudioRenderer.h"
#include "GainStage.h"
#include "PcmConverter.h"
#include "ReplayGain.h"
#include "SdlAudioSystem.h"
#include "SpscRingBuffer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {
constexpr long kChunkFrames = 1024;
// The device runs at the source's rate within what devices support; sources beyond are
// resampled to the nearest end. Rates far beyond that come from damaged headers: refused.
constexpr int kMinDeviceRate = 8000;
constexpr int kMaxDeviceRate = 384000;
constexpr int kMinSourceRate = 1000;
constexpr int kMaxSourceRate = 4 * kMaxDeviceRate;
// Decoded audio waiting for the device, in time whatever the rate. The decode thread refills
// it from half full, so it wakes about four times a second; the ring is dropped on stop, pause
// and seek, so its length never delays what is heard.
constexpr int64_t kRingMillis = 500;
// Decoded before the device starts on a song, more than one device buffer.
constexpr int64_t kPrefillMillis = 100;

size_t stereoSamples(int rate, int64_t millis) {
    return size_t(int64_t(rate) * 2 * millis / 1000);
}

int clampVolume(int32_t v) {
    return std::clamp<int32_t>(v, 0, 100);
}
}  // namespace

struct AudioOutput::Impl final : AudioRenderer {
    // Control thread only.
    State state = Stopped;
    bool sdlAcquired = false;
    int forcedRate = 0;
    bool replayGain = true;

    // Shared by the control thread and the decode thread, under `mutex`. The audio callback
    // never takes it.
    std::mutex mutex;
    std::unique_ptr<PcmSource> source;
    PcmSource::Format format;
    int64_t lengthFrames = -1;
    PcmConverter converter;
    bool converterReady = false;  // configured for this source
    float sourceGain = 1.0f;      // the source's ReplayGain, linear
    std::vector<float> sourceBuffer;
    std::vector<float> pending;
    size_t pendingPos = 0;
    bool running = false;
    bool sourceEnded = false;
    bool decodeEnded = false;
    bool reported = false;
    bool quit = false;
    uint64_t generation = 0;
    std::function<void()> endHandler;

    // Shared with the audio callback, lock-free.
    SpscRingBuffer ring{stereoSamples(44100, kRingMillis)};
    std::atomic<uint64_t> activeGeneration{0};
    std::atomic<uint64_t> finishedGeneration{0};  // all of it is in the ring
    std::atomic<uint64_t> drainedGeneration{0};   // the device has taken the last sample
    std::atomic<uint64_t> playedFrames{0};        // device frames since baseFrame
    std::atomic<int64_t> baseFrame{0};
    std::atomic<bool> ended{false};
    std::atomic<int> softLeft{100}, softRight{100}, deviceLeft{100}, deviceRight{100};
    std::atomic<uint32_t> wake{0};

    std::thread worker;

    void kick() {
        wake.fetch_add(1, std::memory_order_release);
        wake.notify_one();
    }

    void render(float* out, size_t samples) override;
    void workerLoop();
    bool step();
    void applySourceGain();
    void restartAt(int64_t frame);
    void restartAtLocked(int64_t frame);
    int64_t currentFrame() const;
    bool connect(int rate, int64_t restartFrame);
    void disconnect() {
        if (sdlAcquired)
            SdlAudioSystem::detach(this);
    }
};

void AudioOutput::Impl::render(float* out, size_t samples) {
    const size_t got = ring.read(out, samples);
    const float gainLeft = float(softLeft.load(std::memory_order_relaxed) *
                                 deviceLeft.load(std::memory_order_relaxed)) /
                           10000.0f;
    const float gainRight = float(softRight.load(std::memory_order_relaxed) *
                                  deviceRight.load(std::memory_order_relaxed)) /
                            10000.0f;
    GainStage::apply(out, got, gainLeft, gainRight);
    std::memset(out + got, 0, (samples - got) * sizeof(float));
    playedFrames.fetch_add(got / 2, std::memory_order_relaxed);

    // The finished mark is read before the fill level: everything written before the mark was
    // set is then counted in readable().
    const uint64_t finished = finishedGeneration.load(std::memory_order_acquire);
    const size_t left = ring.readable();
    if (finished != 0 && finished == activeGeneration.load(std::memory_order_relaxed) &&
        left == 0) {
        if (drainedGeneration.load(std::memory_order_relaxed) != finished) {
            drainedGeneration.store(finished, std::memory_order_release);
            kick();
        }
    } else if (left < ring.capacity() / 2 && finished == 0) {
        kick();
    }
}

bool AudioOutput::Impl::step() {
    if (!running || !source)
        return false;
    if (decodeEnded) {
        if (!reported && drainedGeneration.load(std::memory_order_acquire) == generation) {
            reported = true;
            // Played out: the device goes back to silence and may close when nothing follows.
            SdlAudioSystem::detach(this);
            ended.store(true, std::memory_order_release);
            if (endHandler)
                endHandler();
        }
        return false;
    }
    if (pendingPos < pending.size()) {
        const size_t written = ring.write(pending.data() + pendingPos, pending.size() - pendingPos);
        pendingPos += written;
        return written > 0;
    }
    if (sourceEnded) {
        decodeEnded = true;
        finishedGeneration.store(generation, std::memory_order_release);
        return true;
    }
    pendingPos = 0;
    if (converter.passthrough()) {
        pending.resize(size_t(kChunkFrames) * 2);
        const long frames = source->read(pending.data(), kChunkFrames);
        pending.resize(frames > 0 ? size_t(frames) * 2 : 0);
        sourceEnded = frames <= 0;
        applySourceGain();
        return true;
    }
    const long frames = source->read(sourceBuffer.data(), kChunkFrames);
    if (frames > 0) {
        converter.convert(sourceBuffer.data(), frames, pending);
    } else {
        converter.flush(pending);
        sourceEnded = true;
    }
    applySourceGain();
    return true;
}

// On the decode side, so the gain belongs to the samples of its own song whatever the ring
// holds; the limiter in the callback catches what a boost pushes past full scale.
void AudioOutput::Impl::applySourceGain() {
    if (sourceGain == 1.0f)
        return;
    for (float& sample : pending)
        sample *= sourceGain;
}

void AudioOutput::Impl::workerLoop() {
    for (;;) {
        const uint32_t seen = wake.load(std::memory_order_acquire);
        bool progressed = false;
        {
            std::lock_guard lock(mutex);
            if (quit)
                return;
            progressed = step();
        }
        if (!progressed)
            wake.wait(seen, std::memory_order_acquire);
    }
}

void AudioOutput::Impl::restartAt(int64_t frame) {
    std::lock_guard lock(mutex);
    restartAtLocked(frame);
}

// Starts the decode path over at `frame`. The output must be detached from the device.
void AudioOutput::Impl::restartAtLocked(int64_t frame) {
    if (frame != 0 || sourceEnded || decodeEnded || pendingPos != 0 || running)
        source->seek(frame);
    converter.reset();
    pending.clear();
    pendingPos = 0;
    ring.reset();
    sourceEnded = decodeEnded = reported = false;
    finishedGeneration.store(0, std::memory_order_relaxed);
    drainedGeneration.store(0, std::memory_order_relaxed);
    ended.store(false, std::memory_order_relaxed);
    baseFrame.store(frame, std::memory_order_relaxed);
    playedFrames.store(0, std::memory_order_relaxed);
    running = true;
    // A little decoded ahead, so the device's next buffer is already sound.
    const size_t prefill =
        std::min(ring.capacity() / 2, stereoSamples(converter.outRate(), kPrefillMillis));
    while (ring.readable() < prefill && step()) {
    }
    kick();
}

// The source frame the device has reached. Control thread, while detached or paused.
int64_t AudioOutput::Impl::currentFrame() const {
    const int outRate = converter.outRate() > 0 ? converter.outRate() : format.sampleRate;
    int64_t frame =
        baseFrame.load(std::memory_order_relaxed) +
        int64_t(playedFrames.load(std::memory_order_relaxed)) * format.sampleRate / outRate;
    if (lengthFrames >= 0)
        frame = std::min(frame, lengthFrames);
    return frame;
}

// Attaches to the device at `rate`. The decode path restarts at `restartFrame` when it is not
// negative, or where it stands when the converter was made for another rate. The output must
// be detached.
bool AudioOutput::Impl::connect(int rate, int64_t restartFrame) {
    if (!sdlAcquired) {
        if (!SdlAudioSystem::acquire())
            return false;
        sdlAcquired = true;
    }
    const bool reconfigure = !converterReady || rate != converter.outRate();
    if (reconfigure || restartFrame >= 0) {
        const int64_t frame = restartFrame >= 0 ? restartFrame : currentFrame();
        std::lock_guard lock(mutex);
        if (reconfigure) {
            converterReady = converter.configure(format, rate);
            if (!converterReady) {
                running = false;
                return false;
            }
            ring.resize(stereoSamples(rate, kRingMillis));
        }
        restartAtLocked(frame);
    }
    if (SdlAudioSystem::attach(this, rate))
        return true;
    std::lock_guard lock(mutex);
    running = false;
    return false;
}

AudioOutput::AudioOutput() : d(std::make_unique<Impl>()) {
    d->sourceBuffer.resize(size_t(kChunkFrames) * 2);
    d->worker = std::thread([impl = d.get()] { impl->workerLoop(); });
}

AudioOutput::~AudioOutput() {
    stop();
    {
        std::lock_guard lock(d->mutex);
        d->quit = true;
    }
    d->kick();
    d->worker.join();
    if (d->sdlAcquired)
        SdlAudioSystem::release();
}

bool AudioOutput::load(std::unique_ptr<PcmSource> source) {
    stop();
    if (!source)
        return false;
    const PcmSource::Format format = source->format();
    if (format.sampleRate < kMinSourceRate || format.sampleRate > kMaxSourceRate ||
        format.channels <= 0)
        return false;
    std::lock_guard lock(d->mutex);
    d->format = format;
    d->lengthFrames = source->lengthFrames();
    d->sourceBuffer.resize(size_t(kChunkFrames) * size_t(format.channels));
    d->converterReady = false;
    const std::optional<float> gainDb = source->trackGainDb();
    d->sourceGain = d->replayGain && gainDb ? ReplayGain::linear(*gainDb) : 1.0f;
    d->source = std::move(source);
    d->activeGeneration.store(++d->generation, std::memory_order_relaxed);
    d->running = false;
    d->baseFrame.store(0, std::memory_order_relaxed);
    d->playedFrames.store(0, std::memory_order_relaxed);
    return true;
}

bool AudioOutput::play() {
    if (!d->source)
        return false;
    d->disconnect();
    d->state = Stopped;
    const int rate = d->forcedRate > 0 ? d->forcedRate : d->format.sampleRate;
    if (!d->connect(std::clamp(rate, kMinDeviceRate, kMaxDeviceRate), 0))
        return false;
    d->state = Playing;
    return true;
}

bool AudioOutput::pause() {
    if (state() != Playing)
        return false;
    d->disconnect();
    d->state = Paused;
    return true;
}

bool AudioOutput::resume() {
    if (d->state != Paused)
        return false;
    if (!d->connect(d->converter.outRate(), -1))
        return false;
    d->state = Playing;
    return true;
}

void AudioOutput::stop() {
    // Off the device first; the lock then waits for a decode step or an end report already
    // running, and once the generation moves on no end report can follow.
    d->disconnect();
    std::lock_guard lock(d->mutex);
    d->source.reset();
    d->running = false;
    d->activeGeneration.store(++d->generation, std::memory_order_relaxed);
    d->ended.store(false, std::memory_order_relaxed);
    d->pending.clear();
    d->pendingPos = 0;
    d->lengthFrames = -1;
    d->format = {};
    d->state = Stopped;
}

bool AudioOutput::seekSeconds(int32_t second) {
    if (!d->source || (d->state != Playing && d->state != Paused) || second < 0)
        return false;
    const int64_t frame = int64_t(second) * d->format.sampleRate;
    if (d->lengthFrames >= 0 && frame > d->lengthFrames)
        return false;
    d->disconnect();
    if (d->state == Paused) {
        d->restartAt(frame);
        return true;
    }
    if (!d->connect(d->converter.outRate(), frame)) {
        d->state = Stopped;
        return false;
    }
    return true;
}

AudioOutput::State AudioOutput::state() const {
    if (d->state == Playing && d->ended.load(std::memory_order_acquire))
        return Stopped;
    return d->state;
}

int32_t AudioOutput::positionSeconds() const {
    if (!d->source || d->format.sampleRate <= 0)
        return 0;
    return int32_t(d->currentFrame() / d->format.sampleRate);
}

int32_t AudioOutput::lengthSeconds() const {
    if (!d->source || d->lengthFrames < 0 || d->format.sampleRate <= 0)
        return 0;
    return int32_t(d->lengthFrames / d->format.sampleRate);
}

int AudioOutput::bitrate() const {
    return d->source ? d->source->bitrate() : 0;
}

bool AudioOutput::hasSource() const {
    return d->source != nullptr;
}

void AudioOutput::setDeviceRate(int hz) {
    d->forcedRate = std::max(0, hz);
}

void AudioOutput::setEndHandler(std::function<void()> handler) {
    std::lock_guard lock(d->mutex);
    d->endHandler = std::move(handler);
}

void AudioOutput::setSoftVolume(int32_t left, int32_t right) {
    d->softLeft.store(clampVolume(left), std::memory_order_relaxed);
    d->softRight.store(clampVolume(right), std::memory_order_relaxed);
}

void AudioOutput::softVolume(int32_t& left, int32_t& right) const {
    left = d->softLeft.load(std::memory_order_relaxed);
    right = d->softRight.load(std::memory_order_relaxed);
}

void AudioOutput::setDeviceVolume(int32_t left, int32_t right) {
    d->deviceLeft.store(clampVolume(left), std::memory_order_relaxed);
    d->deviceRight.store(clampVolume(right), std::memory_order_relaxed);
}

void AudioOutput::deviceVolume(int32_t& left, int32_t& right) const {
    left = d->deviceLeft.load(std::memory_order_relaxed);
    right = d->deviceRight.load(std::memory_order_relaxed);
}

void AudioOutput::setReplayGain(bool on) {
    d->replayGain = on;
}

bool AudioOutput::replayGain() const {
    return d->replayGain;
}
