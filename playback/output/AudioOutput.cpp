#include "AudioOutput.h"

#include "AudioRenderer.h"
#include "GainStage.h"
#include "PcmConverter.h"
#include "ReplayGain.h"
#include "SoundSystem.h"
#include "SpscRingBuffer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
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

// The decode side's run, one value instead of a set of flags. Every change happens under
// `mutex`; state() and the callback's kick read it without the lock.
//
//   from                 to        by
//   Idle, Decoding,      Decoding  control thread, detached from the device: play, seek,
//   Draining, Ended                resume at another rate, pause after a join (restartAtLocked)
//   Decoding             Draining  decode thread: the last sample of the last song is in the ring
//   Draining             Decoding  control thread: queueNext(), the next song follows in the ring
//   Draining             Ended     decode thread: the device played that sample; end reported
//   any                  Idle      control thread, detached: stop, load, a failed connect
//
// End reports follow one rule: every song gets a mark, the device frame count (since the run
// began) at its last sample, set by the decode thread once that sample is in the ring. The
// callback wakes the decode thread when its played count reaches the mark, and the decode
// thread reports under the lock, clearing the mark. The control thread resets marks and the
// played count only under the lock and detached, so a report either happened before stop(),
// load() or a seek returned, or never happens.
enum class Phase : uint8_t { Idle, Decoding, Draining, Ended };

struct AudioOutput::Impl final : AudioRenderer {
    static constexpr uint64_t kNoMark = ~uint64_t(0);

    // A loaded or queued song. Written by the control thread only (under `mutex` where the
    // decode thread could read it); the decode thread reads the slot it decodes.
    struct Song {
        std::unique_ptr<PcmSource> source;
        PcmSource::Format format;
        int64_t lengthFrames = -1;
        float gain = 1.0f;  // its ReplayGain, linear
        PcmConverter converter;
        bool converterReady = false;  // configured for this song at the device rate
        bool started = false;         // read from since it was loaded (decode thread)
        int64_t leadFrames = 0;       // silence before it when it joins, in device frames
        void clear() {
            source.reset();
            format = {};
            lengthFrames = -1;
            gain = 1.0f;
            converterReady = false;
            started = false;
            leadFrames = 0;
        }
    };

    // Control thread only.
    State state = Stopped;
    bool sdlAcquired = false;
    int forcedRate = 0;
    int outRate = 0;  // the rate the decode path converts to
    ReplayGain::Settings replayGain;

    // Shared by the control thread and the decode thread, under `mutex`. The audio callback
    // never takes it.
    std::mutex mutex;
    Song songs[2];
    int decoding = 0;     // the slot being decoded
    bool queued = false;  // the other slot holds the next song, to join without a gap
    std::vector<float> sourceBuffer;
    std::vector<float> pending;
    size_t pendingPos = 0;
    bool sourceEnded = false;     // the decoding song gave its last frame; `pending` has the rest
    bool probeJoined = false;     // a song has just joined: its first read is still to come
    bool joinGivenUp = false;     // the queued song gave nothing at its start and was let go
    int64_t silenceLeft = 0;      // samples of a joined song's lead silence still to write
    uint64_t writtenSamples = 0;  // into the ring since the run began
    bool quit = false;
    std::function<void()> endHandler;

    // Shared with the audio callback or read by the control thread without the lock.
    std::atomic<Phase> phase{Phase::Idle};
    SpscRingBuffer ring{stereoSamples(44100, kRingMillis)};
    std::atomic<uint64_t> playedSamples{0};  // taken by the device since the run began
    std::atomic<uint64_t> endMark{kNoMark};  // in device frames; see the rule above
    std::atomic<uint64_t> kickedMark{kNoMark};
    std::atomic<bool> allWritten{false};
    std::atomic<int64_t> baseFrame{0};  // source frame at which the run began
    // The song being heard, in one word so that the position reads it consistently: bit 0 its
    // slot; bit 1 set when it joined the run at a mark (it then starts at its frame 0); the
    // rest the device frame at which it began.
    std::atomic<uint64_t> heardAt{0};
    std::atomic<int> softLeft{100}, softRight{100}, deviceLeft{100}, deviceRight{100};
    std::atomic<uint32_t> wake{0};

