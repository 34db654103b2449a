#include "MciWait.h"
#include "playback/mci/MciControl.h"
#include "playback/mci/MidiSource.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class MciControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&mmc, &MciControl::Done, &mmc, [this](int code) {
            codes.push_back(code);
            onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        });
    }
    QString tone(const QString& name, double seconds, const char* encoder = "wmav2") {
        MciMedia::Tone t;
        t.seconds = seconds;
        const QString path = dir.file(name);
        EXPECT_TRUE(MciMedia::writeTone(path, encoder, t));
        return path;
    }
    void command(const QString& verb) { mmc.setCommand(verb); }
    void openAndPlay(const QString& path, const QString& type = {}) {
        mmc.setDeviceType(type);
        mmc.setFileName(path);
        command(QStringLiteral("open"));
        ASSERT_EQ(mmc.lastError(), MciControl::NoError) << path.toStdString();
        command(QStringLiteral("play"));
        ASSERT_EQ(mmc.lastError(), MciControl::NoError);
    }

    TempDir dir;
    MciControl mmc;
    std::vector<int> codes;
    bool onUiThread = true;
};

TEST_F(MciControlTest, AFilePlayedToItsEndReportsDoneOnceOnTheUiThread) {
    openAndPlay(tone(QStringLiteral("a.wma"), 2.5));
    EXPECT_EQ(mmc.Command(), QStringLiteral("play"));
    EXPECT_EQ(mmc.lengthSeconds(), 2);
    ASSERT_TRUE(waitUntil([&] { return !codes.empty(); }));
    settle(300);
    EXPECT_EQ(codes, std::vector<int>{1});
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(mmc.positionSeconds(), 2);
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Stopped);
}

TEST_F(MciControlTest, MidiPlaysAsSequencerAndWhenTheFileDecides) {
    if (MidiSource::soundFontPath().isEmpty())
        GTEST_SKIP() << "no sound font installed";
    MciMedia::Midi midi;
    midi.notes = {69, 72};
    midi.tempo = 400000;
    const QString path = dir.write(QStringLiteral("song.mid"), MciMedia::midiFile(midi));
    openAndPlay(path, QStringLiteral("Sequencer"));
    ASSERT_TRUE(waitUntil([&] { return !codes.empty(); }));
    EXPECT_EQ(codes, std::vector<int>{1});

    // An unnamed device: FFmpeg cannot read MIDI, the content says what it is.
    const QString odd = dir.write(QStringLiteral("song.midi"), MciMedia::midiFile(midi));
    openAndPlay(odd, QString());
    ASSERT_TRUE(waitUntil([&] { return codes.size() == 2; }));
    EXPECT_EQ(codes, (std::vector<int>{1, 1}));
}

TEST_F(MciControlTest, NoDoneAfterStopCloseOrANewOpen) {
    const QString path = tone(QStringLiteral("a.wma"), 1.0);
    const QString other = tone(QStringLiteral("b.flac"), 1.0, "flac");

    openAndPlay(path);
    settle(200);
    command(QStringLiteral("stop"));
    EXPECT_EQ(mmc.lastError(), MciControl::NoError);
    settle(1500);
    EXPECT_TRUE(codes.empty()) << "after stop";

    command(QStringLiteral("play"));  // resumes where it stopped
    settle(200);
    command(QStringLiteral("close"));
    settle(1500);
    EXPECT_TRUE(codes.empty()) << "after close";

    openAndPlay(path);
    settle(200);
    mmc.setFileName(other);
    command(QStringLiteral("open"));
    EXPECT_EQ(mmc.lastError(), MciControl::NoError);
    settle(1500);
    EXPECT_TRUE(codes.empty()) << "after a new open";
}

TEST_F(MciControlTest, PauseHoldsThePositionAndPlayResumes) {
    openAndPlay(tone(QStringLiteral("a.wma"), 3.0));
    ASSERT_TRUE(waitUntil([&] { return mmc.positionSeconds() >= 1; }));
    command(QStringLiteral("pause"));
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Paused);
    const int32_t held = mmc.positionSeconds();
    settle(2500);
    EXPECT_EQ(mmc.positionSeconds(), held);
    EXPECT_TRUE(codes.empty());
    command(QStringLiteral("play"));
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Playing);
    EXPECT_GE(mmc.positionSeconds(), held) << "resumed, not restarted";
    ASSERT_TRUE(waitUntil([&] { return !codes.empty(); }));
    EXPECT_EQ(codes, std::vector<int>{1});
}

