#include "PcmAnalysis.h"
#include "playback/mci/MidiSource.h"
#include "playback/mci/MidiTimeline.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace PcmAnalysis;

namespace {

constexpr int kRate = MidiSource::kSampleRate;

class MidiSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (MidiSource::soundFontPath().isEmpty())
            GTEST_SKIP() << "no sound font installed";
    }
    QString write(const MciMedia::Midi& midi, const QString& name = QStringLiteral("song.mid")) {
        return dir.write(name, MciMedia::midiFile(midi));
    }
    TempDir dir;
};

MciMedia::Midi tempoChange() {
    MciMedia::Midi midi;
    midi.notes = {69, 81, 69, 81};
    midi.tempoChangeBeat = 2;
    midi.secondTempo = 1000000;  // two beats at 120, then two at 60: 3 s
    return midi;
}

TEST(MidiTimeline, LengthFollowsTheTempoMapAcrossTracks) {
    MidiTimeline timeline;
    MciMedia::Midi plain;
    ASSERT_TRUE(timeline.parse(MciMedia::midiFile(plain)));
    EXPECT_DOUBLE_EQ(timeline.lengthSeconds(), 2.0);
    EXPECT_EQ(timeline.lastTick(), 4 * 480);

    for (const int format : {0, 1}) {
        SCOPED_TRACE(format);
        MciMedia::Midi midi = tempoChange();
        midi.format = format;
        ASSERT_DOUBLE_EQ(MciMedia::midiSeconds(midi), 3.0);
        ASSERT_TRUE(timeline.parse(MciMedia::midiFile(midi)));
        EXPECT_DOUBLE_EQ(timeline.lengthSeconds(), 3.0);
        EXPECT_DOUBLE_EQ(timeline.secondsAt(480), 0.5);
        EXPECT_DOUBLE_EQ(timeline.secondsAt(3 * 480), 2.0);
        EXPECT_EQ(timeline.tickAt(0.5), 480);
        EXPECT_EQ(timeline.tickAt(2.0), 3 * 480);
        EXPECT_EQ(timeline.tickAt(2.5), 3 * 480 + 240);
    }
}

TEST(MidiTimeline, RejectsWhatIsNotAMidiFile) {
    MidiTimeline timeline;
    EXPECT_FALSE(timeline.parse({}));
    EXPECT_FALSE(timeline.parse(QByteArray("MThd")));
    EXPECT_FALSE(timeline.parse(QByteArray("this is a text file, not music\r\n")));
    const QByteArray good = MciMedia::midiFile({});
    EXPECT_FALSE(timeline.parse(good.left(14))) << "a header without tracks";
    QByteArray zeroDivision = good;
    zeroDivision[12] = 0;
    zeroDivision[13] = 0;
    EXPECT_FALSE(timeline.parse(zeroDivision));
}

TEST(MidiTimeline, ADamagedTrackCountsUpToTheDamage) {
    MidiTimeline timeline;
    const QByteArray good = MciMedia::midiFile({});
    ASSERT_TRUE(timeline.parse(good.left(good.size() - 20)));
    EXPECT_GT(timeline.lastTick(), 0);
    EXPECT_LT(timeline.lastTick(), 4 * 480);
    QByteArray huge = good;
    huge[18] = char(0x7F);  // track length far beyond the file
    ASSERT_TRUE(timeline.parse(huge));
    EXPECT_EQ(timeline.lastTick(), 4 * 480);
}

TEST(MidiTimeline, SurvivesRandomDamage) {
    MciMedia::Midi midi = tempoChange();
    midi.format = 1;
    const QByteArray good = MciMedia::midiFile(midi);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    MidiTimeline timeline;
    for (int round = 0; round < 2000; ++round) {
        QByteArray bad = good.left(int(next() % uint32_t(good.size() + 1)));
        for (int k = int(next() % 6); k > 0 && !bad.isEmpty(); --k)
            bad[int(next() % uint32_t(bad.size()))] = char(next() >> 24);
        if (timeline.parse(bad)) {
            EXPECT_GE(timeline.lastTick(), 0);
            EXPECT_GE(timeline.lengthSeconds(), 0.0);
        }
    }
}

TEST_F(MidiSourceTest, RendersTheNotesAtTheirPitchForTheFileLength) {
    auto source = MidiSource::open(write({}));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format().sampleRate, kRate);
    EXPECT_EQ(source->format().channels, 2);
    EXPECT_EQ(source->lengthFrames(), 2 * kRate);

    const std::vector<float> pcm = readAll(*source);
    const long frames = frameCount(pcm, 2);
    EXPECT_GE(frames, 2 * kRate - 1024);
    EXPECT_LE(frames, 3 * kRate + 1024) << "the release tail is kept short";
    EXPECT_GT(rms(pcm, 2, kRate / 10, kRate / 4), 0.01) << "the notes are heard";
    EXPECT_GT(power(pcm, 2, kRate, kRate / 10, kRate / 4, 440),
              20 * power(pcm, 2, kRate, kRate / 10, kRate / 4, 311));
}

