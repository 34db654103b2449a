#include "MciWait.h"
#include "playback/clsZAPT_MMC.h"
#include "playback/mci/MciControl.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <QFile>
#include <atomic>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Reads the engine's fields, which the program itself never looks at from outside.
struct Engine : clsZAPT_MMC {
    using clsZAPT_MMC::CurrentPath;
    using clsZAPT_MMC::FileExtension;
    using clsZAPT_MMC::Opened;
    using clsZAPT_MMC::TotalSec;
};

std::atomic<int> libraryEnds{0};

void countEnd(int32_t status, intptr_t) {
    if (status == 4)
        libraryEnds.fetch_add(1);
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        player.setMMC(&mmc);
        vbmp3_callback(&countEnd, 0);
        libraryEnds = 0;
        QObject::connect(&mmc, &MciControl::Done, &mmc, [this](int code) { done.push_back(code); });
    }
    void TearDown() override {
        player.stop_();
        vbmp3_stop();
        vbmp3_close();
        vbmp3_stopCallback();
    }
    QString wma(const QString& name, double seconds = 3.0) {
        MciMedia::Tone tone;
        tone.seconds = seconds;
        const QString path = dir.file(name);
        EXPECT_TRUE(MciMedia::writeTone(path, "wmav2", tone));
        return path;
    }
    QString mp3(const QString& name, double seconds = 3.0) {
        MciMedia::Tone tone;
        tone.seconds = seconds;
        const QString path = dir.file(name);
        EXPECT_TRUE(MciMedia::writeMp3(path, tone));
        return path;
    }
    QString wav(const QString& name, double seconds = 3.0) {
        MciMedia::Tone tone;
        tone.seconds = seconds;
        const QString path = dir.file(name);
        EXPECT_TRUE(MciMedia::writeWav(path, tone));
        return path;
    }
    int32_t libraryState() {
        int32_t second = 0;
        return vbmp3_getState(&second);
    }

    TempDir dir;
    MciControl mmc;
    Engine player;
    std::vector<int> done;
};

TEST_F(EngineTest, ExactLowerCaseMp3AndWavGoToTheLibrary) {
    for (const QString& path : {mp3(QStringLiteral("a.mp3")), wav(QStringLiteral("b.wav")),
                                wav(QStringLiteral("no-dot-wav"))}) {
        SCOPED_TRACE(path.toStdString());
        mmc.setDeviceType(QStringLiteral("untouched"));
        ASSERT_TRUE(player.open_(path));
        EXPECT_TRUE(player.Opened);
        EXPECT_EQ(player.getPath(), path);
        EXPECT_EQ(player.getTotalSecond(), 3);
        EXPECT_EQ(player.TotalSec, 3);
        EXPECT_EQ(mmc.DeviceType(), QStringLiteral("untouched"));
        EXPECT_EQ(mmc.Command(), QStringLiteral("close")) << "stop and close go to the control";
        ASSERT_TRUE(player.play());
        EXPECT_EQ(libraryState(), 1);
        EXPECT_EQ(player.getState(), 1);
        EXPECT_EQ(mmc.mode(), MciControl::Mode::NotOpen);
        EXPECT_TRUE(player.stop_());
    }
    ASSERT_TRUE(player.open_(dir.file(QStringLiteral("a.mp3"))));
    EXPECT_GT(player.bitrate(), 0);
}

