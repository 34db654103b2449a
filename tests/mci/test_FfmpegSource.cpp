#include "PcmAnalysis.h"
#include "playback/mci/FfmpegSource.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace PcmAnalysis;

namespace {

struct Codec {
    const char* encoder;
    const char* extension;
    bool lossless;
    // How far a seek may land from its sample: raw AC-3 and Opus in Matroska (stamped in
    // milliseconds, with the decoder's delay) land within a few milliseconds.
    int slackMs = 0;
};

void PrintTo(const Codec& codec, std::ostream* os) {
    *os << codec.encoder;
}

class FfmpegSourceCodec : public ::testing::TestWithParam<Codec> {
protected:
    void SetUp() override {
        if (!MciMedia::hasEncoder(GetParam().encoder))
            GTEST_SKIP() << "no " << GetParam().encoder << " encoder here";
    }
    QString write(const MciMedia::Tone& tone) {
        const QString path =
            dir.file(QStringLiteral("tone.") + QString::fromLatin1(GetParam().extension));
        EXPECT_TRUE(MciMedia::writeTone(path, GetParam().encoder, tone));
        return path;
    }
    TempDir dir;
};

TEST_P(FfmpegSourceCodec, DecodesTheToneAtItsPitchLevelAndLength) {
    MciMedia::Tone tone;
    tone.seconds = 2.0;
    tone.frequency = 440;
    tone.amplitude = 0.5;
    auto source = FfmpegSource::open(write(tone));
    ASSERT_TRUE(source);
    const int rate = source->format().sampleRate;
    const int channels = source->format().channels;
    EXPECT_EQ(channels, 2);
    EXPECT_GT(rate, 0);
    EXPECT_NEAR(double(source->lengthFrames()) / rate, 2.0, 0.06);
    if (!GetParam().lossless) {
        EXPECT_GT(source->bitrate(), 0);
    }

    const std::vector<float> pcm = readAll(*source);
    const long frames = frameCount(pcm, channels);
    EXPECT_NEAR(double(frames) / rate, 2.0, 0.06);
    ASSERT_GT(frames, rate * 3 / 2);
    EXPECT_NEAR(pitchHz(pcm, channels, rate, rate / 2, rate), 440.0, 2.0);
    EXPECT_NEAR(rms(pcm, channels, rate / 2, rate, 0), 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_NEAR(rms(pcm, channels, rate / 2, rate, 1), 0.5 / std::sqrt(2.0), 0.03);
    float more[32];
    EXPECT_EQ(source->read(more, 16), 0) << "reads past the end";
}

TEST_P(FfmpegSourceCodec, SeekLandsOnTheSampleThatLinearDecodingGives) {
    // A glide makes every position sound different, so a misplaced seek cannot match.
    MciMedia::Tone tone;
    tone.seconds = 3.0;
    tone.frequency = 300;
    tone.sweepTo = 900;
    const QString path = write(tone);
    auto linear = FfmpegSource::open(path);
    ASSERT_TRUE(linear);
    const int rate = linear->format().sampleRate;
    const int channels = linear->format().channels;
    const std::vector<float> reference = readAll(*linear);

    auto source = FfmpegSource::open(path);
    ASSERT_TRUE(source);
    const double tolerance = GetParam().lossless ? 1e-4 : 0.05;
    for (const double seconds : {1.3, 0.25, 2.5, 0.0, 1.0}) {
        SCOPED_TRACE(seconds);
        const int64_t target = std::llround(seconds * rate);
        ASSERT_TRUE(source->seek(target));
        const std::vector<float> got = readFrames(*source, 4096);
        ASSERT_EQ(frameCount(got, channels), 4096);
        const long slack = GetParam().slackMs * rate / 1000;
        double best = 1e9;
        for (long lag = -slack; lag <= slack; ++lag) {
            double worst = 0;
            for (long i = 2 * slack * channels; i < long(got.size()); ++i) {
                const long at = long(target) * channels + lag * channels + i;
                worst = std::max(worst, at >= 0 ? double(std::abs(got[i] - reference[at])) : 9.0);
            }
            best = std::min(best, worst);
        }
        EXPECT_LT(best, tolerance);
    }
}

TEST_P(FfmpegSourceCodec, SeekPastTheEndEndsTheSource) {
    auto source = FfmpegSource::open(write({}));
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->seek(source->lengthFrames() + 100000));
    const std::vector<float> rest = readAll(*source);
    EXPECT_LT(frameCount(rest, 2), source->format().sampleRate / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FfmpegSourceCodec,
    ::testing::Values(Codec{"wmav2", "wma", false}, Codec{"flac", "flac", true},
                      Codec{"libvorbis", "ogg", false}, Codec{"libopus", "opus", false},
                      Codec{"aac", "m4a", false}, Codec{"wavpack", "wv", true},
                      Codec{"tta", "tta", true}, Codec{"pcm_s16be", "aiff", true},
                      Codec{"alac", "m4a", true}, Codec{"mp2", "mp2", false},
                      Codec{"ac3", "ac3", false, 5}, Codec{"flac", "mka", true},
                      Codec{"libopus", "webm", false, 15}),
    [](const auto& p) { return std::string(p.param.extension) + "_" + p.param.encoder; });

TEST(FfmpegSource, MonoStaysMonoAndMoreChannelsMixToStereo) {
    TempDir dir;
    MciMedia::Tone mono;
    mono.channels = 1;
    ASSERT_TRUE(MciMedia::writeTone(dir.file(QStringLiteral("mono.flac")), "flac", mono));
    auto source = FfmpegSource::open(dir.file(QStringLiteral("mono.flac")));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format().channels, 1);

    MciMedia::Tone six;
    six.channels = 6;
    ASSERT_TRUE(MciMedia::writeTone(dir.file(QStringLiteral("six.flac")), "flac", six));
    source = FfmpegSource::open(dir.file(QStringLiteral("six.flac")));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format().channels, 2);
    const std::vector<float> pcm = readAll(*source);
    EXPECT_NEAR(pitchHz(pcm, 2, 44100, 22050, 44100), 440.0, 2.0);
    EXPECT_GT(rms(pcm, 2, 22050, 44100, 1), 0.1);
}

