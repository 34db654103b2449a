// (a) CPU time of the library's decode path for one hour of 192 kbit/s MP3, beside libmpg123's
//     bare decode of the same file (the floor).
//     The same path when the device runs at another rate than the file (resampled).
//     Opening that file with its LAME header and without it (scanned), warm and cold, and
//     the first far seek after the open.
// (b) The silence between two songs played back to back through the library, counted in the
//     samples SDL's disk driver received.
// (c) How long stopping a playing song holds the calling (UI) thread.
// (d) CPU per hour of audio for real-time playback: on SDL's silent driver (the player's own
//     work), and through a private PulseAudio server with a null sink (this process and the
//     server) with the underruns the server logged, idle and with both cores busy, on the
//     player's own PulseAudio stream and on SDL's driver by device buffer length.
// (e) The same figure for mpg123 and Audacious playing the same file to the same kind of server,
//     beside the player's own (zapt_over_peer).
#include "audio/PulseServer.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/Mp3Source.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/decoder/vbmp3.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/GainStage.h"
#include "playback/output/PcmConverter.h"
#include "playback/output/SoundSystem.h"
#include "playback/output/SpscRingBuffer.h"
#include "support/ToneFiles.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mpg123.h>
#include <mutex>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char* kHourFile = "/tmp/zapt-bench-hour-192k.mp3";

const std::string& hourFile() {
    static const std::string path = [] {
        if (!std::filesystem::exists(kHourFile)) {
            std::fprintf(stderr, "Writing one hour of MP3 to %s (once)...\n", kHourFile);
            ToneSpec tone;
            tone.seconds = 3600;
            tone.frequency[0] = 440;
            tone.frequency[1] = 554.37;
            const std::string partial = std::string(kHourFile) + ".part";
            if (!ToneFiles::writeMp3(partial, tone, 192))
                std::abort();
            std::filesystem::rename(partial, kHourFile);
        }
        return std::string(kHourFile);
    }();
    return path;
}

void BM_Mpg123BareDecode(benchmark::State& state) {
    const std::string& file = hourFile();
    for (auto _ : state) {
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(handle);
        mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_FLOAT_32);
        mpg123_open(handle, file.c_str());
        std::vector<unsigned char> buffer(1024 * 2 * sizeof(float));
        size_t done = 0;
        int64_t bytes = 0;
        int result = MPG123_OK;
        while ((result = mpg123_read(handle, buffer.data(), buffer.size(), &done)) == MPG123_OK ||
               result == MPG123_NEW_FORMAT)
            bytes += int64_t(done);
        benchmark::DoNotOptimize(buffer.data());
        state.counters["audio_s"] = double(bytes) / (2 * sizeof(float)) / 44100;
        mpg123_close(handle);
        mpg123_delete(handle);
    }
}
BENCHMARK(BM_Mpg123BareDecode)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();

// The decode thread's loop (decode, convert, into the ring) and the callback's (out of the
// ring, gain), without a device.
// Argument: the device rate, 0 for the file's own.
void BM_LibraryDecodePath(benchmark::State& state) {
    const std::string& file = hourFile();
    for (auto _ : state) {
        state.PauseTiming();
        auto source = Mp3Source::open(file);
        PcmConverter converter;
        const int deviceRate =
            state.range(0) > 0 ? int(state.range(0)) : source->format().sampleRate;
        converter.configure(source->format(), deviceRate);
        SpscRingBuffer ring(32768);
        state.ResumeTiming();

        std::vector<float> in(1024 * 2), converted, device(512 * 2);
        int64_t frames = 0;
        for (;;) {
            // As the decode thread does it: stereo at the device rate skips the converter.
            const bool direct = converter.passthrough();
            const long got = source->read(in.data(), 1024);
            if (got <= 0)
                break;
            if (direct) {
                ring.write(in.data(), size_t(got) * 2);
            } else {
                converter.convert(in.data(), got, converted);
                ring.write(converted.data(), converted.size());
            }
            while (ring.readable() >= device.size()) {
                const size_t n = ring.read(device.data(), device.size());
                GainStage::apply(device.data(), n, 0.8f, 0.6f);
                frames += int64_t(n / 2);
            }
        }
        benchmark::DoNotOptimize(device.data());
        state.counters["audio_s"] = double(frames) / deviceRate;
    }
}
BENCHMARK(BM_LibraryDecodePath)
    ->Arg(0)
    ->Arg(48000)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();