TEST_F(EngineTest, EveryOtherEndingGoesToTheControlWithItsDeviceType) {
    struct Case {
        QString name;
        QString device;
    };
    const Case cases[] = {
        {QStringLiteral("upper.MP3"), QString()},
        {QStringLiteral("mixed.Wav"), QString()},
        {QStringLiteral("tone.wma"), QString()},
        {QStringLiteral("Track01.cda"), QStringLiteral("CDAudio")},
        {QStringLiteral("song.mid"), QStringLiteral("Sequencer")},
        {QStringLiteral("song.MID"), QString()},
        {QStringLiteral("tone.flac"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        mmc.setDeviceType(QStringLiteral("previous"));
        // Nothing is read at open_: the control opens the file only on play.
        EXPECT_TRUE(player.open_(dir.file(c.name)));
        EXPECT_EQ(player.FileExtension, c.name.right(3));
        EXPECT_EQ(mmc.DeviceType(), c.device);
        EXPECT_EQ(player.getPath(), dir.file(c.name));
        EXPECT_EQ(libraryState(), 0);
    }
}

TEST_F(EngineTest, UpperCaseMp3PlaysThroughTheControl) {
    const QString path = mp3(QStringLiteral("tone.MP3"));
    ASSERT_TRUE(player.open_(path));
    ASSERT_TRUE(player.play());
    EXPECT_EQ(mmc.FileName(), path);
    EXPECT_EQ(mmc.Command(), QStringLiteral("play"));
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Playing);
    EXPECT_EQ(player.getState(), 1);
    EXPECT_EQ(libraryState(), 0);
    EXPECT_EQ(player.getTotalSecond(), 3) << "the control knows the length";
}

TEST_F(EngineTest, ControlRouteStateFollowsTheLastCommand) {
    ASSERT_TRUE(player.open_(wma(QStringLiteral("a.wma"))));
    EXPECT_EQ(player.getState(), 0) << "last command: close";
    ASSERT_TRUE(player.play());
    EXPECT_EQ(player.getState(), 1);
    EXPECT_TRUE(player.pause());
    EXPECT_EQ(player.getState(), 2);
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Paused);
    EXPECT_TRUE(player.restart());
    EXPECT_EQ(player.getState(), 1);
    EXPECT_EQ(mmc.mode(), MciControl::Mode::Playing);
    EXPECT_TRUE(player.stop_());
    EXPECT_EQ(player.getState(), 0);
    EXPECT_EQ(mmc.mode(), MciControl::Mode::NotOpen);
}

// The control opens a file only on play, so that is where every file that cannot play must
// fail; a play that reported success here would leave the player waiting for an end that
// never comes.
TEST_F(EngineTest, AControlFileThatCannotPlayFailsItsPlay) {
    const QString good = wma(QStringLiteral("good.wma"));
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray head = in.read(300);
    const QByteArray noise(4096, '\x5a');
    const QByteArray text("just words, no sound\n");
    const QByteArray subtitles("1\n00:00:00,000 --> 00:00:02,000\nhello\n\n"
                               "2\n00:00:03,000 --> 00:00:04,000\nworld\n\n");
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("cut.wma"), head},  // only the start of the header
        {QStringLiteral("noise.wma"), noise},
        {QStringLiteral("words.ogg"), text},
        {QStringLiteral("words.flac"), text},
        {QStringLiteral("noise.m4a"), noise},
        {QStringLiteral("subtitles.m4a"), subtitles},  // a stream, but none of sound
        {QStringLiteral("words.mid"), text},           // Sequencer
        {QStringLiteral("words.MID"), text},           // the file decides
        {QStringLiteral("Track01.cda"), QByteArray("RIFF")},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(player.open_(dir.write(name, bytes))) << "the control reads nothing yet";
        EXPECT_FALSE(player.play());
        EXPECT_EQ(mmc.mode(), MciControl::Mode::NotOpen);
        EXPECT_EQ(player.getState(), 0);
        EXPECT_TRUE(player.stop_());
    }
    ASSERT_TRUE(player.open_(good));
    EXPECT_TRUE(player.play()) << "a good file after the bad ones";
}

TEST_F(EngineTest, LibraryRouteResultsComeFromTheLibrary) {
    ASSERT_TRUE(player.open_(mp3(QStringLiteral("a.mp3"))));
    EXPECT_EQ(player.getState(), 0);
    EXPECT_FALSE(player.restart()) << "nothing paused";
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(player.pause());
    EXPECT_EQ(player.getState(), 2);
    EXPECT_TRUE(player.restart());
    EXPECT_EQ(player.getState(), 1);
    EXPECT_TRUE(player.seek_(2));
    EXPECT_GE(player.playSecond(), 2);
    EXPECT_FALSE(player.seek_(60)) << "past the end";
    EXPECT_TRUE(player.stop_());
    EXPECT_EQ(player.getState(), 0);
    EXPECT_FALSE(player.seek_(1)) << "nothing open";
}