    std::thread worker;

    void kick() {
        wake.fetch_add(1, std::memory_order_release);
        wake.notify_one();
    }
    int heard() const { return int(heardAt.load(std::memory_order_acquire) & 1); }
    const Song& heardSong() const { return songs[heard()]; }

    // Frames the device took past the current mark that it has not played yet (decode thread).
    int64_t unheardPastMark = 0;

    size_t render(float* out, size_t samples, bool withVolume) override;
    void volume(float& left, float& right) const override;
    void workerLoop();
    bool step();
    void readChunk(Song& song);
    int64_t readFirstChunk(Song& song);
    bool reportHeard();
    void applySourceGain(float gain);
    void restartAt(int64_t frame);
    void restartAtLocked(int64_t frame);
    bool dropQueueLocked();
    int64_t currentFrame() const;
    bool connect(int rate, int64_t restartFrame);
    void disconnect() {
        if (sdlAcquired)
            SoundSystem::detach(this);
    }
};

void AudioOutput::Impl::volume(float& left, float& right) const {
    left = float(softLeft.load(std::memory_order_relaxed) *
                 deviceLeft.load(std::memory_order_relaxed)) /
           10000.0f;
    right = float(softRight.load(std::memory_order_relaxed) *
                  deviceRight.load(std::memory_order_relaxed)) /
            10000.0f;
}

size_t AudioOutput::Impl::render(float* out, size_t samples, bool withVolume) {
    // Read before the ring: once the last sample is in it, what the ring lacks is silence.
    const bool finished = allWritten.load(std::memory_order_acquire);
    size_t got = ring.read(out, samples);
    float gainLeft = 1.0f, gainRight = 1.0f;
    if (withVolume)
        volume(gainLeft, gainRight);
    GainStage::apply(out, got, gainLeft, gainRight);
    if (finished && got < samples) {
        std::memset(out + got, 0, (samples - got) * sizeof(float));
        got = samples;
    }
    const uint64_t played = playedSamples.fetch_add(got, std::memory_order_release) + got;

    const uint64_t mark = endMark.load(std::memory_order_acquire);
    if (mark != kNoMark && played / 2 >= mark) {
        if (kickedMark.exchange(mark, std::memory_order_relaxed) != mark)
            kick();
    } else if (ring.readable() < ring.capacity() / 2 &&
               !allWritten.load(std::memory_order_relaxed)) {
        kick();
    }
    return got;
}

// Reports the end of the song whose mark the device has reached. The next song, if one joined,
// is heard from that frame on; otherwise the run has ended.
bool AudioOutput::Impl::reportHeard() {
    const uint64_t mark = endMark.load(std::memory_order_relaxed);
    if (mark == kNoMark)
        return false;
    const uint64_t taken = playedSamples.load(std::memory_order_acquire) / 2;
    if (taken < mark)
        return false;
    // Taken is not yet heard when a sound server holds it; the report waits for that. (Not
    // while a detach has thrown it away: the song starts over from what was heard first.)
    const int64_t unheard = SoundSystem::unheardFrames(this);
    if (int64_t(taken - mark) < unheard) {
        if (droppedFrames.load(std::memory_order_relaxed) == 0)
            unheardPastMark = unheard - int64_t(taken - mark);
        return false;
    }
    endMark.store(kNoMark, std::memory_order_relaxed);
    if (heard() != decoding) {
        // The joined song begins after its lead silence, so its position stays 0 through it.
        const uint64_t begins = mark + uint64_t(songs[decoding].leadFrames);
        heardAt.store((begins << 2) | 2u | uint64_t(decoding), std::memory_order_release);
    } else {
        phase.store(Phase::Ended, std::memory_order_release);
        // Played out: the device goes back to silence and may close when nothing follows.
        SoundSystem::detach(this);
    }
    if (endHandler)
        endHandler();
    return true;
}

