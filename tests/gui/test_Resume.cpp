// The main window's sound settings across runs: resume takes up the song heard at the last end
// when "play at start" plays it, and the ReplayGain options reach the routes.
#include "MainWindowFixture.h"
#include "playback/PlayerController.h"
#include "playback/decoder/vbmp3.h"
#include "support/ToneFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString tone(const TempDir& d, const QString& name, double seconds) {
    ToneSpec t;
    t.seconds = seconds;
    const QString p = d.file(name);
    ToneFiles::writeWav(p.toStdString(), t);
    return p;
}

TEST(Resume, PlayAtStartTakesUpTheSongWhereTheLastRunEnded) {
    struct Case {
        const char* what;
        bool resume;
        bool swapRows;           // the kept row holds another file at the next start
        double secondsNextTime;  // the song's length at the next start
        int playRow;             // the row played at the next start
        int32_t second;          // where it starts
    };
    const Case cases[] = {
        {"resumed", true, false, 6, 1, 3},
        {"off: the selected row from its start", false, false, 6, 0, 0},
        {"another file at the row", true, true, 6, 1, 0},
        {"the song is shorter now", true, false, 2, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        const QString songs[] = {tone(d, u"a.wav"_qs, 6), tone(d, u"b.wav"_qs, 6)};
        MainWindowFixture f([&](clsOption& o) { o.setResume(c.resume); });
        frmMain& w = *f.form;
        f.setPlayList({songs[0], songs[1]});
        ui(w).lstPlayList()->setListIndex(1);
        ui(w).cmdPlay()->click();
        ASSERT_TRUE(w.Sequence().Seek(3));
        ui(w).lstPlayList()->setListIndex(0);  // resume keeps the song's row, not the selection
        w.ZAPT_End();

        clsOption saved;
        ASSERT_TRUE(saved.ReadOption(f.app.file(u"ZAopt.inf"_qs)));
        saved.setFirstAction(4);
        ASSERT_TRUE(saved.WriteOption(f.app.file(u"ZAopt.inf"_qs)));
        if (c.swapRows) {
            QFile list(f.app.file(u"ZAlog.m3u"_qs));
            ASSERT_TRUE(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
            list.write((songs[1] + u"\r\n" + songs[0] + u"\r\n").toUtf8());
        }
        tone(d, u"b.wav"_qs, c.secondsNextTime);

        frmMain next(f.app.path(), QString(), std::make_unique<FakeDialogs>());
        next.Opener().setWait(std::chrono::seconds(20));
        ASSERT_TRUE(next.Form_Load());
        EXPECT_EQ(next.Player->getPath(), next.PlayList.Value(c.playRow));
        EXPECT_EQ(next.Player->playSecond(), c.second);
        next.ZAPT_End();
    }
}

TEST(Resume, ReplayGainOptionsReachTheRoutesAndTheRandomModeShuffles) {
    const std::pair<GainMode, ReplayGain::Mode> modes[] = {
        {GainMode::AlbumInOrder, ReplayGain::Mode::AlbumInOrder},
        {GainMode::Track, ReplayGain::Mode::Track},
        {GainMode::Album, ReplayGain::Mode::Album},
        {GainMode::Off, ReplayGain::Mode::Off},
    };
    for (const auto& [stored, applied] : modes) {
        MainWindowFixture f([&](clsOption& o) {
            o.setGainMode(stored);
            o.setPreampDb(-2.5);
            o.setPreventClipping(false);
            o.setRepeat(RepeatMode::Off);
        });
        const ReplayGain::Settings s = vbmp3_replayGain();
        EXPECT_EQ(s.mode, applied);
        EXPECT_FLOAT_EQ(s.preampDb, -2.5f);
        EXPECT_FALSE(s.preventClipping);
        EXPECT_FALSE(s.shuffled);
        f.form->Sequence().SetModes(PlayCount::AllSongs, RepeatMode::Random);
        EXPECT_TRUE(vbmp3_replayGain().shuffled);
    }
}

}  // namespace