TEST_F(MciControlTest, SeekMovesThePositionAndTheEndStillComesOnce) {
    openAndPlay(tone(QStringLiteral("a.ogg"), 4.0, "flac"));
    EXPECT_EQ(mmc.lengthSeconds(), 4);
    EXPECT_FALSE(mmc.seekSeconds(9));
    EXPECT_FALSE(mmc.seekSeconds(-1));
    ASSERT_TRUE(mmc.seekSeconds(3));
    EXPECT_GE(mmc.positionSeconds(), 3);
    ASSERT_TRUE(waitUntil([&] { return !codes.empty(); }));
    settle(300);
    EXPECT_EQ(codes, std::vector<int>{1});

    // After the end a seek plays the file again, to a second end.
    ASSERT_TRUE(mmc.seekSeconds(3));
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Playing);
    ASSERT_TRUE(waitUntil([&] { return codes.size() == 2; }));

    command(QStringLiteral("close"));
    EXPECT_FALSE(mmc.seekSeconds(0));
    EXPECT_EQ(mmc.lengthSeconds(), 0);
    EXPECT_EQ(mmc.positionSeconds(), 0);
}

TEST_F(MciControlTest, FailuresAreReportedAndTheCommandStillReadsBack) {
    mmc.setDeviceType(QStringLiteral("CDAudio"));
    mmc.setFileName(QStringLiteral("/dev/null/Track01.cda"));
    command(QStringLiteral("open"));
    EXPECT_EQ(mmc.lastError(), MciControl::DeviceUnavailable);
    EXPECT_EQ(mmc.Command(), QStringLiteral("open"));
    command(QStringLiteral("play"));
    EXPECT_EQ(mmc.lastError(), MciControl::NotOpen);
    EXPECT_EQ(mmc.Command(), QStringLiteral("play"));

    mmc.setDeviceType(QString());
    for (const QString& name : {QStringLiteral("text.wma"), QStringLiteral("text.mid")}) {
        mmc.setFileName(dir.write(name, QByteArray("lyrics, not sound\r\n")));
        command(QStringLiteral("open"));
        EXPECT_EQ(mmc.lastError(), MciControl::CannotOpen) << name.toStdString();
    }
    // The content decides over the device type: a WMA named like a MIDI file still plays.
    mmc.setDeviceType(QStringLiteral("Sequencer"));
    const QString wmaNamedMid = dir.file(QStringLiteral("a.mid"));
    ASSERT_TRUE(QFile::copy(tone(QStringLiteral("a.wma"), 0.5), wmaNamedMid));
    mmc.setFileName(wmaNamedMid);
    command(QStringLiteral("open"));
    EXPECT_EQ(mmc.lastError(), MciControl::NoError);
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Stopped);

    command(QStringLiteral("rewind"));
    EXPECT_EQ(mmc.lastError(), MciControl::UnknownCommand);
    EXPECT_EQ(mmc.Command(), QStringLiteral("rewind"));
    command(QStringLiteral("close"));
    EXPECT_EQ(mmc.lastError(), MciControl::NoError);
    EXPECT_EQ(mmc.property("Command").toString(), QStringLiteral("close"));
    settle(200);
    EXPECT_TRUE(codes.empty());
}

TEST_F(MciControlTest, QuickCommandSequencesLeaveNoStaleDone) {
    const QString wma = tone(QStringLiteral("a.wma"), 2.0);
    const QString flac = tone(QStringLiteral("b.flac"), 2.0, "flac");
    for (int round = 0; round < 40; ++round) {
        mmc.setDeviceType(QString());
        mmc.setFileName(round % 2 ? wma : flac);
        command(QStringLiteral("stop"));
        command(QStringLiteral("close"));
        command(QStringLiteral("open"));
        command(QStringLiteral("play"));
        if (round % 3 == 0)
            command(QStringLiteral("pause"));
        if (round % 4 == 1)
            mmc.seekSeconds(1);
        if (round % 5 == 2)
            command(QStringLiteral("play"));
        QCoreApplication::processEvents();
    }
    command(QStringLiteral("stop"));
    command(QStringLiteral("close"));
    settle(2500);
    EXPECT_TRUE(codes.empty());

    // Afterwards the object still plays a file to one clean end.
    openAndPlay(wma);
    ASSERT_TRUE(mmc.seekSeconds(1));
    ASSERT_TRUE(waitUntil([&] { return !codes.empty(); }));
    settle(300);
    EXPECT_EQ(codes, std::vector<int>{1});
}

}  // namespace
