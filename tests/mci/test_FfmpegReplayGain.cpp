#include "playback/mci/FfmpegSource.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Vorbis comments (FLAC, Ogg Vorbis, Opus) carry the track gain as text; FFmpeg hands it over
// as metadata or, for FLAC, as ReplayGain side data.
TEST(FfmpegSource, TrackGainComesFromTheFilesTags) {
    struct Case {
        const char* encoder;
        const char* extension;
    };
    TempDir dir;
    for (const Case c : {Case{"flac", "flac"}, Case{"libvorbis", "ogg"}, Case{"libopus", "opus"}}) {
        SCOPED_TRACE(c.encoder);
        if (!MciMedia::hasEncoder(c.encoder))
            continue;
        MciMedia::Tone tone;
        tone.seconds = 0.2;
        const QString plain = dir.file(QStringLiteral("plain.") + QString::fromLatin1(c.extension));
        const QString tagged =
            dir.file(QStringLiteral("tagged.") + QString::fromLatin1(c.extension));
        ASSERT_TRUE(MciMedia::writeTone(plain, c.encoder, tone));
        tone.trackGain = "-6.02 dB";
        ASSERT_TRUE(MciMedia::writeTone(tagged, c.encoder, tone));

        const auto untagged = FfmpegSource::open(plain);
        ASSERT_TRUE(untagged);
        EXPECT_FALSE(untagged->trackGainDb());
        const auto source = FfmpegSource::open(tagged);
        ASSERT_TRUE(source);
        ASSERT_TRUE(source->trackGainDb());
        EXPECT_NEAR(*source->trackGainDb(), -6.02, 1e-3);
    }
}

}  // namespace