TEST_F(EngineTest, ControlRouteSeeksAndReportsLengthAndPosition) {
    ASSERT_TRUE(player.open_(wma(QStringLiteral("a.wma"), 4.0)));
    EXPECT_FALSE(player.seek_(1)) << "the control opens the file only on play";
    EXPECT_EQ(player.getTotalSecond(), 0);
    ASSERT_TRUE(player.play());
    EXPECT_EQ(player.getTotalSecond(), 4);
    EXPECT_TRUE(player.seek_(2));
    EXPECT_GE(player.playSecond(), 2);
    EXPECT_FALSE(player.seek_(30));
    ASSERT_TRUE(waitUntil([&] { return !done.empty(); }));
    EXPECT_EQ(done, std::vector<int>{1});
    EXPECT_EQ(libraryEnds.load(), 0);
}

TEST_F(EngineTest, StopHidesPathAndLengthButKeepsTheFields) {
    const QString path = mp3(QStringLiteral("a.mp3"));
    ASSERT_TRUE(player.open_(path));
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(player.stop_());
    EXPECT_FALSE(player.Opened);
    EXPECT_EQ(player.getPath(), QString());
    EXPECT_EQ(player.getTotalSecond(), 0);
    EXPECT_EQ(player.CurrentPath, path);
    EXPECT_EQ(player.TotalSec, 3);

    ASSERT_TRUE(player.open_(wma(QStringLiteral("b.wma"))));
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(player.stop_());
    EXPECT_EQ(player.getPath(), QString());
    EXPECT_EQ(player.getTotalSecond(), 0);
    settle(300);
    EXPECT_TRUE(done.empty());
}

TEST_F(EngineTest, AFailedLibraryOpenLeavesNothingOpen) {
    ASSERT_TRUE(player.open_(mp3(QStringLiteral("good.mp3"))));
    const QString bad = dir.write(QStringLiteral("bad.mp3"), QByteArray("words, not sound"));
    for (const QString& path : {bad, dir.file(QStringLiteral("missing.wav")),
                                dir.write(QStringLiteral("empty.wav"), {})}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(player.open_(path));
        EXPECT_FALSE(player.Opened);
        EXPECT_EQ(player.getPath(), QString());
        EXPECT_EQ(player.getTotalSecond(), 0);
        EXPECT_EQ(player.TotalSec, 3) << "keeps the last good length";
        EXPECT_FALSE(player.play());
    }
}

TEST_F(EngineTest, StopFollowsThePreviousFilesRoute) {
    ASSERT_TRUE(player.open_(wma(QStringLiteral("a.wma"))));
    ASSERT_TRUE(player.play());
    // Opening a library file stops and closes the control's file first.
    ASSERT_TRUE(player.open_(mp3(QStringLiteral("b.mp3"))));
    EXPECT_EQ(mmc.mode(), MciControl::Mode::NotOpen);
    ASSERT_TRUE(player.play());
    EXPECT_EQ(libraryState(), 1);
    EXPECT_TRUE(player.stop_());
    EXPECT_EQ(libraryState(), 0);

    // Without the library, its stop fails and so does stop_, which then closes nothing.
    ASSERT_TRUE(player.open_(dir.file(QStringLiteral("b.mp3"))));
    vbmp3_free();
    EXPECT_FALSE(player.stop_());
    EXPECT_FALSE(player.Opened);
    vbmp3_init();
    vbmp3_callback(&countEnd, 0);
}

TEST_F(EngineTest, WorksBeforeAControlIsBound) {
    Engine lone;
    EXPECT_TRUE(lone.stop_());
    EXPECT_TRUE(lone.open_(dir.file(QStringLiteral("a.wma"))));
    EXPECT_FALSE(lone.play()) << "nothing to play it with";
    EXPECT_EQ(lone.getState(), 0);
    EXPECT_FALSE(lone.seek_(1));
    EXPECT_TRUE(lone.stop_());
}

TEST_F(EngineTest, QuickSequencesOnBothRoutesLeaveNoStaleEnd) {
    const QString paths[] = {mp3(QStringLiteral("a.mp3"), 2.0), wma(QStringLiteral("b.wma"), 2.0),
                             wav(QStringLiteral("c.wav"), 2.0)};
    for (int round = 0; round < 45; ++round) {
        player.stop_();
        player.open_(paths[round % 3]);
        player.play();
        if (round % 2)
            player.pause();
        if (round % 4 == 1)
            player.seek_(1);
        if (round % 2)
            player.restart();
        QCoreApplication::processEvents();
    }
    player.stop_();
    settle(2500);
    EXPECT_TRUE(done.empty());
    EXPECT_EQ(libraryEnds.load(), 0);
}

}  // namespace

