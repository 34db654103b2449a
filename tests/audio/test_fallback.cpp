#include "AudioTestSupport.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/output/AudioOutput.h"

#include <SDL.h>
#include <cstring>
#include <gtest/gtest.h>

// Run with no driver chosen. On a machine without a sound server or card the output must
// fall back to the silent driver, say so once, and still let songs run to their end.
TEST(AudioFallbackTest, SongsEndEvenWithoutASoundDevice) {
    TempDir dir;
    ToneSpec tone;
    tone.seconds = 0.3;
    const std::string file = tempPath(dir, "t.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone));

    EndCounter ends;
    testing::internal::CaptureStderr();
    bool onDummy = false;
    {
        AudioOutput output;
        output.setEndHandler([&] { ends.hit(); });
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(output.load(PcmSourceFactory::open(file)));
            ASSERT_TRUE(output.play());
            const char* driver = SDL_GetCurrentAudioDriver();
            onDummy = driver && std::strcmp(driver, "dummy") == 0;
            EXPECT_TRUE(ends.waitFor(round + 1));
            output.stop();
        }
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string notice = "no sound device was found";
    if (onDummy) {
        const size_t first = errors.find(notice);
        EXPECT_NE(first, std::string::npos);
        EXPECT_EQ(errors.find(notice, first + 1), std::string::npos);  // said once
    } else {
        EXPECT_EQ(errors.find(notice), std::string::npos);
    }
}
