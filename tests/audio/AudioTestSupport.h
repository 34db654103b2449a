#pragma once

#include "AudioCapture.h"
#include "support/TempDir.h"
#include "support/ToneFiles.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

// Counts end reports from any thread and lets a test wait for them.
class EndCounter {
public:
    void hit() {
        std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    // True when at least `n` reports arrived within `timeout`.
    bool waitFor(int n, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return count_ >= n; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

inline std::string tempPath(const TempDir& dir, const char* name) {
    return dir.file(QString::fromUtf8(name)).toStdString();
}