namespace {

// A join stays on its route: the control's file joins behind the control's, the library's
// behind the library's; across routes it is refused and the song is played as usual. A joined
// song becomes the open file once the one before it has ended, with one end report for that.
TEST_F(EngineTest, AJoinStaysOnItsRouteAndIsTakenAfterTheEnd) {
    struct Case {
        QString first, second;
        bool joins;
        bool libraryEnd;  // the first song's end comes from the library, not the control
    };
    const QString flacA = dir.file(QStringLiteral("a.flac"));
    const QString flacB = dir.file(QStringLiteral("b.flac"));
    MciMedia::Tone tone;
    tone.seconds = 0.6;
    ASSERT_TRUE(MciMedia::writeTone(flacA, "flac", tone));
    ASSERT_TRUE(MciMedia::writeTone(flacB, "flac", tone));
    const Case cases[] = {
        {flacA, flacB, true, false},
        {wav(QStringLiteral("a.wav"), 0.6), wav(QStringLiteral("b.wav"), 0.6), true, true},
        {flacA, wav(QStringLiteral("c.wav"), 0.6), false, false},
        {wav(QStringLiteral("d.wav"), 0.6), flacB, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.first + u" > " + c.second).toStdString());
        done.clear();
        libraryEnds = 0;
        ASSERT_TRUE(player.open_(c.first));
        ASSERT_TRUE(player.play());
        EXPECT_EQ(player.queueNext(c.second, 0ms), c.joins);
        EXPECT_EQ(player.adoptJoined(c.second), false);  // not before the first has ended
        ASSERT_TRUE(waitUntil([&] { return done.size() + size_t(libraryEnds.load()) >= 1; }));
        EXPECT_EQ(libraryEnds.load(), c.libraryEnd ? 1 : 0);
        EXPECT_EQ(player.adoptJoined(c.second), c.joins);
        if (c.joins) {
            EXPECT_EQ(player.getPath(), c.second);
            EXPECT_EQ(player.getState(), 1);
        }
        player.stop_();
        settle(100);
    }
}

}  // namespace

namespace {

// The UI thread hears of an end a turn after the control reported it; a stop, an open or a
// take-over of the joined song made in between replaces the song that ended, and its report
// must not reach the end handler (the sequence would skip a song or play one after a stop).
TEST_F(EngineTest, AnEndOvertakenBeforeTheUiThreadHandlesItIsDropped) {
    enum class Then { Nothing, Stop, Open, TakeOver };
    struct Case {
        Then then;
        QStringList heard;  // the open song each time the handler ran
    };
    MciMedia::Tone tone;
    tone.seconds = 0.4;
    const QString a = dir.file(QStringLiteral("a.flac"));
    const QString b = dir.file(QStringLiteral("b.flac"));
    ASSERT_TRUE(MciMedia::writeTone(a, "flac", tone));
    ASSERT_TRUE(MciMedia::writeTone(b, "flac", tone));
    const Case cases[] = {
        {Then::Nothing, {a}},
        {Then::Stop, {}},
        {Then::Open, {}},
        {Then::TakeOver, {b}},  // then b's own end
    };
    QStringList heard;
    player.setEndHandler([&] { heard.append(player.getPath()); });
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.then));
        heard.clear();
        done.clear();
        ASSERT_TRUE(player.open_(a));
        ASSERT_TRUE(player.play());
        ASSERT_TRUE(c.then != Then::TakeOver || player.queueNext(b, 0ms));
        // Connected after the engine, so it runs once the end has been reported to it.
        const auto connection = QObject::connect(&mmc, &MciControl::Done, &mmc, [&] {
            if (done.size() != 1)
                return;
            if (c.then == Then::Stop) {
                player.stop_();
            } else if (c.then == Then::Open) {
                player.open_(b);
            } else if (c.then == Then::TakeOver) {
                EXPECT_TRUE(player.adoptJoined(b));
            }
        });
        const size_t ends = c.then == Then::TakeOver ? 2 : 1;
        ASSERT_TRUE(waitUntil([&] { return done.size() >= ends; }));
        settle(200);
        QObject::disconnect(connection);
        EXPECT_EQ(heard, c.heard);
        player.stop_();
    }
}

}  // namespace
