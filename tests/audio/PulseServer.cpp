#include "PulseServer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string file = dirs.substr(start, end - start) + "/" + program;
        if (access(file.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

pid_t spawnChild(const std::vector<std::string>& args, int outFd) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // Only async-signal-safe calls from here on: the parent has other threads.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    const int null = open("/dev/null", O_WRONLY);
    dup2(outFd >= 0 ? outFd : null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
}

BusyLoops::BusyLoops(int count) {
    for (int i = 0; i < count; ++i)
        pids_.push_back(spawnChild({"yes"}));
}

BusyLoops::~BusyLoops() {
    for (pid_t pid : pids_) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

namespace {

int runAndWait(const std::vector<std::string>& args) {
    const pid_t pid = spawnChild(args);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

PulseServer::PulseServer() {
    char pattern[] = "/tmp/zapt-pulse-XXXXXX";
    if (mkdtemp(pattern))
        dir_ = pattern;
    // The server and its clients look for each other here only.
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);
    const std::string clientConfig = dir_ + "/client.conf";
    std::ofstream(clientConfig) << "autospawn = no\n";
    setenv("PULSE_CLIENTCONFIG", clientConfig.c_str(), 1);
}

PulseServer::~PulseServer() {
    kill();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool PulseServer::installed() {
    return onPath("pulseaudio") && onPath("parec");
}

bool PulseServer::start() {
    if (dir_.empty())
        return false;
    logs_.push_back(dir_ + "/server" + std::to_string(logs_.size()) + ".log");
    pid_ = spawnChild({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                       "--system=false", "--log-level=debug", "--log-target=file:" + logs_.back(),
                       "-L", "module-native-protocol-unix auth-anonymous=1", "-L",
                       "module-null-sink sink_name=null", "-L", "module-always-sink"});
    if (pid_ < 0)
        return false;
    for (int i = 0; i < 100; ++i) {
        if (runAndWait({"pactl", "info"}) == 0)
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        usleep(100000);
    }
    return false;
}

void PulseServer::kill() {
    if (pid_ < 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

int PulseServer::underruns() const {
    int count = 0;
    for (const std::string& log : logs_) {
        std::ifstream in(log);
        std::string line;
        while (std::getline(in, line)) {
            if (line.find("Underrun on") != std::string::npos ||
                line.find("Implicit underrun") != std::string::npos)
                ++count;
        }
    }
    return count;
}

SinkRecorder::SinkRecorder(int rate) : rate_(rate) {}

SinkRecorder::~SinkRecorder() {
    stop();
}

bool SinkRecorder::start() {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    pid_ = spawnChild({"parec", "-d", "null.monitor", "--raw", "--format=float32le",
                       "--rate=" + std::to_string(rate_), "--channels=2", "--latency-msec=10"},
                      pipeFds[1]);
    close(pipeFds[1]);
    fd_ = pipeFds[0];
    if (pid_ < 0)
        return false;
    thread_ = std::thread([this] { run(); });
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard lock(mutex_);
            if (!pieces_.empty())
                return true;
        }
        usleep(10000);
    }
    return false;
}

void SinkRecorder::stop() {
    if (pid_ >= 0) {
        ::kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    quit_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

void SinkRecorder::run() {
    std::vector<char> chunk(1 << 16);
    std::vector<char> partial;  // bytes of a sample cut by a read
    while (!quit_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = read(fd_, chunk.data(), chunk.size());
        if (n <= 0)
            break;
        const auto arrived = Clock::now();
        partial.insert(partial.end(), chunk.begin(), chunk.begin() + n);
        const size_t frameBytes = 2 * sizeof(float);
        const size_t whole = partial.size() / frameBytes * frameBytes;
        std::lock_guard lock(mutex_);
        const size_t old = samples_.size();
        samples_.resize(old + whole / sizeof(float));
        std::memcpy(samples_.data() + old, partial.data(), whole);
        partial.erase(partial.begin(), partial.begin() + long(whole));
        pieces_.push_back({arrived, samples_.size() / 2});
    }
}

std::vector<float> SinkRecorder::samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

SinkRecorder::Clock::time_point SinkRecorder::timeOf(long frame) const {
    std::lock_guard lock(mutex_);
    for (const Piece& piece : pieces_) {
        if (size_t(frame) < piece.endFrame) {
            const auto after =
                std::chrono::duration<double>(double(piece.endFrame - size_t(frame)) / rate_);
            return piece.arrived - std::chrono::duration_cast<Clock::duration>(after);
        }
    }
    return pieces_.empty() ? Clock::time_point{} : pieces_.back().arrived;
}

long SinkRecorder::frameAt(Clock::time_point time) const {
    // The first frame of the first piece that arrived after `time`.
    std::lock_guard lock(mutex_);
    size_t frame = 0;
    for (const Piece& piece : pieces_) {
        if (piece.arrived > time)
            return long(frame);
        frame = piece.endFrame;
    }
    return long(frame);
}

long SinkRecorder::lastSoundBefore(Clock::time_point until, float level) const {
    const long end = frameAt(until);
    std::lock_guard lock(mutex_);
    for (long f = std::min(end, long(samples_.size() / 2)) - 1; f >= 0; --f) {
        if (std::fabs(samples_[size_t(2 * f)]) > level ||
            std::fabs(samples_[size_t(2 * f + 1)]) > level)
            return f;
    }
    return -1;
}

long SinkRecorder::firstSoundAfter(Clock::time_point from, float level) const {
    const long start = frameAt(from);
    std::lock_guard lock(mutex_);
    for (long f = start; f < long(samples_.size() / 2); ++f) {
        if (std::fabs(samples_[size_t(2 * f)]) > level ||
            std::fabs(samples_[size_t(2 * f + 1)]) > level)
            return f;
    }
    return -1;
}
