#include "playback/mci/FfmpegSource.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Vorbis comments (FLAC, Ogg Vorbis, Opus) carry the track gain as text; FFmpeg hands it over
// as metadata or, for FLAC, as ReplayGain side data. Opus taggers may write R128 instead.
TEST(FfmpegSource, TrackGainComesFromTheFilesTags) {
    struct Case {
        const char* encoder;
        const char* extension;
        const char* tag;
        const char* text;
        float db;
    };
    TempDir dir;
    const char* replayGain = "REPLAYGAIN_TRACK_GAIN";
    for (const Case c : {Case{"flac", "flac", replayGain, "-6.02 dB", -6.02f},
                         Case{"libvorbis", "ogg", replayGain, "-6.02 dB", -6.02f},
                         Case{"libopus", "opus", replayGain, "-6.02 dB", -6.02f},
                         Case{"libopus", "opus", "R128_TRACK_GAIN", "-768", 2.0f}}) {
        SCOPED_TRACE(c.tag);
        SCOPED_TRACE(c.encoder);
        if (!MciMedia::hasEncoder(c.encoder))
            continue;
        MciMedia::Tone tone;
        tone.seconds = 0.2;
        const QString plain = dir.file(QStringLiteral("plain.") + QString::fromLatin1(c.extension));
        const QString tagged =
            dir.file(QStringLiteral("tagged.") + QString::fromLatin1(c.extension));
        ASSERT_TRUE(MciMedia::writeTone(plain, c.encoder, tone));
        tone.trackGainTag = c.tag;
        tone.trackGain = c.text;
        ASSERT_TRUE(MciMedia::writeTone(tagged, c.encoder, tone));

        const auto untagged = FfmpegSource::open(plain);
        ASSERT_TRUE(untagged);
        EXPECT_FALSE(untagged->trackGainDb());
        const auto source = FfmpegSource::open(tagged);
        ASSERT_TRUE(source);
        ASSERT_TRUE(source->trackGainDb());
        EXPECT_NEAR(*source->trackGainDb(), c.db, 1e-3);
    }
}

}  // namespace