// Opening the hour-long MP3: with its LAME header the length is read from it; the same audio
// without the header frame is scanned from end to end. "cold" drops the file from the page
// cache before each open, as when it comes from a disk for the first time; "seek" adds a
// jump to the last minute right after the open (the first far seek builds the frame index).
const std::string& hourFileWithoutHeader() {
    static const std::string path = [] {
        const std::string bare = std::string(kHourFile) + ".noheader.mp3";
        if (!std::filesystem::exists(bare)) {
            std::ifstream in(hourFile(), std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            const size_t headerFrame =
                ContentSniffer::mpegFrame(reinterpret_cast<const unsigned char*>(bytes.data()));
            std::ofstream(bare + ".part", std::ios::binary) << bytes.substr(headerFrame);
            std::filesystem::rename(bare + ".part", bare);
        }
        return bare;
    }();
    return path;
}

void dropFromPageCache(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void BM_Mp3Open(benchmark::State& state) {
    const bool withHeader = state.range(0) != 0;
    const bool cold = state.range(1) != 0;
    const bool seek = state.range(2) != 0;
    const std::string& file = withHeader ? hourFile() : hourFileWithoutHeader();
    int64_t length = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dropFromPageCache(file);
            state.ResumeTiming();
        }
        auto source = Mp3Source::open(file);
        if (!source)
            std::abort();
        length = source->lengthFrames();
        if (seek && !source->seek(length - 60 * 44100))
            std::abort();
    }
    state.SetLabel(std::string(withHeader ? "LAME header" : "no header, scanned") +
                   (cold ? ", cold cache" : ", warm cache") + (seek ? ", then a seek" : "") +
                   ", length " + std::to_string(length) + " frames");
}
BENCHMARK(BM_Mp3Open)
    ->ArgNames({"header", "cold", "seek"})
    ->Args({1, 0, 0})
    ->Args({0, 0, 0})
    ->Args({1, 1, 0})
    ->Args({0, 1, 0})
    ->Args({1, 0, 1})
    ->Args({0, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

// Reads everything written to the FIFO the disk driver plays into; each device open appends.
class FifoReader {
public:
    explicit FifoReader(std::string path) : path_(std::move(path)) {
        unlink(path_.c_str());
        mkfifo(path_.c_str(), 0600);
        // Read-write, so the FIFO never reports an end while the driver reopens it.
        fd_ = open(path_.c_str(), O_RDWR);
        thread_ = std::thread([this] { run(); });
    }
    ~FifoReader() {
        quit_ = true;
        thread_.join();
        close(fd_);
        unlink(path_.c_str());
    }
    std::vector<float> take() {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard lock(mutex_);
        std::vector<float> out(bytes_.size() / sizeof(float));
        std::memcpy(out.data(), bytes_.data(), out.size() * sizeof(float));
        return out;
    }

private:
    void run() {
        std::vector<char> chunk(65536);
        while (!quit_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = read(fd_, chunk.data(), chunk.size());
            if (n > 0) {
                std::lock_guard lock(mutex_);
                bytes_.insert(bytes_.end(), chunk.begin(), chunk.begin() + n);
            }
        }
    }
    std::string path_;
    int fd_ = -1;
    std::atomic<bool> quit_{false};
    std::mutex mutex_;
    std::vector<char> bytes_;
    std::thread thread_;
};

struct EndWait {
    std::mutex mutex;
    std::condition_variable cv;
    int ends = 0;
};

void onEnd(int32_t, intptr_t user) {
    auto* wait = reinterpret_cast<EndWait*>(user);
    std::lock_guard lock(wait->mutex);
    ++wait->ends;
    wait->cv.notify_all();
}

// Silences between runs of sound, in frames. A lone zero sample is a sine's own crossing.
std::vector<long> silences(const std::vector<float>& samples) {
    std::vector<long> gaps;
    long lastSound = -1;
    for (long f = 0; f < long(samples.size() / 2); ++f) {
        if (std::fabs(samples[size_t(2 * f)]) > 1e-4f ||
            std::fabs(samples[size_t(2 * f + 1)]) > 1e-4f) {
            if (lastSound >= 0 && f - lastSound > 2)
                gaps.push_back(f - lastSound - 1);
            lastSound = f;
        }
    }
    return gaps;
}

// Argument: 0 WAV, 1 MP3, 2 WAV alternating between 44.1 and 48 kHz (each change reopens the
// device; the file's gaps are then counted at 44.1 kHz, and the reopen is timed on its own),
// each song opened after the last one ended; 3 WAV, each song joined behind the last (gapless).
void BM_GapBetweenSongs(benchmark::State& state) {
    const bool mp3 = state.range(0) == 1;
    const bool mixedRates = state.range(0) == 2;
    const bool joined = state.range(0) == 3;
    constexpr int kSongs = 12;
    // Lengths 47 frames apart: where a song ends inside the device's last buffer, and so the
    // silence left in that buffer, differs from song to song.
    std::vector<std::string> songs;
    for (int i = 0; i < kSongs; ++i) {
        ToneSpec tone;
        tone.seconds = 0.4 + i * 47.0 / 44100;
        tone.frequency[0] = tone.frequency[1] = i % 2 ? 660 : 440;
        tone.sampleRate = mixedRates && i % 2 ? 48000 : 44100;
        songs.push_back("/tmp/zapt-gap-" + std::to_string(i) + (mp3 ? ".mp3" : ".wav"));
        mp3 ? ToneFiles::writeMp3(songs.back(), tone, 192)
            : ToneFiles::writeWav(songs.back(), tone);
    }

    setenv("SDL_AUDIODRIVER", "disk", 1);
    const std::string fifo = "/tmp/zapt-gap.fifo";
    setenv("SDL_DISKAUDIOFILE", fifo.c_str(), 1);
    for (auto _ : state) {
        FifoReader reader(fifo);
        EndWait wait;
        vbmp3_init();
        vbmp3_callback(&onEnd, reinterpret_cast<intptr_t>(&wait));
        OpenFileInfo info{};
        double switchMs = 0;
        double reopenMs = 0;
        if (joined) {
            // Each song joined behind the one playing, as the player does before a song ends.
            vbmp3_open(songs[0].c_str(), &info);
            vbmp3_play();
            for (int i = 0; i < kSongs; ++i) {
                if (i + 1 < kSongs) {
                    const char* next = songs[size_t(i + 1)].c_str();
                    if (!vbmp3_queueSource(next, PcmSourceFactory::open(next), 0, &info))
                        std::abort();
                }
                std::unique_lock lock(wait.mutex);
                wait.cv.wait_for(lock, std::chrono::seconds(5), [&] { return wait.ends > i; });
                lock.unlock();
                vbmp3_takeJoined(&info);
            }
        }
        for (int i = 0; i < kSongs && !joined; ++i) {
            const auto start = std::chrono::steady_clock::now();
            vbmp3_stop();
            vbmp3_close();
            vbmp3_open(songs[size_t(i)].c_str(), &info);
            vbmp3_play();
            if (i > 0)
                switchMs += std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now() - start)
                                .count();
            if (mixedRates && i > 0) {
                // The device is reopened at the song's rate without the caller waiting; until
                // then it is silent, which its file cannot show.
                const int rate = i % 2 ? 48000 : 44100;
                while (SoundSystem::deviceRate() != rate)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                reopenMs += std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now() - start)
                                .count();
            }
            std::unique_lock lock(wait.mutex);
            wait.cv.wait_for(lock, std::chrono::seconds(5), [&] { return wait.ends > i; });
        }
        vbmp3_stop();
        vbmp3_close();
        vbmp3_stopCallback();
        vbmp3_free();
        const std::vector<long> gaps = silences(reader.take());
        double sum = 0, worst = 0;
        for (long g : gaps) {
            sum += g;
            worst = std::max(worst, double(g));
        }
        state.counters["transitions"] = double(gaps.size());
        // A transition without any silence leaves no gap to count.
        state.counters["gap_ms_mean"] = sum / (kSongs - 1) * 1000.0 / 44100;
        state.counters["gap_ms_max"] = worst * 1000.0 / 44100;
        state.counters["switch_call_ms"] = switchMs / (kSongs - 1);
        if (mixedRates)
            state.counters["reopen_ms_mean"] = reopenMs / (kSongs - 1);
    }
}
BENCHMARK(BM_GapBetweenSongs)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// stop() on a playing output, timed on the calling thread as the UI thread would see it.
void BM_StopCall(benchmark::State& state) {
    const std::string file = "/tmp/zapt-stop.wav";
    ToneSpec tone;
    tone.seconds = 2.0;
    ToneFiles::writeWav(file, tone);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    constexpr int kStops = 20;
    for (auto _ : state) {
        AudioOutput output;
        double sum = 0, worst = 0;
        for (int i = 0; i < kStops; ++i) {
            output.load(PcmSourceFactory::open(file));
            output.play();
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            const auto start = std::chrono::steady_clock::now();
            output.stop();
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            sum += ms;
            worst = std::max(worst, ms);
        }
        state.counters["stop_ms_mean"] = sum / kStops;
        state.counters["stop_ms_max"] = worst;
    }
}
BENCHMARK(BM_StopCall)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of another process, all its threads, to the nanosecond (its ticks in
// /proc/<pid>/stat are 10 ms, 1.8 s an hour over a 20 s run).
double otherCpuSeconds(pid_t pid) {
    clockid_t clock{};
    timespec time{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &time) != 0)
        return 0;
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

constexpr auto kPlay = std::chrono::seconds(20);
// Playback runs this long before it is measured, as the other players are measured once their
// stream plays: opening the device and the first buffer are not the cost of an hour.
constexpr auto kSettle = std::chrono::seconds(1);

// An MP3 a little longer than the real-time runs.
const std::string& realTimeFile() {
    static const std::string path = [] {
        const std::string file = "/tmp/zapt-bench-realtime.mp3";
        ToneSpec tone;
        tone.seconds = 25;
        tone.frequency[0] = 440;
        tone.frequency[1] = 554.37;
        ToneFiles::writeMp3(file, tone, 192);
        return file;
    }();
    return path;
}

// The player's own work: CPU per hour of audio on SDL's silent driver (whose buffers are long
// whatever the buffer setting: nobody hears them).
void BM_SilentDriverPlayback(benchmark::State& state) {
    const std::string& file = realTimeFile();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (auto _ : state) {
        AudioOutput output;
        output.load(PcmSourceFactory::open(file));
        output.play();
        std::this_thread::sleep_for(kSettle);
        const double start = processCpuSeconds();
        std::this_thread::sleep_for(kPlay);
        const double used = processCpuSeconds() - start;
        output.stop();
        state.counters["player_cpu_s_per_h"] =
            used * 3600.0 / std::chrono::duration<double>(kPlay).count();
    }
}
BENCHMARK(BM_SilentDriverPlayback)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The player's total (itself and the server) at its default buffer with nothing running beside,
// for the comparison with other players; 0 until BM_PulsePlayback has measured it.
double zaptTotalCpuSeconds = 0;

// Arguments: 0 for the player's own PulseAudio stream (what it uses when a server is up), or
// SDL's PulseAudio driver with that device buffer in microseconds (5805 is the 256 frames at
// 44.1 kHz used first, 40000 SDL's default now); and the number of busy loops running beside.
void BM_PulsePlayback(benchmark::State& state) {
    if (!PulseServer::installed()) {
        state.SkipWithError("pulseaudio is not installed");
        return;
    }
    const std::string& file = realTimeFile();
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    for (auto _ : state) {
        PulseServer server;
        if (!server.start()) {
            state.SkipWithError("the server did not start");
            return;
        }
        BusyLoops busy(int(state.range(1)));
        const bool sdl = state.range(0) > 0;
        sdl ? setenv("ZAPT_AUDIO", "sdl", 1) : unsetenv("ZAPT_AUDIO");
        if (sdl)
            SoundSystem::setBufferDuration(std::chrono::microseconds(state.range(0)));
        double player = 0, serverCpu = 0;
        {
            AudioOutput output;
            output.load(PcmSourceFactory::open(file));
            output.play();
            std::this_thread::sleep_for(kSettle);
            const double player0 = processCpuSeconds();
            const double server0 = otherCpuSeconds(server.pid());
            std::this_thread::sleep_for(kPlay);
            player = processCpuSeconds() - player0;
            serverCpu = otherCpuSeconds(server.pid()) - server0;
            state.counters["pulse_stream"] = SoundSystem::usingPulse();
            output.stop();
            // Counted before the device closes: while SDL closes it, nothing feeds the stream.
            state.counters["underruns"] = server.underruns();
        }
        unsetenv("ZAPT_AUDIO");
        const double perHour = 3600.0 / std::chrono::duration<double>(kPlay).count();
        state.counters["player_cpu_s_per_h"] = player * perHour;
        state.counters["server_cpu_s_per_h"] = serverCpu * perHour;
        state.counters["total_cpu_s_per_h"] = (player + serverCpu) * perHour;
        if (!sdl && state.range(1) == 0)  // as the player plays, alone
            zaptTotalCpuSeconds = player + serverCpu;
    }
}
BENCHMARK(BM_PulsePlayback)
    ->ArgsProduct({{0, 5805, 40000}, {0, 2}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Whether the server plays a stream of process `pid`: proof that a player found this server.
bool serverPlaysStreamOf(pid_t pid) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t pactl = spawnChild({"pactl", "list", "sink-inputs"}, fds[1]);
    close(fds[1]);
    std::string listing;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], chunk, sizeof chunk)) > 0)
        listing.append(chunk, size_t(n));
    close(fds[0]);
    waitpid(pactl, nullptr, 0);
    return listing.find("application.process.id = \"" + std::to_string(pid) + "\"") !=
           std::string::npos;
}

