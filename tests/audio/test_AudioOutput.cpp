#include "AudioTestSupport.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/GainStage.h"
#include "playback/output/PcmConverter.h"
#include "playback/output/ReplayGain.h"
#include "playback/output/SoundSystem.h"
#include "playback/output/SpscRingBuffer.h"
#include "support/Id3TagBuilder.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sndfile.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

class AudioOutputTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return tempPath(dir, name); }

    // Plays the file to its end and returns what the device received.
    AudioCapture playToEnd(const std::string& file, int deviceRate = 0) {
        AudioCapture capture(path("device.raw"));
        capture.arm();
        output.setDeviceRate(deviceRate);
        EXPECT_TRUE(output.load(PcmSourceFactory::open(file)));
        EXPECT_TRUE(output.play());
        EXPECT_TRUE(ends.waitFor(++expectedEnds));
        output.stop();
        EXPECT_TRUE(capture.load());
        return capture;
    }

    void SetUp() override {
        // The disk driver needs a file it can write even where a test reads none back.
        AudioCapture(path("unread.raw")).arm();
        output.setEndHandler([this] { ends.hit(); });
    }

    TempDir dir;
    EndCounter ends;
    int expectedEnds = 0;
    AudioOutput output;
};

struct WavCase {
    ToneFiles::WavEncoding encoding;
    int rate;
    int channels;
};

class WavPitchTest : public AudioOutputTest, public ::testing::WithParamInterface<WavCase> {};

