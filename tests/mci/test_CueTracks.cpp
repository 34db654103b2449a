#include "../audio/AudioCapture.h"
#include "MciWait.h"
#include "playback/AudioFileInfo.h"
#include "playback/CueTrack.h"
#include "playback/clsZAPT_MMC.h"
#include "playback/mci/MciControl.h"
#include "playback/output/AudioOutput.h"
#include "playback/output/SoundSystem.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"
#include "tags/clsTagInfo.h"

#include <QFile>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int kRate = 44100;
// INDEX 01 of the three tracks in CD frames (1/75 s), the image 1.7 s long: cuts that fall in
// no decoder block, and a middle track of one whole second.
constexpr int kStarts[] = {0, 40, 115};
constexpr int64_t kImageFrames = 74970;
constexpr int64_t startFrame(int track) {
    return int64_t(kStarts[track - 1]) * kRate / 75;
}
int64_t trackFrames(int track) {
    return (track < 3 ? startFrame(track + 1) : kImageFrames) - startFrame(track);
}

struct ImageCase {
    const char* name;  // "disc." and the format
    bool library;      // the route the image itself takes
};

class CueTrackTest : public ::testing::TestWithParam<ImageCase> {
protected:
    void SetUp() override {
        AudioCapture(dir.file(QStringLiteral("unread.raw")).toStdString()).arm();
        image = dir.file(QString::fromLatin1(GetParam().name));
        MciMedia::Tone tone;
        tone.seconds = double(kImageFrames) / kRate;
        tone.title = "Whole Disc";
        ASSERT_TRUE(image.endsWith(u"wav")   ? MciMedia::writeWav(image, tone)
                    : image.endsWith(u"mp3") ? MciMedia::writeMp3(image, tone)
                                             : MciMedia::writeTone(image, "flac", tone));
        QByteArray sheet =
            "PERFORMER \"Disc Artist\"\r\nTITLE \"Disc\"\r\nREM DATE 1999\r\nFILE \"" +
            QByteArray(GetParam().name) + "\" WAVE\r\n";
        for (int n = 1; n <= 3; ++n) {
            sheet += "  TRACK 0" + QByteArray::number(n) + " AUDIO\r\n";
            if (n != 2)
                sheet += "    TITLE \"Song " + QByteArray::number(n) + "\"\r\n";
            sheet += "    INDEX 01 00:" +
                     QByteArray::number(kStarts[n - 1] / 75).rightJustified(2, '0') + ":" +
                     QByteArray::number(kStarts[n - 1] % 75).rightJustified(2, '0') + "\r\n";
        }
        // A sheet longer than its image: track 3 ends with the image, track 4 is not in it.
        sheet += "  TRACK 04 AUDIO\r\n    INDEX 01 00:05:00\r\n";
        cue = dir.file(QStringLiteral("disc.cue"));
        QFile file(cue);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(sheet) == sheet.size());
        file.close();
        whole = readAll(*clsZAPT_MMC::Prepare(image).source);
        ASSERT_EQ(int64_t(whole.size()), 2 * kImageFrames);
    }
    // The disk driver writes to this test's folder: the next test opens the device anew.
    void TearDown() override { SoundSystem::closeDeviceIfIdle(); }
    QString track(int number) const { return cue + u'?' + QString::number(number); }
    static std::vector<float> readAll(PcmSource& source, long frames = 1 << 30) {
        std::vector<float> out;
        std::vector<float> block(2 * 4096);
        long got = 0;
        while (frames > 0 && (got = source.read(block.data(), std::min(frames, 4096L))) > 0) {
            out.insert(out.end(), block.begin(), block.begin() + 2 * got);
            frames -= got;
        }
        return out;
    }
    // The image's samples from `frame` on, `count` frames.
    std::vector<float> imageAt(int64_t frame, int64_t count) const {
        return {whole.begin() + 2 * frame, whole.begin() + 2 * (frame + count)};
    }

    TempDir dir;
    QString image, cue;
    std::vector<float> whole;
};

INSTANTIATE_TEST_SUITE_P(Images, CueTrackTest,
                         ::testing::Values(ImageCase{"disc.flac", false},
                                           ImageCase{"disc.wav", true},
                                           ImageCase{"disc.mp3", true}),
                         [](const ::testing::TestParamInfo<ImageCase>& row) {
                             return std::string(row.param.name + 5);
                         });