void endChild(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

enum class Peer { Mpg123, Audacious };

// Another player on the same file through the same kind of server (it finds the server through
// the environment PulseServer sets): its whole process and the server, measured over the same
// time as the player's own run once its stream plays, so its start-up is left out.
void BM_PeerPlayback(benchmark::State& state, Peer peer) {
    if (!PulseServer::installed()) {
        state.SkipWithError("pulseaudio is not installed");
        return;
    }
    const std::string& file = realTimeFile();
    for (auto _ : state) {
        PulseServer server;
        if (!server.start()) {
            state.SkipWithError("the server did not start");
            return;
        }
        std::vector<std::string> command{"mpg123", "-q", "-o", "pulse", file};
        std::string home;
        if (peer == Peer::Audacious) {
            // A home of its own, so the user's settings are neither read nor changed, and no
            // session bus, so the file is not handed to an Audacious the user already runs.
            char pattern[] = "/tmp/zapt-bench-home-XXXXXX";
            if (!mkdtemp(pattern)) {
                state.SkipWithError("no temporary home");
                return;
            }
            home = pattern;
            command = {"env",
                       "HOME=" + home,
                       "XDG_CONFIG_HOME=" + home + "/.config",
                       "XDG_DATA_HOME=" + home + "/.local/share",
                       "XDG_CACHE_HOME=" + home + "/.cache",
                       "DBUS_SESSION_BUS_ADDRESS=unix:path=" + home + "/no-bus",
                       "audacious",
                       "--headless",
                       "--quit-after-play",
                       file};
        }
        const pid_t pid = spawnChild(command);
        std::error_code ignored;
        const char* failure = "its stream did not reach the server";
        bool playing = false;
        for (int i = 0; i < 150 && !playing; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                failure = WIFEXITED(status) && WEXITSTATUS(status) == 127
                              ? "the program is not installed"
                              : "the program ended before playing";
                break;
            }
            playing = serverPlaysStreamOf(pid);
            if (!playing)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!playing) {
            endChild(pid);
            std::filesystem::remove_all(home, ignored);
            state.SkipWithError(failure);
            return;
        }
        const double player0 = otherCpuSeconds(pid);
        const double server0 = otherCpuSeconds(server.pid());
        std::this_thread::sleep_for(kPlay);
        const double player = otherCpuSeconds(pid) - player0;
        const double serverCpu = otherCpuSeconds(server.pid()) - server0;
        state.counters["underruns"] = server.underruns();
        const bool playedThrough = serverPlaysStreamOf(pid);
        endChild(pid);
        std::filesystem::remove_all(home, ignored);
        if (!playedThrough) {
            state.SkipWithError("the program stopped playing before the end");
            return;
        }

        const double perHour = 3600.0 / std::chrono::duration<double>(kPlay).count();
        state.counters["player_cpu_s_per_h"] = player * perHour;
        state.counters["server_cpu_s_per_h"] = serverCpu * perHour;
        state.counters["total_cpu_s_per_h"] = (player + serverCpu) * perHour;
        if (zaptTotalCpuSeconds > 0)
            state.counters["zapt_over_peer"] = zaptTotalCpuSeconds / (player + serverCpu);
    }
}
BENCHMARK_CAPTURE(BM_PeerPlayback, mpg123, Peer::Mpg123)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PeerPlayback, audacious, Peer::Audacious)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