bool AudioOutput::Impl::step() {
    const Phase now = phase.load(std::memory_order_relaxed);
    if (now == Phase::Idle || now == Phase::Ended)
        return false;
    if (probeJoined) {
        // A song has just joined: its first chunk is read before anything of it goes into the
        // ring (its lead silence goes first all the same). One that ends within it, short of
        // half what it claimed at its open (cut to nothing since, unreadable), is let go: the
        // heard song is the last again, and its end is reported when its last sample is heard.
        probeJoined = false;
        Song& joined = songs[decoding];
        const int64_t frames = decoding != heard() ? readFirstChunk(joined) : -1;
        if (frames >= 0 && sourceEnded &&
            (frames == 0 || (joined.lengthFrames > 0 && 2 * frames < joined.lengthFrames))) {
            pending.clear();
            joined.clear();
            decoding = heard();
            joinGivenUp = true;
            silenceLeft = 0;
            pendingPos = 0;
            sourceEnded = true;
            allWritten.store(true, std::memory_order_release);
            phase.store(Phase::Draining, std::memory_order_release);
        }
        return true;
    }
    if (reportHeard())
        return phase.load(std::memory_order_relaxed) == Phase::Decoding;
    if (now == Phase::Draining)
        return false;
    // A joined song's lead silence comes before its first samples, which were read at the join.
    if (silenceLeft > 0) {
        static constexpr float kZeros[2 * kChunkFrames] = {};
        const size_t written =
            ring.write(kZeros, size_t(std::min<int64_t>(silenceLeft, int64_t(std::size(kZeros)))));
        silenceLeft -= int64_t(written);
        writtenSamples += written;
        return written > 0;
    }
    if (pendingPos < pending.size()) {
        const size_t written = ring.write(pending.data() + pendingPos, pending.size() - pendingPos);
        pendingPos += written;
        writtenSamples += written;
        return written > 0;
    }
    if (sourceEnded) {
        // One mark at a time: a short next song waits until the previous end has been heard.
        if (endMark.load(std::memory_order_relaxed) != kNoMark)
            return false;
        const uint64_t mark = writtenSamples / 2;
        if (queued) {
            queued = false;
            decoding ^= 1;
            sourceEnded = false;
            silenceLeft = songs[decoding].leadFrames * 2;
            probeJoined = true;
        } else {
            allWritten.store(true, std::memory_order_release);
            phase.store(Phase::Draining, std::memory_order_release);
        }
        endMark.store(mark, std::memory_order_release);
        return true;
    }
    readChunk(songs[decoding]);
    return true;
}

// Reads a whole chunk of a song that has just joined into `pending` (a short read may still be
// followed by more), converted and with its gain; sets sourceEnded when the song ended within
// it. Returns the source frames read.
int64_t AudioOutput::Impl::readFirstChunk(Song& song) {
    song.started = true;
    pending.clear();
    pendingPos = 0;
    const auto channels = size_t(song.format.channels);
    long total = 0;
    bool ended = false;
    while (total < kChunkFrames) {
        const long got =
            song.source->read(sourceBuffer.data() + size_t(total) * channels, kChunkFrames - total);
        if (got <= 0) {
            ended = true;
            break;
        }
        total += got;
    }
    if (song.converter.passthrough()) {
        pending.assign(sourceBuffer.begin(), sourceBuffer.begin() + total * 2);
    } else {
        if (total > 0)
            song.converter.convert(sourceBuffer.data(), total, pending);
        if (ended) {
            std::vector<float> rest;
            song.converter.flush(rest);
            pending.insert(pending.end(), rest.begin(), rest.end());
        }
    }
    sourceEnded = ended;
    applySourceGain(song.gain);
    return total;
}

