#include "playback/output/AudioRenderer.h"
#include "playback/output/SoundDevice.h"
#include "playback/output/SoundSystem.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// The sound system's own rules, on a device the test makes go away: no real device can be
// unplugged in a test, so these cases are heard nowhere else. (test_audio runs on SDL's disk
// driver, so no PulseAudio server is looked for.)
namespace {

// What the test tells the device, and what the device was asked.
struct Script {
    std::mutex mutex;
    bool lost = false;
    int failingOpens = 0;     // the next opens that find nothing
    std::vector<bool> opens;  // anyOutput of each open
    int closes = 0;
};

class FakeDevice final : public SoundDevice {
public:
    explicit FakeDevice(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    bool start() override { return true; }
    bool open(int rate, std::chrono::microseconds, bool anyOutput) override {
        std::lock_guard lock(script_->mutex);
        script_->opens.push_back(anyOutput);
        open_ = script_->failingOpens-- <= 0;
        if (open_) {
            script_->lost = false;
            rate_ = rate;
        }
        return open_;
    }
    void close() override {
        std::lock_guard lock(script_->mutex);
        ++script_->closes;
        open_ = script_->lost = false;
    }
    bool wantsOpen(int rate) override {
        std::lock_guard lock(script_->mutex);
        return !open_ || script_->lost || rate_ != rate;
    }
    void attach(AudioRenderer* renderer, int rate) override { renderer->deviceRate.store(rate); }
    void detach(AudioRenderer*) override {}
    State state() override {
        std::lock_guard lock(script_->mutex);
        return script_->lost ? State::Lost : open_ ? State::Open : State::Closed;
    }
    bool isOpen() override {
        std::lock_guard lock(script_->mutex);
        return open_;
    }
    int rate() override {
        std::lock_guard lock(script_->mutex);
        return open_ ? rate_ : 0;
    }
    void retryPreferredOutput() override {}
    std::chrono::milliseconds watchInterval() override { return 10ms; }
    int64_t unheardFrames(const AudioRenderer*) override { return 0; }
    void volumeChanged(const AudioRenderer*) override {}

private:
    std::shared_ptr<Script> script_;
    bool open_ = false;
    int rate_ = 0;
};

class SilentRenderer final : public AudioRenderer {
public:
    size_t render(float* out, size_t samples, bool) override {
        std::fill_n(out, samples, 0.0f);
        return samples;
    }
    void volume(float& left, float& right) const override { left = right = 1.0f; }
};

}  // namespace

TEST(SoundSystemTest, ALostDeviceComesBackOnItsOwnOutputOrIsClosedWhenNothingPlays) {
    using S = SoundSystem::Status;
    struct Case {
        const char* name;
        int failingOpens;
        bool detachFirst;
        std::vector<bool> opensAfterLoss;  // anyOutput of each
        int closes;
        S status;          // at the end
        bool reportsLost;  // while it finds nothing
    };
    const Case cases[] = {
        {"reopened on its own output", 0, false, {false}, 0, S::Sound, false},
        {"tried again while it finds nothing", 2, false, {false, false, false}, 0, S::Sound, true},
        {"closed with nothing attached", 0, true, {}, 1, S::Closed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto script = std::make_shared<Script>();
        int made = 0;
        SoundSystem::setFallbackDeviceMaker([&](std::function<bool()>) {
            ++made;
            return std::make_unique<FakeDevice>(script);
        });
        std::mutex seenMutex;
        std::vector<S> seen;
        SoundSystem::setStatusHandler([&] {
            std::lock_guard lock(seenMutex);
            seen.push_back(SoundSystem::status());
        });
        ASSERT_TRUE(SoundSystem::acquire());
        ASSERT_EQ(made, 1);
        SilentRenderer renderer;
        ASSERT_TRUE(SoundSystem::attach(&renderer, 44100));
        if (c.detachFirst)
            SoundSystem::detach(&renderer);
        {
            std::lock_guard lock(script->mutex);
            script->opens.clear();
            script->failingOpens = c.failingOpens;
            script->lost = true;
        }
        const auto done = [&] {
            std::lock_guard lock(script->mutex);
            return script->opens.size() == c.opensAfterLoss.size() && script->closes == c.closes &&
                   !script->lost;
        };
        for (int i = 0; i < 400 && !(done() && SoundSystem::status() == c.status); ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(done());
        EXPECT_EQ(SoundSystem::status(), c.status);
        {
            std::lock_guard lock(script->mutex);
            EXPECT_EQ(script->opens, c.opensAfterLoss);
        }
        if (c.reportsLost) {
            std::lock_guard lock(seenMutex);
            EXPECT_NE(std::find(seen.begin(), seen.end(), S::Lost), seen.end());
        }
        SoundSystem::detach(&renderer);
        SoundSystem::release();
        SoundSystem::setStatusHandler({});
        SoundSystem::setFallbackDeviceMaker({});
    }
}
