#include "PulseDevice.h"

#include "AudioRenderer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <pulse/pulseaudio.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What the server holds ahead of the speaker, stream and sink together. A desktop player asks
// for about this much: it lets the server and the player sleep between refills.
constexpr int64_t kServerBufferMillis = 500;
// What the server needs before it starts a stream (and again after it ran dry): a start is
// not held back by the whole buffer.
constexpr int64_t kStartMillis = 40;
// The last sound written is kept this long, twice the server's buffer, so that what a vanished
// server had not yet played can be written to the next one.
constexpr int64_t kHistoryMillis = 2 * kServerBufferMillis + 100;
// The decoder has not caught up (just after a start): the rest is written this much later.
constexpr pa_usec_t kRetryUsec = 20 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kReconnectUsec = 200 * PA_USEC_PER_MSEC;
// While a renderer is attached the server is watched this often: asked for the stream's
// timing, which a working server answers within milliseconds.
constexpr pa_usec_t kWatchUsec = 250 * PA_USEC_PER_MSEC;
// A playing stream whose server has not answered for this long, or a stream it has not set up
// in this time, has stalled (the server hangs or was stopped): it is dropped as if the server
// had gone.
constexpr std::chrono::milliseconds kStallTime{1000};
// A connection (other than connect()'s, which has a limit of its own) that the server has not
// set up within this was taken by a server that does not answer, as at connect().
constexpr std::chrono::milliseconds kAnswerTime{500};

uint32_t bytesFor(int rate, int64_t millis) {
    return uint32_t(int64_t(rate) * 2 * int64_t(sizeof(float)) * millis / 1000);
}

class Locked {
public:
    explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) {
        if (loop_)
            pa_threaded_mainloop_lock(loop_);
    }
    ~Locked() {
        if (loop_)
            pa_threaded_mainloop_unlock(loop_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

void unref(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

// The renderer's per-channel volume as the server takes it; full volume without one.
pa_cvolume volumeOf(const AudioRenderer* renderer) {
    float left = 1.0f, right = 1.0f;
    if (renderer)
        renderer->volume(left, right);
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    volume.channels = 2;
    volume.values[0] = pa_sw_volume_from_linear(double(left));
    volume.values[1] = pa_sw_volume_from_linear(double(right));
    return volume;
}

}  // namespace

// Everything below is touched with the connection locked, on its thread or another.
struct PulseDevice::Impl {
    std::function<void()> changed;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    std::atomic<int> contextState{PA_CONTEXT_UNCONNECTED};
    pa_stream* stream = nullptr;
    int rate = 0;
    bool corked = false;
    AudioRenderer* attached = nullptr;
    std::atomic<Link> state{Link::Down};
    std::atomic<bool> hung{false};
    pa_time_event* retry = nullptr;
    pa_time_event* reconnect = nullptr;

    // The watch on the server (see kWatchUsec), armed while it has something to watch.
    pa_time_event* watch = nullptr;
    bool watchArmed = false;
    Clock::time_point contextMadeAt;
    Clock::time_point streamMadeAt;  // opened, or uncorked: the server is to play from then
    Clock::time_point answeredAt;    // the server's last sign of life
    bool asking = false;             // a request for timing is on its way
    Clock::time_point askedAt;

    // The sound written last, in a circle, and how much of its end a lost server had not
    // played: written first to the next one.
    std::vector<float> history;
    uint64_t historyEnd = 0;  // samples ever written into it
    int64_t replayFrames = 0;
    // The server's latency as of the last write, to tell how much a lost server still held.
    int64_t latencyAtWrite = 0;
    Clock::time_point writtenAt;
    // The server's latency as of the last write that gave it sound, and when. Once the stream
    // has run dry, the server's own figure stays at its sink's delay and never falls, though
    // that delay passes in real time: then the latency is at most this, less the time since.
    int64_t latencyAtData = 0;
    Clock::time_point dataAt;
    bool ranDry = false;  // the server said it has played all it was given
    // Written since the stream last started empty, and when: the latency until the server
    // has timing to tell (just after a start or a flush).
    int64_t framesSinceStart = 0;
    Clock::time_point startedAt;

    void setState(Link next) {
        if (state.exchange(next) != next && changed)
            changed();
    }

    void makeContext();
    void dropContext();
    void openStream();
    void closeStream();
    void write(size_t bytes);
    size_t writeReplay(size_t bytes);
    void remember(const float* samples, size_t count);
    int64_t serverLatencyFrames();
    int64_t latencyFrames();
    void noteLoss(Clock::time_point playedUntil = Clock::now());
    void answered() { answeredAt = Clock::now(); }
    bool needsWatch() const;
    void armWatch();
    void checkServer();
    void noAnswer();
    void scheduleReconnect();
    void applyVolume();
    void dropFrom(AudioRenderer* renderer);

    static void onContextState(pa_context* context, void* user);
    static void onStreamState(pa_stream* stream, void* user);
    static void onWrite(pa_stream* stream, size_t bytes, void* user);
    static void onUnderflow(pa_stream* stream, void* user);
    static void onTiming(pa_stream* stream, int success, void* user);
    static void onWatch(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* user);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* user);
    static void onReconnect(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* user);
};

void PulseDevice::Impl::makeContext() {
    dropContext();
    contextState.store(PA_CONTEXT_CONNECTING);
    contextMadeAt = Clock::now();
    armWatch();
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "ZAPT");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "zapt");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "zapt");
    context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "ZAPT", props);
    pa_proplist_free(props);
    if (!context) {
        contextState.store(PA_CONTEXT_FAILED);
        return;
    }
    pa_context_set_state_callback(context, &onContextState, this);
    // A server nobody started is not started by the player either.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        contextState.store(PA_CONTEXT_FAILED);
}