// Reads the next chunk of `song` into `pending`, converted and with its gain; at the song's
// end, what the converter still holds.
void AudioOutput::Impl::readChunk(Song& song) {
    song.started = true;
    pendingPos = 0;
    if (song.converter.passthrough()) {
        pending.resize(size_t(kChunkFrames) * 2);
        const long frames = song.source->read(pending.data(), kChunkFrames);
        pending.resize(frames > 0 ? size_t(frames) * 2 : 0);
        sourceEnded = frames <= 0;
        applySourceGain(song.gain);
        return;
    }
    const long frames = song.source->read(sourceBuffer.data(), kChunkFrames);
    if (frames > 0) {
        song.converter.convert(sourceBuffer.data(), frames, pending);
    } else {
        song.converter.flush(pending);
        sourceEnded = true;
    }
    applySourceGain(song.gain);
}

// On the decode side, so the gain belongs to the samples of its own song whatever the ring
// holds, and changes at a gapless join exactly where the songs meet; the limiter in the
// callback catches what a boost pushes past full scale.
void AudioOutput::Impl::applySourceGain(float gain) {
    if (gain == 1.0f)
        return;
    for (float& sample : pending)
        sample *= gain;
}

void AudioOutput::Impl::workerLoop() {
    for (;;) {
        const uint32_t seen = wake.load(std::memory_order_acquire);
        bool progressed = false;
        int64_t untilHeard = 0;
        {
            std::lock_guard lock(mutex);
            if (quit)
                return;
            progressed = step();
            untilHeard = std::exchange(unheardPastMark, 0);
        }
        if (progressed)
            continue;
        if (untilHeard > 0) {
            // The song's last sample is in the server: look again about when it is heard, and
            // at least every 50 ms, when a joined song may need the ring refilled.
            const int rate = std::max(deviceRate.load(std::memory_order_relaxed), 1);
            std::this_thread::sleep_for(std::clamp<std::chrono::microseconds>(
                std::chrono::microseconds(untilHeard * 1000000 / rate),
                std::chrono::milliseconds(1), std::chrono::milliseconds(50)));
            continue;
        }
        wake.wait(seen, std::memory_order_acquire);
    }
}

void AudioOutput::Impl::restartAt(int64_t frame) {
    std::lock_guard lock(mutex);
    restartAtLocked(frame);
}

// Starts the decode path over at `frame` of the song being heard. The output must be detached
// from the device.
void AudioOutput::Impl::restartAtLocked(int64_t frame) {
    dropQueueLocked();
    Song& song = songs[decoding];
    if (frame != 0 || song.started)
        song.source->seek(frame);
    song.converter.reset();
    pending.clear();
    pendingPos = 0;
    ring.reset();
    sourceEnded = false;
    silenceLeft = 0;
    writtenSamples = 0;
    endMark.store(kNoMark, std::memory_order_relaxed);
    kickedMark.store(kNoMark, std::memory_order_relaxed);
    allWritten.store(false, std::memory_order_relaxed);
    droppedFrames.store(0, std::memory_order_relaxed);
    baseFrame.store(frame, std::memory_order_relaxed);
    playedSamples.store(0, std::memory_order_relaxed);
    heardAt.store(uint64_t(decoding), std::memory_order_release);
    phase.store(Phase::Decoding, std::memory_order_release);
    // A little decoded ahead, so the device's next buffer is already sound.
    const size_t prefill =
        std::min(ring.capacity() / 2, stereoSamples(song.converter.outRate(), kPrefillMillis));
    while (ring.readable() < prefill && step()) {
    }
    kick();
}

// Forgets the queued song. True when it had already joined (its first samples are in the
// ring behind the heard song's last ones): the decode path must then restart. Detached only.
bool AudioOutput::Impl::dropQueueLocked() {
    const int h = heard();
    const bool joined = decoding != h;
    queued = false;
    probeJoined = false;
    joinGivenUp = false;
    if (joined) {
        decoding = h;
        silenceLeft = 0;
        endMark.store(kNoMark, std::memory_order_relaxed);
    }
    songs[h ^ 1].clear();
    return joined;
}

