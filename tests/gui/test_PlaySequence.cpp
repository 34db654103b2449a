// Play sequencing end to end: real short tones through the real engine on SDL's dummy driver,
// which plays in real time, so songs really end and the next one really starts. The rules of
// the sequence themselves run on a fake clock (tests/playback/test_PlayerController.cpp).
#include "MainWindowFixture.h"
#include "playback/PlayerController.h"
#include "support/ToneFiles.h"

#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr double kSongSeconds = 0.35;
constexpr int kWaitMs = 8000;

class Songs {
public:
    explicit Songs(int count) {
        for (int i = 0; i < count; ++i) {
            ToneSpec tone;
            tone.seconds = kSongSeconds;
            tone.frequency[0] = tone.frequency[1] = 300.0 + 100 * i;
            const QString p = dir.file(QStringLiteral("song%1.wav").arg(i));
            ToneFiles::writeWav(p.toStdString(), tone);
            list << p;
        }
    }
    TempDir dir;
    QStringList list;
};

void setModes(clsOption& o, int playNumber, int repeat) {
    o.setPlayNumber(static_cast<int16_t>(playNumber));
    o.setRepeatMode(static_cast<int16_t>(repeat));
    o.setBlankSec(0);
}

bool stopped(frmMain& w) {
    return w.Player->getState() == 0 && !w.Sequence().PlayTimeRunning();
}

}  // namespace

TEST(PlaySequence, AllSongsNoRepeatPlaysThroughAndStopsOnRowZero) {
    Songs songs(3);
    MainWindowFixture f([](clsOption& o) { setModes(o, 1, 1); });
    frmMain& w = *f.form;
    f.setPlayList(songs.list);
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    EXPECT_EQ(w.Sequence().PlayingIndex(), 0);
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return w.HistoryList.Count() == 3; }, kWaitMs));
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return stopped(w); }, kWaitMs));
    EXPECT_EQ(w.HistoryList.items(), (QStringList{songs.list[2], songs.list[1], songs.list[0]}));
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 0);
    EXPECT_EQ(w.Sequence().PlayingIndex(), -1);
    EXPECT_EQ(ui(w).lblPlayTime()->text(), u"00:00"_qs);
}

TEST(PlaySequence, UnplayableFilesAreSkippedAndAFullRoundOfThemStops) {
    Songs songs(1);
    TempDir bad;
    const QString text = bad.write(u"notes.mp3"_qs, "this is not audio at all\n");
    const QString empty = bad.write(u"empty.wav"_qs, "");
    MainWindowFixture f([](clsOption& o) { setModes(o, 1, 0); });
    frmMain& w = *f.form;
    f.setPlayList({text, songs.list[0], empty});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    ASSERT_TRUE(MainWindowFixture::waitUntil(
        [&] { return w.Player->getPath() == songs.list[0] && w.Player->getState() == 1; },
        kWaitMs));
    EXPECT_TRUE(f.dialogs->shown.empty());  // no box per broken file
    ui(w).cmdStop()->click();
    EXPECT_TRUE(w.HistoryList.items().isEmpty() ||
                !w.HistoryList.items().contains(text));  // failures are not history

    f.setPlayList({text, empty});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    MainWindowFixture::pump(500);
    EXPECT_TRUE(stopped(w));  // every row failed: no endless loop
    EXPECT_EQ(w.HistoryList.Count(), 0);
}

TEST(PlaySequence, MissingFileShowsItsPathAndKeepsPlaying) {
    Songs songs(1);
    MainWindowFixture f([](clsOption& o) { setModes(o, 0, 0); });
    frmMain& w = *f.form;
    f.setPlayList({songs.list[0], u"/nowhere/gone.mp3"_qs});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    ui(w).lstPlayList()->setListIndex(1);
    ui(w).cmdPlay()->click();
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text, QStringLiteral("/nowhere/gone.mp3にアクセスできません。"));
    EXPECT_EQ(w.Player->getPath(), songs.list[0]);
    ui(w).cmdStop()->click();
}

