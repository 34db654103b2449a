// Every route plays through the same device: the player's soft and device volumes reach the
// files of the media route (FLAC, Ogg, MIDI …) as they reach MP3 and WAV, heard through SDL's
// disk driver.
#include "../audio/AudioCapture.h"
#include "MciWait.h"
#include "playback/decoder/vbmp3.h"
#include "playback/mci/MciControl.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(MciVolume, TheLibrarysVolumesReachTheMediaRoute) {
    TempDir dir;
    MciMedia::Tone t;
    t.seconds = 0.4;
    t.amplitude = 0.8;
    const QString song = dir.file(u"loud.flac"_qs);
    ASSERT_TRUE(MciMedia::writeTone(song, "flac", t));
    vbmp3_init();
    const struct {
        int soft[2];
        int device[2];
        double left, right;  // amplitude heard
    } cases[] = {{{100, 100}, {100, 100}, 0.8, 0.8},
                 {{50, 50}, {100, 100}, 0.4, 0.4},
                 {{100, 100}, {100, 25}, 0.8, 0.2},
                 {{50, 100}, {50, 100}, 0.2, 0.8}};
    for (const auto& c : cases) {
        vbmp3_setSoftVolume(c.soft[0], c.soft[1]);
        vbmp3_setVolume(c.device[0], c.device[1]);
        AudioCapture capture(dir.file(u"device.raw"_qs).toStdString());
        capture.arm();
        {
            MciControl mmc;  // made after the change too: it starts at the volumes in force
            bool done = false;
            QObject::connect(&mmc, &MciControl::Done, [&] { done = true; });
            mmc.setFileName(song);
            mmc.setCommand(u"open"_qs);
            mmc.setCommand(u"play"_qs);
            ASSERT_TRUE(waitUntil([&] { return done; }, 10000));
        }
        ASSERT_TRUE(capture.load());
        EXPECT_NEAR(AudioCapture::amplitude(capture.soundOf(0, 1000)), c.left, 0.03) << c.soft[0];
        EXPECT_NEAR(AudioCapture::amplitude(capture.soundOf(1, 1000)), c.right, 0.03) << c.soft[1];
    }
    vbmp3_setSoftVolume(100, 100);
    vbmp3_setVolume(100, 100);
    vbmp3_free();
}