// The frame of the heard song the device has reached. Control thread.
int64_t AudioOutput::Impl::currentFrame() const {
    const uint64_t at = heardAt.load(std::memory_order_acquire);
    const Song& song = songs[at & 1];
    const int rate = outRate > 0 ? outRate : song.format.sampleRate;
    const uint64_t taken = playedSamples.load(std::memory_order_relaxed) / 2;
    const uint64_t unheard = uint64_t(std::max<int64_t>(SoundSystem::unheardFrames(this), 0));
    const uint64_t played = taken > unheard ? taken - unheard : 0;
    const uint64_t began = at >> 2;
    const int64_t start = (at & 2) ? 0 : baseFrame.load(std::memory_order_relaxed);
    int64_t frame =
        start + int64_t(played > began ? played - began : 0) * song.format.sampleRate / rate;
    if (song.lengthFrames >= 0)
        frame = std::min(frame, song.lengthFrames);
    return frame;
}

// Attaches to the device at `rate`. The decode path restarts at `restartFrame` when it is not
// negative, or where it stands when the converter was made for another rate. The output must
// be detached.
bool AudioOutput::Impl::connect(int rate, int64_t restartFrame) {
    if (!sdlAcquired) {
        if (!SoundSystem::acquire())
            return false;
        sdlAcquired = true;
    }
    Song& song = songs[heard()];
    const bool reconfigure = !song.converterReady || rate != song.converter.outRate();
    // Sound a server threw away at the last detach is played again from the frame heard.
    const bool dropped = droppedFrames.load(std::memory_order_relaxed) > 0;
    if (reconfigure || restartFrame >= 0 || dropped) {
        const int64_t frame = restartFrame >= 0 ? restartFrame : currentFrame();
        std::lock_guard lock(mutex);
        if (reconfigure) {
            dropQueueLocked();
            song.converterReady = song.converter.configure(song.format, rate);
            if (!song.converterReady) {
                phase.store(Phase::Idle, std::memory_order_release);
                return false;
            }
            outRate = rate;
            ring.resize(stereoSamples(rate, kRingMillis));
        }
        restartAtLocked(frame);
    }
    if (SoundSystem::attach(this, rate))
        return true;
    std::lock_guard lock(mutex);
    phase.store(Phase::Idle, std::memory_order_release);
    return false;
}

namespace {
AudioOutput* lastPlayed = nullptr;  // control thread
}

AudioOutput* AudioOutput::LastPlayed() {
    return lastPlayed;
}

AudioOutput::AudioOutput() : d(std::make_unique<Impl>()) {
    d->sourceBuffer.resize(size_t(kChunkFrames) * 2);
    d->worker = std::thread([impl = d.get()] { impl->workerLoop(); });
}

AudioOutput::~AudioOutput() {
    if (lastPlayed == this)
        lastPlayed = nullptr;
    stop();
    {
        std::lock_guard lock(d->mutex);
        d->quit = true;
    }
    d->kick();
    d->worker.join();
    if (d->sdlAcquired)
        SoundSystem::release();
}

namespace {
bool playableRate(const PcmSource::Format& format) {
    return format.sampleRate >= kMinSourceRate && format.sampleRate <= kMaxSourceRate &&
           format.channels > 0;
}
}  // namespace

bool AudioOutput::load(std::unique_ptr<PcmSource> source) {
    stop();
    if (!source || !playableRate(source->format()))
        return false;
    std::lock_guard lock(d->mutex);
    Impl::Song& song = d->songs[0];
    song.format = source->format();
    song.lengthFrames = source->lengthFrames();
    song.gain = ReplayGain::factor(source->replayGain(), d->replayGain);
    song.source = std::move(source);
    d->sourceBuffer.resize(size_t(kChunkFrames) * size_t(song.format.channels));
    return true;
}

