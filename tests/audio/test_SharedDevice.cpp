#include "AudioTestSupport.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/decoder/vbmp3.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/SoundSystem.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <utility>

using namespace std::chrono_literals;

// Both outputs of the player share one sound device that outlives songs; these cases check
// what that sharing must never change: every song complete in what the device received, no
// end report after a stop, one output heard at a time, and a device that closes when idle and
// opens again for the next song.
namespace {

// Runs of sound (first and last frame), split where more than two frames are silent.
std::vector<std::pair<long, long>> soundRuns(const std::vector<float>& samples) {
    std::vector<std::pair<long, long>> runs;
    for (long f = 0; f < long(samples.size() / 2); ++f) {
        if (std::fabs(samples[size_t(2 * f)]) <= 1e-4f &&
            std::fabs(samples[size_t(2 * f + 1)]) <= 1e-4f)
            continue;
        if (runs.empty() || f - runs.back().second > 3)
            runs.push_back({f, f});
        else
            runs.back().second = f;
    }
    return runs;
}

long soundFrames(const AudioCapture& capture) {
    long frames = 0;
    for (const auto& [first, last] : soundRuns(capture.samples()))
        frames += last - first + 1;
    return frames;
}

// The tones heard in turn, from 10 ms windows of the left channel: 440 or 660 Hz, with windows
// of silence, of both tones or of anything else skipped and repeats merged.
std::vector<int> toneSequence(const AudioCapture& capture, int rate) {
    std::vector<int> tones;
    const long window = rate / 100;
    for (long start = 0; start + window <= capture.frames(); start += window) {
        std::vector<float> left;
        for (long f = start; f < start + window; ++f)
            left.push_back(capture.samples()[size_t(2 * f)]);
        if (AudioCapture::amplitude(left) < 0.1)
            continue;
        const double hz = AudioCapture::frequency(left, rate);
        const int tone = std::fabs(hz - 440) < 30 ? 440 : std::fabs(hz - 660) < 30 ? 660 : 0;
        if (tone != 0 && (tones.empty() || tones.back() != tone))
            tones.push_back(tone);
    }
    return tones;
}

std::string writeTone(const TempDir& dir, const char* name, double seconds, double hz,
                      int rate = 44100) {
    ToneSpec tone;
    tone.seconds = seconds;
    tone.sampleRate = rate;
    tone.frequency[0] = tone.frequency[1] = hz;
    const std::string file = tempPath(dir, name);
    const bool mp3 = std::string(name).ends_with(".mp3");
    EXPECT_TRUE(mp3 ? ToneFiles::writeMp3(file, tone, 192) : ToneFiles::writeWav(file, tone));
    return file;
}

class SharedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { AudioCapture(tempPath(dir, "unread.raw")).arm(); }
    void TearDown() override { SoundSystem::setIdleCloseDelay(5s); }

    // True once the housekeeping thread has closed the idle device.
    static bool waitForClose() {
        for (int i = 0; i < 500 && SoundSystem::deviceOpen(); ++i)
            std::this_thread::sleep_for(10ms);
        return !SoundSystem::deviceOpen();
    }

    TempDir dir;
};

void onLibraryEnd(int32_t, intptr_t user) {
    reinterpret_cast<EndCounter*>(user)->hit();
}

TEST_F(SharedDeviceTest, SongsPlayedBackToBackAreBothCompleteWithAShortSilenceBetween) {
    for (const char* ext : {".wav", ".mp3"}) {
        SCOPED_TRACE(ext);
        const std::string first = writeTone(dir, (std::string("first") + ext).c_str(), 0.3, 440);
        const std::string second = writeTone(dir, (std::string("second") + ext).c_str(), 0.35, 660);
        AudioCapture capture(tempPath(dir, "pair.raw"));
        capture.arm();
        EndCounter ends;
        ASSERT_TRUE(vbmp3_init());
        vbmp3_callback(&onLibraryEnd, reinterpret_cast<intptr_t>(&ends));
        OpenFileInfo info{};
        ASSERT_TRUE(vbmp3_open(first.c_str(), &info));
        ASSERT_TRUE(vbmp3_play());
        ASSERT_TRUE(ends.waitFor(1));
        // What the player does at the end of a song.
        vbmp3_stop();
        vbmp3_close();
        EXPECT_TRUE(SoundSystem::deviceOpen());  // kept for the next song
        ASSERT_TRUE(vbmp3_open(second.c_str(), &info));
        ASSERT_TRUE(vbmp3_play());
        ASSERT_TRUE(ends.waitFor(2));
        vbmp3_stop();
        vbmp3_stopCallback();
        vbmp3_free();
        ASSERT_TRUE(capture.load());

        const auto runs = soundRuns(capture.samples());
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_NEAR(double(runs[0].second - runs[0].first + 1), 0.3 * 44100, 60.0);
        EXPECT_NEAR(double(runs[1].second - runs[1].first + 1), 0.35 * 44100, 60.0);
        EXPECT_EQ(toneSequence(capture, 44100), (std::vector<int>{440, 660}));
        // The rest of the first song's last device buffer is silent; a bound of two buffers
        // allows for the second song starting one buffer late.
        EXPECT_LT(runs[1].first - runs[0].second, 2 * SoundSystem::bufferFrames(44100));
    }
}