// Each track is a song of its own: its span of the image, its length, seeks within it, an end
// at its end; a track that is not there opens nothing.
TEST_P(CueTrackTest, EachTrackOpensAsItsOwnSpanOfTheImage) {
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        clsZAPT_MMC::Prepared song = clsZAPT_MMC::Prepare(track(n));
        ASSERT_TRUE(song.source);
        EXPECT_EQ(song.path, track(n));
        EXPECT_EQ(song.library, GetParam().library);
        PcmSource& source = *song.source;
        ASSERT_EQ(source.lengthFrames(), trackFrames(n));
        EXPECT_EQ(readAll(source, 500), imageAt(startFrame(n), 500));
        ASSERT_TRUE(source.seek(trackFrames(n) - 300));
        EXPECT_EQ(readAll(source), imageAt(startFrame(n) + trackFrames(n) - 300, 300));
        ASSERT_TRUE(source.seek(trackFrames(n) + 5000));  // kept at the track's end
        EXPECT_EQ(readAll(source).size(), 0u);
        ASSERT_TRUE(source.seek(0));
        EXPECT_EQ(readAll(source, 100), imageAt(startFrame(n), 100));
    }
    // A track past the image's end, no such track, no such sheet, a sheet whose image is gone.
    QFile lost(dir.file(QStringLiteral("lost.cue")));
    ASSERT_TRUE(lost.open(QIODevice::WriteOnly));
    lost.write("FILE \"gone.flac\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    lost.close();
    for (const QString& gone : {track(4), track(5), dir.file(QStringLiteral("none.cue?1")),
                                dir.file(QStringLiteral("lost.cue?1"))}) {
        SCOPED_TRACE(gone.toStdString());
        clsZAPT_MMC::Prepared song = clsZAPT_MMC::Prepare(gone);
        EXPECT_EQ(song.path, gone);
        EXPECT_FALSE(song.source);
        EXPECT_FALSE(AudioFileInfo::Read(gone).valid);
    }
}

// Through the engine: the track's length and seek bar, seeks past its end refused, and the
// image's format with the track's length in the tag window.
TEST_P(CueTrackTest, TheEnginePlaysATrackWithItsOwnLengthAndSeeks) {
    MciControl mmc;
    clsZAPT_MMC player;
    player.setMMC(&mmc);
    ASSERT_TRUE(player.open_(track(2)));
    ASSERT_TRUE(player.play());
    EXPECT_EQ(player.getPath(), track(2));
    EXPECT_EQ(player.getTotalSecond(), 1);
    EXPECT_EQ(player.playSecond(), 0);
    EXPECT_TRUE(player.seekTo(900ms));
    EXPECT_FALSE(player.seekTo(1100ms));
    player.stop_();
    const AudioFileInfo info = AudioFileInfo::Read(track(2));
    EXPECT_EQ(info.format, QString::fromLatin1(GetParam().name + 5).toUpper());
    EXPECT_EQ(info.seconds, 1);
}

// The sheet's names over the image's tags, the image's where the sheet has none, the image's
// picture; a plain path keeps its own tags.
TEST_P(CueTrackTest, ATrackShowsTheSheetsTagsOverTheImages) {
    clsTagInfo tag;
    CueTrack::ReadTags(tag, track(2));
    EXPECT_EQ(tag.Title, u"disc 02");  // the row's name: the track has no TITLE
    EXPECT_EQ(tag.ArtistName, u"Disc Artist");
    EXPECT_EQ(tag.Album, u"Disc");
    EXPECT_EQ(tag.Year, u"1999");
    EXPECT_EQ(tag.Track, u"2");
    CueTrack::ReadTags(tag, track(3));
    EXPECT_EQ(tag.Title, u"Song 3");
    EXPECT_EQ(CueTrack::AudioPath(track(3)), image);
    EXPECT_EQ(CueTrack::AudioPath(image), image);
    CueTrack::ReadTags(tag, image);
    EXPECT_EQ(tag.Title, GetParam().library ? QString() : QStringLiteral("Whole Disc"));
}

// Consecutive tracks joined in one stream come out as the uncut image, sample for sample, with
// an end report for each.
TEST_P(CueTrackTest, ConsecutiveTracksJoinIntoTheUncutImage) {
    const std::string device = dir.file(QStringLiteral("device.raw")).toStdString();
    AudioCapture capture(device);
    capture.arm();
    std::atomic<int> ends{0};
    AudioOutput output;
    output.setEndHandler([&] { ends.fetch_add(1); });
    ASSERT_TRUE(output.load(clsZAPT_MMC::Prepare(track(1)).source));
    ASSERT_TRUE(output.play());
    for (int n = 2; n <= 3; ++n) {
        ASSERT_TRUE(output.queueNext(clsZAPT_MMC::Prepare(track(n)).source, 0));
        ASSERT_TRUE(waitUntil([&] { return ends.load() >= n - 1; }));
    }
    ASSERT_TRUE(waitUntil([&] { return ends.load() >= 3; }));
    output.stop();
    ASSERT_TRUE(capture.load());

    long firstInImage = 0;
    while (whole[size_t(2 * firstInImage)] == 0.0f && whole[size_t(2 * firstInImage + 1)] == 0.0f)
        ++firstInImage;
    const long start = capture.firstSound() - firstInImage;
    ASSERT_GE(start, 0);
    ASSERT_GE(capture.frames(), start + kImageFrames);
    const std::vector<float> heard(capture.samples().begin() + 2 * start,
                                   capture.samples().begin() + 2 * (start + kImageFrames));
    long mismatches = 0;
    for (size_t i = 0; i < heard.size(); ++i)
        mismatches += heard[i] != whole[i];
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