bool AudioOutput::queueNext(std::unique_ptr<PcmSource> source, int32_t leadMillis) {
    if (!source || d->state != Playing || !playableRate(source->format()))
        return false;
    const PcmSource::Format format = source->format();
    const int rate = d->forcedRate > 0 ? d->forcedRate : format.sampleRate;
    if (std::clamp(rate, kMinDeviceRate, kMaxDeviceRate) != d->outRate)
        return false;
    std::lock_guard lock(d->mutex);
    // One song at a time, after the previous join has been heard; too late once the end
    // has been.
    const Phase now = d->phase.load(std::memory_order_relaxed);
    if ((now != Phase::Decoding && now != Phase::Draining) || d->queued ||
        d->decoding != d->heard())
        return false;
    d->joinGivenUp = false;
    Impl::Song& next = d->songs[d->decoding ^ 1];
    next.clear();
    next.converterReady = next.converter.configure(format, d->outRate);
    if (!next.converterReady)
        return false;
    next.format = format;
    next.leadFrames = int64_t(d->outRate) * std::clamp<int32_t>(leadMillis, 0, 3'600'000) / 1000;
    next.lengthFrames = source->lengthFrames();
    next.gain = ReplayGain::factor(source->replayGain(), d->replayGain);
    next.source = std::move(source);
    if (d->sourceBuffer.size() < size_t(kChunkFrames) * size_t(format.channels))
        d->sourceBuffer.resize(size_t(kChunkFrames) * size_t(format.channels));
    if (now == Phase::Draining) {
        // The current song is wholly in the ring (its mark is set): the next follows it there.
        d->decoding ^= 1;
        d->sourceEnded = false;
        d->silenceLeft = next.leadFrames * 2;
        d->probeJoined = true;
        d->allWritten.store(false, std::memory_order_relaxed);
        d->phase.store(Phase::Decoding, std::memory_order_release);
        d->kick();
    } else {
        d->queued = true;
    }
    return true;
}

bool AudioOutput::hasQueued() const {
    std::lock_guard lock(d->mutex);
    return d->queued || d->decoding != d->heard() || d->joinGivenUp;
}

void AudioOutput::dropQueued() {
    {
        std::lock_guard lock(d->mutex);
        d->joinGivenUp = false;
        if (!d->queued && d->decoding == d->heard())
            return;
        if (d->queued && d->decoding == d->heard()) {
            // Not yet in the ring: nothing to take back.
            d->dropQueueLocked();
            return;
        }
    }
    if (d->state != Playing) {
        std::lock_guard lock(d->mutex);
        d->dropQueueLocked();
        return;
    }
    d->disconnect();
    const int64_t frame = d->currentFrame();
    {
        std::lock_guard lock(d->mutex);
        if (d->dropQueueLocked())
            d->restartAtLocked(frame);
    }
    if (!d->connect(d->outRate, -1))
        d->state = Stopped;
}

bool AudioOutput::play() {
    if (!hasSource())
        return false;
    d->disconnect();
    d->state = Stopped;
    {
        std::lock_guard lock(d->mutex);
        d->dropQueueLocked();
    }
    const int rate = d->forcedRate > 0 ? d->forcedRate : d->heardSong().format.sampleRate;
    if (!d->connect(std::clamp(rate, kMinDeviceRate, kMaxDeviceRate), 0))
        return false;
    lastPlayed = this;
    d->state = Playing;
    return true;
}

bool AudioOutput::pause() {
    if (state() != Playing)
        return false;
    d->disconnect();
    const int64_t frame = d->currentFrame();
    {
        std::lock_guard lock(d->mutex);
        if (d->dropQueueLocked())
            d->restartAtLocked(frame);
    }
    d->state = Paused;
    return true;
}