TEST_F(SharedDeviceTest, NoEndReportRunsAfterStopReturns) {
    const std::vector<std::string> files = {writeTone(dir, "a.wav", 0.02, 440),
                                            writeTone(dir, "b.wav", 0.04, 660),
                                            writeTone(dir, "c.mp3", 0.03, 440)};
    struct Watched {
        AudioOutput output;
        std::atomic<bool> stopped{false};
        std::atomic<int> stale{0};
        std::atomic<int> ends{0};
    } outputs[2];
    for (Watched& w : outputs) {
        w.output.setEndHandler([&w] {
            if (w.stopped.load())
                ++w.stale;
            ++w.ends;
        });
    }
    std::mt19937 random(99);
    for (int i = 0; i < 250; ++i) {
        // Two outputs in turn: each play takes the device from the other.
        Watched& w = outputs[i % 2];
        ASSERT_TRUE(w.output.load(PcmSourceFactory::open(files[random() % files.size()])));
        w.stopped = false;
        ASSERT_TRUE(w.output.play());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        if (random() % 4 == 0)
            w.output.pause();
        w.output.stop();
        w.stopped = true;
    }
    std::this_thread::sleep_for(100ms);
    for (Watched& w : outputs) {
        EXPECT_EQ(w.stale, 0);
        EXPECT_GT(w.ends, 0);  // the waits were long enough for some songs to end
    }
}

TEST_F(SharedDeviceTest, OutputsTakeTheDeviceFromEachOtherAndAreNeverHeardTogether) {
    const std::string low = writeTone(dir, "low.wav", 2.0, 440);
    const std::string high = writeTone(dir, "high.wav", 0.3, 660);
    AudioCapture capture(tempPath(dir, "both.raw"));
    capture.arm();
    EndCounter lowEnds, highEnds;
    {
        AudioOutput a, b;
        a.setEndHandler([&] { lowEnds.hit(); });
        b.setEndHandler([&] { highEnds.hit(); });
        ASSERT_TRUE(a.load(PcmSourceFactory::open(low)));
        ASSERT_TRUE(b.load(PcmSourceFactory::open(high)));
        ASSERT_TRUE(a.play());
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(b.play());
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(a.play());  // from its start, taking the device back
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(b.play());
        ASSERT_TRUE(highEnds.waitFor(1));
        // The displaced output stood still: its two seconds cannot have run out.
        EXPECT_EQ(a.state(), AudioOutput::Playing);
        EXPECT_LT(a.positionSeconds(), 1);
        a.stop();
        b.stop();
        ASSERT_TRUE(capture.load());
    }
    EXPECT_EQ(lowEnds.count(), 0);
    EXPECT_EQ(highEnds.count(), 1);
    EXPECT_EQ(toneSequence(capture, 44100), (std::vector<int>{440, 660, 440, 660}));
}

TEST_F(SharedDeviceTest, IdleDeviceClosesAndOpensAgainWherePlayingGoesOn) {
    SoundSystem::setIdleCloseDelay(100ms);
    const std::string song = writeTone(dir, "song.wav", 0.2, 440);
    const std::string longer = writeTone(dir, "longer.wav", 1.0, 660);
    EndCounter ends;
    AudioOutput output;
    output.setEndHandler([&] { ends.hit(); });

    AudioCapture first(tempPath(dir, "first.raw"));
    first.arm();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(song)));
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(1));
    output.stop();
    ASSERT_TRUE(waitForClose());
    ASSERT_TRUE(first.load());
    EXPECT_NEAR(double(soundFrames(first)), 0.2 * 44100, 60.0);

    // Paused long enough for the device to close; resuming opens it again and goes on.
    AudioCapture beforePause(tempPath(dir, "before.raw"));
    beforePause.arm();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(longer)));
    ASSERT_TRUE(output.play());
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(output.pause());
    ASSERT_TRUE(waitForClose());
    ASSERT_TRUE(beforePause.load());
    AudioCapture afterPause(tempPath(dir, "after.raw"));
    afterPause.arm();
    EXPECT_EQ(output.state(), AudioOutput::Paused);
    ASSERT_TRUE(output.resume());
    EXPECT_TRUE(SoundSystem::deviceOpen());
    ASSERT_TRUE(ends.waitFor(2));
    EXPECT_EQ(output.positionSeconds(), 1);
    output.stop();
    ASSERT_TRUE(afterPause.load());
    // Nothing lost or repeated across the close: the two parts make the whole file.
    EXPECT_GT(soundFrames(beforePause), 0);
    EXPECT_GT(soundFrames(afterPause), 0);
    EXPECT_NEAR(double(soundFrames(beforePause) + soundFrames(afterPause)), 1.0 * 44100, 120.0);
}

TEST_F(SharedDeviceTest, ASongAtAnotherRateGetsTheDeviceAtItsOwnRate) {
    const std::string cd = writeTone(dir, "cd.wav", 0.2, 440);
    const std::string low = writeTone(dir, "low.wav", 0.3, 660, 22050);
    EndCounter ends;
    AudioOutput output;
    output.setEndHandler([&] { ends.hit(); });
    AudioCapture atCdRate(tempPath(dir, "cd.raw"));
    atCdRate.arm();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(cd)));
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(1));
    output.stop();
    EXPECT_EQ(SoundSystem::deviceRate(), 44100);

    // The reopen at the new rate starts a new capture file.
    AudioCapture atLowRate(tempPath(dir, "low.raw"));
    atLowRate.arm();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(low)));
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(2));
    EXPECT_EQ(output.positionSeconds(), 0);
    output.stop();
    EXPECT_EQ(SoundSystem::deviceRate(), 22050);
    ASSERT_TRUE(atLowRate.load());
    ASSERT_TRUE(atCdRate.load());
    EXPECT_NEAR(double(soundFrames(atCdRate)), 0.2 * 44100, 60.0);
    // Played at its own rate, not resampled: all of its frames at the file's pitch.
    EXPECT_NEAR(double(soundFrames(atLowRate)), 0.3 * 22050, 40.0);
    EXPECT_NEAR(AudioCapture::frequency(atLowRate.soundOf(0, 100), 22050), 660.0, 6.0);
}

}  // namespace