namespace {

// The songs that ended, in order, however the history folds repeats together.
struct EndLog {
    explicit EndLog(frmMain& w) {
        connection = QObject::connect(&w.Sequence(), &PlayerController::songEnded, &w,
                                      [this](const QString& path) { ends.append(path); });
    }
    ~EndLog() { QObject::disconnect(connection); }
    QStringList ends;
    QMetaObject::Connection connection;
};

}  // namespace

// Files that exist but cannot play on the media-control route: each fails at once and the
// sequence goes on, instead of a silent file that never ends.
TEST(PlaySequence, DamagedFilesOnTheControlRouteArePassedOver) {
    Songs songs(2);
    TempDir bad;
    const QStringList broken = {
        bad.write(u"damaged.wma"_qs, QByteArray(4096, '\x5a')),
        bad.write(u"words.mid"_qs, "not a MIDI file\n"),
        bad.write(u"subtitles.m4a"_qs, "1\n00:00:00,000 --> 00:00:02,000\nno sound here\n\n"),
        bad.write(u"Track01.cda"_qs, "RIFF"),
    };
    MainWindowFixture f([](clsOption& o) { setModes(o, 1, 1); });
    frmMain& w = *f.form;
    EndLog log(w);
    f.setPlayList(QStringList{songs.list[0]} + broken + QStringList{songs.list[1]});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return log.ends.size() >= 2; }, kWaitMs));
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return stopped(w); }, kWaitMs));
    EXPECT_EQ(log.ends, songs.list);
    EXPECT_TRUE(f.dialogs->shown.empty());
}

// Opened off the window's thread: with no wait at all, the command returns before the song
// plays; it plays when its open arrives, a stop or another song before that drops it, and a
// file that does not open goes the failure path to the next song.
TEST(PlaySequence, AnOpenThatArrivesLateStartsItsSongOnlyIfStillWanted) {
    struct Case {
        const char* name;
        QStringList rows;                      // the playlist; row 0 is played
        std::function<void(frmMain&)> before;  // run at once, before the open arrives
        int expectedRow;                       // the row playing in the end, -1 none
    };
    TempDir dir;
    QStringList songs;
    for (const char* name : {"first.wav", "second.wav"}) {
        ToneSpec tone;
        tone.seconds = 3;
        songs << dir.file(QString::fromLatin1(name));
        ASSERT_TRUE(ToneFiles::writeWav(songs.back().toStdString(), tone));
    }
    const QString damaged = dir.write(u"broken.wma"_qs, QByteArray(4096, '\x5a'));
    const Case cases[] = {
        {"arrives", {songs[0]}, [](frmMain&) {}, 0},
        {"stopped first", {songs[0]}, [](frmMain& w) { ui(w).cmdStop()->click(); }, -1},
        {"another song first",
         {songs[0], songs[1]},
         [](frmMain& w) { ui(w).cmdListIndexDown()->click(); },
         1},
        {"does not open", {damaged, songs[1]}, [](frmMain&) {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f([](clsOption& o) { setModes(o, 1, 1); });
        frmMain& w = *f.form;
        w.Opener().setWait(std::chrono::milliseconds(0));
        f.setPlayList(c.rows);
        ui(w).lstPlayList()->setListIndex(0);
        ui(w).cmdPlay()->click();
        c.before(w);
        MainWindowFixture::pump(300);
        if (c.expectedRow < 0) {
            EXPECT_EQ(w.Player->getState(), 0);
            EXPECT_FALSE(w.Sequence().PlayTimeRunning());
            continue;
        }
        ASSERT_TRUE(MainWindowFixture::waitUntil(
            [&] { return w.Player->getPath() == c.rows[c.expectedRow]; }, kWaitMs));
        EXPECT_EQ(w.Player->getState(), 1);
        EXPECT_TRUE(w.Sequence().PlayTimeRunning());
        ui(w).cmdStop()->click();
    }
}
