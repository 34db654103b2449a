#include "AudioTestSupport.h"
#include "playback/decoder/vbmp3.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct CallbackLog {
    EndCounter ends;
    std::atomic<int> wrongStatus{0};
    std::atomic<int> wrongUser{0};
    // Set once vbmp3_stop has returned; a report seen then is a stale one.
    std::atomic<bool> stopped{false};
    std::atomic<int> stale{0};
};

void onDecoderEvent(int32_t status, intptr_t user) {
    auto* log = reinterpret_cast<CallbackLog*>(user);
    if (status != 4)
        ++log->wrongStatus;
    if (log->stopped.load())
        ++log->stale;
    log->ends.hit();
}

void otherUser(int32_t, intptr_t) {}

class Vbmp3Test : public ::testing::Test {
protected:
    void SetUp() override {
        capture.arm();
        ASSERT_TRUE(vbmp3_init());
        vbmp3_callback(&onDecoderEvent, reinterpret_cast<intptr_t>(&log));
        vbmp3_setSoftVolume(100, 100);
        vbmp3_setVolume(100, 100);
    }
    void TearDown() override {
        vbmp3_stop();
        vbmp3_stopCallback();
        vbmp3_free();
    }
    std::string path(const char* name) const { return tempPath(dir, name); }
    std::string tone(const char* name, double seconds, bool mp3 = false) const {
        ToneSpec spec;
        spec.seconds = seconds;
        const std::string file = path(name);
        EXPECT_TRUE(mp3 ? ToneFiles::writeMp3(file, spec, 128) : ToneFiles::writeWav(file, spec));
        return file;
    }

    TempDir dir;
    AudioCapture capture{tempPath(dir, "device.raw")};
    CallbackLog log;
};

