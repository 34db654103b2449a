#include "AudioTestSupport.h"
#include "PulseServer.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/SoundSystem.h"

#include <algorithm>
#include <cmath>
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
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "drop-outs are judged in the optimised build; a sanitizer's unoptimised code "
                    "under two busy loops says nothing about them";
#endif
    const std::string song = tone("long.wav", 20.0);
    BusyLoops busy(2);
    EndCounter ends;
    AudioOutput output;
    output.setEndHandler([&] { ends.hit(); });
    ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
    ASSERT_TRUE(output.play());
    EXPECT_EQ(SoundSystem::status(), SoundSystem::Status::Sound);
    EXPECT_TRUE(SoundSystem::usingPulse());
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

// The server holds half a second that the player has already given out. A song's end is
// reported when its last sample is heard, not when the server took it; and pausing throws
// the held part away without losing it: the whole tone is heard, once.
TEST_F(PulseTest, EndsComeWhenHeardAndAPauseLosesNothing) {
    const std::string shortSong = tone("short.wav", 0.3);
    const std::string longSong = tone("long.wav", 2.0);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    EndCounter ends;
    Clock::time_point endedAt;
    AudioOutput output;
    output.setEndHandler([&] {
        endedAt = Clock::now();
        ends.hit();
    });

    ASSERT_TRUE(output.load(PcmSourceFactory::open(shortSong)));
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(1));
    std::this_thread::sleep_for(300ms);
    const long last = recorder.lastSoundBefore(Clock::now());
    ASSERT_GE(last, 0);
    // The recorder's clock runs late, never early.
    EXPECT_LT(recorder.timeOf(last) - endedAt, 60ms);
    EXPECT_GT(recorder.timeOf(last) - endedAt, -60ms);

    const auto from = Clock::now();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(longSong)));
    ASSERT_TRUE(output.play());
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(output.pause());
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(output.resume());
    }
    ASSERT_TRUE(ends.waitFor(2, 10s));
    std::this_thread::sleep_for(300ms);
    recorder.stop();
    const std::vector<float> samples = recorder.samples();
    long loud = 0;
    for (long f = recorder.firstSoundAfter(from); f >= 0 && size_t(2 * f + 1) < samples.size(); ++f)
        loud += std::abs(samples[size_t(2 * f)]) > 0.01f;
    // A sine of amplitude 0.5 is below 0.01 for a little of every cycle. Each pause may cost
    // the few milliseconds the server's timing lags by; without starting over from what was
    // heard, each would cost most of half a second.
    EXPECT_NEAR(double(loud) / recorder.rate(), 2.0 * (1.0 - 2.0 / M_PI * std::asin(0.02)), 0.1);
}

// Quiet frames between the first and the last sound: the longest run, and how many runs of
// more than a few frames there are (a sine crosses zero within a frame or two).
struct Quiet {
    long longest = 0;
    int runs = 0;
};
Quiet quietBetweenSounds(const std::vector<float>& samples) {
    const auto loud = [&](size_t f) {
        return std::abs(samples[2 * f]) > 0.002f || std::abs(samples[2 * f + 1]) > 0.002f;
    };
    const size_t frames = samples.size() / 2;
    size_t first = 0;
    while (first < frames && !loud(first))
        ++first;
    size_t last = frames;
    while (last > first && !loud(last - 1))
        --last;
    Quiet quiet;
    long run = 0;
    for (size_t f = first; f < last; ++f) {
        if (loud(f)) {
            quiet.runs += run > 3;
            run = 0;
        } else {
            quiet.longest = std::max(quiet.longest, ++run);
        }
    }
    return quiet;
}