void PulseDevice::Impl::dropContext() {
    closeStream();
    if (!context)
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

void PulseDevice::Impl::openStream() {
    closeStream();
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, uint32_t(rate), 2};
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    stream = pa_stream_new_with_proplist(context, "Playback", &spec, nullptr, props);
    pa_proplist_free(props);
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, &onStreamState, this);
    pa_stream_set_write_callback(stream, &onWrite, this);
    pa_stream_set_underflow_callback(stream, &onUnderflow, this);
    streamMadeAt = Clock::now();
    asking = false;
    ranDry = false;
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = bytesFor(rate, kServerBufferMillis);
    attr.prebuf = bytesFor(rate, kStartMillis);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    corked = attached == nullptr;
    framesSinceStart = 0;
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                          PA_STREAM_AUTO_TIMING_UPDATE | (corked ? PA_STREAM_START_CORKED : 0));
    // Always our own volume: the server would otherwise restore what it saved for the player.
    const pa_cvolume volume = volumeOf(attached);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, &volume, nullptr) < 0) {
        closeStream();
        return;
    }
    const size_t historySamples = size_t(bytesFor(rate, kHistoryMillis) / sizeof(float));
    if (history.size() != historySamples) {
        history.assign(historySamples, 0.0f);
        historyEnd = 0;
        replayFrames = 0;
    }
}

void PulseDevice::Impl::closeStream() {
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream, nullptr, nullptr);
    asking = false;
    if (pa_stream_get_state(stream) == PA_STREAM_READY ||
        pa_stream_get_state(stream) == PA_STREAM_CREATING)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

int64_t PulseDevice::Impl::serverLatencyFrames() {
    if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY)
        return 0;
    // What was written since the stream started cannot have played faster than real time.
    // Right after a start or a flush the server's own figure lags (its timing still describes
    // the stream before): the larger of the two is the one to trust.
    const auto since =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - startedAt);
    const int64_t atLeast = std::max<int64_t>(framesSinceStart - since.count() * rate / 1000000, 0);
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &usec, &negative) < 0 || negative)
        return atLeast;
    return std::max(atLeast, int64_t(usec) * rate / int64_t(PA_USEC_PER_SEC));
}

int64_t PulseDevice::Impl::latencyFrames() {
    const int64_t latency = serverLatencyFrames();
    if (!ranDry)
        return latency;
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - dataAt);
    const int64_t atMost = std::max<int64_t>(latencyAtData - since.count() * rate / 1000000, 0);
    return std::min(latency, atMost);
}