TEST_F(Vbmp3Test, OpenFillsTheRecordAndAFileEndsWithOneReport) {
    static_assert(sizeof(OpenFileInfo) == 272);
    const std::string file = tone("song.mp3", 1.6, true);
    OpenFileInfo info;
    std::memset(&info, 0x55, sizeof info);
    ASSERT_TRUE(vbmp3_open(file.c_str(), &info));
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.totalSec, 1);
    int32_t second = -1;
    EXPECT_EQ(vbmp3_getState(&second), 0);
    EXPECT_EQ(second, 0);

    ASSERT_TRUE(vbmp3_play());
    EXPECT_EQ(vbmp3_getState(&second), 1);
    ASSERT_TRUE(log.ends.waitFor(1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(log.ends.count(), 1);
    EXPECT_EQ(log.wrongStatus, 0);
    EXPECT_EQ(vbmp3_getState(&second), 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(vbmp3_stop());
    EXPECT_TRUE(vbmp3_close());
    EXPECT_EQ(vbmp3_getState(&second), 0);
    EXPECT_FALSE(vbmp3_play());  // closed: nothing to play
}

TEST_F(Vbmp3Test, PauseRestartSeekAndStopKeepTheirPromises) {
    const std::string file = tone("long.wav", 4.0);
    OpenFileInfo info{};
    ASSERT_TRUE(vbmp3_open(file.c_str(), &info));
    EXPECT_EQ(info.totalSec, 4);
    EXPECT_EQ(info.bitRate, 44100 * 2 * 16 / 1000);
    EXPECT_FALSE(vbmp3_pause());  // not playing yet
    ASSERT_TRUE(vbmp3_play());
    ASSERT_TRUE(vbmp3_seek(2));
    int32_t second = -1;
    EXPECT_EQ(vbmp3_getState(&second), 1);
    EXPECT_EQ(second, 2);
    ASSERT_TRUE(vbmp3_pause());
    EXPECT_EQ(vbmp3_getState(&second), 2);
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(vbmp3_getState(&second), 2);
    EXPECT_EQ(second, 2);
    ASSERT_TRUE(vbmp3_seek(3));  // a seek while paused stays paused
    EXPECT_EQ(vbmp3_getState(&second), 2);
    EXPECT_EQ(second, 3);
    ASSERT_TRUE(vbmp3_restart());
    EXPECT_EQ(vbmp3_getState(&second), 1);
    EXPECT_FALSE(vbmp3_seek(5));
    EXPECT_FALSE(vbmp3_seek(-1));
    ASSERT_TRUE(vbmp3_stop());
    log.stopped = true;
    EXPECT_EQ(vbmp3_getState(&second), 0);
    std::this_thread::sleep_for(1200ms);  // past where the file would have ended
    EXPECT_EQ(log.ends.count(), 0);

    // After a stop without close, play starts the same file again from its start.
    log.stopped = false;
    ASSERT_TRUE(vbmp3_play());
    EXPECT_EQ(vbmp3_getState(&second), 1);
    EXPECT_EQ(second, 0);
}

TEST_F(Vbmp3Test, NoReportAfterStopCallbackOrForAReplacedFile) {
    const std::string shortFile = tone("short.wav", 0.3);
    const std::string otherFile = tone("other.wav", 0.5);
    OpenFileInfo info{};
    ASSERT_TRUE(vbmp3_open(shortFile.c_str(), &info));
    ASSERT_TRUE(vbmp3_play());
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(vbmp3_open(otherFile.c_str(), &info));  // replaces the playing file
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(log.ends.count(), 0);
    ASSERT_TRUE(vbmp3_play());
    ASSERT_TRUE(log.ends.waitFor(1));

    ASSERT_TRUE(vbmp3_play());
    vbmp3_stopCallback();
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(log.ends.count(), 1);
    int32_t second = 0;
    EXPECT_EQ(vbmp3_getState(&second), 0);  // it did end, silently
}

TEST_F(Vbmp3Test, VolumesAreClampedAndOutliveFree) {
    int32_t left = 0, right = 0;
    vbmp3_setSoftVolume(30, 170);
    vbmp3_getSoftVolume(&left, &right);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(right, 100);
    vbmp3_setVolume(-4, 64);
    vbmp3_getVolume(&left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 64);
    vbmp3_stop();
    vbmp3_stopCallback();
    vbmp3_free();
    // The player saves the soft volume after releasing the library.
    vbmp3_getSoftVolume(&left, &right);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(right, 100);
    // Nothing but the volumes works without the library, and nothing crashes.
    OpenFileInfo info{};
    EXPECT_FALSE(vbmp3_open(tone("x.wav", 0.1).c_str(), &info));
    EXPECT_FALSE(vbmp3_play());
    EXPECT_FALSE(vbmp3_seek(0));
    int32_t second = 7;
    EXPECT_EQ(vbmp3_getState(&second), 0);
    EXPECT_EQ(second, 0);
    // A second life after free.
    ASSERT_TRUE(vbmp3_init());
    vbmp3_callback(&onDecoderEvent, reinterpret_cast<intptr_t>(&log));
    ASSERT_TRUE(vbmp3_open(tone("y.wav", 0.2).c_str(), &info));
    ASSERT_TRUE(vbmp3_play());
    EXPECT_TRUE(log.ends.waitFor(1));
}

TEST_F(Vbmp3Test, BadFilesAreRefusedAndDamagedOnesEndOnce) {
    const std::string wav = tone("good.wav", 1.0);
    const std::string mp3 = tone("good.mp3", 1.0, true);
    std::ifstream wavIn(wav, std::ios::binary), mp3In(mp3, std::ios::binary);
    const std::string wavBytes(std::istreambuf_iterator<char>(wavIn), {});
    const std::string mp3Bytes(std::istreambuf_iterator<char>(mp3In), {});
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    };

    OpenFileInfo info{};
    for (const std::string& bad :
         {path("missing.mp3"), write("empty.wav", ""), write("empty.mp3", ""),
          write("head.wav", wavBytes.substr(0, 44)), write("head.mp3", mp3Bytes.substr(0, 64)),
          write("text.mp3", "This is a text file.\r\nIt only has a music file's name.\r\n"),
          write("text.wav", std::string(5000, 'x'))}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(vbmp3_open(bad.c_str(), &info));
        EXPECT_FALSE(vbmp3_play());
    }

    std::string holed = mp3Bytes;
    for (size_t i = holed.size() / 3; i < holed.size() / 2; ++i)
        holed[i] = char(i * 7919);
    std::mt19937 random(17);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = char(random());
    const std::vector<std::string> damaged = {
        write("half.wav", wavBytes.substr(0, wavBytes.size() / 2)),
        write("half.mp3", mp3Bytes.substr(0, mp3Bytes.size() / 2)), write("holed.mp3", holed),
        write("noise.mp3", noise), write("noise-after-header.wav", wavBytes.substr(0, 44) + noise)};
    int played = 0;
    for (const std::string& file : damaged) {
        SCOPED_TRACE(file);
        if (!vbmp3_open(file.c_str(), &info)) {
            EXPECT_NE(file, damaged[0]);  // half a WAV file always has sound in it
            continue;
        }
        ASSERT_TRUE(vbmp3_play());
        ++played;
        ASSERT_TRUE(log.ends.waitFor(played, 4s));
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(log.ends.count(), played);
        vbmp3_stop();
        vbmp3_close();
    }
    EXPECT_GE(played, 3);
}

TEST_F(Vbmp3Test, QuickSequencesNeverCrashNorReportStaleEnds) {
    const std::vector<std::string> files = {tone("a.wav", 0.05), tone("b.mp3", 0.08, true),
                                            tone("c.wav", 0.5)};
    std::mt19937 random(1234);
    int expectedAtMost = 0;
    OpenFileInfo info{};
    for (int i = 0; i < 2000; ++i) {
        const std::string& file = files[random() % files.size()];
        ASSERT_TRUE(vbmp3_open(file.c_str(), &info));
        log.stopped = false;
        // Every other round leaves the file unplayed: the calls below must then fail cleanly.
        const bool play = random() % 2 == 0;
        if (play) {
            ASSERT_TRUE(vbmp3_play());
            ++expectedAtMost;
        }
        switch (random() % 5) {
        case 0:
            break;
        case 1:
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
            break;
        case 2:
            vbmp3_pause();
            vbmp3_seek(0);
            vbmp3_restart();
            break;
        case 3:
            vbmp3_seek(0);
            std::this_thread::sleep_for(1ms);
            vbmp3_pause();
            break;
        default:
            if (play && i % 50 == 0)
                log.ends.waitFor(log.ends.count() + 1, 1s);  // sometimes to the end
            break;
        }
        vbmp3_stop();
        log.stopped = true;
        vbmp3_close();
    }
    EXPECT_EQ(log.stale, 0);
    EXPECT_EQ(log.wrongStatus, 0);
    EXPECT_LE(log.ends.count(), expectedAtMost);
    EXPECT_GT(log.ends.count(), 0);
}

TEST_F(Vbmp3Test, CallbackCarriesTheUserValue) {
    vbmp3_callback(&otherUser, 1);
    vbmp3_callback(&onDecoderEvent, reinterpret_cast<intptr_t>(&log));
    OpenFileInfo info{};
    ASSERT_TRUE(vbmp3_open(tone("u.wav", 0.1).c_str(), &info));
    ASSERT_TRUE(vbmp3_play());
    EXPECT_TRUE(log.ends.waitFor(1));
}

}  // namespace