TEST_F(MidiSourceTest, SeekLandsOnTheNoteAtThatTime) {
    auto source = MidiSource::open(write(tempoChange()));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->lengthFrames(), 3 * kRate);
    // 2 s is the start of the fourth beat (A5) only when the tempo change is honoured.
    ASSERT_TRUE(source->seek(2 * kRate));
    const std::vector<float> pcm = readFrames(*source, kRate / 2);
    ASSERT_EQ(frameCount(pcm, 2), kRate / 2);
    EXPECT_GT(power(pcm, 2, kRate, kRate / 20, kRate / 4, 880),
              10 * power(pcm, 2, kRate, kRate / 20, kRate / 4, 440));

    ASSERT_TRUE(source->seek(kRate / 2));  // second beat, A5 again
    const std::vector<float> second = readFrames(*source, kRate / 4);
    EXPECT_GT(power(second, 2, kRate, kRate / 20, kRate / 8, 880),
              10 * power(second, 2, kRate, kRate / 20, kRate / 8, 440));
}

TEST_F(MidiSourceTest, SeekNearTheEndLeavesOnlyTheRest) {
    auto source = MidiSource::open(write({}));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->seek(source->lengthFrames() - kRate / 2));
    const long rest = frameCount(readAll(*source), 2);
    EXPECT_GE(rest, kRate / 2 - 1024);
    EXPECT_LE(rest, kRate / 2 + kRate + 1024);

    // A finished source starts again after a seek back.
    ASSERT_TRUE(source->seek(0));
    EXPECT_GE(frameCount(readAll(*source), 2), 2 * kRate - 1024);
}

// One font serves every song: each synthesizer borrows it and gives it back, so dropping one
// song leaves the font whole for the others and for the next.
TEST_F(MidiSourceTest, OneLoadedFontServesEverySong) {
    const std::shared_ptr<GmSoundFont> font = GmSoundFont::load(MidiSource::soundFontPath());
    ASSERT_TRUE(font);
    const QString song = write({});
    auto first = MidiSource::open(song, font);
    auto second = MidiSource::open(song, font);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(font.use_count(), 3);
    EXPECT_GT(rms(readFrames(*first, kRate / 4), 2, kRate / 10, kRate / 10), 0.01);
    first.reset();
    EXPECT_GT(rms(readFrames(*second, kRate / 4), 2, kRate / 10, kRate / 10), 0.01);
    second.reset();
    auto third = MidiSource::open(song, font);
    ASSERT_TRUE(third);
    EXPECT_GT(rms(readFrames(*third, kRate / 4), 2, kRate / 10, kRate / 10), 0.01);
    EXPECT_FALSE(MidiSource::open(song, std::shared_ptr<GmSoundFont>())) << "no font, no song";
}

// A RIFF-wrapped MIDI file (.rmi) is the same song as the bare one inside it.
TEST_F(MidiSourceTest, RiffWrappedMidiPlaysLikeTheBareFile) {
    const QByteArray bare = MciMedia::midiFile(tempoChange());
    const QByteArray wrapped = QByteArray("RIFF\0\0\0\0RMID", 12) + "LIST" +
                               QByteArray("\x04\0\0\0INFO", 8) + "data" +
                               QByteArray(1, char(bare.size())) + QByteArray(3, '\0') + bare;
    ASSERT_LT(bare.size(), 256);
    EXPECT_EQ(MidiSource::unwrapRmid(wrapped), bare);
    EXPECT_EQ(MidiSource::unwrapRmid(bare), bare);
    EXPECT_TRUE(MidiSource::unwrapRmid(wrapped.left(30)).isEmpty()) << "no data chunk";
    auto source = MidiSource::open(dir.write(QStringLiteral("song.rmi"), wrapped));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->lengthFrames(), 3 * kRate);
}

TEST(GmSoundFont, FoundWhereDebianPutsIt) {
    const struct {
        const char* what;
        std::vector<const char*> files;  // in folders A, B and the alternatives folder Alt
        const char* found;
    } cases[] = {
        {"a default name wins over any font", {"B/default.sf2", "A/other.sf2"}, "B/default.sf2"},
        {"the first folder's default first",
         {"A/default-GM.sf2", "B/default-GM.sf2"},
         "A/default-GM.sf2"},
        {"the alternatives link before any font",
         {"Alt/default-GM.sf2", "A/other.sf2"},
         "Alt/default-GM.sf2"},
        {"else any font, by name", {"B/b.sf2", "B/a.sf2", "A/readme.txt"}, "B/a.sf2"},
        {"none at all", {"A/readme.txt"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir root;
        for (const char* file : c.files)
            root.write(QString::fromLatin1(file), QByteArray("font"));
        const QString found =
            GmSoundFont::find({root.file(QStringLiteral("A")), root.file(QStringLiteral("B"))},
                              root.file(QStringLiteral("Alt")));
        EXPECT_EQ(found, *c.found ? root.file(QString::fromLatin1(c.found)) : QString());
    }
}

TEST_F(MidiSourceTest, BadFilesFailToOpen) {
    EXPECT_FALSE(MidiSource::open(dir.write(QStringLiteral("empty.mid"), {})));
    EXPECT_FALSE(
        MidiSource::open(dir.write(QStringLiteral("text.mid"), QByteArray("not a song\r\n"))));
    EXPECT_FALSE(
        MidiSource::open(dir.write(QStringLiteral("cut.mid"), MciMedia::midiFile({}).left(14))));
    EXPECT_FALSE(MidiSource::open(dir.file(QStringLiteral("missing.mid"))));
    EXPECT_FALSE(MidiSource::open(write({}), dir.file(QStringLiteral("no-such-font.sf2"))));
}

}  // namespace