TEST(FfmpegSource, BadFilesFailToOpen) {
    TempDir dir;
    ASSERT_TRUE(MciMedia::writeTone(dir.file(QStringLiteral("good.wma")), "wmav2"));
    const QByteArray good = dir.read(QStringLiteral("good.wma"));
    ASSERT_GT(good.size(), 4000);

    EXPECT_FALSE(FfmpegSource::open(dir.write(QStringLiteral("empty.wma"), {})));
    EXPECT_FALSE(FfmpegSource::open(
        dir.write(QStringLiteral("text.wma"), QByteArray("just some words\r\nnot audio\r\n"))));
    EXPECT_FALSE(FfmpegSource::open(dir.write(QStringLiteral("cut.wma"), good.left(200))));
    EXPECT_FALSE(FfmpegSource::open(dir.file(QStringLiteral("missing.wma"))));
    EXPECT_FALSE(FfmpegSource::open(QString()));
    // MIDI is not FFmpeg's: the media-control object sends it elsewhere.
    EXPECT_FALSE(FfmpegSource::open(dir.write(QStringLiteral("song.mid"), MciMedia::midiFile({}))));
}

TEST(FfmpegSource, AFileCutInTheMiddlePlaysWhatIsThere) {
    TempDir dir;
    MciMedia::Tone tone;
    tone.seconds = 4;
    ASSERT_TRUE(MciMedia::writeTone(dir.file(QStringLiteral("good.wma")), "wmav2", tone));
    const QByteArray good = dir.read(QStringLiteral("good.wma"));
    auto source =
        FfmpegSource::open(dir.write(QStringLiteral("half.wma"), good.left(good.size() / 2)));
    ASSERT_TRUE(source);
    const std::vector<float> pcm = readAll(*source);
    const double seconds = double(frameCount(pcm, 2)) / source->format().sampleRate;
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 3.0);
}

TEST(FfmpegSource, NamesWithColonsAndNonAsciiOpen) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("a:b 日本語.flac"));
    ASSERT_TRUE(MciMedia::writeTone(path, "flac"));
    EXPECT_TRUE(FfmpegSource::open(path));
}

}  // namespace