void PulseDevice::Impl::remember(const float* samples, size_t count) {
    if (framesSinceStart == 0)
        startedAt = Clock::now();
    framesSinceStart += int64_t(count / 2);
    const size_t size = history.size();
    if (size == 0)
        return;
    if (count > size) {
        samples += count - size;
        historyEnd += count - size;
        count = size;
    }
    const size_t at = size_t(historyEnd % size);
    const size_t first = std::min(count, size - at);
    std::memcpy(history.data() + at, samples, first * sizeof(float));
    std::memcpy(history.data(), samples + first, (count - first) * sizeof(float));
    historyEnd += count;
}

// Writes what the lost server had not played, from the history. Returns the bytes written.
size_t PulseDevice::Impl::writeReplay(size_t bytes) {
    size_t written = 0;
    const size_t size = history.size();
    while (replayFrames > 0 && bytes - written >= 2 * sizeof(float)) {
        void* data = nullptr;
        size_t chunk = std::min(bytes - written, size_t(replayFrames) * 2 * sizeof(float));
        if (pa_stream_begin_write(stream, &data, &chunk) < 0 || !data)
            break;
        const size_t samples =
            std::min(chunk / sizeof(float) & ~size_t(1), size_t(replayFrames) * 2);
        auto* out = static_cast<float*>(data);
        const uint64_t from = historyEnd - uint64_t(replayFrames) * 2;
        for (size_t i = 0; i < samples; ++i)
            out[i] = history[size_t((from + i) % size)];
        remember(out, samples);
        pa_stream_write(stream, data, samples * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
        replayFrames -= int64_t(samples / 2);
        written += samples * sizeof(float);
    }
    return written;
}

// Fills up to `bytes` of the stream from the attached renderer. Runs on the connection's
// thread (a request of the server's, a retry) or under attach().
void PulseDevice::Impl::write(size_t bytes) {
    AudioRenderer* renderer = attached;
    if (!renderer || !stream || corked || pa_stream_get_state(stream) != PA_STREAM_READY ||
        renderer->deviceRate.load(std::memory_order_relaxed) != rate)
        return;
    const size_t asked = bytes;
    bytes -= writeReplay(bytes);
    bool ranShort = false;
    while (bytes >= 2 * sizeof(float)) {
        void* data = nullptr;
        size_t chunk = bytes;
        if (pa_stream_begin_write(stream, &data, &chunk) < 0 || !data)
            break;
        chunk = std::min(chunk, bytes) / (2 * sizeof(float)) * (2 * sizeof(float));
        auto* out = static_cast<float*>(data);
        const size_t got = renderer->render(out, chunk / sizeof(float), false) & ~size_t(1);
        if (got == 0) {
            pa_stream_cancel_write(stream);
            ranShort = true;
            break;
        }
        remember(out, got);
        pa_stream_write(stream, data, got * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= got * sizeof(float);
        if (got * sizeof(float) < chunk) {
            ranShort = true;
            break;
        }
    }
    latencyAtWrite = latencyFrames();
    writtenAt = Clock::now();
    if (bytes < asked) {
        ranDry = false;
        latencyAtData = latencyAtWrite;
        dataAt = writtenAt;
    }
    if (ranShort && !retry)
        retry = pa_context_rttime_new(context, pa_rtclock_now() + kRetryUsec, &onRetry, this);
}

// The server went away, or stopped playing at `playedUntil`: what it had not played yet is
// written again to the next one.
void PulseDevice::Impl::noteLoss(Clock::time_point playedUntil) {
    if (stream && attached) {
        const auto since = std::chrono::duration_cast<std::chrono::microseconds>(
            std::max(playedUntil - writtenAt, Clock::duration::zero()));
        const int64_t played = since.count() * rate / 1000000;
        const int64_t kept = int64_t(std::min<uint64_t>(historyEnd, history.size()) / 2);
        replayFrames = std::clamp<int64_t>(latencyAtWrite - played, 0, kept);
    }
    closeStream();
}

// Watched while a renderer is attached, and while a connection made for one is set up.
bool PulseDevice::Impl::needsWatch() const {
    const int connection = contextState.load();
    const bool connecting = connection != PA_CONTEXT_READY && connection != PA_CONTEXT_FAILED &&
                            connection != PA_CONTEXT_TERMINATED;
    return watch && context && (attached || connecting);
}

void PulseDevice::Impl::armWatch() {
    if (!watch || watchArmed)
        return;
    timeval at;
    pa_gettimeofday(&at);
    pa_timeval_add(&at, kWatchUsec);
    pa_threaded_mainloop_get_api(loop)->time_restart(watch, &at);
    watchArmed = true;
}

void PulseDevice::Impl::checkServer() {
    const auto now = Clock::now();
    const int connection = contextState.load();
    if (!context || connection == PA_CONTEXT_FAILED || connection == PA_CONTEXT_TERMINATED)
        return;
    if (connection != PA_CONTEXT_READY) {
        // connect() waits for its own connection, with its own limit (the state is Down).
        if (state.load() != Link::Down && now - contextMadeAt >= kAnswerTime)
            noAnswer();
        return;
    }
    if (!attached || !stream)
        return;
    const pa_stream_state_t streamState = pa_stream_get_state(stream);
    if (streamState == PA_STREAM_CREATING) {
        if (now - streamMadeAt >= kStallTime)
            noAnswer();
        return;
    }
    if (streamState != PA_STREAM_READY || corked)
        return;
    if (!asking) {
        if (pa_operation* operation = pa_stream_update_timing_info(stream, &onTiming, this)) {
            pa_operation_unref(operation);
            asking = true;
            askedAt = now;
        }
        return;
    }
    // Counted from the uncork too: a question left unanswered over a pause is asked again.
    if (now - std::max(askedAt, streamMadeAt) >= kStallTime)
        noAnswer();
}

// The server does not answer: the connection is dropped as a vanished server's (reconnected
// while a renderer is attached), and what it had not played when it last answered is kept.
void PulseDevice::Impl::noAnswer() {
    hung.store(true);
    noteLoss(answeredAt);
    // Terminates the context at once; its state callback does the rest.
    pa_context_disconnect(context);
}

void PulseDevice::Impl::scheduleReconnect() {
    if (!reconnect && context)
        reconnect =
            pa_context_rttime_new(context, pa_rtclock_now() + kReconnectUsec, &onReconnect, this);
}

void PulseDevice::Impl::applyVolume() {
    if (!attached || !stream || pa_stream_get_state(stream) != PA_STREAM_READY)
        return;
    const pa_cvolume volume = volumeOf(attached);
    unref(pa_context_set_sink_input_volume(context, pa_stream_get_index(stream), &volume, nullptr,
                                           nullptr));
}

// Stops playing `renderer`: the server forgets what it holds of it, which is counted as
// dropped so the renderer starts over from what was heard.
void PulseDevice::Impl::dropFrom(AudioRenderer* renderer) {
    attached = nullptr;
    if (state.load() == Link::Lost) {
        renderer->droppedFrames.store(replayFrames, std::memory_order_relaxed);
        replayFrames = 0;
        return;
    }
    renderer->droppedFrames.store(latencyFrames(), std::memory_order_relaxed);
    if (stream && pa_stream_get_state(stream) == PA_STREAM_READY) {
        unref(pa_stream_cork(stream, 1, nullptr, nullptr));
        unref(pa_stream_flush(stream, nullptr, nullptr));
        corked = true;
    }
    framesSinceStart = 0;
}

void PulseDevice::Impl::onContextState(pa_context* context, void* user) {
    auto& d = *static_cast<Impl*>(user);
    const pa_context_state_t now = pa_context_get_state(context);
    d.contextState.store(now);
    if (now != PA_CONTEXT_TERMINATED)  // terminated is our own doing
        d.answered();
    // Refused or closed by the server: a server that answers, or none at all.
    if (now == PA_CONTEXT_READY || now == PA_CONTEXT_FAILED)
        d.hung.store(false);
    if (now == PA_CONTEXT_READY) {
        if (d.state.load() != Link::Down || d.attached) {
            d.setState(Link::Ready);
            if (d.attached)
                d.openStream();
        }
        pa_threaded_mainloop_signal(d.loop, 0);
    } else if (now == PA_CONTEXT_FAILED || now == PA_CONTEXT_TERMINATED) {
        pa_threaded_mainloop_signal(d.loop, 0);
        if (d.state.load() == Link::Down)
            return;  // connect() is waiting for this
        d.noteLoss();
        if (d.attached) {
            d.setState(Link::Lost);
            d.scheduleReconnect();
        } else {
            d.setState(Link::Down);
        }
    }
}

void PulseDevice::Impl::onStreamState(pa_stream* stream, void* user) {
    auto& d = *static_cast<Impl*>(user);
    d.answered();
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        d.write(pa_stream_writable_size(stream));
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // The stream alone went (the context's end is handled there): open a new one.
        if (pa_context_get_state(d.context) == PA_CONTEXT_READY) {
            d.noteLoss();
            d.setState(Link::Lost);
            d.scheduleReconnect();
        }
        break;
    default:
        break;
    }
}

void PulseDevice::Impl::onWrite(pa_stream*, size_t bytes, void* user) {
    auto& d = *static_cast<Impl*>(user);
    d.answered();
    d.write(bytes);
}

void PulseDevice::Impl::onUnderflow(pa_stream* stream, void* user) {
    auto& d = *static_cast<Impl*>(user);
    if (stream != d.stream)
        return;
    d.answered();
    d.ranDry = true;
}

void PulseDevice::Impl::onTiming(pa_stream* stream, int, void* user) {
    auto& d = *static_cast<Impl*>(user);
    if (stream != d.stream)
        return;
    d.answered();
    d.asking = false;
}

void PulseDevice::Impl::onWatch(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                                void* user) {
    auto& d = *static_cast<Impl*>(user);
    d.watchArmed = false;
    api->time_restart(event, nullptr);
    d.checkServer();
    if (d.needsWatch())
        d.armWatch();
}

void PulseDevice::Impl::onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                                void* user) {
    auto& d = *static_cast<Impl*>(user);
    api->time_free(event);
    d.retry = nullptr;
    if (d.stream && pa_stream_get_state(d.stream) == PA_STREAM_READY)
        d.write(pa_stream_writable_size(d.stream));
}