// A tone cut in three plays as one: no quiet frame where the pieces meet, WAV and LAME MP3
// alike (the encoder's delay and padding are trimmed); a blank time is exactly that long.
TEST_F(PulseTest, CutPiecesJoinWithoutSilenceAndABlankTimeIsExact) {
    struct Case {
        const char* ending;
        int32_t blankMillis;
    };
    for (const Case c : {Case{".wav", 0}, Case{".mp3", 0}, Case{".wav", 700}}) {
        SCOPED_TRACE(std::string(c.ending) + " " + std::to_string(c.blankMillis));
        if (std::string(c.ending) == ".mp3" && !ToneFiles::canWriteMp3())
            continue;
        constexpr long kPiece = 44100 + 12345;
        std::vector<std::string> pieces;
        for (int i = 0; i < 3; ++i) {
            ToneSpec spec;
            spec.firstFrame = i * kPiece;
            spec.seconds = double(kPiece) / spec.sampleRate;
            pieces.push_back(tempPath(dir, ("piece" + std::to_string(i) + c.ending).c_str()));
            ASSERT_TRUE(std::string(c.ending) == ".wav"
                            ? ToneFiles::writeWav(pieces.back(), spec)
                            : ToneFiles::writeMp3(pieces.back(), spec, 192));
        }
        SinkRecorder recorder;
        ASSERT_TRUE(recorder.start());
        EndCounter ends;
        AudioOutput output;
        output.setEndHandler([&] { ends.hit(); });
        ASSERT_TRUE(output.load(PcmSourceFactory::open(pieces[0])));
        ASSERT_TRUE(output.play());
        for (int i = 1; i < 3; ++i) {
            ASSERT_TRUE(output.queueNext(PcmSourceFactory::open(pieces[size_t(i)]), c.blankMillis));
            ASSERT_TRUE(ends.waitFor(i, 10s));
        }
        ASSERT_TRUE(ends.waitFor(3, 10s));
        std::this_thread::sleep_for(300ms);
        recorder.stop();
        const Quiet quiet = quietBetweenSounds(recorder.samples());
        const long blank = 44100L * c.blankMillis / 1000;
        std::printf("%s, blank %d ms: longest quiet %ld frames\n", c.ending, c.blankMillis,
                    quiet.longest);
        EXPECT_EQ(quiet.runs, c.blankMillis > 0 ? 2 : 0);
        EXPECT_NEAR(double(quiet.longest), double(blank), c.blankMillis > 0 ? 2.0 : 3.0);
    }
}

TEST_F(PulseTest, ARestartedServerBringsTheSoundBackWhereItStopped) {
    const std::string song = tone("song.wav", 3.0);
    std::mutex mutex;
    std::vector<SoundSystem::Status> seen;
    SoundSystem::setStatusHandler([&] {
        std::lock_guard lock(mutex);
        seen.push_back(SoundSystem::status());
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
    EXPECT_EQ(SoundSystem::status(), SoundSystem::Status::Lost);
    EXPECT_EQ(ends.count(), 0);
    ASSERT_TRUE(server.start());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    const auto restarted = Clock::now();
    ASSERT_TRUE(ends.waitFor(1, 10s));
    EXPECT_EQ(SoundSystem::status(), SoundSystem::Status::Sound);
    // The rest of the song, 2.2 s less what was on its way to the old server, was heard on
    // the new one.
    const long first = recorder.firstSoundAfter(restarted);
    const long last = recorder.lastSoundBefore(Clock::now());
    ASSERT_GE(first, 0);
    EXPECT_GT(last - first, recorder.rate() * 2);
    output.stop();
    SoundSystem::setStatusHandler({});
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::vector{SoundSystem::Status::Sound, SoundSystem::Status::Lost,
                                 SoundSystem::Status::Sound}));
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
        EXPECT_TRUE(SoundSystem::usingSilentDriver());
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
        EXPECT_EQ(SoundSystem::status(), SoundSystem::Status::Sound);
        EXPECT_GE(recorder.firstSoundAfter(started), 0);
    }
    setenv("SDL_AUDIODRIVER", chosen.c_str(), 1);
}

}  // namespace
