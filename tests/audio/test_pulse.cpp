#include "AudioTestSupport.h"
#include "PulseServer.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/SdlAudioSystem.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The output through a real sound server: a private PulseAudio with a null sink, recorded from
// the sink's monitor. Run with SDL_AUDIODRIVER=pulseaudio.
namespace {

class PulseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PulseServer::installed())
            GTEST_SKIP() << "pulseaudio and parec are not installed";
        ASSERT_TRUE(server.start());
    }

    std::string tone(const char* name, double seconds, double silentFrom = -1) {
        ToneSpec spec;
        spec.seconds = seconds;
        spec.frequency[0] = spec.frequency[1] = 440;
        // 440 Hz ends a whole cycle on every whole second: from there on the file is silent.
        spec.changeAtSecond = silentFrom;
        spec.laterFactor = 0;
        const std::string file = tempPath(dir, name);
        EXPECT_TRUE(ToneFiles::writeWav(file, spec));
        return file;
    }

    PulseServer server;
    TempDir dir;
};

TEST_F(PulseTest, TwentySecondsUnderLoadNeverRunDry) {
    const std::string song = tone("long.wav", 20.0);
    BusyLoops busy(2);
    EndCounter ends;
    AudioOutput output;
    output.setEndHandler([&] { ends.hit(); });
    ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
    ASSERT_TRUE(output.play());
    EXPECT_EQ(SdlAudioSystem::status(), SdlAudioSystem::Status::Sound);
    ASSERT_TRUE(ends.waitFor(1, 40s));
    output.stop();
    EXPECT_EQ(server.underruns(), 0);
}

// Stop, pause, a seek into silence and the volume turned down each end the tone; what matters
// is when the sink plays its last sample. The recorder's clock can only run late, so the best
// of a few tries is the one to judge.
TEST_F(PulseTest, StopPauseSeekAndVolumeAreHeardWithinATenthOfASecond) {
    const std::string song = tone("tone.wav", 8.0, 5.0);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    AudioOutput output;
    struct Action {
        const char* name;
        std::function<void()> act;
    };
    const Action actions[] = {
        {"stop", [&] { output.stop(); }},
        {"pause", [&] { output.pause(); }},
        {"seek", [&] { output.seekSeconds(6); }},
        {"volume", [&] { output.setSoftVolume(0, 0); }},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        auto best = Clock::duration::max();
        for (int attempt = 0; attempt < 3; ++attempt) {
            output.setSoftVolume(100, 100);
            ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
            ASSERT_TRUE(output.play());
            std::this_thread::sleep_for(400ms);
            const auto acted = Clock::now();
            action.act();
            std::this_thread::sleep_for(300ms);
            const long last = recorder.lastSoundBefore(Clock::now());
            ASSERT_GE(last, 0);
            best = std::min(best, recorder.timeOf(last) - acted);
        }
        output.stop();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(best);
        std::printf("%s heard after %lld ms\n", action.name, static_cast<long long>(ms.count()));
        EXPECT_LT(ms, 100ms);
    }
}

TEST_F(PulseTest, ARestartedServerBringsTheSoundBackWhereItStopped) {
    const std::string song = tone("song.wav", 3.0);
    std::mutex mutex;
    std::vector<SdlAudioSystem::Status> seen;
    SdlAudioSystem::setStatusHandler([&] {
        std::lock_guard lock(mutex);
        seen.push_back(SdlAudioSystem::status());
    });
    EndCounter ends;
    AudioOutput output;
    output.setEndHandler([&] { ends.hit(); });
    ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
    ASSERT_TRUE(output.play());
    std::this_thread::sleep_for(800ms);
    server.kill();
    // Down longer than the rest of the song: had it played on into nothing, it would end.
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(SdlAudioSystem::status(), SdlAudioSystem::Status::Lost);
    EXPECT_EQ(ends.count(), 0);
    ASSERT_TRUE(server.start());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    const auto restarted = Clock::now();
    ASSERT_TRUE(ends.waitFor(1, 10s));
    EXPECT_EQ(SdlAudioSystem::status(), SdlAudioSystem::Status::Sound);
    // The rest of the song, 2.2 s less what was on its way to the old server, was heard on
    // the new one.
    const long first = recorder.firstSoundAfter(restarted);
    const long last = recorder.lastSoundBefore(Clock::now());
    ASSERT_GE(first, 0);
    EXPECT_GT(last - first, recorder.rate() * 2);
    output.stop();
    SdlAudioSystem::setStatusHandler({});
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::vector{SdlAudioSystem::Status::Sound, SdlAudioSystem::Status::Lost,
                                 SdlAudioSystem::Status::Sound}));
}

// With no driver chosen and no server up at the first play, the player plays on the silent
// driver; once a server is up, the next play is heard.
TEST_F(PulseTest, AServerStartedLateIsUsedFromTheNextPlay) {
    const std::string song = tone("late.wav", 0.6);
    const std::string chosen = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    unsetenv("SDL_AUDIODRIVER");
    server.kill();
    EndCounter ends;
    {
        AudioOutput output;
        output.setEndHandler([&] { ends.hit(); });
        testing::internal::CaptureStderr();
        ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
        ASSERT_TRUE(output.play());
        EXPECT_TRUE(SdlAudioSystem::usingSilentDriver());
        EXPECT_TRUE(ends.waitFor(1));
        output.stop();
        testing::internal::GetCapturedStderr();

        ASSERT_TRUE(server.start());
        SinkRecorder recorder;
        ASSERT_TRUE(recorder.start());
        const auto started = Clock::now();
        ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
        ASSERT_TRUE(output.play());
        EXPECT_TRUE(ends.waitFor(2));
        output.stop();
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(SdlAudioSystem::status(), SdlAudioSystem::Status::Sound);
        EXPECT_GE(recorder.firstSoundAfter(started), 0);
    }
    setenv("SDL_AUDIODRIVER", chosen.c_str(), 1);
}

}  // namespace