void PulseDevice::Impl::onReconnect(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                                    void* user) {
    auto& d = *static_cast<Impl*>(user);
    api->time_free(event);
    d.reconnect = nullptr;
    if (!d.attached) {
        d.setState(Link::Down);
        return;
    }
    if (d.context && pa_context_get_state(d.context) == PA_CONTEXT_READY) {
        d.setState(Link::Ready);
        d.openStream();
        return;
    }
    d.makeContext();
    if (d.contextState.load() == PA_CONTEXT_FAILED)
        d.scheduleReconnect();
}

PulseDevice::PulseDevice(std::function<void()> stateChanged) : d(std::make_unique<Impl>()) {
    d->changed = std::move(stateChanged);
}

PulseDevice::~PulseDevice() {
    if (!d->loop)
        return;
    {
        Locked lock(d->loop);
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(d->loop);
        if (d->retry)
            api->time_free(d->retry);
        if (d->reconnect)
            api->time_free(d->reconnect);
        if (d->watch)
            api->time_free(d->watch);
        d->retry = d->reconnect = d->watch = nullptr;
        d->attached = nullptr;
        d->changed = nullptr;
        d->dropContext();
    }
    pa_threaded_mainloop_stop(d->loop);
    pa_threaded_mainloop_free(d->loop);
}

