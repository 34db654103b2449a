#pragma once

// A scratch file that each run of a fuzz target rewrites with its input, for readers that take
// a path. It lives in /dev/shm when there is one, so that writes and fsyncs cost nothing.
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

class FuzzInputFile {
public:
    explicit FuzzInputFile(const char* tag) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                   : tmp && *tmp                   ? tmp
                                                                   : "/tmp";
        path_ = folder + "/zapt_fuzz_" + tag + "_XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) {
            std::perror("mkstemp");
            std::abort();
        }
    }
    ~FuzzInputFile() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    FuzzInputFile(const FuzzInputFile&) = delete;
    FuzzInputFile& operator=(const FuzzInputFile&) = delete;

    void write(const uint8_t* data, size_t size) {
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, data, size, 0) != ssize_t(size))
            std::abort();
    }
    const std::string& path() const { return path_; }
    QString qpath() const { return QString::fromStdString(path_); }

private:
    std::string path_;
    int fd_ = -1;
};

// Stops the run with a message when an invariant of the reader does not hold; libFuzzer keeps
// the input that did it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
