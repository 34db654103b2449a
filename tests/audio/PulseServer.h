#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

// Starts a program with this process's environment, its standard output going to `outFd` (or
// nowhere) and its errors nowhere. It is killed when this process ends, however that happens.
pid_t spawnChild(const std::vector<std::string>& args, int outFd = -1);

// Busy loops (`yes` into nothing) beside a test, as on a loaded desktop.
class BusyLoops {
public:
    explicit BusyLoops(int count);
    ~BusyLoops();
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::vector<pid_t> pids_;
};

// A private PulseAudio server with one null sink named "null", for tests and benchmarks that
// need the real sound path. It runs in a private runtime folder and logs at debug level, where
// PulseAudio reports every underrun. start() points this process at it (PULSE_SERVER,
// XDG_RUNTIME_DIR) and keeps libpulse from spawning a server of its own.
class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Whether the pulseaudio and parec programs are installed.
    static bool installed();

    // Starts the server (again, after kill()) and waits until it answers.
    bool start();
    // Ends the server at once, as a crash would.
    void kill();
    pid_t pid() const { return pid_; }
    const std::string& runtimeDir() const { return dir_; }

    // Underruns of playback streams the server logged since the first start.
    int underruns() const;

private:
    std::string dir_;
    std::vector<std::string> logs_;
    pid_t pid_ = -1;
};

// Records the null sink's monitor with parec, noting when each piece arrives, so a test can
// tell when a sample was played.
class SinkRecorder {
public:
    using Clock = std::chrono::steady_clock;

    explicit SinkRecorder(int rate = 44100);
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // Starts parec and waits for its first samples.
    bool start();
    void stop();

    int rate() const { return rate_; }
    // Interleaved stereo samples recorded so far.
    std::vector<float> samples() const;
    // About when `frame` was played: the arrival of the piece that held it, less the frames
    // that followed it in that piece. Late rather than early: pieces arrive after they play.
    Clock::time_point timeOf(long frame) const;
    // The last frame before `until` that is louder than `level`, -1 when there is none.
    long lastSoundBefore(Clock::time_point until, float level = 0.01f) const;
    // The first frame at or after `from` that is louder than `level`, -1 when there is none.
    long firstSoundAfter(Clock::time_point from, float level = 0.01f) const;

private:
    struct Piece {
        Clock::time_point arrived;
        size_t endFrame;
    };
    long frameAt(Clock::time_point time) const;
    void run();

    int rate_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::atomic<bool> quit_{false};
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    std::vector<Piece> pieces_;
    std::thread thread_;
};