PulseDevice::Connection PulseDevice::connect(std::chrono::milliseconds timeout,
                                             std::function<bool()> giveUp) {
    if (!d->loop) {
        d->loop = pa_threaded_mainloop_new();
        if (!d->loop)
            return Connection::NoServer;
        pa_threaded_mainloop_set_name(d->loop, "zapt-pulse");
        // Disabled until there is something to watch.
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(d->loop);
        d->watch = api->time_new(api, nullptr, &Impl::onWatch, d.get());
        if (pa_threaded_mainloop_start(d->loop) < 0) {
            if (d->watch)
                api->time_free(d->watch);
            d->watch = nullptr;
            pa_threaded_mainloop_free(d->loop);
            d->loop = nullptr;
            return Connection::NoServer;
        }
    }
    {
        Locked lock(d->loop);
        if (d->state.load() == Link::Ready)
            return Connection::Ready;
        // A reconnection still pending from before would reopen the stream under the new
        // connection's feet.
        if (d->reconnect) {
            pa_threaded_mainloop_get_api(d->loop)->time_free(d->reconnect);
            d->reconnect = nullptr;
        }
        d->state.store(Link::Down);
        d->makeContext();
    }
    const auto deadline = Clock::now() + timeout;
    bool answered = false;
    for (;;) {
        const int now = d->contextState.load();
        if (now == PA_CONTEXT_READY) {
            Locked lock(d->loop);
            d->setState(Link::Ready);
            return Connection::Ready;
        }
        if (now == PA_CONTEXT_FAILED || now == PA_CONTEXT_TERMINATED) {
            answered = true;
            break;
        }
        if (Clock::now() >= deadline || (giveUp && giveUp()))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Locked lock(d->loop);
    d->dropContext();
    d->state.store(Link::Down);
    d->hung.store(!answered);
    return answered ? Connection::NoServer : Connection::NoAnswer;
}

bool PulseDevice::serverHung() const {
    return d->hung.load();
}

PulseDevice::Link PulseDevice::link() const {
    return d->state.load();
}

void PulseDevice::attach(AudioRenderer* renderer, int rate) {
    Locked lock(d->loop);
    if (d->attached && d->attached != renderer)
        d->dropFrom(d->attached);
    renderer->deviceRate.store(rate, std::memory_order_relaxed);
    d->attached = renderer;
    d->armWatch();
    if (d->state.load() != Link::Ready) {
        if (d->state.load() == Link::Down) {
            d->setState(Link::Lost);  // stands still until the server answers
            d->makeContext();
            if (d->contextState.load() == PA_CONTEXT_FAILED)
                d->scheduleReconnect();
        }
        d->rate = rate;
        return;
    }
    if (!d->stream || d->rate != rate) {
        d->rate = rate;
        d->openStream();  // written to once the server has set it up
        return;
    }
    d->applyVolume();
    if (d->corked) {
        unref(pa_stream_cork(d->stream, 0, nullptr, nullptr));
        d->corked = false;
        d->streamMadeAt = Clock::now();
    }
    d->write(pa_stream_writable_size(d->stream));
}

void PulseDevice::detach(AudioRenderer* renderer) {
    Locked lock(d->loop);
    if (d->attached == renderer)
        d->dropFrom(renderer);
}

int64_t PulseDevice::unheardFrames(const AudioRenderer* renderer) {
    Locked lock(d->loop);
    if (d->attached != renderer)
        return renderer->droppedFrames.load(std::memory_order_relaxed);
    if (d->state.load() == Link::Lost)
        return d->replayFrames;
    return d->latencyFrames();
}

void PulseDevice::volumeChanged(const AudioRenderer* renderer) {
    Locked lock(d->loop);
    if (d->attached == renderer)
        d->applyVolume();
}

bool PulseDevice::start() {
    return connect(kConnectLimit) == Connection::Ready;
}

bool PulseDevice::open(int, std::chrono::microseconds, bool) {
    return true;  // the stream is made at attach(), at the renderer's rate
}

void PulseDevice::close() {
    Locked lock(d->loop);
    if (!d->attached)
        d->closeStream();
}

bool PulseDevice::wantsOpen(int) {
    return false;
}

SoundDevice::State PulseDevice::state() {
    switch (link()) {
    case Link::Ready:
        return State::Open;
    case Link::Lost:
        return State::Lost;
    case Link::Down:
        break;
    }
    return State::Closed;
}

bool PulseDevice::isOpen() {
    Locked lock(d->loop);
    return d->stream != nullptr;
}

int PulseDevice::rate() {
    Locked lock(d->loop);
    return d->stream ? d->rate : 0;
}

void PulseDevice::retryPreferredOutput() {}

std::chrono::milliseconds PulseDevice::watchInterval() {
    return std::chrono::milliseconds(1000);  // it reports what changes (stateChanged)
}