TEST_P(WavPitchTest, DeviceGetsTheFilesToneAndLevel) {
    const WavCase c = GetParam();
    ToneSpec tone;
    tone.sampleRate = c.rate;
    tone.channels = c.channels;
    tone.seconds = 0.4;
    tone.frequency[0] = 440;
    tone.frequency[1] = 660;
    tone.amplitude[0] = 0.5;
    tone.amplitude[1] = 0.25;
    const std::string file = path("tone.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone, c.encoding));

    const AudioCapture capture = playToEnd(file);
    const auto left = capture.soundOf(0, 100);
    const auto right = capture.soundOf(1, 100);
    // The whole file reached the device before the end was reported.
    EXPECT_NEAR(double(left.size() + 200), tone.seconds * c.rate, 4.0);
    EXPECT_NEAR(AudioCapture::frequency(left, c.rate), 440.0, 4.0);
    EXPECT_NEAR(AudioCapture::amplitude(left), 0.5, 0.02);
    // Mono goes to both channels; stereo keeps its own right channel.
    EXPECT_NEAR(AudioCapture::frequency(right, c.rate), c.channels == 1 ? 440.0 : 660.0, 6.0);
    EXPECT_NEAR(AudioCapture::amplitude(right), c.channels == 1 ? 0.5 : 0.25, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Encodings, WavPitchTest,
                         ::testing::Values(WavCase{ToneFiles::WavEncoding::PcmU8, 22050, 1},
                                           WavCase{ToneFiles::WavEncoding::Pcm16, 44100, 2},
                                           WavCase{ToneFiles::WavEncoding::Pcm24, 48000, 2},
                                           WavCase{ToneFiles::WavEncoding::Pcm32, 96000, 1},
                                           WavCase{ToneFiles::WavEncoding::Float, 8000, 2}));

struct Mp3Case {
    int rate;
    int channels;
    int kbps;
};

class Mp3PitchTest : public AudioOutputTest, public ::testing::WithParamInterface<Mp3Case> {};

TEST_P(Mp3PitchTest, DeviceGetsTheFilesToneAndLevel) {
    ASSERT_TRUE(ToneFiles::canWriteMp3());
    const Mp3Case c = GetParam();
    ToneSpec tone;
    tone.sampleRate = c.rate;
    tone.channels = c.channels;
    tone.seconds = 0.5;
    tone.frequency[0] = 440;
    tone.frequency[1] = 880;
    const std::string file = path("tone.mp3");
    ASSERT_TRUE(ToneFiles::writeMp3(file, tone, c.kbps));

    const AudioCapture capture = playToEnd(file);
    const auto left = capture.soundOf(0, 1000);
    const auto right = capture.soundOf(1, 1000);
    ASSERT_GT(left.size(), size_t(c.rate / 5));
    EXPECT_NEAR(AudioCapture::frequency(left, c.rate), 440.0, 5.0);
    EXPECT_NEAR(AudioCapture::amplitude(left), 0.5, 0.05);
    EXPECT_NEAR(AudioCapture::frequency(right, c.rate), c.channels == 1 ? 440.0 : 880.0, 8.0);
    EXPECT_NEAR(AudioCapture::amplitude(right), 0.5, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, Mp3PitchTest,
                         ::testing::Values(Mp3Case{44100, 2, 192}, Mp3Case{48000, 2, 128},
                                           Mp3Case{32000, 1, 96}, Mp3Case{22050, 1, 64}));

TEST_F(AudioOutputTest, OtherRatesAreResampledToTheDeviceRate) {
    ToneSpec tone;
    tone.sampleRate = 22050;
    tone.channels = 1;
    tone.seconds = 0.4;
    tone.frequency[0] = 500;
    const std::string wav = path("low.wav");
    ASSERT_TRUE(ToneFiles::writeWav(wav, tone));
    const AudioCapture fromWav = playToEnd(wav, 48000);
    const auto left = fromWav.soundOf(0, 500);
    // Played at 48 kHz, the file's 0.4 s fill 0.4 s of device frames at the same pitch.
    EXPECT_NEAR(double(left.size() + 1000), 0.4 * 48000, 200.0);
    EXPECT_NEAR(AudioCapture::frequency(left, 48000), 500.0, 5.0);
    EXPECT_NEAR(AudioCapture::frequency(fromWav.soundOf(1, 500), 48000), 500.0, 5.0);
    EXPECT_NEAR(AudioCapture::amplitude(left), 0.5, 0.03);

    tone.sampleRate = 44100;
    tone.channels = 2;
    const std::string mp3 = path("cd.mp3");
    ASSERT_TRUE(ToneFiles::writeMp3(mp3, tone, 160));
    const AudioCapture fromMp3 = playToEnd(mp3, 48000);
    EXPECT_NEAR(AudioCapture::frequency(fromMp3.soundOf(0, 2000), 48000), 500.0, 5.0);
}

TEST_F(AudioOutputTest, SoftAndDeviceVolumeScaleEachChannel) {
    ToneSpec tone;
    tone.seconds = 0.3;
    tone.amplitude[0] = tone.amplitude[1] = 0.8;
    const std::string file = path("loud.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone, ToneFiles::WavEncoding::Float));

    output.setSoftVolume(50, 100);
    AudioCapture soft = playToEnd(file);
    EXPECT_NEAR(AudioCapture::amplitude(soft.soundOf(0, 100)), 0.4, 0.02);
    EXPECT_NEAR(AudioCapture::amplitude(soft.soundOf(1, 100)), 0.8, 0.02);

    output.setSoftVolume(100, 100);
    output.setDeviceVolume(100, 25);
    AudioCapture device = playToEnd(file);
    EXPECT_NEAR(AudioCapture::amplitude(device.soundOf(0, 100)), 0.8, 0.02);
    EXPECT_NEAR(AudioCapture::amplitude(device.soundOf(1, 100)), 0.2, 0.02);

    // Both stages together: 50 % of 50 %.
    output.setSoftVolume(50, 50);
    output.setDeviceVolume(50, 100);
    AudioCapture both = playToEnd(file);
    EXPECT_NEAR(AudioCapture::amplitude(both.soundOf(0, 100)), 0.2, 0.02);
    EXPECT_NEAR(AudioCapture::amplitude(both.soundOf(1, 100)), 0.4, 0.02);
}

TEST_F(AudioOutputTest, VolumesAreClampedAndReadBack) {
    int32_t left = -1, right = -1;
    output.softVolume(left, right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 100);
    output.setSoftVolume(150, -20);
    output.softVolume(left, right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 0);
    output.setDeviceVolume(42, 101);
    output.deviceVolume(left, right);
    EXPECT_EQ(left, 42);
    EXPECT_EQ(right, 100);
}

TEST_F(AudioOutputTest, PauseHoldsThePositionAndResumeGoesOn) {
    ToneSpec tone;
    tone.seconds = 2.5;
    const std::string file = path("long.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone));
    AudioCapture capture(path("device.raw"));
    capture.arm();
    ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
    EXPECT_EQ(output.lengthSeconds(), 2);
    ASSERT_TRUE(output.play());
    while (output.positionSeconds() < 1)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(output.pause());
    EXPECT_EQ(output.state(), AudioOutput::Paused);
    EXPECT_FALSE(output.pause());
    const int32_t held = output.positionSeconds();
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(output.positionSeconds(), held);
    EXPECT_EQ(output.state(), AudioOutput::Paused);
    ASSERT_TRUE(output.resume());
    EXPECT_EQ(output.state(), AudioOutput::Playing);
    ASSERT_TRUE(ends.waitFor(1));
    EXPECT_EQ(output.state(), AudioOutput::Stopped);
    EXPECT_EQ(output.positionSeconds(), 2);
    output.stop();
    ASSERT_TRUE(capture.load());
    // Nothing was lost or repeated around the pause.
    long sound = 0;
    for (long f = 0; f < capture.frames(); ++f)
        sound += std::fabs(capture.samples()[size_t(2 * f)]) > 1e-4f;
    EXPECT_NEAR(double(sound), 2.5 * 44100, 300.0);
}

TEST_F(AudioOutputTest, SeekLandsOnTheMillisecondAsked) {
    // 440 Hz for two seconds, then 880 Hz.
    ToneSpec tone;
    tone.seconds = 3.0;
    tone.changeAtSecond = 2.0;
    tone.laterFactor = 2.0;
    for (const char* name : {"change.wav", "change.mp3"}) {
        SCOPED_TRACE(name);
        const std::string file = path(name);
        ASSERT_TRUE(std::string(name).ends_with("wav") ? ToneFiles::writeWav(file, tone)
                                                       : ToneFiles::writeMp3(file, tone, 192));
        AudioCapture capture(path("device.raw"));
        capture.arm();
        ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
        EXPECT_FALSE(output.seekSeconds(1));  // not playing yet
        ASSERT_TRUE(output.play());
        std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(output.seekTo(2500ms));
        EXPECT_EQ(output.positionSeconds(), 2);
        EXPECT_FALSE(output.seekSeconds(4));  // past the end
        ASSERT_TRUE(ends.waitFor(++expectedEnds));
        output.stop();
        ASSERT_TRUE(capture.load());
        // After the seek, the later tone for the half second left (and the 50 ms before it).
        const auto left = capture.soundOf(0);
        ASSERT_GT(left.size(), size_t(22050));
        const std::vector<float> after(left.end() - 20000, left.end() - 1000);
        EXPECT_NEAR(AudioCapture::frequency(after, 44100), 880.0, 8.0);
        EXPECT_NEAR(double(left.size()), 44100 * 0.55, 44100 * 0.05);
    }
}

TEST_F(AudioOutputTest, EndIsReportedOnceAndNeverAfterStopOrReplace) {
    ToneSpec tone;
    tone.seconds = 0.3;
    const std::string file = path("short.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone));

    ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(1));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(output.state(), AudioOutput::Stopped);

    // Played again from the start: one more report.
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(2));

    // Stopped before its end: no report.
    ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
    ASSERT_TRUE(output.play());
    std::this_thread::sleep_for(100ms);
    output.stop();
    EXPECT_EQ(output.state(), AudioOutput::Stopped);
    EXPECT_FALSE(output.play());

    // Replaced by a new load while playing: only the new file reports.
    ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
    ASSERT_TRUE(output.play());
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(ends.count(), 2);
    ASSERT_TRUE(output.play());
    ASSERT_TRUE(ends.waitFor(3));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ends.count(), 3);
}

// A sine at any rate, without a file: headers can claim rates no file writer makes.
class SineSource : public PcmSource {
public:
    SineSource(int rate, double hz, int64_t frames) : rate_(rate), hz_(hz), frames_(frames) {}
    Format format() const override { return {rate_, 2}; }
    int64_t lengthFrames() const override { return frames_; }
    long read(float* out, long frames) override {
        const long n = long(std::min<int64_t>(frames, frames_ - next_));
        for (long i = 0; i < n; ++i, ++next_)
            out[2 * i] = out[2 * i + 1] =
                float(0.5 * std::sin(2 * M_PI * hz_ * double(next_) / rate_));
        return n;
    }
    bool seek(int64_t frame) override {
        next_ = std::clamp<int64_t>(frame, 0, frames_);
        return true;
    }

private:
    int rate_;
    double hz_;
    int64_t frames_;
    int64_t next_ = 0;
};

TEST_F(AudioOutputTest, RatesNoDeviceRunsAtAreResampledAndAbsurdOnesRefused) {
    struct Case {
        int sourceRate;
        int deviceRate;  // 0: refused at load()
    };
    for (const Case c :
         {Case{4000, 8000}, Case{768000, 384000}, Case{1, 0}, Case{999, 0}, Case{2147483647, 0}}) {
        SCOPED_TRACE(c.sourceRate);
        const int64_t frames = int64_t(c.sourceRate) / 2;  // half a second
        auto source = std::make_unique<SineSource>(c.sourceRate, 500.0, frames);
        if (c.deviceRate == 0) {
            EXPECT_FALSE(output.load(std::move(source)));
            continue;
        }
        AudioCapture capture(path("device.raw"));
        capture.arm();
        ASSERT_TRUE(output.load(std::move(source)));
        ASSERT_TRUE(output.play());
        ASSERT_TRUE(ends.waitFor(++expectedEnds));
        EXPECT_EQ(SoundSystem::deviceRate(), c.deviceRate);
        output.stop();
        ASSERT_TRUE(capture.load());
        const std::vector<float> left = capture.soundOf(0, c.deviceRate / 50);
        EXPECT_NEAR(double(left.size()), c.deviceRate * 0.46, c.deviceRate * 0.01);
        EXPECT_NEAR(AudioCapture::frequency(left, c.deviceRate), 500.0, 5.0);
    }
}

TEST(GainStageTest, DeviceGetsOnlyNumbersWithinFullScaleAtAnyGain) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float in, gain, out;
    };
    for (const Case c : {Case{nan, 1, 0}, Case{inf, 1, 1}, Case{-inf, 1, -1}, Case{1e30f, 1, 1},
                         Case{-1e30f, 1, -1}, Case{0.5f, 1, 0.5f}, Case{inf, 0, 0},
                         Case{nan, 0.5f, 0}, Case{1e30f, 0.5f, 0.5f}, Case{-0.5f, 0.5f, -0.25f}}) {
        SCOPED_TRACE(testing::Message() << c.in << " at gain " << c.gain);
        float samples[2] = {c.in, c.in};
        GainStage::apply(samples, 2, c.gain, c.gain);
        EXPECT_EQ(samples[0], c.out);
        EXPECT_EQ(samples[1], c.out);
    }
}

TEST(GainStageTest, SoftLimiterLeavesQuietSamplesAloneAndBendsLoudOnesBelowFullScale) {
    for (const float v : {0.0f, -0.0f, 0.25f, -0.5f, 0.89f, -0.891f, GainStage::kKnee}) {
        SCOPED_TRACE(v);
        const float out = GainStage::limit(v);
        EXPECT_EQ(std::memcmp(&out, &v, sizeof v), 0);
    }
    float previous = GainStage::kKnee;
    for (const float v : {0.9f, 0.95f, 1.0f, 1.2f, 2.0f, 4.0f, 16.0f}) {
        SCOPED_TRACE(v);
        const float out = GainStage::limit(v);
        EXPECT_GT(out, previous);  // louder stays louder
        EXPECT_LT(out, 1.0f);
        EXPECT_LE(out, v);
        EXPECT_EQ(GainStage::limit(-v), -out);
        previous = out;
    }
    // Smooth at the knee: no corner a hard clip would leave.
    EXPECT_NEAR(GainStage::limit(GainStage::kKnee + 1e-3f), GainStage::kKnee + 1e-3f, 2e-5f);
}

void writeTagged(const std::string& target, const std::string& mp3, const QString& gain) {
    using namespace Id3TagBuilder;
    QByteArray body = TextBody(0, QStringLiteral("REPLAYGAIN_TRACK_GAIN"));
    body += '\0' + gain.toUtf8();
    QFile in(QString::fromStdString(mp3));
    QFile out(QString::fromStdString(target));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(Tag(3, Frame(3, "TXXX", body)) + in.readAll());
}

TEST_F(AudioOutputTest, TrackGainSetsTheLevelAndTheLimiterKeepsBoostsWithinFullScale) {
    if (!ToneFiles::canWriteMp3())
        GTEST_SKIP() << "this libsndfile writes no MP3";
    ToneSpec tone;
    tone.seconds = 0.5;
    const std::string plain = path("plain.mp3");
    ASSERT_TRUE(ToneFiles::writeMp3(plain, tone, 192));
    writeTagged(path("quiet.mp3"), plain, QStringLiteral("-6.02 dB"));
    writeTagged(path("boosted.mp3"), plain, QStringLiteral("+12.00 dB"));

    const auto level = [&](const char* name) {
        return AudioCapture::amplitude(playToEnd(path(name)).soundOf(0, 2000));
    };
    const double untouched = level("plain.mp3");
    EXPECT_NEAR(untouched, 0.5, 0.02);
    EXPECT_NEAR(level("quiet.mp3") / untouched, 0.5, 0.01);

    const AudioCapture boosted = playToEnd(path("boosted.mp3"));
    float peak = 0;
    for (const float v : boosted.samples())
        peak = std::max(peak, std::abs(v));
    EXPECT_LT(peak, 1.0f);  // bent, never clipped flat
    EXPECT_GT(peak, 0.98f);
    EXPECT_GT(AudioCapture::amplitude(boosted.soundOf(0, 2000)), 0.9);

    ReplayGain::Settings off;
    off.mode = ReplayGain::Mode::Off;
    output.setReplayGain(off);
    EXPECT_NEAR(level("quiet.mp3") / untouched, 1.0, 0.01);
}

TEST_F(AudioOutputTest, UntaggedFilesReachTheDeviceBitForBit) {
    ToneSpec tone;
    tone.seconds = 0.3;
    tone.amplitude[0] = 0.85;
    tone.amplitude[1] = 0.3;
    const std::string file = path("float.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone, ToneFiles::WavEncoding::Float));
    const AudioCapture capture = playToEnd(file);
    const long first = capture.firstSound();
    ASSERT_GE(first, 0);
    // The first written frame is 0 (sin 0), so the sound starts one frame after it.
    long mismatches = 0;
    for (long i = 1; i < long(tone.seconds * tone.sampleRate); ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const float expected = float(ToneFiles::sampleAt(tone, ch, i));
            mismatches += capture.samples()[size_t(2 * (first - 1 + i) + ch)] != expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(SpscRingBufferTest, KeepsOrderAcrossTheWrapAndRefusesOverflow) {
    SpscRingBuffer ring(6);
    ASSERT_EQ(ring.capacity(), 8u);
    const float in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    float out[8] = {};
    EXPECT_EQ(ring.write(in, 6), 6u);
    EXPECT_EQ(ring.read(out, 4), 4u);
    EXPECT_EQ(ring.write(in, 8), 6u);  // only 6 free
    EXPECT_EQ(ring.readable(), 8u);
    EXPECT_EQ(ring.writable(), 0u);
    EXPECT_EQ(ring.read(out, 8), 8u);
    const float expected[8] = {5, 6, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
    EXPECT_EQ(ring.read(out, 1), 0u);
}

TEST(SpscRingBufferTest, ConsumerSeesEverySampleOnce) {
    SpscRingBuffer ring(1024);
    constexpr int kTotal = 200000;
    std::thread producer([&] {
        float next = 0;
        while (next < kTotal) {
            float block[37];
            for (float& b : block)
                b = next++;
            size_t done = 0;
            while (done < 37)
                done += ring.write(block + done, 37 - done);
        }
    });
    float expected = 0;
    bool inOrder = true;
    while (expected < kTotal) {
        float block[53];
        const size_t got = ring.read(block, 53);
        for (size_t i = 0; i < got; ++i)
            inOrder = inOrder && block[i] == expected++;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
}

TEST(PcmConverterTest, MonoFillsBothChannelsAndRateChangesKeepDuration) {
    PcmConverter converter;
    ASSERT_TRUE(converter.configure({44100, 1}, 44100));
    EXPECT_FALSE(converter.resampling());
    const float mono[3] = {0.1f, -0.2f, 0.3f};
    std::vector<float> out;
    converter.convert(mono, 3, out);
    EXPECT_EQ(out, (std::vector<float>{0.1f, 0.1f, -0.2f, -0.2f, 0.3f, 0.3f}));

    ASSERT_TRUE(converter.configure({4, 3}, 4));
    const float three[6] = {1, 2, 3, 4, 5, 6};
    converter.convert(three, 2, out);
    EXPECT_EQ(out, (std::vector<float>{1, 2, 4, 5}));

    ASSERT_TRUE(converter.configure({22050, 2}, 48000));
    EXPECT_TRUE(converter.resampling());
    std::vector<float> second(22050 * 2, 0.25f);
    size_t total = 0;
    converter.convert(second.data(), 22050, out);
    total += out.size();
    converter.flush(out);
    total += out.size();
    EXPECT_NEAR(double(total) / 2, 48000.0, 100.0);
    EXPECT_FALSE(converter.configure({0, 2}, 48000));
}

// Frames [from, to) of `tone` as a float WAV: the pieces of one recording cut anywhere.
bool writeCut(const std::string& file, ToneSpec tone, long from, long to) {
    tone.firstFrame = from;
    tone.seconds = double(to - from) / tone.sampleRate;
    return ToneFiles::writeWav(file, tone, ToneFiles::WavEncoding::Float);
}

class GaplessTest : public AudioOutputTest {
protected:
    void SetUp() override {
        AudioOutputTest::SetUp();
        tone.seconds = 2.1;
        tone.frequency[0] = 440;
        tone.frequency[1] = 660;
        tone.amplitude[0] = 0.7;
        tone.amplitude[1] = 0.4;
        ASSERT_TRUE(writeCut(path("first.wav"), tone, 0, kCut));
        ASSERT_TRUE(writeCut(path("second.wav"), tone, kCut, long(tone.seconds * 44100)));
    }
    bool loadAndQueue(std::optional<float> firstGainDb = {}, int32_t leadMillis = 0) {
        auto first = PcmSourceFactory::open(path("first.wav"));
        if (first)
            first->setTrackGainDb(firstGainDb);
        return output.load(std::move(first)) && output.play() &&
               output.queueNext(PcmSourceFactory::open(path("second.wav")), leadMillis);
    }

    // Samples of the whole tone, from its first frame on, that differ from what the device
    // played; the first `kCut` frames are expected at `firstGain`, the rest after `gapFrames`
    // of silence.
    long mismatchesWithTone(const AudioCapture& capture, long start, float firstGain = 1.0f,
                            long gapFrames = 0) {
        long mismatches = 0;
        const auto at = [&](long frame, int ch) {
            return capture.samples()[size_t(2 * (start + frame) + ch)];
        };
        for (long i = 0; i < long(tone.seconds * 44100); ++i) {
            const float scale = i < kCut ? firstGain : 1.0f;
            const long heard = i < kCut ? i : i + gapFrames;
            for (int ch = 0; ch < 2; ++ch)
                mismatches += at(heard, ch) != float(ToneFiles::sampleAt(tone, ch, i)) * scale;
        }
        for (long i = kCut; i < kCut + gapFrames; ++i)
            mismatches += at(i, 0) != 0.0f || at(i, 1) != 0.0f;
        return mismatches;
    }

    static constexpr long kCut = 19867;  // 0.45 s, in no block of any size the path uses
    ToneSpec tone;
};

TEST_F(GaplessTest, QueuedHalvesPlayAsTheUncutToneWithAnEndReportForEach) {
    const std::string device = path("device.raw");
    AudioCapture capture(device);
    capture.arm();
    // What the device had written when each end was reported.
    std::vector<long> writtenAtEnd;
    std::mutex mutex;
    output.setEndHandler([&] {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(device, error);
        {
            std::lock_guard lock(mutex);
            writtenAtEnd.push_back(error ? -1 : long(bytes / (2 * sizeof(float))));
        }
        ends.hit();
    });
    ASSERT_TRUE(loadAndQueue());
    EXPECT_EQ(output.lengthSeconds(), 0);
    ASSERT_TRUE(ends.waitFor(1));
    EXPECT_EQ(output.lengthSeconds(), 1);  // the second half's
    EXPECT_EQ(output.state(), AudioOutput::Playing);
    ASSERT_TRUE(ends.waitFor(2));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ends.count(), 2);
    EXPECT_EQ(output.state(), AudioOutput::Stopped);
    output.stop();
    ASSERT_TRUE(capture.load());

    // The tone's first frame is 0, so the sound starts one frame after it.
    const long start = capture.firstSound() - 1;
    ASSERT_GE(start, 0);
    const long total = long(tone.seconds * 44100);
    ASSERT_GE(capture.frames(), start + total);
    EXPECT_EQ(mismatchesWithTone(capture, start), 0);

    // The first report came when the device reached the cut, not when it was decoded (half a
    // second of ring earlier). The driver writes a buffer after playing it, so the file may
    // lag the device by a buffer and what stdio still holds.
    std::lock_guard lock(mutex);
    ASSERT_EQ(writtenAtEnd.size(), 2u);
    const long slack = SoundSystem::bufferFrames(44100) + 2048;
    EXPECT_GE(writtenAtEnd[0] + slack, start + kCut);
    EXPECT_LT(writtenAtEnd[0], start + total);
    EXPECT_GE(writtenAtEnd[1] + slack, start + total);
}

// A track gain belongs to its own half up to the cut; a blank time is that many frames of
// silence between the halves, not one more or less, and the second half's position starts
// after it.
TEST_F(GaplessTest, EachHalfKeepsItsGainAndABlankTimeIsExact) {
    struct Case {
        float firstGainDb;
        int32_t leadMillis;
    };
    for (const Case c : {Case{-6.02f, 0}, Case{0.0f, 250}}) {
        SCOPED_TRACE(c.leadMillis);
        AudioCapture capture(path("device.raw"));
        capture.arm();
        const int before = ends.count();
        ASSERT_TRUE(loadAndQueue(c.firstGainDb, c.leadMillis));
        ASSERT_TRUE(ends.waitFor(before + 1));
        EXPECT_EQ(output.positionSeconds(), 0);
        ASSERT_TRUE(ends.waitFor(before + 2));
        output.stop();
        ASSERT_TRUE(capture.load());
        const long start = capture.firstSound() - 1;
        ASSERT_GE(start, 0);
        const long gap = 44100L * c.leadMillis / 1000;
        ASSERT_GE(capture.frames(), start + long(tone.seconds * 44100) + gap);
        EXPECT_EQ(mismatchesWithTone(capture, start, ReplayGain::linear(c.firstGainDb), gap), 0);
    }
}

TEST_F(GaplessTest, StopDropsTheQueuedSongAndNothingIsReportedAfterIt) {
    struct Case {
        int endsBeforeStop;
    };
    for (const Case c : {Case{0}, Case{1}}) {
        SCOPED_TRACE(c.endsBeforeStop);
        const int before = ends.count();
        ASSERT_TRUE(loadAndQueue());
        if (c.endsBeforeStop > 0) {
            ASSERT_TRUE(ends.waitFor(before + c.endsBeforeStop));
        }
        output.stop();
        EXPECT_FALSE(output.hasSource());
        const int atStop = ends.count();
        EXPECT_EQ(atStop, before + c.endsBeforeStop);
        // Long enough for both halves to have ended had they gone on.
        std::this_thread::sleep_for(2200ms);
        EXPECT_EQ(ends.count(), atStop);
    }
}

TEST_F(GaplessTest, PauseSeekAndDropForgetTheQueuedSongAndTheFirstPlaysOut) {
    // The first half is shorter than the ring, so the second has already joined behind it.
    const std::function<bool()> actions[] = {
        [&] { return output.pause() && output.resume(); },
        [&] { return output.seekSeconds(0); },
        [&] {
            output.dropQueued();
            return !output.hasQueued() && output.state() == AudioOutput::Playing;
        },
    };
    for (const auto& action : actions) {
        const int before = ends.count();
        ASSERT_TRUE(loadAndQueue());
        ASSERT_TRUE(action());
        ASSERT_TRUE(ends.waitFor(before + 1));
        EXPECT_EQ(output.state(), AudioOutput::Stopped);
        EXPECT_EQ(output.lengthSeconds(), 0);  // still the first half
        std::this_thread::sleep_for(2200ms);
        EXPECT_EQ(ends.count(), before + 1);
        output.stop();
    }
}

TEST_F(GaplessTest, QueueIsRefusedWhereTheJoinWouldNeedAnotherDeviceRate) {
    const auto sine = [](int rate) { return std::make_unique<SineSource>(rate, 500.0, rate); };
    EXPECT_FALSE(output.queueNext(sine(44100)));  // nothing playing
    ASSERT_TRUE(output.load(PcmSourceFactory::open(path("first.wav"))));
    ASSERT_TRUE(output.play());
    EXPECT_FALSE(output.queueNext(sine(48000)));
    EXPECT_FALSE(output.queueNext(sine(22050)));
    EXPECT_FALSE(output.queueNext(nullptr));
    EXPECT_TRUE(output.queueNext(sine(44100)));
    EXPECT_FALSE(output.queueNext(sine(44100)));  // one at a time
    output.stop();

    // At a chosen device rate every source is resampled to it, so any rate joins.
    output.setDeviceRate(48000);
    ASSERT_TRUE(output.load(PcmSourceFactory::open(path("first.wav"))));
    ASSERT_TRUE(output.play());
    EXPECT_TRUE(output.queueNext(sine(22050)));
    output.stop();
}

}  // namespace