bool AudioOutput::resume() {
    if (d->state != Paused)
        return false;
    if (!d->connect(d->outRate, -1))
        return false;
    lastPlayed = this;
    d->state = Playing;
    return true;
}

void AudioOutput::stop() {
    // Off the device first; the lock then waits for a decode step or an end report already
    // running, and with the run Idle no end report can follow.
    d->disconnect();
    std::lock_guard lock(d->mutex);
    d->phase.store(Phase::Idle, std::memory_order_release);
    d->endMark.store(Impl::kNoMark, std::memory_order_relaxed);
    d->queued = false;
    d->probeJoined = false;
    d->joinGivenUp = false;
    d->decoding = 0;
    d->heardAt.store(0, std::memory_order_release);
    d->songs[0].clear();
    d->songs[1].clear();
    d->pending.clear();
    d->pendingPos = 0;
    d->sourceEnded = false;
    d->silenceLeft = 0;
    d->baseFrame.store(0, std::memory_order_relaxed);
    d->playedSamples.store(0, std::memory_order_relaxed);
    d->state = Stopped;
}

bool AudioOutput::seekTo(std::chrono::milliseconds position) {
    const Impl::Song& song = d->heardSong();
    if (!song.source || (d->state != Playing && d->state != Paused) || position.count() < 0)
        return false;
    const int64_t frame = int64_t(position.count()) * song.format.sampleRate / 1000;
    if (song.lengthFrames >= 0 && frame > song.lengthFrames)
        return false;
    d->disconnect();
    if (d->state == Paused) {
        d->restartAt(frame);
        return true;
    }
    if (!d->connect(d->outRate, frame)) {
        d->state = Stopped;
        return false;
    }
    lastPlayed = this;
    return true;
}

AudioOutput::State AudioOutput::state() const {
    if (d->state == Playing && d->phase.load(std::memory_order_acquire) == Phase::Ended)
        return Stopped;
    return d->state;
}

int32_t AudioOutput::positionSeconds() const {
    const Impl::Song& song = d->heardSong();
    if (!song.source || song.format.sampleRate <= 0)
        return 0;
    return int32_t(d->currentFrame() / song.format.sampleRate);
}

std::chrono::milliseconds AudioOutput::heardPosition() const {
    const Impl::Song& song = d->heardSong();
    if (!song.source || song.format.sampleRate <= 0)
        return std::chrono::milliseconds{0};
    return std::chrono::milliseconds(d->currentFrame() * 1000 / song.format.sampleRate);
}

int32_t AudioOutput::lengthSeconds() const {
    const Impl::Song& song = d->heardSong();
    if (!song.source || song.lengthFrames < 0 || song.format.sampleRate <= 0)
        return 0;
    return int32_t(song.lengthFrames / song.format.sampleRate);
}

int AudioOutput::bitrate() const {
    const Impl::Song& song = d->heardSong();
    return song.source ? song.source->bitrate() : 0;
}

bool AudioOutput::hasSource() const {
    return d->heardSong().source != nullptr;
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
    SoundSystem::volumeChanged(d.get());
}

void AudioOutput::softVolume(int32_t& left, int32_t& right) const {
    left = d->softLeft.load(std::memory_order_relaxed);
    right = d->softRight.load(std::memory_order_relaxed);
}

void AudioOutput::setDeviceVolume(int32_t left, int32_t right) {
    d->deviceLeft.store(clampVolume(left), std::memory_order_relaxed);
    d->deviceRight.store(clampVolume(right), std::memory_order_relaxed);
    SoundSystem::volumeChanged(d.get());
}

void AudioOutput::deviceVolume(int32_t& left, int32_t& right) const {
    left = d->deviceLeft.load(std::memory_order_relaxed);
    right = d->deviceRight.load(std::memory_order_relaxed);
}

void AudioOutput::setReplayGain(const ReplayGain::Settings& settings) {
    d->replayGain = settings;
}

ReplayGain::Settings AudioOutput::replayGain() const {
    return d->replayGain;
}
