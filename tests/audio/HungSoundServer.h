#pragma once

#include <atomic>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A sound server that has stopped answering: a unix socket that accepts every connection and
// then never reads nor writes a byte, as a PulseAudio server does that hangs (or was stopped
// with SIGSTOP after it began listening). Point PULSE_SERVER at address().
class HungSoundServer {
public:
    explicit HungSoundServer(const std::string& folder) : path_(folder + "/native") {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (listener_ < 0 || path_.size() >= sizeof address.sun_path || ::pipe(quit_) != 0)
            return;
        std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
        ::unlink(path_.c_str());
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0)
            return;
        listening_ = true;
        thread_ = std::thread([this] { run(); });
    }
    ~HungSoundServer() {
        if (thread_.joinable()) {
            [[maybe_unused]] const ssize_t n = ::write(quit_[1], "q", 1);
            thread_.join();
        }
        for (int fd : accepted_)
            ::close(fd);
        for (int fd : {listener_, quit_[0], quit_[1]})
            if (fd >= 0)
                ::close(fd);
        ::unlink(path_.c_str());
    }
    HungSoundServer(const HungSoundServer&) = delete;
    HungSoundServer& operator=(const HungSoundServer&) = delete;

    bool listening() const { return listening_; }
    std::string address() const { return "unix:" + path_; }
    // Connections accepted so far (each one left without an answer).
    int connections() const { return connections_.load(); }

private:
    void run() {
        for (;;) {
            pollfd fds[2] = {{listener_, POLLIN, 0}, {quit_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0)
                continue;
            if (fds[1].revents)
                return;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                accepted_.push_back(fd);  // held open, never served
                connections_.fetch_add(1);
            }
        }
    }

    std::string path_;
    int listener_ = -1;
    int quit_[2] = {-1, -1};
    bool listening_ = false;
    std::atomic<int> connections_{0};
    std::vector<int> accepted_;  // the thread's own until it has been joined
    std::thread thread_;
};
